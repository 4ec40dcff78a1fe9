// The faces of the nine pages: where each declared control sits. Captions,
// names, list entries and typing limits come from the declarations.

#include "zx/profiles/Faces.h"

#include "zx/params/Business.h"
#include "zx/params/Ledger.h"

namespace zx::profiles::faces {

using namespace frame::face;
using params::Param;

namespace {

namespace co = params::company;
namespace gl = params::ledger;
namespace pe = params::periods;
namespace fa = params::assets;
namespace cn = params::cashier;
namespace biz = params::business;

QString t(const char16_t* s) {
    return QString::fromUtf16(s);
}

Nodes placeAll(std::initializer_list<const Param*> params) {
    Nodes out;
    for (const Param* p : params) out.push_back(place(*p));
    return out;
}

// ----- Stab(0) 系统信息 --------------------------------------------------------

Node companyPage() {
    return page(QStringLiteral("Stab(0)"), t(u"系统信息"),
                {group({}, t(u"企业信息"),
                       {place(co::CompanyName), place(co::CompanyAddress), place(co::CompanyPhone),
                        place(co::Fax), place(co::CompanyTax), place(co::CompanyYHAccount),
                        place(co::PostNum), place(co::EMail), place(co::CompanyType),
                        place(co::TaxType), row({place(co::TaxRate), stretch()})},
                       2),
                 row({group({}, t(u"记账本位币"),
                            {row({place(ui::txtCyNumber), place(ui::txtCyName),
                                  place(ui::txtCyScale), stretch()})}),
                      stretch()})});
}

// ----- Stab(1) 会计期间 --------------------------------------------------------

Node periodsPage() {
    // The period-count box has no caption and nothing fills it: it stays
    // withdrawn, so the page shows no empty box without a name.
    return page(QStringLiteral("Stab(1)"), t(u"会计期间"),
                {group(ui::framInit_Period,
                       {row({place(ui::cmdSetPeriod), place(pe::PeriodByMonth), stretch()}),
                        row({place(pe::PeriodCount), hidden(place(ui::txtPeriodCount)), stretch()}),
                        place(ui::lblYear), row({place(ui::tvwPeriod), place(ui::pp)})}),
                 row({group(ui::FramInit_CW,
                            {place(pe::StartYear), place(pe::StartPeriod), place(pe::CurrentYear),
                             place(pe::CurrentPeriod)},
                            2),
                      stretch()})});
}

// ----- Stab(2) 财务参数 --------------------------------------------------------

Node basicInfoPage() {
    return page(
        QStringLiteral("stabGl(0)"), t(u"基本信息"),
        {column(placeAll({&gl::ShowDashBoard, &gl::AllowSameNameBellowOneParent,
                          &gl::CanCreateChildAcctWhenBeUsed, &gl::AcctFront, &gl::MustBusinessClose,
                          &gl::ForbidUncloseMultiYear, &gl::ClosePnl, &gl::McldgProfitBal,
                          &gl::McldgCostBal, &gl::EndBalDCFormat, &gl::ItemBalDcSet,
                          &gl::ViewFullAcctName, &gl::SubLdgViewPrevExp, &gl::QtySubShowModel,
                          &gl::LdgViewItemNumber, &gl::CashBankZeroWarn}),
                3)});
}

Node voucherPage() {
    return page(
        QStringLiteral("stabGl(1)"), t(u"凭证"),
        {column(
             placeAll({&gl::CheckBeforePost, &gl::VchMakeANDChkSame,
                       &gl::CannotModifyNoteAfterAudited, &gl::VoucherSettleType,
                       &gl::ExplanationEachEntry, &gl::StopAllCheck, &gl::UseVchCheck,
                       &gl::CashBeforePost, &gl::CheckNotCash, &gl::ApproveBeforePost,
                       &gl::VchSameCurrency, &gl::AcctBalView, &gl::CashFlowItem, &gl::CashFlowPrf,
                       &gl::VchlistViewItem, &gl::GyVchEditStop, &gl::VchNoViewItemClasslName,
                       &gl::VchViewItemFullName, &fa::VoucherSingle}),
             4),
         row({group(ui::FrameVchNumber,
                    placeAll({&gl::VchGroupByYear, &gl::VchNumberSortByPeriod, &gl::NewVchUseNumber,
                              &gl::NewVchCheckNumber, &gl::SysNum}),
                    2),
              // The form has no captions for these three boxes; the wording is ours.
              group(
                  {}, t(u"凭证录入日期"),
                  placeAll({&gl::EndVoucherDate, &gl::VchInPutEndDate, &gl::VchInPutMothDiff}))})});
}

Node budgetPage() {
    return page(QStringLiteral("stabGl(2)"), t(u"预算"),
                {group(ui::frameB, {optionsOf(gl::NoOverBud.control)}),
                 group(ui::FrameYtd, {optionsOf(gl::NoOverYtdBud.control),
                                      optionsOf(gl::NoOverYtdBudType.control)}),
                 group(ui::frameSign, {optionsOf(gl::NoOverSignBud.control)})});
}

Node transferPage() {
    return page(QStringLiteral("stabGl(3)"), t(u"往来传递"),
                {column(placeAll({&gl::TransCheckStart, &gl::TransNo, &gl::ContactRed,
                                  &gl::UseCussent, &gl::NotCloseOff}),
                        3),
                 group({}, params::text(gl::ContrastSendType.control.caption),
                       {optionsOf(gl::ContrastSendType.control)})});
}

Node fixedAssetsFrame() {
    return group(
        ui::framFix,
        {column(placeAll({&fa::VchChecked, &fa::NoDepr, &fa::DeprRateScale, &fa::DeprRateQty}), 2),
         group(
             ui::fixedAssetsLink,
             placeAll({&fa::FALinkedGL, &fa::NoVoucher, &fa::ChangeBaseDataNumber, &fa::MustChecked,
                       &fa::MustBalance, &fa::LocationFullName, &fa::DeptAlterNextDepr}),
             2)});
}

Node financePage() {
    // The frame captions of the profit accounts and the decimals are ours.
    Node profit =
        group({}, t(u"结转科目"),
              {row({place(params::profit::EarnAccount), place(ui::btnEarnAcct)}),
               row({place(params::profit::EarnAssignAccount), place(ui::btnEarnAssignAcct)})});
    Node decimals = group({}, t(u"小数位数"), placeAll({&gl::QtyDefNum, &gl::PriceDefNum}), 2);
    // The tax-return date box sits under the payroll frame; when the load
    // hides it, the payroll frame takes the fixed-asset frame's height.
    Node payroll =
        group(ui::framPA, {place(params::payroll::CheckBeforeClose), place(ui::ChkPeriod)});
    return page(
        QStringLiteral("Stab(2)"), t(u"财务参数"),
        {tabs(QStringLiteral("stabGl"),
              {basicInfoPage(), voucherPage(), budgetPage(), transferPage()}),
         row({column({profit, decimals, stretch()}),
              column({payroll, place(gl::CaiShuiDateIsSysDate), stretch()}), fixedAssetsFrame()})});
}

// ----- Stab(3) 出纳参数 --------------------------------------------------------

Node cashierPage() {
    Node start = group({}, t(u"初始参数"),
                       {place(cn::StartYear), place(cn::StartPeriod), place(cn::CurrentYear),
                        place(cn::CurrentPeriod), place(ui::txtCnMaxYear),
                        place(ui::txtCnMaxPeriod), place(ui::chkSubSys)},
                       2);
    auto rate = [](const params::Control& f, const Param& fixed, const Param& length) {
        return group(f, {optionsOf(fixed.control), place(length)});
    };
    // The caption of the journal options is ours.
    Node journal = group({}, t(u"日记账选项"),
                         placeAll({&cn::MakeJournal, &cn::GLDiffNotSettle, &cn::JournalFromGL,
                                   &cn::JournalFromARAP, &cn::AllowEditVchNumber, &cn::UseESC}));
    return page(QStringLiteral("Stab(3)"), t(u"出纳参数"),
                {row({column({start,
                              row({rate(ui::fraXj, cn::CashFixRate, cn::CashRateLength),
                                   rate(ui::fraYh, cn::BankFixRate, cn::BankRateLength)}),
                              journal}),
                      stretch()})});
}

// ----- Stab(4) 业务基础参数 ----------------------------------------------------

Node businessBasePage() {
    Node initial =
        group(ui::businessInitial,
              {place(biz::StartYear), place(biz::StartPeriod), place(biz::CurrentYear),
               place(biz::CurrentPeriod), place(biz::UnderStock), place(biz::UnderStockCalculate),
               group({}, params::text(biz::UpStockWhenSave.control.caption),
                     {optionsOf(biz::UpStockWhenSave.control, true)}),
               group(ui::fam_CalculateType, {optionsOf(biz::CalculateType.control, true)})},
              2);
    // The frame's caption is ours.
    Node precision = group(
        ui::precisionFrame,
        placeAll({&gl::PrecisionOfDiscountRate, &gl::SInvoiceDecimal, &biz::PrecisionOfSumRow}), 2);
    Node basic =
        group(ui::basicOptions,
              {column(placeAll({&biz::SingleMan, &biz::EditSelfBill, &biz::UnCheckSelfBill,
                                &biz::UnArticulateSelfBill, &biz::NoModifySelBillPrice,
                                &biz::EnableSelectSameBillEntry, &biz::NoSameWareInBill,
                                &biz::SaveBeforePrint, &biz::DoubleUnit, &biz::UseShortNumber,
                                &biz::SecUnit, &biz::SecQtyIsMust, &biz::SumAbsoluteQty}),
                      2),
               column(placeAll({&biz::AuxSpaceMark, &biz::Item4Name}), 2), stretch()});
    return page(QStringLiteral("Stab(4)"), t(u"业务基础参数"),
                {row({column({initial, precision, stretch()}), basic}), stretch()});
}

// The two pages are withdrawn when the dialog loads; each keeps a note only,
// since their settings sit on Stab(2). The wording of both notes is ours.
Node withdrawnPage(const char* name, const char16_t* caption, const char16_t* note) {
    return page(QString::fromLatin1(name), t(caption),
                {place(params::Control{.kind = params::Kind::Label, .caption = note})});
}

// ----- Stab(7) 业务参数 --------------------------------------------------------

Node businessPage() {
    // Purchasing and sales one above the other, their boxes in three columns
    // and their lists in two, so that the page fits 1024 pixels without
    // scrolling.
    Node purchase = group(
        ui::purchasing,
        {column(
             placeAll({&biz::CreditDgreeNoOrderCG, &biz::EnableMakePrevInvoiceCG,
                       &biz::CgInvPriceFromStockIn, &biz::BackQtyGreaterPurchaseStockQty,
                       &biz::AutoHookAfterCheckPurVachour, &biz::AlertPOMaxPrice,
                       &biz::NoHookPIWhenDiffQty, &biz::CQtyLargerPOQty, &biz::AutoMakeInvoiceCG}),
             3),
         column(placeAll({&biz::CGOrderDepositType, &biz::MakeBillCG, &biz::CreditDegreeCG,
                          &biz::PurchaseAlarmDateCount}),
                2)});
    Node sale = group(
        ui::sales, {column(placeAll({&biz::CreditDgreeNoOrderXS, &biz::EnableMakePrevInvoiceXS,
                                     &biz::XsInvPriceFromStockOut, &biz::BackQtyGreaterSaleStockQty,
                                     &biz::AutoHookAfterCheckSalVachour, &biz::NoHookSIWhenDiffQty,
                                     &biz::CQtyLargerSEQty, &biz::AutoMakeInvoiceXS}),
                           3),
                    column(placeAll({&biz::XSOrderDepositType, &biz::MakeBillXS, &biz::CreditDegree,
                                     &biz::SaleAlarmDateCount}),
                           2)});
    Node stock =
        group(ui::warehouse,
              {row({column({place(biz::ShowUnderTip),
                            row({place(biz::ShowUnderCalcType), place(biz::ShowUnderCalcTypeAInv),
                                 stretch()}),
                            row({place(biz::ShowUnderCalcTypeByPeriod),
                                 place(biz::ShowUnderCalcTypeByPeriodAInv), stretch()}),
                            place(biz::UseHighInv), place(biz::UseLowInv), place(biz::UseSafeInv),
                            stretch()}),
                    column({place(biz::StockGuaranteeAlarmDateCount),
                            place(biz::StockInactiveAlarmDateCount), place(biz::FKFPreperiod),
                            place(biz::IsBatchNoAutoFillType), stretch()})})});
    Node batch = group({}, t(u"批号默认排序参数"),
                       {place(biz::IsBatchNoAutoFill),
                        column(placeAll({&biz::BatchNo01FieldNameIndex, &biz::BatchNo01OrderIndex,
                                         &biz::BatchNo02FieldNameIndex, &biz::BatchNo02OrderIndex,
                                         &biz::BatchNo03FieldNameIndex, &biz::BatchNo03OrderIndex}),
                               2)});
    Node receivables = group({}, t(u"应收应付参数"),
                             {place(biz::ARAlarmDateCount), place(biz::APAlarmDateCount),
                              group(ui::fraprice, {place(biz::SalePriceType)})});
    return page(QStringLiteral("Stab(7)"), t(u"业务参数"),
                {purchase, sale, row({stock, column({batch, receivables, stretch()})}), stretch()});
}

// ----- Stab(8) 生产及委外参数 --------------------------------------------------

Node manufacturingPage() {
    Node production = group(
        {}, t(u"生产及委外参数"),
        {column({column(members(biz::MoCheckQty.control)), place(biz::UpDiscountSave),
                 place(biz::MoCommitQty), place(biz::CProOutQtyLargerQty),
                 place(biz::CStoOutQtyLargerQty), place(biz::MoCheckNoApportionFee),
                 place(biz::OutMoCheckNoOutExpense), place(biz::UpdateBomStock)},
                2),
         column(placeAll({&biz::AlertMO, &biz::BOMType, &biz::ManufactureAlarmDateCount}), 2)});
    auto redBill = [](int i, const char16_t* caption) {
        params::Control pair = biz::RedBillCaculate.control;
        static const char* const names[] = {"OptType1", "OptType2", "OptType3"};
        pair.name = names[i];
        return group({}, t(caption), {optionsOf(pair)});
    };
    Node costing = group(
        {}, t(u"存货核算参数"),
        {row({column({row({place(biz::CheckBillPosted), place(ui::cmdSetCheckItem), stretch()}),
                      place(biz::IsShowStockData), place(biz::IsTranRePrice),
                      group(ui::fam_ZanguMethod, {optionsOf(biz::ZanGuDiffMethod.control)})}),
              column({place(biz::AdjustPrice), place(biz::NoOriginPrice), place(biz::NegPrice),
                      stretch()})}),
         group({}, t(u"红字出库单参与加权平均法核算规则设置"),
               {redBill(0, u"无原单红字出库单"), redBill(1, u"原单期间为本期或以后期间红字出库单"),
                redBill(2, u"原单期间为以前期间红字出库单")},
               3)});
    return page(QStringLiteral("Stab(8)"), t(u"生产及委外参数"),
                {production, costing, row({stretch(), place(ui::cmdOptHistory)}), stretch()});
}

}  // namespace

Nodes allPages() {
    return {companyPage(),
            periodsPage(),
            financePage(),
            cashierPage(),
            businessBasePage(),
            withdrawnPage("Stab(5)", u"固定资产", u"固定资产参数请在“财务参数”页中设置。"),
            withdrawnPage("Stab(6)", u"工资", u"工资参数请在“财务参数”页中设置。"),
            businessPage(),
            manufacturingPage()};
}

}  // namespace zx::profiles::faces
