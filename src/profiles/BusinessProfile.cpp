// Business parameters: inventory, purchasing, sales, manufacturing and
// inventory costing. One catalogue of keys drives the load and the save; the
// two walk it in different orders, and the keys whose encoding is their own
// are written out below the catalogue.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <cmath>

#include "zx/host/DictionaryServices.h"
#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/ChangeLog.h"
#include "zx/store/Store.h"
#include "zx/store/WatchedParams.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

QString L(const char* s) {
    return QString::fromUtf8(s);
}

// How a stored text becomes a control's state and back.
enum class Rule {
    B0,  // ticked when the leading number is not 0; saved 1/0
    B1,  // ticked only when the leading number is exactly 1; saved 1/0
    BT,  // unticked only for the text "0" itself; saved 1/0
    L0,  // list index = number; saved the index
    L1,  // list index = number - 1; saved index + 1
    LD,  // list index = number; saved the entry's item data
    TX,  // the text unchanged; saved the text
    TN,  // numeric box showing the leading number; saved the box's text
    NV,  // as TN; saved the box's numeric value
    // Encodings of their own, written out in loadSpecial / saveSpecial.
    AuxSpaceMark,     // the entry equal to the stored text; saved only when one is chosen
    StartYear,        // the integer part; written by the start-up step only
    UpStockWhenSave,  // 0: option 0; else option 1
    CalculateType,    // 0: option 0; else option 1
    AutoMakeInvoice,  // 0 off, 1 special invoice, 2 ordinary invoice: box and combo
    ZanGuDiffMethod,  // not 0: option 0 (saved 1); else option 1 (saved 0)
    RedBillCaculate,  // three characters, one per option pair: "0" option 0
    MoCheckQty,       // 1: box 0; 2: box 1; else neither
    BatchFieldName,   // written only: the chosen entry's whole text
    LoadOnly,         // TX at load; the start-up step writes it
};

struct BizKey {
    const char* key;
    const char* category;
    const char* control;
    const char* defaultValue;
    Rule rule;
    bool enabledByRight = false;  // the load sets enabled = modify right
};

constexpr bool kByRight = true;

