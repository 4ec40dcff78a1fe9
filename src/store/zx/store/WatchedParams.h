#pragma once

// The business parameters whose changes are logged, with the control that
// shows each one and how its value reads in the log.

#include <QList>
#include <QString>

class QWidget;

namespace zx::store {

class ChangeLog;

enum class WatchedValue {
    CheckState,   // the check box's value as decimal text: "0", "1" or "2" (greyed)
    ComboText,    // the displayed entry text
    WholeNumber,  // the numeric box's value as a whole number in decimal
};

struct WatchedParam {
    QString key;
    bool isSwitch = false;
    QString control;  // object name; control-array elements as "Name(i)"
    WatchedValue value = WatchedValue::CheckState;
    QString desc;
};

// All of category "IC", in registration order.
inline const QString kWatchedCategory = QStringLiteral("IC");
const QList<WatchedParam>& watchedParams();

// The value text of a watched parameter's control under root. Raises when the
// control is missing or of another kind.
QString watchedValue(QWidget* root, const WatchedParam& param);

// Registers every watched parameter with its control's current value (the
// page load, reset false).
void registerWatchedParams(ChangeLog& log, QWidget* root);
// Reports every watched parameter's current value (the page save).
void reportWatchedParams(ChangeLog& log, QWidget* root);

}  // namespace zx::store
