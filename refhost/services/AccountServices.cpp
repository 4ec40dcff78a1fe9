#include "services/AccountServices.h"

#include "services/HostRef.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "windows/AccountLookup.h"
#include "zx/host/LedgerServices.h"

using namespace zx::host;

namespace refhost {

namespace {

// The component keeps its GLView for the life of the process, so the view
// holds the host by token.
class HostGLView final : public GLView {
public:
    explicit HostGLView(RefHost& host) : host_(host) {}
    AccountLookupResult AccountLookup(const QString& currentText) override {
        return refhost::AccountLookup::run(*host_, currentText);
    }

private:
    HostRef host_;
};

class HostAccountInfo final : public AccountInfo {
public:
    explicit HostAccountInfo(RefHost& host) : host_(host) {}

    RecordSetPtr GetList(const QString& props, qint32 kind, const QString& filter) override {
        const QString source = QStringLiteral("AccountInfo.GetList");
        host_->checkProps(props, source);
        if (kind != kAccounts) {
            throw HostError(kGenericError, source,
                            QStringLiteral("不支持的列表类型: %1").arg(kind));
        }
        QString sql = QStringLiteral(
            "SELECT FAccountID, FNumber, FName, FFullName, FLevel, FParentID, FGroupID, FDC, "
            "FDetail, FDetailID, FItemClasses FROM t_Account");
        // The line break keeps a trailing comment of the filter from swallowing the rest.
        if (!filter.trimmed().isEmpty())
            sql += QStringLiteral(" WHERE (") + filter + QStringLiteral("\n)");
        sql += QStringLiteral(" ORDER BY FNumber");
        return host_->db().query(sql);
    }

private:
    static constexpr qint32 kAccounts = 2;
    HostRef host_;
};

}  // namespace

void installAccountServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(GLView::classId),
                         [&host] { return std::make_shared<HostGLView>(host); });
    host.registerFactory(QString::fromLatin1(AccountInfo::classId),
                         [&host] { return std::make_shared<HostAccountInfo>(host); });
}

}  // namespace refhost
