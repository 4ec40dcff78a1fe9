#include "AssetServices.h"

#include <cmath>

#include "HostRef.h"
#include "ProfileSnapshot.h"
#include "RefHost.h"
#include "sql/Database.h"
#include "zx/host/AssetServices.h"

using namespace zx::host;

namespace refhost {

namespace {

const QString kFA = QStringLiteral("FA");

// The right that guards every change of the system parameters.
constexpr qint16 kParamSubsystem = 18;
constexpr qint64 kModifyRight = 2097152;

qint32 wholeNumber(const QString& text) {
    const double value = leadingNumber(text);
    if (!std::isfinite(value) || std::fabs(value) > 2147483647.0) return 0;
    return qint32(std::lround(value));
}

class HostFaSystemProfile final : public FaSystemProfile {
public:
    explicit HostFaSystemProfile(RefHost& host) : host_(host) {}

    void Refresh() override { snapshot_.drop(); }

    QString GetSystemProfile(const QString& category, const QString& key,
                             const QString& defaultValue) override {
        if (!snapshot_.loaded()) snapshot_.load(host_->db());
        return snapshot_.find(category, key).value_or(defaultValue);
    }

    qint32 FAGetStartYear() override { return number(QStringLiteral("StartYear")); }
    qint32 FAGetStartPeriod() override { return number(QStringLiteral("StartPeriod")); }
    qint32 FAGetCurrentYear() override { return number(QStringLiteral("CurrentYear")); }
    qint32 FAGetCurrentPeriod() override { return number(QStringLiteral("CurrentPeriod")); }
    bool FAGetClosed() override {
        return GetSystemProfile(kFA, QStringLiteral("Closed"), QStringLiteral("0")).trimmed() ==
               QLatin1String("1");
    }

private:
    qint32 number(const QString& key) { return wholeNumber(GetSystemProfile(kFA, key, {})); }

    HostRef host_;
    ProfileSnapshot snapshot_;
};

class HostFaData final : public FaData {
public:
    explicit HostFaData(RefHost& host)
        : host_(host), profile_(std::make_shared<HostFaSystemProfile>(host)) {}

    std::shared_ptr<FaSystemProfile> SystemProfile() override { return profile_; }

    void FaSysOptionChangeAccessCheck() override {
        if (host_->readOnly()) {
            throw HostError(
                70, QString::fromLatin1(classId),
                host_->readOnlyNotice() + QStringLiteral(" 不能修改固定资产系统参数。"));
        }
        const SessionUser& user = host_->user();
        if (user.administrator) return;
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FRightMask FROM t_UserRight "
                           "WHERE FUserID = ? AND FSubSystem = ? AND FObject = 0"),
            {user.id, int(kParamSubsystem)});
        const qint64 rights = rows->RecordCount() > 0 ? rows->Field(0).toLongLong() : 0;
        if ((rights & kModifyRight) != kModifyRight) {
            throw HostError(
                70, QString::fromLatin1(classId),
                QStringLiteral("您没有修改固定资产系统参数的权限, 请与系统管理员联系。"));
        }
    }

private:
    HostRef host_;
    std::shared_ptr<HostFaSystemProfile> profile_;
};

class HostFAPublicInfo final : public FAPublicInfo {
public:
    explicit HostFAPublicInfo(RefHost& host) : host_(host) {}

    bool AllowSetStartYearPeriod(const QString& props) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        Database& db = host_->db();
        const auto closed = db.nativeQuery(
            QStringLiteral("SELECT FValue FROM t_SystemProfile "
                           "WHERE UPPER(FCategory) = 'FA' AND UPPER(FKey) = 'CLOSED'"));
        if (closed->RecordCount() > 0 && closed->Field(0).toString().trimmed() == u'1') {
            return false;
        }
        // Cards or changes already entered were booked in the old calendar.
        const auto data =
            db.nativeQuery(QStringLiteral("SELECT (SELECT COUNT(*) FROM t_FACard) + "
                                          "(SELECT COUNT(*) FROM t_FAAlter)"));
        return data->Field(0).toLongLong() == 0;
    }

private:
    HostRef host_;
};

class HostBalUpdate final : public BalUpdate {
public:
    explicit HostBalUpdate(RefHost& host) : host_(host) {}

    void UpdateDeprPeriods(const QString& props, const QString& noDepr) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        const QString flag = noDepr.trimmed();
        if (flag == QLatin1String("1")) {
            host_->db().nativeExec(QStringLiteral("UPDATE t_FACard SET FDeprPeriods = 0"));
        } else if (flag == QLatin1String("0")) {
            // A card without a method has nothing to depreciate until it gets one.
            host_->db().nativeExec(QStringLiteral(
                "UPDATE t_FACard SET FDeprPeriods = CASE WHEN FDeprMethod <> 0 AND "
                "FLifePeriods > FUsedPeriods THEN FLifePeriods - FUsedPeriods ELSE 0 END"));
        } else {
            throw HostError(kGenericError, QString::fromLatin1(classId),
                            QStringLiteral("折旧标志必须为\"0\"或\"1\": %1").arg(noDepr));
        }
    }