// Every business key: category, control, default, rule. Controls of a
// control array are "Name(i)"; option pairs name their array. The automatic
// invoices name the suffix of their box chkIC_AutoMakeInvoice.. and combo
// cmbIC_AutoMakeInvoice..; the red-bill rule the stem of OptType1..OptType3.
const BizKey kCatalogue[] = {
    // Basic options
    {"SingleMan", "General", "chkIC_SingleMan", "0", Rule::B0, kByRight},
    {"NoModifySelBillPrice", "General", "chkNoModifySelBillPrice", "0", Rule::B0, kByRight},
    {"chkEnableSelectSameBillEntry", "General", "chkEnableSelectSameBillEntry", "0", Rule::B0,
     kByRight},
    {"NoSameWareInBill", "IC", "chkNoSameWareInBill", "0", Rule::B1},
    {"DoubleUnit", "IC", "chkIC(0)", "0", Rule::B0, kByRight},
    {"UseShortNumber", "IC", "chkIC_UseShortNumber", "0", Rule::B0, kByRight},
    {"SaveBeforePrint", "IC", "chkIC_SaveBeforePrint", "0", Rule::B0, kByRight},
    {"SumAbsoluteQty", "IC", "chkIC_SumAbsoluteQty", "0", Rule::B0, kByRight},
    {"SecUnit", "IC", "chkIC_UseSecUnit", "0", Rule::B0, kByRight},
    {"SecQtyIsMust", "IC", "chkIC_SecQtyIsMust", "0", Rule::B0},
    {"EditSelfBill", "IC", "chkIC_EditSelfBill", "0", Rule::B0, kByRight},
    {"AuxSpaceMark", "General", "cmbIC_AuxSpaceMark", "", Rule::AuxSpaceMark, kByRight},
    {"Item4Name", "IC", "txtIC_Item4Name", "", Rule::TX, kByRight},
    {"chkIC_UnCheckSelfBill", "IC", "chkIC_UnCheckSelfBill", "0", Rule::BT},
    {"chkIC_UnArticulateSelfBill", "IC", "chkIC_UnArticulateSelfBill", "1", Rule::BT},
    // Initial parameters
    {"StartYear", "IC", "txtIC_StartYear", "0", Rule::StartYear},
    {"StartPeriod", "IC", "txtIC_StartPeriod", "0", Rule::LoadOnly},
    {"CurrentYear", "IC", "txtIC_CurrYear", "0", Rule::LoadOnly},
    {"CurrentPeriod", "IC", "txtIC_CurrPeriod", "0", Rule::LoadOnly},
    {"UnderStock", "IC", "chkIC_NegBalance", "0", Rule::B0},
    {"UnderStockCalculate", "IC", "chkIC_NegCalculate", "0", Rule::B0},
    {"UPSTOCKWHENSAVE", "IC", "OptUPSTOCKWHENSAVE", "0", Rule::UpStockWhenSave},
    {"CalculateType", "IC", "optHS_CalculateType", "0", Rule::CalculateType},
    // Purchasing
    {"chkIC_CreditDgreeNoOrderCG", "IC", "chkIC_CreditDgreeNoOrderCG", "0", Rule::B0, kByRight},
    {"CGOrderDepositType", "IC", "cmbIC_OrderDepositTypeCG", "0", Rule::L0},
    {"chkIC_EnableMakePrevInvoiceCG", "IC", "chkIC_EnableMakePrevInvoiceCG", "1", Rule::B1},
    {"CgInvPriceFromStockIn", "IC", "chkIC_CgInvPriceFromStockIn", "0", Rule::B1},
    {"BackQtyGreaterPurchaseStockQty", "IC", "chkIC_BackQtyGreaterPurchaseStockQty", "1", Rule::B1},
    {"AutoMakeInvoiceCG", "IC", "CG", "2", Rule::AutoMakeInvoice},
    {"AutoHookAfterCheckPurVachour", "IC", "chkIC_AutoHookAfterCheckPurVachour", "0", Rule::B1},
    {"MakeBillCG", "IC", "cmbIC_MakeBillCG", "1", Rule::L1},
    {"CreditDegreeCG", "IC", "cmbIC_CreditDgreeCG", "2", Rule::L1},
    {"AlertPOMaxPrice", "IC", "chkIC_AlertPOMaxPrice", "0", Rule::B0, kByRight},
    {"NoHookPIWhenDiffQty", "IC", "chkIC_NoHookPIWhenDiffQty", "0", Rule::B0, kByRight},
    {"CQtyLargerPOQty", "IC", "chkIC_QtyLargerPOQty", "0", Rule::B0, kByRight},
    {"PurchaseAlarmDateCount", "IC", "txt_AlarmDateCount(0)", "0", Rule::TN},
    // Sales
    {"chkIC_CreditDgreeNoOrderXS", "IC", "chkIC_CreditDgreeNoOrderXS", "0", Rule::B0, kByRight},
    {"XSOrderDepositType", "IC", "cmbIC_OrderDepositTypeXS", "0", Rule::L0},
    {"chkIC_EnableMakePrevInvoiceXS", "IC", "chkIC_EnableMakePrevInvoiceXS", "1", Rule::B1},
    {"XsInvPriceFromStockOut", "IC", "chkIC_XsInvPriceFromStockOut", "1", Rule::B1},
    {"BackQtyGreaterSaleStockQty", "IC", "chkIC_BackQtyGreaterSaleStockQty", "1", Rule::B1},
    {"AutoMakeInvoiceXS", "IC", "XS", "2", Rule::AutoMakeInvoice},
    {"AutoHookAfterCheckSalVachour", "IC", "chkIC_AutoHookAfterCheckSalVachour", "0", Rule::B1},
    {"MakeBillXS", "IC", "cmbIC_MakeBillXS", "1", Rule::L1},
    {"CreditDegree", "IC", "cmbIC_CreditDgree", "2", Rule::L1},
    {"NoHookSIWhenDiffQty", "IC", "chkIC_NoHookSIWhenDiffQty", "0", Rule::B0, kByRight},
    {"CQtyLargerSEQty", "IC", "chkIC_QtyLargerSEQty", "0", Rule::B0, kByRight},
    {"SaleAlarmDateCount", "IC", "txt_AlarmDateCount(1)", "0", Rule::TN},
    // Warehouse
    {"ShowUnderTip", "IC", "chkIC_ShowUnderTip", "0", Rule::B0, kByRight},
    {"ShowUnderCalcType", "IC", "chkIC_ShowUnderCalcType", "0", Rule::B0, kByRight},
    {"ShowUnderCalcTypeAInv", "IC", "chkIC_ShowUnderCalcTypeAndInv", "0", Rule::B0},
    {"ShowUnderCalcTypeByPeriod", "IC", "chkIC_ShowUnderCalcTypeByPeriod", "0", Rule::B0, kByRight},
    {"ShowUnderCalcTypeByPeriodAInv", "IC", "chkIC_ShowUnderCalcTypeByPeriodAndInv", "0", Rule::B0},
    {"UseHighInv", "IC", "chkIC_UseHighInv", "0", Rule::B0, kByRight},
    {"UseLowInv", "IC", "chkIC_UseLowInv", "0", Rule::B0, kByRight},
    {"UseSafeInv", "IC", "chkIC_UseSafeInv", "0", Rule::B0, kByRight},
    {"StockGuaranteeAlarmDateCount", "IC", "txt_AlarmDateCount(2)", "0", Rule::TN},
    {"StockInactiveAlarmDateCount", "IC", "txt_AlarmDateCount(3)", "0", Rule::TN},
    {"IsBatchNoAutoFillType", "IC", "cmbIC_IsBatchNoAutoFillType", "0", Rule::L0},
    // Default batch-number ordering
    {"IsBatchNoAutoFill", "IC", "chkIC_IsBatchNoAutoFill", "0", Rule::B0, kByRight},
    {"BatchNo01FieldNameIndex", "IC", "cmbIC_BatchNoFieldName(0)", "0", Rule::L0},
    {"BatchNo02FieldNameIndex", "IC", "cmbIC_BatchNoFieldName(1)", "0", Rule::L0},
    {"BatchNo03FieldNameIndex", "IC", "cmbIC_BatchNoFieldName(2)", "0", Rule::L0},
    {"BatchNo01FieldName", "IC", "cmbIC_BatchNoFieldName(0)", "", Rule::BatchFieldName},
    {"BatchNo02FieldName", "IC", "cmbIC_BatchNoFieldName(1)", "", Rule::BatchFieldName},
    {"BatchNo03FieldName", "IC", "cmbIC_BatchNoFieldName(2)", "", Rule::BatchFieldName},
    {"BatchNo01OrderIndex", "IC", "cmbIC_BatchNoOrder(0)", "0", Rule::L0},
    {"BatchNo02OrderIndex", "IC", "cmbIC_BatchNoOrder(1)", "0", Rule::L0},
    {"BatchNo03OrderIndex", "IC", "cmbIC_BatchNoOrder(2)", "0", Rule::L0},
    // Receivables and payables
    {"ARAlarmDateCount", "IC", "txt_AlarmDateCount(4)", "0", Rule::TN},
    {"APAlarmDateCount", "IC", "txt_AlarmDateCount(5)", "0", Rule::TN},
    {"SalePriceType", "IC", "cmbprice", "0", Rule::L0},
    // Inventory costing
    {"CheckBillPosted", "IC", "chkHS_CheckBillPosted", "0", Rule::B0, kByRight},
    {"IsShowStockData", "IC", "ChkHS_IsShowStockData", "0", Rule::B0, kByRight},
    {"IsTranRePrice", "IC", "chkHS_IsTranRePrice", "0", Rule::B0, kByRight},
    {"ZanGuDiffMethod", "IC", "optHS_ZanguMethod", "0", Rule::ZanGuDiffMethod},
    {"AdjustPrice", "IC", "cmbHS_AdjustPrice", "0", Rule::LD, kByRight},
    {"NoOriginPrice", "IC", "cmbHS_NoOriginPrice", "0", Rule::LD, kByRight},
    {"NegPrice", "IC", "cmbHS_NegPrice", "0", Rule::LD, kByRight},
    {"RedBillCaculate", "IC", "OptType", "010", Rule::RedBillCaculate},
    // Production and outsourcing
    {"MoCheckQty", "IC", "chkIC_MOCheckQty", "0", Rule::MoCheckQty},
    {"upDiscountSave", "IC", "chkIC_MOQtyCheck", "0", Rule::B1},
    {"MoCommitQty", "IC", "chkIC_MoCommitQty", "0", Rule::B1},
    {"MoCheckNoApportionFee", "IC", "chkIC_MoCheckNoApportionFee", "0", Rule::B1},
    {"OutMoCheckNoOutExpense", "IC", "chkIC_OutMoCheckNoOutExpense", "0", Rule::B1},
    {"CProOutQtyLargerQty", "IC", "chkIC_ProOut_QtyLargerQty", "0", Rule::B0},
    {"CStoOutQtyLargerQty", "IC", "chkIC_StoOut_QtyLargerQty", "1", Rule::B0},
    {"AlertMO", "IC", "cmbIC_AlertMO", "2", Rule::L1},
    {"BOMType", "IC", "cmbIC_BOMType", "1", Rule::L1},
    {"UpdateBomStock", "IC", "chkUpdateBomStock", "0", Rule::B1},
    {"ManufactureAlarmDateCount", "IC", "txt_AlarmDateCount(6)", "0", Rule::TN},
    // Outside the frames
    {"FKFPreperiod", "IC", "txtIC_FKFPreperiod", "0", Rule::NV, kByRight},
    {"PrecisionOfSumRow", "IC", "txtPrecisionOfSumRow", "4", Rule::TN},
};

