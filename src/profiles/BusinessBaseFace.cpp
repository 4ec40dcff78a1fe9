// Face of the business base page Stab(4) 业务基础参数: the business start-up
// fields, the business precisions and the basic options of every business bill.
//
// Controls placed here, by object name:
//   framSet(8) 初始参数:  txtIC_StartYear, txtIC_StartPeriod, txtIC_CurrYear, txtIC_CurrPeriod,
//                        chkIC_NegBalance, chkIC_NegCalculate,
//                        库存更新控制: OptUPSTOCKWHENSAVE(0), OptUPSTOCKWHENSAVE(1),
//                        fam_CalculateType 存货核算方式: optHS_CalculateType(0),
//                        optHS_CalculateType(1)
//   framSet(7) 精度参数:  lblZKLScale, txtZKLScale, lblFPScale, txtFPScale,
//                        txtPrecisionOfSumRow
//   framSet(10) 基本选项: chkIC_SingleMan, chkIC_EditSelfBill, chkIC_UnCheckSelfBill,
//                        chkIC_UnArticulateSelfBill, chkNoModifySelBillPrice,
//                        chkEnableSelectSameBillEntry, chkNoSameWareInBill, chkIC_SaveBeforePrint,
//                        chkIC(0), chkIC_UseShortNumber, chkIC_UseSecUnit, chkIC_SecQtyIsMust,
//                        chkIC_SumAbsoluteQty, lblIC_AuxSpaceMark, cmbIC_AuxSpaceMark,
//                        lblIC_Item4Name, txtIC_Item4Name
//
// OptUPSTOCKWHENSAVE(1) is the option selected by design (an unset store reads
// as "update on save"); a face has no checked state, so the page's load selects
// it before it reads the stored value.

#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;

namespace {

// Start year, start period, current year and period of the business system,
// the stock-update control and the costing method. The load locks what must
// not change once the business system has started.
Node initialFrame() {
    return frame(
        "framSet(8)", QStringLiteral("初始参数"),
        {
            // Years as the calendar allows them; period 0 stands for "not started"
            // and makes the save skip the start-up (our bounds).
            number("txtIC_StartYear", QStringLiteral("启用会计年度："), 1900, 9999, false),
            number("txtIC_StartPeriod", QStringLiteral("启用会计期间："), 0, 13, false),
            readOnly(text("txtIC_CurrYear", QStringLiteral("当前会计年度："), {}, 6)),
            readOnly(text("txtIC_CurrPeriod", QStringLiteral("当前会计期间："), {}, 6)),
            check("chkIC_NegBalance", QStringLiteral("允许负库存出库")),
            check("chkIC_NegCalculate", QStringLiteral("允许负库存结账")),
            frame(
                {}, QStringLiteral("库存更新控制"),
                {options(
                    {option(arrayName("OptUPSTOCKWHENSAVE", 0), QStringLiteral("单据审核后更新")),
                     option(arrayName("OptUPSTOCKWHENSAVE", 1), QStringLiteral("单据保存后更新"))},
                    true)}),
            frame(
                "fam_CalculateType", QStringLiteral("存货核算方式"),
                {options({option(arrayName("optHS_CalculateType", 0), QStringLiteral("总仓核算")),
                          option(arrayName("optHS_CalculateType", 1), QStringLiteral("分仓核算"))},
                         true)}),
        },
        2);
}

// Decimal places of discount rates, special invoices and the quantity of the
// sum row. The frame's caption is ours.
Node precisionFrame() {
    return frame(
        "framSet(7)", QStringLiteral("精度参数"),
        {
            // Both precisions take 0 to 8 decimals with spin buttons.
            number("txtZKLScale", QStringLiteral("折扣率精度："), 0, 8, true, "lblZKLScale"),
            number("txtFPScale", QStringLiteral("专用发票精度："), 0, 8, true, "lblFPScale"),
            // As many decimals as the ledger's quantity boxes allow (our bounds).
            number("txtPrecisionOfSumRow", QStringLiteral("合计行数量小数位数："), 0, 8, false),
        },
        2);
}

// Options that every business bill follows. Related boxes sit side by side:
// who may audit, how source bills are used, units of measure.
Node basicOptionsFrame() {
    return frame(
        "framSet(10)", QStringLiteral("基本选项"),
        {
            column(
                {
                    check("chkIC_SingleMan", QStringLiteral("审核和制单可为同一人")),
                    check("chkIC_EditSelfBill", QStringLiteral("只允许修改删除本人录入的单据")),
                    check("chkIC_UnCheckSelfBill", QStringLiteral("审核与反审核必须为同一人")),
                    check("chkIC_UnArticulateSelfBill", QStringLiteral("钩稽与反钩稽必须为同一人")),
                    check("chkNoModifySelBillPrice",
                          QStringLiteral("下推或选源单的单据不允许修改单价")),
                    check("chkEnableSelectSameBillEntry",
                          QStringLiteral("单据允许多次选择相同的源单分录")),
                    check("chkNoSameWareInBill", QStringLiteral("单据体物料不允许重复")),
                    check("chkIC_SaveBeforePrint", QStringLiteral("打印（预览）前保存单据")),
                    check(arrayName("chkIC", 0), QStringLiteral("使用双计量单位")),
                    check("chkIC_UseShortNumber", QStringLiteral("基础资料录入与显示采用短代码")),
                    check("chkIC_UseSecUnit", QStringLiteral("使用辅助计量单位")),
                    check("chkIC_SecQtyIsMust", QStringLiteral("辅助数量必录")),
                    check("chkIC_SumAbsoluteQty", QStringLiteral("合计栏显示数量合计")),
                },
                2),
            column(
                {
                    combo("cmbIC_AuxSpaceMark", QStringLiteral("辅助属性间隔符："),
                          {QStringLiteral("/"), QStringLiteral("-"), QStringLiteral(".")},
                          "lblIC_AuxSpaceMark"),
                    text("txtIC_Item4Name", QStringLiteral("存货名称："), "lblIC_Item4Name", 10),
                },
                2),
            stretch(),
        });
}

}  // namespace

Node businessBasePage() {
    return page("Stab(4)", QStringLiteral("业务基础参数"),
                {row({column({initialFrame(), precisionFrame(), stretch()}), basicOptionsFrame()}),
                 stretch()});
}

}  // namespace zx::profiles::faces
