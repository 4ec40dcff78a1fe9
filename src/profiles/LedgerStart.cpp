// The ledger start and the guard of the write-off switch.

#include <QDate>
#include <QLineEdit>

#include "PeriodsPage.h"
#include "Starts.h"
#include "zx/frame/IntText3D.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using frame::IntText3D;
using namespace params::periods;

QString L(const char* s) {
    return QString::fromLatin1(s);
}

}  // namespace

std::variant<StartPlan, QString> PeriodsPage::planLedgerStart() {
    auto base = createService<BaseSystemProfile>();
    const QString props = GetPropsString();
    auto read = [&](const char* category, const char* key, const char* def) {
        const QString value = base->GetProfile(props, L(category), L(key));
        return value.isEmpty() ? L(def) : value;
    };
    const qint16 periodCount = store::roundToInt16(Val(read("GL", "PeriodCount", "0")));
    if (periodCount != 12 && periodCount != 13) return QStringLiteral("会计期间未设置!");
    const double typedPeriod = Val(get<IntText3D>(StartPeriod.control)->Text());
    if (typedPeriod > 13 || typedPeriod < 0) return QStringLiteral("会计期间设置错误!");
    const qint16 startYear = store::roundToInt16(Val(get<IntText3D>(StartYear.control)->Text()));
    const qint32 startPeriod = store::roundToInt32(typedPeriod);
    if (startPeriod < 1 || startPeriod > periodCount) return QStringLiteral("启用会计期间不正确!");

    StartPlan plan(Module::Ledger);
    plan.fixCurrency({get<QLineEdit>(ui::txtCyNumber)->text(),
                      get<QLineEdit>(ui::txtCyName)->text(),
                      get<IntText3D>(ui::txtCyScale)->Value()});
    auto calendar = [&](const char* category) {
        plan.write(category, "CurrentYear", startYear, true);
        plan.write(category, "CurrentPeriod", startPeriod, true);
        plan.write(category, "StartYear", startYear, true);
        plan.write(category, "StartPeriod", startPeriod, true);
    };
    calendar("GL");
    plan.write("GL", "Closed", L("1"), true);
    // Payroll and fixed assets start with the ledger, on its calendar.
    calendar("PA");
    plan.write("FA", "YearDifference", store::roundToInt16(Val(read("GL", "YearDifference", "0"))),
               true);
    plan.write("FA", "CheckBeforeClosed", L("0"), false);
    plan.write("FA", "StartYear", startYear, true);
    plan.write("FA", "StartPeriod", startPeriod, true);
    plan.write("FA", "PeriodCount", periodCount, true);
    plan.write("FA", "PeriodByMonth", store::roundToInt16(Val(read("GL", "PeriodByMonth", "1"))),
               true);
    plan.write("FA", "PeriodDates", read("GL", "PeriodDates", "12"), true);
    for (const char* key : {"Closed", "NoVoucher"}) plan.write("FA", key, L("0"), false);
    plan.write("FA", "FALinkedGL", L("1"), false);
    for (const char* key : {"NoDepr", "WithoutDepr"}) plan.write("FA", key, L("0"), false);
    plan.write("FA", "CurrentYear", startYear, true);
    plan.write("FA", "CurrentPeriod", startPeriod, true);
    plan.write("FA", "StartDate", QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
               false);
    return plan;
}

bool PeriodsPage::CloseInit() {
    const std::variant<StartPlan, QString> planned = planLedgerStart();
    if (const auto* why = std::get_if<QString>(&planned)) {
        env().dialogService().ShowMessage(*why);
        return false;
    }
    s.dialog.setTag(QStringLiteral("OK"));
    auto base = createService<BaseSystemProfile>();
    std::get<StartPlan>(planned).perform(*base, base.get());
    auto* startYearBox = get<IntText3D>(StartYear.control);
    auto* startPeriodBox = get<IntText3D>(StartPeriod.control);
    startYearBox->setEnabled(false);
    startPeriodBox->setEnabled(false);
    get<QLineEdit>(CurrentYear.control)->setText(startYearBox->Text());
    get<QLineEdit>(CurrentPeriod.control)->setText(startPeriodBox->Text());
    s.LedgerStarted = true;
    startedHere(s, Module::Ledger);
    s.startedNow << QStringLiteral("总账已启用（%1年第%2期）")
                        .arg(store::roundToInt16(Val(startYearBox->Text())))
                        .arg(store::roundToInt32(Val(startPeriodBox->Text())));
    return true;
}

// Raises for a parameter the group controls; its error ends the save.
bool PeriodsPage::CheckTransCheckStartLevel() {
    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral(" Select FReadonly, FLevel From t_SystemProfile  Where FCategory = 'GL' "
                       "and FKey = 'TransCheckStart'"));
    if (rs && rs->RecordCount() > 0) {
        rs->MoveFirst();
        QString level = rs->Field(QStringLiteral("FLevel")).toString();
        if (level.isEmpty()) level = L("2");
        if (level == QLatin1String("8")) {
            throw HostError(5, QStringLiteral("系统参数"),
                            QStringLiteral("集团控制参数【启用往来业务核销】不能修改！"));
        }
    }
    return true;
}

// The balances service decides whether write-off may be switched now; its
// errors are told as a message, and the switch is not saved.
bool PeriodsPage::ApplyTransCheckStart() {
    try {
        const qint32 oldFlag = store::roundToInt32(
            Val(GetGLProfile()->GetSystemProfile(L("GL"), L("TransCheckStart"), L("0"))));
        const qint32 newFlag = ticked(params::ledger::TransCheckStart) ? 1 : 0;
        if (oldFlag == newFlag) return true;
        QVariantMap flags{{L("OldFlag"), oldFlag}, {L("NewFlag"), newFlag}, {L("SuccessFlag"), 0}};
        bool switched = false;
        // A refusal of the service undoes what it wrote, and the save goes on.
        store::WriteUnit::part([&] {
            switched =
                createService<InitializeBalance>()->SetInitTransCheck(GetPropsString(), flags);
        });
        if (switched) return true;
        switch (flags.value(L("SuccessFlag"), 0).toInt()) {
            case -1:
                env().dialogService().ShowMessage(
                    QStringLiteral("已经有业务数据进行了核销，不能取消已启用的往来业务核销。"));
                return false;
            case 0:
                env().dialogService().ShowMessage(
                    QStringLiteral("不能改变初始化数据，‘启用往来业务核销’不能改变。"));
                return false;
            default:
                return true;
        }
    } catch (const HostError& e) {
        env().dialogService().ShowMessage(e.description());
        return false;
    }
}

}  // namespace zx::profiles
