#include "zx/frame/IntText3D.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QToolTip>
#include <QWheelEvent>
#include <limits>

#include "zx/session/Session.h"

namespace zx::frame {

namespace {

bool isWholeNumber(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^-?\\d*$"));
    return pattern.match(text).hasMatch();
}

bool isDecimal(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^-?\\d*(\\.\\d*)?$"));
    return pattern.match(text).hasMatch();
}

}  // namespace

IntText3D::IntText3D(QWidget* parent)
    : QAbstractSpinBox(parent),
      lower_(std::numeric_limits<qint32>::min()),
      upper_(std::numeric_limits<qint32>::max()) {
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    // Turning the mouse wheel over the page scrolls it; only a box the user
    // is working in takes the wheel.
    setFocusPolicy(Qt::StrongFocus);
    connect(lineEdit(), &QLineEdit::textChanged, this, &IntText3D::textChanged);
}

qint32 IntText3D::Value() const {
    const double v = Val(Text());
    if (v <= double(std::numeric_limits<qint32>::min())) return std::numeric_limits<qint32>::min();
    if (v >= double(std::numeric_limits<qint32>::max())) return std::numeric_limits<qint32>::max();
    return qint32(v);
}

void IntText3D::setValue(qint32 value) {
    setText(QString::number(value));
}

QString IntText3D::Text() const {
    return lineEdit()->text().trimmed();
}

void IntText3D::setText(const QString& text) {
    if (lineEdit()->text() != text) lineEdit()->setText(text);
}

void IntText3D::setBounds(qint32 lower, qint32 upper) {
    lower_ = lower;
    upper_ = std::max(lower, upper);
}

void IntText3D::setSpinButtons(bool on) {
    setButtonSymbols(on ? QAbstractSpinBox::UpDownArrows : QAbstractSpinBox::NoButtons);
}

void IntText3D::stepBy(int steps) {
    if (isReadOnly()) return;
    const qint64 next = qint64(Value()) + steps;
    setValue(qint32(std::clamp<qint64>(next, lower_, upper_)));
    selectAll();
}

QAbstractSpinBox::StepEnabled IntText3D::stepEnabled() const {
    if (isReadOnly() || !SpinButtons()) return StepNone;
    StepEnabled out = StepNone;
    if (Value() > lower_) out |= StepDownEnabled;
    if (Value() < upper_) out |= StepUpEnabled;
    return out;
}

// What the user types must be a number within the bounds; while a number is
// still being typed ("-", a prefix of an allowed value) it is accepted as it goes.
QValidator::State IntText3D::validate(QString& input, int&) const {
    const QString text = input.trimmed();
    if (text.isEmpty() || text == QLatin1String("-")) return QValidator::Intermediate;
    if (!(decimals_ ? isDecimal(text) : isWholeNumber(text))) {
        refused();
        return QValidator::Invalid;
    }
    const double v = Val(text);
    if (v > upper_ && v >= 0) {
        refused();
        return QValidator::Invalid;
    }
    if (v < lower_) {
        // A shorter number may grow into the range ("2" on the way to "2024").
        return v >= 0 && v < upper_ ? QValidator::Intermediate : QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void IntText3D::fixup(QString& input) const {
    // An unfinished number is left as typed; the save reads its leading number.
    Q_UNUSED(input);
}

void IntText3D::refused() const {
    if (!isVisible()) return;
    const QString range =
        decimals_ ? QStringLiteral("请输入 %1 到 %2 之间的数").arg(lower_).arg(upper_)
                  : QStringLiteral("请输入 %1 到 %2 之间的整数").arg(lower_).arg(upper_);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), range, const_cast<IntText3D*>(this),
                       QRect(), 2500);
}

void IntText3D::wheelEvent(QWheelEvent* event) {
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QAbstractSpinBox::wheelEvent(event);
}

}  // namespace zx::frame
