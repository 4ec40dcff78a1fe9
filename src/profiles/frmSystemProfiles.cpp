// The parameter dialog: its pages on the shared frame, the form load, the
// load and the save in the order the pages take part, the captions of the
// product variant, and the auto-invoice audit.

#include "zx/profiles/frmSystemProfiles.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "BusinessPage.h"
#include "Finder.h"
#include "GeneralPage.h"
#include "LoadErrors.h"
#include "ModulePages.h"
#include "PeriodsPage.h"
#include "ProfitPage.h"
#include "Starts.h"
#include "zx/frame/IntText3D.h"
#include "zx/frame/ParamHistory.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/params/Business.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/session/MNetControl.h"
#include "zx/session/Session.h"
#include "zx/store/LedgerData.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

const QString kTopic = QStringLiteral("GLSystemSetting.frmSystemProfiles");

frame::FrameSetup setup() {
    return {QStringLiteral("frmSystemProfiles"),
            QStringLiteral("系统参数"),
            kTopic,
            QStringLiteral("确定(&O)"),
            QStringLiteral("保存修改(&S)"),
            QStringLiteral("关闭(&X)"),
            false};
}

// How often a save starts over after its connection was lost.
constexpr int kSaveAttempts = 3;

enum Page { kFinance = 2, kCashier = 3, kBusinessBase = 4, kFixedAssets = 5, kPayroll = 6 };

// Holds the network function lock of a save from its first write to its end,
// whichever way the save ends.
class SaveLock {
public:
    SaveLock(qint16 year, qint16 period) {
        MNetControl::LockHandle() = MNetControl::ExecFunc(0, QStringLiteral("pu08"), year, period);
    }
    ~SaveLock() { MNetControl::CommitTask(MNetControl::LockHandle()); }
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
};

// A save that stops part way by design keeps what it wrote: those writes are
// the base of the next attempt, which must not take them for another
// workstation's. A save undone by an error has written nothing: the starts
// it made in the dialog are taken back, so that the dialog shows and tells
// what is stored.
class AfterWrites {
public:
    AfterWrites(Shared& s, const frame::Controls& c, const bool& kept)
        : s_(s),
          c_(c),
          kept_(kept),
          tag_(s.dialog.Tag()),
          ledgerStarted_(s.LedgerStarted),
          origTaxType_(s.OrigTaxType),
          starts_(s.startsLoaded) {
        s_.written.clear();
        s_.startedNow.clear();
        for (const params::Control* box : kStartBoxes) {
            enabled_ << c_.widget(*box)->isEnabled();
        }
        for (const params::Control* box : kCurrentBoxes) {
            shown_ << c_.get<QLineEdit>(*box)->text();
        }
    }
    ~AfterWrites() {
        if (kept_) {
            rebase();
        } else {
            s_.dialog.setTag(tag_);
            s_.LedgerStarted = ledgerStarted_;
            s_.OrigTaxType = origTaxType_;
            s_.startsLoaded = starts_;
            s_.startedNow.clear();
            for (int i = 0; i < 2; ++i) c_.widget(*kStartBoxes[i])->setEnabled(enabled_.at(i));
            for (int i = 0; i < 2; ++i) c_.get<QLineEdit>(*kCurrentBoxes[i])->setText(shown_.at(i));
        }
        s_.written.clear();
    }
    AfterWrites(const AfterWrites&) = delete;
    AfterWrites& operator=(const AfterWrites&) = delete;

private:
    static constexpr const params::Control* kStartBoxes[] = {&params::periods::StartYear.control,
                                                             &params::periods::StartPeriod.control};
    static constexpr const params::Control* kCurrentBoxes[] = {
        &params::periods::CurrentYear.control, &params::periods::CurrentPeriod.control};

    void rebase() {
        if (s_.written.isEmpty()) return;
        ignoringErrors("save baseline", [this] {
            auto stored = createObject<GLSystemProfile>();
            stored->Refresh();
            for (const params::Param* p : s_.written) {
                s_.baseline.rebase(
                    *p,
                    stored->GetSystemProfile(params::categoryName(p->cat), params::keyOf(*p),
                                             params::defaultOf(*p)),
                    c_.state(*p));
            }
        });
    }

