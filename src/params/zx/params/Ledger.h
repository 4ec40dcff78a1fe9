#pragma once

// The company, period, ledger, profit-account, fixed-asset, payroll and
// cashier parameters of the account set, each declared once.

#include "zx/params/Make.h"

namespace zx::params {

// One declaration a line, so that the catalogue reads as a table.
// clang-format off

namespace company {
using namespace make;
constexpr Param text(const char* key, const char* control, Text label, int chars = 0,
                     const char* labelName = nullptr) {
    return param(Cat::General, key, "", textBox(control, label, 255, chars, labelName),
                 Codec::Text);
}
// The account register carries the name too: the page's step writes both.
inline constexpr Param CompanyName = writtenBy(text("CompanyName", "txtCompanyName", u"公司名称：", 24, "LbCompany"), Write::Page);
inline constexpr Param CompanyAddress = text("CompanyAddress", "txtCompanyAddress", u"地    址：", 24);
inline constexpr Param CompanyPhone = text("CompanyPhone", "txtCompanyPhone", u"电    话：");
inline constexpr Param Fax = text("Fax", "txtFax", u"传    真：");
inline constexpr Param CompanyTax = text("CompanyTax", "txtCompanyTax", u"税    号：");
inline constexpr Param CompanyYHAccount = text("CompanyYHAccount", "txtCompanyYHAccount", u"银行账号：");
inline constexpr Param PostNum = text("PostNum", "txtPostNum", u"邮政编码：");
inline constexpr Param EMail = text("EMail", "txtEMail", u"E_Mail：");
inline constexpr Param CompanyType = writtenBy(
    locked(param(Cat::General, "CompanyType", "1",
                 options("CompanyType", {u"企业单位", u"事业单位", u"行政单位"}, u"单位性质："),
                 Codec::OrgKind),
           Lock::DisplayOnly, u"单位性质在建立账套时确定，此处只能查看。"),
    Write::Never);
inline constexpr Param TaxType = writtenBy(
    param(Cat::General, "TaxType", "-1",
          options("rdoTaxType", {u"一般纳税人", u"小规模纳税人"}, u"公司纳税性质："),
          Codec::TaxKind),
    Write::Page);
inline constexpr Param TaxRate = writtenBy(
    param(Cat::General, "TaxRate", "0",
          {.name = "txtTaxRate", .kind = Kind::Decimal, .caption = u"税率(%)：", .lower = 0,
           .upper = 100},
          Codec::Decimal),
    Write::Page);
}  // namespace company

namespace ledger {
using namespace make;
constexpr Param flag(const char* key, const char* control, Text caption, const char* def = "0") {
    return param(Cat::GL, key, def, check(control, caption), Codec::Flag);
}
constexpr Param count(const char* key, const char* def, const char* control, Text label,
                      qint32 lower, qint32 upper) {
    return param(Cat::GL, key, def, number(control, label, lower, upper, true), Codec::Number);
}
constexpr Param budget(const char* key, const char* array, Text frame) {
    return param(Cat::GL, key, "0", options(array, {u"不检查", u"警告", u"禁止使用"}, frame),
                 Codec::Option);
}

inline constexpr Param CheckBeforePost = flag("CheckBeforePost", "chkCheckBeforePost", u"凭证过账前必须审核");
inline constexpr Param VchMakeANDChkSame = flag("VchMakeANDChkSame", "ChkAllCheck(0)", u"凭证审核与制单不能为同一人");
inline constexpr Param AllowSameNameBellowOneParent = flag("AllowSameNameBellowOneParent", "chkAllowSameNameBellowOneParent", u"允许相同父级核算项目/科目名称重名");
inline constexpr Param CanCreateChildAcctWhenBeUsed = flag("CanCreateChildAcctWhenBeUsed", "chkCanCreateChildAcctWhenBeUsed", u"允许已有业务发生的科目增加下级科目");
inline constexpr Param MustBusinessClose = flag("MustBusinessClose", "chkMustBusinessClose", u"财务结账前必须先业务结账");
inline constexpr Param CannotModifyNoteAfterAudited = flag("CannotModifyNoteAfterAudited", "chkCannotModifyNoteAfterAudited", u"凭证审核后不允许修改摘要");
inline constexpr Param ShowDashBoard = flag("ShowDashBoard", "chkShowDashBoard", u"显示数据看板", "1");
inline constexpr Param VoucherSettleType = flag("VoucherSettleType", "chkSettle", u"银行存款科目必须输入结算信息");
inline constexpr Param ExplanationEachEntry = flag("ExplanationEachEntry", "chkExpEachEnt", u"每条凭证分录必须有摘要");
inline constexpr Param ClosePnl = flag("ClosePnl", "chkClosePnl", u"结账要求损益类科目余额为零");
inline constexpr Param McldgProfitBal = flag("McldgProfitBal", "chkMcldgProfitBal", u"多栏账损益类科目期初余额从余额表取数");
inline constexpr Param McldgCostBal = flag("McldgCostBal", "chkMcldgCostBal", u"多栏账成本类科目期初余额从余额表取数");
inline constexpr Param AcctFront = flag("AcctFront", "ChkAcctFront", u"科目名称显示在科目代码前");
inline constexpr Param AcctBalView = flag("AcctBalView", "ChkAcctBalView", u"显示科目最新余额、预算额");
inline constexpr Param VchSameCurrency = flag("VchSameCurrency", "ChkVchSameCurrency", u"凭证分账制");
inline constexpr Param StopAllCheck = flag("StopAllCheck", "ChkStopAllCheck", u"禁止成批审核");
inline constexpr Param UseVchCheck = flag("UseVchCheck", "ChkUseVchCheck", u"必须双敲审核");
inline constexpr Param EndBalDCFormat = flag("EndBalDCFormat", "chkEndBalDCByAcct", u"账簿余额方向与科目设置的余额方向相同");
inline constexpr Param ItemBalDcSet = flag("ItemBalDcSet", "ChkItemBalDcSet", u"核算项目余额表非明细项目余额合并在一个方向");
inline constexpr Param VchGroupByYear = flag("VchGroupByYear", "chkVchGroupByYear", u"凭证号按年度排列");
inline constexpr Param NewVchUseNumber = flag("NewVchUseNumber", "chkNewVchUseNumber", u"新增凭证自动填补断号");
inline constexpr Param VchNumberSortByPeriod = flag("VchNumberSortByPeriod", "ChkVchNumberSortByPeriod", u"凭证号按期间统一排序");
inline constexpr Param NewVchCheckNumber = flag("NewVchCheckNumber", "chkNewVchCheckNumber", u"新增凭证检查凭证号");
inline constexpr Param ViewFullAcctName = flag("ViewFullAcctName", "chkViewFullAcctName", u"明细账科目显示所有名称");
inline constexpr Param SubLdgViewPrevExp = flag("SubLdgViewPrevExp", "ChkSubLdgViewPrevExp", u"明细账(表)摘要自动继承上条分录摘要");
inline constexpr Param QtySubShowModel = flag("QtySubShowModel", "chkQtySubShowModel", u"数量金额明细账商品核算项目显示规格型号");
inline constexpr Param VchViewItemFullName = flag("VchViewItemFullName", "ChkVchViewItemFullName", u"凭证/明细账分级显示核算项目名称");
inline constexpr Param CashBankZeroWarn = flag("CashBankZeroWarn", "ChkCashBankZeroWarn", u"现金银行存款赤字报警");
inline constexpr Param CashFlowItem = flag("CashFlowItem", "ChkCashFlowItem", u"录入凭证时必须指定现金流量项目");
inline constexpr Param CashFlowPrf = flag("CashFlowPrf", "ChkCashFlowPrf", u"录入凭证时必须指定现金流量附表项目");
inline constexpr Param LdgViewItemNumber = flag("LdgViewItemNumber", "ChkLdgViewItemNumber", u"账簿核算项目名称显示相应代码");
// The balances service must agree before write-off is switched.
inline constexpr Param TransCheckStart = writtenBy(flag("TransCheckStart", "chkTransCheckStart", u"启用往来业务核销"), Write::Page);
inline constexpr Param TransNo = flag("TransNo", "ChkTransNo", u"往来业务必须录入业务编号");
inline constexpr Param CaiShuiDateIsSysDate = flag("CaiShuiDateIsSysDate", "chkcstime", u"税务申报表日期与系统日期同步");

// The form gives the last three boxes no caption; the wording is ours.
inline constexpr Param QtyDefNum = count("QtyDefNum", "2", "IntQtyDefNum", u"数量小数位：", 0, 8);
inline constexpr Param PriceDefNum = count("PriceDefNum", "2", "IntPriceDefNum", u"单价小数位：", 0, 8);
inline constexpr Param EndVoucherDate = count("EndVoucherDate", "0", "IntEndVoucherDate", u"凭证截止日：", 0, 31);
inline constexpr Param VchInPutEndDate = count("VchInPutEndDate", "0", "intVchInPutEndDate", u"录入截止日：", 0, 31);
inline constexpr Param VchInPutMothDiff = count("VchInPutMothDiff", "0", "intVchInPutMothDiff", u"录入允许相差月数：", -10, 10);

inline constexpr Param VchlistViewItem = flag("VchlistViewItem", "ChkVchlistViewItem", u"凭证查询分录科目显示核算项目");
inline constexpr Param GyVchEditStop = flag("GyVchEditStop", "ChkGyVchEditStop", u"不允许修改/删除业务系统凭证");
inline constexpr Param ForbidUncloseMultiYear = flag("ForbidUncloseMultiYear", "chkForbidUnclose", u"不允许进行跨财务年度反结账");
inline constexpr Param UseCussent = flag("UseCussent", "ChkUseCussent", u"启用内部往来凭证协同处理");
inline constexpr Param NotCloseOff = needing(flag("NotCloseOff", "ChkNotCloseOff", u"往来对账信息未完成确认，不允许结账"), UseCussent);
inline constexpr Param ContrastSendType = param(Cat::GL, "ContrastSendType", "0",
    named({"OptByDebit", "OptByCredit", "OptByall"}, {u"限借方发送", u"限贷方发送", u"借贷双方均可发送"}, u"内部往来信息发送方式"),
    Codec::SendSide);
inline constexpr Param CashBeforePost = flag("CashBeforePost", "chkCashBeforePost", u"凭证过账前必须出纳复核");
inline constexpr Param CheckNotCash = flag("CheckNotCash", "chkCheckNotCash", u"凭证审核后不允许出纳复核");
inline constexpr Param ApproveBeforePost = flag("ApproveBeforePost", "chkApproveBeforePost", u"凭证过账前必须核准");
inline constexpr Param SysNum = flag("SysNum", "chkSysNum", u"不允许手工修改凭证号");
inline constexpr Param ContactRed = flag("ContactRed", "chkContactRed", u"往来科目赤字报警");
inline constexpr Param VchNoViewItemClasslName = flag("VchNoViewItemClasslName", "ChkVchNoViewItemClasslName", u"凭证套打不显示核算项目类别名称");

inline constexpr Param NoOverBud = budget("NoOverBud", "OptBud", u"科目余额预算");
inline constexpr Param NoOverYtdBud = budget("NoOverYtdBud", "OptYtdBud", u"科目发生额预算");
inline constexpr Param NoOverYtdBudType = param(Cat::GL, "NoOverYtdBudType", "0",
    options("OptYtd", {u"每期发生额预算", u"累计发生额预算"}), Codec::YtdType);
inline constexpr Param NoOverSignBud = budget("NoOverSignBud", "OptSignBud", u"科目单笔分录发生额预算");

// Precisions of the business modules, shown with the business base options.
// A stored text that is no number is an error, not 0.
inline constexpr Param PrecisionOfDiscountRate = writtenBy(param(Cat::IC, "PrecisionOfDiscountRate", "2",
    number("txtZKLScale", u"折扣率精度：", 0, 8, true, "lblZKLScale"), Codec::StrictInt), Write::Page);
inline constexpr Param SInvoiceDecimal = param(Cat::IC, "SInvoiceDecimal", "4",
    number("txtFPScale", u"专用发票精度：", 0, 8, true, "lblFPScale"), Codec::StrictInt);
}  // namespace ledger

namespace periods {
using namespace make;
// Written by the ledger start only; the start boxes propose what it writes.
inline constexpr Param StartYear = writtenBy(locked(param(Cat::GL, "StartYear", "",
    number("txtStartYear", u"启用会计年度：", 1900, 9999, false, "lblStartYear_Cw"), Codec::Page),
    Lock::LedgerOpen), Write::Never);
inline constexpr Param StartPeriod = writtenBy(locked(param(Cat::GL, "StartPeriod", "",
    number("txtStartPeriod", u"启用会计期间：", 0, 13, false, "lblStartPeriod_Cw"), Codec::Page),
    Lock::InitOpen), Write::Never);
inline constexpr Param CurrentYear = writtenBy(param(Cat::GL, "CurrentYear", "0",
    display("txtCurYear", u"当前会计年度：", "lblCurYear_CW"), Codec::Page), Write::Never);
inline constexpr Param CurrentPeriod = writtenBy(param(Cat::GL, "CurrentPeriod", "0",
    display("txtCurPeriod", u"当前会计期间：", "lblCurPeriod_Cw"), Codec::Page), Write::Never);
// The calendar is kept by the period set-up window.
inline constexpr Param PeriodCount = writtenBy(locked(param(Cat::GL, "PeriodCount", "0",
    [] {
        Control c = named({"optPeriod12", "optPeriod13"}, {u"12", u"13"}, u"会计期间数：");
        c.labelName = "lblCaption(1)";
        return c;
    }(), Codec::Page),
    Lock::DisplayOnly, u"会计期间数请在“设置会计期间”中设置。"), Write::Never);
inline constexpr Param PeriodByMonth = writtenBy(locked(param(Cat::GL, "PeriodByMonth", "1",
    check("chkPeriodByMonth", u"自然年度会计期间"), Codec::Page),
    Lock::DisplayOnly, u"自然年度会计期间请在“设置会计期间”中设置。"), Write::Never);
}  // namespace periods

namespace profit {
using namespace make;
// The boxes show account numbers; what is stored depends on the chart.
inline constexpr Param EarnAccount = writtenBy(param(Cat::GL, "EarnAccount", "",
    textBox("txtEarnAcct", u"本年利润科目：", 255, 12, "LBEarn"), Codec::Page), Write::Page);
inline constexpr Param EarnAssignAccount = writtenBy(param(Cat::GL, "EarnAssignAccount", "",
    textBox("txtEarnAssignAcct", u"利润分配科目：", 255, 12, "lblEarnAssign"), Codec::Page), Write::Page);
}  // namespace profit

namespace assets {
using namespace make;
constexpr Param flag(const char* key, const char* control, Text caption, const char* def = "0") {
    return param(Cat::FA, key, def, check(control, caption), Codec::FlagTextStr);
}
// Always saved as on: the link is the fixed-asset module's own business.
inline constexpr Param FALinkedGL = flag("FALinkedGL", "ChkFAtoGL", u"与总账系统相连");
inline constexpr Param NoDepr = flag("NoDepr", "chkNoDepr", u"不折旧(整个系统)");
inline constexpr Param NoVoucher = flag("NoVoucher", "chkNoVoucher", u"不需要生成凭证");
inline constexpr Param MustChecked = flag("MustChecked", "chkMustChecked", u"卡片必须审核");
inline constexpr Param VchChecked = flag("VchChecked", "chkVchChecked", u"卡片生成凭证前必须审核");
inline constexpr Param LocationFullName = flag("LocationFullName", "ChkLocationFullName", u"存放地点显示全称");
inline constexpr Param ChangeBaseDataNumber = flag("ChangeBaseDataNumber", "ChkChangeNumber", u"允许改变基础资料编码");
inline constexpr Param MustBalance = flag("MustBalance", "chkBalance", u"期末结账前先进行自动对账");
inline constexpr Param DeptAlterNextDepr = flag("DeptAlterNextDepr", "chkDeptAlterNextDepr", u"变动使用部门时当期折旧按原部门进行归集");
inline constexpr Param VoucherSingle = flag("chkVoucherSingle", "chkVouchSingle", u"审核与反审核必须为同一人", "1");
inline constexpr Param DeprRateScale = param(Cat::FA, "DeprRateScale", "0",
    number("DeprRateScale", u"折旧率小数位：", 0, 8, true), Codec::Number);
inline constexpr Param DeprRateQty = param(Cat::FA, "DeprRateQty", "0",
    number("DeprRateQty", u"数量小数位：", 0, 8, true), Codec::Number);
}  // namespace assets

namespace payroll {
using namespace make;
inline constexpr Param CheckBeforeClose = param(Cat::PA, "CheckBeforeClose", "0",
    check("chkCheckBeClose", u"结账前必须审核"), Codec::Flag);
}  // namespace payroll

namespace cashier {
using namespace make;
constexpr Param flag(const char* key, const char* control, Text caption, const char* def) {
    return param(Cat::CN, key, def, check(control, caption), Codec::FlagState);
}
constexpr Param rate(const char* key, const char* array) {
    return param(Cat::CN, key, "1", options(array, {u"固定汇率", u"浮动汇率"}), Codec::One0);
}
constexpr Param length(const char* key, const char* control, const char* labelName) {
    return param(Cat::CN, key, "4", number(control, u"汇率小数位长度：", 0, 8, true, labelName),
                 Codec::Number);
}
// The start is written by the cashier's start-up only.
inline constexpr Param StartYear = writtenBy(locked(param(Cat::CN, "CN_START_YEAR", "-1",
    number("txtCnStartYear", u"启用会计年度：", 1900, 9999, false, "lblCnStartYear"), Codec::Page),
    Lock::CashierOpen), Write::Page);
inline constexpr Param StartPeriod = writtenBy(locked(param(Cat::CN, "CN_START_PERIOD", "-1",
    number("txtCnStartPeriod", u"启用会计期间：", 0, 13, false, "lblCnStartPeriod"), Codec::Page),
    Lock::CashierOpen), Write::Page);
inline constexpr Param CurrentYear = writtenBy(param(Cat::CN, "CN_CURRENT_YEAR", "-1",
    display("txtCnCurrentYear", u"当前会计年度：", "lblCnCurrYear", 6), Codec::Page), Write::Never);
inline constexpr Param CurrentPeriod = writtenBy(param(Cat::CN, "CN_CURRENT_PERIOD", "-1",
    display("txtCnCurrentPeriod", u"当前会计期间：", "lblCnCurrPeriod", 6), Codec::Page), Write::Never);
inline constexpr Param CashFixRate = rate("CN_Xjrjz_FixRate", "optXj");
inline constexpr Param BankFixRate = rate("CN_Yhrjz_FixRate", "optYh");
inline constexpr Param CashRateLength = length("CN_Xjrjz_Rate_Len", "txtLenXj", "Label1(0)");
inline constexpr Param BankRateLength = length("CN_Yhrjz_Rate_Len", "txtLenYh", "Label1(3)");
inline constexpr Param MakeJournal = flag("CN_RJZ_MAKEJOURNAL", "chkMakeJournal", u"自动生成对方科目日记账", "0");
inline constexpr Param GLDiffNotSettle = flag("CN_JZ_GLDIFFNOTSETTLE", "chkGLDiffNotSettle", u"与总账对账期末余额不等时不允许结账", "0");
inline constexpr Param JournalFromGL = flag("CN_RJZ_JOURNALFROMGL", "chkJournalFromGL", u"允许从总账引入日记账", "1");
inline constexpr Param JournalFromARAP = flag("chkJournalFromARAP", "chkJournalFromARAP", u"允许应收应付单据生成日记账", "0");
inline constexpr Param AllowEditVchNumber = flag("CN_RJZ_AllowEditVchNumber", "chkAllowEditVchNumber", u"允许在日记账输入凭证字号", "1");
inline constexpr Param UseESC = flag("CN_UseESC", "chkUseESC", u"与结算中心联用", "0");
}  // namespace cashier

// clang-format on

}  // namespace zx::params