const BizKey& bizKey(const char* key) {
    for (const BizKey& k : kCatalogue) {
        if (qstrcmp(k.key, key) == 0) return k;
    }
    throw HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                    QStringLiteral("未定义的业务参数: %1").arg(L(key)));
}

store::ParamSpec specOf(const BizKey& k) {
    using R = store::ParamRule;
    R rule = R::Flag;
    switch (k.rule) {
        case Rule::B0:
            rule = R::Flag;
            break;
        case Rule::B1:
            rule = R::FlagIsOne;
            break;
        case Rule::BT:
            rule = R::FlagUnlessZero;
            break;
        case Rule::L0:
            rule = R::ComboIndex;
            break;
        case Rule::L1:
            rule = R::ComboIndexFrom1;
            break;
        case Rule::LD:
            rule = R::ComboItemData;
            break;
        case Rule::TX:
        case Rule::LoadOnly:
            rule = R::Text;
            break;
        case Rule::TN:
            rule = R::NumberText;
            break;
        case Rule::NV:
            rule = R::Number;
            break;
        case Rule::AuxSpaceMark:
        case Rule::BatchFieldName:
            rule = R::ComboText;
            break;
        default:
            throw HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                            QStringLiteral("参数 %1 的编码需专门处理").arg(L(k.key)));
    }
    return {L(k.category), L(k.key), L(k.defaultValue), L(k.control), rule};
}

