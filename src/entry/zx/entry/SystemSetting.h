#pragma once

// The component's public class: the host creates it to show the system
// parameters or to ask whether the ledger already holds data.

#include <QtGlobal>

namespace zx {

class SystemSetting {
public:
    // The system's function "SystemSetting" (C++ keeps a class's own name for
    // its constructor). Checks the view right, shows the parameter dialog
    // modally and returns True when a module start-up was completed.
    bool ShowSystemSetting();

    // True when the account set holds ledger or cash-flow initial balances or
    // fixed-asset changes. Errors of the data service reach the caller.
    bool IsHasInitGLData();

    // True when a voucher exists in a period before (lYear, lPeriod). Errors
    // of the data service reach the caller.
    bool IsHasVoucher(qint32 lYear, qint32 lPeriod);
};

}  // namespace zx
