// Cashier parameters on the cashier page.

#include <QCheckBox>
#include <QLineEdit>

#include "zx/host/AssetServices.h"
#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

const QString kCN = QStringLiteral("CN");

struct JournalOption {
    const char* key;
    const char* control;
    const char* defaultValue;
};

// Loaded in this order; chkUseESC is shown but never saved.
const JournalOption kJournalOptions[] = {
    {"CN_RJZ_MAKEJOURNAL", "chkMakeJournal", "0"},
    {"CN_JZ_GLDIFFNOTSETTLE", "chkGLDiffNotSettle", "0"},
    {"CN_RJZ_JOURNALFROMGL", "chkJournalFromGL", "1"},
    {"chkJournalFromARAP", "chkJournalFromARAP", "0"},
    {"CN_UseESC", "chkUseESC", "0"},
    {"CN_RJZ_AllowEditVchNumber", "chkAllowEditVchNumber", "1"},
};

QString L(const char* s) {
    return QString::fromLatin1(s);
}

void showHostError(const std::exception& error) {
    if (auto* hostError = dynamic_cast<const HostError*>(&error)) {
        env().dialogService().ShowError(*hostError, {});
    } else {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(error.what())),
            {});
    }
}

}  // namespace

int frmSystemProfiles::ComparePeriods(qint32 y1, qint32 p1, qint32 y2, qint32 p2) {
    if (y1 != y2) return y1 < y2 ? -1 : 1;
    if (p1 != p2) return p1 < p2 ? -1 : 1;
    return 0;
}

void frmSystemProfiles::LoadCashier() {
    try {
        // Use with the settlement centre is shown but not kept here, so
        // ticking it alone leaves nothing to save.
        disconnect(C<QCheckBox>(QStringLiteral("chkUseESC")), &QCheckBox::stateChanged, this,
                   nullptr);

        WaitCursor wait;
        auto profile = GetGLProfile();
        auto read = [&profile](const char* key, const char* def) {
            return profile->GetSystemProfile(kCN, L(key), L(def));
        };
        auto readInt = [&read](const char* key, const char* def) {
            return store::roundToInt32(Val(read(key, def)));
        };
        CashierStarted = Val(read("CN_INIT_DONE", "0")) == 1;
        const qint32 currentYear = readInt("CN_CURRENT_YEAR", "-1");
        const qint32 currentPeriod = readInt("CN_CURRENT_PERIOD", "-1");
        const qint32 startYear = readInt("CN_START_YEAR", "-1");
        const qint32 startPeriod = readInt("CN_START_PERIOD", "-1");

        auto* startYearBox = C<IntText3D>(QStringLiteral("txtCnStartYear"));
        auto* startPeriodBox = C<IntText3D>(QStringLiteral("txtCnStartPeriod"));
        auto* currentYearBox = C<QLineEdit>(QStringLiteral("txtCnCurrentYear"));
        auto* currentPeriodBox = C<QLineEdit>(QStringLiteral("txtCnCurrentPeriod"));
        auto* maxYearBox = C<QLineEdit>(QStringLiteral("txtCnMaxYear"));
        auto* maxPeriodBox = C<QLineEdit>(QStringLiteral("txtCnMaxPeriod"));
        auto* subSys = C<QCheckBox>(QStringLiteral("chkSubSys"));
        startYearBox->setEnabled(CanModify);
        startPeriodBox->setEnabled(CanModify);

        if (CashierStarted) {
            qint32 maxYear = 0;
            qint32 maxPeriod = 0;
            GetMaxPeriod(maxYear, maxPeriod, false);
            startYearBox->setText(QString::number(startYear));
            startPeriodBox->setText(QString::number(startPeriod));
            currentYearBox->setText(QString::number(currentYear));
            currentPeriodBox->setText(QString::number(currentPeriod));
            maxYearBox->setText(QString::number(maxYear));
            maxPeriodBox->setText(QString::number(maxPeriod));
            // Started outside this dialog: its start can no longer move.
            startYearBox->setEnabled(false);
            startPeriodBox->setEnabled(false);
        } else {
            startYearBox->setText(startYear == -1
                                      ? C<IntText3D>(QStringLiteral("txtStartYear"))->Text()
                                      : QString::number(startYear));
            startPeriodBox->setText(startPeriod == -1 ? QString() : QString::number(startPeriod));
            currentYearBox->setText(currentYear == -1 ? QString() : QString::number(currentYear));
            currentPeriodBox->setText(currentYearBox->text().isEmpty() || currentPeriod == -1
                                          ? QString()
                                          : QString::number(currentPeriod));
            maxYearBox->clear();
            maxPeriodBox->clear();
            setCheckValue(subSys, 0);
        }

        {
            auto monthEnd = createService<MonthEndInfo>();
            RecordSetPtr rows = monthEnd->GetSubSys(GetPropsString(), QStringLiteral("Cn"),
                                                    currentYear, currentPeriod);
            bool synch = false;
            if (rows && rows->RecordCount() > 0) {
                rows->MoveFirst();
                synch = Val(rows->Field(QStringLiteral("Fperiodsynch")).toString()) != 0;
            }
            setCheckValue(subSys, synch ? 1 : 0);
        }

        for (const auto& [key, array] :
             {std::pair{"CN_Xjrjz_FixRate", "optXj"}, std::pair{"CN_Yhrjz_FixRate", "optYh"}}) {
            setOptionIndex(L(array), Val(read(key, "1")) == 1 ? 0 : 1);
            for (int i = 0; i < 2; ++i) {
                control(QStringLiteral("%1(%2)").arg(L(array)).arg(i))->setEnabled(CanModify);
            }
        }
        for (const auto& [key, name] : {std::pair{"CN_Xjrjz_Rate_Len", "txtLenXj"},
                                        std::pair{"CN_Yhrjz_Rate_Len", "txtLenYh"}}) {
            auto* box = C<IntText3D>(L(name));
            box->setValue(readInt(key, "4"));
            box->setEnabled(CanModify);
        }
        for (const JournalOption& option : kJournalOptions) {
            auto* box = C<QCheckBox>(L(option.control));
            const qint32 stored = readInt(option.key, option.defaultValue);
            setCheckValue(box, stored == 0 ? 0 : (stored == 2 ? 2 : 1));
            box->setEnabled(CanModify);
        }
        subSys->setEnabled(CanModify);
    } catch (const std::exception& e) {
        showHostError(e);
    }
}

