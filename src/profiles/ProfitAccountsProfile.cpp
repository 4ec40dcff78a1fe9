// Profit accounts: the current-year profit and profit-distribution accounts
// on the financial page, their checks against the chart of accounts and the
// host's account selection.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>

#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

// GL "AccountType" of the chart whose carry-forward may name several accounts.
constexpr qint32 kCarryForwardChart = 11;
// The page holding the two boxes.
constexpr int kFinancePage = 2;
// Account classes of owner's equity (net assets in the surplus chart).
constexpr qint32 kEquityFrom = 300;
constexpr qint32 kEquityTo = 400;
// AccountInfo list kind of accounts.
constexpr qint32 kAccountList = 2;

// What tells the two boxes apart.
struct EarnBox {
    const char* box;
    const char* other;   // the box it may not equal
    const char* button;  // its selection button
    bool frmSystemProfiles::*changed;
    bool profit;  // the current-year profit box: the carry-forward chart lists accounts here
    const char* adviceHead;
    const char* adviceSecond;
};

const EarnBox kEarn{"txtEarnAcct",
                    "txtEarnAssignAcct",
                    "btnEarnAcct",
                    &frmSystemProfiles::EarnAcctChanged,
                    true,
                    "本年利润科目下挂核算项目",
                    "在自动结转损益时，损益类科目最好下挂核算项目"};
const EarnBox kAssign{"txtEarnAssignAcct",
                      "txtEarnAcct",
                      "btnEarnAssignAcct",
                      &frmSystemProfiles::EarnAssignAcctChanged,
                      false,
                      "利润分配科目下挂核算项目",
                      "在自动结转损益时，以前年度损益调整科目最好下挂核算项目"};

QString S(const char* s) {
    return QString::fromUtf8(s);
}

qint32 accountType() {
    return store::readInt(*GetGLProfile(), QStringLiteral("GL"), QStringLiteral("AccountType"),
                          QStringLiteral("1"));
}

void say(const QString& text) {
    env().dialogService().ShowMessage(text);
}

// The checks of one box. Messages leave the result True; only an error makes
// it False (and the selection window opens again).
bool validateBox(frmSystemProfiles& dialog, const EarnBox& spec) {
    try {
        bool& changed = dialog.*spec.changed;
        if (!changed) return true;
        auto* box = dialog.C<QLineEdit>(S(spec.box));
        const QString text = box->text().trimmed();
        if (box->text() != text) box->setText(text);
        // Cleared after the trim: the trimmed text is the one being checked.
        changed = false;

        if (dialog.C<QLineEdit>(S(spec.other))->text().trimmed() == text) {
            say(QStringLiteral("本年利润科目和利润分配科目不能为同一科目！"));
            box->setFocus();
            return true;
        }
        if (text.isEmpty()) {
            box->setProperty("Tag", QStringLiteral("0"));
            return true;
        }

        auto refuse = [&](const QString& message) {
            dialog.Stab()->setCurrentIndex(kFinancePage);
            say(message);
            box->setFocus();
            return true;
        };
        std::optional<Account> account;
        bool itemClasses = false;
        for (const QString& part : text.split(u',')) {
            account = GetGLData()->GetAccount(part);
            if (!account)
                return refuse(QStringLiteral("科目[") + part + QStringLiteral("]不存在!"));
            if (account->Level != 1) {
                return refuse(QStringLiteral("科目[") + part + QStringLiteral("]必须是总账科目!"));
            }
            if (account->GroupID < kEquityFrom || account->GroupID >= kEquityTo) {
                if (dialog.PublicSectorBooks) {
                    return refuse(QStringLiteral("结余科目必须为净资产类科目!"));
                }
                if (spec.profit && accountType() == kCarryForwardChart) {
                    dialog.Stab()->setCurrentIndex(kFinancePage);
                    box->clear();
                    say(QStringLiteral("结转科目必须为净资产类科目！"));
                    box->setFocus();
                    return true;
                }
                return refuse(QStringLiteral("本年利润科目必须为所有者权益类科目!"));
            }
            if (dialog.HasItemClasses(part)) itemClasses = true;
        }
        box->setProperty("Tag", QString::number(account->AccountID));

        if (itemClasses) {
            say(QStringList{S(spec.adviceHead), S(spec.adviceSecond),
                            QStringLiteral("且包含本年利润科目下挂的核算项目"),
                            QStringLiteral("否则只结转至科目，核算项目为空！")}
                    .join(QStringLiteral("\r\n")));
        }
        return true;
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
    }
    return false;
}

