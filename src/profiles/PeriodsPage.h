#pragma once

// The period page: the calendar of the account set, the start and current
// period of the ledger, the ledger start, and the guard of the write-off
// switch.

#include <QString>
#include <variant>

#include "Page.h"
#include "StartPlan.h"

class QTreeWidgetItem;

namespace zx::profiles {

class PeriodsPage : public Page {
public:
    explicit PeriodsPage(Shared& shared);

    void connectReactions();

    void loadStructure(host::SystemProfile& profile);
    void loadByMonth(host::SystemProfile& profile);
    void loadStart(host::SystemProfile& profile);
    void clearEmptyCurrent();
    void applyStartBounds(host::SystemProfile& profile);
    void highlightUnsetStartPeriods();

    void FillPeriodTree();
    void ShowYearPeriods(QTreeWidgetItem* node);
    void cmdSetPeriod_Click();
    bool CloseInit();
    // What the ledger start would write now, or why it cannot be made.
    std::variant<StartPlan, QString> planLedgerStart();
    bool CheckTransCheckStartLevel();
    bool ApplyTransCheckStart();

    QString startYear() const;
    QString startPeriod() const;
    QString currentYear() const;
    QString currentPeriod() const;
    bool startYearOpen() const;
    bool startPeriodChanged() const;

private:
    void showStart(host::SystemProfile& profile);
    void formatGrid();

    QString treeKey_;  // the tree's remembered key
};

}  // namespace zx::profiles
