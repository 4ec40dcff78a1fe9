// General and ledger parameters: the company fields, the ledger options,
// budgets and precisions, the taxpayer kind and the tax rate; their load,
// the checks of a save and the writes.

#include "GeneralPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "zx/frame/IntText3D.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/params/Declared.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Followers.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using params::Param;
using namespace params::company;
using namespace params::ledger;
using frame::IntText3D;

// The ledger options load in their declared order; these are loaded by
// steps of their own.
bool ownStep(const Param& p) {
    return &p == &CheckBeforePost || &p == &PrecisionOfDiscountRate || &p == &SInvoiceDecimal;
}

// The company boxes shown from the ledger's properties rather than as stored.
bool fromProperties(const Param& p) {
    return &p == &CompanyName || &p == &CompanyAddress || &p == &CompanyPhone;
}

QString gl() {
    return QStringLiteral("GL");
}

}  // namespace

GeneralPage::GeneralPage(Shared& shared) : Page(shared) {}

void GeneralPage::loadCurrency() {
    const Currency currency = GetGLData()->GetCurrency(1);
    get<QLineEdit>(ui::txtCyNumber)->setText(currency.Number);
    get<QLineEdit>(ui::txtCyName)->setText(currency.Name);
    get<IntText3D>(ui::txtCyScale)->setValue(store::roundToInt32(currency.ScaleX));
    if (GetPropValue(QStringLiteral("Language")).toUpper() == QLatin1String("EN")) {
        get<QCheckBox>(UseCussent.control)->setMinimumWidth(4200 / 15);
    }
}

void GeneralPage::loadState(SystemProfile& profile) {
    profile.Refresh();
    auto read = [&profile](const char* category, const char* key, const char* def) {
        return profile.GetSystemProfile(QString::fromLatin1(category), QString::fromLatin1(key),
                                        QString::fromLatin1(def));
    };
    s.CompanyTypeValue = store::roundToInt32(Val(read("General", "CompanyType", "1")));
    s.LedgerStarted = read("GL", "Closed", "0") == QLatin1String("1");
    s.InitBalancesClosed = read("GL", "InitClosed", "0") == QLatin1String("1");
    s.PublicSectorBooks = Val(read("GL", "GaSystem", "0")) != 0;
}

void GeneralPage::applyScheme() {
    auto label = [this](const char* name, const char16_t* text) {
        get<QLabel>(name)->setText(QString::fromUtf16(text));
    };
    auto caption = [this](const Param& p, const char16_t* text) {
        get<QCheckBox>(p.control)->setText(QString::fromUtf16(text));
    };
    if (s.PublicSectorBooks) {
        label("LBEarn", u"结余科目：");
        label("LbCompany", u"单位名称：");
        caption(ClosePnl, u"结账要求收支类科目余额为零");
        caption(McldgProfitBal, u"多栏账收支类科目期初余额从余额表取数");
    } else {
        label("LbCompany", u"公司名称：");
        label("LBEarn", u"本年利润科目：");
        caption(ClosePnl, u"结账要求损益类科目余额为零");
        caption(McldgProfitBal, u"多栏账损益类科目期初余额从余额表取数");
    }
    s.c.widget(McldgCostBal.control)->setVisible(!s.PublicSectorBooks);
    s.c.widget(GyVchEditStop.control)->setVisible(!s.PublicSectorBooks);
}

void GeneralPage::loadCompanyName(SystemProfile& profile) {
    // The ledger's properties, with the stored texts as the baseline.
    const std::pair<const Param*, QString> texts[] = {
        {&CompanyName, profile.CompanyName()},
        {&CompanyAddress, profile.CompanyAddress()},
        {&CompanyPhone, profile.CompanyPhone()},
    };
    for (const auto& [p, shownText] : texts) {
        get<QLineEdit>(p->control)->setText(shownText);
        remember(*p, profile.GetSystemProfile(params::categoryName(p->cat), params::keyOf(*p),
                                              params::defaultOf(*p)));
    }
    for (const params::Declared& d : params::declared()) {
        if (d.group == std::string_view("company") && d.param->codec == params::Codec::Text &&
            !fromProperties(*d.param)) {
            load(*d.param, profile);
        }
    }
}

void GeneralPage::loadCheckBeforePost(SystemProfile& profile) {
    setTicked(CheckBeforePost, profile.GLGetCheckBeforePost());
    remember(CheckBeforePost, profile.GetSystemProfile(gl(), params::keyOf(CheckBeforePost),
                                                       params::defaultOf(CheckBeforePost)));
}

// A fixed override of the installation hides the box and decides its state.
void GeneralPage::overrideBySpecialItem(SystemProfile& profile, const Param& p,
                                        const char* category, const char* key) {
    const qint32 item = profile.SpecItem(QString::fromLatin1(category), QString::fromLatin1(key));
    if (item < 0) return;
    setTicked(p, item > 0);
    s.c.widget(p.control)->setVisible(false);
}

