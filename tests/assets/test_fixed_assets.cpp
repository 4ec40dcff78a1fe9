// The fixed-asset options: load, what a save writes, the depreciation switch
// in a started module, and the start-period question of the module.

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

const char* const kFlagBoxes[] = {"ChkFAtoGL",       "chkNoDepr",     "chkNoVoucher",
                                  "chkMustChecked",  "chkVchChecked", "ChkLocationFullName",
                                  "ChkChangeNumber", "chkBalance",    "chkDeptAlterNextDepr",
                                  "chkVouchSingle"};

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

int monthEndPastStart(DialogHarness& h) {
    auto rows = h.set.db->nativeQuery(
        "SELECT FPastStart FROM t_MonthEndSubSys WHERE UPPER(FSubSys) = 'FA'");
    return rows->RecordCount() ? rows->Field(0).toInt() : -1;
}

const QString kReminder =
    QStringLiteral("已将整个系统设为计提折旧，请为需要计提折旧的卡片选择折旧方法！");

}  // namespace

class FixedAssetsTest : public QObject {
    Q_OBJECT

private slots:
    void aStoreWithoutValuesShowsTheDefaults() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile WHERE FCategory = 'FA'");
        });
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        for (const char* name : kFlagBoxes) {
            QCOMPARE(h.c<QCheckBox>(name)->isChecked(), qstrcmp(name, "chkVouchSingle") == 0);
        }
        QCOMPARE(h.c<IntText3D>("DeprRateScale")->Value(), 0);
        QCOMPARE(h.c<IntText3D>("DeprRateQty")->Value(), 0);
        QCOMPARE(h.dialog->NoDeprAtStart(), 0);
        QVERIFY(h.dialog->AllowSetStartYearPeriod());
    }

    void onlyAnExactZeroLeavesABoxUnticked() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("FA", "NoVoucher", "");
            d.setParam("FA", "MustChecked", "00");
            d.setParam("FA", "chkVoucherSingle", "0");
            d.setParam("FA", "DeprRateScale", "3.6");
        });
        QVERIFY(h.c<QCheckBox>("chkNoVoucher")->isChecked());
        QVERIFY(h.c<QCheckBox>("chkMustChecked")->isChecked());
        QVERIFY(!h.c<QCheckBox>("chkVouchSingle")->isChecked());
        QCOMPARE(h.c<IntText3D>("DeprRateScale")->Value(), 4);
    }

    void aUserWithoutTheModifyRightCanNeitherChangeNorSave() {
        DialogHarness h("viewer");
        for (const char* name : kFlagBoxes) QVERIFY2(h.locked(name), name);
        QVERIFY(h.locked("DeprRateScale"));
        QVERIFY(h.locked("DeprRateQty"));

        const auto before = h.stored();
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.stored(), before);
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
        QCOMPARE(after.value("FA/MustBalance"), QString("2"));
        QCOMPARE(after.value("FA/DeprRateQty"), QString("12"));
        // Depreciation was not switched, the module takes no part in the month-end.
        QCOMPARE(h.param("FA", "WithoutDepr"), QString());
        QCOMPARE(monthEndPastStart(h), -1);
        QVERIFY(h.shownOf("message").isEmpty());

        // Ticked already: forcing it on writes nothing.
        h.open();
        const auto again = h.stored("FA");
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.stored("FA"), again);
    }

    void switchingDepreciationOnInAStartedModule_data() {
        QTest::addColumn<QString>("currentPeriod");
        QTest::addColumn<bool>("recomputed");
        QTest::addColumn<int>("pastStart");
        QTest::newRow("past its start period") << "6" << true << 1;
        QTest::newRow("in its start period") << "1" << false << 0;
    }
    void switchingDepreciationOnInAStartedModule() {
        QFETCH(QString, currentPeriod);
        QFETCH(bool, recomputed);
        QFETCH(int, pastStart);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            started(d);
            d.setParam("FA", "CurrentPeriod", currentPeriod);
        });
        QVERIFY(h.c<QCheckBox>("chkNoDepr")->isChecked());
        QVERIFY(!h.dialog->AllowSetStartYearPeriod());

        h.c<QCheckBox>("chkNoDepr")->setChecked(false);
        QVERIFY(h.dialog->SaveProfiles());

        QCOMPARE(h.param("FA", "NoDepr"), QString("0"));
        QCOMPARE(h.param("FA", "WithoutDepr"), QString("1"));
        const QMap<QString, int> expected =
            recomputed ? QMap<QString, int>{{"FA001", 235}, {"FA002", 91}, {"FA003", 0}}
                       : QMap<QString, int>{{"FA001", 0}, {"FA002", 0}, {"FA003", 0}};
        QCOMPARE(deprPeriods(h), expected);
        QCOMPARE(monthEndPastStart(h), pastStart);
        QCOMPARE(h.shownOf("message"), QStringList{kReminder});
    }

    void switchingDepreciationOffRemindsOfNothing() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            started(d);
            d.setParam("FA", "NoDepr", "0");
            d.set.db->nativeExec("UPDATE t_FACard SET FDeprPeriods = 7");
        });
        h.c<QCheckBox>("chkNoDepr")->setChecked(true);
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(deprPeriods(h).value("FA001"), 0);
        QCOMPARE(h.param("FA", "WithoutDepr"), QString("1"));
        QVERIFY(h.shownOf("message").isEmpty());
    }

    void switchingBackBeforeSavingLeavesNoMark() {
        DialogHarness h("administrator", started);
        h.c<QCheckBox>("chkNoDepr")->setChecked(false);
        h.c<QCheckBox>("chkNoDepr")->setChecked(true);
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("FA", "WithoutDepr"), QString("0"));
        QCOMPARE(deprPeriods(h).value("FA001"), 0);
        QVERIFY(h.shownOf("message").isEmpty());
    }
};

QTEST_MAIN(FixedAssetsTest)
#include "test_fixed_assets.moc"