// ----- Load ----------------------------------------------------------------

// A step of the load: a key of the catalogue, or a start-up or interlock step
// that runs at exactly this point.
using Hook = void (*)(frmSystemProfiles&, SystemProfile&);
struct LoadStep {
    const char* key;
    Hook hook = nullptr;
};

void secQtyIsMustState(frmSystemProfiles& d, SystemProfile&) {
    d.ApplySecQtyIsMustState();
}
void startState(frmSystemProfiles& d, SystemProfile& p) {
    d.ShowBusinessStartState(Val(p.GetSystemProfile(L("IC"), L("CurrentYear"), L("0"))) != 0);
}
void startPeriodState(frmSystemProfiles& d, SystemProfile&) {
    d.ShowBusinessStartPeriodState();
}
void batchNoPreset(frmSystemProfiles& d, SystemProfile&) {
    d.ApplyBatchNoPreset(true);
}
void negativeStockBases(frmSystemProfiles& d, SystemProfile&) {
    d.ApplyNegativeStockBases();
}
void checkItemButton(frmSystemProfiles& d, SystemProfile&) {
    d.ApplyCheckItemButton();
}
void moQtyCheck(frmSystemProfiles& d, SystemProfile& p) {
    d.LoadMOQtyCheck([&p] { return p.GetSystemProfile(L("IC"), L("upDiscountSave"), L("0")); });
}
void alertMOWording(frmSystemProfiles& d, SystemProfile&) {
    if (frmSystemProfiles::checkValue(d.C<QCheckBox>(L("chkIC_MOQtyCheck"))) == 1) {
        d.FillAlertMOList(true);
    }
}
// The costing method is fixed once the business system has started.
void calculateTypeState(frmSystemProfiles& d, SystemProfile& p) {
    const bool open = Val(p.GetSystemProfile(L("IC"), L("CurrentYear"), L("0"))) == 0;
    for (int i = 0; i < 2; ++i) {
        d.control(store::elementName(L("optHS_CalculateType"), i))->setEnabled(open && d.CanModify);
    }
}
void redBillOptionsByRight(frmSystemProfiles& d, SystemProfile&) {
    for (const char* pair : {"OptType1", "OptType2", "OptType3"}) {
        for (int i = 0; i < 2; ++i) {
            d.control(store::elementName(L(pair), i))->setEnabled(d.CanModify);
        }
    }
}

