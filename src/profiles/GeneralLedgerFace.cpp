// Faces of the company page, the period page and the financial page of
// frmSystemProfiles, plus the profit-account frame shown on the financial page.
//
// Controls placed here, by page (a reviewer can diff this list against the
// names the load, save and caption routines use):
//
// Stab(0) 系统信息
//   frame 企业信息: LbCompany, txtCompanyName, txtCompanyAddress, txtCompanyPhone,
//     txtFax, txtCompanyTax, txtCompanyYHAccount, txtPostNum, txtEMail,
//     CompanyType(0..2), rdoTaxType(0..1), txtTaxRate
//   frame 记账本位币: txtCyNumber, txtCyName, txtCyScale
// Stab(1) 会计期间
//   framInit_Period: cmdSetPeriod, chkPeriodByMonth, lblCaption(0), lblCaption(1),
//     optPeriod12, optPeriod13, txtPeriodCount, tvwPeriod, pp
//   FramInit_CW: lblStartYear_Cw, txtStartYear, lblStartPeriod_Cw, txtStartPeriod,
//     lblCurYear_CW, txtCurYear, lblCurPeriod_Cw, txtCurPeriod
// Stab(2) 财务参数
//   stabGl, stabGl(0) 基本信息: chkShowDashBoard, chkAllowSameNameBellowOneParent,
//     chkCanCreateChildAcctWhenBeUsed, ChkAcctFront, chkMustBusinessClose,
//     chkForbidUnclose, chkClosePnl, chkMcldgProfitBal, chkMcldgCostBal,
//     chkEndBalDCByAcct, ChkItemBalDcSet, chkViewFullAcctName, ChkSubLdgViewPrevExp,
//     chkQtySubShowModel, ChkLdgViewItemNumber, ChkCashBankZeroWarn
//   stabGl(1) 凭证: chkCheckBeforePost, ChkAllCheck(0), chkCannotModifyNoteAfterAudited,
//     chkSettle, chkExpEachEnt, ChkStopAllCheck, ChkUseVchCheck, chkCashBeforePost,
//     chkCheckNotCash, chkApproveBeforePost, ChkVchSameCurrency, ChkAcctBalView,
//     ChkCashFlowItem, ChkCashFlowPrf, ChkVchlistViewItem, ChkGyVchEditStop,
//     ChkVchNoViewItemClasslName, ChkVchViewItemFullName,
//     FrameVchNumber: chkVchGroupByYear, ChkVchNumberSortByPeriod, chkNewVchUseNumber,
//       chkNewVchCheckNumber, chkSysNum
//     IntEndVoucherDate, intVchInPutEndDate, intVchInPutMothDiff
//   stabGl(2) 预算: frameB: OptBud(0..2); FrameYtd: OptYtdBud(0..2), OptYtd(0..1);
//     frameSign: OptSignBud(0..2)
//   stabGl(3) 往来传递: chkTransCheckStart, ChkTransNo, chkContactRed, ChkUseCussent,
//     ChkNotCloseOff, OptByDebit, OptByCredit, OptByall
//   profit accounts: LBEarn, txtEarnAcct, btnEarnAcct, lblEarnAssign,
//     txtEarnAssignAcct, btnEarnAssignAcct
//   decimals: IntQtyDefNum, IntPriceDefNum
//   framPA (payrollFrame) with chkcstime below it, framFix (fixedAssetsFrame)
//
// The business precision boxes lblZKLScale/txtZKLScale and lblFPScale/txtFPScale
// belong with the business base frames of Stab(4) and are placed there.

#include "zx/profiles/Faces.h"

