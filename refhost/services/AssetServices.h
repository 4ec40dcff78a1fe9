#pragma once

namespace refhost {

class RefHost;

// Registers the services of the fixed-asset, payroll and cashier modules:
//
// - FaData: the fixed-asset profile (category "FA", read from a snapshot
//   taken at the first read after a Refresh; the module counts as started
//   when "Closed" is "1") and the check that the logged-in user may change
//   the fixed-asset options (an administrator or a holder of the modify
//   right of the system parameters).
// - FAPublicInfo: the start year and period may be set while the module is
//   not started and holds no asset cards or changes.
// - BalUpdate: UpdateDeprPeriods sets the periods each card of t_FACard
//   still depreciates: 0 for all when the system stops depreciating ("1");
//   life less periods used for cards with a depreciation method, 0 for the
//   others, when it depreciates again ("0").
// - MonthEndInfo / MonthEndUpdate: the rows of t_MonthEndSubSys.
// - CashierSysInfo: the latest (year, period) of t_CashJournal.
//
// Every operation with a session property string refuses one that does not
// name this host's account set.
void installAssetServices(RefHost& host);

}  // namespace refhost