const LoadStep kLoadOrder[] = {
    {"SingleMan"},
    {"NoModifySelBillPrice"},
    {"chkEnableSelectSameBillEntry"},
    {"NoSameWareInBill"},
    {"DoubleUnit"},
    {"UseShortNumber"},
    {"SaveBeforePrint"},
    {"SumAbsoluteQty"},
    {"SecUnit"},
    {"SecQtyIsMust"},
    {nullptr, secQtyIsMustState},
    {"EditSelfBill"},
    {"AuxSpaceMark"},
    {"Item4Name"},
    {"UnderStock"},
    {"UnderStockCalculate"},
    {"StartYear"},
    {nullptr, startState},
    {"UPSTOCKWHENSAVE"},
    {"StartPeriod"},
    {nullptr, startPeriodState},
    {"CurrentYear"},
    {"CurrentPeriod"},
    {"chkIC_UnCheckSelfBill"},
    {"chkIC_UnArticulateSelfBill"},
    {"AlertPOMaxPrice"},
    {"NoHookPIWhenDiffQty"},
    {"CQtyLargerPOQty"},
    {"chkIC_CreditDgreeNoOrderCG"},
    {"chkIC_CreditDgreeNoOrderXS"},
    {"PurchaseAlarmDateCount"},
    {"AutoHookAfterCheckPurVachour"},
    {"BackQtyGreaterPurchaseStockQty"},
    {"CgInvPriceFromStockIn"},
    {"chkIC_EnableMakePrevInvoiceCG"},
    {"chkIC_EnableMakePrevInvoiceXS"},
    {"AutoMakeInvoiceCG"},
    {"NoHookSIWhenDiffQty"},
    {"CQtyLargerSEQty"},
    {"SaleAlarmDateCount"},
    {"AutoHookAfterCheckSalVachour"},
    {"BackQtyGreaterSaleStockQty"},
    {"XsInvPriceFromStockOut"},
    {"AutoMakeInvoiceXS"},
    {"ARAlarmDateCount"},
    {"APAlarmDateCount"},
    {"CreditDegree"},
    {"CreditDegreeCG"},
    {"CGOrderDepositType"},
    {"XSOrderDepositType"},
    {"IsBatchNoAutoFillType"},
    {"IsBatchNoAutoFill"},
    {"BatchNo01FieldNameIndex"},
    {"BatchNo02FieldNameIndex"},
    {"BatchNo03FieldNameIndex"},
    {"BatchNo01OrderIndex"},
    {"BatchNo02OrderIndex"},
    {"BatchNo03OrderIndex"},
    {nullptr, batchNoPreset},
    {"ShowUnderTip"},
    {"ShowUnderCalcTypeAInv"},
    {"ShowUnderCalcTypeByPeriodAInv"},
    {"ShowUnderCalcType"},
    {"ShowUnderCalcTypeByPeriod"},
    {nullptr, negativeStockBases},
    {"UseHighInv"},
    {"UseLowInv"},
    {"UseSafeInv"},
    {"FKFPreperiod"},
    {"StockGuaranteeAlarmDateCount"},
    {"StockInactiveAlarmDateCount"},
    {"PrecisionOfSumRow"},
    {"CheckBillPosted"},
    {nullptr, checkItemButton},
    {"IsShowStockData"},
    {"IsTranRePrice"},
    {"AdjustPrice"},
    {"NoOriginPrice"},
    {"NegPrice"},
    {"ZanGuDiffMethod"},
    {"CalculateType"},
    {"SalePriceType"},
    {"CProOutQtyLargerQty"},
    {"CStoOutQtyLargerQty"},
    {"MoCommitQty"},
    {"MoCheckNoApportionFee"},
    {"OutMoCheckNoOutExpense"},
    {"MoCheckQty"},
    {nullptr, moQtyCheck},
    {nullptr, alertMOWording},
    {"AlertMO"},
    {"UpdateBomStock"},
    {"BOMType"},
    {"MakeBillCG"},
    {"MakeBillXS"},
    {"ManufactureAlarmDateCount"},
    {nullptr, calculateTypeState},
    {"RedBillCaculate"},
    {nullptr, redBillOptionsByRight},
};

// ----- Save ----------------------------------------------------------------

