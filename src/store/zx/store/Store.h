#pragma once

// Typed reading and writing of system parameters, and the small catalogue
// machinery that moves a list of parameters between the store and the named
// controls of a page.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "zx/host/Services.h"

class QAbstractButton;
class QWidget;

namespace zx::store {

// ----- Conversions ---------------------------------------------------------

// A 32-bit (16-bit) integer from a number, halves rounded to even; a value out
// of range raises the overflow error 6.
qint32 roundToInt32(double value);
qint16 roundToInt16(double value);

// A text that must be a number as a whole (surrounding blanks allowed),
// rounded to a 32-bit integer; anything else raises the type-mismatch error 13.
// Used where a stored text is converted without taking its leading number.
qint32 textToInt32(const QString& text);

// True when the leading number of the text is not 0.
bool flagOf(const QString& text);

// The value written for a check box: 1 for checked or greyed, 0 for unchecked.
qint16 encodeFlag(Qt::CheckState state);
// The value written for a yes/no parameter.
qint16 encodeYesNo(bool yes);
// "1" or "0", for the saves that pass check boxes as text.
QString flagText(Qt::CheckState state);
// A check box's value as the system counts it: 0 unchecked, 1 checked, 2 greyed.
qint16 checkValue(Qt::CheckState state);

// A number as plain decimal text: 17.00 gives "17", 1.5 gives "1.5".
QString numberText(double value);

// ----- Reading -------------------------------------------------------------
// Every read passes a default, returned when the parameter does not exist.

QString readText(host::SystemProfile& profile, const QString& category, const QString& key,
                 const QString& defaultValue = QString());
// Checked when the leading number is not 0.
bool readFlag(host::SystemProfile& profile, const QString& category, const QString& key,
              const QString& defaultValue = QStringLiteral("0"));
// The leading number (0 for an empty or non-numeric text).
double readNumber(host::SystemProfile& profile, const QString& category, const QString& key,
                  const QString& defaultValue = QStringLiteral("0"));
// The leading number rounded to a 32-bit integer.
qint32 readInt(host::SystemProfile& profile, const QString& category, const QString& key,
               const QString& defaultValue = QStringLiteral("0"));

// ----- Writing -------------------------------------------------------------
// One Setprofile per parameter, with the session property string fetched
// for each call.

void writeValue(host::ProfileWriter& writer, const QString& category, const QString& key,
                const QVariant& value);
void writeFlag(host::ProfileWriter& writer, const QString& category, const QString& key,
               Qt::CheckState state);
void writeYesNo(host::ProfileWriter& writer, const QString& category, const QString& key, bool yes);

// ----- Catalogue -----------------------------------------------------------

// How a stored text becomes a control's state and back.
enum class ParamRule {
    Flag,             // check box ticked when the leading number is not 0; saved 1/0
    FlagIsOne,        // ticked only when the leading number is exactly 1; saved 1/0
    FlagUnlessZero,   // unticked only for the text "0" exactly; saved 1/0
    Number,           // numeric box: the leading number as a 32-bit integer; saved the same
    NumberText,       // numeric box showing the leading number; saved as the box's text
    Text,             // the text unchanged; saved as the control's text
    OptionIndex,      // option group: the option of the stored index; saved the selected index
    ComboIndex,       // list index = stored number; saved the index
    ComboIndexFrom1,  // list index = stored number - 1; saved index + 1
    ComboItemData,    // list index = stored number; saved the chosen entry's item data
    ComboText,        // the entry whose text equals the stored text; saved the entry's text
};

struct ParamSpec {
    QString category;
    QString key;
    QString defaultValue;
    // The control's object name. For an option group the base name of the
    // options "Name(0)".."Name(n)", unless `options` names them.
    QString control;
    ParamRule rule = ParamRule::Flag;
    // Option groups whose buttons carry names of their own, in index order.
    QStringList options = {};
};

// A value collected for saving.
struct ParamValue {
    QString category;
    QString key;
    QVariant value;
};

// "Name(3)": the object name of element 3 of a control array.
QString elementName(const QString& name, int index);

// The buttons of an option group in index order: the record's `options` when
// given, else "Name(0)", "Name(1)", ... up to the first missing one. Raises
// when the group has no button at all.
QList<QAbstractButton*> optionButtons(QWidget* root, const ParamSpec& spec);
// The index of the first selected option, -1 when none is selected.
int selectedOption(const QList<QAbstractButton*>& buttons);

// Puts one stored text into the control the record names under root. A missing control
// raises; a stored number with no matching option or entry leaves the group
// or combo without a selection, so that a save writes nothing for it.
void applyParam(QWidget* root, const ParamSpec& spec, const QString& stored);

// Reads each parameter (GetSystemProfile with the record's default) into its
// control, in list order.
void loadParams(QWidget* root, host::SystemProfile& profile, const QList<ParamSpec>& specs);

// The value to save for one parameter record, or an invalid QVariant when there is nothing
// to write (a combo or option group without a selection).
QVariant collectParam(QWidget* root, const ParamSpec& spec);

// The values to save, in list order, skipping those with nothing to write.
QList<ParamValue> collectParams(QWidget* root, const QList<ParamSpec>& specs);

// Writes the collected values one Setprofile at a time, in list order.
void saveParams(QWidget* root, host::ProfileWriter& writer, const QList<ParamSpec>& specs);

}  // namespace zx::store
