#include "zx/entry/SystemSetting.h"

#include <memory>

#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/LedgerData.h"

namespace zx {

namespace {
const QString kCompleted = QStringLiteral("OK");
}  // namespace

bool SystemSetting::ShowSystemSetting() {
    try {
        {
            auto security = host::createService<host::SecurityInfo>();
            // A user without the right is reported by AccessCheck raising.
            security->AccessCheck(GetPropsString(), 18, 0, 1048576, true, QStringLiteral("查看"));
        }
        LoadSessionProps(GetPropsString());

        auto dialog = std::make_unique<profiles::frmSystemProfiles>();
        dialog->setModal(true);
        dialog->exec();

        // The dialog may have been hidden (tag still set) or have unloaded
        // itself (tag copied into ResultTag): either marker counts.
        const bool completed = dialog->ResultTag == kCompleted || dialog->Tag() == kCompleted;
        dialog->ResultTag.clear();
        dialog->close();  // unload
        dialog.reset();
        return completed;
    } catch (const host::HostError& error) {
        // The one error trap of the entry: a missing right, a service that
        // cannot be made, an error escaping the dialog.
        host::env().dialogService().ShowError(error, {});
    } catch (const std::exception& error) {
        // Any other failure is shown the same way rather than ending the host.
        host::env().dialogService().ShowError(
            host::HostError(host::kGenericError, QStringLiteral("SystemSetting"),
                            QString::fromLocal8Bit(error.what())),
            {});
    }
    return false;
}

bool SystemSetting::IsHasInitGLData() {
    return store::hasInitialLedgerData();
}

bool SystemSetting::IsHasVoucher(qint32 lYear, qint32 lPeriod) {
    return store::hasVoucherBefore(lYear, lPeriod);
}

}  // namespace zx
