// Fixed-asset parameters in the frame framFix of the financial page.

#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace zx::profiles {

void frmSystemProfiles::LoadFixedAssets() {}

bool frmSystemProfiles::AllowSetStartYearPeriod() { return false; }

bool frmSystemProfiles::SaveFixedAssets() { return true; }

}  // namespace zx::profiles
