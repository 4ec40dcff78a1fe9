// Profit accounts: the boxes, their checks against the chart of accounts,
// the account selection window, the keys and focus of the boxes, the save.

#include "ProfitPage.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

using params::profit::EarnAccount;
using params::profit::EarnAssignAccount;

// What tells the two boxes apart.
struct ProfitPage::Box {
    const params::Param& param;
    const params::Param& other;  // the box it may not equal
    const params::Control& button;
    bool Shared::*changed;
    bool profit;  // the profit box: the carry-forward chart lists accounts here
    const char16_t* adviceHead;
    const char16_t* adviceSecond;
};

namespace {

// The page holding the two boxes, and the account classes of owner's equity
// (net assets in the surplus chart).
constexpr int kFinancePage = 2;
constexpr qint32 kEquityFrom = 300;
constexpr qint32 kEquityTo = 400;
// AccountInfo list kind of accounts.
constexpr qint32 kAccountList = 2;

const ProfitPage::Box kEarn{EarnAccount,
                            EarnAssignAccount,
                            ui::btnEarnAcct,
                            &Shared::EarnAcctChanged,
                            true,
                            u"本年利润科目下挂核算项目",
                            u"在自动结转损益时，损益类科目最好下挂核算项目"};
const ProfitPage::Box kAssign{EarnAssignAccount,
                              EarnAccount,
                              ui::btnEarnAssignAcct,
                              &Shared::EarnAssignAcctChanged,
                              false,
                              u"利润分配科目下挂核算项目",
                              u"在自动结转损益时，以前年度损益调整科目最好下挂核算项目"};

QString gl() {
    return QStringLiteral("GL");
}

void say(const QString& text) {
    env().dialogService().ShowMessage(text);
}

}  // namespace

qint32 accountType() {
    return store::readInt(*GetGLProfile(), gl(), QStringLiteral("AccountType"),
                          QStringLiteral("1"));
}

ProfitPage::ProfitPage(Shared& shared) : Page(shared) {}

void ProfitPage::showAccount(const params::Param& p, const QString& storedId) {
    auto* box = get<QLineEdit>(p.control);
    const std::optional<Account> account = GetGLData()->GetAccount(storedId, true);
    box->setText(account ? account->Number : QString());
    box->setProperty("Tag", account ? QString::number(account->AccountID) : QStringLiteral("0"));
}

std::optional<QString> ProfitPage::accountWords(const params::Param& p,
                                                const QString& stored) const {
    if (&p != &EarnAccount && &p != &EarnAssignAccount) return std::nullopt;
    if (stored.trimmed().isEmpty()) return QStringLiteral("（空）");
    // Public-sector books and the carry-forward list store account numbers;
    // any other chart the account's id.
    const bool numbers =
        s.PublicSectorBooks || (&p == &EarnAccount && accountType() == kCarryForwardChart);
    QStringList parts;
    for (const QString& part : numbers ? stored.split(u',') : QStringList{stored}) {
        const std::optional<Account> account = GetGLData()->GetAccount(part.trimmed(), !numbers);
        parts << (account ? account->Number + u' ' + account->Name
                          : part.trimmed() + QStringLiteral("（科目不存在）"));
    }
    return parts.join(QStringLiteral("，"));
}

