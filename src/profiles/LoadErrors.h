#pragma once

// A load that stopped on a stored value it could not read names that value
// as the user finds it, not only why ("溢出").

#include <QList>
#include <QStringList>

#include "zx/params/Param.h"

class QWidget;

namespace zx::frame {
class Controls;
}

namespace zx::profiles {

// The stored parameters whose text cannot be read as the number the load
// needs, each as "【page】caption（Category/Key）：“text”". Empty when none is
// found. `declared` are the parameters the dialog shows, `dialog` its window.
QStringList unreadableValues(const QList<const params::Param*>& declared,
                             const frame::Controls& controls, const QWidget* dialog);

}  // namespace zx::profiles
