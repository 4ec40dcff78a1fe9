// The payroll options: load, the save of the audit check, the month-end
// synchronisation and the checks every save turns off.

#include <QCheckBox>
#include <QtTest>

#include "DialogHarness.h"

namespace {

const char* const kAlwaysOff[] = {"ReCheckBeforeClose", "ChkPrnPARpt", "PaIsClsPeriodClose",
                                  "HRViewDataCheck", "HRViewDataRecheck"};

// The payroll row of the month-end calendar: year, period, synchronisation.
QList<int> monthEndRow(DialogHarness& h) {
    auto rows = h.set.db->nativeQuery(
        "SELECT FYear, FPeriod, Fperiodsynch FROM t_MonthEndSubSys WHERE FSubSys = 'PA'");
    if (rows->RecordCount() == 0) return {};
    return {rows->Field(0).toInt(), rows->Field(1).toInt(), rows->Field(2).toInt()};
}

}  // namespace

class PayrollTest : public QObject {
    Q_OBJECT

private slots:
    void anUnchangedAuditCheckIsNotWrittenButTheFiveKeysAre_data() {
        QTest::addColumn<QString>("stored");  // null: absent
        QTest::addColumn<bool>("ticked");
        QTest::newRow("absent") << QString() << false;
        QTest::newRow("on, in its own spelling") << "2" << true;
    }
    void anUnchangedAuditCheckIsNotWrittenButTheFiveKeysAre() {
        QFETCH(QString, stored);
        QFETCH(bool, ticked);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            if (!stored.isNull()) d.setParam("PA", "CheckBeforeClose", stored);
            for (const char* key : kAlwaysOff) d.setParam("PA", key, "1");
        });
        QCOMPARE(h.c<QCheckBox>("chkCheckBeClose")->isChecked(), ticked);
        QVERIFY(h.c<QCheckBox>("ChkPeriod")->isChecked());

        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("PA", "CheckBeforeClose"), stored);
        for (const char* key : kAlwaysOff) QCOMPARE(h.param("PA", key), QString("0"));
    }

    void aChangedAuditCheckIsWritten() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { d.setParam("PA", "CheckBeforeClose", "1"); });
        h.c<QCheckBox>("chkCheckBeClose")->setChecked(false);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("PA", "CheckBeforeClose"), QString("0"));
    }

    void closingFollowsTheLedgerUnlessUnticked_data() {
        QTest::addColumn<bool>("untick");
        QTest::addColumn<int>("synch");
        QTest::newRow("kept") << false << 1;
        QTest::newRow("unticked") << true << 0;
    }
    void closingFollowsTheLedgerUnlessUnticked() {
        QFETCH(bool, untick);
        QFETCH(int, synch);
        DialogHarness h("administrator", [](DialogHarness& d) {
            refhost::startDemoModules(*d.set.db);
            d.setParam("PA", "CurrentPeriod", "7");
            d.set.db->nativeExec(
                "UPDATE t_MonthEndSubSys SET Fperiodsynch = 0, FLedgerWaits = 1 "
                "WHERE FSubSys = 'PA'");
        });
        if (untick) h.c<QCheckBox>("ChkPeriod")->setChecked(false);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(monthEndRow(h), (QList<int>{2024, 7, synch}));
        // What payroll does not pass stays as it was.
        QCOMPARE(h.set.db
                     ->nativeQuery("SELECT FLedgerWaits FROM t_MonthEndSubSys "
                                   "WHERE FSubSys = 'PA'")
                     ->Field(0)
                     .toInt(),
                 1);
    }

    void aViewerSeesBothBoxesLocked() {
        DialogHarness h("viewer");
        QVERIFY(h.locked("chkCheckBeClose"));
        QVERIFY(h.locked("ChkPeriod"));
        QVERIFY(h.c<QCheckBox>("ChkPeriod")->isChecked());
    }
};

QTEST_MAIN(PayrollTest)
#include "test_payroll.moc"
