// Fixed-asset, payroll and cashier parameters.

#include "ModulePages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>

#include "StartPlan.h"
#include "Starts.h"
#include "zx/frame/IntText3D.h"
#include "zx/host/AssetServices.h"
#include "zx/host/Environment.h"
#include "zx/params/Declared.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using frame::IntText3D;
using params::Param;
namespace fa = params::assets;
namespace cn = params::cashier;

QString L(const char* s) {
    return QString::fromLatin1(s);
}

// Payroll and personnel checks the page does not offer; every save turns them off.
const char* const kPayrollAlwaysOff[] = {"ReCheckBeforeClose", "ChkPrnPARpt", "PaIsClsPeriodClose",
                                         "HRViewDataCheck", "HRViewDataRecheck"};

// The parameters of a group in their declared order; the cashier's start
// and current period (Codec::Page) are read by the page's own step.
template <class F>
void forDeclared(const char* group, F&& f) {
    for (const params::Declared& d : params::declared()) {
        if (d.group == std::string_view(group) && d.param->codec != params::Codec::Page) {
            f(*d.param);
        }
    }
}

}  // namespace

// ----- Fixed assets ---------------------------------------------------------

void AssetsPage::load() {
    auto faData = createObject<FaData>();
    auto profile = faData->SystemProfile();
    profile->Refresh();
    forDeclared("assets", [this, &profile](const Param& p) {
        Page::load(p, [&profile](const QString& c, const QString& k, const QString& d) {
            return profile->GetSystemProfile(c, k, d);
        });
    });
}

bool AssetsPage::AllowSetStartYearPeriod() {
    return createService<FAPublicInfo>()->AllowSetStartYearPeriod(GetPropsString());
}

void AssetsPage::save() {
    auto faData = createObject<FaData>();
    faData->FaSysOptionChangeAccessCheck();
    auto profile = faData->SystemProfile();
    const qint32 oldNoDepr =
        profile->GetSystemProfile(L("FA"), L("NoDepr"), L("0")) == QLatin1String("0") ? 0 : 1;
    auto writer = createService<BaseSystemProfile>();
    const bool inStartPeriod = profile->FAGetCurrentYear() == profile->FAGetStartYear() &&
                               profile->FAGetCurrentPeriod() == profile->FAGetStartPeriod();
    const qint32 noDepr = ticked(fa::NoDepr) ? 1 : 0;
    const bool switched = changed(fa::NoDepr) && noDepr != oldNoDepr;

    // Periods already closed were depreciated (or not) under the old setting:
    // the cards' remaining periods must follow the switch.
    if (switched && profile->FAGetClosed() && !inStartPeriod) {
        createService<BalUpdate>()->UpdateDeprPeriods(GetPropsString(), noDepr ? L("1") : L("0"));
    }
    // The link to the ledger is always on: saved with the options the user
    // changed, so that a save that changes none of them writes nothing here.
    bool optionsChanged = false;
    for (const Param* p : s.baseline.params()) {
        if (s.loadedBy.value(p) == this && p != &fa::FALinkedGL && changed(*p)) {
            optionsChanged = true;
        }
    }
    if (optionsChanged) setTicked(fa::FALinkedGL, true);
    saveLoaded(*writer);
    if (frame::Controls::checkValue(get<QCheckBox>(fa::NoDepr.control)) != s.NoDeprAtStart) {
        store::writeValue(*writer, L("FA"), L("WithoutDepr"), qint32(1));
    }
    qint32 y = 0;
    qint32 p = 0;
    if (createService<MonthEndInfo>()->ExistsSubSys(GetPropsString(), L("Fa"), y, p)) {
        createService<MonthEndUpdate>()->UpdateSubSys(GetPropsString(), L("Fa"), y, p,
                                                      inStartPeriod ? 0 : 1, 1, 0);
    }
    if (switched && noDepr == 0) {
        env().dialogService().ShowMessage(
            QStringLiteral("已将整个系统设为计提折旧，请为需要计提折旧的卡片选择折旧方法！"));
    }
}

// ----- Payroll --------------------------------------------------------------

void PayrollPage::load() {
    GetGLProfile()->Refresh();
    // Closing follows the ledger's periods unless the user says otherwise now.
    auto* period = get<QCheckBox>(ui::ChkPeriod);
    frame::Controls::setCheckValue(period, 1);
    period->setToolTip(QStringLiteral(
        "每次保存时随工资期末结账设置一并提交，本身不单独保存；打开本窗口时总是选中。"));
    auto payroll = createObject<PASystemProfile>();
    const QString stored = payroll->GetSystemProfile(
        L("PA"), params::keyOf(params::payroll::CheckBeforeClose), L("0"));
    show(params::payroll::CheckBeforeClose, stored);
}

