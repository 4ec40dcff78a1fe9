#include "zx/store/Store.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>
#include <cmath>
#include <limits>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"

namespace zx::store {

namespace {

const QString kSource = QStringLiteral("Store");

[[noreturn]] void raiseOverflow() {
    throw host::HostError(6, kSource, QStringLiteral("溢出"));
}

template <class Int>
Int roundTo(double value) {
    // nearbyint follows the default rounding mode, which rounds halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= double(std::numeric_limits<Int>::min()) &&
          rounded <= double(std::numeric_limits<Int>::max()))) {
        raiseOverflow();
    }
    return Int(rounded);
}

QWidget* control(QWidget* root, const QString& name) {
    QWidget* widget = root ? root->findChild<QWidget*>(name) : nullptr;
    if (!widget) {
        throw host::HostError(host::kGenericError, kSource,
                              QStringLiteral("找不到参数控件: %1").arg(name));
    }
    return widget;
}

[[noreturn]] void raiseUnsupported(const ParamSpec& spec) {
    throw host::HostError(host::kGenericError, kSource,
                          QStringLiteral("参数控件 %1 的类型不适用于参数 %2/%3")
                              .arg(spec.control, spec.category, spec.key));
}

// A button of an exclusive group refuses to be unchecked directly; lift the
// exclusiveness for the moment of the change.
void uncheck(QAbstractButton* button) {
    if (!button->isChecked()) return;
    QButtonGroup* group = button->group();
    const bool groupExclusive = group && group->exclusive();
    const bool autoExclusive = button->autoExclusive();
    if (groupExclusive) group->setExclusive(false);
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(autoExclusive);
    if (groupExclusive) group->setExclusive(true);
}

void setFlag(QWidget* widget, const ParamSpec& spec, bool ticked) {
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        box->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (ticked) {
            button->setChecked(true);
        } else {
            uncheck(button);
        }
    } else {
        raiseUnsupported(spec);
    }
}

QVariant flagValue(QWidget* widget, const ParamSpec& spec) {
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        return QVariant::fromValue(encodeFlag(box->checkState()));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return QVariant::fromValue(encodeYesNo(button->isChecked()));
    }
    raiseUnsupported(spec);
}

void setText(QWidget* widget, const ParamSpec& spec, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        spin->setValue(roundToInt32(Val(text)));
    } else {
        raiseUnsupported(spec);
    }
}

QString textOf(QWidget* widget, const ParamSpec& spec) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) return spin->cleanText();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
    raiseUnsupported(spec);
}

QComboBox* combo(QWidget* widget, const ParamSpec& spec) {
    auto* box = qobject_cast<QComboBox*>(widget);
    if (!box) raiseUnsupported(spec);
    return box;
}

void selectIndex(QComboBox* box, qint32 index) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

}  // namespace

// ----- Conversions ---------------------------------------------------------

qint32 roundToInt32(double value) {
    return roundTo<qint32>(value);
}

qint16 roundToInt16(double value) {
    return roundTo<qint16>(value);
}

qint32 textToInt32(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        throw host::HostError(13, kSource, QStringLiteral("类型不匹配: \"%1\"").arg(text));
    }
    return roundToInt32(value);
}

bool flagOf(const QString& text) {
    return Val(text) != 0;
}

qint16 encodeFlag(Qt::CheckState state) {
    return state == Qt::Unchecked ? 0 : 1;
}

qint16 encodeYesNo(bool yes) {
    return yes ? 1 : 0;
}

QString flagText(Qt::CheckState state) {
    return state == Qt::Unchecked ? QStringLiteral("0") : QStringLiteral("1");
}

qint16 checkValue(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

QString numberText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        return QString::number(qint64(value));
    }
    return QString::number(value, 'g', 15);
}

// ----- Reading -------------------------------------------------------------

QString readText(host::SystemProfile& profile, const QString& category, const QString& key,
                 const QString& defaultValue) {
    return profile.GetSystemProfile(category, key, defaultValue);
}

bool readFlag(host::SystemProfile& profile, const QString& category, const QString& key,
              const QString& defaultValue) {
    return flagOf(readText(profile, category, key, defaultValue));
}

double readNumber(host::SystemProfile& profile, const QString& category, const QString& key,
                  const QString& defaultValue) {
    return Val(readText(profile, category, key, defaultValue));
}

qint32 readInt(host::SystemProfile& profile, const QString& category, const QString& key,
               const QString& defaultValue) {
    return roundToInt32(readNumber(profile, category, key, defaultValue));
}

// ----- Writing -------------------------------------------------------------

void writeValue(host::ProfileWriter& writer, const QString& category, const QString& key,
                const QVariant& value) {
    writer.Setprofile(GetPropsString(), category, key, value);
}

void writeFlag(host::ProfileWriter& writer, const QString& category, const QString& key,
               Qt::CheckState state) {
    writeValue(writer, category, key, QVariant::fromValue(encodeFlag(state)));
}

void writeYesNo(host::ProfileWriter& writer, const QString& category, const QString& key,
                bool yes) {
    writeValue(writer, category, key, QVariant::fromValue(encodeYesNo(yes)));
}

