// Cashier parameters on the cashier page.

#include "zx/profiles/frmSystemProfiles.h"

namespace zx::profiles {

void frmSystemProfiles::LoadCashier() {}

void frmSystemProfiles::GetMaxPeriod(qint32& lngYear, qint32& lngPeriod, bool) {
    lngYear = 0;
    lngPeriod = 0;
}

bool frmSystemProfiles::SaveCashier() { return true; }

}  // namespace zx::profiles
