#include "zx/params/Baseline.h"

namespace zx::params {

void Baseline::clear() {
    entries_.clear();
    order_.clear();
}

void Baseline::loaded(const Param& p, const QString& stored) {
    if (!entries_.contains(&p)) order_ << &p;
    entries_[&p] = {stored, {}, false};
}

void Baseline::settle(const StateOf& now) {
    for (const Param* p : order_) {
        Entry& e = entries_[p];
        e.shown = now(*p);
        e.settled = true;
    }
}

void Baseline::rebase(const Param& p, const QString& stored, const State& shown) {
    if (!entries_.contains(&p)) order_ << &p;
    entries_[&p] = {stored, shown, true};
}

QString Baseline::storedText(const Param& p) const {
    return entries_.value(&p).stored;
}

bool Baseline::changed(const Param& p, const State& now) const {
    const auto it = entries_.constFind(&p);
    // A parameter that was never loaded has nothing the user could have changed.
    if (it == entries_.cend() || !it->settled) return false;
    return it->shown != now;
}

QList<const Param*> Baseline::conflicts(const StateOf& now, const StoredOf& storedNow) const {
    QList<const Param*> out;
    for (const Param* p : order_) {
        if (p->write == Write::Never || !changed(*p, now(*p))) continue;
        if (storedNow(*p) != entries_.value(p).stored) out << p;
    }
    return out;
}

}  // namespace zx::params
