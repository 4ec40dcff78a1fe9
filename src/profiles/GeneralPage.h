#pragma once

// The company page and the ledger options of the financial page: their
// load, their checks before a save, and their writes.

#include <optional>

#include "Page.h"
#include "zx/rules/Rules.h"

namespace zx::profiles {

class GeneralPage : public Page {
public:
    explicit GeneralPage(Shared& shared);
    using Page::save;

    void connectReactions();
    // The enable rules declared with the parameters, for every page.
    void connectDeclaredRules();
    void applyDeclaredRules();

    // Load, in the steps the dialog's load calls them.
    void loadCurrency();
    void loadState(host::SystemProfile& profile);
    void applyScheme();
    void loadLedger(host::SystemProfile& profile);
    void loadPrecisions(host::SystemProfile& profile);
    void loadOrganisation(host::SystemProfile& profile);
    void loadTax(host::SystemProfile& profile);
    void applyAppType();

    // The company-name check that opens every save.
    std::optional<rules::Refusal> checkCompanyName();
    // The checks before anything is written.
    std::optional<rules::Refusal> validate(host::SystemProfile& stored);
    // The taxpayer kind chosen now ("-1" for none).
    QString taxKind() const;
    // Writes the company, ledger and budget parameters.
    void saveLedger(host::ProfileWriter& writer);
    // Writes the precisions of the business modules, the taxpayer kind and the
    // tax rate (after the profit accounts).
    void savePrecisionsAndTax(host::ProfileWriter& writer);

private:
    void loadCompanyName(host::SystemProfile& profile);
    void loadCheckBeforePost(host::SystemProfile& profile);
    void overrideBySpecialItem(host::SystemProfile& profile, const params::Param& p,
                               const char* category, const char* key);
    void saveCompanyName(host::ProfileWriter& writer);
    void saveWriteOff(host::ProfileWriter& writer);
    void saveTax(host::ProfileWriter& writer);
};

}  // namespace zx::profiles