// ----- Catalogue -----------------------------------------------------------

QString elementName(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QList<QAbstractButton*> optionButtons(QWidget* root, const ParamSpec& spec) {
    QList<QAbstractButton*> buttons;
    if (!spec.options.isEmpty()) {
        for (const QString& name : spec.options) {
            auto* button = qobject_cast<QAbstractButton*>(control(root, name));
            if (!button) raiseUnsupported(spec);
            buttons << button;
        }
        return buttons;
    }
    for (int i = 0;; ++i) {
        auto* button =
            root ? root->findChild<QAbstractButton*>(elementName(spec.control, i)) : nullptr;
        if (!button) break;
        buttons << button;
    }
    if (buttons.isEmpty()) control(root, elementName(spec.control, 0));  // raises
    return buttons;
}

int selectedOption(const QList<QAbstractButton*>& buttons) {
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked()) return i;
    }
    return -1;
}

void applyParam(QWidget* root, const ParamSpec& spec, const QString& stored) {
    if (spec.rule == ParamRule::OptionIndex) {
        const QList<QAbstractButton*> buttons = optionButtons(root, spec);
        const qint32 index = roundToInt32(Val(stored));
        if (index >= 0 && index < buttons.size()) buttons.at(index)->setChecked(true);
        for (int i = 0; i < buttons.size(); ++i) {
            if (i != index) uncheck(buttons.at(i));
        }
        return;
    }

    QWidget* widget = control(root, spec.control);
    switch (spec.rule) {
        case ParamRule::Flag:
            setFlag(widget, spec, flagOf(stored));
            break;
        case ParamRule::FlagIsOne:
            setFlag(widget, spec, Val(stored) == 1);
            break;
        case ParamRule::FlagUnlessZero:
            setFlag(widget, spec, stored != QStringLiteral("0"));
            break;
        case ParamRule::Number:
            setText(widget, spec, QString::number(roundToInt32(Val(stored))));
            break;
        case ParamRule::NumberText:
            setText(widget, spec, numberText(Val(stored)));
            break;
        case ParamRule::Text:
            setText(widget, spec, stored);
            break;
        case ParamRule::ComboIndex:
        case ParamRule::ComboItemData:
            selectIndex(combo(widget, spec), roundToInt32(Val(stored)));
            break;
        case ParamRule::ComboIndexFrom1:
            selectIndex(combo(widget, spec), roundToInt32(Val(stored)) - 1);
            break;
        case ParamRule::ComboText: {
            QComboBox* box = combo(widget, spec);
            box->setCurrentIndex(box->findText(stored, Qt::MatchExactly | Qt::MatchCaseSensitive));
            break;
        }
        case ParamRule::OptionIndex:
            break;
    }
}

void loadParams(QWidget* root, host::SystemProfile& profile, const QList<ParamSpec>& specs) {
    for (const ParamSpec& spec : specs) {
        applyParam(root, spec, readText(profile, spec.category, spec.key, spec.defaultValue));
    }
}

QVariant collectParam(QWidget* root, const ParamSpec& spec) {
    if (spec.rule == ParamRule::OptionIndex) {
        const int index = selectedOption(optionButtons(root, spec));
        return index < 0 ? QVariant() : QVariant(qint32(index));
    }

    QWidget* widget = control(root, spec.control);
    switch (spec.rule) {
        case ParamRule::Flag:
        case ParamRule::FlagIsOne:
        case ParamRule::FlagUnlessZero:
            return flagValue(widget, spec);
        case ParamRule::Number:
            if (auto* spin = qobject_cast<QSpinBox*>(widget)) return qint32(spin->value());
            return roundToInt32(Val(textOf(widget, spec)));
        case ParamRule::NumberText:
        case ParamRule::Text:
            return textOf(widget, spec);
        case ParamRule::ComboIndex:
        case ParamRule::ComboIndexFrom1:
        case ParamRule::ComboItemData:
        case ParamRule::ComboText: {
            QComboBox* box = combo(widget, spec);
            const int index = box->currentIndex();
            if (index < 0) return QVariant();
            if (spec.rule == ParamRule::ComboIndex) return qint32(index);
            if (spec.rule == ParamRule::ComboIndexFrom1) return qint32(index + 1);
            if (spec.rule == ParamRule::ComboItemData) return box->itemData(index);
            return box->itemText(index);
        }
        case ParamRule::OptionIndex:
            break;
    }
    return QVariant();
}

QList<ParamValue> collectParams(QWidget* root, const QList<ParamSpec>& specs) {
    QList<ParamValue> values;
    for (const ParamSpec& spec : specs) {
        QVariant value = collectParam(root, spec);
        if (value.isValid()) values.append({spec.category, spec.key, std::move(value)});
    }
    return values;
}

void saveParams(QWidget* root, host::ProfileWriter& writer, const QList<ParamSpec>& specs) {
    for (const ParamValue& value : collectParams(root, specs)) {
        writeValue(writer, value.category, value.key, value.value);
    }
}

}  // namespace zx::store
