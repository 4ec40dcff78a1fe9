#include "Audit.h"
#include "HostRef.h"
#include "RefHost.h"
#include "Standard.h"
#include "sql/Database.h"

using namespace zx::host;

namespace refhost {

namespace {

class HostClassInfo : public ClassInfo {
public:
    explicit HostClassInfo(RefHost& host) : host_(host) {}
    RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        return host_->db().query(sql);
    }

private:
    HostRef host_;
};

class HostClassUpdate : public ClassUpdate {
public:
    explicit HostClassUpdate(RefHost& host) : host_(host) {}
    void SaveItem(const QString& props, const QString& sql) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        // The item master's property defaults are what the parameters change here.
        auditedRowsWrite(*host_,
                         {QStringLiteral("t_ItemPropDesc"),
                          {QStringLiteral("FItemClassID"), QStringLiteral("FSQLColumnName")},
                          {QStringLiteral("FDefaultValue")}},
                         [&] { host_->db().executeBatch(sql); });
    }

private:
    HostRef host_;
};

// The host's open connection: no property string, always this account set.
class HostAppConnection : public AppConnection {
public:
    explicit HostAppConnection(RefHost& host) : host_(host) {}
    RecordSetPtr Execute(const QString& sql) override { return host_->db().execute(sql); }

private:
    HostRef host_;
};

// A save's writes as one transaction of the account set; an inner scope is
// a savepoint.
class HostWriteScope : public WriteScope {
public:
    explicit HostWriteScope(RefHost& host) : host_(host) {}
    void Begin() override {
        if (host_->readOnly()) {
            throw HostError(kAccountSetReadOnly, QString::fromLatin1(classId),
                            host_->readOnlyNotice());
        }
        host_->db().begin();
    }
    void Commit() override { host_->db().commit(); }
    void Rollback() override { host_->db().rollback(); }

private:
    HostRef host_;
};

}  // namespace

void installDataServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(WriteScope::classId),
                         [&host] { return std::make_shared<HostWriteScope>(host); });
    host.registerFactory(QString::fromLatin1(ClassInfo::classId),
                         [&host] { return std::make_shared<HostClassInfo>(host); });
    host.registerFactory(QString::fromLatin1(ClassUpdate::classId),
                         [&host] { return std::make_shared<HostClassUpdate>(host); });
    host.registerFactory(QString::fromLatin1(AppConnection::classId),
                         [&host] { return std::make_shared<HostAppConnection>(host); });
}

}  // namespace refhost
