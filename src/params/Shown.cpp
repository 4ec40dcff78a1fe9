#include "zx/params/Shown.h"

#include <QStringList>

#include "zx/host/HostError.h"
#include "zx/params/Codec.h"
#include "zx/session/Session.h"

namespace zx::params {

namespace {

QString itemText(const Control& c, int index) {
    return index >= 0 && index < itemCount(c) ? text(c.items[index]) : QString();
}

QString chosen(const Control& c, int index) {
    const QString item = itemText(c, index).simplified();
    return index < 0 ? QStringLiteral("（未选择）") : item;
}

int valueAt(const State& s, int i) {
    return i < s.values.size() ? s.values.at(i) : 0;
}

// The state as the controls show it, one part per control.
QString words(const Param& p, const State& s) {
    const Control& c = p.control;
    switch (c.kind) {
        case Kind::Check: {
            const QString box = checkWords(valueAt(s, 0));
            // A box and the list beside it: the list counts while the box is on.
            if (!p.second.name || valueAt(s, 0) == 0) return box;
            return box + QStringLiteral("，") + chosen(p.second, valueAt(s, 1));
        }
        case Kind::Checks: {
            QStringList parts;
            for (int i = 0; i < itemCount(c); ++i) {
                parts << text(c.items[i]) + QStringLiteral("：") + checkWords(valueAt(s, i));
            }
            return parts.join(QStringLiteral("；"));
        }
        case Kind::Options: {
            QStringList parts;
            for (int v : s.values) parts << chosen(c, v);
            return parts.join(QStringLiteral("，"));
        }
        case Kind::Combo:
            return chosen(c, valueAt(s, 0));
        default:
            return s.text;
    }
}

// The page's own parameters have no codec to decode them: a box is on for a
// number other than 0, an option is the one of the stored caption.
QString pageWords(const Param& p, const QString& stored) {
    const Control& c = p.control;
    if (c.kind == Kind::Check) return checkWords(Val(stored) != 0 ? 1 : 0);
    if (c.kind == Kind::Options) {
        for (int i = 0; i < itemCount(c); ++i) {
            if (text(c.items[i]) == stored) return text(c.items[i]);
        }
    }
    return stored.isEmpty() ? QStringLiteral("（空）") : stored;
}

// Whether the save would write back the very text stored. Where it would
// write nothing, the control shows a stored text only when there is none;
// a kind that is never written back is shown as it reads.
bool showsExactly(const Param& p, const State& s, const QString& stored) {
    // A greyed box is a state of its own, though a save writes it as on.
    if (p.codec == Codec::FlagState && stored == QLatin1String("2")) return true;
    const QVariant again = encode(p, s, stored);
    if (again.isValid()) return again.toString() == stored;
    return stored.isEmpty() || p.codec == Codec::OrgKind || p.codec == Codec::YtdType;
}

}  // namespace

QString checkWords(int state) {
    switch (state) {
        case 0:
            return QStringLiteral("不启用");
        case 2:
            return QStringLiteral("启用（灰）");
        default:
            return QStringLiteral("启用");
    }
}

QString shownText(const Param& p, const std::optional<QString>& stored) {
    // A parameter not stored yet showed its default.
    if (!stored) return shownText(p, defaultOf(p)) + QStringLiteral("（默认）");
    if (p.codec == Codec::Page) return pageWords(p, *stored);
    const QString storedNote = QStringLiteral("（存储为“%1”）").arg(*stored);
    State state;
    try {
        state = decode(p, *stored);
    } catch (const host::HostError&) {
        return QStringLiteral("无法显示") + storedNote;
    }
    const QString shown = words(p, state);
    if (showsExactly(p, state, *stored)) return shown.isEmpty() ? QStringLiteral("（空）") : shown;
    return shown + storedNote;
}

}  // namespace zx::params
