// The cashier page: load before and after the start, the start check with
// its refusals and confirmation, the month-end link and GetMaxPeriod.

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

// A ledger started in 2024/1 and standing in the given period; the cashier
// is not started.
DialogHarness::Prepare ledgerAt(int year, int period) {
    return [=](DialogHarness& d) {
        for (const auto& [key, value] : {std::pair{"Closed", 1},
                                         {"InitClosed", 1},
                                         {"StartYear", 2024},
                                         {"StartPeriod", 1},
                                         {"CurrentYear", year},
                                         {"CurrentPeriod", period}}) {
            d.setParam("GL", key, QString::number(value));
        }
    };
}

void typeStart(DialogHarness& h, int year, int period) {
    h.c<IntText3D>("txtCnStartYear")->setValue(year);
    h.c<IntText3D>("txtCnStartPeriod")->setValue(period);
}

void journalIn(DialogHarness& h, int year, int period) {
    h.set.db->nativeExec("INSERT INTO t_CashJournal (FKind, FYear, FPeriod) VALUES (1, ?, ?)",
                         {year, period});
}

void started(DialogHarness& d) {
    refhost::startDemoModules(*d.set.db);
}

}  // namespace

class CashierTest : public QObject {
    Q_OBJECT

private slots:
    void aFreshSetProposesTheLedgerStartAndSavesNothing() {
        DialogHarness h;
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QVERIFY(!h.dialog->CashierStarted());
        QCOMPARE(h.c<IntText3D>("txtCnStartYear")->Text(), h.c<IntText3D>("txtStartYear")->Text());
        for (const char* name :
             {"txtCnCurrentYear", "txtCnCurrentPeriod", "txtCnMaxYear", "txtCnMaxPeriod"}) {
            QCOMPARE(h.c<QLineEdit>(name)->text(), QString());
        }
        QVERIFY(h.c<QRadioButton>("optXj(0)")->isChecked());
        QCOMPARE(h.c<IntText3D>("txtLenYh")->Value(), 4);
        QVERIFY(h.c<QCheckBox>("chkJournalFromGL")->isChecked());
        QVERIFY(!h.c<QCheckBox>("chkMakeJournal")->isChecked());

        // Without a start period the options are not saved either.
        const auto before = h.stored("CN");
        h.c<IntText3D>("txtLenXj")->setValue(6);
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.stored("CN"), before);
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
    }

    void aStartBeforeTheLedgerIsRefused_data() {
        QTest::addColumn<int>("ledgerYear");
        QTest::addColumn<int>("ledgerPeriod");
        QTest::addColumn<int>("startYear");
        QTest::addColumn<int>("startPeriod");
        QTest::addColumn<QString>("message");
        QTest::newRow("year before")
            << 2025 << 1 << 2024 << 12 << "出纳系统启用年度必须大于等于账务系统当前年度！";
        QTest::newRow("period before")
            << 2024 << 5 << 2024 << 3 << "出纳启用会计期间必须大于等于当前总账会计期间！";
    }
    void aStartBeforeTheLedgerIsRefused() {
        QFETCH(int, ledgerYear);
        QFETCH(int, ledgerPeriod);
        QFETCH(int, startYear);
        QFETCH(int, startPeriod);
        QFETCH(QString, message);
        DialogHarness h("administrator", ledgerAt(ledgerYear, ledgerPeriod));
        typeStart(h, startYear, startPeriod);
        h.c<IntText3D>("txtLenXj")->setValue(6);
        const auto before = h.stored("CN");

        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("message"), QStringList{message});
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(h.stored("CN"), before);  // not even the options
        QCOMPARE(h.dialog->Tag(), QString());
    }

    void decliningTheStartStillSavesTheChangedOptions() {
        DialogHarness h("administrator", ledgerAt(2024, 5));
        typeStart(h, 2024, 5);
        h.c<QRadioButton>("optYh(1)")->setChecked(true);
        h.c<IntText3D>("txtLenXj")->setValue(6);
        h.c<QCheckBox>("chkJournalFromGL")->setChecked(false);
        h.c<QCheckBox>("chkMakeJournal")->setChecked(true);
        h.c<QCheckBox>("chkUseESC")->setChecked(true);
        h.answerNo();
        const auto before = h.stored("CN");

        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("question"), QStringList{"请确认出纳初始参数的设置，是否确认启用！"});
        QCOMPARE(h.dialog->Stab()->currentIndex(), 3);
        QCOMPARE(h.dialog->Tag(), QString());
        // What the user changed, and nothing else: no start, no current period.
        const auto after = h.stored("CN");
        QCOMPARE(DialogHarness::differing(before, after),
                 (QStringList{"CN/CN_RJZ_JOURNALFROMGL", "CN/CN_RJZ_MAKEJOURNAL", "CN/CN_UseESC",
                              "CN/CN_Xjrjz_Rate_Len", "CN/CN_Yhrjz_FixRate"}));
        QCOMPARE(after.value("CN/CN_Yhrjz_FixRate"), QString("0"));
        QCOMPARE(after.value("CN/CN_Xjrjz_Rate_Len"), QString("6"));
        QCOMPARE(after.value("CN/CN_RJZ_JOURNALFROMGL"), QString("0"));
    }

    void aConfirmedStartSetsStartAndCurrentPeriodAndTheMark() {
        DialogHarness h("administrator", ledgerAt(2024, 5));
        typeStart(h, 2024, 7);
        h.answerYes();
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.dialog->Tag(), QString("OK"));
        for (const char* key :
             {"CN_START_YEAR", "CN_START_PERIOD", "CN_CURRENT_YEAR", "CN_CURRENT_PERIOD"}) {
            QCOMPARE(h.param("CN", key), QByteArray(key).endsWith("YEAR") ? "2024" : "7");
        }
        QCOMPARE(h.param("CN", "CN_Xjrjz_Rate_Len"), QString());  // untouched

        // Reopened, the start stands in its current period and is not asked again.
        h.open();
        QCOMPARE(h.c<QLineEdit>("txtCnCurrentPeriod")->text(), QString("7"));
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("question").size(), 1);
    }

    void aStartedCashierKeepsItsStart() {
        DialogHarness h("administrator", started);
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QVERIFY(h.dialog->CashierStarted());
        for (const char* name : {"txtCnStartYear", "txtCnStartPeriod"}) {
            QVERIFY(!h.c<IntText3D>(name)->isEnabled());
            QCOMPARE(h.c<IntText3D>(name)->toolTip(), QString("出纳系统已启用，不能再修改。"));
        }
        QCOMPARE(h.c<IntText3D>("txtCnStartYear")->Value(), 2024);
        QCOMPARE(h.c<IntText3D>("txtCnStartPeriod")->Value(), 1);
        QCOMPARE(h.c<QLineEdit>("txtCnCurrentYear")->text(), QString("2024"));
        QCOMPARE(h.c<QLineEdit>("txtCnCurrentPeriod")->text(), QString("6"));
        // Entries were made in advance up to 2024/8.
        QCOMPARE(h.c<QLineEdit>("txtCnMaxYear")->text(), QString("2024"));
        QCOMPARE(h.c<QLineEdit>("txtCnMaxPeriod")->text(), QString("8"));
        QVERIFY(h.c<QCheckBox>("chkSubSys")->isChecked());

        h.c<QCheckBox>("chkGLDiffNotSettle")->setChecked(true);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(h.param("CN", "CN_START_PERIOD"), QString("1"));
    }

    // Closing with the ledger's periods is kept by month-end closing, for the
    // cashier's current period.
    void closingWithTheLedgerIsStoredThroughMonthEnd() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            started(d);
            d.setParam("CN", "CN_CURRENT_PERIOD", "7");  // the calendar stands at 2024/6
        });
        auto* subSys = h.c<QCheckBox>("chkSubSys");
        QVERIFY(subSys->isEnabled());
        QVERIFY(!subSys->isChecked());
        subSys->click();
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        auto row = h.set.db->nativeQuery(
            "SELECT FYear || '/' || FPeriod || '/' || Fperiodsynch FROM t_MonthEndSubSys "
            "WHERE UPPER(FSubSys) = 'CN'");
        QCOMPARE(row->RecordCount(), 1);
        QCOMPARE(row->Field(0).toString(), QString("2024/7/1"));
    }

    void getMaxPeriodTakesTheLaterOfDataAndCurrentPeriod_data() {
        QTest::addColumn<int>("currentPeriod");
        QTest::addColumn<bool>("includeNext");
        QTest::addColumn<int>("dataYear");  // 0: no journal data
        QTest::addColumn<int>("dataPeriod");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("period");
        QTest::newRow("no data") << 12 << false << 0 << 0 << 2024 << 12;
        QTest::newRow("next period crosses the year end") << 12 << true << 0 << 0 << 2025 << 1;
        QTest::newRow("next period in the year") << 5 << true << 0 << 0 << 2024 << 6;
        QTest::newRow("data later in the next year") << 12 << true << 2025 << 3 << 2025 << 3;
        QTest::newRow("older data") << 12 << false << 2024 << 11 << 2024 << 12;
    }
    void getMaxPeriodTakesTheLaterOfDataAndCurrentPeriod() {
        QFETCH(int, currentPeriod);
        QFETCH(bool, includeNext);
        QFETCH(int, dataYear);
        QFETCH(int, dataPeriod);
        QFETCH(int, year);
        QFETCH(int, period);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            d.setParam("CN", "CN_CURRENT_YEAR", "2024");
            d.setParam("CN", "CN_CURRENT_PERIOD", QString::number(currentPeriod));
            if (dataYear) journalIn(d, dataYear, dataPeriod);
            journalIn(d, 2023, 12);
        });
        qint32 y = 0;
        qint32 p = 0;
        h.dialog->GetMaxPeriod(y, p, includeNext);
        QCOMPARE(y, year);
        QCOMPARE(p, period);
    }
};

QTEST_MAIN(CashierTest)
#include "test_cashier.moc"
