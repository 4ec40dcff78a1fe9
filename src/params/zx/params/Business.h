#pragma once

// The business parameters (inventory, purchasing, sales, manufacturing and
// inventory costing) and the closing options, each declared once.

#include "zx/params/Make.h"

namespace zx::params {

// One declaration a line, so that the catalogue reads as a table.
// clang-format off

namespace business {
using namespace make;

// B0, B1 and BT of the business catalogue, and its lists.
constexpr Param b0(const char* key, const char* control, Text caption, const char* def = "0",
                   Cat cat = Cat::IC) {
    return param(cat, key, def, check(control, caption), Codec::FlagNumber);
}
constexpr Param b1(const char* key, const char* control, Text caption, const char* def = "0") {
    return param(Cat::IC, key, def, check(control, caption), Codec::FlagOne);
}
constexpr Param bt(const char* key, const char* control, Text caption, const char* def) {
    return param(Cat::IC, key, def, check(control, caption), Codec::FlagText);
}
constexpr Param list(const char* key, const char* def, Control c, Codec codec = Codec::Index) {
    return param(Cat::IC, key, def, c, codec);
}
// Warning days: up to a good many years (our typing limit).
constexpr Param days(const char* key, int index, Text label) {
    const char* const boxes[] = {"txt_AlarmDateCount(0)", "txt_AlarmDateCount(1)",
                                 "txt_AlarmDateCount(2)", "txt_AlarmDateCount(3)",
                                 "txt_AlarmDateCount(4)", "txt_AlarmDateCount(5)",
                                 "txt_AlarmDateCount(6)"};
    const char* const labels[] = {"lbl_AlarmDateCount(0)", "lbl_AlarmDateCount(1)",
                                  "lbl_AlarmDateCount(2)", "lbl_AlarmDateCount(3)",
                                  "lbl_AlarmDateCount(4)", "lbl_AlarmDateCount(5)",
                                  "lbl_AlarmDateCount(6)"};
    return param(Cat::IC, key, "0", number(boxes[index], label, 0, 9999, false, labels[index]),
                 Codec::NumberText);
}
inline constexpr Items kCredit = {u"继续保存不提示", u"提示,并允许制单人继续保存", u"提示,并不允许制单人保存"};
inline constexpr Items kDeposit = {u"不允许操作", u"提示是否允许继续操作", u"继续操作不提示"};
inline constexpr Items kAmountBasis = {u"以单价为准", u"以金额为准"};
inline constexpr Items kInvoiceKinds = {u"专用发票", u"普通发票"};
inline constexpr Items kPriceSources = {u"手工录入", u"最新出库价", u"最新入库价", u"计划价"};
inline constexpr Items kSortOrder = {u"升序", u"降序"};
// Every entry but the first is a label, 35 blanks and the field name: the
// stored text carries the field name, the list shows the label.
inline constexpr Items kBatchFields = {
    u"                                   ",
    u"批号                                   FBatchNo",
    u"辅助属性名称                                   FAuxPropName",
    u"数量                                   FQty",
    u"仓库                                   FStockName",
    u"生产/采购日期                                   FKFDate",
    u"保质期                                   FKFPeriod",
    u"有效期至                                   FPeriodDate"};

// Basic options
inline constexpr Param SingleMan = b0("SingleMan", "chkIC_SingleMan", u"审核和制单可为同一人", "0", Cat::General);
inline constexpr Param NoModifySelBillPrice = b0("NoModifySelBillPrice", "chkNoModifySelBillPrice", u"下推或选源单的单据不允许修改单价", "0", Cat::General);
inline constexpr Param EnableSelectSameBillEntry = b0("chkEnableSelectSameBillEntry", "chkEnableSelectSameBillEntry", u"单据允许多次选择相同的源单分录", "0", Cat::General);
inline constexpr Param NoSameWareInBill = b1("NoSameWareInBill", "chkNoSameWareInBill", u"单据体物料不允许重复");
inline constexpr Param DoubleUnit = b0("DoubleUnit", "chkIC(0)", u"使用双计量单位");
inline constexpr Param UseShortNumber = b0("UseShortNumber", "chkIC_UseShortNumber", u"基础资料录入与显示采用短代码");
inline constexpr Param SaveBeforePrint = b0("SaveBeforePrint", "chkIC_SaveBeforePrint", u"打印（预览）前保存单据");
// The bill templates sum their quantity columns exactly when this is on.
inline constexpr Param SumAbsoluteQty = writtenBy(b0("SumAbsoluteQty", "chkIC_SumAbsoluteQty", u"合计栏显示数量合计"), Write::Page);
inline constexpr Param SecUnit = b0("SecUnit", "chkIC_UseSecUnit", u"使用辅助计量单位");
inline constexpr Param SecQtyIsMust = needing(b0("SecQtyIsMust", "chkIC_SecQtyIsMust", u"辅助数量必录"), SecUnit, true);
inline constexpr Param EditSelfBill = b0("EditSelfBill", "chkIC_EditSelfBill", u"只允许修改删除本人录入的单据");
inline constexpr Param AuxSpaceMark = param(Cat::General, "AuxSpaceMark", "",
    combo("cmbIC_AuxSpaceMark", u"辅助属性间隔符：", {u"/", u"-", u"."}, "lblIC_AuxSpaceMark"), Codec::EntryText);
// The account set's own word for its items: renamed everywhere it is shown.
// It takes the place of "物料" inside the bill templates' captions (80
// characters each), so a word of 20 leaves every caption room.
inline constexpr Param Item4Name = writtenBy(param(Cat::IC, "Item4Name", "",
    textBox("txtIC_Item4Name", u"存货名称：", 20, 10, "lblIC_Item4Name"), Codec::Text), Write::Page);
inline constexpr Param UnCheckSelfBill = bt("chkIC_UnCheckSelfBill", "chkIC_UnCheckSelfBill", u"审核与反审核必须为同一人", "0");
inline constexpr Param UnArticulateSelfBill = bt("chkIC_UnArticulateSelfBill", "chkIC_UnArticulateSelfBill", u"钩稽与反钩稽必须为同一人", "1");

// Initial parameters: the start-up step writes the start; the rest is fixed
// once the business system has started.
inline constexpr Param StartYear = writtenBy(locked(param(Cat::IC, "StartYear", "0",
    number("txtIC_StartYear", u"启用会计年度：", 1900, 9999), Codec::WholeNumber),
    Lock::BusinessOpen), Write::Never);
inline constexpr Param StartPeriod = writtenBy(locked(param(Cat::IC, "StartPeriod", "0",
    number("txtIC_StartPeriod", u"启用会计期间：", 0, 13), Codec::Text),
    Lock::Page), Write::Never);
inline constexpr Param CurrentYear = writtenBy(param(Cat::IC, "CurrentYear", "0",
    display("txtIC_CurrYear", u"当前会计年度：", nullptr, 6), Codec::Text), Write::Never);
inline constexpr Param CurrentPeriod = writtenBy(param(Cat::IC, "CurrentPeriod", "0",
    display("txtIC_CurrPeriod", u"当前会计期间：", nullptr, 6), Codec::Text), Write::Never);
inline constexpr Param UnderStock = writtenBy(locked(b0("UnderStock", "chkIC_NegBalance", u"允许负库存出库"), Lock::BusinessOpen), Write::Page);
inline constexpr Param UnderStockCalculate = writtenBy(locked(b0("UnderStockCalculate", "chkIC_NegCalculate", u"允许负库存结账"), Lock::BusinessOpen), Write::Page);
inline constexpr Param UpStockWhenSave = writtenBy(locked(param(Cat::IC, "UPSTOCKWHENSAVE", "0",
    options("OptUPSTOCKWHENSAVE", {u"单据审核后更新", u"单据保存后更新"}, u"库存更新控制"), Codec::Zero1),
    Lock::BusinessOpen), Write::Page);
inline constexpr Param CalculateType = locked(param(Cat::IC, "CalculateType", "0",
    options("optHS_CalculateType", {u"总仓核算", u"分仓核算"}, u"存货核算方式"), Codec::Zero1),
    Lock::BusinessOpen);

// Purchasing
inline constexpr Param CreditDgreeNoOrderCG = b0("chkIC_CreditDgreeNoOrderCG", "chkIC_CreditDgreeNoOrderCG", u"往来余额在信用额度内时订单不校验信用额");
inline constexpr Param CGOrderDepositType = list("CGOrderDepositType", "0", combo("cmbIC_OrderDepositTypeCG", u"采购订单订金下推预付款单超额控制方式：", kDeposit));
inline constexpr Param EnableMakePrevInvoiceCG = b1("chkIC_EnableMakePrevInvoiceCG", "chkIC_EnableMakePrevInvoiceCG", u"允许新增以前期间的采购发票", "1");
inline constexpr Param CgInvPriceFromStockIn = b1("CgInvPriceFromStockIn", "chkIC_CgInvPriceFromStockIn", u"三方关联时采购发票单价来源采购入库单");
inline constexpr Param BackQtyGreaterPurchaseStockQty = b1("BackQtyGreaterPurchaseStockQty", "chkIC_BackQtyGreaterPurchaseStockQty", u"允许退货数量大于关联的采购入库单数量", "1");
inline constexpr Param AutoMakeInvoiceCG = [] {
    Param p = param(Cat::IC, "AutoMakeInvoiceCG", "2", check("chkIC_AutoMakeInvoiceCG", u"采购入库单审核后自动生成发票"), Codec::InvoiceKind);
    p.second = combo("cmbIC_AutoMakeInvoiceCG", nullptr, kInvoiceKinds);
    return p;
}();
inline constexpr Param AutoHookAfterCheckPurVachour = b1("AutoHookAfterCheckPurVachour", "chkIC_AutoHookAfterCheckPurVachour", u"审核关联采购入库单生成的发票时自动钩稽");
// The label wording of the amount basis is ours.
inline constexpr Param MakeBillCG = list("MakeBillCG", "1", combo("cmbIC_MakeBillCG", u"采购制单计算依据：", kAmountBasis), Codec::IndexFrom1);
inline constexpr Param CreditDegreeCG = list("CreditDegreeCG", "2", combo("cmbIC_CreditDgreeCG", u"采购信用额度控制方式：", kCredit, "lblIC_ICBase(0)"), Codec::IndexFrom1);
inline constexpr Param AlertPOMaxPrice = b0("AlertPOMaxPrice", "chkIC_AlertPOMaxPrice", u"采购最高限价预警");
inline constexpr Param NoHookPIWhenDiffQty = b0("NoHookPIWhenDiffQty", "chkIC_NoHookPIWhenDiffQty", u"采购发票和入库单数量不一致不允许钩稽");
inline constexpr Param CQtyLargerPOQty = b0("CQtyLargerPOQty", "chkIC_QtyLargerPOQty", u"允许采购入库单上数量大于采购订单上的数量");
inline constexpr Param PurchaseAlarmDateCount = days("PurchaseAlarmDateCount", 0, u"采购订单交货提前预警天数：");

// Sales
inline constexpr Param CreditDgreeNoOrderXS = b0("chkIC_CreditDgreeNoOrderXS", "chkIC_CreditDgreeNoOrderXS", u"往来余额在信用额度内时订单不校验信用额");
inline constexpr Param XSOrderDepositType = list("XSOrderDepositType", "0", combo("cmbIC_OrderDepositTypeXS", u"销售订单订金下推预收款单超额控制方式：", kDeposit));
inline constexpr Param EnableMakePrevInvoiceXS = b1("chkIC_EnableMakePrevInvoiceXS", "chkIC_EnableMakePrevInvoiceXS", u"允许新增以前期间的销售发票", "1");
inline constexpr Param XsInvPriceFromStockOut = b1("XsInvPriceFromStockOut", "chkIC_XsInvPriceFromStockOut", u"三方关联时销售发票单价来源销售出库单", "1");
inline constexpr Param BackQtyGreaterSaleStockQty = b1("BackQtyGreaterSaleStockQty", "chkIC_BackQtyGreaterSaleStockQty", u"允许退货数量大于关联的销售出库单数量", "1");
inline constexpr Param AutoMakeInvoiceXS = [] {
    Param p = param(Cat::IC, "AutoMakeInvoiceXS", "2", check("chkIC_AutoMakeInvoiceXS", u"销售出库单审核后自动生成发票"), Codec::InvoiceKind);
    p.second = combo("cmbIC_AutoMakeInvoiceXS", nullptr, kInvoiceKinds);
    return p;
}();
inline constexpr Param AutoHookAfterCheckSalVachour = b1("AutoHookAfterCheckSalVachour", "chkIC_AutoHookAfterCheckSalVachour", u"审核关联销售出库单生成的发票时自动钩稽");
inline constexpr Param MakeBillXS = list("MakeBillXS", "1", combo("cmbIC_MakeBillXS", u"销售制单计算依据：", kAmountBasis), Codec::IndexFrom1);
inline constexpr Param CreditDegree = list("CreditDegree", "2", combo("cmbIC_CreditDgree", u"销售信用额度控制方式：", kCredit, "lblIC_ICBase(1)"), Codec::IndexFrom1);
inline constexpr Param NoHookSIWhenDiffQty = b0("NoHookSIWhenDiffQty", "chkIC_NoHookSIWhenDiffQty", u"销售发票和出库单数量不一致不允许钩稽");
inline constexpr Param CQtyLargerSEQty = b0("CQtyLargerSEQty", "chkIC_QtyLargerSEQty", u"允许销售出库单上数量大于销售订单上的数量");
inline constexpr Param SaleAlarmDateCount = days("SaleAlarmDateCount", 1, u"销售订单交货提前预警天数：");

// Warehouse
inline constexpr Param ShowUnderTip = b0("ShowUnderTip", "chkIC_ShowUnderTip", u"出现负库存时提示");
inline constexpr Param ShowUnderCalcType = b0("ShowUnderCalcType", "chkIC_ShowUnderCalcType", u"以单据日期为截止日期计算负库存");
inline constexpr Param ShowUnderCalcTypeAInv = needing(b0("ShowUnderCalcTypeAInv", "chkIC_ShowUnderCalcTypeAndInv", u"检测即时库存"), ShowUnderCalcType, true);
inline constexpr Param ShowUnderCalcTypeByPeriod = b0("ShowUnderCalcTypeByPeriod", "chkIC_ShowUnderCalcTypeByPeriod", u"以单据日期所属期间结束日期计算负库存");
inline constexpr Param ShowUnderCalcTypeByPeriodAInv = needing(b0("ShowUnderCalcTypeByPeriodAInv", "chkIC_ShowUnderCalcTypeByPeriodAndInv", u"检测即时库存"), ShowUnderCalcTypeByPeriod, true);
inline constexpr Param UseHighInv = b0("UseHighInv", "chkIC_UseHighInv", u"库存总量高于或等于最高库存提示");
inline constexpr Param UseLowInv = b0("UseLowInv", "chkIC_UseLowInv", u"库存总量低于或等于最低库存提示");
inline constexpr Param UseSafeInv = b0("UseSafeInv", "chkIC_UseSafeInv", u"库存总数量低于或等于安全库存时给予提示");
inline constexpr Param StockGuaranteeAlarmDateCount = days("StockGuaranteeAlarmDateCount", 2, u"保质期预警提前天数：");
inline constexpr Param StockInactiveAlarmDateCount = days("StockInactiveAlarmDateCount", 3, u"呆滞料预警(物料无发生额天数)：");
inline constexpr Param IsBatchNoAutoFillType = list("IsBatchNoAutoFillType", "0", combo("cmbIC_IsBatchNoAutoFillType", u"出库批号自动指定：", {u"不启用", u"近效期先出", u"批号顺序出库"}));

// Default batch-number ordering: the auto-fill type presets these.
inline constexpr Param IsBatchNoAutoFill = locked(b0("IsBatchNoAutoFill", "chkIC_IsBatchNoAutoFill", u"出库单据自动带出批号"), Lock::Page);
inline constexpr Param BatchNo01FieldNameIndex = list("BatchNo01FieldNameIndex", "0", combo("cmbIC_BatchNoFieldName(0)", u"第一字段：", kBatchFields));
inline constexpr Param BatchNo02FieldNameIndex = list("BatchNo02FieldNameIndex", "0", combo("cmbIC_BatchNoFieldName(1)", u"第二字段：", kBatchFields));
inline constexpr Param BatchNo03FieldNameIndex = list("BatchNo03FieldNameIndex", "0", combo("cmbIC_BatchNoFieldName(2)", u"第三字段：", kBatchFields));
constexpr Param fieldName(const char* key, const Param& index) {
    Param p = param(Cat::IC, key, "", index.control, Codec::EntryText);
    p.shares = &index;
    return p;
}
// The whole entry text of the chosen field, written beside its index.
inline constexpr Param BatchNo01FieldName = fieldName("BatchNo01FieldName", BatchNo01FieldNameIndex);
inline constexpr Param BatchNo02FieldName = fieldName("BatchNo02FieldName", BatchNo02FieldNameIndex);
inline constexpr Param BatchNo03FieldName = fieldName("BatchNo03FieldName", BatchNo03FieldNameIndex);
inline constexpr Param BatchNo01OrderIndex = list("BatchNo01OrderIndex", "0", combo("cmbIC_BatchNoOrder(0)", nullptr, kSortOrder));
inline constexpr Param BatchNo02OrderIndex = list("BatchNo02OrderIndex", "0", combo("cmbIC_BatchNoOrder(1)", nullptr, kSortOrder));
inline constexpr Param BatchNo03OrderIndex = list("BatchNo03OrderIndex", "0", combo("cmbIC_BatchNoOrder(2)", nullptr, kSortOrder));

// Receivables and payables
inline constexpr Param ARAlarmDateCount = days("ARAlarmDateCount", 4, u"应收预警天数：");
inline constexpr Param APAlarmDateCount = days("APAlarmDateCount", 5, u"应付预警天数：");
inline constexpr Param SalePriceType = list("SalePriceType", "0", combo("cmbprice", u"销售取价策略：", {u"客户商品价格策略", u"客户指定折扣策略", u"客户等级价格策略", u"客户最近售价策略"}));

// Inventory costing; the label wordings of the three price sources are ours.
inline constexpr Param CheckBillPosted = b0("CheckBillPosted", "chkHS_CheckBillPosted", u"结账检查未记账的单据");
inline constexpr Param IsShowStockData = b0("IsShowStockData", "ChkHS_IsShowStockData", u"同价调拨生成凭证");
inline constexpr Param IsTranRePrice = b0("IsTranRePrice", "chkHS_IsTranRePrice", u"有单价调拨单出库核算时重新取得单价");
inline constexpr Param ZanGuDiffMethod = locked(param(Cat::IC, "ZanGuDiffMethod", "0",
    options("optHS_ZanguMethod", {u"单到冲回", u"差额调整"}, u"暂估差额生成方式"), Codec::NonZero0),
    Lock::BusinessOpen);
inline constexpr Param AdjustPrice = list("AdjustPrice", "0", combo("cmbHS_AdjustPrice", u"调整单价来源：", {u"手工录入", u"最新出库价", u"最新入库价"}), Codec::ItemData);
inline constexpr Param NoOriginPrice = list("NoOriginPrice", "0", combo("cmbHS_NoOriginPrice", u"无单价出库单取价：", kPriceSources), Codec::ItemData);
inline constexpr Param NegPrice = list("NegPrice", "0", combo("cmbHS_NegPrice", u"负库存出库取价：", kPriceSources), Codec::ItemData);
// Three option pairs OptType1..OptType3 in one key, one character each.
inline constexpr Param RedBillCaculate = param(Cat::IC, "RedBillCaculate", "010",
    options("OptType", {u"作为入库", u"作为出库"}), Codec::Chars3);

// Production and outsourcing. The log's sentence for the second box of the
// pair is worded apart from the box's caption.
inline constexpr Param MoCheckQty = watched(param(Cat::IC, "MoCheckQty", "0",
    checks("chkIC_MOCheckQty", {u"生产任务单/委外加工单需完成生产领料/委外发料才可入库", u"生产任务单/委外加工单部分生产领料/委外发料即可入库"}),
    Codec::PairCode), u"生产任务单/委外加工单需部分生产领料/委外发料即可入库");
inline constexpr Param UpDiscountSave = watched(locked(b1("upDiscountSave", "chkIC_MOQtyCheck", u"生产领料/委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）"), Lock::Page));
inline constexpr Param MoCommitQty = watched(b1("MoCommitQty", "chkIC_MoCommitQty", u"关联销售订单生成生产任务单及委外加工单时，扣减其已关联销售出库的数量"));
inline constexpr Param MoCheckNoApportionFee = watched(b1("MoCheckNoApportionFee", "chkIC_MoCheckNoApportionFee", u"生产及委外成本核算前检查未进行费用分配的产品入库单"));
inline constexpr Param OutMoCheckNoOutExpense = watched(b1("OutMoCheckNoOutExpense", "chkIC_OutMoCheckNoOutExpense", u"委外成本核算前检查未进行费用分配的委外产品入库单"));
inline constexpr Param CProOutQtyLargerQty = watched(b0("CProOutQtyLargerQty", "chkIC_ProOut_QtyLargerQty", u"允许生产任务单及委外加工单上数量大于销售订单上的数量"));
inline constexpr Param CStoOutQtyLargerQty = watched(b0("CStoOutQtyLargerQty", "chkIC_StoOut_QtyLargerQty", u"允许产品入库单/委外产品入库单的数量大于生产任务单/委外加工单上的数量", "1"));
// The save wording; the page swaps in the audit wording.
inline constexpr Param AlertMO = watched(list("AlertMO", "2", combo("cmbIC_AlertMO", u"生产领料及委外发料超过限额控制方式：", {u"继续保存不提示", u"提示，并允许制单人继续保存", u"提示,并不允许制单人保存"}), Codec::IndexFrom1));
inline constexpr Param BOMType = watched(list("BOMType", "1", combo("cmbIC_BOMType", u"BOM损耗率公式：", {u"标准用量/(1-损耗率%)", u"标准用量*(1+损耗率%)"}), Codec::IndexFrom1));
inline constexpr Param UpdateBomStock = watched(b1("UpdateBomStock", "chkUpdateBomStock", u"修改物料默认仓库时，同步更新物料对应的BOM发料仓库"));
inline constexpr Param ManufactureAlarmDateCount = watched(days("ManufactureAlarmDateCount", 6, u"生产及委外任务超期提前预警天数："));

// Outside the frames; label wording and typing limits are ours.
inline constexpr Param FKFPreperiod = list("FKFPreperiod", "0", number("txtIC_FKFPreperiod", u"保质期提前期（天）：", 0, 9999), Codec::Number);
inline constexpr Param PrecisionOfSumRow = list("PrecisionOfSumRow", "4", number("txtPrecisionOfSumRow", u"合计行数量小数位数：", 0, 8, true), Codec::NumberText);
}  // namespace business

namespace closing {
using namespace make;
constexpr Param option(const char* key, const char* control, Text caption) {
    return param(Cat::IC, key, "0", check(control, caption), Codec::FlagNumber);
}
inline constexpr Param UnCheckBillByPeriodSaleFP = option("UnCheckBillByPeriodSaleFP", "chkHS_UnCheckBillByPeriodSaleFP", u"结账不检查已进行对等核销的分期收款销售发票单据");
inline constexpr Param UnCheckBillByRedSaleFP = option("UnCheckBillByRedSaleFP", "chkHS_UnCheckBillByRedSaleFP", u"结账不检查红字分期收款销售发票单据");
inline constexpr Param UnCheckBillByPrevPurchanceFP = option("UnCheckBillByPrevPurchanceFP", "chkHS_UnCheckBillByPrevPurchanceFP", u"结账不检查往期采购发票单据");
inline constexpr Param UnCheckBillByPrevSaleFP = option("UnCheckBillByPrevSaleFP", "chkHS_UnCheckBillByPrevSaleFP", u"结账不检查往期销售发票单据");
}  // namespace closing

// clang-format on

}  // namespace zx::params
