// Business start-up and the interlocks between business controls: the start
// state at load, the start-up step of the save, and the reactions of the
// controls to one another. Reactions are tied to the state signals, so a
// value set by the load runs them exactly as a click does.

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QPushButton>
#include <QRadioButton>

#include "BusinessPage.h"
#include "StartPlan.h"
#include "Starts.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"
#include "zx/host/Environment.h"
#include "zx/params/Business.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/rules/Rules.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using params::Param;
using namespace params::business;
using frame::IntText3D;

QString L(const char* s) {
    return QString::fromUtf8(s);
}

// Presets of the batch-number auto-fill types: the auto-fill box and the
// three sort fields (indexes of the batch field list); every order ascending.
struct BatchPreset {
    bool autoFill;
    int fields[3];
};
const BatchPreset kBatchPresets[] = {
    {false, {0, 0, 0}},  // 不启用
    {true, {7, 1, 0}},   // 近效期先出: expiry date, then batch number
    {true, {1, 0, 0}},   // 批号顺序出库: batch number
};
const Param* const kBatchFields[] = {&BatchNo01FieldNameIndex, &BatchNo02FieldNameIndex,
                                     &BatchNo03FieldNameIndex};
const Param* const kBatchOrders[] = {&BatchNo01OrderIndex, &BatchNo02OrderIndex,
                                     &BatchNo03OrderIndex};

// The audit wording of the over-limit control; its save wording is declared.
const char16_t* const kAuditWording[] = {u"继续审核不提示", u"审核时提示，允许继续审核",
                                         u"审核时提示，并不允许审核"};

// Why the audit check of issue bills cannot be ticked now.
QString auditCheckReason() {
    return QStringLiteral("仅在库存更新控制为“单据审核后更新”并选中一项生产领料检查时可选。");
}

// Lists whose tool tip shows the entry chosen.
const Param* const kToolTipLists[] = {&AlertMO,           &AutoMakeInvoiceCG, &AutoMakeInvoiceXS,
                                      &BOMType,           &MakeBillCG,        &MakeBillXS,
                                      &CreditDegree,      &CreditDegreeCG,    &CGOrderDepositType,
                                      &XSOrderDepositType};

}  // namespace

// ----- Steps of the load ---------------------------------------------------

void BusinessPage::startState() {
    const Param* const locked[] = {&UnderStock, &UnderStockCalculate, &UpStockWhenSave};
    if (!s.BusinessStarted) {
        // A business system not yet started proposes this year.
        get<IntText3D>(StartYear.control)->setValue(QDate::currentDate().year());
        enableByRule(StartYear, true);
        for (const Param* p : locked) enableByRule(*p, true);
        s.c.widget(UpDiscountSave.control)->setEnabled(true);
        return;
    }
    enableByRule(StartYear, false);
    for (const Param* p : locked) enableByRule(*p, false);
    enableByRule(ZanGuDiffMethod, false);
    auto* check = s.c.widget(UpDiscountSave.control);
    check->setEnabled(false);
    check->setToolTip(lockReason(StartYear));
}

void BusinessPage::startPeriodState() {
    auto* period = get<IntText3D>(StartPeriod.control);
    const bool open = Val(period->Text()) == 0;
    period->setEnabled(open);
    period->setToolTip(open ? QString() : lockReason(StartYear));
}

void BusinessPage::batchNoPreset() {
    applyBatchNoPreset(true);
}

void BusinessPage::negativeStockBases() {
    // A "check current stock" box is only meaningful under its own date basis.
    for (const auto& [basis, inv] :
         {std::pair{&ShowUnderCalcType, &ShowUnderCalcTypeAInv},
          {&ShowUnderCalcTypeByPeriod, &ShowUnderCalcTypeByPeriodAInv}}) {
        if (ticked(*basis)) continue;
        setTicked(*inv, false);
        enableByRule(*inv, false);
    }
}

void BusinessPage::checkItemButton() {
    auto* button = s.c.widget(ui::cmdSetCheckItem);
    const bool on = ticked(CheckBillPosted);
    button->setEnabled(on);
    button->setToolTip(
        on ? QString() : QStringLiteral("须先选中“%1”。").arg(params::captionOf(CheckBillPosted)));
}

// The audit check exists only under update-after-audit and with one of the
// issue checks; once the business system has started it is fixed.
void BusinessPage::moQtyCheck() {
    auto* check = get<QCheckBox>(UpDiscountSave.control);
    const QString stored = profile_->GetSystemProfile(L("IC"), params::keyOf(UpDiscountSave),
                                                      params::defaultOf(UpDiscountSave));
    const bool afterAudit = selected(UpStockWhenSave) == 0;
    const params::State pair = s.c.state(MoCheckQty);
    const bool issueCheck = pair.values.value(0) != 0 || pair.values.value(1) != 0;
    if (!afterAudit || !issueCheck) {
        check->setEnabled(false);
        check->setToolTip(auditCheckReason());
        frame::Controls::setCheckValue(check, 0);
        remember(UpDiscountSave, stored);
        return;
    }
    if (s.BusinessStarted) {
        check->setEnabled(false);
        check->setToolTip(lockReason(StartYear));
    }
    show(UpDiscountSave, stored);
}

