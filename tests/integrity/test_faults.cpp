// Stored values shown as they are and written back only when the user
// changes them: decimal tax rates, the leading number of a text, numbers
// beyond the typing limits, stored start years, a load that failed, a ledger
// already started, texts as long as their columns.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

void startModules(DialogHarness& d) {
    refhost::startDemoModules(*d.set.db);
}

QString itemRate(DialogHarness& h, int itemClass) {
    auto rs = h.set.db->nativeQuery(
        QStringLiteral("SELECT FDefaultValue FROM t_ItemPropDesc WHERE FItemClassID = ?"),
        {itemClass});
    rs->MoveFirst();
    return rs->Field(0).toString();
}

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
    void decimalTaxRateIsShownAndKept() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            startModules(d);
            d.setParam("General", "TaxRate", "17.5");
        });
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Text(), QString("17.5"));
        const QString rate = itemRate(h, 4);
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("General", "TaxRate"), QString("17.5"));
        QCOMPARE(itemRate(h, 4), rate);

        h.c<IntText3D>("txtTaxRate")->setText("1.5");
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("General", "TaxRate"), QString("1.5"));
        QCOMPARE(itemRate(h, 4), QString("1.5"));
        QCOMPARE(itemRate(h, 1), QString("1.5"));
    }

    void onlyTheLeadingNumberCounts() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("IC", "NoSameWareInBill", "&H1");
            d.setParam("IC", "MoCommitQty", "1D1");
        });
        QVERIFY(!h.c<QCheckBox>("chkNoSameWareInBill")->isChecked());
        QVERIFY(h.c<QCheckBox>("chkIC_MoCommitQty")->isChecked());
    }

    void numbersBeyondTheTypingLimitsAreShownAndKept() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            startModules(d);
            d.setParam("GL", "EndVoucherDate", "40");
            d.setParam("GL", "QtyDefNum", "10");
            d.setParam("IC", "PurchaseAlarmDateCount", "12000");
            d.setParam("FA", "DeprRateScale", "12");
            d.setParam("IC", "ManufactureAlarmDateCount", "10000");
        });
        QCOMPARE(h.c<IntText3D>("IntEndVoucherDate")->Text(), QString("40"));
        QCOMPARE(h.c<IntText3D>("IntQtyDefNum")->Text(), QString("10"));
        QCOMPARE(h.c<IntText3D>("txt_AlarmDateCount(0)")->Text(), QString("12000"));
        QCOMPARE(h.c<IntText3D>("DeprRateScale")->Text(), QString("12"));
        const int logRows = h.set.count("t_SystemProfile_Log");
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("GL", "EndVoucherDate"), QString("40"));
        QCOMPARE(h.param("GL", "QtyDefNum"), QString("10"));
        QCOMPARE(h.param("IC", "PurchaseAlarmDateCount"), QString("12000"));
        QCOMPARE(h.param("FA", "DeprRateScale"), QString("12"));
        QCOMPARE(h.param("IC", "ManufactureAlarmDateCount"), QString("10000"));
        QCOMPARE(h.set.count("t_SystemProfile_Log"), logRows);

        // The limits hold for what is typed: a day beyond 31 is refused at the box.
        auto* day = h.c<IntText3D>("IntEndVoucherDate");
        day->setText("");
        QTest::keyClicks(day, "45");
        QCOMPARE(day->Text(), QString("4"));
    }

    void storedStartYearsAreShown() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("CN", "CN_START_YEAR", "2025");
            d.setParam("CN", "CN_START_PERIOD", "1");
            d.setParam("CN", "CN_CURRENT_YEAR", "2025");
            d.setParam("CN", "CN_CURRENT_PERIOD", "3");
            d.removeParam("GL", "StartYear");
        });
        QCOMPARE(h.c<IntText3D>("txtCnStartYear")->Text(), QString("2025"));
        // The ledger may not start after the cashier it would contradict.
        h.c<IntText3D>("txtStartPeriod")->setText("1");
        h.answerYes();
        QVERIFY(!h.dialog->SaveProfiles());
        QVERIFY2(h.shownOf("message").contains(
                     QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！")),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "Closed"), QString("0"));
    }

    void aFailedLoadCannotBeSaved_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ledger page") << "GL"
                                     << "QtyDefNum"
                                     << "99999999999";
        QTest::newRow("business page") << "IC"
                                       << "PurchaseAlarmDateCount"
                                       << "3000000000";
        QTest::newRow("precision") << "IC"
                                   << "SInvoiceDecimal"
                                   << "x";
    }
    void aFailedLoadCannotBeSaved() {
        QFETCH(QString, category);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            startModules(d);
            d.setParam(category, key, stored);
        });
        const QStringList errors = h.shownOf("error");
        QVERIFY2(errors.size() == 1 && errors.first().contains(category + u'/' + key) &&
                     errors.first().contains(stored),
                 qPrintable(h.shown.join('\n')));
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisibleTo(h.dialog.get()));
        QCOMPARE(notice->text(), QStringLiteral("参数读取出错，本次不能保存修改。"));
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        const int before = h.set.count("t_SystemProfile");
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.set.count("t_SystemProfile"), before);
        QCOMPARE(h.param(category, key), stored);
    }

    void aFailedLoadOfTheClosingOptionsCannotBeSaved() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("IC", "UnCheckBillByPrevSaleFP", QString(400, u'9'));
            d.setParam("IC", "UnCheckBillByRedSaleFP", "1");
        });
        zx::closing::frmICSystemProfiles closing;
        closing.Form_Activate();
        QVERIFY(closing.readOnly());
        closing.findChild<QCheckBox*>("chkHS_UnCheckBillByRedSaleFP")->setChecked(false);
        QVERIFY(!closing.IsChanged());
        closing.btnOK_Click();
        QCOMPARE(h.param("IC", "UnCheckBillByRedSaleFP"), QString("1"));
    }

    // A ledger started without initial data yet: its start period may still
    // be corrected, and only that asks the start-up question again.
    void aStartedLedgerIsNotStartedAgain() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            for (const auto& [key, value] : {std::pair{"Closed", "1"},
                                             {"StartYear", "2024"},
                                             {"StartPeriod", "1"},
                                             {"CurrentYear", "2024"},
                                             {"CurrentPeriod", "1"}}) {
                d.setParam("GL", key, value);
            }
        });
        QVERIFY(h.c<IntText3D>("txtStartPeriod")->isEnabled());
        const QString startDate = h.param("FA", "StartDate");
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(h.dialog->SaveProfiles());
        QVERIFY2(h.unanswered.isEmpty() && h.shownOf("question").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("FA", "StartDate"), startDate);

        h.c<IntText3D>("txtStartPeriod")->setText("2");
        h.answerYes();
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("question").size(), 1);
        QCOMPARE(h.param("GL", "StartPeriod"), QString("2"));
    }

    void textsAreAsLongAsTheirColumns() {
        DialogHarness h("administrator", startModules);
        const QString longName = QString(300, u'公');
        h.c<QLineEdit>("txtCompanyName")->setText(longName);
        QCOMPARE(h.c<QLineEdit>("txtCompanyName")->text().size(), 255);
        h.c<QLineEdit>("txtIC_Item4Name")->setText(QString(100, u'货'));
        QCOMPARE(h.c<QLineEdit>("txtIC_Item4Name")->text().size(), 20);
        QCOMPARE(h.c<QLineEdit>("txtCyName")->maxLength(), 40);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        auto rs = h.set.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
        rs->MoveFirst();
        QCOMPARE(rs->Field(0).toString(), longName.left(255));
        QCOMPARE(h.param("IC", "Item4Name"), QString(20, u'货'));
    }
};

QTEST_MAIN(FaultsTest)
#include "test_faults.moc"