    Shared& s_;
    const frame::Controls& c_;
    const bool& kept_;
    QString tag_;
    bool ledgerStarted_;
    QString origTaxType_;
    QHash<QString, QStringList> starts_;
    QList<bool> enabled_;
    QStringList shown_;
};

bool hasVoucher(qint32 year, qint32 period) {
    return store::hasVoucherBefore(year, period);
}

}  // namespace

std::function<void(frmSystemProfiles&)> frmSystemProfiles::onShown;

frmSystemProfiles::frmSystemProfiles(QWidget* parent) : DialogFrame(setup(), parent) {
    const frame::face::Node face = frame::face::tabs(QStringLiteral("Stab"), faces::allPages());
    frame::face::collectParams(face, declared_);
    QWidget* tabs = frame::face::build(face, this);
    stab_ = qobject_cast<QTabWidget*>(tabs);
    finder_ = new Finder(this, stab_);
    connect(stab_, &QTabWidget::currentChanged, this, [this] {
        // A search shows pages while the user types on in its box.
        if (!Loading() && !finder_->box()->hasFocus()) focusFirstField();
    });
    body()->addWidget(finder_->bar());
    body()->addWidget(tabs, 1);
    // The link of fixed assets to the ledger is always saved as on.
    // The controls shown only here (set when the account set is made, or in
    // the period set-up) mark nothing either.
    QStringList unmarked = {QString::fromLatin1(params::assets::FALinkedGL.control.name),
                            QString::fromLatin1(ui::txtPeriodCount.name),
                            QString::fromLatin1(params::periods::PeriodByMonth.control.name)};
    for (const params::Param* p : {&params::company::CompanyType, &params::periods::PeriodCount}) {
        for (int i = 0; i < params::itemCount(p->control); ++i) {
            unmarked << params::memberName(p->control, i);
        }
    }
    finishFace(unmarked);
    shared_ = std::make_unique<Shared>(*this);
    general_ = std::make_unique<GeneralPage>(*shared_);
    periods_ = std::make_unique<PeriodsPage>(*shared_);
    profit_ = std::make_unique<ProfitPage>(*shared_);
    assets_ = std::make_unique<AssetsPage>(*shared_);
    payroll_ = std::make_unique<PayrollPage>(*shared_);
    cashier_ = std::make_unique<CashierPage>(*shared_);
    business_ = std::make_unique<BusinessPage>(*shared_);
    for (const params::Control* c :
         {&params::company::CompanyName.control, &params::company::CompanyAddress.control,
          &params::company::CompanyPhone.control, &ui::txtCyName, &ui::txtCyNumber,
          &params::profit::EarnAccount.control, &params::profit::EarnAssignAccount.control}) {
        focusBoxes_ << QString::fromLatin1(c->name);
    }
    general_->connectReactions();
    periods_->connectReactions();
    profit_->connectReactions();
    business_->connectReactions();
    general_->connectDeclaredRules();
    // Every parameter control offers its history; the profit accounts show
    // by their numbers and names.
    new frame::HistoryOffer(
        *this, [this] { return parameters(); },
        [this](const params::Param& p, const QString& stored) {
            return profit_->accountWords(p, stored);
        });
    QObject::connect(controls().get<QAbstractButton>(ui::cmdOptHistory), &QAbstractButton::clicked,
                     this, [this] {
                         // A fresh viewer each time, released when it closes.
                         attempt([] { optlog::frmOptLog().ShowOptLog(); });
                     });
    formLoad();
}

frmSystemProfiles::~frmSystemProfiles() {
    ResultTag = Tag();
}

void frmSystemProfiles::formLoad() {
    applyCaptions();
    attempt([this] { RegisterHelpWindow(kTopic, qint32(winId())); });
    shared_->log.clear();
    business_->FillBusinessLists();
    attempt([this] { env().dialogService().PrepareForm(this); });
    setTag(QString());
    stab_->setCurrentIndex(0);
    if (auto* gl = findChild<QTabWidget*>(QStringLiteral("stabGl"))) gl->setCurrentIndex(0);
    // The exchange-rate frames are withdrawn; the journal options move up.
    controls().widget(ui::fraXj)->hide();
    controls().widget(ui::fraYh)->hide();
    restoreGeometryOr(QSize(1200, 760));
}

