// Face of the business page Stab(7) 业务参数: purchasing, sales, warehouse,
// batch-number ordering, receivables and payables.
//
// Controls placed here, by object name:
//   framSet(11) 采购参数: chkIC_CreditDgreeNoOrderCG, cmbIC_OrderDepositTypeCG,
//                        chkIC_EnableMakePrevInvoiceCG, chkIC_CgInvPriceFromStockIn,
//                        chkIC_BackQtyGreaterPurchaseStockQty, chkIC_AutoMakeInvoiceCG,
//                        cmbIC_AutoMakeInvoiceCG, chkIC_AutoHookAfterCheckPurVachour,
//                        cmbIC_MakeBillCG, lblIC_ICBase(0), cmbIC_CreditDgreeCG,
//                        chkIC_AlertPOMaxPrice, chkIC_NoHookPIWhenDiffQty, chkIC_QtyLargerPOQty,
//                        lbl_AlarmDateCount(0), txt_AlarmDateCount(0)
//   framSet(12) 销售参数: chkIC_CreditDgreeNoOrderXS, cmbIC_OrderDepositTypeXS,
//                        chkIC_EnableMakePrevInvoiceXS, chkIC_XsInvPriceFromStockOut,
//                        chkIC_BackQtyGreaterSaleStockQty, chkIC_AutoMakeInvoiceXS,
//                        cmbIC_AutoMakeInvoiceXS, chkIC_AutoHookAfterCheckSalVachour,
//                        cmbIC_MakeBillXS, lblIC_ICBase(1), cmbIC_CreditDgree,
//                        chkIC_NoHookSIWhenDiffQty, chkIC_QtyLargerSEQty,
//                        lbl_AlarmDateCount(1), txt_AlarmDateCount(1)
//   framSet(13) 仓存参数: chkIC_ShowUnderTip, chkIC_ShowUnderCalcType,
//                        chkIC_ShowUnderCalcTypeAndInv, chkIC_ShowUnderCalcTypeByPeriod,
//                        chkIC_ShowUnderCalcTypeByPeriodAndInv, chkIC_UseHighInv,
//                        chkIC_UseLowInv, chkIC_UseSafeInv, lbl_AlarmDateCount(2),
//                        txt_AlarmDateCount(2), lbl_AlarmDateCount(3), txt_AlarmDateCount(3),
//                        txtIC_FKFPreperiod, cmbIC_IsBatchNoAutoFillType
//   批号默认排序参数:    chkIC_IsBatchNoAutoFill, cmbIC_BatchNoFieldName(0..2),
//                        cmbIC_BatchNoOrder(0..2)
//   应收应付参数:        lbl_AlarmDateCount(4), txt_AlarmDateCount(4), lbl_AlarmDateCount(5),
//                        txt_AlarmDateCount(5), fraprice 价格策略: cmbprice
//
// The inventory-costing frame sits on the manufacturing page, beside the
// production costing checks.

#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;