void PayrollPage::checkSave() {
    createObject<PASystemProfile>();
}

void PayrollPage::save() {
    auto monthEnd = createService<MonthEndUpdate>();
    auto payroll = createObject<PASystemProfile>();
    monthEnd->UpdateSubSys(GetPropsString(), L("PA"), payroll->PAGetCurrentYear(),
                           payroll->PaGetCurrentPeriod(), 1,
                           get<QCheckBox>(ui::ChkPeriod)->isChecked() ? 1 : 0);
    WaitCursor wait;
    auto writer = createService<BaseSystemProfile>();
    saveLoaded(*writer);
    // Only a check that is on is turned off: rewriting an off one would
    // record a change where there is none.
    for (const char* key : kPayrollAlwaysOff) {
        if (Val(payroll->GetSystemProfile(L("PA"), L(key), L("0"))) != 0) {
            store::writeValue(*writer, L("PA"), L(key), L("0"));
        }
    }
}

// ----- Cashier --------------------------------------------------------------

void CashierPage::showStart(qint32 currentYear, qint32 currentPeriod, qint32 startYear,
                            qint32 startPeriod) {
    auto text = [](qint32 v) { return v <= 0 ? QString() : QString::number(v); };
    auto* maxYear = get<QLineEdit>(ui::txtCnMaxYear);
    auto* maxPeriod = get<QLineEdit>(ui::txtCnMaxPeriod);
    if (s.CashierStarted) {
        qint32 y = 0;
        qint32 p = 0;
        GetMaxPeriod(y, p, false);
        get<IntText3D>(cn::StartYear.control)->setText(QString::number(startYear));
        get<IntText3D>(cn::StartPeriod.control)->setText(QString::number(startPeriod));
        get<QLineEdit>(cn::CurrentYear.control)->setText(QString::number(currentYear));
        get<QLineEdit>(cn::CurrentPeriod.control)->setText(QString::number(currentPeriod));
        maxYear->setText(QString::number(y));
        maxPeriod->setText(QString::number(p));
        return;
    }
    get<IntText3D>(cn::StartYear.control)
        ->setText(startYear == -1 ? get<IntText3D>(params::periods::StartYear.control)->Text()
                                  : QString::number(startYear));
    get<IntText3D>(cn::StartPeriod.control)->setText(text(startPeriod));
    auto* year = get<QLineEdit>(cn::CurrentYear.control);
    year->setText(text(currentYear));
    get<QLineEdit>(cn::CurrentPeriod.control)
        ->setText(year->text().isEmpty() ? QString() : text(currentPeriod));
    maxYear->clear();
    maxPeriod->clear();
}

// Whether closing follows the ledger's periods, from the month-end calendar.
void CashierPage::loadSubSys(qint32 currentYear, qint32 currentPeriod) {
    auto* subSys = get<QCheckBox>(ui::chkSubSys);
    RecordSetPtr rows = createService<MonthEndInfo>()->GetSubSys(GetPropsString(), L("Cn"),
                                                                 currentYear, currentPeriod);
    bool synch = false;
    if (rows && rows->RecordCount() > 0) {
        rows->MoveFirst();
        synch = Val(rows->Field(QStringLiteral("Fperiodsynch")).toString()) != 0;
    }
    frame::Controls::setCheckValue(subSys, synch ? 1 : 0);
    subSys->setProperty("loaded", synch);
    // Without a current period the calendar has no place to keep the choice.
    const bool keepable = currentYear != -1 && currentPeriod != -1;
    subSys->setEnabled(keepable);
    subSys->setToolTip(
        keepable ? QString()
                 : QStringLiteral("出纳系统尚无当前期间，结账设置在出纳启用后才能保存。"));
}

void CashierPage::load() {
    WaitCursor wait;
    auto profile = GetGLProfile();
    auto read = [&profile](const Param& p) {
        const QString stored =
            profile->GetSystemProfile(L("CN"), params::keyOf(p), params::defaultOf(p));
        return stored;
    };
    s.CashierStarted = Val(profile->GetSystemProfile(L("CN"), L("CN_INIT_DONE"), L("0"))) == 1;
    const QString texts[] = {read(cn::CurrentYear), read(cn::CurrentPeriod), read(cn::StartYear),
                             read(cn::StartPeriod)};
    qint32 values[4];
    for (int i = 0; i < 4; ++i) values[i] = store::roundToInt32(Val(texts[i]));
    currentYear_ = values[0];
    currentPeriod_ = values[1];
    showStart(values[0], values[1], values[2], values[3]);
    const Param* start[] = {&cn::CurrentYear, &cn::CurrentPeriod, &cn::StartYear, &cn::StartPeriod};
    for (int i = 0; i < 4; ++i) remember(*start[i], texts[i]);
    enableByRule(cn::StartYear, !s.CashierStarted);
    enableByRule(cn::StartPeriod, !s.CashierStarted);
    loadSubSys(values[0], values[1]);
    forDeclared("cashier", [this, &profile](const Param& p) { Page::load(p, *profile); });
}

