// The business parameters on the demo account set: how stored texts show,
// what a save writes back (only what the user changed), the caption side
// effects and the change log of the watched production keys.

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"
#include "zx/store/ChangeLog.h"

using zx::frame::IntText3D;

namespace {

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

void saveBusiness(DialogHarness& h) {
    QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
}

bool ticked(DialogHarness& h, const QString& name) {
    return h.c<QCheckBox>(name)->isChecked();
}

QString column(DialogHarness& h, const QString& sql) {
    QStringList values;
    auto rs = h.set.db->nativeQuery(sql);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) values << rs->Field(0).toString();
    return values.join(u'|');
}

}  // namespace

class BusinessParamsTest : public QObject {
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
              "chkIC_StoOut_QtyLargerQty", "chkIC_AutoMakeInvoiceCG", "chkIC_AutoMakeInvoiceXS"}) {
            QVERIFY2(ticked(h, name), name);
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
        QVERIFY(h.c<QRadioButton>("OptType1(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptType2(1)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptType3(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("OptUPSTOCKWHENSAVE(0)")->isChecked());
        QVERIFY(h.c<QRadioButton>("optHS_ZanguMethod(1)")->isChecked());
        auto* startYear = h.c<IntText3D>("txtIC_StartYear");
        QCOMPARE(startYear->Value(), QDate::currentDate().year());
        QVERIFY(startYear->isEnabled());
        QVERIFY(!h.dialog->IsChanged());
    }

    // The three check-box rules read the same texts differently; a save
    // leaves an untouched box's text as stored and writes a clicked box as
    // it now shows.
    void flagRulesReadTextsTheirOwnWay_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("b1");  // NoSameWareInBill: exactly 1
        QTest::addColumn<bool>("b0");  // DoubleUnit: not 0
        QTest::addColumn<bool>("bt");  // chkIC_UnCheckSelfBill: not the text "0"
        QTest::newRow("2") << "2" << false << true << true;
        QTest::newRow("00") << "00" << false << false << true;
        QTest::newRow("blank 0") << " 0" << false << false << true;
        QTest::newRow("1") << "1" << true << true << true;
        QTest::newRow("0") << "0" << false << false << false;
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
        saveBusiness(h);
        for (const char* key : {"NoSameWareInBill", "DoubleUnit", "chkIC_UnCheckSelfBill"}) {
            QCOMPARE(h.param("IC", key), stored);
        }

        h.open();
        for (const char* name : {"chkNoSameWareInBill", "chkIC(0)", "chkIC_UnCheckSelfBill"}) {
            h.c<QCheckBox>(name)->click();
        }
        saveBusiness(h);
        QCOMPARE(h.param("IC", "NoSameWareInBill"), QString(b1 ? "0" : "1"));
        QCOMPARE(h.param("IC", "DoubleUnit"), QString(b0 ? "0" : "1"));
        QCOMPARE(h.param("IC", "chkIC_UnCheckSelfBill"), QString(bt ? "0" : "1"));
    }

    void anUnknownAuxMarkStaysStored() {
        DialogHarness h("administrator", params({{"General", "AuxSpaceMark", "|"}}));
        QCOMPARE(h.c<QComboBox>("cmbIC_AuxSpaceMark")->currentIndex(), -1);
        saveBusiness(h);
        QCOMPARE(h.param("General", "AuxSpaceMark"), QString("|"));

        DialogHarness known("administrator", params({{"General", "AuxSpaceMark", "-"}}));
        QCOMPARE(known.c<QComboBox>("cmbIC_AuxSpaceMark")->currentText(), QString("-"));
        known.c<QComboBox>("cmbIC_AuxSpaceMark")->setCurrentIndex(2);
        saveBusiness(known);
        QCOMPARE(known.param("General", "AuxSpaceMark"), QString("."));
    }

    // Controls that show one key together: shown by their codec, left as
    // stored while untouched.
    void combinedEncodings_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("checked");  // controls that must show checked
        QTest::newRow("red bills, one position")
            << "RedBillCaculate"
            << "0" << QStringList{"OptType1(0)", "OptType2(1)", "OptType3(1)"};
        QTest::newRow("red bills, empty")
            << "RedBillCaculate"
            << "" << QStringList{"OptType1(1)", "OptType2(1)", "OptType3(1)"};
        QTest::newRow("red bills, other characters")
            << "RedBillCaculate"
            << "0x0" << QStringList{"OptType1(0)", "OptType2(1)", "OptType3(0)"};
        QTest::newRow("special invoice") << "AutoMakeInvoiceCG"
                                         << "1" << QStringList{"chkIC_AutoMakeInvoiceCG"};
        QTest::newRow("no automatic invoice") << "AutoMakeInvoiceCG"
                                              << "0" << QStringList{};
        QTest::newRow("partial issue") << "MoCheckQty"
                                       << "2" << QStringList{"chkIC_MOCheckQty(1)"};
        QTest::newRow("provisional cost") << "ZanGuDiffMethod"
                                          << "5" << QStringList{"optHS_ZanguMethod(0)"};
        QTest::newRow("costing per warehouse") << "CalculateType"
                                               << "1" << QStringList{"optHS_CalculateType(1)"};
    }
    void combinedEncodings() {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QStringList, checked);
        DialogHarness h("administrator", params({{"IC", key, stored}}));
        for (const QString& name : checked) {
            QVERIFY2(h.c<QAbstractButton>(name)->isChecked(), qPrintable(name));
        }
        saveBusiness(h);
        QCOMPARE(h.param("IC", key), stored);
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
};

QTEST_MAIN(BusinessParamsTest)
#include "test_business_params.moc"