namespace zx::profiles::faces {

using namespace face;

namespace {

QString t(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Three-way budget control: no check, warn, forbid.
Node budgetOptions(const QString& array) {
    return options({option(arrayName(array, 0), t("不检查")),
                    option(arrayName(array, 1), t("警告")),
                    option(arrayName(array, 2), t("禁止使用"))});
}

Node companyFrame() {
    return frame({}, t("企业信息"),
                 {
                     text("txtCompanyName", t("单位名称："), "LbCompany", 24),
                     text("txtCompanyAddress", t("地    址："), {}, 24),
                     text("txtCompanyPhone", t("电    话：")),
                     text("txtFax", t("传    真：")),
                     text("txtCompanyTax", t("税    号：")),
                     text("txtCompanyYHAccount", t("银行账号：")),
                     text("txtPostNum", t("邮政编码：")),
                     text("txtEMail", t("E_Mail：")),
                     row({label({}, t("单位性质：")),
                          options({option(arrayName("CompanyType", 0), t("企业单位")),
                                   option(arrayName("CompanyType", 1), t("事业单位")),
                                   option(arrayName("CompanyType", 2), t("行政单位"))})}),
                     row({label({}, t("公司纳税性质：")),
                          options({option(arrayName("rdoTaxType", 0), t("一般纳税人")),
                                   option(arrayName("rdoTaxType", 1), t("小规模纳税人"))})}),
                     row({number("txtTaxRate", t("税率(%)："), 0, 100, false), stretch()}),
                 },
                 2);
}

Node baseCurrencyFrame() {
    // Spin buttons on the decimals box are our choice; the range is fixed.
    return frame(
        {}, t("记账本位币"),
        {row({text("txtCyNumber", t("代码："), {}, 8), text("txtCyName", t("名称："), {}, 12),
              number("txtCyScale", t("小数位："), 0, 4, true), stretch()})});
}

Node periodDefinitionFrame() {
    return frame("framInit_Period", t("会计期间界定"),
                 {
                     row({button("cmdSetPeriod", t("设置会计期间")),
                          check("chkPeriodByMonth", t("自然年度会计期间")), stretch()}),
                     row({label(arrayName("lblCaption", 1), t("会计期间数：")),
                          options({option("optPeriod12", "12"), option("optPeriod13", "13")}),
                          // No routine reads or writes this box; it only keeps its name.
                          hidden(text("txtPeriodCount", {})), stretch()}),
                     label(arrayName("lblCaption", 0), t("会计年度")),
                     row({tree("tvwPeriod"), grid("pp", {t("会计期间"), t("开始日期")})}),
                 });
}

Node ledgerStartFrame() {
    // The bounds below are the widest sensible ones; the load narrows them to
    // the calendar (minimum start year, period count).
    return frame(
        "FramInit_CW", t("初始参数"),
        {
            number("txtStartYear", t("启用会计年度："), 1900, 9999, false, "lblStartYear_Cw"),
            number("txtStartPeriod", t("启用会计期间："), 0, 13, false, "lblStartPeriod_Cw"),
            readOnly(text("txtCurYear", t("当前会计年度："), "lblCurYear_CW")),
            readOnly(text("txtCurPeriod", t("当前会计期间："), "lblCurPeriod_Cw")),
        },
        2);
}

Node basicInfoPage() {
    return page(
        "stabGl(0)", t("基本信息"),
        {column(
            {
                check("chkShowDashBoard", t("显示数据看板")),
                check("chkAllowSameNameBellowOneParent", t("允许相同父级核算项目/科目名称重名")),
                check("chkCanCreateChildAcctWhenBeUsed", t("允许已有业务发生的科目增加下级科目")),
                check("ChkAcctFront", t("科目名称显示在科目代码前")),
                check("chkMustBusinessClose", t("财务结账前必须先业务结账")),
                check("chkForbidUnclose", t("不允许进行跨财务年度反结账")),
                check("chkClosePnl", t("结账要求损益类科目余额为零")),
                check("chkMcldgProfitBal", t("多栏账损益类科目期初余额从余额表取数")),
                check("chkMcldgCostBal", t("多栏账成本类科目期初余额从余额表取数")),
                check("chkEndBalDCByAcct", t("账簿余额方向与科目设置的余额方向相同")),
                check("ChkItemBalDcSet", t("核算项目余额表非明细项目余额合并在一个方向")),
                check("chkViewFullAcctName", t("明细账科目显示所有名称")),
                check("ChkSubLdgViewPrevExp", t("明细账(表)摘要自动继承上条分录摘要")),
                check("chkQtySubShowModel", t("数量金额明细账商品核算项目显示规格型号")),
                check("ChkLdgViewItemNumber", t("账簿核算项目名称显示相应代码")),
                check("ChkCashBankZeroWarn", t("现金银行存款赤字报警")),
            },
            3)});
}

Node voucherPage() {
    return page(
        "stabGl(1)", t("凭证"),
        {
            column(
                {
                    check("chkCheckBeforePost", t("凭证过账前必须审核")),
                    check(arrayName("ChkAllCheck", 0), t("凭证审核与制单不能为同一人")),
                    check("chkCannotModifyNoteAfterAudited", t("凭证审核后不允许修改摘要")),
                    check("chkSettle", t("银行存款科目必须输入结算信息")),
                    check("chkExpEachEnt", t("每条凭证分录必须有摘要")),
                    check("ChkStopAllCheck", t("禁止成批审核")),
                    check("ChkUseVchCheck", t("必须双敲审核")),
                    check("chkCashBeforePost", t("凭证过账前必须出纳复核")),
                    check("chkCheckNotCash", t("凭证审核后不允许出纳复核")),
                    check("chkApproveBeforePost", t("凭证过账前必须核准")),
                    check("ChkVchSameCurrency", t("凭证分账制")),
                    check("ChkAcctBalView", t("显示科目最新余额、预算额")),
                    check("ChkCashFlowItem", t("录入凭证时必须指定现金流量项目")),
                    check("ChkCashFlowPrf", t("录入凭证时必须指定现金流量附表项目")),
                    check("ChkVchlistViewItem", t("凭证查询分录科目显示核算项目")),
                    check("ChkGyVchEditStop", t("不允许修改/删除业务系统凭证")),
                    check("ChkVchNoViewItemClasslName", t("凭证套打不显示核算项目类别名称")),
                    check("ChkVchViewItemFullName", t("凭证/明细账分级显示核算项目名称")),
                },
                3),
            row({
                frame("FrameVchNumber", t("凭证号"),
                      {
                          check("chkVchGroupByYear", t("凭证号按年度排列")),
                          check("ChkVchNumberSortByPeriod", t("凭证号按期间统一排序")),
                          check("chkNewVchUseNumber", t("新增凭证自动填补断号")),
                          check("chkNewVchCheckNumber", t("新增凭证检查凭证号")),
                          check("chkSysNum", t("不允许手工修改凭证号")),
                      },
                      2),
                // The form has no captions for these three boxes; the wording is
                // ours, taken from what the values mean.
                frame({}, t("凭证录入日期"),
                      {
                          number("IntEndVoucherDate", t("凭证截止日："), 0, 31, true),
                          number("intVchInPutEndDate", t("录入截止日："), 0, 31, true),
                          number("intVchInPutMothDiff", t("录入允许相差月数："), -10, 10, true),
                      }),
            }),
        });
}

Node budgetPage() {
    return page("stabGl(2)", t("预算"),
                {
                    frame("frameB", t("科目余额预算"), {budgetOptions("OptBud")}),
                    frame("FrameYtd", t("科目发生额预算"),
                          {budgetOptions("OptYtdBud"),
                           options({option(arrayName("OptYtd", 0), t("每期发生额预算")),
                                    option(arrayName("OptYtd", 1), t("累计发生额预算"))})}),
                    frame("frameSign", t("科目单笔分录发生额预算"), {budgetOptions("OptSignBud")}),
                });
}

Node transferPage() {
    return page("stabGl(3)", t("往来传递"),
                {
                    column(
                        {
                            check("chkTransCheckStart", t("启用往来业务核销")),
                            check("ChkTransNo", t("往来业务必须录入业务编号")),
                            check("chkContactRed", t("往来科目赤字报警")),
                            check("ChkUseCussent", t("启用内部往来凭证协同处理")),
                            check("ChkNotCloseOff", t("往来对账信息未完成确认，不允许结账")),
                        },
                        3),
                    frame({}, t("内部往来信息发送方式"),
                          {options({option("OptByDebit", t("限借方发送")),
                                    option("OptByCredit", t("限贷方发送")),
                                    option("OptByall", t("借贷双方均可发送"))})}),
                });
}

Node decimalsFrame() {
    // The frame's caption is ours; the form groups the two boxes without one.
    return frame({}, t("小数位数"),
                 {
                     number("IntQtyDefNum", t("数量小数位："), 0, 8, true),
                     number("IntPriceDefNum", t("单价小数位："), 0, 8, true),
                 },
                 2);
}

}  // namespace

Node companyPage() {
    return page("Stab(0)", t("系统信息"), {companyFrame(), row({baseCurrencyFrame(), stretch()})});
}

Node periodsPage() {
    return page("Stab(1)", t("会计期间"),
                {periodDefinitionFrame(), row({ledgerStartFrame(), stretch()})});
}

Node profitAccountsFrame() {
    // The frame caption and the selection buttons' text are ours; the two
    // labels carry their system names so the load can re-caption them.
    return frame({}, t("结转科目"),
                 {
                     row({text("txtEarnAcct", t("本年利润科目："), "LBEarn", 16),
                          button("btnEarnAcct", t("选择"))}),
                     row({text("txtEarnAssignAcct", t("利润分配科目："), "lblEarnAssign", 16),
                          button("btnEarnAssignAcct", t("选择"))}),
                 });
}

Node financePage() {
    return page("Stab(2)", t("财务参数"),
                {
                    tabs("stabGl", {basicInfoPage(), voucherPage(), budgetPage(), transferPage()}),
                    row({
                        column({profitAccountsFrame(), decimalsFrame(), stretch()}),
                        // The tax-return date box sits under the payroll frame; when the
                        // load hides it, the payroll frame takes the fixed-asset frame's height.
                        column({payrollFrame(),
                                check("chkcstime", t("税务申报表日期与系统日期同步")), stretch()}),
                        fixedAssetsFrame(),
                    }),
                });
}

}  // namespace zx::profiles::faces
