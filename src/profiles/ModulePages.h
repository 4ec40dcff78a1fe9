#pragma once

// The fixed-asset and payroll frames of the financial page and the cashier
// page: their load and save, the cashier start and GetMaxPeriod.

#include <optional>

#include "Page.h"
#include "zx/rules/Rules.h"

namespace zx::profiles {

class AssetsPage : public Page {
public:
    using Page::Page;
    void load();
    void save();
    bool AllowSetStartYearPeriod();
};

class PayrollPage : public Page {
public:
    using Page::Page;
    void load();
    // A payroll service that cannot be made stops the save before payroll is written.
    void checkSave();
    void save();
};

class CashierPage : public Page {
public:
    using Page::Page;
    void load();
    // False when a start check refused (its message shown).
    bool save(const QString& ledgerYear, const QString& ledgerPeriod);
    void GetMaxPeriod(qint32& lngYear, qint32& lngPeriod, bool blnIncludeNextPeriod);

    QString currentPeriod() const;
    qint32 startYear() const;
    QString startPeriod() const;

private:
    void showStart(qint32 currentYear, qint32 currentPeriod, qint32 startYear, qint32 startPeriod);
    void loadSubSys(qint32 currentYear, qint32 currentPeriod);
    bool start(host::ProfileWriter& writer, const rules::CashierStart& facts);
    qint32 currentYear_ = -1;
    qint32 currentPeriod_ = -1;
};

}  // namespace zx::profiles
