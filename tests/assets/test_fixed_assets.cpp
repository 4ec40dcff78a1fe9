// The fixed-asset and payroll options: load, what a save writes, the
// depreciation switch in a started module and the month-end calendar.

#include <QCheckBox>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

void started(DialogHarness& h) {
    refhost::startDemoModules(*h.set.db);
}

// Periods each card still depreciates, by card number.
QMap<QString, int> deprPeriods(DialogHarness& h) {
    QMap<QString, int> out;
    auto rows = h.set.db->nativeQuery("SELECT FNumber, FDeprPeriods FROM t_FACard");
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        out.insert(rows->Field(0).toString(), rows->Field(1).toInt());
    }
    return out;
}

// The module's row of the month-end calendar, "" when it has none.
QString monthEnd(DialogHarness& h, const char* subSys, const char* columns) {
    auto rows = h.set.db->nativeQuery(QString("SELECT %1 FROM t_MonthEndSubSys WHERE "
                                              "UPPER(FSubSys) = '%2'")
                                          .arg(columns, subSys));
    return rows->RecordCount() ? rows->Field(0).toString() : QString();
}

}  // namespace

class FixedAssetsTest : public QObject {
    Q_OBJECT

private slots:
    // Absent values show the defaults; a present one is read as stored.
    void theLoadReadsStoredTexts() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile WHERE FCategory = 'FA'");
        });
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        for (const char* name :
             {"ChkFAtoGL", "chkNoDepr", "chkNoVoucher", "chkMustChecked", "chkVchChecked",
              "ChkLocationFullName", "ChkChangeNumber", "chkBalance", "chkDeptAlterNextDepr"}) {
            QVERIFY2(!h.c<QCheckBox>(name)->isChecked(), name);
        }
        QVERIFY(h.c<QCheckBox>("chkVouchSingle")->isChecked());
        QCOMPARE(h.c<IntText3D>("DeprRateScale")->Value(), 0);
        QCOMPARE(h.c<IntText3D>("DeprRateQty")->Value(), 0);
        QCOMPARE(h.dialog->NoDeprAtStart(), 0);
        QVERIFY(h.dialog->AllowSetStartYearPeriod());

        // Only an exact zero leaves a box unticked.
        DialogHarness stored("administrator", [](DialogHarness& d) {
            d.setParam("FA", "NoVoucher", "");
            d.setParam("FA", "MustChecked", "00");
            d.setParam("FA", "chkVoucherSingle", "0");
            d.setParam("FA", "DeprRateScale", "3.6");
        });
        QVERIFY(stored.c<QCheckBox>("chkNoVoucher")->isChecked());
        QVERIFY(stored.c<QCheckBox>("chkMustChecked")->isChecked());
        QVERIFY(!stored.c<QCheckBox>("chkVouchSingle")->isChecked());
        QCOMPARE(stored.c<IntText3D>("DeprRateScale")->Value(), 4);
    }

    // Only what the user changed is written; the ledger link is forced on.
    void theSaveWritesWhatChangedAndKeepsTheLedgerLink() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("FA", "FALinkedGL", "0");
            d.setParam("FA", "MustBalance", "2");   // ticked in its own spelling
            d.setParam("FA", "DeprRateQty", "12");  // beyond what typing reaches
        });
        h.dialog->show();
        QVERIFY(!h.c<QCheckBox>("ChkFAtoGL")->isChecked());
        h.c<QCheckBox>("ChkFAtoGL")->click();  // ticked, and no change of its own
        QVERIFY(!h.dialog->IsChanged());
        h.c<QCheckBox>("chkMustChecked")->click();
        QVERIFY(h.dialog->IsChanged());
        h.c<QCheckBox>("chkVouchSingle")->setChecked(false);
        h.c<IntText3D>("DeprRateScale")->setValue(5);
        QCOMPARE(h.c<IntText3D>("DeprRateQty")->Text(), QString("12"));

        const auto before = h.stored("FA");
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QVERIFY(h.c<QCheckBox>("ChkFAtoGL")->isChecked());
        const auto after = h.stored("FA");
        QCOMPARE(DialogHarness::differing(before, after),
                 (QStringList{"FA/DeprRateScale", "FA/FALinkedGL", "FA/MustChecked",
                              "FA/chkVoucherSingle"}));
        QCOMPARE(after.value("FA/FALinkedGL"), QString("1"));
        QCOMPARE(after.value("FA/MustChecked"), QString("1"));
        QCOMPARE(after.value("FA/chkVoucherSingle"), QString("0"));
        QCOMPARE(after.value("FA/DeprRateScale"), QString("5"));
        // Depreciation was not switched, the module takes no part in the month-end.
        QCOMPARE(monthEnd(h, "FA", "FPastStart"), QString());
        QVERIFY(h.shownOf("message").isEmpty());
    }

    // In a started module the cards' periods follow the depreciation switch
    // as saved, not each click.
    void switchingDepreciationInAStartedModule_data() {
        QTest::addColumn<QString>("storedNoDepr");
        QTest::addColumn<QString>("currentPeriod");
        QTest::addColumn<QList<bool>>("clicks");  // what the box is set to, in turn
        QTest::addColumn<QString>("withoutDepr");
        QTest::addColumn<QString>("periods");  // FA001/FA002/FA003 after the save
        QTest::addColumn<QString>("pastStart");
        QTest::addColumn<bool>("reminded");
        QTest::newRow("on, past its start period") << "1"
                                                   << "6" << QList<bool>{false} << "1"
                                                   << "235/91/0"
                                                   << "1" << true;
        QTest::newRow("on, in its start period") << "1"
                                                 << "1" << QList<bool>{false} << "1"
                                                 << "0/0/0"
                                                 << "0" << true;
        QTest::newRow("off") << "0"
                             << "6" << QList<bool>{true} << "1"
                             << "0/0/0"
                             << "" << false;
        QTest::newRow("on and off again before saving") << "1"
                                                        << "6" << QList<bool>{false, true} << "0"
                                                        << "0/0/0"
                                                        << "" << false;
    }
    void switchingDepreciationInAStartedModule() {
        QFETCH(QString, storedNoDepr);
        QFETCH(QString, currentPeriod);
        QFETCH(QList<bool>, clicks);
        QFETCH(QString, withoutDepr);
        QFETCH(QString, periods);
        QFETCH(QString, pastStart);
        QFETCH(bool, reminded);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            started(d);
            d.setParam("FA", "CurrentPeriod", currentPeriod);
            d.setParam("FA", "NoDepr", storedNoDepr);
            if (storedNoDepr == "0") d.set.db->nativeExec("UPDATE t_FACard SET FDeprPeriods = 7");
        });
        QVERIFY(!h.dialog->AllowSetStartYearPeriod());
        for (bool on : clicks) h.c<QCheckBox>("chkNoDepr")->setChecked(on);
        QVERIFY(h.dialog->SaveProfiles());

        QCOMPARE(h.param("FA", "NoDepr"), QString(clicks.last() ? "1" : "0"));
        QCOMPARE(h.param("FA", "WithoutDepr"), withoutDepr);
        const QMap<QString, int> cards = deprPeriods(h);
        QCOMPARE(QString("%1/%2/%3").arg(cards["FA001"]).arg(cards["FA002"]).arg(cards["FA003"]),
                 periods);
        if (!pastStart.isEmpty()) QCOMPARE(monthEnd(h, "FA", "FPastStart"), pastStart);
        QCOMPARE(h.shownOf("message"),
                 reminded
                     ? QStringList{"已将整个系统设为计提折旧，请为需要计提折旧的卡片选择折旧方法！"}
                     : QStringList());
    }

    // Payroll closes with the ledger unless unticked; what it does not pass
    // stays as it was.
    void payrollClosingFollowsTheLedgerUnlessUnticked_data() {
        QTest::addColumn<bool>("untick");
        QTest::addColumn<QString>("row");
        QTest::newRow("kept") << false << "2024/7/1/1";
        QTest::newRow("unticked") << true << "2024/7/0/1";
    }
    void payrollClosingFollowsTheLedgerUnlessUnticked() {
        QFETCH(bool, untick);
        QFETCH(QString, row);
        DialogHarness h("administrator", [](DialogHarness& d) {
            started(d);
            d.setParam("PA", "CurrentPeriod", "7");
            d.set.db->nativeExec(
                "UPDATE t_MonthEndSubSys SET Fperiodsynch = 0, FLedgerWaits = 1 "
                "WHERE FSubSys = 'PA'");
        });
        QVERIFY(h.c<QCheckBox>("ChkPeriod")->isChecked());
        if (untick) h.c<QCheckBox>("ChkPeriod")->setChecked(false);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(monthEnd(h, "PA",
                          "FYear || '/' || FPeriod || '/' || Fperiodsynch || '/' || FLedgerWaits"),
                 row);
    }
};

QTEST_MAIN(FixedAssetsTest)
#include "test_fixed_assets.moc"
