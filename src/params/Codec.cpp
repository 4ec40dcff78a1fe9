#include "zx/params/Codec.h"

#include <cmath>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

namespace zx::params {

namespace {

using store::roundToInt16;
using store::roundToInt32;

State one(int value) {
    return {{value}, {}};
}

State ofText(const QString& text) {
    return {{}, text};
}

int ticked(bool on) {
    return on ? 1 : 0;
}

// An index of a list or option group when it has such an entry, else none.
int indexIn(const Control& c, double index) {
    return index >= 0 && index < itemCount(c) && index == std::trunc(index) ? int(index) : -1;
}

int first(const State& s, int i = 0) {
    return i < s.values.size() ? s.values.at(i) : 0;
}

QVariant flag16(int state) {
    return QVariant::fromValue(qint16(state != 0 ? 1 : 0));
}

// The box's value as the save passes it: the leading number of its text.
qint32 boxValue(const State& s) {
    return roundToInt32(Val(s.text));
}

}  // namespace

QString flagText(int checkState) {
    return checkState != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

State decode(const Param& p, const QString& stored) {
    const Control& c = p.control;
    switch (p.codec) {
        case Codec::Flag:
        case Codec::FlagNumber:
            return one(ticked(Val(stored) != 0));
        case Codec::FlagOne:
            return one(ticked(Val(stored) == 1));
        case Codec::FlagText:
        case Codec::FlagTextStr:
            return one(ticked(stored != QLatin1String("0")));
        case Codec::FlagState: {
            const qint32 v = roundToInt32(Val(stored));
            return one(v == 0 ? 0 : (v == 2 ? 2 : 1));
        }
        case Codec::Index:
        case Codec::ItemData:
            return one(indexIn(c, Val(stored)));
        case Codec::IndexFrom1:
            return one(indexIn(c, Val(stored) - 1));
        case Codec::EntryText:
            for (int i = 0; i < itemCount(c); ++i) {
                if (text(c.items[i]) == stored) return one(i);
            }
            return one(-1);
        case Codec::Option:
            return one(indexIn(c, roundToInt16(Val(stored))));
        case Codec::OptionInt:
        case Codec::SendSide:
            return one(indexIn(c, roundToInt32(Val(stored))));
        case Codec::YtdType:
            return one(roundToInt32(Val(stored)) != 0 ? 1 : 0);
        case Codec::Zero1:
            return one(Val(stored) == 0 ? 0 : 1);
        case Codec::NonZero0:
            return one(Val(stored) != 0 ? 0 : 1);
        case Codec::One0:
            return one(Val(stored) == 1 ? 0 : 1);
        case Codec::TaxKind:
            return one(stored == QLatin1String("0") ? 0 : (stored == QLatin1String("1") ? 1 : -1));
        case Codec::OrgKind: {
            const qint32 v = roundToInt32(Val(stored));
            return one(v == 2 ? 1 : (v == 3 ? 2 : 0));
        }
        case Codec::Chars3: {
            // A missing position reads as a character other than "0".
            State s;
            for (int i = 0; i < 3; ++i)
                s.values << (i < stored.size() && stored.at(i) == u'0' ? 0 : 1);
            return s;
        }
        case Codec::PairCode: {
            const double v = Val(stored);
            return {{ticked(v == 1), ticked(v == 2)}, {}};
        }
        case Codec::InvoiceKind: {
            const double v = Val(stored);
            return {{ticked(v != 0), indexIn(p.second, v == 0 ? 0 : v - 1)}, {}};
        }
        case Codec::Text:
        case Codec::Page:
            return ofText(stored);
        case Codec::NumberText:
        case Codec::Number:
            return ofText(QString::number(roundToInt32(Val(stored))));
        case Codec::WholeNumber:
            return ofText(QString::number(roundToInt32(std::trunc(Val(stored)))));
        case Codec::StrictInt:
            return ofText(QString::number(store::textToInt32(stored)));
        case Codec::Decimal:
            return ofText(store::numberText(Val(stored)));
    }
    return {};
}

QVariant encode(const Param& p, const State& s, const QString& loaded) {
    const int v = first(s);
    switch (p.codec) {
        case Codec::Flag:
        case Codec::FlagTextStr:
            return flagText(v);
        case Codec::FlagNumber:
        case Codec::FlagOne:
        case Codec::FlagText:
            return flag16(v);
        case Codec::FlagState:
            return qint32(v != 0 ? 1 : 0);
        case Codec::Index:
        case Codec::ItemData:
            return v < 0 ? QVariant() : QVariant(qint32(v));
        case Codec::IndexFrom1:
            return v < 0 ? QVariant() : QVariant(qint32(v + 1));
        case Codec::EntryText: {
            const Control& c = p.shares ? p.shares->control : p.control;
            return v < 0 || v >= itemCount(c) ? QVariant() : QVariant(text(c.items[v]));
        }
        case Codec::Option:
            return QString::number(v < 0 ? itemCount(p.control) : v);
        case Codec::OptionInt:
            return v < 0 ? QVariant() : QVariant(qint32(v));
        case Codec::SendSide:
            return qint32(v == 0 ? 0 : (v == 1 ? 1 : 2));
        case Codec::YtdType: {
            const double before = Val(loaded);
            if (before == 1 && v == 0) return QStringLiteral("0");
            if (before == 0 && v == 1) return QStringLiteral("1");
            return {};
        }
        case Codec::Zero1:
            return qint32(v == 0 ? 0 : 1);
        case Codec::NonZero0:
        case Codec::One0:
            return qint32(v == 0 ? 1 : 0);
        case Codec::TaxKind:
            return v == 0 || v == 1 ? QVariant::fromValue(qint16(v)) : QVariant();
        case Codec::OrgKind:
        case Codec::Page:
            return {};
        case Codec::Chars3: {
            QString out;
            for (int i = 0; i < 3; ++i) out += first(s, i) == 0 ? u'0' : u'1';
            return out;
        }
        case Codec::PairCode:
            return qint32(first(s, 0) != 0 ? 1 : (first(s, 1) != 0 ? 2 : 0));
        case Codec::InvoiceKind: {
            if (first(s, 0) == 0) return qint32(0);
            const int index = first(s, 1);
            return index < 0 ? QVariant() : QVariant(qint32(index + 1));
        }
        case Codec::Text:
        case Codec::NumberText:
            return s.text;
        case Codec::Number:
        case Codec::WholeNumber:
        case Codec::StrictInt:
            return boxValue(s);
        case Codec::Decimal:
            return Val(s.text);
    }
    return {};
}

QString logValue(const Param& p, const State& s, int member) {
    switch (p.control.kind) {
        case Kind::Check:
        case Kind::Checks:
            return QString::number(first(s, member));
        case Kind::Combo: {
            const int v = first(s);
            return v >= 0 && v < itemCount(p.control) ? text(p.control.items[v]) : QString();
        }
        case Kind::Number:
            return QString::number(boxValue(s));
        default:
            return s.text;
    }
}

}  // namespace zx::params
