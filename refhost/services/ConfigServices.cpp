#include <QDir>

#include "HostRef.h"
#include "IniFile.h"
#include "RefHost.h"
#include "Standard.h"

using namespace zx::host;

namespace refhost {

namespace {

// Linux has no registry: the host keeps its few keys in <install>/registry.ini,
// one section per key path. A value that is not there is the install directory.
class HostRegistryReader : public RegistryReader {
public:
    explicit HostRegistryReader(RefHost& host) : host_(host) {}
    QString GetKeyValue(const QString& key, const QString& valueName, const QString&) override {
        const QString file = QDir(host_->installDir()).filePath(QStringLiteral("registry.ini"));
        return readIniValue(file, key, valueName, host_->installDir());
    }

private:
    HostRef host_;
};

// Compiled help files become folders of HTML pages under <install>/Help.
class HostCHMHelp : public CHMHelp {
public:
    explicit HostCHMHelp(RefHost& host) : host_(host) {}
    void SETVBProjectID(const QString& topic, qint32) override { host_->setHelpTopic(topic); }
    void ShowHELP(const QString& file, const QString& topic, qint32 context) override {
        host_->showHelp(file, topic, context);
    }

private:
    HostRef host_;
};

}  // namespace

void installConfigServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(RegistryReader::classId),
                         [&host] { return std::make_shared<HostRegistryReader>(host); });
    host.registerFactory(QString::fromLatin1(CHMHelp::classId),
                         [&host] { return std::make_shared<HostCHMHelp>(host); });
}

}  // namespace refhost
