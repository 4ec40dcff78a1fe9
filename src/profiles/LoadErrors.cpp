#include "LoadErrors.h"

#include <QStackedWidget>
#include <QTabWidget>
#include <cmath>
#include <limits>

#include "zx/frame/Controls.h"
#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/params/Codec.h"
#include "zx/params/Ledger.h"
#include "zx/session/Session.h"

namespace zx::profiles {

namespace {

using params::Codec;
using params::Param;

// Numbers the load reads that no control shows: what they decide, the
// control whose page they belong to, and the range the reader takes.
struct Undeclared {
    const char* category;
    const char* key;
    const char16_t* caption;
    const char* control;
    double highest;
};
const Undeclared kUndeclared[] = {
    {"GL", "AccountType", u"科目体系类型（决定利润科目的选择方式）", "txtEarnAcct",
     std::numeric_limits<qint32>::max()},
    {"IC", "IndustryVersion", u"行业版本（决定是否显示价格设置）", "fraprice",
     std::numeric_limits<qint16>::max()},
};

// Codecs that keep the stored text as text: any text is readable.
bool keepsText(Codec c) {
    return c == Codec::FlagText || c == Codec::FlagTextStr || c == Codec::EntryText ||
           c == Codec::Text || c == Codec::Chars3 || c == Codec::Decimal;
}

// Whether the leading number of `text` lies beyond what a reader of
// whole numbers up to `highest` takes.
bool beyond(const QString& text, double highest) {
    try {
        const double v = std::nearbyint(Val(text));
        return v > highest || v < -highest - 1;
    } catch (const host::HostError&) {
        return true;  // a number of hundreds of digits
    }
}

bool unreadable(const Param& p, const QString& text) {
    try {
        params::decode(p, text);
    } catch (const host::HostError&) {
        return true;
    }
    return !keepsText(p.codec) && beyond(text, std::numeric_limits<qint32>::max());
}

// The captions of the tab pages `w` sits on, outermost first.
QString pageOf(const QWidget* w, const QWidget* dialog) {
    QStringList pages;
    for (const QWidget* x = w; x && x != dialog; x = x->parentWidget()) {
        auto* stack = qobject_cast<const QStackedWidget*>(x->parentWidget());
        auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs) pages.prepend(tabs->tabText(tabs->indexOf(const_cast<QWidget*>(x))).remove(u'&'));
    }
    return pages.join(QStringLiteral(" / "));
}

QString named(const QString& page, const QString& caption, const QString& category,
              const QString& key, const QString& text) {
    return QStringLiteral("【%1】%2（%3/%4）：“%5”")
        .arg(page.isEmpty() ? QStringLiteral("不显示") : page, caption, category, key, text);
}

}  // namespace

QStringList unreadableValues(const QList<const Param*>& declared, const frame::Controls& controls,
                             const QWidget* dialog) {
    const host::RecordSetPtr rows = host::createObject<host::AppConnection>()->Execute(
        QStringLiteral("select FCategory, FKey, FValue from t_SystemProfile"));
    QStringList out;
    if (!rows || rows->RecordCount() == 0) return out;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        const QString category = rows->Field(QStringLiteral("FCategory")).toString();
        const QString key = rows->Field(QStringLiteral("FKey")).toString();
        const QString text = rows->Field(QStringLiteral("FValue")).toString();
        auto same = [&](const QString& c, const QString& k) {
            return c.compare(category, Qt::CaseInsensitive) == 0 &&
                   k.compare(key, Qt::CaseInsensitive) == 0;
        };
        for (const Param* p : declared) {
            if (same(params::categoryName(p->cat), params::keyOf(*p)) && unreadable(*p, text)) {
                out << named(pageOf(controls.widgets(*p).value(0), dialog), params::captionOf(*p),
                             category, key, text);
                break;
            }
        }
        for (const Undeclared& u : kUndeclared) {
            if (same(QLatin1String(u.category), QLatin1String(u.key)) && beyond(text, u.highest)) {
                out << named(pageOf(controls.widget(QString::fromLatin1(u.control)), dialog),
                             QString::fromUtf16(u.caption), category, key, text);
            }
        }
    }
    return out;
}

}  // namespace zx::profiles
