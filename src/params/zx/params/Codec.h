#pragma once

// A parameter's controls as values, and the conversions between them and the
// stored text.

#include <QList>
#include <QString>
#include <QVariant>

#include "zx/params/Param.h"

namespace zx::params {

// The state of a parameter's controls: one integer per check box (0, 1, 2),
// option group or list (the selected index, -1 for none), in the order of the
// declaration; or the text of a text or numeric box.
struct State {
    QList<int> values;
    QString text;
    friend bool operator==(const State&, const State&) = default;
};

// The state the stored text shows. Raises HostError for a stored text the
// control cannot hold (a number beyond 32 bits, a text that must be a number).
State decode(const Param& p, const QString& stored);

// The value the save writes for the state, as the store takes it; an invalid
// QVariant when there is nothing to write (no option chosen, a kind of
// parameter that only the page writes). `loaded` is the stored text the
// state was loaded from.
QVariant encode(const Param& p, const State& state, const QString& loaded);

// The value text the change log shows for a watched parameter's state:
// "0"/"1"/"2" for a box, the entry text of a list, the whole number of a box.
QString logValue(const Param& p, const State& state, int member = 0);

// The text of a check state as the save passes it: "1" for checked or
// greyed, "0" otherwise.
QString flagText(int checkState);

}  // namespace zx::params