// The selection window for one box, until a choice passes its check, then
// the choice combined with what the box held. Errors reach the caller.
void selectAccount(frmSystemProfiles& dialog, const EarnBox& spec) {
    auto* box = dialog.C<QLineEdit>(S(spec.box));
    if (box->isReadOnly()) return;
    const QString oldText = box->text().trimmed();

    bool chosen = false;
    for (;;) {
        const AccountLookupResult result = GetGLView()->AccountLookup(box->text());
        if (!result.ReturnOK) break;
        box->setText(result.ReturnObject ? result.ReturnObject->Number : QString());
        if (validateBox(dialog, spec)) {
            chosen = true;
            break;
        }
    }

    if (chosen) {
        // The check may have trimmed or cleared the choice.
        const QString number = box->text();
        if (dialog.PublicSectorBooks) {
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

// Leaving a box checks it; a key pressed in it opens the selection window
// instead of typing (except in the carry-forward list, which is typed).
class EarnBoxEvents final : public QObject {
public:
    EarnBoxEvents(frmSystemProfiles& dialog, QLineEdit* earn, QLineEdit* assign)
        : QObject(&dialog), dialog_(dialog), earn_(earn), assign_(assign) {
        earn->installEventFilter(this);
        assign->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool isEarn = watched == earn_;
        if (!isEarn && watched != assign_) return false;
        if (event->type() == QEvent::FocusOut) {
            // Another window taking the focus (a message, the selection
            // window) is no leaving of the box, nor is the dialog going away.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (!dialog_.isVisible() || reason == Qt::ActiveWindowFocusReason ||
                reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason) {
                return false;
            }
            dialog_.guard([this, isEarn] {
                if (isEarn) {
                    dialog_.ValidateEarnAcct();
                } else {
                    dialog_.ValidateEarnAssignAcct();
                }
            });
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* box = static_cast<QLineEdit*>(watched);
            if (box->isReadOnly() || !opensSelection(static_cast<QKeyEvent*>(event)->key())) {
                return false;
            }
            if (isEarn) {
                bool typed = false;
                dialog_.guard([&typed] { typed = accountType() == kCarryForwardChart; });
                if (typed) return false;
            }
            dialog_.guard([this, isEarn] {
                if (isEarn) {
                    dialog_.btnEarnAcct_Click();
                } else {
                    dialog_.btnEarnAssignAcct_Click();
                }
            });
            return true;
        }
        return false;
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
                return false;
            default:
                return true;
        }
    }

    frmSystemProfiles& dialog_;
    QLineEdit* earn_;
    QLineEdit* assign_;
};

}  // namespace

