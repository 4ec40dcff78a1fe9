#pragma once

#include <QAbstractSpinBox>

namespace zx::frame {

// The numeric entry box of the pages. Its text is what it holds: a stored
// value is shown as it is, even beyond the bounds, and an empty box stays
// empty. The bounds limit what the user may type or spin to; a refused
// keystroke shows the accepted range beside the box for a moment. A box for
// decimals takes a decimal number (the tax rate).
class IntText3D : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit IntText3D(QWidget* parent = nullptr);

    // The leading number of the text as a 32-bit value (0 for an empty box).
    qint32 Value() const;
    void setValue(qint32 value);

    QString Text() const;
    void setText(const QString& text);

    qint32 Min() const { return lower_; }
    qint32 Max() const { return upper_; }
    void setBounds(qint32 lower, qint32 upper);
    void setMinimum(qint32 lower) { setBounds(lower, upper_); }
    void setMaximum(qint32 upper) { setBounds(lower_, upper); }

    bool Locked() const { return isReadOnly(); }
    void setLocked(bool locked) { setReadOnly(locked); }

    bool SpinButtons() const { return buttonSymbols() != QAbstractSpinBox::NoButtons; }
    void setSpinButtons(bool on);

    bool decimals() const { return decimals_; }
    void setDecimals(bool on) { decimals_ = on; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    void textChanged(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void refused() const;

    qint32 lower_;
    qint32 upper_;
    bool decimals_ = false;
};

}  // namespace zx::frame
