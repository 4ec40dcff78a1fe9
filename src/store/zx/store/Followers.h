#pragma once

// What follows a parameter outside the parameter table: the account set's
// register lists it under the company name, and the item master's default
// tax rates follow the tax rate. A save and anything that restores a saved
// value (a revert) go through here alike.

#include <QString>

namespace zx::store {

// The register's company name of this account set becomes `name`.
void followCompanyName(const QString& name);

// The item master's default rates (materials' tax rate, customers' value
// added tax rate) become `rate`, a stored tax rate: its leading number.
void followTaxRate(const QString& rate);

}  // namespace zx::store
