// The save as the dialog's buttons run it: Close answered Yes, Save with its
// reload, and the first use of a new account set up to the ledger start.

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "windows/PeriodSetup.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

class SaveJourneyTest : public QObject {
    Q_OBJECT

private slots:
    void closeAnsweredYesClosesOnlyAfterASave() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<QLineEdit>("txtCyName")->clear();  // the save will refuse this
        h.answerYes();
        h.c<QPushButton>("btnClose")->click();
        QCOMPARE(h.shownOf("message"), QStringList{"请设置本位币名称"});
        QVERIFY(h.dialog->isVisible());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());

        h.c<QLineEdit>("txtCyName")->setText("人民币");
        h.answerYes();
        h.c<QPushButton>("btnClose")->click();
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
    }

    void saveReloadsThePagesAndDisablesSave() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        QVERIFY(h.c<QPushButton>("btnSave")->isEnabled());
        // Changed behind the dialog's back; only a reload can show it.
        h.setParam("GL", "CurrentYear", "2024");

        h.c<QPushButton>("btnSave")->click();

        QVERIFY(h.dialog->isVisible());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), QString("2024"));
        QVERIFY(h.c<QCheckBox>("chkSettle")->isChecked());
    }

    void firstUseStartsTheLedger() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("GL", "StartYear", "2025");  // as the period set-up leaves it
        });
        h.dialog->show();
        QVERIFY(h.c<IntText3D>("txtStartYear")->isEnabled());
        typeText(h.c<QLineEdit>("txtCompanyName"), "新道演示有限公司");
        h.c<IntText3D>("txtStartYear")->setValue(2025);
        h.c<IntText3D>("txtStartPeriod")->setValue(1);
        typeText(h.c<QLineEdit>("txtCyNumber"), "R'MB;--");
        typeText(h.c<QLineEdit>("txtCyName"), "人民币'元; --");
        h.c<IntText3D>("txtCyScale")->setValue(3);
        h.answerYes();

        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("question"),
                 QStringList{"请确认账务初始参数(启用年度：2025、启用期间：1)和本位币的设置，"
                             "系统将不允许再次修改，是否确认启用！"});
        QVERIFY2(h.shownOf("error").isEmpty() && h.shownOf("message").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        const QString expected =
            "GL/Closed=1 GL/StartYear=2025 GL/StartPeriod=1 GL/CurrentYear=2025 GL/CurrentPeriod=1 "
            "PA/StartYear=2025 PA/StartPeriod=1 PA/CurrentYear=2025 PA/CurrentPeriod=1 "
            "FA/YearDifference=0 FA/CheckBeforeClosed=0 FA/StartYear=2025 FA/StartPeriod=1 "
            "FA/PeriodCount=12 FA/PeriodByMonth=1 FA/PeriodDates=12 FA/NoVoucher=0 "
            "FA/FALinkedGL=1 FA/WithoutDepr=0 FA/CurrentYear=2025 FA/CurrentPeriod=1 "
            "FA/StartDate=" +
            today + " General/CompanyName=新道演示有限公司";
        for (const QString& row : expected.split(u' ')) {
            const QString category = row.section(u'/', 0, 0),
                          key = row.section(u'/', 1).section(u'=', 0, 0);
            QVERIFY2(h.param(category, key) == row.section(u'=', 1),
                     qPrintable(row + " is " + h.param(category, key)));
        }
        auto currency = h.set.db->nativeQuery(
            "SELECT FNumber, FName, FScale FROM t_Currency WHERE FCurrencyID = 1");
        currency->MoveFirst();
        QCOMPARE(currency->Field(0).toString(), QString("R'MB;--"));
        QCOMPARE(currency->Field(1).toString(), QString("人民币'元; --"));
        QCOMPARE(currency->Field(2).toInt(), 3);

        // The reload shows a started ledger.
        QVERIFY(h.dialog->LedgerStarted());
        QVERIFY(!h.c<IntText3D>("txtStartYear")->isEnabled());
        for (const char* box : {"txtCyNumber", "txtCyName", "txtCyScale"}) {
            QVERIFY2(!h.dialog->findChild<QWidget*>(box)->isEnabled(), box);
        }
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), QString("2025"));
        QCOMPARE(h.c<QLineEdit>("txtCurPeriod")->text(), QString("1"));
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QCOMPARE(h.dialog->Tag(), QString("OK"));

        // Started once: a later save leaves the start alone and asks nothing.
        h.shown.clear();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QCOMPARE(h.param("GL", "StartPeriod"), QString("1"));
    }

    void periodSetUpRefreshesThePage() {
        refhost::PeriodSetupWindow::onShown = [](refhost::PeriodSetupWindow& w) {
            refhost::PeriodCalendar calendar;
            calendar.periodCount = 13;
            calendar.firstYear = QDate::currentDate().year();
            calendar.years = 2;
            w.setCalendar(calendar);
            w.accept();
        };
        DialogHarness h;
        h.dialog->show();
        h.c<QPushButton>("cmdSetPeriod")->click();
        refhost::PeriodSetupWindow::onShown = nullptr;

        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QVERIFY(h.dialog->findChild<QAbstractButton*>("optPeriod13")->isChecked());
        for (const char* box : {"txtStartPeriod", "txtCnStartPeriod", "txtIC_StartPeriod"}) {
            QVERIFY2(h.c<IntText3D>(box)->Max() == 13, box);
        }
        QCOMPARE(h.c<IntText3D>("txtIC_StartYear")->Value(), QDate::currentDate().year());
        auto rs = h.set.db->nativeQuery(
            "SELECT FValue FROM t_UserSetting WHERE FCategory = 'Session' AND FKey = "
            "'VoucherType'");
        QCOMPARE(rs->RecordCount(), 1);
        rs->MoveFirst();
        QCOMPARE(rs->Field(0).toString(), QString("16394"));
    }

    // Number boxes take digits only, within their limits, and keep Enter.
    void numberBoxesTakeDigitsWithinTheirLimits() {
        DialogHarness h;
        h.dialog->show();
        auto* box = h.c<IntText3D>("txtStartPeriod");
        box->setFocus();
        box->selectAll();
        QSignalSpy finished(box, &QAbstractSpinBox::editingFinished);
        QTest::keyClicks(box, "1x.");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, "2");
        QCOMPARE(finished.count(), 0);  // Enter never reached the box
        QCOMPARE(box->Value(), 12);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->Value(), 1);

        auto* day = h.c<IntText3D>("IntEndVoucherDate");  // a day beyond 31 is refused
        day->setFocus();
        day->setText("");
        QTest::keyClicks(day, "45");
        QCOMPARE(day->Text(), QString("4"));
    }
};

QTEST_MAIN(SaveJourneyTest)
#include "test_save_journey.moc"
