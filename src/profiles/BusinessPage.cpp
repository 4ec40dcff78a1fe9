// Business parameters: the load and save orders of the business catalogue,
// the lists, the change log's watched keys and the caption side effects.
// The start-up step and the interlocks are in BusinessRules.cpp.

#include "BusinessPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QRadioButton>

#include "zx/frame/IntText3D.h"
#include "zx/host/DictionaryServices.h"
#include "zx/host/Environment.h"
#include "zx/params/Business.h"
#include "zx/params/Declared.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using params::Param;
using namespace params::business;
using frame::IntText3D;

// A step of the load or save: a declared key, or a step of the page that
// runs at exactly this point.
struct Step {
    const Param* param = nullptr;
    void (BusinessPage::*run)() = nullptr;
};

const Step kLoad[] = {
    {&SingleMan},
    {&NoModifySelBillPrice},
    {&EnableSelectSameBillEntry},
    {&NoSameWareInBill},
    {&DoubleUnit},
    {&UseShortNumber},
    {&SaveBeforePrint},
    {&SumAbsoluteQty},
    {&SecUnit},
    {&SecQtyIsMust},
    {&EditSelfBill},
    {&AuxSpaceMark},
    {&Item4Name},
    {&UnderStock},
    {&UnderStockCalculate},
    {&StartYear},
    {nullptr, &BusinessPage::startState},
    {&UpStockWhenSave},
    {&StartPeriod},
    {nullptr, &BusinessPage::startPeriodState},
    {&CurrentYear},
    {&CurrentPeriod},
    {&UnCheckSelfBill},
    {&UnArticulateSelfBill},
    {&AlertPOMaxPrice},
    {&NoHookPIWhenDiffQty},
    {&CQtyLargerPOQty},
    {&CreditDgreeNoOrderCG},
    {&CreditDgreeNoOrderXS},
    {&PurchaseAlarmDateCount},
    {&AutoHookAfterCheckPurVachour},
    {&BackQtyGreaterPurchaseStockQty},
    {&CgInvPriceFromStockIn},
    {&EnableMakePrevInvoiceCG},
    {&EnableMakePrevInvoiceXS},
    {&AutoMakeInvoiceCG},
    {&NoHookSIWhenDiffQty},
    {&CQtyLargerSEQty},
    {&SaleAlarmDateCount},
    {&AutoHookAfterCheckSalVachour},
    {&BackQtyGreaterSaleStockQty},
    {&XsInvPriceFromStockOut},
    {&AutoMakeInvoiceXS},
    {&ARAlarmDateCount},
    {&APAlarmDateCount},
    {&CreditDegree},
    {&CreditDegreeCG},
    {&CGOrderDepositType},
    {&XSOrderDepositType},
    {&IsBatchNoAutoFillType},
    {&IsBatchNoAutoFill},
    {&BatchNo01FieldNameIndex},
    {&BatchNo02FieldNameIndex},
    {&BatchNo03FieldNameIndex},
    {&BatchNo01FieldName},
    {&BatchNo02FieldName},
    {&BatchNo03FieldName},
    {&BatchNo01OrderIndex},
    {&BatchNo02OrderIndex},
    {&BatchNo03OrderIndex},
    {nullptr, &BusinessPage::batchNoPreset},
    {&ShowUnderTip},
    {&ShowUnderCalcTypeAInv},
    {&ShowUnderCalcTypeByPeriodAInv},
    {&ShowUnderCalcType},
    {&ShowUnderCalcTypeByPeriod},
    {nullptr, &BusinessPage::negativeStockBases},
    {&UseHighInv},
    {&UseLowInv},
    {&UseSafeInv},
    {&FKFPreperiod},
    {&StockGuaranteeAlarmDateCount},
    {&StockInactiveAlarmDateCount},
    {&PrecisionOfSumRow},
    {&CheckBillPosted},
    {nullptr, &BusinessPage::checkItemButton},
    {&IsShowStockData},
    {&IsTranRePrice},
    {&AdjustPrice},
    {&NoOriginPrice},
    {&NegPrice},
    {&ZanGuDiffMethod},
    {&CalculateType},
    {&SalePriceType},
    {&CProOutQtyLargerQty},
    {&CStoOutQtyLargerQty},
    {&MoCommitQty},
    {&MoCheckNoApportionFee},
    {&OutMoCheckNoOutExpense},
    {&MoCheckQty},
    {nullptr, &BusinessPage::moQtyCheck},
    {nullptr, &BusinessPage::alertMOWording},
    {&AlertMO},
    {&UpdateBomStock},
    {&BOMType},
    {&MakeBillCG},
    {&MakeBillXS},
    {&ManufactureAlarmDateCount},
    {nullptr, &BusinessPage::calculateTypeState},
    {&RedBillCaculate},
};

// Step 9: fixed with the stock-update options once the business system has started.
const Param* const kSaveBeforeStart[] = {&UpStockWhenSave, &UnderStock, &UnderStockCalculate};

// The production keys the change log watches, in the order it registers them.
// clang-format off
const Param* const kWatched[] = {
    &CProOutQtyLargerQty, &MoCommitQty,     &MoCheckQty,     &UpDiscountSave,
    &CStoOutQtyLargerQty, &AlertMO,         &BOMType,        &UpdateBomStock,
    &ManufactureAlarmDateCount, &MoCheckNoApportionFee, &OutMoCheckNoOutExpense,
};
// clang-format on

QString L(const char* s) {
    return QString::fromUtf8(s);
}

}  // namespace

BusinessPage::BusinessPage(Shared& shared) : Page(shared) {}