// Which pages and frames the installed variant shows; every step on its
// own, so one that fails leaves the others.
void frmSystemProfiles::applyCaptions() {
    auto hide = [this](std::initializer_list<const char*> names) {
        for (const char* name : names) controls().widget(QString::fromLatin1(name))->hide();
    };
    attempt([&] {
        if (GetIndustryType() == 1) {
            hide(
                {"lblIC_Item4Name", "txtIC_Item4Name", "lblIC_AuxSpaceMark", "cmbIC_AuxSpaceMark"});
        }
    });
    stab_->setTabVisible(kFixedAssets, false);
    stab_->setTabVisible(kPayroll, false);
    attempt([&] {
        const qint32 appType = GetAppInfo().appType;
        if (appType == 1) {
            stab_->setTabVisible(kFinance, false);
            stab_->setTabVisible(kCashier, false);
        } else if (appType == 2) {
            stab_->setTabText(kFinance, QStringLiteral("账务参数"));
            stab_->setTabText(kBusinessBase, QStringLiteral("仓存参数"));
            stab_->setTabVisible(kCashier, false);
            hide({"framFix", "chkCheckBeClose"});
            // Without purchasing and sales the basic options take the freed room.
            hide({"framSet(11)", "framSet(12)", "lblZKLScale", "txtZKLScale", "lblFPScale",
                  "txtFPScale"});
        }
    });
    attempt([&] {
        explained([&] { controls().widget(ui::fraprice)->setVisible(GetIndustryVersion() == 1); });
    });
}

void frmSystemProfiles::loadValues() {
    ReleaseGLObjects();
    GetGLData()->Refresh();
    WaitCursor wait;
    shared_->baseline.clear();
    shared_->loadedBy.clear();
    setModifyRight();
    general_->loadCurrency();
    auto profile = GetGLProfile();
    rememberStarts(*shared_, *profile);
    general_->loadState(*profile);
    general_->applyScheme();
    general_->loadLedger(*profile);
    periods_->loadStructure(*profile);
    general_->loadPrecisions(*profile);
    periods_->loadByMonth(*profile);
    periods_->loadStart(*profile);
    periods_->FillPeriodTree();
    profit_->load(*profile);
    general_->loadOrganisation(*profile);
    assets_->load();
    // These pages catch their own errors and the load goes on with the next.
    loadPart([this] { cashier_->load(); });
    loadPart([this] { payroll_->load(); });
    loadPart([this, &profile] { business_->load(*profile); });
    general_->loadTax(*profile);
    periods_->clearEmptyCurrent();
    periods_->applyStartBounds(*profile);
    general_->applyAppType();
    general_->applyDeclaredRules();
    shared_->baseline.settle([this](const params::Param& p) { return controls().state(p); });
    periods_->highlightUnsetStartPeriods();
}

void frmSystemProfiles::firstLoaded() {
    shared_->NoDeprAtStart =
        frame::Controls::checkValue(controls().get<QCheckBox>(params::assets::NoDepr.control));
    shared_->EarnAcctChanged = false;
    shared_->EarnAssignAcctChanged = false;
    takeAutoInvoiceSnapshot();
    focusFirstField();
    if (onShown) onShown(*this);
}

// Another workstation may have saved since this dialog loaded: what both
// changed is refused before anything is written.
bool frmSystemProfiles::checkConflicts() {
    auto fresh = createObject<GLSystemProfile>();
    fresh->Refresh();
    const QList<const params::Param*> conflicts = shared_->baseline.conflicts(
        [this](const params::Param& p) { return controls().state(p); },
        [&fresh](const params::Param& p) {
            return fresh->GetSystemProfile(params::categoryName(p.cat), params::keyOf(p),
                                           params::defaultOf(p));
        });
    if (conflicts.isEmpty()) return true;
    // A start typed here that another workstation has made meanwhile is
    // told as such.
    for (const params::Param* p : conflicts) {
        const std::optional<Module> module = startOf(*p);
        if (!module) continue;
        if (auto refusal = startedElsewhere(*shared_, *module)) return refuse(*refusal);
    }
    return refuse({QStringLiteral("参数“%1”已被其他用户修改，请关闭后重新打开。")
                       .arg(params::captionOf(*conflicts.first()))});
}

