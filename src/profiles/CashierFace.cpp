// Faces of the cashier page (Stab(3)), of the fixed-asset and payroll frames
// shown on the financial page (framFix, framPA), and of the two withdrawn
// pages Stab(5) and Stab(6), whose settings live in those frames.
//
// Controls placed here, by object name:
//   cashier page:  txtCnStartYear, txtCnStartPeriod, txtCnCurrentYear, txtCnCurrentPeriod,
//                  txtCnMaxYear, txtCnMaxPeriod, lblCnStartYear, lblCnStartPeriod,
//                  lblCnCurrYear, lblCnCurrPeriod, lblCnDataYear, lblCnDataPeriod,
//                  chkSubSys, fraXj, optXj(0), optXj(1), Label1(0), txtLenXj,
//                  fraYh, optYh(0), optYh(1), Label1(3), txtLenYh,
//                  chkMakeJournal, chkGLDiffNotSettle, chkJournalFromGL,
//                  chkJournalFromARAP, chkAllowEditVchNumber, chkUseESC
//   framFix:       chkVchChecked, chkNoDepr, DeprRateScale, DeprRateQty,
//                  framSet(9) with ChkFAtoGL, chkNoVoucher, ChkChangeNumber, chkMustChecked,
//                  chkBalance, ChkLocationFullName, chkDeptAlterNextDepr, chkVouchSingle
//   framPA:        chkCheckBeClose, ChkPeriod
//   Stab(5), Stab(6): a note only.

#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {
using namespace face;

namespace {

// Exchange-rate and depreciation decimals: no wider than the ledger's own
// decimal boxes (our bounds).
constexpr int kMaxDecimals = 8;

// Start, current and pre-entered periods of the cashier. The start fields are
// numeric; the other four only display what the cashier module has reached.
Node cashierStartFrame() {
    return frame({}, QStringLiteral("初始参数"),
                 {
                     // Years as the calendar allows them; period 0 stands for "not
                     // set yet" and makes the save skip the cashier start (our bounds).
                     number("txtCnStartYear", QStringLiteral("启用会计年度："), 1900, 9999, false,
                            "lblCnStartYear"),
                     number("txtCnStartPeriod", QStringLiteral("启用会计期间："), 0, 13, false,
                            "lblCnStartPeriod"),
                     readOnly(text("txtCnCurrentYear", QStringLiteral("当前会计年度："),
                                   "lblCnCurrYear", 6)),
                     readOnly(text("txtCnCurrentPeriod", QStringLiteral("当前会计期间："),
                                   "lblCnCurrPeriod", 6)),
                     readOnly(text("txtCnMaxYear", QStringLiteral("预录入数据会计年度："),
                                   "lblCnDataYear", 6)),
                     readOnly(text("txtCnMaxPeriod", QStringLiteral("预录入数据会计期间："),
                                   "lblCnDataPeriod", 6)),
                     check("chkSubSys", QStringLiteral("结账与总账期间同步")),
                 },
                 2);
}

// One journal's exchange-rate setting: fixed or floating, and its decimals.
Node rateFrame(const QString& frameName, const QString& caption, const QString& optionName,
               const QString& lenName, int labelIndex) {
    return frame(frameName, caption,
                 {
                     options({option(arrayName(optionName, 0), QStringLiteral("固定汇率")),
                              option(arrayName(optionName, 1), QStringLiteral("浮动汇率"))}),
                     number(lenName, QStringLiteral("汇率小数位长度："), 0, kMaxDecimals, true,
                            arrayName("Label1", labelIndex)),
                 });
}

}  // namespace

Node cashierPage() {
    // One column, as wide as the start frame, so the frames below line up with it.
    return page(
        "Stab(3)", QStringLiteral("出纳参数"),
        {row(
            {column({
                 cashierStartFrame(),
                 // Both rate frames are withdrawn when the page loads; the journal
                 // options below then move up into their place.
                 row({rateFrame("fraXj", QStringLiteral(" 现金日记账汇率设置 "), "optXj",
                                "txtLenXj", 0),
                      rateFrame("fraYh", QStringLiteral(" 银行存款日记账汇率设置 "), "optYh",
                                "txtLenYh", 3)}),
                 // The caption of this grouping is ours.
                 frame(
                     {}, QStringLiteral("日记账选项"),
                     {
                         check("chkMakeJournal", QStringLiteral("自动生成对方科目日记账")),
                         check("chkGLDiffNotSettle",
                               QStringLiteral("与总账对账期末余额不等时不允许结账")),
                         check("chkJournalFromGL", QStringLiteral("允许从总账引入日记账")),
                         check("chkJournalFromARAP", QStringLiteral("允许应收应付单据生成日记账")),
                         check("chkAllowEditVchNumber", QStringLiteral("允许在日记账输入凭证字号")),
                         check("chkUseESC", QStringLiteral("与结算中心联用")),
                     }),
             }),
             stretch()})});
}

Node fixedAssetsFrame() {
    return frame(
        "framFix", QStringLiteral("固定资产参数"),
        {
            column(
                {
                    check("chkVchChecked", QStringLiteral("卡片生成凭证前必须审核")),
                    check("chkNoDepr", QStringLiteral("不折旧(整个系统)")),
                    number("DeprRateScale", QStringLiteral("折旧率小数位："), 0, kMaxDecimals,
                           true),
                    number("DeprRateQty", QStringLiteral("数量小数位："), 0, kMaxDecimals, true),
                },
                2),
            frame("framSet(9)", {},
                  {
                      check("ChkFAtoGL", QStringLiteral("与总账系统相连")),
                      check("chkNoVoucher", QStringLiteral("不需要生成凭证")),
                      check("ChkChangeNumber", QStringLiteral("允许改变基础资料编码")),
                      check("chkMustChecked", QStringLiteral("卡片必须审核")),
                      check("chkBalance", QStringLiteral("期末结账前先进行自动对账")),
                      check("ChkLocationFullName", QStringLiteral("存放地点显示全称")),
                      check("chkDeptAlterNextDepr",
                            QStringLiteral("变动使用部门时当期折旧按原部门进行归集")),
                      // A fixed-asset option, though its place is among the ledger
                      // options; kept with its own category so it exists once.
                      check("chkVouchSingle", QStringLiteral("审核与反审核必须为同一人")),
                  },
                  2),
        });
}

Node payrollFrame() {
    return frame("framPA", QStringLiteral("工资参数"),
                 {
                     check("chkCheckBeClose", QStringLiteral("结账前必须审核")),
                     check("ChkPeriod", QStringLiteral("结账与总账期间同步")),
                 });
}

// The two pages are withdrawn when the dialog loads; each keeps a note only,
// since every control name exists once and the settings sit on Stab(2).
// The wording of both notes is ours.
Node fixedAssetsPage() {
    return page("Stab(5)", QStringLiteral("固定资产"),
                {label({}, QStringLiteral("固定资产参数请在“财务参数”页中设置。"))});
}

Node payrollPage() {
    return page("Stab(6)", QStringLiteral("工资"),
                {label({}, QStringLiteral("工资参数请在“财务参数”页中设置。"))});
}

}  // namespace zx::profiles::faces
