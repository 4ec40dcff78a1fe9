// Services of the ledger start-up: the period set-up window, the account-set
// register, the write-off switch, the user's voucher type and the management log.

#include "zx/host/LedgerServices.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QVariant>

#include "Audit.h"
#include "HostRef.h"
#include "PropsString.h"
#include "RefHost.h"
#include "Standard.h"
#include "services/ProfileSnapshot.h"
#include "services/ProfileStore.h"
#include "sql/Database.h"
#include "sql/TsqlTranslator.h"
#include "windows/PeriodSetup.h"

using namespace zx::host;

namespace refhost {

namespace {

QString source(const char* classId, const char* operation) {
    return QString::fromLatin1(classId) + QLatin1Char('.') + QString::fromLatin1(operation);
}

class HostUpdatePeriodDate : public UpdatePeriodDate {
public:
    explicit HostUpdatePeriodDate(RefHost& host) : host_(host) {}

    void WinShow(const QString& props) override {
        host_->checkProps(props, source(classId, "WinShow"));
        showPeriodSetup(*host_);
    }

private:
    HostRef host_;
};

// The register holds one row per account set; this service only updates it.
class HostAcctMgr : public AcctMgr {
public:
    explicit HostAcctMgr(RefHost& host) : host_(host) {}

    void ModifyCompany2(const QString& statement) override {
        static const QRegularExpression registerUpdate(
            QStringLiteral("^\\s*update\\s+(\\[?dbo\\]?\\.)?\\[?t_ad_zxAccount_gl\\]?\\s"),
            QRegularExpression::CaseInsensitiveOption);
        Database& db = host_->db();
        const auto statements = TsqlTranslator(db.dialect()).translateBatch(statement);
        if (statements.isEmpty()) {
            throw HostError(kGenericError, source(classId, "ModifyCompany2"),
                            QStringLiteral("没有要执行的账套登记语句。"));
        }
        for (const TranslatedStatement& one : statements) {
            if (!registerUpdate.match(one.tsql).hasMatch()) {
                throw HostError(
                    kGenericError, source(classId, "ModifyCompany2"),
                    QStringLiteral("账套登记只接受对 t_ad_zxAccount_gl 的更新: %1").arg(one.tsql));
            }
        }
        auditedRowsWrite(*host_,
                         {QStringLiteral("t_ad_zxAccount_gl"),
                          {QStringLiteral("FAcctID")},
                          {QStringLiteral("FAcctName"), QStringLiteral("FCompanyName")}},
                         [&] { db.execute(statement); });
    }

private:
    HostRef host_;
};

// Checks a change of the write-off switch (GL "TransCheckStart"); the caller
// stores the parameter itself once the change is allowed.
class HostInitializeBalance : public InitializeBalance {
public:
    explicit HostInitializeBalance(RefHost& host) : host_(host) {}

    bool SetInitTransCheck(const QString& props, QVariantMap& dictionary) override {
        const QString where = source(classId, "SetInitTransCheck");
        host_->checkProps(props, where);
        const int oldFlag = flag(dictionary, QStringLiteral("OldFlag"), where);
        const int newFlag = flag(dictionary, QStringLiteral("NewFlag"), where);
        if (oldFlag == newFlag) {
            dictionary.insert(QStringLiteral("SuccessFlag"), 1);
            return true;
        }
        Database& db = host_->db();
        // Written-off pairs would lose their meaning without the switch.
        if (oldFlag != 0 && newFlag == 0 && hasWriteOffs(db)) {
            dictionary.insert(QStringLiteral("SuccessFlag"), -1);
            return false;
        }
        // Closed initial balances were entered with the switch as it is.
        if (leadingNumber(readProfile(db, QStringLiteral("GL"), QStringLiteral("InitClosed"))
                              .value_or(QString())) == 1) {
            dictionary.insert(QStringLiteral("SuccessFlag"), 0);
            return false;
        }
        dictionary.insert(QStringLiteral("SuccessFlag"), 1);
        return true;
    }

private:
    static int flag(const QVariantMap& dictionary, const QString& key, const QString& where) {
        bool ok = false;
        const int value = dictionary.value(key).toInt(&ok);
        if (!ok || (value != 0 && value != 1)) {
            throw HostError(kGenericError, where,
                            QStringLiteral("参数 %1 必须是 0 或 1, 收到: %2")
                                .arg(key, dictionary.value(key).toString()));
        }
        return value;
    }

    static bool hasWriteOffs(Database& db) {
        const auto rows = db.nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_TransCheck"));
        rows->MoveFirst();
        return rows->Field(0).toInt() > 0;
    }

    HostRef host_;
};

// The voucher type the user works with, kept per user between sessions.
class HostSessionUserProfile : public SessionUserProfile {
public:
    explicit HostSessionUserProfile(RefHost& host) : host_(host) {}

    void SetVoucherType(qint32 number) override {
        const qint32 userId = host_->user().id;
        if (userId == 0) {
            throw HostError(kGenericError, source(classId, "SetVoucherType"),
                            QStringLiteral("没有登录的用户, 无法记住凭证类型。"));
        }
        host_->db().nativeExec(
            QStringLiteral("INSERT INTO t_UserSetting (FUserID, FCategory, FKey, FValue) "
                           "VALUES (?, ?, ?, ?) ON CONFLICT (FUserID, FCategory, FKey) "
                           "DO UPDATE SET FValue = excluded.FValue"),
            {userId, QStringLiteral("Session"), QStringLiteral("VoucherType"),
             QString::number(number)});
    }

private:
    HostRef host_;
};

// The management log: who did what, when and from which workstation.
class HostFrameData : public FrameData {
public:
    explicit HostFrameData(RefHost& host) : host_(host) {}

    void setPropString(const QString& props) override { props_ = props; }

    QVariant WriteMGLog(const QString& code, const QString& event) override {
        const QString where = source(classId, "WriteMGLog");
        host_->checkProps(props_, where);
        if (code.trimmed().isEmpty()) {
            throw HostError(kGenericError, where, QStringLiteral("管理日志的功能代码不能为空。"));
        }
        bool ok = false;
        qint32 userId = PropsString(props_).value(QStringLiteral("UserID")).toInt(&ok);
        if (!ok) userId = host_->user().id;
        host_->db().nativeExec(
            QStringLiteral("INSERT INTO t_MGLog (FTime, FUserID, FCode, FDesc, FMachineName) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), userId,
             code.trimmed(), event, host_->computerName().value_or(QString())});
        return true;
    }

private:
    HostRef host_;
    QString props_;
};

template <class T>
void registerService(RefHost& host) {
    host.registerFactory(QString::fromLatin1(T::classId),
                         [&host] { return std::make_shared<T>(host); });
}

}  // namespace

void installLedgerServices(RefHost& host) {
    registerService<HostUpdatePeriodDate>(host);
    registerService<HostAcctMgr>(host);
    registerService<HostInitializeBalance>(host);
    registerService<HostSessionUserProfile>(host);
    registerService<HostFrameData>(host);
}

}  // namespace refhost