void GeneralPage::loadLedger(SystemProfile& profile) {
    loadCompanyName(profile);
    loadCheckBeforePost(profile);
    for (const params::Declared& d : params::declared()) {
        const Param* p = d.param;
        if (d.group != std::string_view("ledger") || ownStep(*p)) continue;
        load(*p, profile);
        if (p == &ShowDashBoard) {
            overrideBySpecialItem(profile, CheckBeforePost, "Options", "CheckBeforePost");
        }
        if (p == &ExplanationEachEntry) {
            overrideBySpecialItem(profile, ExplanationEachEntry, "Voucher", "RequireBrief");
        }
    }
    // The tax-return date only exists for the industry version that files returns.
    const bool taxReturns = GetIndustryVersion() == 11;
    s.c.widget(CaiShuiDateIsSysDate.control)->setVisible(taxReturns);
    if (!taxReturns) {
        s.c.widget(ui::framPA)->setMaximumHeight(s.c.widget(ui::framFix)->sizeHint().height());
    }
}

void GeneralPage::loadPrecisions(SystemProfile& profile) {
    load(PrecisionOfDiscountRate, profile);
    load(SInvoiceDecimal, profile);
}

void GeneralPage::loadOrganisation(SystemProfile& profile) {
    load(CompanyType, profile);
    enableByRule(CompanyType, false);
    if (s.CompanyTypeValue != 1) {
        get<QCheckBox>(McldgProfitBal.control)
            ->setText(QStringLiteral("多栏账收入类科目期初余额从余额表取数"));
        get<QCheckBox>(McldgCostBal.control)
            ->setText(QStringLiteral("多栏账支出类科目期初余额从余额表取数"));
    }
}

void GeneralPage::loadTax(SystemProfile& profile) {
    s.OrigTaxType = load(TaxType, profile);
    load(TaxRate, profile);
}

void GeneralPage::applyAppType() {
    if (GetAppInfo().appType != 1) return;
    for (const char* name : {"chkHS_CheckBillPosted", "ChkHS_IsShowStockData"}) {
        auto* box = get<QCheckBox>(name);
        box->setVisible(false);
        frame::Controls::setCheckValue(box, 0);
    }
}

void GeneralPage::connectReactions() {
    // The usual rate of each kind of taxpayer.
    for (int i = 0; i < 2; ++i) {
        QObject::connect(get<QRadioButton>(params::memberName(TaxType.control, i)),
                         &QRadioButton::toggled, &s.dialog, [this, i](bool on) {
                             // The kind chosen reacts, once the other is off.
                             if (!on) return;
                             react(TaxType, [this, i] {
                                 get<IntText3D>(TaxRate.control)->setText(rules::taxRateFor(i));
                             });
                         });
    }
    // The write-off switch and the business number that needs it.
    auto writeOff = [this](bool changedEnabled) {
        const rules::WriteOff now =
            rules::afterWriteOffChange({ticked(TransCheckStart), ticked(TransNo)}, changedEnabled);
        if (now.enabled != ticked(TransCheckStart)) setTicked(TransCheckStart, now.enabled);
        if (now.numbered != ticked(TransNo)) setTicked(TransNo, now.numbered);
    };
    QObject::connect(get<QCheckBox>(TransCheckStart.control), &QCheckBox::stateChanged, &s.dialog,
                     [this, writeOff] { react(TransCheckStart, [writeOff] { writeOff(true); }); });
    QObject::connect(get<QCheckBox>(TransNo.control), &QCheckBox::stateChanged, &s.dialog,
                     [this, writeOff] { react(TransNo, [writeOff] { writeOff(false); }); });
    // Dropping the voucher-approval control is confirmed; declined, the box
    // is ticked again and the dialog is as it was.
    auto* approval = get<QCheckBox>(VchMakeANDChkSame.control);
    QObject::connect(approval, &QCheckBox::stateChanged, &s.dialog, [this, approval] {
        if (s.dialog.Loading()) return;
        if (s.ReTickVoucherCheck) {
            s.ReTickVoucherCheck = false;
            return;
        }
        if (frame::Controls::checkValue(approval) != 0) return;
        const MsgResult answer = env().messageBox(
            QStringLiteral(
                "是否确认取消此控制参数？\n如果取消此参数，凭证审核将失去应有的审核监督的作用！"),
            MsgButtons::YesNo, MsgIcon::Information, QStringLiteral("信息提示！"), &s.dialog);
        if (answer != MsgResult::Yes) {
            s.ReTickVoucherCheck = true;
            frame::Controls::setCheckValue(approval, 1);
        }
    });
}

void GeneralPage::connectDeclaredRules() {
    for (const params::Declared& d : params::declared()) {
        const Param* p = d.param;
        if (p->lock != params::Lock::Needs || d.group == std::string_view("closing")) continue;
        QObject::connect(get<QCheckBox>(p->needs->control), &QCheckBox::stateChanged, &s.dialog,
                         [this, p] { react(*p->needs, [this, p] { applyNeeds(*p, true); }); });
    }
}