// Asks before the lock whether the ledger is to start now; `start` tells the
// answer. False when the save stops here.
bool frmSystemProfiles::askLedgerStart(bool& start) {
    start = false;
    const rules::LedgerStart facts = ledgerStartFacts();
    if (!rules::ledgerStartDue(facts)) return true;
    if (auto refusal = rules::ledgerStartNeedsBusiness(facts)) return refuse(*refusal);
    refuse({QString(), rules::kCompanyPage,
            facts.appType == 1 ? QString::fromLatin1(ui::txtCyNumber.name) : QString()});
    // The details show what the start will write; under the lock it is made
    // only as shown.
    shared_->confirmedLedgerStart = periods_->planLedgerStart();
    const QString details = std::holds_alternative<StartPlan>(*shared_->confirmedLedgerStart)
                                ? std::get<StartPlan>(*shared_->confirmedLedgerStart).details()
                                : QStringLiteral("总账不能启用：%1")
                                      .arg(std::get<QString>(*shared_->confirmedLedgerStart));
    if (!env().dialogService().ConfirmDetailed(rules::ledgerStartQuestion(facts), details)) {
        return false;
    }
    start = true;
    return true;
}

// Under the lock, before anything is written: whether the confirmed start
// may still be made.
bool frmSystemProfiles::ledgerStartStands() {
    if (auto refusal = rules::ledgerStartConflict(ledgerStartFacts(), &hasVoucher)) {
        return refuse(*refusal);
    }
    if (auto refusal = startedElsewhere(*shared_, Module::Ledger)) return refuse(*refusal);
    if (periods_->planLedgerStart() != shared_->confirmedLedgerStart) {
        return refuse(
            {QStringLiteral("总账启用要写入的内容在确认之后有了变化（例如其他用户修改了会计期间），"
                            "本次保存没有写入。请重新保存，确认新的内容。"),
             rules::kPeriodPage});
    }
    return true;
}

rules::LedgerStart frmSystemProfiles::ledgerStartFacts() {
    return {GetAppInfo().appType,           IsHasInitGLData(),
            shared_->InitBalancesClosed,    shared_->LedgerStarted,
            periods_->startPeriodChanged(), periods_->startYear(),
            periods_->startPeriod(),        business_->startYearOpen(),
            business_->startYear(),         business_->startYearText(),
            business_->startPeriod(),       cashier_->currentPeriod(),
            cashier_->startYear(),          cashier_->startPeriod()};
}

bool frmSystemProfiles::saveValues() {
    if (auto refusal = general_->checkCompanyName()) return refuse(*refusal);
    if (!profit_->ValidateEarnAcct()) return false;
    WaitCursor wait;
    QCoreApplication::processEvents();
    auto stored = createObject<GLSystemProfile>();
    stored->Refresh();
    if (auto refusal = general_->validate(*stored)) return refuse(*refusal);
    if (auto refusal = unreadableNumber()) return refuse(*refusal);
    bool ledgerStart = false;
    if (!checkConflicts() || !askLedgerStart(ledgerStart)) return false;
    if (general_->taxKind() != shared_->OrigTaxType) {
        env().messageBox(QStringLiteral("修改公司纳税性质设置后，请调整核算项目-物料中的税率设置"),
                         MsgButtons::Ok, MsgIcon::Information, QString(), this);
    }
    const qint16 year = store::roundToInt16(stored->GLGetCurrentYear());
    const qint16 period = store::roundToInt16(stored->GLGetCurrentPeriod());
    stored.reset();
    // A connection to the account set lost on the way takes what the save
    // wrote with it; the save starts over on the new connection, from its
    // look at what other workstations saved, as long as nothing was kept.
    for (int attempt = 1;; ++attempt) {
        const store::ChangeLog log = shared_->log;
        bool committed = false;
        try {
            return lockedSave(year, period, ledgerStart, committed);
        } catch (const HostError& error) {
            if (committed || error.number() != kConnectionLost || attempt == kSaveAttempts) throw;
            shared_->log = log;
        }
    }
}

