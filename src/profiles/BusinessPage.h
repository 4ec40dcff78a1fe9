#pragma once

// The business pages: inventory, purchasing, sales, manufacturing and
// inventory costing. Their load and save walk the declared parameters in the
// orders of the business catalogue, with the start-up step and the
// interlocks between the controls at fixed points.

#include <QStringList>

#include "Page.h"

namespace zx::profiles {

class BusinessPage : public Page {
public:
    explicit BusinessPage(Shared& shared);

    void FillBusinessLists();
    void connectReactions();
    void load(host::SystemProfile& profile);
    // False when the start-up step refused or the user declined its question.
    bool save(const QString& ledgerYear, const QString& ledgerPeriod, bool ledgerStartOpen);

    qint32 startYear() const;
    QString startYearText() const;
    QString startPeriod() const;
    bool startYearOpen() const;

    // Steps of the load that run between the keys.
    void startState();
    void startPeriodState();
    void batchNoPreset();
    void negativeStockBases();
    void checkItemButton();
    void moQtyCheck();
    void alertMOWording();
    void calculateTypeState();

private:
    void loadOne(const params::Param& p);
    void applyBatchNoPreset(bool atLoad);
    void fillAlertMO(bool auditWording);
    void registerWatched();
    void reportWatched();
    void saveSumAbsoluteQty(host::ProfileWriter& writer);
    void saveItem4Name(host::ProfileWriter& writer);
    bool startUp(const QString& ledgerYear, const QString& ledgerPeriod, bool ledgerStartOpen);
    void connectInterlocks();
    void connectProduction();

    host::SystemProfile* profile_ = nullptr;  // during the load
    QString storedCurrentYear_;
};

}  // namespace zx::profiles