// At the end of the load: what was read stays as read, only enabled or not.
void GeneralPage::applyDeclaredRules() {
    for (const params::Declared& d : params::declared()) {
        if (d.param->lock == params::Lock::Needs && d.group != std::string_view("closing")) {
            applyNeeds(*d.param, false);
        }
    }
}

// Blanks only: a name of full-width spaces is a name the host judges. What
// the user typed is trimmed; a stored text the user did not touch stays as
// it is stored.
std::optional<rules::Refusal> GeneralPage::checkCompanyName() {
    auto trimBlanks = [this](const Param& p) {
        auto* box = get<QLineEdit>(p.control);
        const QString text = TrimBlanks(box->text());
        if (text != box->text() && changed(p)) box->setText(text);
        return text;
    };
    if (trimBlanks(CompanyName).isEmpty()) {
        return rules::Refusal{QStringLiteral("请输入公司名称!"), rules::kCompanyPage,
                              QString::fromLatin1(CompanyName.control.name)};
    }
    trimBlanks(CompanyAddress);
    trimBlanks(CompanyPhone);
    return std::nullopt;
}

std::optional<rules::Refusal> GeneralPage::validate(SystemProfile& stored) {
    DialogService& dialogs = env().dialogService();
    const QString name = get<QLineEdit>(CompanyName.control)->text();
    if (dialogs.IsBlank(name)) return rules::Refusal{QStringLiteral("请设置公司名称")};
    if (!s.dialog.IsValidIDNew(name)) {
        return rules::Refusal{QStringLiteral("设置公司名称输入了不正确的字符。")};
    }
    if (dialogs.IsBlank(get<QLineEdit>(ui::txtCyNumber)->text())) {
        return rules::Refusal{QStringLiteral("请设置本位币代码")};
    }
    if (dialogs.IsBlank(get<QLineEdit>(ui::txtCyName)->text())) {
        return rules::Refusal{QStringLiteral("请设置本位币名称")};
    }
    const qint32 periods = store::roundToInt32(
        Val(stored.GetSystemProfile(gl(), QStringLiteral("PeriodCount"), QStringLiteral("0"))));
    if (periods != 12 && periods != 13) {
        return rules::Refusal{QStringLiteral("会计期间未设置!"), rules::kPeriodPage,
                              QString::fromLatin1(ui::cmdSetPeriod.name)};
    }
    return std::nullopt;
}

QString GeneralPage::taxKind() const {
    const int kind = selected(TaxType);
    return kind == 0 || kind == 1 ? QString::number(kind) : QStringLiteral("-1");
}

// The account set's register lists it under its company's name.
void GeneralPage::saveCompanyName(ProfileWriter& writer) {
    if (!changed(CompanyName)) return;
    const QString name = get<QLineEdit>(CompanyName.control)->text();
    store::writeValue(writer, QStringLiteral("General"), params::keyOf(CompanyName), name);
    store::followCompanyName(name);
}

// The balances service must agree to a switch of write-off first.
void GeneralPage::saveWriteOff(ProfileWriter& writer) {
    if (!changed(TransCheckStart)) return;
    if (!s.dialog.CheckTransCheckStartLevel()) return;
    if (!s.dialog.ApplyTransCheckStart()) {
        setTicked(TransCheckStart, Val(s.baseline.storedText(TransCheckStart)) != 0);
        return;
    }
    save(TransCheckStart, writer);
}

// Taxpayer kind and tax rate, and the item master's default rates with them.
void GeneralPage::saveTax(ProfileWriter& writer) {
    save(TaxType, writer);
    const QString kind = taxKind();
    if (kind != QLatin1String("-1")) s.OrigTaxType = kind;
    if (!changed(TaxRate)) return;
    const QString rate = store::numberText(Val(boxText(TaxRate)));
    store::writeValue(writer, QStringLiteral("General"), params::keyOf(TaxRate), Val(rate));
    store::followTaxRate(rate);
}

void GeneralPage::saveLedger(ProfileWriter& writer) {
    if (GetAppInfo().appType == 2) {
        // This product variant fixes the precisions and has no maximum price.
        get<IntText3D>(PrecisionOfDiscountRate.control)->setValue(2);
        get<IntText3D>(SInvoiceDecimal.control)->setValue(4);
        frame::Controls::setCheckValue(get<QCheckBox>("chkIC_AlertPOMaxPrice"), 0);
    }
    saveCompanyName(writer);
    // A refused write-off switch stops the save before what follows it.
    saveLoaded(writer, [this, &writer](const Param& p) {
        if (&p == &TransCheckStart) saveWriteOff(writer);
    });
}

void GeneralPage::savePrecisionsAndTax(ProfileWriter& writer) {
    if (changed(PrecisionOfDiscountRate)) {
        save(PrecisionOfDiscountRate, writer);
        SetSharedValue(QStringLiteral("RatioDecPlaces"), value(PrecisionOfDiscountRate));
    }
    saveTax(writer);
}

}  // namespace zx::profiles
