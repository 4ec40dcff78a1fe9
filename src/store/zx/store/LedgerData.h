#pragma once

// The two questions the host may ask the component, and the dialog asks
// itself before it lets the ledger start: whether the ledger already holds
// initial data, and whether it holds vouchers before a period.

#include <QtGlobal>

namespace zx::store {

// True when the account set holds ledger or cash-flow initial balances or
// fixed-asset changes. Errors of the data service reach the caller.
bool hasInitialLedgerData();

// True when a voucher exists in a period before (year, period).
bool hasVoucherBefore(qint32 year, qint32 period);

}  // namespace zx::store
