#pragma once

#include <QString>

namespace refhost {

class Database;

// Fills an empty account set with the demo company "演示科技有限公司": the
// account-set register, four users (administrator; guest without rights on
// the system parameters; viewer who may view them; editor who may view and
// modify them), a small chart of accounts, the base currency, the natural-year
// periods of 2024 to 2027 and ledger parameters of a ledger not yet started.
// Does nothing when the account set is already registered.
void createDemoAccountSet(Database& db);

// True when the account set has its register row (the demo data, or a set
// of its own); only reads.
bool accountSetRegistered(Database& db);

// Moves the demo set (created first when the set is empty) into the middle
// of 2024: ledger, fixed assets, payroll and cashier started in 2024/1 and
// standing in 2024/6, the whole system not depreciating, three asset cards
// (one without a depreciation method), the month-end rows of the three
// subsystems and cashier journal entries up to 2024/8 (the last two periods
// entered in advance).
void startDemoModules(Database& db);

// Prepares an installation directory and returns its absolute path: the
// product scheme Common/QORBaseScheme.ini (AppType 0), registry.ini naming
// the directory, and the bundled help pages under Help/. Files that exist
// are left alone. Raises zx::host::HostError when the directory cannot be written.
QString ensureInstallDir(const QString& dir);

}  // namespace refhost
