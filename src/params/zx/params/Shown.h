#pragma once

// A stored text in the words of the control that shows it, for a reader of
// the parameter's past values: 启用/不启用 for a box, the entry or option
// chosen, the text of a box.

#include <QString>
#include <optional>

#include "zx/params/Param.h"

namespace zx::params {

// What the control shows for the stored text. A text the control cannot
// show exactly (one it would show as something else, or not at all) says
// what is stored as well. None stored: the parameter did not exist, and the
// control showed its default.
QString shownText(const Param& p, const std::optional<QString>& stored);

// A box's state in words: 不启用, 启用, or greyed.
QString checkWords(int state);

}  // namespace zx::params
