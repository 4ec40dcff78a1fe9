#pragma once

// Host services of the fixed-asset, payroll and cashier modules: the
// fixed-asset profile and rights check, the depreciation-period update, the
// month-end calendar of the subsystems and the cashier's data periods.

#include <QString>
#include <memory>
#include <optional>

#include "zx/host/HostError.h"
#include "zx/host/RecordSet.h"
#include "zx/host/Service.h"

namespace zx::host {

// The fixed-asset module's own reader of its parameters (category "FA").
class FaSystemProfile : public Service {
public:
    // Drops what the reader holds, so that the next read sees the database.
    virtual void Refresh() = 0;
    virtual QString GetSystemProfile(const QString& category, const QString& key,
                                     const QString& defaultValue) = 0;
    virtual qint32 FAGetStartYear() = 0;
    virtual qint32 FAGetStartPeriod() = 0;
    virtual qint32 FAGetCurrentYear() = 0;
    virtual qint32 FAGetCurrentPeriod() = 0;
    // True once the module is started (its initial data are closed).
    virtual bool FAGetClosed() = 0;
};

class FaData : public Service {
public:
    static constexpr auto classId = "FaData";
    virtual std::shared_ptr<FaSystemProfile> SystemProfile() = 0;
    // Returns when the logged-in user may change the fixed-asset options;
    // raises HostError when not.
    virtual void FaSysOptionChangeAccessCheck() = 0;
};

class FAPublicInfo : public Service {
public:
    static constexpr auto classId = "FAPublicInfo";
    // True while the fixed-asset start year and period may still be set.
    virtual bool AllowSetStartYearPeriod(const QString& props) = 0;
};

class BalUpdate : public Service {
public:
    static constexpr auto classId = "BalUpdate";
    // Recomputes the periods each asset card still depreciates after the
    // whole system was switched to no depreciation ("1") or back ("0").
    virtual void UpdateDeprPeriods(const QString& props, const QString& noDepr) = 0;
};

// The month-end calendar: one row per subsystem with the period it has
// reached and whether its closing follows the ledger's periods.
class MonthEndInfo : public Service {
public:
    static constexpr auto classId = "MonthEndInfo";
    // True when the subsystem takes part in the month-end; fills its current
    // year and period.
    virtual bool ExistsSubSys(const QString& props, const QString& subSys, qint32& year,
                              qint32& period) = 0;
    // The subsystem's row for the period (no row when it is elsewhere or
    // absent), with the column Fperiodsynch among others.
    virtual RecordSetPtr GetSubSys(const QString& props, const QString& subSys, qint32 year,
                                   qint32 period) = 0;
};

class MonthEndUpdate : public Service {
public:
    static constexpr auto classId = "MonthEndUpdate";
    // Records the subsystem at (year, period). `pastStart`: 1 once the
    // subsystem has left its start period; `periodSynch`: 1 when its closing
    // follows the ledger's periods; `ledgerWaits`: 1 when the ledger's
    // closing waits for it (kept as stored when omitted).
    virtual void UpdateSubSys(const QString& props, const QString& subSys, qint32 year,
                              qint32 period, qint32 pastStart, qint32 periodSynch,
                              std::optional<qint32> ledgerWaits = std::nullopt) = 0;
};

class CashierSysInfo : public Service {
public:
    static constexpr auto classId = "CashierSysInfo";
    // The latest period holding cashier journal data; (0, 0) when none does.
    virtual void GetMaxPeriod(const QString& props, qint32& year, qint32& period) = 0;
};

}  // namespace zx::host