void BusinessPage::alertMOWording() {
    if (ticked(UpDiscountSave)) fillAlertMO(true);
}

// The costing method is fixed once the business system has started.
void BusinessPage::calculateTypeState() {
    enableByRule(CalculateType, Val(storedCurrentYear_) == 0);
}

void BusinessPage::applyBatchNoPreset(bool atLoad) {
    const int type = get<QComboBox>(IsBatchNoAutoFillType.control)->currentIndex();
    if (type < 0 || type >= int(std::size(kBatchPresets))) return;
    const BatchPreset& preset = kBatchPresets[type];
    if (atLoad && !preset.autoFill && ticked(IsBatchNoAutoFill) && s.dialog.CanModify()) {
        // A stored auto-fill without an auto-fill type is corrected at once,
        // whether or not the user saves, by a user who may save; the others
        // see the corrected value and write nothing. When the account set
        // cannot be written now (another process holds it) the correction
        // waits for a later opening: the dialog still opens.
        try {
            store::writeValue(*createService<BaseSystemProfile>(), L("IC"),
                              params::keyOf(IsBatchNoAutoFill), qint32(0));
            remember(IsBatchNoAutoFill, L("0"));
        } catch (const HostError& error) {
            env().dialogService().ShowMessage(
                QStringLiteral("\"出库单据自动带出批号\"的存储值没有更正, 下次打开时再更正: %1")
                    .arg(error.description()));
        }
    }
    setTicked(IsBatchNoAutoFill, preset.autoFill);
    for (int i = 0; i < 3; ++i) {
        get<QComboBox>(kBatchFields[i]->control)->setCurrentIndex(preset.fields[i]);
        get<QComboBox>(kBatchOrders[i]->control)->setCurrentIndex(0);
    }
}

void BusinessPage::fillAlertMO(bool auditWording) {
    auto* combo = get<QComboBox>(AlertMO.control);
    const int index = combo->currentIndex();
    combo->clear();
    for (int i = 0; i < params::itemCount(AlertMO.control); ++i) {
        combo->addItem(auditWording ? QString::fromUtf16(kAuditWording[i])
                                    : params::text(AlertMO.control.items[i]));
    }
    combo->setCurrentIndex(index);
}

// ----- Start-up step of the save -------------------------------------------

bool BusinessPage::startUp(const QString& ledgerYear, const QString& ledgerPeriod,
                           bool ledgerStartOpen) {
    auto* periodBox = get<IntText3D>(StartPeriod.control);
    const rules::BusinessStart facts{
        GetAppInfo().appType, periodBox->isEnabled(), periodBox->Text(), ledgerStartOpen,
        ledgerYear,           ledgerPeriod,           startYear()};
    if (!rules::businessStartDue(facts)) return true;
    if (auto blocked = rules::businessStartBlocked(facts)) return s.dialog.refuse(*blocked);
    if (auto started = startedElsewhere(s, Module::Business)) return s.dialog.refuse(*started);

    s.dialog.refuse(
        {QString(), rules::kBusinessBasePage, QString::fromLatin1(StartPeriod.control.name)});
    const qint32 period = periodBox->Value();
    StartPlan plan(Module::Business);
    for (const auto& [key, value] : {std::pair{"StartYear", facts.year},
                                     {"StartPeriod", period},
                                     {"CurrentYear", facts.year},
                                     {"CurrentPeriod", period}}) {
        plan.write("IC", key, value);
    }
    if (confirmStart(rules::businessStartQuestion(facts.appType), plan)) {
        if (auto refused = rules::businessStartRefusal(facts)) return s.dialog.refuse(*refused);
        plan.perform(*createService<BaseSystemProfile>(), nullptr);
        s.dialog.setTag(L("OK"));
        startedHere(s, Module::Business);
        s.startedNow << (facts.appType == 2 ? L("仓存系统") : L("业务系统")) +
                            QStringLiteral("已启用（%1年第%2期）").arg(facts.year).arg(period);
    }
    if (facts.appType == 2) return true;
    // The audit check of issue bills is fixed from now on: the user confirms it
    // whether or not the start was confirmed.
    const MsgResult answer = env().messageBox(
        L("请确认'生产领料/"
          "委外发料单必须审核后才能入库（库存更新控制为审核后更新时生效）'参数设置，"
          "系统将不允许修改!"),
        MsgButtons::YesNo, MsgIcon::Question, L("Zentrix提示"), &s.dialog);
    return answer == MsgResult::Yes;
}

// ----- Reactions -------------------------------------------------------------

