#pragma once

// The controls of the parameter dialog that hold no parameter of their own
// (buttons, frames, the base currency, the calendar view, the pre-entered
// cashier periods), declared once for the faces and the pages, and the faces
// of the pages.

#include "zx/frame/Face.h"
#include "zx/params/Make.h"

namespace zx::profiles {

namespace ui {
using params::Control;
using params::Kind;
using namespace params::make;

constexpr Control button(const char* name, params::Text caption) {
    return {.name = name, .kind = Kind::Button, .caption = caption};
}
constexpr Control frameOf(const char* name, params::Text caption = nullptr) {
    return {.name = name, .kind = Kind::Frame, .caption = caption};
}
constexpr Control label(const char* name, params::Text caption) {
    return {.name = name, .kind = Kind::Label, .caption = caption};
}

// The base currency, fixed when the ledger starts (table t_Currency).
inline constexpr Control txtCyNumber = textBox("txtCyNumber", u"代码：", 20, 8);
inline constexpr Control txtCyName = textBox("txtCyName", u"名称：", 40, 12);
inline constexpr Control txtCyScale = number("txtCyScale", u"小数位：", 0, 4, true);

// The calendar.
inline constexpr Control cmdSetPeriod = button("cmdSetPeriod", u"设置会计期间");
inline constexpr Control tvwPeriod = {.name = "tvwPeriod", .kind = Kind::Tree};
inline constexpr Control pp = {
    .name = "pp", .kind = Kind::Grid, .items = {u"会计期间", u"开始日期"}};
inline constexpr Control lblYear = label("lblCaption(0)", u"会计年度");
// Present on the page; no routine reads or writes it.
inline constexpr Control txtPeriodCount = display("txtPeriodCount", nullptr, nullptr, 3);

// Buttons.
inline constexpr Control btnEarnAcct = button("btnEarnAcct", u"选择");
inline constexpr Control btnEarnAssignAcct = button("btnEarnAssignAcct", u"选择");
inline constexpr Control cmdSetCheckItem = button("cmdSetCheckItem", u"检查设置");
inline constexpr Control cmdOptHistory = button("cmdOptHistory", u"参数修改日志(&H)");

// The cashier's pre-entered periods and its closing calendar.
inline constexpr Control txtCnMaxYear =
    display("txtCnMaxYear", u"预录入数据会计年度：", "lblCnDataYear", 6);
inline constexpr Control txtCnMaxPeriod =
    display("txtCnMaxPeriod", u"预录入数据会计期间：", "lblCnDataPeriod", 6);
inline constexpr Control chkSubSys = check("chkSubSys", u"结账与总账期间同步");
// Payroll closing and the ledger's periods: passed to month-end closing at each save.
inline constexpr Control ChkPeriod = check("ChkPeriod", u"结账与总账期间同步");

// Frames the pages show, hide or lock.
inline constexpr Control framInit_Period = frameOf("framInit_Period", u"会计期间界定");
inline constexpr Control FramInit_CW = frameOf("FramInit_CW", u"初始参数");
inline constexpr Control FrameVchNumber = frameOf("FrameVchNumber", u"凭证号");
inline constexpr Control frameB = frameOf("frameB", u"科目余额预算");
inline constexpr Control FrameYtd = frameOf("FrameYtd", u"科目发生额预算");
inline constexpr Control frameSign = frameOf("frameSign", u"科目单笔分录发生额预算");
inline constexpr Control framPA = frameOf("framPA", u"工资参数");
inline constexpr Control framFix = frameOf("framFix", u"固定资产参数");
inline constexpr Control fixedAssetsLink = frameOf("framSet(9)");
inline constexpr Control fraXj = frameOf("fraXj", u" 现金日记账汇率设置 ");
inline constexpr Control fraYh = frameOf("fraYh", u" 银行存款日记账汇率设置 ");
inline constexpr Control precisionFrame = frameOf("framSet(7)", u"精度参数");
inline constexpr Control businessInitial = frameOf("framSet(8)", u"初始参数");
inline constexpr Control basicOptions = frameOf("framSet(10)", u"基本选项");
inline constexpr Control purchasing = frameOf("framSet(11)", u"采购参数");
inline constexpr Control sales = frameOf("framSet(12)", u"销售参数");
inline constexpr Control warehouse = frameOf("framSet(13)", u"仓存参数");
inline constexpr Control fraprice = frameOf("fraprice", u"价格策略");
inline constexpr Control fam_ZanguMethod = frameOf("fam_ZanguMethod", u"暂估差额生成方式");
inline constexpr Control fam_CalculateType = frameOf("fam_CalculateType", u"存货核算方式");
}  // namespace ui

namespace faces {
// Page N of the main tab set `Stab` is named "Stab(N)"; page N of the ledger
// tab set `stabGl` is named "stabGl(N)".
frame::face::Nodes allPages();
}  // namespace faces

}  // namespace zx::profiles
