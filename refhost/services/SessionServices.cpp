#include <QVariant>

#include "HostRef.h"
#include "RefHost.h"
#include "Standard.h"

using namespace zx::host;

namespace refhost {

namespace {

// The properties the host publishes for its own process.
class HostShareProps : public ShareProps {
public:
    explicit HostShareProps(RefHost& host) : host_(host) {}

    QVariant GetProperty(qint32 processId, const QString& name) override {
        if (processId != host_->processId()) return QVariant();
        if (name.compare(QLatin1String("PropsString"), Qt::CaseInsensitive) == 0) {
            return host_->propsString();
        }
        if (name.compare(QLatin1String("UserID"), Qt::CaseInsensitive) == 0) {
            return host_->user().id;
        }
        if (name.compare(QLatin1String("AcctName"), Qt::CaseInsensitive) == 0) {
            return host_->acctName();
        }
        if (name.compare(QLatin1String("QORLogin"), Qt::CaseInsensitive) == 0) {
            const ServicePtr login = host_->loginObject();
            return login ? QVariant::fromValue(login) : QVariant();
        }
        return QVariant();
    }

private:
    HostRef host_;
};

class HostLangInfo : public LangInfo {
public:
    QString CurrentLanguage() override { return QStringLiteral("chs"); }
};

}  // namespace

void installSessionServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(ShareProps::classId),
                         [&host] { return std::make_shared<HostShareProps>(host); });
    host.registerFactory(QString::fromLatin1(LangInfo::classId),
                         [] { return std::make_shared<HostLangInfo>(); });
}

}  // namespace refhost
