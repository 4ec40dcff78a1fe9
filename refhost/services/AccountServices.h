#pragma once

namespace refhost {

class RefHost;

// Registers the services over the chart of accounts:
// - GLView: AccountLookup opens the account selection window
//   (windows/AccountLookup.h); a host without a screen cancels it unless an
//   automation answers it.
// - AccountInfo: GetList(props, 2, filter) returns the accounts matching the
//   filter (a condition on t_Account, as T-SQL), ordered by number, with the
//   columns FAccountID, FNumber, FName, FFullName, FLevel, FParentID,
//   FGroupID, FDC, FDetail, FDetailID and FItemClasses. Other list kinds and
//   a property string of another account set are refused.
void installAccountServices(RefHost& host);

}  // namespace refhost
