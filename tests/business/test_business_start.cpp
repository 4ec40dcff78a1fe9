// The start-up of the business system in the page save, and the reactions of
// the business and ledger controls to one another.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "DialogHarness.h"
#include "services/IniFile.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

void setAppType(DialogHarness& h, int type) {
    refhost::writeIniValue(h.set.installDir + "/Common/QORBaseScheme.ini", "Version", "AppType",
                           QString::number(type));
}

// A ledger started in 2023/1 and now in 2024/5.
DialogHarness::Prepare startedLedger(int appType = 0, QList<QStringList> more = {}) {
    return [appType, more](DialogHarness& h) {
        setAppType(h, appType);
        for (const auto& [key, value] : {std::pair{"Closed", "1"},
                                         {"InitClosed", "1"},
                                         {"StartYear", "2023"},
                                         {"StartPeriod", "1"},
                                         {"CurrentYear", "2024"},
                                         {"CurrentPeriod", "5"}}) {
            h.setParam("GL", key, value);
        }
        for (const QStringList& r : more) h.setParam(r[0], r[1], r[2]);
    };
}

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

void typeStart(DialogHarness& h, int year, int period) {
    h.c<IntText3D>("txtIC_StartYear")->setValue(year);
    h.c<IntText3D>("txtIC_StartPeriod")->setValue(period);
}

bool ticked(DialogHarness& h, const QString& name) {
    return h.c<QCheckBox>(name)->isChecked();
}

bool enabled(DialogHarness& h, const QString& name) {
    return h.c<QWidget>(name)->isEnabled();
}

const QString kConfirm = "请确认业务初始参数的设置，系统将不允许再次修改，是否确认启用！";
const QString kProduction =
    "请确认'生产领料/委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）'参数设置，"
    "系统将不允许修改!";

}  // namespace

