#include "Starts.h"

#include <array>

#include "Page.h"
#include "zx/host/Environment.h"
#include "zx/session/Session.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

struct StartKeys {
    const char* category;
    const char* startYear;
    const char* startPeriod;
    // What a start writes and nothing else changes while the module has not
    // started; the period set-up proposes the ledger's start year, so only
    // its closed mark counts.
    std::array<const char*, 4> marks;
    int page;
};

StartKeys keysOf(Module module) {
    switch (module) {
        case Module::Ledger:
            return {"GL",
                    "StartYear",
                    "StartPeriod",
                    {"Closed", nullptr, nullptr, nullptr},
                    rules::kPeriodPage};
        case Module::Business:
            return {"IC",
                    "StartYear",
                    "StartPeriod",
                    {"CurrentYear", nullptr, nullptr, nullptr},
                    rules::kBusinessBasePage};
        case Module::Cashier:
            break;
    }
    return {"CN",
            "CN_START_YEAR",
            "CN_START_PERIOD",
            {"CN_START_YEAR", "CN_START_PERIOD", "CN_CURRENT_YEAR", "CN_CURRENT_PERIOD"},
            rules::kCashierPage};
}

QString read(SystemProfile& profile, const StartKeys& k, const char* key) {
    return profile.GetSystemProfile(QString::fromLatin1(k.category), QString::fromLatin1(key),
                                    QString());
}

QString nameOf(Module module) {
    switch (module) {
        case Module::Ledger:
            return QStringLiteral("总账");
        case Module::Business:
            return GetAppInfo().appType == 2 ? QStringLiteral("仓存系统")
                                             : QStringLiteral("业务系统");
        case Module::Cashier:
            break;
    }
    return QStringLiteral("出纳");
}

// The texts that mark a module started, in a fixed order.
QStringList startTexts(SystemProfile& profile, Module module) {
    const StartKeys k = keysOf(module);
    QStringList out;
    for (const char* key : k.marks) {
        if (key) out << read(profile, k, key);
    }
    return out;
}

QString slotOf(Module module) {
    return QString::number(int(module));
}

}  // namespace

void rememberStarts(Shared& s, SystemProfile& profile) {
    s.startsLoaded.clear();
    for (Module m : {Module::Ledger, Module::Business, Module::Cashier}) {
        s.startsLoaded.insert(slotOf(m), startTexts(profile, m));
    }
}

std::optional<Module> startOf(const params::Param& p) {
    const QString key = params::keyOf(p);
    for (Module m : {Module::Ledger, Module::Business, Module::Cashier}) {
        const StartKeys k = keysOf(m);
        if (params::categoryName(p.cat) != QLatin1String(k.category)) continue;
        for (const char* start : {k.startYear, k.startPeriod}) {
            if (key == QLatin1String(start)) return m;
        }
        for (const char* mark : k.marks) {
            if (mark && key == QLatin1String(mark)) return m;
        }
    }
    return std::nullopt;
}

void startedHere(Shared& s, Module module) {
    auto fresh = createObject<GLSystemProfile>();
    fresh->Refresh();
    s.startsLoaded.insert(slotOf(module), startTexts(*fresh, module));
}

std::optional<rules::Refusal> startedElsewhere(Shared& s, Module module) {
    auto fresh = createObject<GLSystemProfile>();
    fresh->Refresh();
    const QStringList now = startTexts(*fresh, module);
    if (now == s.startsLoaded.value(slotOf(module))) return std::nullopt;
    const StartKeys k = keysOf(module);
    return rules::Refusal{
        QStringLiteral("%1已由其他用户启用（启用期间：%2年第%3期），本次启用没有写入。"
                       "请关闭后重新打开。")
            .arg(nameOf(module), read(*fresh, k, k.startYear), read(*fresh, k, k.startPeriod)),
        k.page};
}

}  // namespace zx::profiles
