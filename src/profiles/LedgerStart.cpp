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

struct Write {
    const char* category;
    const char* key;
    QVariant value;
    bool flag;
};

void writeAll(BaseSystemProfile& base, std::initializer_list<Write> writes) {
    for (const Write& w : writes) {
        base.Setprofile(GetPropsString(), L(w.category), L(w.key), w.value, w.flag);
    }
}

}  // namespace

bool PeriodsPage::CloseInit() {
    auto base = createService<BaseSystemProfile>();
    const QString props = GetPropsString();
    auto read = [&](const char* category, const char* key, const char* def) {
        const QString value = base->GetProfile(props, L(category), L(key));
        return value.isEmpty() ? L(def) : value;
    };
    auto& dialogs = env().dialogService();

    const qint16 periodCount = store::roundToInt16(Val(read("GL", "PeriodCount", "0")));
    if (periodCount != 12 && periodCount != 13) {
        dialogs.ShowMessage(QStringLiteral("会计期间未设置!"));
        return false;
    }
    auto* startYearBox = get<IntText3D>(StartYear.control);
    auto* startPeriodBox = get<IntText3D>(StartPeriod.control);
    const double typedPeriod = Val(startPeriodBox->Text());
    if (typedPeriod > 13 || typedPeriod < 0) {
        dialogs.ShowMessage(QStringLiteral("会计期间设置错误!"));
        return false;
    }
    const qint16 startYear = store::roundToInt16(Val(startYearBox->Text()));
    const qint32 startPeriod = store::roundToInt32(typedPeriod);
    const qint16 yearDifference = store::roundToInt16(Val(read("GL", "YearDifference", "0")));
    const QString periodDates = read("GL", "PeriodDates", "12");
    const qint16 periodByMonth = store::roundToInt16(Val(read("GL", "PeriodByMonth", "1")));
    if (startPeriod < 1 || startPeriod > periodCount) {
        dialogs.ShowMessage(QStringLiteral("启用会计期间不正确!"));
        return false;
    }

    s.dialog.setTag(QStringLiteral("OK"));
    auto* scale = get<IntText3D>(ui::txtCyScale);
    base->UpdateSMPrecision(props, scale->Value());
    writeAll(*base, {{"GL", "CurrentYear", startYear, true},
                     {"GL", "CurrentPeriod", startPeriod, true},
                     {"GL", "StartYear", startYear, true},
                     {"GL", "StartPeriod", startPeriod, true},
                     {"GL", "Closed", L("1"), true}});
    startYearBox->setEnabled(false);
    startPeriodBox->setEnabled(false);
    get<QLineEdit>(CurrentYear.control)->setText(startYearBox->Text());
    get<QLineEdit>(CurrentPeriod.control)->setText(startPeriodBox->Text());

    // Payroll and fixed assets start with the ledger, on its calendar.
    writeAll(*base, {{"PA", "CurrentYear", startYear, true},
                     {"PA", "CurrentPeriod", startPeriod, true},
                     {"PA", "StartYear", startYear, true},
                     {"PA", "StartPeriod", startPeriod, true},
                     {"FA", "YearDifference", yearDifference, true},
                     {"FA", "CheckBeforeClosed", L("0"), false},
                     {"FA", "StartYear", startYear, true},
                     {"FA", "StartPeriod", startPeriod, true},
                     {"FA", "PeriodCount", periodCount, true},
                     {"FA", "PeriodByMonth", periodByMonth, true},
                     {"FA", "PeriodDates", periodDates, true},
                     {"FA", "Closed", L("0"), false},
                     {"FA", "NoVoucher", L("0"), false},
                     {"FA", "FALinkedGL", L("1"), false},
                     {"FA", "NoDepr", L("0"), false},
                     {"FA", "WithoutDepr", L("0"), false},
                     {"FA", "CurrentYear", startYear, true},
                     {"FA", "CurrentPeriod", startPeriod, true},
                     {"FA", "StartDate",
                      QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), false}});

    // The base currency is fixed from now on; its texts go in as typed.
    createObject<AppConnection>()->Execute(
        QStringLiteral("Update t_Currency Set FName = ") +
        SqlQuote(get<QLineEdit>(ui::txtCyName)->text(), true, false) +
        QStringLiteral(", FNumber = ") +
        SqlQuote(get<QLineEdit>(ui::txtCyNumber)->text(), true, false) +
        QStringLiteral(", FScale=") + QString::number(scale->Value()) +
        QStringLiteral("  Where FCurrencyID =1"));
    s.LedgerStarted = true;
    startedHere(s, Module::Ledger);
    s.startedNow << QStringLiteral("总账已启用（%1年第%2期）").arg(startYear).arg(startPeriod);
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
