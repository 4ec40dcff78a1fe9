#pragma once

// The one-way starts of the ledger, business and cashier modules as this
// dialog loaded them. A start is written only under the save's function
// lock, and only when no other workstation has started the module since
// the load: the dialog would otherwise write its stale start over theirs.

#include <optional>

#include "zx/host/Services.h"
#include "zx/params/Param.h"
#include "zx/rules/Rules.h"

namespace zx::profiles {

struct Shared;

enum class Module { Ledger, Business, Cashier };

// Remembers the stored start of every module (called by the load).
void rememberStarts(Shared& s, host::SystemProfile& profile);

// Read again from the account set: a refusal naming the module and its
// stored start when its start changed since the load, else nothing.
std::optional<rules::Refusal> startedElsewhere(Shared& s, Module module);

// The module whose start the parameter is part of, if any.
std::optional<Module> startOf(const params::Param& p);

// This dialog has just written the module's start: it is the dialog's own.
void startedHere(Shared& s, Module module);

}  // namespace zx::profiles
