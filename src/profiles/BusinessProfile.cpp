// Business parameters: inventory, purchasing, sales and manufacturing.

#include "zx/profiles/frmSystemProfiles.h"

namespace zx::profiles {

// The option lists are part of the pages' faces.
void frmSystemProfiles::FillBusinessLists() {}

void frmSystemProfiles::LoadBusiness() {}

bool frmSystemProfiles::SaveBusiness() { return true; }

}  // namespace zx::profiles
