// Face of the manufacturing page Stab(8) 生产及委外参数: production and
// outsourcing options, inventory costing, and the button to the change log.
//
// Controls placed here, by object name:
//   生产及委外参数:  chkIC_MOCheckQty(0), chkIC_MOCheckQty(1), chkIC_MOQtyCheck,
//                   chkIC_MoCommitQty, chkIC_ProOut_QtyLargerQty, chkIC_StoOut_QtyLargerQty,
//                   chkIC_MoCheckNoApportionFee, chkIC_OutMoCheckNoOutExpense, chkUpdateBomStock,
//                   cmbIC_AlertMO, cmbIC_BOMType, lbl_AlarmDateCount(6), txt_AlarmDateCount(6)
//   存货核算参数:    chkHS_CheckBillPosted, cmdSetCheckItem, ChkHS_IsShowStockData,
//                   chkHS_IsTranRePrice, fam_ZanguMethod 暂估差额生成方式: optHS_ZanguMethod(0),
//                   optHS_ZanguMethod(1), cmbHS_AdjustPrice, cmbHS_NoOriginPrice, cmbHS_NegPrice,
//                   红字出库单参与加权平均法核算规则设置: OptType1(0..1), OptType2(0..1),
//                   OptType3(0..1)
//   cmdOptHistory
//
// The two production-issue boxes chkIC_MOCheckQty(0) and (1) are check boxes
// that the page logic keeps exclusive, not option buttons.

#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;

namespace {

Node productionFrame() {
    return frame(
        {}, QStringLiteral("生产及委外参数"),
        {
            column(
                {
                    check(arrayName("chkIC_MOCheckQty", 0),
                          QStringLiteral("生产任务单/委外加工单需完成生产领料/委外发料才可入库")),
                    check(arrayName("chkIC_MOCheckQty", 1),
                          QStringLiteral("生产任务单/委外加工单部分生产领料/委外发料即可入库")),
                    check("chkIC_MOQtyCheck",
                          QStringLiteral("生产领料/委外发料单必须审核后才能入库（库存更新控制为审核"
                                         "后更新时生效）")),
                    check("chkIC_MoCommitQty",
                          QStringLiteral("关联销售订单生成生产任务单及委外加工单时，扣减其已关联销"
                                         "售出库的数量")),
                    check("chkIC_ProOut_QtyLargerQty",
                          QStringLiteral("允许生产任务单及委外加工单上数量大于销售订单上的数量")),
                    check("chkIC_StoOut_QtyLargerQty",
                          QStringLiteral("允许产品入库单/委外产品入库单的数量大于生产任务单/委外加"
                                         "工单上的数量")),
                    check("chkIC_MoCheckNoApportionFee",
                          QStringLiteral("生产及委外成本核算前检查未进行费用分配的产品入库单")),
                    check("chkIC_OutMoCheckNoOutExpense",
                          QStringLiteral("委外成本核算前检查未进行费用分配的委外产品入库单")),
                    check("chkUpdateBomStock",
                          QStringLiteral("修改物料默认仓库时，同步更新物料对应的BOM发料仓库")),
                },
                2),
            column(
                {
                    // The save wording; the page logic swaps in the audit wording.
                    combo("cmbIC_AlertMO", QStringLiteral("生产领料及委外发料超过限额控制方式："),
                          {QStringLiteral("继续保存不提示"),
                           QStringLiteral("提示，并允许制单人继续保存"),
                           QStringLiteral("提示,并不允许制单人保存")}),
                    combo("cmbIC_BOMType", QStringLiteral("BOM损耗率公式："),
                          {QStringLiteral("标准用量/(1-损耗率%)"),
                           QStringLiteral("标准用量*(1+损耗率%)")}),
                    // Warning days: up to a good many years (our bounds).
                    number(arrayName("txt_AlarmDateCount", 6),
                           QStringLiteral("生产及委外任务超期提前预警天数："), 0, 9999, false,
                           arrayName("lbl_AlarmDateCount", 6)),
                },
                2),
        });
}

QStringList priceSources(bool withPlanPrice) {
    QStringList items{QStringLiteral("手工录入"), QStringLiteral("最新出库价"),
                      QStringLiteral("最新入库价")};
    if (withPlanPrice) items << QStringLiteral("计划价");
    return items;
}

// One kind of red outbound bill and whether weighted-average costing counts
// it as inbound or outbound.
Node redBillFrame(const QString& array, const QString& caption) {
    return frame({}, caption,
                 {options({option(arrayName(array, 0), QStringLiteral("作为入库")),
                           option(arrayName(array, 1), QStringLiteral("作为出库"))})});
}

Node costingFrame() {
    return frame(
        {}, QStringLiteral("存货核算参数"),
        {
            row({
                column({
                    row({check("chkHS_CheckBillPosted", QStringLiteral("结账检查未记账的单据")),
                         button("cmdSetCheckItem", QStringLiteral("检查设置")), stretch()}),
                    check("ChkHS_IsShowStockData", QStringLiteral("同价调拨生成凭证")),
                    check("chkHS_IsTranRePrice",
                          QStringLiteral("有单价调拨单出库核算时重新取得单价")),
                    frame("fam_ZanguMethod", QStringLiteral("暂估差额生成方式"),
                          {options({option(arrayName("optHS_ZanguMethod", 0),
                                           QStringLiteral("单到冲回")),
                                    option(arrayName("optHS_ZanguMethod", 1),
                                           QStringLiteral("差额调整"))})}),
                }),
                // Label wordings of the three price sources are ours.
                column({
                    combo("cmbHS_AdjustPrice", QStringLiteral("调整单价来源："),
                          priceSources(false)),
                    combo("cmbHS_NoOriginPrice", QStringLiteral("无单价出库单取价："),
                          priceSources(true)),
                    combo("cmbHS_NegPrice", QStringLiteral("负库存出库取价："), priceSources(true)),
                    stretch(),
                }),
            }),
            frame(
                {}, QStringLiteral("红字出库单参与加权平均法核算规则设置"),
                {
                    redBillFrame("OptType1", QStringLiteral("无原单红字出库单")),
                    redBillFrame("OptType2", QStringLiteral("原单期间为本期或以后期间红字出库单")),
                    redBillFrame("OptType3", QStringLiteral("原单期间为以前期间红字出库单")),
                },
                3),
        });
}

}  // namespace

Node manufacturingPage() {
    return page("Stab(8)", QStringLiteral("生产及委外参数"),
                {
                    productionFrame(),
                    costingFrame(),
                    row({stretch(), button("cmdOptHistory", QStringLiteral("参数修改日志(&H)"))}),
                    stretch(),
                });
}

}  // namespace zx::profiles::faces