void frmSystemProfiles::LoadEarnAccounts() {
    auto profile = GetGLProfile();
    auto* earn = C<QLineEdit>(QStringLiteral("txtEarnAcct"));
    auto* assign = C<QLineEdit>(QStringLiteral("txtEarnAssignAcct"));
    const qint32 accountType = store::readInt(*profile, QStringLiteral("GL"),
                                              QStringLiteral("AccountType"), QStringLiteral("1"));

    // A box shows the account number; its tag keeps the validated account id.
    auto showAccount = [](QLineEdit* box, const QString& storedId) {
        std::optional<Account> account = GetGLData()->GetAccount(storedId, true);
        if (account) {
            box->setText(account->Number);
            box->setProperty("Tag", QString::number(account->AccountID));
        } else {
            box->clear();
            box->setProperty("Tag", QStringLiteral("0"));
        }
    };

    if (PublicSectorBooks) {
        earn->setText(
            store::readText(*profile, QStringLiteral("GL"), QStringLiteral("EarnAccount")));
        assign->setText(
            store::readText(*profile, QStringLiteral("GL"), QStringLiteral("EarnAssignAccount")));
    } else {
        if (accountType == kCarryForwardChart) {
            setCaption(QStringLiteral("LBEarn"), QStringLiteral("结转科目（可选择多次）："));
            for (const char* name : {"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}) {
                control(QString::fromLatin1(name))->setVisible(false);
            }
            // The list takes the room the distribution account leaves.
            earn->setMinimumWidth(earn->fontMetrics().horizontalAdvance(QStringLiteral("字")) * 32 +
                                  12);
            earn->setText(store::readText(*profile, QStringLiteral("GL"),
                                          QStringLiteral("EarnAccount"),
                                          QStringLiteral("3101,3102")));
        } else {
            showAccount(earn, profile->GlGetEarnAccount());
        }
        showAccount(assign, profile->GLGetEarnAssignAccount());
    }

    earn->setReadOnly(!CanModify);
    assign->setReadOnly(!CanModify);

    auto show = [this](std::initializer_list<const char*> names, bool visible) {
        for (const char* name : names) control(QString::fromLatin1(name))->setVisible(visible);
    };
    if (CompanyTypeValue == 1) {
        if (accountType == kCarryForwardChart) {
            show({"LBEarn", "txtEarnAcct", "btnEarnAcct"}, true);
            show({"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}, false);
        } else {
            show({"btnEarnAcct", "btnEarnAssignAcct"}, CanModify);
        }
    } else {
        show({"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}, false);
        if (accountType != kCarryForwardChart) show({"LBEarn", "txtEarnAcct", "btnEarnAcct"}, true);
    }
}

bool frmSystemProfiles::ValidateEarnAcct() {
    return validateBox(*this, kEarn);
}

bool frmSystemProfiles::ValidateEarnAssignAcct() {
    return validateBox(*this, kAssign);
}

// True when the account or an account below it carries item classes.
bool frmSystemProfiles::HasItemClasses(const QString& number) {
    auto info = createService<AccountInfo>();
    // Trimmed as the ledger looks accounts up; quoted, so an apostrophe typed
    // in the number stays text.
    const QString n = number.trimmed();
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

void frmSystemProfiles::btnEarnAcct_Click() {
    selectAccount(*this, kEarn);
}

void frmSystemProfiles::btnEarnAssignAcct_Click() {
    selectAccount(*this, kAssign);
}

void frmSystemProfiles::connectProfitHandlers() {
    auto* earn = qobject_cast<QLineEdit*>(controls_.value(QStringLiteral("txtEarnAcct")));
    auto* assign = qobject_cast<QLineEdit*>(controls_.value(QStringLiteral("txtEarnAssignAcct")));
    if (!earn || !assign) return;
    // The dialog's own change tracking marks it changed; the flags ask for a check.
    connect(earn, &QLineEdit::textChanged, this,
            [this] { guard([this] { EarnAcctChanged = true; }); });
    connect(assign, &QLineEdit::textChanged, this,
            [this] { guard([this] { EarnAssignAcctChanged = true; }); });
    for (const EarnBox* spec : {&kEarn, &kAssign}) {
        if (auto* b = qobject_cast<QAbstractButton*>(controls_.value(S(spec->button)))) {
            connect(b, &QAbstractButton::clicked, this,
                    [this, spec] { guard([this, spec] { selectAccount(*this, *spec); }); });
        }
    }
    new EarnBoxEvents(*this, earn, assign);
}

}  // namespace zx::profiles
