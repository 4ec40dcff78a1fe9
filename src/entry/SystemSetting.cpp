#include "zx/entry/SystemSetting.h"

#include <memory>

#include "zx/host/Environment.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace zx {

namespace {

const QString kCompleted = QStringLiteral("OK");

// True when the query gives at least one row; no record set counts as none.
bool hasRows(const QString& sql) {
    auto classInfo = host::createObject<host::ClassInfo>();
    const host::RecordSetPtr records = classInfo->GetData(GetPropsString(), sql);
    classInfo.reset();
    return records && records->RecordCount() > 0;
}

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
        host::env().dialogService().ShowError(error, {});
    } catch (const std::exception& error) {
        host::env().dialogService().ShowError(
            host::HostError(host::kGenericError, QStringLiteral("SystemSetting"),
                            QString::fromLocal8Bit(error.what())),
            {});
    }
    return false;
}

bool SystemSetting::IsHasInitGLData() {
    return hasRows(QStringLiteral(
        "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union "
        "select top 1 1 from t_FAAlter "));
}

bool SystemSetting::IsHasVoucher(qint32 lYear, qint32 lPeriod) {
    const QString year = QString::number(lYear);
    return hasRows(QStringLiteral("Select top 1 1 from t_Voucher where FYear<") + year +
                   QStringLiteral(" or (FYear=") + year + QStringLiteral(" and FPeriod<") +
                   QString::number(lPeriod) + QStringLiteral(")"));
}

}  // namespace zx
