// The general and ledger load on chosen stored values.

#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

bool checked(DialogHarness& h, const char* name) {
    return h.c<QCheckBox>(name)->isChecked();
}

}  // namespace

class GeneralLoadTest : public QObject {
    Q_OBJECT

private slots:
    void anEmptyStoreShowsTheDefaults() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile");
        });
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.c<QLineEdit>("txtCompanyName")->text(), QString());
        QVERIFY(h.c<QRadioButton>("CompanyType(0)")->isChecked());
        QVERIFY(!h.c<QRadioButton>("rdoTaxType(0)")->isChecked());
        QVERIFY(!h.c<QRadioButton>("rdoTaxType(1)")->isChecked());
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Value(), 0);
        QVERIFY(checked(h, "chkShowDashBoard"));
        for (const char* name : {"ChkAllCheck(0)", "chkSettle", "chkExpEachEnt", "ChkTransNo",
                                 "ChkUseCussent", "chkSysNum", "ChkVchNoViewItemClasslName"}) {
            QVERIFY2(!checked(h, name), name);
        }
        QCOMPARE(h.c<IntText3D>("IntQtyDefNum")->Value(), 2);
        QCOMPARE(h.c<IntText3D>("IntPriceDefNum")->Value(), 2);
        QCOMPARE(h.c<IntText3D>("txtZKLScale")->Value(), 2);
        QCOMPARE(h.c<IntText3D>("txtFPScale")->Value(), 4);
        QVERIFY(h.c<QRadioButton>("OptBud(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptYtdBud(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptYtd(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptSignBud(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptByDebit")->isChecked());
        QCOMPARE(h.c<IntText3D>("txtStartYear")->Value(), QDate::currentDate().year());
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), QString());
        QVERIFY(!h.dialog->IsChanged());
    }

    void organisationType_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("option");
        QTest::addColumn<bool>("incomeWording");
        QTest::newRow("enterprise") << "1" << 0 << false;
        QTest::newRow("public institution") << "2" << 1 << true;
        QTest::newRow("administrative unit") << "3" << 2 << true;
        QTest::newRow("unknown number") << "4" << 0 << true;
        QTest::newRow("not a number") << "x" << 0 << true;
    }
    void organisationType() {
        QFETCH(QString, stored);
        QFETCH(int, option);
        QFETCH(bool, incomeWording);
        DialogHarness h("administrator", params({{"General", "CompanyType", stored}}));
        QVERIFY(h.c<QRadioButton>(QString("CompanyType(%1)").arg(option))->isChecked());
        QCOMPARE(h.c<QCheckBox>("chkMcldgCostBal")->text() ==
                     QStringLiteral("多栏账支出类科目期初余额从余额表取数"),
                 incomeWording);
    }

    void sendingTypeOutsideTheOptionsSelectsNone() {
        DialogHarness h("administrator", params({{"GL", "ContrastSendType", "3"}}));
        for (const char* name : {"OptByDebit", "OptByCredit", "OptByall"}) {
            QVERIFY2(!h.c<QRadioButton>(name)->isChecked(), name);
        }
        DialogHarness credit("administrator", params({{"GL", "ContrastSendType", "1"}}));
        QVERIFY(credit.c<QRadioButton>("OptByCredit")->isChecked());
    }

    void specialItemsOverrideTheStoredValue_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("isChecked");
        QTest::newRow("none (-1)") << "-1" << true << true;  // stored value 1 stays
        QTest::newRow("forced off (0)") << "0" << false << false;
        QTest::newRow("forced on (1)") << "1" << false << true;
    }
    void specialItemsOverrideTheStoredValue() {
        QFETCH(QString, item);
        QFETCH(bool, visible);
        QFETCH(bool, isChecked);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            d.setParam("GL", "CheckBeforePost", "1");
            d.setParam("GL", "ExplanationEachEntry", "1");
            QFile ini(d.set.installDir + "/Common/SpecItems.ini");
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write(QString("[Options]\nCheckBeforePost=%1\n[Voucher]\nRequireBrief=%1\n")
                          .arg(item)
                          .toUtf8());
        });
        for (const char* name : {"chkCheckBeforePost", "chkExpEachEnt"}) {
            QCOMPARE(h.c<QCheckBox>(name)->isChecked(), isChecked);
            QCOMPARE(!h.c<QCheckBox>(name)->isHidden(), visible);
        }
    }

    void aStartedLedgerLocksItsStartAndCurrency() {
        DialogHarness h("administrator", params({{"GL", "Closed", "1"},
                                                 {"GL", "StartYear", "2025"},
                                                 {"GL", "StartPeriod", "3"},
                                                 {"GL", "CurrentYear", "2025"},
                                                 {"GL", "CurrentPeriod", "4"}}));
        QVERIFY(h.dialog->LedgerStarted());
        for (const char* name : {"txtStartYear", "txtCyNumber", "txtCyName", "txtCyScale"}) {
            QVERIFY2(!h.c<QWidget>(name)->isEnabled(), name);
            QCOMPARE(h.c<QWidget>(name)->toolTip(), QString("总账系统已启用，不能再修改。"));
        }
        QVERIFY(h.c<QWidget>("txtStartPeriod")->isEnabled());
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), "2025");
        QCOMPARE(h.c<QLineEdit>("txtCurPeriod")->text(), "4");
        // The period tree starts at the current year and shows its periods.
        auto* tree = h.c<QTreeWidget>("tvwPeriod");
        QCOMPARE(tree->currentItem()->text(0), "2025");
        QCOMPARE(h.c<QTableWidget>("pp")->rowCount(), 12);
        QCOMPARE(h.c<QTableWidget>("pp")->item(0, 1)->text(), "2025-01-01");
    }

    void closedInitialBalancesLockTheStartPeriod() {
        DialogHarness h("administrator", params({{"GL", "InitClosed", "1"}}));
        QVERIFY(!h.c<QWidget>("txtStartPeriod")->isEnabled());
        QVERIFY(!h.c<QWidget>("txtStartPeriod")->toolTip().isEmpty());
        QVERIFY(h.c<QWidget>("txtStartYear")->isEnabled());
    }

    void initialDataLockTheStartPeriod() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec(
                "INSERT INTO t_balance(FYear, FPeriod, FAccountID) VALUES (2025, 1, 1)");
        });
        QVERIFY(!h.c<QWidget>("txtStartPeriod")->isEnabled());
    }

    void publicSectorBooksUseTheirWording() {
        DialogHarness h("administrator", params({{"GL", "GaSystem", "1"}}));
        QCOMPARE(h.c<QLabel>("LBEarn")->text(), "结余科目：");
        QCOMPARE(h.c<QLabel>("LbCompany")->text(), "单位名称：");
        QCOMPARE(h.c<QCheckBox>("chkClosePnl")->text(), "结账要求收支类科目余额为零");
        QVERIFY(h.c<QWidget>("chkMcldgCostBal")->isHidden());
        QVERIFY(h.c<QWidget>("ChkGyVchEditStop")->isHidden());

        DialogHarness company;
        QCOMPARE(company.c<QLabel>("LbCompany")->text(), "公司名称：");
        QCOMPARE(company.c<QLabel>("LBEarn")->text(), "本年利润科目：");
        QVERIFY(!company.c<QWidget>("ChkGyVchEditStop")->isHidden());
    }

    void interCompanyOptionFollowsItsSwitch() {
        DialogHarness off;
        QVERIFY(!off.c<QWidget>("ChkNotCloseOff")->isEnabled());
        QCOMPARE(off.c<QWidget>("ChkNotCloseOff")->toolTip(),
                 QString("须先选中“启用内部往来凭证协同处理”。"));
        DialogHarness on("administrator", params({{"GL", "UseCussent", "1"}}));
        QVERIFY(on.c<QWidget>("ChkNotCloseOff")->isEnabled());
    }

    void taxTypeAndRate() {
        DialogHarness h("administrator",
                        params({{"General", "TaxType", "1"}, {"General", "TaxRate", "17.00"}}));
        QVERIFY(h.c<QRadioButton>("rdoTaxType(1)")->isChecked());
        QCOMPARE(h.dialog->OrigTaxType(), "1");
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Text(), QString("17"));

        DialogHarness decimal("administrator", params({{"General", "TaxRate", "17.5"}}));
        QCOMPARE(decimal.c<IntText3D>("txtTaxRate")->Text(), QString("17.5"));
    }

    // The error names what could not be read; nothing half-loaded can be saved.
    void aBadPrecisionStopsTheLoadAndTheSaves() {
        DialogHarness h("administrator", params({{"IC", "SInvoiceDecimal", "abc"}}));
        const QStringList errors = h.shownOf("error");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains("IC/SInvoiceDecimal") && errors.first().contains("abc"),
                 qPrintable(errors.first()));
        QVERIFY(!h.dialog->Loading());
        QVERIFY(!h.dialog->IsChanged());

        QCOMPARE(h.c<QLabel>("lblReadOnlyNotice")->text(),
                 QString("参数读取出错，本次不能保存修改。"));
        QVERIFY(h.locked("txtFax"));
        h.c<QLineEdit>("txtFax")->setText("021-1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        const auto before = h.stored();
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.stored(), before);
    }
};

QTEST_MAIN(GeneralLoadTest)
#include "test_general_load.moc"