private:
    HostRef host_;
};

class HostMonthEndInfo final : public MonthEndInfo {
public:
    explicit HostMonthEndInfo(RefHost& host) : host_(host) {}

    bool ExistsSubSys(const QString& props, const QString& subSys, qint32& year,
                      qint32& period) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        const auto rows =
            host_->db().nativeQuery(QStringLiteral("SELECT FYear, FPeriod FROM t_MonthEndSubSys "
                                                   "WHERE UPPER(FSubSys) = UPPER(?)"),
                                    {subSys.trimmed()});
        if (rows->RecordCount() == 0) return false;
        rows->MoveFirst();
        year = rows->Field(0).toInt();
        period = rows->Field(1).toInt();
        return true;
    }

    RecordSetPtr GetSubSys(const QString& props, const QString& subSys, qint32 year,
                           qint32 period) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        return host_->db().nativeQuery(
            QStringLiteral("SELECT FSubSys, FYear, FPeriod, FPastStart, Fperiodsynch, "
                           "FLedgerWaits FROM t_MonthEndSubSys "
                           "WHERE UPPER(FSubSys) = UPPER(?) AND FYear = ? AND FPeriod = ?"),
            {subSys.trimmed(), year, period});
    }

private:
    HostRef host_;
};

class HostMonthEndUpdate final : public MonthEndUpdate {
public:
    explicit HostMonthEndUpdate(RefHost& host) : host_(host) {}

    // A subsystem that is not started yet stands at (0, 0).
    void UpdateSubSys(const QString& props, const QString& subSys, qint32 year, qint32 period,
                      qint32 pastStart, qint32 periodSynch,
                      std::optional<qint32> ledgerWaits) override {
        const QString source = QString::fromLatin1(classId);
        host_->checkProps(props, source);
        const QString name = subSys.trimmed();
        if (name.isEmpty() || year < 0 || period < 0 || period > 13) {
            throw HostError(
                kGenericError, source,
                QStringLiteral("子系统期间无效: %1 %2年%3期").arg(name).arg(year).arg(period));
        }
        Database& db = host_->db();
        db.transaction([&] {
            const auto existing =
                db.nativeQuery(QStringLiteral("SELECT FSubSys, FLedgerWaits FROM t_MonthEndSubSys "
                                              "WHERE UPPER(FSubSys) = UPPER(?)"),
                               {name});
            const bool found = existing->RecordCount() > 0;
            if (found) existing->MoveFirst();
            const qint32 waits = ledgerWaits ? (*ledgerWaits != 0 ? 1 : 0)
                                 : found     ? existing->Field(1).toInt()
                                             : 0;
            const QVariantList values = {year, period, pastStart != 0 ? 1 : 0,
                                         periodSynch != 0 ? 1 : 0, waits};
            if (found) {
                db.nativeExec(QStringLiteral("UPDATE t_MonthEndSubSys SET FYear = ?, FPeriod = ?, "
                                             "FPastStart = ?, Fperiodsynch = ?, FLedgerWaits = ? "
                                             "WHERE FSubSys = ?"),
                              values + QVariantList{existing->Field(0)});
            } else {
                db.nativeExec(QStringLiteral("INSERT INTO t_MonthEndSubSys (FYear, FPeriod, "
                                             "FPastStart, Fperiodsynch, FLedgerWaits, FSubSys) "
                                             "VALUES (?, ?, ?, ?, ?, ?)"),
                              values + QVariantList{name});
            }
        });
    }

private:
    HostRef host_;
};

class HostCashierSysInfo final : public CashierSysInfo {
public:
    explicit HostCashierSysInfo(RefHost& host) : host_(host) {}

    void GetMaxPeriod(const QString& props, qint32& year, qint32& period) override {
        host_->checkProps(props, QString::fromLatin1(classId));
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FYear, MAX(FPeriod) FROM t_CashJournal "
                           "WHERE FYear = (SELECT MAX(FYear) FROM t_CashJournal) GROUP BY FYear"));
        if (rows->RecordCount() == 0) {
            year = 0;
            period = 0;
            return;
        }
        rows->MoveFirst();
        year = rows->Field(0).toInt();
        period = rows->Field(1).toInt();
    }

private:
    HostRef host_;
};

template <class T>
void registerService(RefHost& host) {
    host.registerFactory(QString::fromLatin1(T::classId),
                         [&host]() -> ServicePtr { return std::make_shared<T>(host); });
}

}  // namespace

void installAssetServices(RefHost& host) {
    registerService<HostFaData>(host);
    registerService<HostFAPublicInfo>(host);
    registerService<HostBalUpdate>(host);
    registerService<HostMonthEndInfo>(host);
    registerService<HostMonthEndUpdate>(host);
    registerService<HostCashierSysInfo>(host);
}

}  // namespace refhost