// The lists are filled by the face from the declarations; none has an entry
// chosen until the load chooses one, except the two that start on their first.
void BusinessPage::FillBusinessLists() {
    for (const params::Declared& d : params::declared()) {
        if (d.group == std::string_view("business") &&
            d.param->control.kind == params::Kind::Combo) {
            get<QComboBox>(d.param->control)->setCurrentIndex(-1);
        }
    }
    for (const Param* p : {&MakeBillCG, &MakeBillXS})
        get<QComboBox>(p->control)->setCurrentIndex(0);
    for (const Param* p : {&AutoMakeInvoiceCG, &AutoMakeInvoiceXS}) {
        auto* list = get<QComboBox>(p->second);
        list->setCurrentIndex(0);
        list->setEnabled(false);
    }
}

void BusinessPage::load(SystemProfile& profile) {
    profile_ = &profile;
    storedCurrentYear_ = profile.GetSystemProfile(L("IC"), L("CurrentYear"), L("0"));
    s.BusinessStarted = Val(storedCurrentYear_) != 0;
    for (const Step& step : kLoad) {
        if (step.run) {
            (this->*step.run)();
        } else {
            loadOne(*step.param);
        }
    }
    // A parameter declared without a place in the order above loads after
    // it, in its declared order: a declaration is never left unread.
    for (const params::Declared& d : params::declared()) {
        if (d.group == std::string_view("business") && !s.baseline.has(*d.param)) {
            loadOne(*d.param);
        }
    }
    registerWatched();
    profile_ = nullptr;
}

void BusinessPage::loadOne(const Param& p) {
    if (p.shares) {
        // Written beside the list it shares; only its stored text counts.
        remember(p, profile_->GetSystemProfile(params::categoryName(p.cat), params::keyOf(p),
                                               params::defaultOf(p)));
    } else {
        Page::load(p, *profile_);
    }
}

void BusinessPage::registerWatched() {
    for (const Param* p : kWatched) {
        const bool isSwitch =
            p->control.kind == params::Kind::Check || p->control.kind == params::Kind::Checks;
        if (p->control.kind == params::Kind::Checks) {
            // A pair of boxes in one key: each box is watched, the second as key + "1".
            s.log.AddLogItem(L("IC"), params::keyOf(*p), params::text(p->control.items[0]),
                             s.c.logText(*p, 0), true, false);
            s.log.AddLogItem(L("IC"), params::keyOf(*p) + u'1', params::watchDescription(*p),
                             s.c.logText(*p, 1), true, false);
            continue;
        }
        s.log.AddLogItem(L("IC"), params::keyOf(*p), params::watchDescription(*p), s.c.logText(*p),
                         isSwitch, false);
    }
}

void BusinessPage::reportWatched() {
    for (const Param* p : kWatched) {
        s.log.UpdateLogItem(L("IC"), params::keyOf(*p), s.c.logText(*p, 0));
        if (p->control.kind == params::Kind::Checks) {
            s.log.UpdateLogItem(L("IC"), params::keyOf(*p) + u'1', s.c.logText(*p, 1));
        }
    }
}

// Quantity columns of the bill templates are summed exactly when the sum
// row shows quantities.
void BusinessPage::saveSumAbsoluteQty(ProfileWriter& writer) {
    if (!changed(SumAbsoluteQty)) return;
    Page::save(SumAbsoluteQty, writer);
    createObject<AppConnection>()->Execute(
        ticked(SumAbsoluteQty) ? L("update ICTemplateEntry set FNeedCount = 1 where FCtlType = 3")
                               : L("update ICTemplateEntry set FNeedCount = 0 where FCtlType = 3"));
}

// The account set's own word for its items replaces "物料" wherever the
// item is named: the user dictionary, the bill templates and the menu.
void BusinessPage::saveItem4Name(ProfileWriter& writer) {
    if (!changed(Item4Name)) return;
    const QString text = get<QLineEdit>(Item4Name.control)->text();
    Page::save(Item4Name, writer);
    QString word = L("物料");
    QString name = text;
    createService<UserDictMgr>()->ModifyUserDictEntry(GetPropsString(), L("common"), word, name);
    auto connection = createObject<AppConnection>();
    connection->Execute(L("Exec P_ICReplaceCaption ") + SqlQuote(text, true, false) +
                        L(",'CN','R','物料'"));
    connection->Execute(L("update t_MF_FuncElement set FQORCaption =") +
                        SqlQuote(text, true, false) +
                        L(" where FDetailFuncID = 60020111 and FSubFuncID = 600201"));
}

bool BusinessPage::save(const QString& ledgerYear, const QString& ledgerPeriod,
                        bool ledgerStartOpen) {
    auto writer = createService<BaseSystemProfile>();
    saveLoaded(*writer, [this, &writer](const Param& p) {
        if (&p == &SumAbsoluteQty) saveSumAbsoluteQty(*writer);
        if (&p == &Item4Name) saveItem4Name(*writer);
    });
    if (!startUp(ledgerYear, ledgerPeriod, ledgerStartOpen)) return false;
    if (s.c.widget(params::memberName(UpStockWhenSave.control, 0))->isEnabled()) {
        for (const Param* p : kSaveBeforeStart) Page::save(*p, *writer);
    }
    reportWatched();
    return true;
}

qint32 BusinessPage::startYear() const {
    return get<IntText3D>(StartYear.control)->Value();
}
QString BusinessPage::startYearText() const {
    return get<IntText3D>(StartYear.control)->Text();
}
QString BusinessPage::startPeriod() const {
    return get<IntText3D>(StartPeriod.control)->Text();
}
bool BusinessPage::startYearOpen() const {
    return s.c.widget(StartYear.control)->isEnabled();
}

}  // namespace zx::profiles