// Save steps 2 to 7, in their order. SumAbsoluteQty and Item4Name are
// written only when changed and carry side effects (saveChanged...).
const char* const kSaveOrder[] = {
    "SingleMan",
    "NoModifySelBillPrice",
    "chkEnableSelectSameBillEntry",
    "NoSameWareInBill",
    "DoubleUnit",
    "UseShortNumber",
    "SaveBeforePrint",
    "SecUnit",
    "SecQtyIsMust",
    "SumAbsoluteQty",
    "EditSelfBill",
    "AuxSpaceMark",
    "Item4Name",
    "chkIC_UnCheckSelfBill",
    "chkIC_UnArticulateSelfBill",
    "AlertPOMaxPrice",
    "NoHookPIWhenDiffQty",
    "CQtyLargerPOQty",
    "chkIC_CreditDgreeNoOrderCG",
    "chkIC_CreditDgreeNoOrderXS",
    "PurchaseAlarmDateCount",
    "AutoHookAfterCheckPurVachour",
    "BackQtyGreaterPurchaseStockQty",
    "CgInvPriceFromStockIn",
    "chkIC_EnableMakePrevInvoiceCG",
    "chkIC_EnableMakePrevInvoiceXS",
    "AutoMakeInvoiceCG",
    "NoHookSIWhenDiffQty",
    "CQtyLargerSEQty",
    "SaleAlarmDateCount",
    "AutoHookAfterCheckSalVachour",
    "BackQtyGreaterSaleStockQty",
    "XsInvPriceFromStockOut",
    "AutoMakeInvoiceXS",
    "ShowUnderTip",
    "ShowUnderCalcType",
    "ShowUnderCalcTypeByPeriod",
    "ShowUnderCalcTypeAInv",
    "ShowUnderCalcTypeByPeriodAInv",
    "UseHighInv",
    "UseLowInv",
    "UseSafeInv",
    "FKFPreperiod",
    "StockGuaranteeAlarmDateCount",
    "StockInactiveAlarmDateCount",
    "PrecisionOfSumRow",
    "CheckBillPosted",
    "IsShowStockData",
    "IsTranRePrice",
    "AdjustPrice",
    "NoOriginPrice",
    "NegPrice",
    "ZanGuDiffMethod",
    "CalculateType",
    "CProOutQtyLargerQty",
    "CStoOutQtyLargerQty",
    "MoCommitQty",
    "MoCheckNoApportionFee",
    "OutMoCheckNoOutExpense",
    "SalePriceType",
    "MoCheckQty",
    "upDiscountSave",
    "UpdateBomStock",
    "ARAlarmDateCount",
    "APAlarmDateCount",
    "CreditDegree",
    "CreditDegreeCG",
    "CGOrderDepositType",
    "XSOrderDepositType",
    "IsBatchNoAutoFillType",
    "IsBatchNoAutoFill",
    "BatchNo01FieldNameIndex",
    "BatchNo02FieldNameIndex",
    "BatchNo03FieldNameIndex",
    "BatchNo01FieldName",
    "BatchNo02FieldName",
    "BatchNo03FieldName",
    "BatchNo01OrderIndex",
    "BatchNo02OrderIndex",
    "BatchNo03OrderIndex",
    "AlertMO",
    "BOMType",
    "MakeBillCG",
    "MakeBillXS",
    "ManufactureAlarmDateCount",
    "RedBillCaculate",
};

// Step 9: locked with the stock-update options once the business system has started.
const char* const kSaveBeforeStart[] = {"UPSTOCKWHENSAVE", "UnderStock", "UnderStockCalculate"};

// ----- Lists ---------------------------------------------------------------

QStringList priceSources(bool withPlanPrice) {
    QStringList items{L("手工录入"), L("最新出库价"), L("最新入库价")};
    if (withPlanPrice) items << L("计划价");
    return items;
}

QStringList creditControl() {
    return {L("继续保存不提示"), L("提示,并允许制单人继续保存"), L("提示,并不允许制单人保存")};
}

QStringList depositControl() {
    return {L("不允许操作"), L("提示是否允许继续操作"), L("继续操作不提示")};
}

// Every entry but the first is a label, 35 blanks and the field name: the
// name travels with the entry but stays out of sight in the drop-down.
QStringList batchFields() {
    const QString gap(35, u' ');
    return {gap,
            L("批号") + gap + L("FBatchNo"),
            L("辅助属性名称") + gap + L("FAuxPropName"),
            L("数量") + gap + L("FQty"),
            L("仓库") + gap + L("FStockName"),
            L("生产/采购日期") + gap + L("FKFDate"),
            L("保质期") + gap + L("FKFPeriod"),
            L("有效期至") + gap + L("FPeriodDate")};
}

bool ticked(const QCheckBox* box) {
    return frmSystemProfiles::checkValue(box) != 0;
}

}  // namespace

// ----- Fill business lists -------------------------------------------------

void frmSystemProfiles::FillBusinessLists() {
    // A refilled list has no entry chosen until the load chooses one.
    auto fill = [this](const QString& name, const QStringList& items, bool withData = false) {
        auto* box = C<QComboBox>(name);
        box->clear();
        for (int i = 0; i < items.size(); ++i) {
            box->addItem(items.at(i), withData ? QVariant(i) : QVariant());
        }
        box->setCurrentIndex(-1);
        return box;
    };
    fill(L("cmbHS_NegPrice"), priceSources(true), true);
    fill(L("cmbHS_NoOriginPrice"), priceSources(true), true);
    fill(L("cmbHS_AdjustPrice"), priceSources(false), true);
    fill(L("cmbIC_AuxSpaceMark"), {L("/"), L("-"), L(".")});
    fill(L("cmbIC_CreditDgree"), creditControl());
    fill(L("cmbIC_CreditDgreeCG"), creditControl());
    fill(L("cmbIC_OrderDepositTypeCG"), depositControl());
    fill(L("cmbIC_OrderDepositTypeXS"), depositControl());
    fill(L("cmbIC_IsBatchNoAutoFillType"), {L("不启用"), L("近效期先出"), L("批号顺序出库")});
    for (int i = 0; i < 3; ++i)
        fill(store::elementName(L("cmbIC_BatchNoFieldName"), i), batchFields());
    for (int i = 0; i < 3; ++i) {
        fill(store::elementName(L("cmbIC_BatchNoOrder"), i), {L("升序"), L("降序")});
    }
    FillAlertMOList(false);
    C<QComboBox>(L("cmbIC_AlertMO"))->setCurrentIndex(-1);
    fill(L("cmbIC_BOMType"), {L("标准用量/(1-损耗率%)"), L("标准用量*(1+损耗率%)")});
    for (const char* name : {"cmbIC_MakeBillCG", "cmbIC_MakeBillXS"}) {
        fill(L(name), {L("以单价为准"), L("以金额为准")})->setCurrentIndex(0);
    }
    for (const char* name : {"cmbIC_AutoMakeInvoiceCG", "cmbIC_AutoMakeInvoiceXS"}) {
        auto* box = fill(L(name), {L("专用发票"), L("普通发票")});
        box->setCurrentIndex(0);
        box->setEnabled(false);
    }
}

