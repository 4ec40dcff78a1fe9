#pragma once

// The profit accounts on the financial page: the current-year profit and the
// profit-distribution account, their checks against the chart of accounts,
// the host's account selection, and their save.

#include <optional>

#include "Page.h"

namespace zx::profiles {

class ProfitPage : public Page {
public:
    explicit ProfitPage(Shared& shared);

    void connectReactions();
    void load(host::SystemProfile& profile);
    void save(host::ProfileWriter& writer);

    bool ValidateEarnAcct();
    bool ValidateEarnAssignAcct();
    bool HasItemClasses(const QString& number);
    void btnEarnAcct_Click();
    void btnEarnAssignAcct_Click();
    // A stored profit account in the user's words: its number and name;
    // nullopt for any other parameter.
    std::optional<QString> accountWords(const params::Param& p, const QString& stored) const;

    struct Box;

private:
    bool validate(const Box& box);
    void select(const Box& box);
    void showAccount(const params::Param& p, const QString& storedId);
};

// The chart whose profit account is a list of account numbers (GL "AccountType").
qint32 accountType();
inline constexpr qint32 kCarryForwardChart = 11;

}  // namespace zx::profiles