// The part of a save under the function lock. Every one-way start is decided
// and written under it, after the second look at what other workstations
// saved. `committed` tells whether the writes were kept.
bool frmSystemProfiles::lockedSave(qint16 year, qint16 period, bool ledgerStart, bool& committed) {
    const SaveLock lock(year, period);
    if (!checkConflicts() || (ledgerStart && !ledgerStartStands())) return false;
    // The writes are one unit: an error undoes them all; a page that stops
    // the save by design keeps what was written up to its message.
    bool kept = false;
    const AfterWrites afterWrites(*shared_, controls(), kept);
    store::WriteUnit unit;
    if (ledgerStart) CloseInit();  // its own messages say what went wrong; the save goes on
    const bool whole = writeValues();
    unit.commit();
    kept = true;
    committed = true;
    if (!whole) return false;
    ReleaseGLObjects();
    GetGLData()->Refresh();
    rebase();
    SetChanged(false);
    return true;
}

// The writes of a save, page by page; false when a page stopped the save.
bool frmSystemProfiles::writeValues() {
    {
        auto writer = createService<BaseSystemProfile>();
        general_->saveLedger(*writer);
        profit_->save(*writer);
        general_->savePrecisionsAndTax(*writer);
    }
    payroll_->checkSave();
    payroll_->save();
    // Its result does not stop the save, nor do its writes stay half made.
    attempt([this] { store::WriteUnit::part([this] { assets_->save(); }); });
    const QString ledgerYear = periods_->currentYear();
    const QString ledgerPeriod = periods_->currentPeriod();
    if (!cashier_->save(ledgerYear, ledgerPeriod)) return false;
    if (!business_->save(ledgerYear, ledgerPeriod, periods_->startYearOpen())) return false;
    shared_->log.WriteLog();
    return true;
}