void CashierPage::GetMaxPeriod(qint32& lngYear, qint32& lngPeriod, bool blnIncludeNextPeriod) {
    createService<CashierSysInfo>()->GetMaxPeriod(GetPropsString(), lngYear, lngPeriod);
    auto profile = GetGLProfile();
    qint32 y = store::readInt(*profile, L("CN"), L("CN_CURRENT_YEAR"), L("-1"));
    qint32 p = store::readInt(*profile, L("CN"), L("CN_CURRENT_PERIOD"), L("-1"));
    if (blnIncludeNextPeriod) {
        if (p == profile->glgetperiodcount()) {
            ++y;
            p = 1;
        } else {
            ++p;
        }
    }
    if (frmSystemProfiles::ComparePeriods(lngYear, lngPeriod, y, p) < 0) {
        lngYear = y;
        lngPeriod = p;
    }
}

QString CashierPage::currentPeriod() const {
    return get<QLineEdit>(cn::CurrentPeriod.control)->text();
}
qint32 CashierPage::startYear() const {
    return get<IntText3D>(cn::StartYear.control)->Value();
}
QString CashierPage::startPeriod() const {
    return get<IntText3D>(cn::StartPeriod.control)->Text();
}

bool CashierPage::start(ProfileWriter& writer, const rules::CashierStart& facts) {
    if (auto refusal = rules::cashierStartRefusal(facts)) return s.dialog.refuse(*refusal);
    if (auto started = startedElsewhere(s, Module::Cashier)) return s.dialog.refuse(*started);
    s.dialog.refuse(
        {QString(), rules::kCashierPage, QString::fromLatin1(cn::StartPeriod.control.name)});
    const qint32 year = store::roundToInt32(Val(facts.startYear));
    const qint32 period = store::roundToInt32(Val(facts.startPeriod));
    StartPlan plan(Module::Cashier);
    for (const auto& [key, value] : {std::pair{"CN_START_YEAR", year},
                                     {"CN_START_PERIOD", period},
                                     {"CN_CURRENT_YEAR", year},
                                     {"CN_CURRENT_PERIOD", period}}) {
        plan.write("CN", key, value);
    }
    if (!confirmStart(QStringLiteral("请确认出纳初始参数的设置，是否确认启用！"), plan)) {
        return true;
    }
    plan.perform(writer, nullptr);
    s.dialog.setTag(QStringLiteral("OK"));
    startedHere(s, Module::Cashier);
    s.startedNow << QStringLiteral("出纳已启用（%1年第%2期）").arg(year).arg(period);
    return true;
}

bool CashierPage::save(const QString& ledgerYear, const QString& ledgerPeriod) {
    auto writer = createService<BaseSystemProfile>();
    auto* startYearBox = get<IntText3D>(cn::StartYear.control);
    auto* startPeriodBox = get<IntText3D>(cn::StartPeriod.control);
    const rules::CashierStart facts{startYearBox->isEnabled() && s.dialog.CanModify(),
                                    ledgerYear,
                                    ledgerPeriod,
                                    get<QLineEdit>(cn::CurrentYear.control)->text(),
                                    currentPeriod(),
                                    startYearBox->Text(),
                                    startPeriodBox->Text(),
                                    startYearBox->Value(),
                                    startPeriodBox->Value()};
    switch (rules::cashierStartStep(facts)) {
        case rules::CashierStep::Nothing:
            return true;
        case rules::CashierStep::Ask:
            if (!start(*writer, facts)) return false;
            break;
        case rules::CashierStep::Options:
            break;
    }
    saveLoaded(*writer);
    auto* subSys = get<QCheckBox>(ui::chkSubSys);
    if (subSys->isChecked() != subSys->property("loaded").toBool() && subSys->isEnabled()) {
        createService<MonthEndUpdate>()->UpdateSubSys(GetPropsString(), L("Cn"), currentYear_,
                                                      currentPeriod_, 1,
                                                      subSys->isChecked() ? 1 : 0);
    }
    return true;
}

}  // namespace zx::profiles
