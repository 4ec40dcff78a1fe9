#pragma once

#include <QSpinBox>

namespace zx::profiles {

// The numeric entry box of the pages: a 32-bit value within a lower and an
// upper bound, optional spin buttons, and a locked (read-only) state.
// Typing outside the bounds or a non-number is refused at the box.
class IntText3D : public QSpinBox {
    Q_OBJECT
public:
    explicit IntText3D(QWidget* parent = nullptr);

    qint32 Value() const { return value(); }
    void setValue32(qint32 v) { setValue(v); }

    // The box's text; setting it takes the text's leading number.
    QString Text() const { return cleanText(); }
    void setText(const QString& text);

    qint32 Min() const { return minimum(); }
    qint32 Max() const { return maximum(); }
    void setBounds(qint32 lower, qint32 upper) { setRange(lower, upper); }

    bool Locked() const { return isReadOnly(); }
    void setLocked(bool locked) { setReadOnly(locked); }

    bool SpinButtons() const { return buttonSymbols() != QAbstractSpinBox::NoButtons; }
    void setSpinButtons(bool on);
};

}  // namespace zx::profiles
