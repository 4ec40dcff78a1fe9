// Fixed-asset parameters in the frame framFix of the financial page.

#include <QCheckBox>

#include "zx/host/AssetServices.h"
#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;
using zx::store::ParamRule;
using zx::store::ParamSpec;

namespace zx::profiles {

namespace {

const QString kFA = QStringLiteral("FA");

ParamSpec flag(const char* key, const char* control, const char* defaultValue = "0") {
    // A box is ticked unless its text is exactly "0".
    return {kFA, QString::fromLatin1(key), QString::fromLatin1(defaultValue),
            QString::fromLatin1(control), ParamRule::FlagUnlessZero};
}

ParamSpec number(const char* key) {
    return {kFA, QString::fromLatin1(key), QStringLiteral("0"), QString::fromLatin1(key),
            ParamRule::Number};
}

// In the order the page loads them.
const QList<ParamSpec>& loadOrder() {
    static const QList<ParamSpec> specs = {
        flag("FALinkedGL", "ChkFAtoGL"),
        flag("NoDepr", "chkNoDepr"),
        flag("NoVoucher", "chkNoVoucher"),
        flag("MustChecked", "chkMustChecked"),
        flag("VchChecked", "chkVchChecked"),
        flag("LocationFullName", "ChkLocationFullName"),
        flag("ChangeBaseDataNumber", "ChkChangeNumber"),
        flag("MustBalance", "chkBalance"),
        flag("DeptAlterNextDepr", "chkDeptAlterNextDepr"),
        flag("chkVoucherSingle", "chkVouchSingle", "1"),
        number("DeprRateScale"),
        number("DeprRateQty"),
    };
    return specs;
}

// In the order the page saves them, which is not the load order.
const QList<ParamSpec>& saveOrder() {
    static const QList<ParamSpec> specs = [] {
        QList<ParamSpec> out;
        for (const char* key :
             {"FALinkedGL", "NoDepr", "MustChecked", "NoVoucher", "VchChecked", "LocationFullName",
              "ChangeBaseDataNumber", "DeprRateScale", "DeprRateQty", "MustBalance",
              "DeptAlterNextDepr", "chkVoucherSingle"}) {
            for (const ParamSpec& spec : loadOrder()) {
                if (spec.key == QLatin1String(key)) out << spec;
            }
        }
        return out;
    }();
    return specs;
}

}  // namespace

// No error trap of its own: a failure ends the whole page load.
void frmSystemProfiles::LoadFixedAssets() {
    // The link to the ledger is always saved as on; ticking it changes nothing
    // to save, so it does not count as a change.
    disconnect(C<QCheckBox>(QStringLiteral("ChkFAtoGL")), &QCheckBox::stateChanged, this, nullptr);

    auto faData = createObject<FaData>();
    auto profile = faData->SystemProfile();
    profile->Refresh();
    for (const ParamSpec& spec : loadOrder()) {
        store::applyParam(this, spec,
                          profile->GetSystemProfile(spec.category, spec.key, spec.defaultValue));
        control(spec.control)->setEnabled(CanModify);
    }
}

bool frmSystemProfiles::AllowSetStartYearPeriod() {
    return createService<FAPublicInfo>()->AllowSetStartYearPeriod(GetPropsString());
}

bool frmSystemProfiles::SaveFixedAssets() {
    try {
        auto faData = createObject<FaData>();
        faData->FaSysOptionChangeAccessCheck();
        auto profile = faData->SystemProfile();
        const qint32 oldNoDepr =
            profile->GetSystemProfile(kFA, QStringLiteral("NoDepr"), QStringLiteral("0")) ==
                    QLatin1String("0")
                ? 0
                : 1;

        auto writer = createService<BaseSystemProfile>();
        const qint32 startYear = profile->FAGetStartYear();
        const qint32 startPeriod = profile->FAGetStartPeriod();
        const qint32 currentYear = profile->FAGetCurrentYear();
        const qint32 currentPeriod = profile->FAGetCurrentPeriod();
        const bool inStartPeriod = currentYear == startYear && currentPeriod == startPeriod;

        auto* noDeprBox = C<QCheckBox>(QStringLiteral("chkNoDepr"));
        const qint32 noDepr = noDeprBox->isChecked() ? 1 : 0;

        // Periods already closed were depreciated (or not) under the old
        // setting: the cards' remaining periods must follow the switch.
        if (noDepr != oldNoDepr && profile->FAGetClosed() && !inStartPeriod) {
            createService<BalUpdate>()->UpdateDeprPeriods(
                GetPropsString(), noDepr ? QStringLiteral("1") : QStringLiteral("0"));
        }

        setCheckValue(C<QCheckBox>(QStringLiteral("ChkFAtoGL")), 1);
        store::saveParams(this, *writer, saveOrder());

        if (checkValue(noDeprBox) != NoDeprAtStart) {
            store::writeValue(*writer, kFA, QStringLiteral("WithoutDepr"), qint32(1));
        }

        auto monthEnd = createService<MonthEndInfo>();
        auto monthEndUpdate = createService<MonthEndUpdate>();
        qint32 y = 0;
        qint32 p = 0;
        if (monthEnd->ExistsSubSys(GetPropsString(), QStringLiteral("Fa"), y, p)) {
            monthEndUpdate->UpdateSubSys(GetPropsString(), QStringLiteral("Fa"), y, p,
                                         inStartPeriod ? 0 : 1, 1, 0);
        }

        if (oldNoDepr != noDepr && noDepr == 0) {
            env().dialogService().ShowMessage(
                QStringLiteral("已将整个系统设为计提折旧，请为需要计提折旧的卡片选择折旧方法！"));
        }
        return true;
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
    }
    return false;
}

}  // namespace zx::profiles
