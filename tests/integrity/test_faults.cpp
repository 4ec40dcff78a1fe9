// Stored values the dialog must not lose: stored start years, a load that
// failed (nothing half-loaded can be saved), a ledger already started, texts
// as long as their columns.

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

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

private slots:
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

    // The error names what could not be read.
    void aFailedLoadCannotBeSaved_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        const char* const cases[][4] = {
            {"ledger page", "GL", "QtyDefNum", "99999999999"},
            {"business page", "IC", "PurchaseAlarmDateCount", "3000000000"},
            {"precision", "IC", "SInvoiceDecimal", "abc"}};
        for (const auto& c : cases) QTest::newRow(c[0]) << c[1] << c[2] << c[3];
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
        QVERIFY(!h.dialog->Loading());
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisibleTo(h.dialog.get()));
        QCOMPARE(notice->text(), QStringLiteral("参数读取出错，本次不能保存修改。"));
        QVERIFY(h.locked("txtFax"));
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        const auto before = h.stored();
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.stored(), before);
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
