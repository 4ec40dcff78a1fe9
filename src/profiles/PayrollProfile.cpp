// Payroll parameters in the frame framPA of the financial page.

#include "zx/profiles/frmSystemProfiles.h"

namespace zx::profiles {

void frmSystemProfiles::LoadPayroll() {}

bool frmSystemProfiles::SavePayroll() { return true; }

}  // namespace zx::profiles
