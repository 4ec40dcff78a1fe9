#pragma once

// What the dialog loaded: for each parameter the stored text it read and the
// state its controls showed once the load was done. A save writes only the
// parameters whose controls the user has changed since, and refuses to write
// one that another workstation has changed in the store meanwhile.

#include <QHash>
#include <QList>
#include <functional>

#include "zx/params/Codec.h"

namespace zx::params {

class Baseline {
public:
    using StateOf = std::function<State(const Param&)>;
    using StoredOf = std::function<QString(const Param&)>;

    void clear();
    // The stored text a parameter was loaded from.
    void loaded(const Param& p, const QString& stored);
    // Takes the state every loaded parameter shows now as the state to compare with.
    void settle(const StateOf& now);
    // A parameter this dialog has written: what is stored now and shown now
    // are the base of the next save.
    void rebase(const Param& p, const QString& stored, const State& shown);

    bool has(const Param& p) const { return entries_.contains(&p); }
    QString storedText(const Param& p) const;
    // The user changed the parameter's controls since the load.
    bool changed(const Param& p, const State& now) const;
    // The loaded parameters, in the order they were loaded.
    const QList<const Param*>& params() const { return order_; }

    // The parameters changed here whose stored text is no longer the one
    // loaded: another workstation saved them meanwhile.
    QList<const Param*> conflicts(const StateOf& now, const StoredOf& storedNow) const;

private:
    struct Entry {
        QString stored;
        State shown;
        bool settled = false;
    };
    QHash<const Param*, Entry> entries_;
    QList<const Param*> order_;
};

}  // namespace zx::params