void BusinessPage::connectReactions() {
    connectInterlocks();
    connectProduction();
    QObject::connect(get<QPushButton>(ui::cmdSetCheckItem), &QPushButton::clicked, &s.dialog,
                     [this] {
                         s.dialog.attempt([this] {
                             closing::frmICSystemProfiles dialog(&s.dialog);
                             dialog.exec();
                         });
                     });
    for (const Param* p : kToolTipLists) {
        auto* combo = get<QComboBox>(p->second.name ? p->second : p->control);
        QObject::connect(combo, &QComboBox::currentIndexChanged, &s.dialog,
                         [combo] { combo->setToolTip(combo->currentText()); });
    }
    // Type 1 starts the ledger together with the business system.
    for (const auto& [business, ledger] : {std::pair{&StartYear, &params::periods::StartYear},
                                           {&StartPeriod, &params::periods::StartPeriod}}) {
        auto* box = get<IntText3D>(business->control);
        auto* target = get<IntText3D>(ledger->control);
        QObject::connect(box, &IntText3D::textChanged, &s.dialog, [this, business, box, target] {
            react(*business, [box, target] {
                if (GetAppInfo().appType == 1) target->setText(TrimBlanks(box->Text()));
            });
        });
    }
}

void BusinessPage::connectInterlocks() {
    auto onTick = [this](const Param& p, std::function<void(bool)> reaction) {
        auto* box = get<QCheckBox>(p.control);
        QObject::connect(box, &QCheckBox::stateChanged, &s.dialog, [this, &p, box, reaction] {
            s.dialog.attempt([this, &p, box, reaction] {
                react(p, [box, reaction] { reaction(frame::Controls::checkValue(box) != 0); });
            });
        });
    };
    onTick(CheckBillPosted, [this](bool) { checkItemButton(); });
    for (const Param* p : {&AutoMakeInvoiceCG, &AutoMakeInvoiceXS}) {
        onTick(*p, [this, p](bool on) { s.c.widget(p->second)->setEnabled(on); });
    }
    // The two date bases of the negative-stock check exclude each other;
    // each "check current stock" box follows its basis by its declared rule.
    for (const auto& [self, other] : {std::pair{&ShowUnderCalcType, &ShowUnderCalcTypeByPeriod},
                                      {&ShowUnderCalcTypeByPeriod, &ShowUnderCalcType}}) {
        onTick(*self, [this, other](bool on) {
            if (on) setTicked(*other, false);
        });
    }
    QObject::connect(get<QComboBox>(IsBatchNoAutoFillType.control), &QComboBox::currentIndexChanged,
                     &s.dialog, [this] {
                         s.dialog.attempt([this] {
                             react(IsBatchNoAutoFillType, [this] { applyBatchNoPreset(false); });
                         });
                     });
}

// Production issue checks: the pair excludes itself, and under the audit
// check one of the two must stay ticked.
void BusinessPage::connectProduction() {
    auto* moQty = get<QCheckBox>(UpDiscountSave.control);
    auto* afterAudit = get<QRadioButton>(params::memberName(UpStockWhenSave.control, 0));
    auto pairTicked = [this] {
        const params::State pair = s.c.state(MoCheckQty);
        return pair.values.value(0) != 0 || pair.values.value(1) != 0;
    };
    auto auditState = [moQty, afterAudit, pairTicked] {
        if (afterAudit->isChecked() && pairTicked()) {
            moQty->setEnabled(afterAudit->isEnabled());
            moQty->setToolTip(moQty->isEnabled() ? QString() : lockReason(StartYear));
        } else {
            moQty->setEnabled(false);
            moQty->setToolTip(auditCheckReason());
            frame::Controls::setCheckValue(moQty, 0);
        }
    };
    for (int i = 0; i < 2; ++i) {
        auto* self = get<QCheckBox>(params::memberName(MoCheckQty.control, i));
        auto* other = get<QCheckBox>(params::memberName(MoCheckQty.control, 1 - i));
        QObject::connect(self, &QCheckBox::stateChanged, &s.dialog, [=, this] {
            react(MoCheckQty, [=] {
                auto on = [](QCheckBox* b) { return frame::Controls::checkValue(b) != 0; };
                if (on(moQty) && !on(self)) frame::Controls::setCheckValue(other, 1);
                if (afterAudit->isChecked()) auditState();
                if (on(self)) frame::Controls::setCheckValue(other, 0);
            });
        });
    }
    for (int i = 0; i < 2; ++i) {
        QObject::connect(get<QRadioButton>(params::memberName(UpStockWhenSave.control, i)),
                         &QRadioButton::toggled, &s.dialog,
                         [this, auditState] { react(UpStockWhenSave, auditState); });
    }
    QObject::connect(moQty, &QCheckBox::stateChanged, &s.dialog,
                     [this, moQty] { fillAlertMO(frame::Controls::checkValue(moQty) != 0); });
}

}  // namespace zx::profiles