// ----- Load business parameters --------------------------------------------

namespace {

void loadSpecial(frmSystemProfiles& d, const BizKey& k, const QString& stored) {
    const QString control = L(k.control);
    switch (k.rule) {
        case Rule::AuxSpaceMark: {
            // A mark that is none of the entries stays in the store untouched; the
            // combo shows it greyed, without choosing an entry.
            auto* box = d.C<QComboBox>(control);
            box->setPlaceholderText(stored);
            for (int i = 0; i < box->count(); ++i) {
                if (box->itemText(i) == stored) {
                    box->setCurrentIndex(i);
                    break;
                }
            }
            break;
        }
        case Rule::StartYear:
            d.C<IntText3D>(control)->setValue(store::roundToInt32(std::trunc(Val(stored))));
            break;
        case Rule::UpStockWhenSave:
        case Rule::CalculateType:
            d.setOptionIndex(control, Val(stored) == 0 ? 0 : 1);
            break;
        case Rule::ZanGuDiffMethod:
            d.setOptionIndex(control, Val(stored) != 0 ? 0 : 1);
            break;
        case Rule::AutoMakeInvoice: {
            // The combo first: its box's reaction enables it.
            const double value = Val(stored);
            auto* combo = d.C<QComboBox>(L("cmbIC_AutoMakeInvoice") + control);
            const double index = value == 0 ? 0 : value - 1;
            combo->setCurrentIndex(index >= 0 && index < combo->count() ? int(index) : -1);
            frmSystemProfiles::setCheckValue(d.C<QCheckBox>(L("chkIC_AutoMakeInvoice") + control),
                                             value != 0 ? 1 : 0);
            break;
        }
        case Rule::RedBillCaculate:
            // A missing position reads as a character other than "0".
            for (int i = 0; i < 3; ++i) {
                const bool inbound = i < stored.size() && stored.at(i) == u'0';
                d.setOptionIndex(control + QString::number(i + 1), inbound ? 0 : 1);
            }
            break;
        case Rule::MoCheckQty: {
            const double value = Val(stored);
            frmSystemProfiles::setCheckValue(d.C<QCheckBox>(store::elementName(control, 0)),
                                             value == 1 ? 1 : 0);
            frmSystemProfiles::setCheckValue(d.C<QCheckBox>(store::elementName(control, 1)),
                                             value == 2 ? 1 : 0);
            break;
        }
        default:
            break;
    }
}

}  // namespace

void frmSystemProfiles::LoadBusiness() {
    try {
        // The approval guard of ChkAllCheck(0) decides itself whether a change
        // of its box counts (BusinessStartProfile.cpp); the plain change mark
        // every control gets must not run for it.
        disconnect(C<QCheckBox>(L("ChkAllCheck(0)")), &QCheckBox::stateChanged, this, nullptr);

        auto profile = GetGLProfile();
        for (const LoadStep& step : kLoadOrder) {
            if (step.hook) {
                step.hook(*this, *profile);
                continue;
            }
            const BizKey& k = bizKey(step.key);
            const QString stored =
                profile->GetSystemProfile(L(k.category), L(k.key), L(k.defaultValue));
            switch (k.rule) {
                case Rule::B0:
                case Rule::B1:
                case Rule::BT:
                case Rule::L0:
                case Rule::L1:
                case Rule::LD:
                case Rule::TX:
                case Rule::TN:
                case Rule::NV:
                case Rule::LoadOnly:
                    store::applyParam(this, specOf(k), stored);
                    break;
                default:
                    loadSpecial(*this, k, stored);
                    break;
            }
            if (k.enabledByRight) control(L(k.control))->setEnabled(CanModify);
        }
        // The frame of the provisional-cost method follows the right; its
        // options follow the start state as well.
        control(L("fam_ZanguMethod"))->setEnabled(CanModify);

        store::registerWatchedParams(changeLog(), this);
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, L("frmSystemProfiles"), QString::fromLocal8Bit(e.what())), {});
    }
}

