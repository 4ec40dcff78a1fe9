// Profit accounts: the current-year profit and profit-distribution accounts
// on the financial page.

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {
// GL "AccountType" of the chart whose carry-forward may name several accounts.
constexpr qint32 kCarryForwardChart = 11;
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
        earn->setText(store::readText(*profile, QStringLiteral("GL"), QStringLiteral("EarnAccount")));
        assign->setText(
            store::readText(*profile, QStringLiteral("GL"), QStringLiteral("EarnAssignAccount")));
    } else {
        if (accountType == kCarryForwardChart) {
            setCaption(QStringLiteral("LBEarn"), QStringLiteral("结转科目（可选择多次）："));
            for (const char* name : {"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}) {
                control(QString::fromLatin1(name))->setVisible(false);
            }
            earn->setText(store::readText(*profile, QStringLiteral("GL"),
                                          QStringLiteral("EarnAccount"), QStringLiteral("3101,3102")));
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

// The account checks come with the save; until then the boxes pass as typed.
bool frmSystemProfiles::ValidateEarnAcct() { return true; }

}  // namespace zx::profiles