void frmSystemProfiles::GetMaxPeriod(qint32& lngYear, qint32& lngPeriod,
                                     bool blnIncludeNextPeriod) {
    try {
        createService<CashierSysInfo>()->GetMaxPeriod(GetPropsString(), lngYear, lngPeriod);
        auto profile = GetGLProfile();
        qint32 y = store::roundToInt32(
            Val(profile->GetSystemProfile(kCN, QStringLiteral("CN_CURRENT_YEAR"), L("-1"))));
        qint32 p = store::roundToInt32(
            Val(profile->GetSystemProfile(kCN, QStringLiteral("CN_CURRENT_PERIOD"), L("-1"))));
        if (blnIncludeNextPeriod) {
            if (p == profile->glgetperiodcount()) {
                ++y;
                p = 1;
            } else {
                ++p;
            }
        }
        if (ComparePeriods(lngYear, lngPeriod, y, p) < 0) {
            lngYear = y;
            lngPeriod = p;
        }
    } catch (const std::exception& e) {
        showHostError(e);
    }
}

bool frmSystemProfiles::SaveCashier() {
    try {
        auto writer = createService<BaseSystemProfile>();
        auto* startYearBox = C<IntText3D>(QStringLiteral("txtCnStartYear"));
        auto* startPeriodBox = C<IntText3D>(QStringLiteral("txtCnStartPeriod"));
        const double ledgerYear = Val(C<QLineEdit>(QStringLiteral("txtCurYear"))->text());
        const double cnCurrentYear = Val(C<QLineEdit>(QStringLiteral("txtCnCurrentYear"))->text());
        const double cnCurrentPeriod =
            Val(C<QLineEdit>(QStringLiteral("txtCnCurrentPeriod"))->text());
        const double cnStartYear = Val(startYearBox->Text());
        const double cnStartPeriod = Val(startPeriodBox->Text());

        // Only a cashier not yet started, whose start the user has moved away
        // from the period it stands in, goes through the start.
        if (startYearBox->isEnabled() &&
            (cnCurrentYear != cnStartYear || cnCurrentPeriod != cnStartPeriod)) {
            if (startPeriodBox->Value() == 0) return true;
            if (ledgerYear > startYearBox->Value()) {
                env().dialogService().ShowMessage(
                    QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！"));
                return false;
            }
            if (ledgerYear == startYearBox->Value() &&
                Val(C<QLineEdit>(QStringLiteral("txtCurPeriod"))->text()) > cnStartPeriod) {
                env().dialogService().ShowMessage(
                    QStringLiteral("出纳启用会计期间必须大于等于当前总账会计期间！"));
                return false;
            }
            showPage(3);
            startPeriodBox->setFocus();
            if (env().dialogService().Confirm(
                    QStringLiteral("请确认出纳初始参数的设置，是否确认启用！"), true)) {
                const qint32 year = store::roundToInt32(cnStartYear);
                const qint32 period = store::roundToInt32(cnStartPeriod);
                store::writeValue(*writer, kCN, QStringLiteral("CN_START_YEAR"), year);
                store::writeValue(*writer, kCN, QStringLiteral("CN_START_PERIOD"), period);
                store::writeValue(*writer, kCN, QStringLiteral("CN_CURRENT_YEAR"), year);
                store::writeValue(*writer, kCN, QStringLiteral("CN_CURRENT_PERIOD"), period);
                setTag(QStringLiteral("OK"));
            }
        }

        auto fixedRate = [this](const char* array) {
            return qint32(optionIndex(L(array)) == 0 ? 1 : 0);
        };
        store::writeValue(*writer, kCN, QStringLiteral("CN_Xjrjz_FixRate"), fixedRate("optXj"));
        store::writeValue(*writer, kCN, QStringLiteral("CN_Yhrjz_FixRate"), fixedRate("optYh"));
        store::writeValue(*writer, kCN, QStringLiteral("CN_Xjrjz_Rate_Len"),
                          C<IntText3D>(QStringLiteral("txtLenXj"))->Value());
        store::writeValue(*writer, kCN, QStringLiteral("CN_Yhrjz_Rate_Len"),
                          C<IntText3D>(QStringLiteral("txtLenYh"))->Value());
        for (const JournalOption& option : kJournalOptions) {
            if (qstrcmp(option.control, "chkUseESC") == 0) continue;
            store::writeFlag(*writer, kCN, L(option.key),
                             C<QCheckBox>(L(option.control))->checkState());
        }
        return true;
    } catch (const std::exception& e) {
        showHostError(e);
    }
    return false;
}

}  // namespace zx::profiles