void ProfitPage::load(SystemProfile& profile) {
    const qint32 type = accountType();
    auto* earn = get<QLineEdit>(EarnAccount.control);
    for (const params::Param* p : {&EarnAccount, &EarnAssignAccount}) {
        remember(*p, profile.GetSystemProfile(gl(), params::keyOf(*p), QString()));
    }
    if (s.PublicSectorBooks) {
        earn->setText(profile.GetSystemProfile(gl(), params::keyOf(EarnAccount), QString()));
        get<QLineEdit>(EarnAssignAccount.control)
            ->setText(profile.GetSystemProfile(gl(), params::keyOf(EarnAssignAccount), QString()));
    } else {
        if (type == kCarryForwardChart) {
            get<QLabel>("LBEarn")->setText(QStringLiteral("结转科目（可选择多次）："));
            for (const char* name : {"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}) {
                s.c.widget(QString::fromLatin1(name))->setVisible(false);
            }
            // The list takes the room the distribution account leaves.
            earn->setMinimumWidth(earn->fontMetrics().horizontalAdvance(u'字') * 32 + 12);
            earn->setText(profile.GetSystemProfile(gl(), params::keyOf(EarnAccount),
                                                   QStringLiteral("3101,3102")));
        } else {
            showAccount(EarnAccount, profile.GlGetEarnAccount());
        }
        showAccount(EarnAssignAccount, profile.GLGetEarnAssignAccount());
    }
    auto show = [this](std::initializer_list<const char*> names, bool visible) {
        for (const char* name : names) s.c.widget(QString::fromLatin1(name))->setVisible(visible);
    };
    if (s.CompanyTypeValue == 1) {
        if (type == kCarryForwardChart) {
            show({"LBEarn", "txtEarnAcct", "btnEarnAcct"}, true);
            show({"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}, false);
        } else {
            show({"btnEarnAcct", "btnEarnAssignAcct"}, s.dialog.CanModify());
        }
    } else {
        show({"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}, false);
        if (type != kCarryForwardChart) show({"LBEarn", "txtEarnAcct", "btnEarnAcct"}, true);
    }
}

// What the boxes hold and what is stored depends on the chart; each is
// written only when the user changed its box.
void ProfitPage::save(ProfileWriter& writer) {
    auto* earn = get<QLineEdit>(EarnAccount.control);
    auto* assign = get<QLineEdit>(EarnAssignAccount.control);
    auto write = [&writer](const params::Param& p, const QString& text) {
        store::writeValue(writer, gl(), params::keyOf(p), text);
    };
    if (s.PublicSectorBooks) {
        if (changed(EarnAccount)) write(EarnAccount, earn->text());
        if (changed(EarnAssignAccount)) write(EarnAssignAccount, assign->text());
    } else if (accountType() == kCarryForwardChart) {
        if (changed(EarnAccount)) write(EarnAccount, earn->text());
    } else {
        if (changed(EarnAccount)) write(EarnAccount, earn->property("Tag").toString());
        if (changed(EarnAssignAccount)) {
            write(EarnAssignAccount, assign->property("Tag").toString());
        }
    }
}

// The checks of one box. Messages leave the result true; only an error makes
// it false (and the selection window opens again).
bool ProfitPage::validate(const Box& spec) {
    return s.dialog.attempt([this, &spec] {
        bool& flag = s.*spec.changed;
        if (!flag) return true;
        auto* box = get<QLineEdit>(spec.param.control);
        const QString text = TrimBlanks(box->text());
        if (box->text() != text) box->setText(text);
        // Cleared after the trim: the trimmed text is the one being checked.
        flag = false;

        if (TrimBlanks(get<QLineEdit>(spec.other.control)->text()) == text) {
            say(QStringLiteral("本年利润科目和利润分配科目不能为同一科目！"));
            box->setFocus();
            return true;
        }
        if (text.isEmpty()) {
            box->setProperty("Tag", QStringLiteral("0"));
            return true;
        }
        auto refuse = [&](const QString& message) {
            s.dialog.Stab()->setCurrentIndex(kFinancePage);
            say(message);
            box->setFocus();
            return true;
        };
        std::optional<Account> account;
        bool itemClasses = false;
        for (const QString& part : text.split(u',')) {
            account = GetGLData()->GetAccount(part);
            if (!account) return refuse(QStringLiteral("科目[%1]不存在!").arg(part));
            if (account->Level != 1)
                return refuse(QStringLiteral("科目[%1]必须是总账科目!").arg(part));
            if (account->GroupID < kEquityFrom || account->GroupID >= kEquityTo) {
                if (s.PublicSectorBooks)
                    return refuse(QStringLiteral("结余科目必须为净资产类科目!"));
                if (spec.profit && accountType() == kCarryForwardChart) {
                    s.dialog.Stab()->setCurrentIndex(kFinancePage);
                    box->clear();
                    say(QStringLiteral("结转科目必须为净资产类科目！"));
                    box->setFocus();
                    return true;
                }
                return refuse(QStringLiteral("本年利润科目必须为所有者权益类科目!"));
            }
            if (HasItemClasses(part)) itemClasses = true;
        }
        box->setProperty("Tag", QString::number(account->AccountID));
        if (itemClasses) {
            say(QStringList{QString::fromUtf16(spec.adviceHead),
                            QString::fromUtf16(spec.adviceSecond),
                            QStringLiteral("且包含本年利润科目下挂的核算项目"),
                            QStringLiteral("否则只结转至科目，核算项目为空！")}
                    .join(QStringLiteral("\r\n")));
        }
        return true;
    });
}

bool ProfitPage::ValidateEarnAcct() {
    return validate(kEarn);
}

bool ProfitPage::ValidateEarnAssignAcct() {
    return validate(kAssign);
}

// True when the account or an account below it carries item classes.
bool ProfitPage::HasItemClasses(const QString& number) {
    auto info = createService<AccountInfo>();
    // Trimmed as the ledger looks accounts up; quoted, so an apostrophe typed
    // in the number stays text.
    const QString n = TrimBlanks(number);
    const QString filter = QStringLiteral("FNumber = ") + SqlQuote(n, true, false) +
                           QStringLiteral(" Or FNumber Like ") +
                           SqlQuote(n + QStringLiteral(".%"), true, false);
    RecordSetPtr rows = info->GetList(GetPropsString(), kAccountList, filter);
    if (!rows) return false;
    for (; !rows->Eof(); rows->MoveNext()) {
        if (rows->Field(QStringLiteral("FDetailID")).toDouble() > 0) return true;
    }
    return false;
}

// The selection window for one box, until a choice passes its check, then
// the choice combined with what the box held.
void ProfitPage::select(const Box& spec) {
    auto* box = get<QLineEdit>(spec.param.control);
    if (box->isReadOnly()) return;
    const QString oldText = TrimBlanks(box->text());
    bool chosen = false;
    for (;;) {
        const AccountLookupResult result = GetGLView()->AccountLookup(box->text());
        if (!result.ReturnOK) break;
        box->setText(result.ReturnObject ? result.ReturnObject->Number : QString());
        if (validate(spec)) {
            chosen = true;
            break;
        }
    }
    if (chosen) {
        // The check may have trimmed or cleared the choice.
        const QString number = box->text();
        if (s.PublicSectorBooks) {
            box->setText(oldText.isEmpty() ? number : oldText + u',' + number);
        } else if (spec.profit && accountType() == kCarryForwardChart) {
            if (number.isEmpty()) {
                box->setText(oldText);
            } else if (!oldText.isEmpty() && !oldText.split(u',').contains(number)) {
                box->setText(oldText + u',' + number);
            }
            // A number already listed stays alone in the box.
        }
    }
    box->setFocus();
    QCoreApplication::processEvents();
    env().dialogService().TextFocus(box);
}

void ProfitPage::btnEarnAcct_Click() {
    select(kEarn);
}

void ProfitPage::btnEarnAssignAcct_Click() {
    select(kAssign);
}

namespace {

// Leaving a box checks it; a key pressed in it opens the selection window
// instead of typing (except in the carry-forward list, which is typed).
class EarnBoxEvents final : public QObject {
public:
    EarnBoxEvents(frmSystemProfiles& dialog, ProfitPage& page, QLineEdit* earn, QLineEdit* assign)
        : QObject(&dialog), dialog_(dialog), page_(page), earn_(earn) {
        earn->installEventFilter(this);
        assign->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool isEarn = watched == earn_;
        if (event->type() == QEvent::FocusOut) {
            // Another window taking the focus (a message, the selection
            // window) is no leaving of the box, nor is the dialog going away.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (!dialog_.isVisible() || reason == Qt::ActiveWindowFocusReason ||
                reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) {
                return false;
            }
            isEarn ? page_.ValidateEarnAcct() : page_.ValidateEarnAssignAcct();
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        auto* box = static_cast<QLineEdit*>(watched);
        if (box->isReadOnly() || !opensSelection(static_cast<QKeyEvent*>(event)->key())) {
            return false;
        }
        bool typed = false;
        if (isEarn) dialog_.attempt([&typed] { typed = accountType() == kCarryForwardChart; });
        if (typed) return false;
        dialog_.attempt([this, isEarn] {
            isEarn ? page_.btnEarnAcct_Click() : page_.btnEarnAssignAcct_Click();
        });
        return true;
    }

private:
    // Keys that move the focus or close the dialog keep their meaning, and a
    // modifier alone is not yet a key (Shift+Tab must still leave the box).
    static bool opensSelection(int key) {
        switch (key) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
            case Qt::Key_Shift:
            case Qt::Key_Control:
            case Qt::Key_Alt:
            case Qt::Key_Meta:
            case Qt::Key_AltGr:
            case Qt::Key_F1:
                return false;
            default:
                return true;
        }
    }

    frmSystemProfiles& dialog_;
    ProfitPage& page_;
    QLineEdit* earn_;
};

}  // namespace

void ProfitPage::connectReactions() {
    auto* earn = get<QLineEdit>(EarnAccount.control);
    auto* assign = get<QLineEdit>(EarnAssignAccount.control);
    // The dialog's change tracking marks it changed; the flags ask for a check.
    QObject::connect(earn, &QLineEdit::textChanged, &s.dialog,
                     [this] { s.EarnAcctChanged = true; });
    QObject::connect(assign, &QLineEdit::textChanged, &s.dialog,
                     [this] { s.EarnAssignAcctChanged = true; });
    QObject::connect(get<QAbstractButton>(ui::btnEarnAcct), &QAbstractButton::clicked, &s.dialog,
                     [this] { s.dialog.attempt([this] { btnEarnAcct_Click(); }); });
    QObject::connect(get<QAbstractButton>(ui::btnEarnAssignAcct), &QAbstractButton::clicked,
                     &s.dialog,
                     [this] { s.dialog.attempt([this] { btnEarnAssignAcct_Click(); }); });
    new EarnBoxEvents(s.dialog, *this, earn, assign);
}

}  // namespace zx::profiles