// A numeric box the user changed must hold a number: an emptied box or an
// unfinished one ("-.") is not 0. The box is shown, with its page named.
std::optional<rules::Refusal> frmSystemProfiles::unreadableNumber() {
    static const QRegularExpression whole(QStringLiteral("^-?\\d+$"));
    static const QRegularExpression decimal(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    for (const params::Param* p : shared_->baseline.params()) {
        const params::Kind kind = p->control.kind;
        if (kind != params::Kind::Number && kind != params::Kind::Decimal) continue;
        if (!shared_->baseline.changed(*p, controls().state(*p))) continue;
        auto* box = controls().get<frame::IntText3D>(p->control);
        if ((kind == params::Kind::Decimal ? decimal : whole).match(box->Text()).hasMatch()) {
            continue;
        }
        int page = -1;
        // The inner pages on the way to the box come up with the page.
        for (QWidget* w = box; w && w != this; w = w->parentWidget()) {
            auto* tabs = qobject_cast<QTabWidget*>(
                w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr);
            if (!tabs || tabs->indexOf(w) < 0) continue;
            tabs->setCurrentIndex(tabs->indexOf(w));
            if (tabs == stab_) page = tabs->indexOf(w);
        }
        QString caption = params::captionOf(*p);
        while (caption.endsWith(u'：') || caption.endsWith(u':')) caption.chop(1);
        return rules::Refusal{QStringLiteral("“%1”（%2）须填写有效的数字，没有保存。")
                                  .arg(caption.trimmed(), stab_->tabText(page)),
                              page, QString::fromLatin1(p->control.name)};
    }
    return std::nullopt;
}

// What is stored now is what the dialog shows: the next save compares with it.
void frmSystemProfiles::rebase() {
    auto stored = GetGLProfile();
    stored->Refresh();
    for (const params::Param* p : shared_->baseline.params()) {
        shared_->baseline.loaded(
            *p, stored->GetSystemProfile(params::categoryName(p->cat), params::keyOf(*p),
                                         params::defaultOf(*p)));
    }
    shared_->baseline.settle([this](const params::Param& p) { return controls().state(p); });
}

bool frmSystemProfiles::SaveProfiles() {
    return runSave();
}

QString frmSystemProfiles::savedNote() {
    const QString note = shared_->startedNow.join(QStringLiteral("，"));
    shared_->startedNow.clear();
    return note;
}

void frmSystemProfiles::afterSave() {
    auditAutoInvoice();
}

void frmSystemProfiles::showPage(int index) {
    stab_->setCurrentIndex(index);
}

// Help opens on the page in view: 100 + 10 x the page + the inner page.
qint32 frmSystemProfiles::helpContext() const {
    const int page = stab_->currentIndex();
    const auto* inner = stab_->currentWidget()->findChild<QTabWidget*>();
    return 100 + 10 * page + (inner ? inner->currentIndex() : 0);
}

// The first character the user types goes into the first box of the page shown.
void frmSystemProfiles::focusFirstField() {
    QWidget* page = stab_->currentWidget();
    if (!page) return;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (frame::Controls::isValueControl(w) && w->isEnabled() && w->isVisibleTo(page) &&
            w->focusPolicy() != Qt::NoFocus) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void frmSystemProfiles::done(int result) {
    ResultTag = Tag();
    DialogFrame::done(result);
}

void frmSystemProfiles::closeEvent(QCloseEvent* event) {
    // The close box unloads without asking; the marker must survive it.
    ResultTag = Tag();
    DialogFrame::closeEvent(event);
}

// ----- Public members ------------------------------------------------------

bool frmSystemProfiles::CloseInit() {
    return attempt([this] {
        // All of the start, or nothing of it.
        bool started = false;
        store::WriteUnit::part([&] { started = periods_->CloseInit(); });
        return started;
    });
}

bool frmSystemProfiles::AllowSetStartYearPeriod() {
    return assets_->AllowSetStartYearPeriod();
}

void frmSystemProfiles::GetMaxPeriod(qint32& lngYear, qint32& lngPeriod,
                                     bool blnIncludeNextPeriod) {
    attempt([&] { cashier_->GetMaxPeriod(lngYear, lngPeriod, blnIncludeNextPeriod); });
}

bool frmSystemProfiles::IsValidIDNew(const QString& strValue) {
    const QString value = TrimBlanks(strValue);
    if (value.isEmpty()) return false;
    for (QChar c : value) {
        if (c == u'\'' || c == u'\\' || c == u'$' || c == u'"') return false;
    }
    return true;
}

bool frmSystemProfiles::IsHasInitGLData() {
    return store::hasInitialLedgerData();
}

bool frmSystemProfiles::ValidateEarnAcct() {
    return profit_->ValidateEarnAcct();
}
bool frmSystemProfiles::ValidateEarnAssignAcct() {
    return profit_->ValidateEarnAssignAcct();
}
bool frmSystemProfiles::HasItemClasses(const QString& number) {
    return profit_->HasItemClasses(number);
}
bool frmSystemProfiles::CheckTransCheckStartLevel() {
    return periods_->CheckTransCheckStartLevel();
}
bool frmSystemProfiles::ApplyTransCheckStart() {
    return periods_->ApplyTransCheckStart();
}

int frmSystemProfiles::ComparePeriods(qint32 y1, qint32 p1, qint32 y2, qint32 p2) {
    if (y1 != y2) return y1 < y2 ? -1 : 1;
    if (p1 != p2) return p1 < p2 ? -1 : 1;
    return 0;
}

bool frmSystemProfiles::LedgerStarted() const {
    return shared_->LedgerStarted;
}
bool frmSystemProfiles::InitBalancesClosed() const {
    return shared_->InitBalancesClosed;
}
bool frmSystemProfiles::PublicSectorBooks() const {
    return shared_->PublicSectorBooks;
}
bool frmSystemProfiles::BusinessStarted() const {
    return shared_->BusinessStarted;
}
bool frmSystemProfiles::CashierStarted() const {
    return shared_->CashierStarted;
}
QString frmSystemProfiles::OrigTaxType() const {
    return shared_->OrigTaxType;
}
qint32 frmSystemProfiles::NoDeprAtStart() const {
    return shared_->NoDeprAtStart;
}
const store::ChangeLog& frmSystemProfiles::changeLog() const {
    return shared_->log;
}
// A number too large to read (an overflow, a type mismatch) is searched for
// among the stored values, so that the message names it.
host::HostError frmSystemProfiles::explainLoadError(const host::HostError& e) {
    if (e.number() != 6 && e.number() != 13) return e;
    QStringList found;
    try {
        found = unreadableValues(declared_, controls(), this);
    } catch (const host::HostError&) {
        return e;  // naming the value is a courtesy; the error stands without it
    }
    if (found.isEmpty()) return e;
    return host::HostError(
        e.number(), e.source(),
        QStringLiteral("系统参数没有全部读出：下面的参数存的值超出了它能取的范围，无法读取。\n%1\n"
                       "对话框只能查看，不能保存；账套没有被改动。请改正这个值后重新打开。")
            .arg(found.join(u'\n')));
}

QList<const params::Param*> frmSystemProfiles::parameters() const {
    return shared_->baseline.params();
}
QString frmSystemProfiles::loadedText(const params::Param& p) const {
    return shared_->baseline.storedText(p);
}

// ----- Auto-invoice audit ----------------------------------------------------

void frmSystemProfiles::takeAutoInvoiceSnapshot() {
    using namespace params::business;
    auto box = [this](const params::Param& p) {
        return QString::number(frame::Controls::checkValue(controls().get<QCheckBox>(p.control)));
    };
    auto list = [this](const params::Param& p) {
        return controls().get<QComboBox>(p.second)->currentText();
    };
    shared_->AutoInvoiceSnapshot =
        QStringList{
            box(AutoMakeInvoiceCG), list(AutoMakeInvoiceCG), box(AutoHookAfterCheckPurVachour),
            box(AutoMakeInvoiceXS), list(AutoMakeInvoiceXS), box(AutoHookAfterCheckSalVachour)}
            .join(u',');
}

// Switching on automatic invoices or hooking is recorded in the management log.
void frmSystemProfiles::auditAutoInvoice() {
    using namespace params::business;
    const QStringList fields = shared_->AutoInvoiceSnapshot.split(u',');
    auto field = [&fields](int i) { return fields.value(i); };
    auto nowOn = [this](const params::Param& p) {
        return frame::Controls::checkValue(controls().get<QCheckBox>(p.control)) == 1;
    };
    QStringList events;
    auto invoice = [&](int flag, int kind, const params::Param& p, const char* special,
                       const char* common) {
        if (field(flag) != QLatin1String("0") || !nowOn(p)) return;
        if (field(kind) == QStringLiteral("专用发票")) events << QString::fromLatin1(special);
        if (field(kind) == QStringLiteral("普通发票")) events << QString::fromLatin1(common);
    };
    invoice(0, 1, AutoMakeInvoiceCG, "CheckCGAutoInvSpe", "CheckCGAutoInvCom");
    invoice(3, 4, AutoMakeInvoiceXS, "CheckXSAutoInvSpe", "CheckXSAutoInvCom");
    if (field(2) == QLatin1String("0") && nowOn(AutoHookAfterCheckPurVachour))
        events << QStringLiteral("CheckCGAutoHook");
    if (field(5) == QLatin1String("0") && nowOn(AutoHookAfterCheckSalVachour))
        events << QStringLiteral("CheckXSAutoHook");
    for (const QString& event : events) {
        // One event that cannot be recorded does not stop the others.
        ignoringErrors("management log", [&event] {
            auto frameData = createObject<FrameData>();
            frameData->setPropString(GetPropsString());
            frameData->WriteMGLog(QStringLiteral("C001C039"), event);
        });
    }
    takeAutoInvoiceSnapshot();
}

}  // namespace zx::profiles
