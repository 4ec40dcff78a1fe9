// Business start-up and the interlocks between business controls.

#include "zx/profiles/frmSystemProfiles.h"

namespace zx::profiles {

void frmSystemProfiles::connectBusinessHandlers() {}
void frmSystemProfiles::ShowBusinessStartState(bool started) { BusinessStarted = started; }
void frmSystemProfiles::ShowBusinessStartPeriodState() {}
void frmSystemProfiles::ApplySecQtyIsMustState() {}
void frmSystemProfiles::ApplyCheckItemButton() {}
void frmSystemProfiles::ApplyNegativeStockBases() {}
void frmSystemProfiles::ApplyBatchNoPreset(bool) {}
void frmSystemProfiles::LoadMOQtyCheck(const std::function<QString()>&) {}
void frmSystemProfiles::FillAlertMOList(bool) {}
bool frmSystemProfiles::BusinessStartUp() { return true; }
void frmSystemProfiles::cmdSetCheckItem_Click() {}

}  // namespace zx::profiles
