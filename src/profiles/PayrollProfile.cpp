// Payroll parameters in the frame framPA of the financial page.

#include <QCheckBox>

#include "zx/host/AssetServices.h"
#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

const QString kPA = QStringLiteral("PA");
const QString kCheckBeforeClose = QStringLiteral("CheckBeforeClose");

// Payroll and personnel checks the page does not offer; every save turns them off.
const char* const kAlwaysOff[] = {"ReCheckBeforeClose", "ChkPrnPARpt", "PaIsClsPeriodClose",
                                  "HRViewDataCheck", "HRViewDataRecheck"};

}  // namespace

void frmSystemProfiles::LoadPayroll() {
    try {
        GetGLProfile()->Refresh();
        auto* period = C<QCheckBox>(QStringLiteral("ChkPeriod"));
        auto* checkBeforeClose = C<QCheckBox>(QStringLiteral("chkCheckBeClose"));
        period->setEnabled(CanModify);
        checkBeforeClose->setEnabled(CanModify);
        // Closing follows the ledger's periods unless the user says otherwise now.
        setCheckValue(period, 1);
        auto payroll = createObject<PASystemProfile>();
        setCheckValue(
            checkBeforeClose,
            Val(payroll->GetSystemProfile(kPA, kCheckBeforeClose, QStringLiteral("0"))) != 0 ? 1
                                                                                             : 0);
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
    }
}

// A payroll service that cannot be made stops the save before anything of
// payroll is written.
bool frmSystemProfiles::CheckPayrollSave() {
    createObject<PASystemProfile>();
    return true;
}

// No error trap of its own: an error ends the master save.
bool frmSystemProfiles::SavePayroll() {
    auto monthEnd = createService<MonthEndUpdate>();
    auto payroll = createObject<PASystemProfile>();
    monthEnd->UpdateSubSys(GetPropsString(), kPA, payroll->PAGetCurrentYear(),
                           payroll->PaGetCurrentPeriod(), 1,
                           C<QCheckBox>(QStringLiteral("ChkPeriod"))->isChecked() ? 1 : 0);

    WaitCursor wait;
    auto writer = createService<BaseSystemProfile>();
    const bool wasOn =
        Val(payroll->GetSystemProfile(kPA, kCheckBeforeClose, QStringLiteral("0"))) != 0;
    const bool isOn = C<QCheckBox>(QStringLiteral("chkCheckBeClose"))->isChecked();
    if (wasOn != isOn) {
        store::writeValue(*writer, kPA, kCheckBeforeClose,
                          isOn ? QStringLiteral("1") : QStringLiteral("0"));
    }
    for (const char* key : kAlwaysOff) {
        store::writeValue(*writer, kPA, QString::fromLatin1(key), QStringLiteral("0"));
    }
    return true;
}

}  // namespace zx::profiles
