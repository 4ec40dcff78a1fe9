#include "zx/profiles/IntText3D.h"

#include <QLineEdit>
#include <cmath>

namespace zx::profiles {

namespace {
// Leading integer of a text: blanks skipped, optional sign, digits.
qint64 leadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    while (i < text.size() && text.at(i).isDigit() && value < (qint64(1) << 40)) {
        value = value * 10 + text.at(i).digitValue();
        ++i;
    }
    return negative ? -value : value;
}
}  // namespace

IntText3D::IntText3D(QWidget* parent) : QSpinBox(parent) {
    setRange(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
}

void IntText3D::setText(const QString& text) {
    const qint64 v = leadingInteger(text);
    setValue(int(std::clamp<qint64>(v, minimum(), maximum())));
}

void IntText3D::setSpinButtons(bool on) {
    setButtonSymbols(on ? QAbstractSpinBox::UpDownArrows : QAbstractSpinBox::NoButtons);
}

}  // namespace zx::profiles
