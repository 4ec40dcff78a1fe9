// The business page: how stored texts show, what a save writes back (only
// what the user changed), the start-up of the business system, the controls'
// reactions to one another, the caption side effects and the change log.

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "DialogHarness.h"
#include "services/IniFile.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

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
        params(more)(h);
    };
}

void typeStart(DialogHarness& h, int year, int period) {
    h.c<IntText3D>("txtIC_StartYear")->setValue(year);
    h.c<IntText3D>("txtIC_StartPeriod")->setValue(period);
}

void saveBusiness(DialogHarness& h) {
    QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
}

bool ticked(DialogHarness& h, const QString& name) {
    return h.c<QCheckBox>(name)->isChecked();
}

bool enabled(DialogHarness& h, const QString& name) {
    return h.c<QWidget>(name)->isEnabled();
}

QString column(DialogHarness& h, const QString& sql) {
    QStringList values;
    auto rs = h.set.db->nativeQuery(sql);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) values << rs->Field(0).toString();
    return values.join(u'|');
}

const QString kConfirm = "请确认业务初始参数的设置，系统将不允许再次修改，是否确认启用！";
const QString kProduction =
    "请确认'生产领料/委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）'参数设置，"
    "系统将不允许修改!";

}  // namespace

class BusinessTest : public QObject {
    Q_OBJECT

private slots:
    void anEmptyStoreShowsTheDefaults() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile");
        });
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        for (const char* name :
             {"chkIC_EnableMakePrevInvoiceCG", "chkIC_EnableMakePrevInvoiceXS",
              "chkIC_BackQtyGreaterPurchaseStockQty", "chkIC_BackQtyGreaterSaleStockQty",
              "chkIC_XsInvPriceFromStockOut", "chkIC_UnArticulateSelfBill",
              "chkIC_StoOut_QtyLargerQty", "chkIC_AutoMakeInvoiceCG", "chkIC_AutoMakeInvoiceXS",
              "OptType1(0)", "OptType2(1)", "OptType3(0)", "OptUPSTOCKWHENSAVE(0)",
              "optHS_ZanguMethod(1)"}) {
            QVERIFY2(h.c<QAbstractButton>(name)->isChecked(), name);
        }
        for (const char* name : {"chkNoSameWareInBill", "chkIC_UnCheckSelfBill", "chkIC(0)",
                                 "chkIC_CgInvPriceFromStockIn", "chkIC_MOQtyCheck"}) {
            QVERIFY2(!ticked(h, name), name);
        }
        auto* invoice = h.c<QComboBox>("cmbIC_AutoMakeInvoiceCG");
        QCOMPARE(invoice->currentText(), QString("普通发票"));
        QVERIFY(invoice->isEnabled());  // its box's reaction ran during the load
        QCOMPARE(h.c<QComboBox>("cmbIC_CreditDgree")->currentIndex(), 1);
        QCOMPARE(h.c<QComboBox>("cmbIC_BOMType")->currentIndex(), 0);
        QCOMPARE(h.c<QComboBox>("cmbIC_AlertMO")->currentText(),
                 QString("提示，并允许制单人继续保存"));
        QCOMPARE(h.c<QComboBox>("cmbIC_AuxSpaceMark")->currentIndex(), -1);
        QCOMPARE(h.c<IntText3D>("txtPrecisionOfSumRow")->Value(), 4);
        auto* startYear = h.c<IntText3D>("txtIC_StartYear");
        QCOMPARE(startYear->Value(), QDate::currentDate().year());
        QVERIFY(startYear->isEnabled());
        QVERIFY(!h.dialog->IsChanged());
    }

    // The three check-box rules read the same texts differently; a clicked
    // box is written as it now shows.
    void flagRulesReadTextsTheirOwnWay_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("b1");  // NoSameWareInBill: exactly 1
        QTest::addColumn<bool>("b0");  // DoubleUnit: not 0
        QTest::addColumn<bool>("bt");  // chkIC_UnCheckSelfBill: not the text "0"
        QTest::newRow("2") << "2" << false << true << true;
        QTest::newRow("00") << "00" << false << false << true;
    }
    void flagRulesReadTextsTheirOwnWay() {
        QFETCH(QString, stored);
        QFETCH(bool, b1);
        QFETCH(bool, b0);
        QFETCH(bool, bt);
        DialogHarness h("administrator", params({{"IC", "NoSameWareInBill", stored},
                                                 {"IC", "DoubleUnit", stored},
                                                 {"IC", "chkIC_UnCheckSelfBill", stored}}));
        QCOMPARE(ticked(h, "chkNoSameWareInBill"), b1);
        QCOMPARE(ticked(h, "chkIC(0)"), b0);
        QCOMPARE(ticked(h, "chkIC_UnCheckSelfBill"), bt);
        for (const char* name : {"chkNoSameWareInBill", "chkIC(0)", "chkIC_UnCheckSelfBill"}) {
            h.c<QCheckBox>(name)->click();
        }
        saveBusiness(h);
        QCOMPARE(h.param("IC", "NoSameWareInBill"), QString(b1 ? "0" : "1"));
        QCOMPARE(h.param("IC", "DoubleUnit"), QString(b0 ? "0" : "1"));
        QCOMPARE(h.param("IC", "chkIC_UnCheckSelfBill"), QString(bt ? "0" : "1"));
    }

    // Controls that show one key together: shown by their codec, left as
    // stored while untouched.
    void combinedKeysShowTogether() {
        const QList<QStringList> stored = {{"IC", "RedBillCaculate", "0x0"},
                                           {"IC", "AutoMakeInvoiceCG", "1"},
                                           {"IC", "MoCheckQty", "2"},
                                           {"IC", "ZanGuDiffMethod", "5"},
                                           {"IC", "CalculateType", "1"}};
        DialogHarness h("administrator", params(stored));
        for (const char* name :
             {"OptType1(0)", "OptType2(1)", "OptType3(0)", "chkIC_AutoMakeInvoiceCG",
              "chkIC_MOCheckQty(1)", "optHS_ZanguMethod(0)", "optHS_CalculateType(1)"}) {
            QVERIFY2(h.c<QAbstractButton>(name)->isChecked(), name);
        }
        saveBusiness(h);
        for (const QStringList& r : stored) QCOMPARE(h.param(r[0], r[1]), r[2]);
    }

    // One member clicked: the whole key is written from what all show.
    void aChangedMemberWritesItsWholeKey() {
        DialogHarness h("administrator", params({{"IC", "RedBillCaculate", "0x0"},
                                                 {"IC", "MoCheckQty", "3"},
                                                 {"IC", "AutoMakeInvoiceCG", "3"}}));
        h.c<QRadioButton>("OptType2(0)")->click();
        h.c<QCheckBox>("chkIC_MOCheckQty(0)")->click();
        saveBusiness(h);
        QCOMPARE(h.param("IC", "RedBillCaculate"), QString("000"));
        QCOMPARE(h.param("IC", "MoCheckQty"), QString("1"));
        // An invoice kind the list does not offer stays as stored.
        QCOMPARE(h.param("IC", "AutoMakeInvoiceCG"), QString("3"));
    }

    // Choosing an auto-fill type presets the batch fields, which are saved
    // with the blanks of their entries.
    void batchFieldNamesTravelWithTheirBlanks() {
        DialogHarness h("administrator", params({{"IC", "IsBatchNoAutoFillType", "0"}}));
        h.c<QComboBox>("cmbIC_IsBatchNoAutoFillType")->setCurrentIndex(2);
        QCOMPARE(h.c<QComboBox>("cmbIC_BatchNoFieldName(0)")->currentIndex(), 1);
        saveBusiness(h);
        QCOMPARE(h.param("IC", "IsBatchNoAutoFillType"), QString("2"));
        QCOMPARE(h.param("IC", "BatchNo01FieldName"), "批号" + QString(35, ' ') + "FBatchNo");
        QCOMPARE(h.param("IC", "BatchNo01FieldNameIndex"), QString("1"));
        QCOMPARE(h.param("IC", "IsBatchNoAutoFill"), QString("1"));
    }

    // The preset of the auto-fill type wins over stored fields; an auto-fill
    // stored without a type is corrected in the store at once.
    void batchPresetsAtLoad() {
        DialogHarness h("administrator", params({{"IC", "IsBatchNoAutoFillType", "0"},
                                                 {"IC", "IsBatchNoAutoFill", "1"}}));
        QVERIFY(!ticked(h, "chkIC_IsBatchNoAutoFill"));
        QCOMPARE(h.param("IC", "IsBatchNoAutoFill"), QString("0"));
        h.dialog->show();
        h.c<QPushButton>("btnClose")->click();  // leaves without saving or asking
        QVERIFY(h.unanswered.isEmpty());
        QCOMPARE(h.param("IC", "IsBatchNoAutoFill"), QString("0"));

        DialogHarness expiry("administrator", params({{"IC", "IsBatchNoAutoFillType", "1"},
                                                      {"IC", "BatchNo01FieldNameIndex", "3"},
                                                      {"IC", "BatchNo02FieldNameIndex", "4"},
                                                      {"IC", "BatchNo03FieldNameIndex", "5"},
                                                      {"IC", "BatchNo01OrderIndex", "1"}}));
        QVERIFY(ticked(expiry, "chkIC_IsBatchNoAutoFill"));
        QCOMPARE(expiry.c<QComboBox>("cmbIC_BatchNoFieldName(0)")->currentIndex(), 7);
        QCOMPARE(expiry.c<QComboBox>("cmbIC_BatchNoFieldName(1)")->currentIndex(), 1);
        QCOMPARE(expiry.c<QComboBox>("cmbIC_BatchNoFieldName(2)")->currentIndex(), 0);
        QCOMPARE(expiry.c<QComboBox>("cmbIC_BatchNoOrder(0)")->currentIndex(), 0);
        QVERIFY(!expiry.dialog->IsChanged());
    }

    void itemNameRenamesItsCaptions() {
        DialogHarness h;
        const QString name = "O'Neil's 商品";
        h.c<QLineEdit>("txtIC_Item4Name")->setText(name);
        saveBusiness(h);
        QCOMPARE(h.param("IC", "Item4Name"), name);
        QCOMPARE(column(h,
                        "SELECT FCaption FROM ICTemplateEntry WHERE FID = 'A01' ORDER BY "
                        "FCtlIndex"),
                 name + "代码|" + name + "名称|实收数量");
        QCOMPARE(column(h, "SELECT FQORCaption FROM t_MF_FuncElement ORDER BY FDetailFuncID"),
                 name + "|物料清单");
        QCOMPARE(column(h,
                        "SELECT FText FROM t_UserDict WHERE FSection = 'common' AND FWord = "
                        "'物料'"),
                 name);

        // Saving again without a change leaves the captions alone.
        h.set.db->nativeExec(
            "UPDATE t_MF_FuncElement SET FQORCaption = '物料' WHERE "
            "FDetailFuncID = 60020111");
        h.open();
        saveBusiness(h);
        QCOMPARE(column(h, "SELECT FQORCaption FROM t_MF_FuncElement ORDER BY FDetailFuncID"),
                 QString("物料|物料清单"));
    }

    void sumRowQuantitiesFollowTheBox() {
        DialogHarness h;
        h.c<QCheckBox>("chkIC_SumAbsoluteQty")->setChecked(true);
        saveBusiness(h);
        QCOMPARE(h.param("IC", "SumAbsoluteQty"), QString("1"));
        QCOMPARE(column(h, "SELECT FNeedCount FROM ICTemplateEntry ORDER BY FID, FCtlIndex"),
                 QString("0|0|1|0|1|1|0"));

        // Unchanged: no template update.
        h.set.db->nativeExec("UPDATE ICTemplateEntry SET FNeedCount = 0");
        h.open();
        saveBusiness(h);
        QCOMPARE(column(h, "SELECT SUM(FNeedCount) FROM ICTemplateEntry"), QString("0"));

        h.c<QCheckBox>("chkIC_SumAbsoluteQty")->setChecked(false);
        h.set.db->nativeExec("UPDATE ICTemplateEntry SET FNeedCount = 1");
        saveBusiness(h);
        QCOMPARE(h.param("IC", "SumAbsoluteQty"), QString("0"));
        QCOMPARE(column(h, "SELECT FNeedCount FROM ICTemplateEntry ORDER BY FID, FCtlIndex"),
                 QString("1|1|0|1|0|0|1"));
    }

    // Through the dialog's own Save, which reloads (and registers) the pages
    // after saving.
    void aWatchedChangeIsLoggedOnce() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkIC_StoOut_QtyLargerQty")->click();  // ticked by default
        h.c<IntText3D>("txt_AlarmDateCount(6)")->setValue(7);
        h.c<QCheckBox>("chkUpdateBomStock")->click();  // on and off again: no row
        h.c<QCheckBox>("chkUpdateBomStock")->click();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(!h.dialog->IsChanged(), qPrintable(h.shown.join('\n')));
        QCOMPARE(column(h,
                        "SELECT FKey || ':' || FOrigValue || '>' || FNewValue FROM "
                        "t_SystemProfile_Log ORDER BY FID"),
                 QString("CStoOutQtyLargerQty:启用>不启用|ManufactureAlarmDateCount:0>7"));
        QCOMPARE(column(h, "SELECT COUNT(DISTINCT FOptTime) FROM t_SystemProfile_Log"),
                 QString("1"));

        h.c<QCheckBox>("chkIC_UseShortNumber")->click();  // a change that is not watched
        h.c<QPushButton>("btnSave")->click();
        QVERIFY(!h.dialog->IsChanged());
        QCOMPARE(h.param("IC", "UseShortNumber"), QString("1"));
        QCOMPARE(h.set.count("t_SystemProfile_Log"), 2);
    }

    // ----- The start-up and the interlocks -----------------------------------

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
        auto row = [](const char* name, int year, int period, const QString& refusal) {
            QTest::newRow(name) << year << period << refusal;
        };
        row("year before", 2023, 4, "业务系统启用年度必须大于等于账务系统当前年度！");
        row("period before", 2024, 4, "业务系统启用期间必须大于等于账务系统当前期间！");
        row("same period", 2024, 5, "");
        row("later year, earlier period", 2025, 1, "");
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

    // Locked, not disabled: a viewer still reads the values as the rules leave them.
    void aViewerSeesOptionsLockedNotDisabled() {
        DialogHarness h("viewer", params({{"IC", "AutoMakeInvoiceCG", "1"}}));
        QVERIFY(h.locked("cmbIC_AutoMakeInvoiceCG"));
        QVERIFY(enabled(h, "cmbIC_AutoMakeInvoiceCG"));
    }
};

QTEST_MAIN(BusinessTest)
#include "test_business.moc"