namespace {

// Warning days of every business alarm: up to a good many years (our bounds).
constexpr int kMaxAlarmDays = 9999;

Node alarmDays(int index, const QString& caption) {
    return number(arrayName("txt_AlarmDateCount", index), caption, 0, kMaxAlarmDays, false,
                  arrayName("lbl_AlarmDateCount", index));
}

QStringList creditControl() {
    return {QStringLiteral("继续保存不提示"), QStringLiteral("提示,并允许制单人继续保存"),
            QStringLiteral("提示,并不允许制单人保存")};
}

QStringList depositControl() {
    return {QStringLiteral("不允许操作"), QStringLiteral("提示是否允许继续操作"),
            QStringLiteral("继续操作不提示")};
}

QStringList invoiceKinds() {
    return {QStringLiteral("专用发票"), QStringLiteral("普通发票")};
}

QStringList amountBasis() {
    return {QStringLiteral("以单价为准"), QStringLiteral("以金额为准")};
}

// The automatic invoice: the box switches it on, the combo beside it names
// the kind of invoice.
Node autoInvoice(const QString& suffix, const QString& caption) {
    return row({check("chkIC_AutoMakeInvoice" + suffix, caption),
                combo("cmbIC_AutoMakeInvoice" + suffix, {}, invoiceKinds()), stretch()});
}

Node purchaseFrame() {
    return frame(
        "framSet(11)", QStringLiteral("采购参数"),
        {
            check("chkIC_CreditDgreeNoOrderCG",
                  QStringLiteral("往来余额在信用额度内时订单不校验信用额")),
            check("chkIC_EnableMakePrevInvoiceCG", QStringLiteral("允许新增以前期间的采购发票")),
            check("chkIC_CgInvPriceFromStockIn",
                  QStringLiteral("三方关联时采购发票单价来源采购入库单")),
            check("chkIC_BackQtyGreaterPurchaseStockQty",
                  QStringLiteral("允许退货数量大于关联的采购入库单数量")),
            autoInvoice("CG", QStringLiteral("采购入库单审核后自动生成发票")),
            check("chkIC_AutoHookAfterCheckPurVachour",
                  QStringLiteral("审核关联采购入库单生成的发票时自动钩稽")),
            check("chkIC_AlertPOMaxPrice", QStringLiteral("采购最高限价预警")),
            check("chkIC_NoHookPIWhenDiffQty",
                  QStringLiteral("采购发票和入库单数量不一致不允许钩稽")),
            check("chkIC_QtyLargerPOQty",
                  QStringLiteral("允许采购入库单上数量大于采购订单上的数量")),
            combo("cmbIC_OrderDepositTypeCG",
                  QStringLiteral("采购订单订金下推预付款单超额控制方式："), depositControl()),
            // The label wording of the amount basis is ours.
            combo("cmbIC_MakeBillCG", QStringLiteral("采购制单计算依据："), amountBasis()),
            combo("cmbIC_CreditDgreeCG", QStringLiteral("采购信用额度控制方式："), creditControl(),
                  arrayName("lblIC_ICBase", 0)),
            alarmDays(0, QStringLiteral("采购订单交货提前预警天数：")),
            stretch(),
        });
}

Node salesFrame() {
    return frame(
        "framSet(12)", QStringLiteral("销售参数"),
        {
            check("chkIC_CreditDgreeNoOrderXS",
                  QStringLiteral("往来余额在信用额度内时订单不校验信用额")),
            check("chkIC_EnableMakePrevInvoiceXS", QStringLiteral("允许新增以前期间的销售发票")),
            check("chkIC_XsInvPriceFromStockOut",
                  QStringLiteral("三方关联时销售发票单价来源销售出库单")),
            check("chkIC_BackQtyGreaterSaleStockQty",
                  QStringLiteral("允许退货数量大于关联的销售出库单数量")),
            autoInvoice("XS", QStringLiteral("销售出库单审核后自动生成发票")),
            check("chkIC_AutoHookAfterCheckSalVachour",
                  QStringLiteral("审核关联销售出库单生成的发票时自动钩稽")),
            check("chkIC_NoHookSIWhenDiffQty",
                  QStringLiteral("销售发票和出库单数量不一致不允许钩稽")),
            check("chkIC_QtyLargerSEQty",
                  QStringLiteral("允许销售出库单上数量大于销售订单上的数量")),
            combo("cmbIC_OrderDepositTypeXS",
                  QStringLiteral("销售订单订金下推预收款单超额控制方式："), depositControl()),
            // The label wording of the amount basis is ours.
            combo("cmbIC_MakeBillXS", QStringLiteral("销售制单计算依据："), amountBasis()),
            combo("cmbIC_CreditDgree", QStringLiteral("销售信用额度控制方式："), creditControl(),
                  arrayName("lblIC_ICBase", 1)),
            alarmDays(1, QStringLiteral("销售订单交货提前预警天数：")),
            // Sales has one box fewer than purchasing: keep the rows at the top.
            stretch(),
        });
}

// Stock warnings. Each date basis of the negative-stock check carries its own
// "check current stock" box right beside it.
Node warehouseFrame() {
    return frame(
        "framSet(13)", QStringLiteral("仓存参数"),
        {
            check("chkIC_ShowUnderTip", QStringLiteral("出现负库存时提示")),
            row({check("chkIC_ShowUnderCalcType", QStringLiteral("以单据日期为截止日期计算负库存")),
                 check("chkIC_ShowUnderCalcTypeAndInv", QStringLiteral("检测即时库存")),
                 stretch()}),
            row({check("chkIC_ShowUnderCalcTypeByPeriod",
                       QStringLiteral("以单据日期所属期间结束日期计算负库存")),
                 check("chkIC_ShowUnderCalcTypeByPeriodAndInv", QStringLiteral("检测即时库存")),
                 stretch()}),
            check("chkIC_UseHighInv", QStringLiteral("库存总量高于或等于最高库存提示")),
            check("chkIC_UseLowInv", QStringLiteral("库存总量低于或等于最低库存提示")),
            check("chkIC_UseSafeInv", QStringLiteral("库存总数量低于或等于安全库存时给予提示")),
            alarmDays(2, QStringLiteral("保质期预警提前天数：")),
            alarmDays(3, QStringLiteral("呆滞料预警(物料无发生额天数)：")),
            // Label wording and bounds are ours.
            number("txtIC_FKFPreperiod", QStringLiteral("保质期提前期（天）："), 0, kMaxAlarmDays,
                   false),
            combo("cmbIC_IsBatchNoAutoFillType", QStringLiteral("出库批号自动指定："),
                  {QStringLiteral("不启用"), QStringLiteral("近效期先出"),
                   QStringLiteral("批号顺序出库")}),
        });
}

// Each entry but the first is a display label, 35 blanks and the field name,
// so the field name travels with the entry yet stays out of sight.
QStringList batchFields() {
    const QString gap(35, u' ');
    return {gap,
            QStringLiteral("批号") + gap + QStringLiteral("FBatchNo"),
            QStringLiteral("辅助属性名称") + gap + QStringLiteral("FAuxPropName"),
            QStringLiteral("数量") + gap + QStringLiteral("FQty"),
            QStringLiteral("仓库") + gap + QStringLiteral("FStockName"),
            QStringLiteral("生产/采购日期") + gap + QStringLiteral("FKFDate"),
            QStringLiteral("保质期") + gap + QStringLiteral("FKFPeriod"),
            QStringLiteral("有效期至") + gap + QStringLiteral("FPeriodDate")};
}

Node batchOrderFrame() {
    static const char16_t* const kCaptions[] = {u"第一字段：", u"第二字段：", u"第三字段："};
    Nodes rows;
    for (int i = 0; i < 3; ++i) {
        Node field = combo(arrayName("cmbIC_BatchNoFieldName", i), QString::fromUtf16(kCaptions[i]),
                           batchFields());
        // Preferred width: narrow, so the field name after the blanks stays out of sight.
        field.chars = 8;
        rows.push_back(field);
        rows.push_back(combo(arrayName("cmbIC_BatchNoOrder", i), {},
                             {QStringLiteral("升序"), QStringLiteral("降序")}));
    }
    return frame({}, QStringLiteral("批号默认排序参数"),
                 {check("chkIC_IsBatchNoAutoFill", QStringLiteral("出库单据自动带出批号")),
                  column(rows, 2)});
}

Node receivablesFrame() {
    return frame(
        {}, QStringLiteral("应收应付参数"),
        {
            alarmDays(4, QStringLiteral("应收预警天数：")),
            alarmDays(5, QStringLiteral("应付预警天数：")),
            // The label wording is ours.
            frame(
                "fraprice", QStringLiteral("价格策略"),
                {combo("cmbprice", QStringLiteral("销售取价策略："),
                       {QStringLiteral("客户商品价格策略"), QStringLiteral("客户指定折扣策略"),
                        QStringLiteral("客户等级价格策略"), QStringLiteral("客户最近售价策略")})}),
        });
}

}  // namespace

Node businessPage() {
    return page(
        "Stab(7)", QStringLiteral("业务参数"),
        {
            row({purchaseFrame(), salesFrame()}),
            row({warehouseFrame(), column({batchOrderFrame(), receivablesFrame(), stretch()})}),
            stretch(),
        });
}

}  // namespace zx::profiles::faces
