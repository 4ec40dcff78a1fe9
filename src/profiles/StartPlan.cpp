#include "StartPlan.h"

#include <QHash>

#include "zx/host/Environment.h"
#include "zx/params/Declared.h"
#include "zx/session/Session.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

// The locks a start sets off: the declarations that name them.
bool lockedBy(Module module, params::Lock lock) {
    switch (module) {
        case Module::Ledger:
            return lock == params::Lock::LedgerOpen;
        case Module::Business:
            return lock == params::Lock::BusinessOpen;
        case Module::Cashier:
            return lock == params::Lock::CashierOpen;
    }
    return false;
}

QString captionOfKey(const QString& category, const QString& key) {
    for (const params::Declared& d : params::declared()) {
        if (params::categoryName(d.param->cat).compare(category, Qt::CaseInsensitive) == 0 &&
            params::keyOf(*d.param).compare(key, Qt::CaseInsensitive) == 0) {
            return params::captionOf(*d.param);
        }
    }
    return QString();
}

// "固定资产（FA），从 2026年第2期开始：" above the keys of one category.
QString groupLine(const QString& category, const QList<StartPlan::Write>& writes) {
    static const QHash<QString, QString> names{{QStringLiteral("GL"), QStringLiteral("总账")},
                                               {QStringLiteral("PA"), QStringLiteral("工资")},
                                               {QStringLiteral("FA"), QStringLiteral("固定资产")},
                                               {QStringLiteral("IC"), QStringLiteral("业务系统")},
                                               {QStringLiteral("CN"), QStringLiteral("出纳")}};
    QString year, period;
    for (const StartPlan::Write& w : writes) {
        if (w.category != category) continue;
        if (w.key.endsWith(QLatin1String("StartYear")) ||
            w.key.endsWith(QLatin1String("START_YEAR")))
            year = w.value.toString();
        if (w.key.endsWith(QLatin1String("StartPeriod")) ||
            w.key.endsWith(QLatin1String("START_PERIOD")))
            period = w.value.toString();
    }
    const QString name = names.value(category, category);
    return year.isEmpty() || period.isEmpty()
               ? QStringLiteral("%1（%2）：").arg(name, category)
               : QStringLiteral("%1（%2），从 %3年第%4期开始：").arg(name, category, year, period);
}

}  // namespace

void StartPlan::write(const char* category, const char* key, const QVariant& value,
                      std::optional<bool> flag) {
    writes_ << Write{QString::fromLatin1(category), QString::fromLatin1(key), value, flag};
}

QString StartPlan::details() const {
    QStringList lines{QStringLiteral("确认后写入以下内容，以后不能撤回：")};
    QString category;
    for (const Write& w : writes_) {
        if (w.category != category) {
            category = w.category;
            lines << groupLine(category, writes_);
        }
        const QString caption = captionOfKey(w.category, w.key);
        lines << QStringLiteral("  %1/%2 = %3%4")
                     .arg(w.category, w.key, w.value.toString(),
                          caption.isEmpty() ? QString() : QStringLiteral("（%1）").arg(caption));
    }
    if (currency_) {
        lines << QStringLiteral("本位币固定为：代码 %1，名称 %2，小数位数 %3")
                     .arg(currency_->number, currency_->name)
                     .arg(currency_->scale);
        lines << QStringLiteral("业务系统的金额精度设为：%1 位小数").arg(currency_->scale);
    }
    QStringList locked;
    for (const params::Declared& d : params::declared()) {
        if (!lockedBy(module_, d.param->lock)) continue;
        locked << QStringLiteral("%1（%2/%3）")
                      .arg(params::captionOf(*d.param), params::categoryName(d.param->cat),
                           params::keyOf(*d.param));
    }
    if (!locked.isEmpty()) {
        // The cashier's settings are fixed by the end of its initialisation,
        // which is not this start.
        lines << (module_ == Module::Cashier ? QStringLiteral("出纳初始化结束后不能再修改：%1")
                                             : QStringLiteral("启用后不能再修改：%1"))
                     .arg(locked.join(QStringLiteral("、")));
    }
    return lines.join(u'\n');
}

void StartPlan::perform(ProfileWriter& writer, BaseSystemProfile* precision) const {
    const QString props = GetPropsString();
    if (currency_ && precision) precision->UpdateSMPrecision(props, currency_->scale);
    for (const Write& w : writes_) writer.Setprofile(props, w.category, w.key, w.value, w.flag);
    if (!currency_) return;
    // The base currency is fixed from now on; its texts go in as typed.
    createObject<AppConnection>()->Execute(
        QStringLiteral("Update t_Currency Set FName = ") + SqlQuote(currency_->name, true, false) +
        QStringLiteral(", FNumber = ") + SqlQuote(currency_->number, true, false) +
        QStringLiteral(", FScale=") + QString::number(currency_->scale) +
        QStringLiteral("  Where FCurrencyID =1"));
}

bool confirmStart(const QString& question, const StartPlan& plan) {
    return env().dialogService().ConfirmDetailed(question, plan.details());
}

}  // namespace zx::profiles