class BusinessStartTest : public QObject {
    Q_OBJECT

private slots:
    void anOpenLedgerStartRefusesTheBusinessStart() {
        DialogHarness h;
        QVERIFY(enabled(h, "txtStartYear"));
        h.c<QCheckBox>("chkIC_UseShortNumber")->setChecked(true);
        typeStart(h, 2024, 1);
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("message"),
                 QStringList{"业务系统启用年度及期间必须在账务系统启用年度及期间后！"});
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(h.param("IC", "StartPeriod"), QString("0"));
        QCOMPARE(h.param("IC", "CurrentYear"), QString("0"));
        QCOMPARE(h.param("IC", "UseShortNumber"), QString("1"));  // written before the step
        QCOMPARE(h.dialog->Tag(), QString());
    }

    void startAgainstTheLedgersCurrentPeriod_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("period");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("year before")
            << 2023 << 4 << "业务系统启用年度必须大于等于账务系统当前年度！";
        QTest::newRow("period before")
            << 2024 << 4 << "业务系统启用期间必须大于等于账务系统当前期间！";
        QTest::newRow("same period") << 2024 << 5 << QString();
        QTest::newRow("later year, earlier period") << 2025 << 1 << QString();
    }
    void startAgainstTheLedgersCurrentPeriod() {
        QFETCH(int, year);
        QFETCH(int, period);
        QFETCH(QString, refusal);
        DialogHarness h("administrator", startedLedger());
        QVERIFY(!enabled(h, "txtStartYear"));
        typeStart(h, year, period);
        h.answerYes();  // confirm the start
        h.answerYes();  // confirm the audit setting
        const bool saved = h.dialog->SaveProfiles();
        QCOMPARE(saved, refusal.isEmpty());
        QCOMPARE(h.shownOf("message"), refusal.isEmpty() ? QStringList() : QStringList{refusal});
        if (refusal.isEmpty()) {
            QCOMPARE(h.shownOf("question"), (QStringList{kConfirm, kProduction}));
            QCOMPARE(h.param("IC", "StartYear"), QString::number(year));
            QCOMPARE(h.param("IC", "StartPeriod"), QString::number(period));
            QCOMPARE(h.param("IC", "CurrentYear"), QString::number(year));
            QCOMPARE(h.param("IC", "CurrentPeriod"), QString::number(period));
            QCOMPARE(h.dialog->Tag(), QString("OK"));
            QCOMPARE(h.dialog->Stab()->currentIndex(), 4);
        } else {
            QCOMPARE(h.param("IC", "CurrentYear"), QString("0"));
            QCOMPARE(h.dialog->Tag(), QString());
        }
    }

    void theAuditQuestionFollowsTheApplicationType() {
        // Declining the start still asks about the audit setting; No ends the save.
        DialogHarness standard("administrator", startedLedger(0));
        typeStart(standard, 2024, 6);
        standard.answerNo();
        standard.answerNo();
        QVERIFY(!standard.dialog->SaveProfiles());
        QCOMPARE(standard.shownOf("question"), (QStringList{kConfirm, kProduction}));
        QCOMPARE(standard.param("IC", "CurrentYear"), QString("0"));
        QCOMPARE(standard.param("IC", "UPSTOCKWHENSAVE"), QString());  // step 9 not reached

        // The warehouse variant never asks it, and words the start its own way.
        DialogHarness warehouse("administrator", startedLedger(2));
        typeStart(warehouse, 2024, 6);
        warehouse.answerYes();
        QVERIFY(warehouse.dialog->SaveProfiles());
        QCOMPARE(warehouse.shownOf("question"),
                 QStringList{"请确认仓存初始参数的设置，系统将不允许再次修改，是否确认启用！"});
        QVERIFY(warehouse.unanswered.isEmpty());
        QCOMPARE(warehouse.param("IC", "CurrentPeriod"), QString("6"));
        QCOMPARE(warehouse.param("IC", "UPSTOCKWHENSAVE"), QString());  // untouched
    }

    void noStartPeriodNoStart() {
        DialogHarness h("administrator", startedLedger());
        typeStart(h, 2025, 0);
        QVERIFY(h.dialog->SaveProfiles());
        QVERIFY(h.shown.isEmpty());
        QCOMPARE(h.param("IC", "StartYear"), QString("0"));
    }

    void aStartedBusinessSystemStaysLocked() {
        DialogHarness h("administrator", startedLedger(0, {{"IC", "StartYear", "2024"},
                                                           {"IC", "StartPeriod", "3"},
                                                           {"IC", "CurrentYear", "2024"},
                                                           {"IC", "CurrentPeriod", "5"},
                                                           {"IC", "UnderStock", "1"}}));
        for (const char* name :
             {"txtIC_StartYear", "txtIC_StartPeriod", "chkIC_NegBalance", "chkIC_NegCalculate",
              "OptUPSTOCKWHENSAVE(0)", "OptUPSTOCKWHENSAVE(1)", "optHS_ZanguMethod(0)",
              "optHS_CalculateType(0)", "chkIC_MOQtyCheck"}) {
            QVERIFY2(!enabled(h, name), name);
            QVERIFY2(!h.c<QWidget>(name)->toolTip().isEmpty(), name);  // says why
        }
        QCOMPARE(h.c<IntText3D>("txtIC_StartYear")->Value(), 2024);
        QCOMPARE(h.c<QLineEdit>("txtIC_CurrPeriod")->text(), QString("5"));

        // Whatever the locked controls show, the save neither asks nor writes them.
        h.c<QRadioButton>("OptUPSTOCKWHENSAVE(1)")->setChecked(true);
        h.c<QCheckBox>("chkIC_NegBalance")->setChecked(false);
        QVERIFY(h.dialog->SaveProfiles());
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(h.param("IC", "UPSTOCKWHENSAVE"), QString());
        QCOMPARE(h.param("IC", "UnderStock"), QString("1"));
    }

    void typeOneMirrorsTheStartIntoTheLedger() {
        DialogHarness h("administrator", [](DialogHarness& d) { setAppType(d, 1); });
        h.c<IntText3D>("txtIC_StartPeriod")->setValue(3);
        QCOMPARE(h.c<IntText3D>("txtStartPeriod")->Value(), 3);

        DialogHarness other;
        const int ledgerPeriod = other.c<IntText3D>("txtStartPeriod")->Value();
        other.c<IntText3D>("txtIC_StartPeriod")->setValue(3);
        QCOMPARE(other.c<IntText3D>("txtStartPeriod")->Value(), ledgerPeriod);
    }

    // ----- Interlocks ---------------------------------------------------------

    void issueChecksUnderTheAuditCheck() {
        DialogHarness h("administrator", params({{"IC", "UPSTOCKWHENSAVE", "0"},
                                                 {"IC", "MoCheckQty", "1"},
                                                 {"IC", "upDiscountSave", "1"},
                                                 {"IC", "AlertMO", "2"}}));
        auto* alert = h.c<QComboBox>("cmbIC_AlertMO");
        QVERIFY(ticked(h, "chkIC_MOQtyCheck"));
        QVERIFY(enabled(h, "chkIC_MOQtyCheck"));
        QCOMPARE(alert->currentText(), QString("审核时提示，允许继续审核"));

        // One box of the pair stays ticked while the audit check is on.
        h.c<QCheckBox>("chkIC_MOCheckQty(0)")->setChecked(false);
        QVERIFY(ticked(h, "chkIC_MOCheckQty(1)"));
        QVERIFY(ticked(h, "chkIC_MOQtyCheck"));
        // The pair excludes itself.
        h.c<QCheckBox>("chkIC_MOCheckQty(0)")->setChecked(true);
        QVERIFY(!ticked(h, "chkIC_MOCheckQty(1)"));

        // The audit check swaps the wording and keeps the entry.
        h.c<QCheckBox>("chkIC_MOQtyCheck")->setChecked(false);
        QCOMPARE(alert->currentText(), QString("提示，并允许制单人继续保存"));
        QCOMPARE(alert->count(), 3);

        // Without an issue check there is no audit check.
        h.c<QCheckBox>("chkIC_MOCheckQty(0)")->setChecked(false);
        QVERIFY(!enabled(h, "chkIC_MOQtyCheck"));
        h.c<QCheckBox>("chkIC_MOCheckQty(1)")->setChecked(true);
        QVERIFY(enabled(h, "chkIC_MOQtyCheck"));

        // Update after save: the audit check is off and saved so.
        h.c<QCheckBox>("chkIC_MOQtyCheck")->setChecked(true);
        h.c<QRadioButton>("OptUPSTOCKWHENSAVE(1)")->setChecked(true);
        QVERIFY(!ticked(h, "chkIC_MOQtyCheck"));
        QVERIFY(!enabled(h, "chkIC_MOQtyCheck"));
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("IC", "upDiscountSave"), QString("0"));
        QCOMPARE(h.param("IC", "UPSTOCKWHENSAVE"), QString("1"));
        QCOMPARE(h.param("IC", "MoCheckQty"), QString("2"));
    }

    void theAuditCheckLoadsOnlyWhereItApplies() {
        DialogHarness afterSave("administrator", params({{"IC", "UPSTOCKWHENSAVE", "1"},
                                                         {"IC", "MoCheckQty", "1"},
                                                         {"IC", "upDiscountSave", "1"}}));
        QVERIFY(!ticked(afterSave, "chkIC_MOQtyCheck"));
        QVERIFY(!enabled(afterSave, "chkIC_MOQtyCheck"));
        QCOMPARE(afterSave.c<QComboBox>("cmbIC_AlertMO")->itemText(0), QString("继续保存不提示"));

        DialogHarness started("administrator", params({{"IC", "CurrentYear", "2024"},
                                                       {"IC", "UPSTOCKWHENSAVE", "0"},
                                                       {"IC", "MoCheckQty", "2"},
                                                       {"IC", "upDiscountSave", "1"}}));
        QVERIFY(ticked(started, "chkIC_MOQtyCheck"));
        QVERIFY(!enabled(started, "chkIC_MOQtyCheck"));
    }

    void theApprovalGuardAsksBeforeLettingGo() {
        DialogHarness h("administrator", params({{"GL", "VchMakeANDChkSame", "1"}}));
        h.dialog->show();
        auto* box = h.c<QCheckBox>("ChkAllCheck(0)");
        QVERIFY(box->isChecked());

        h.answerNo();
        box->click();
        QVERIFY(box->isChecked());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QCOMPARE(h.shownOf("question").size(), 1);
        QVERIFY(h.shownOf("question").first().startsWith("是否确认取消此控制参数？"));

        // Declined once, the guard asks again the next time.
        h.answerYes();
        box->click();
        QVERIFY(!box->isChecked());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.shownOf("question").size(), 2);
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("GL", "VchMakeANDChkSame"), QString("0"));
    }

    void controlsFollowOneAnother() {
        DialogHarness h("administrator", params({{"IC", "ShowUnderCalcType", "1"},
                                                 {"IC", "ShowUnderCalcTypeAInv", "1"},
                                                 {"IC", "SecUnit", "1"},
                                                 {"IC", "SecQtyIsMust", "1"},
                                                 {"IC", "AutoMakeInvoiceXS", "0"}}));
        // Negative-stock date bases exclude each other, with their own stock check.
        QVERIFY(ticked(h, "chkIC_ShowUnderCalcTypeAndInv"));
        QVERIFY(!enabled(h, "chkIC_ShowUnderCalcTypeByPeriodAndInv"));
        h.c<QCheckBox>("chkIC_ShowUnderCalcTypeByPeriod")->setChecked(true);
        QVERIFY(!ticked(h, "chkIC_ShowUnderCalcType"));
        QVERIFY(!ticked(h, "chkIC_ShowUnderCalcTypeAndInv"));
        QVERIFY(!enabled(h, "chkIC_ShowUnderCalcTypeAndInv"));
        QVERIFY(enabled(h, "chkIC_ShowUnderCalcTypeByPeriodAndInv"));

        // Secondary unit.
        QVERIFY(enabled(h, "chkIC_SecQtyIsMust"));
        h.c<QCheckBox>("chkIC_UseSecUnit")->setChecked(false);
        QVERIFY(!ticked(h, "chkIC_SecQtyIsMust"));
        QVERIFY(!enabled(h, "chkIC_SecQtyIsMust"));

        // Automatic invoices.
        QVERIFY(!enabled(h, "cmbIC_AutoMakeInvoiceXS"));
        h.c<QCheckBox>("chkIC_AutoMakeInvoiceXS")->setChecked(true);
        QVERIFY(enabled(h, "cmbIC_AutoMakeInvoiceXS"));

        // Closing checks.
        QVERIFY(!enabled(h, "cmdSetCheckItem"));
        h.c<QCheckBox>("chkHS_CheckBillPosted")->setChecked(true);
        QVERIFY(enabled(h, "cmdSetCheckItem"));

        // Tax rate of the taxpayer kind.
        h.c<QRadioButton>("rdoTaxType(1)")->setChecked(true);
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Value(), 3);
        h.c<QRadioButton>("rdoTaxType(0)")->setChecked(true);
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Value(), 13);

        // Current-account write-off and its business number.
        h.c<QCheckBox>("ChkTransNo")->setChecked(true);
        QVERIFY(ticked(h, "chkTransCheckStart"));
        h.c<QCheckBox>("chkTransCheckStart")->setChecked(false);
        QVERIFY(!ticked(h, "ChkTransNo"));

        // Internal transactions.
        h.c<QCheckBox>("ChkUseCussent")->setChecked(true);
        QVERIFY(enabled(h, "ChkNotCloseOff"));
        h.c<QCheckBox>("ChkUseCussent")->setChecked(false);
        QVERIFY(!enabled(h, "ChkNotCloseOff"));

        QVERIFY(h.dialog->IsChanged());
    }

    void aViewerGetsEveryOptionLocked() {
        DialogHarness h(
            "viewer", params({{"IC", "AutoMakeInvoiceCG", "1"}, {"IC", "ShowUnderCalcType", "1"}}));
        QVERIFY(!h.dialog->CanModify());
        for (const char* name :
             {"cmbIC_AutoMakeInvoiceCG", "chkIC_ShowUnderCalcTypeAndInv", "txtIC_StartYear",
              "chkIC_NegBalance", "OptType1(0)", "cmbIC_BOMType", "txtIC_Item4Name"}) {
            QVERIFY2(h.locked(name), name);
        }
        // Locked, not disabled: the values stay readable as they are.
        QVERIFY(enabled(h, "cmbIC_AutoMakeInvoiceCG"));
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
    }
};

QTEST_MAIN(BusinessStartTest)
#include "test_business_start.moc"