// ----- Save business parameters --------------------------------------------

namespace {

// The value to write for a key, or an invalid QVariant when there is nothing
// to write (a list without a chosen entry).
QVariant valueToSave(frmSystemProfiles& d, const BizKey& k) {
    const QString control = L(k.control);
    switch (k.rule) {
        case Rule::UpStockWhenSave:
        case Rule::CalculateType:
            return qint32(d.optionIndex(control) == 0 ? 0 : 1);
        case Rule::ZanGuDiffMethod:
            return qint32(d.optionIndex(control) == 0 ? 1 : 0);
        case Rule::AutoMakeInvoice: {
            if (!ticked(d.C<QCheckBox>(L("chkIC_AutoMakeInvoice") + control))) return qint32(0);
            const int index = d.C<QComboBox>(L("cmbIC_AutoMakeInvoice") + control)->currentIndex();
            return index < 0 ? QVariant() : QVariant(qint32(index + 1));
        }
        case Rule::RedBillCaculate: {
            QString text;
            for (int i = 1; i <= 3; ++i) {
                text += d.optionIndex(control + QString::number(i)) == 0 ? u'0' : u'1';
            }
            return text;
        }
        case Rule::MoCheckQty:
            if (ticked(d.C<QCheckBox>(store::elementName(control, 0)))) return qint32(1);
            if (ticked(d.C<QCheckBox>(store::elementName(control, 1)))) return qint32(2);
            return qint32(0);
        case Rule::StartYear:
        case Rule::LoadOnly:
            return QVariant();
        default:
            return store::collectParam(&d, specOf(k));
    }
}

void writeKey(frmSystemProfiles& d, ProfileWriter& writer, const BizKey& k) {
    const QVariant value = valueToSave(d, k);
    if (value.isValid()) store::writeValue(writer, L(k.category), L(k.key), value);
}

// Quantity columns of the bill templates are summed exactly when the sum
// row shows quantities.
void saveSumAbsoluteQty(frmSystemProfiles& d, ProfileWriter& writer, const BizKey& k) {
    const qint16 value = store::encodeFlag(d.C<QCheckBox>(L(k.control))->checkState());
    const QString stored = GetGLProfile()->GetSystemProfile(L(k.category), L(k.key), L("0"));
    if (Val(stored) == value) return;
    store::writeValue(writer, L(k.category), L(k.key), value);
    createService<AppConnection>()->Execute(
        value ? L("update ICTemplateEntry set FNeedCount = 1 where FCtlType = 3")
              : L("update ICTemplateEntry set FNeedCount = 0 where FCtlType = 3"));
}

// The account set's own word for its items replaces "物料" wherever the
// item is named: the user dictionary, the bill templates and the menu.
void saveItem4Name(frmSystemProfiles& d, ProfileWriter& writer, const BizKey& k) {
    const QString text = d.C<QLineEdit>(L(k.control))->text();
    const QString stored = GetGLProfile()->GetSystemProfile(L(k.category), L(k.key), QString());
    if (text == stored) return;
    store::writeValue(writer, L(k.category), L(k.key), text);

    QString word = L("物料");
    QString name = text;
    createService<UserDictMgr>()->ModifyUserDictEntry(GetPropsString(), L("common"), word, name);
    auto connection = createService<AppConnection>();
    connection->Execute(L("Exec P_ICReplaceCaption ") + SqlQuote(text, true, false) +
                        L(",'CN','R','物料'"));
    connection->Execute(L("update t_MF_FuncElement set FQORCaption =") +
                        SqlQuote(text, true, false) +
                        L(" where FDetailFuncID = 60020111 and FSubFuncID = 600201"));
}

}  // namespace

bool frmSystemProfiles::SaveBusiness() {
    try {
        auto writer = createService<BaseSystemProfile>();
        for (const char* key : kSaveOrder) {
            const BizKey& k = bizKey(key);
            if (qstrcmp(key, "SumAbsoluteQty") == 0) {
                saveSumAbsoluteQty(*this, *writer, k);
            } else if (qstrcmp(key, "Item4Name") == 0) {
                saveItem4Name(*this, *writer, k);
            } else {
                writeKey(*this, *writer, k);
            }
        }

        if (!BusinessStartUp()) return false;

        if (control(store::elementName(L("OptUPSTOCKWHENSAVE"), 0))->isEnabled()) {
            for (const char* key : kSaveBeforeStart) writeKey(*this, *writer, bizKey(key));
        }

        store::reportWatchedParams(changeLog(), this);
        return true;
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, L("frmSystemProfiles"), QString::fromLocal8Bit(e.what())), {});
    }
    return false;
}

}  // namespace zx::profiles
