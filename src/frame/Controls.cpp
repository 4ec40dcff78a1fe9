#include "zx/frame/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "zx/frame/IntText3D.h"
#include "zx/session/Session.h"

namespace zx::frame {

using params::Codec;
using params::Kind;
using params::Param;
using params::State;

namespace {
const QString kSource = QStringLiteral("系统参数");
}

void Controls::index(QWidget* root) {
    widgets_.clear();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) widgets_.insert(name, w);
    }
}

QWidget* Controls::widget(const QString& name) const {
    QWidget* w = widgets_.value(name);
    if (!w) throw host::HostError(340, kSource, QStringLiteral("控件不存在: %1").arg(name));
    return w;
}

host::HostError Controls::wrongKind(const QString& name) {
    return host::HostError(13, kSource, QStringLiteral("控件类型不符: %1").arg(name));
}

QList<QWidget*> Controls::members(const params::Control& c) const {
    QList<QWidget*> out;
    for (int i = 0; i < params::itemCount(c); ++i) out << widget(params::memberName(c, i));
    return out;
}

QList<QWidget*> Controls::widgets(const Param& p) const {
    if (p.codec == Codec::Chars3) {
        QList<QWidget*> out;
        for (int g = 1; g <= 3; ++g) {
            params::Control group = p.control;
            const QByteArray name = QByteArray(p.control.name) + QByteArray::number(g);
            group.name = name.constData();
            out << members(group);
        }
        return out;
    }
    QList<QWidget*> out;
    if (p.control.kind == Kind::Checks || p.control.kind == Kind::Options) {
        out = members(p.control);
    } else {
        out << widget(p.control);
    }
    if (p.second.name) out << widget(p.second);
    return out;
}

int Controls::checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void Controls::setCheckValue(QCheckBox* box, int value) {
    if (value == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    }
}

void Controls::clearOption(QRadioButton* button) {
    if (!button->isChecked()) return;
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
}

namespace {

int selected(const QList<QWidget*>& options) {
    for (int i = 0; i < options.size(); ++i) {
        if (static_cast<QRadioButton*>(options.at(i))->isChecked()) return i;
    }
    return -1;
}

void select(const QList<QWidget*>& options, int index) {
    // Clear first, so that no moment has two options selected.
    for (int i = 0; i < options.size(); ++i) {
        if (i != index) Controls::clearOption(static_cast<QRadioButton*>(options.at(i)));
    }
    if (index >= 0 && index < options.size()) {
        static_cast<QRadioButton*>(options.at(index))->setChecked(true);
    }
}

QString boxText(QWidget* w) {
    if (auto* number = qobject_cast<IntText3D*>(w)) return number->Text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    return {};
}

}  // namespace

State Controls::state(const Param& p) const {
    const QList<QWidget*> ws = widgets(p);
    State s;
    if (p.codec == Codec::Chars3) {
        for (int g = 0; g < 3; ++g) s.values << selected(ws.mid(g * 2, 2));
        return s;
    }
    switch (p.control.kind) {
        case Kind::Check:
            s.values << checkValue(get<QCheckBox>(p.control));
            break;
        case Kind::Checks:
            for (QWidget* w : ws) s.values << checkValue(static_cast<QCheckBox*>(w));
            break;
        case Kind::Options:
            s.values << selected(ws);
            break;
        case Kind::Combo:
            s.values << get<QComboBox>(p.control)->currentIndex();
            break;
        default:
            s.text = boxText(ws.first());
            break;
    }
    if (p.second.name) s.values << get<QComboBox>(p.second)->currentIndex();
    return s;
}

void Controls::setState(const Param& p, const State& s) const {
    const QList<QWidget*> ws = widgets(p);
    auto value = [&s](int i) { return i < s.values.size() ? s.values.at(i) : -1; };
    if (p.second.name) {
        // The list first: the box's reaction enables it.
        get<QComboBox>(p.second)->setCurrentIndex(value(1));
    }
    if (p.codec == Codec::Chars3) {
        for (int g = 0; g < 3; ++g) select(ws.mid(g * 2, 2), value(g));
        return;
    }
    switch (p.control.kind) {
        case Kind::Check:
            setCheckValue(get<QCheckBox>(p.control), std::max(value(0), 0));
            break;
        case Kind::Checks:
            for (int i = 0; i < params::itemCount(p.control); ++i) {
                setCheckValue(static_cast<QCheckBox*>(ws.at(i)), std::max(value(i), 0));
            }
            break;
        case Kind::Options:
            select(ws, value(0));
            break;
        case Kind::Combo:
            get<QComboBox>(p.control)->setCurrentIndex(value(0));
            break;
        default:
            if (auto* number = qobject_cast<IntText3D*>(ws.first())) {
                number->setText(s.text);
            } else if (auto* edit = qobject_cast<QLineEdit*>(ws.first())) {
                edit->setText(s.text);
            }
            break;
    }
}

QString Controls::logText(const Param& p, int member) const {
    if (p.control.kind == Kind::Combo) return get<QComboBox>(p.control)->currentText();
    if (p.control.kind == Kind::Number) {
        return QString::number(get<IntText3D>(p.control)->Value());
    }
    const State s = state(p);
    return member < s.values.size() ? QString::number(s.values.at(member)) : s.text;
}

bool Controls::isValueControl(const QWidget* w) {
    // A box that holds no parameter (the search box) says so.
    if (w->property("holdsNoValue").toBool()) return false;
    return qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const IntText3D*>(w) ||
           (qobject_cast<const QLineEdit*>(w) &&
            !qobject_cast<const QAbstractSpinBox*>(w->parentWidget()));
}

QVariant Controls::valueOf(const QWidget* w) {
    if (auto* box = qobject_cast<const QCheckBox*>(w)) return checkValue(box);
    if (auto* option = qobject_cast<const QRadioButton*>(w)) return option->isChecked();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        // A list may be refilled with other wordings: the entry chosen counts.
        return combo->isEditable() ? QVariant(combo->currentText())
                                   : QVariant(combo->currentIndex());
    }
    if (auto* number = qobject_cast<const IntText3D*>(w)) return number->Text();
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    return {};
}

void Controls::setValueOf(QWidget* w, const QVariant& value) {
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        setCheckValue(box, value.toInt());
    } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
        if (value.toBool()) {
            option->setChecked(true);
        } else {
            clearOption(option);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) {
            combo->setCurrentText(value.toString());
        } else {
            combo->setCurrentIndex(value.toInt());
        }
    } else if (auto* number = qobject_cast<IntText3D*>(w)) {
        number->setText(value.toString());
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(value.toString());
    }
}

QList<QWidget*> Controls::valueControls() const {
    QList<QWidget*> out;
    for (auto it = widgets_.cbegin(); it != widgets_.cend(); ++it) {
        if (it.value() && isValueControl(it.value())) out << it.value();
    }
    std::sort(out.begin(), out.end(),
              [](QWidget* a, QWidget* b) { return a->objectName() < b->objectName(); });
    return out;
}

void Controls::onValueChange(QWidget* w, QObject* context,
                             const std::function<void()>& changed) const {
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        QObject::connect(box, &QCheckBox::stateChanged, context, changed);
    } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
        QObject::connect(option, &QRadioButton::toggled, context, [changed](bool on) {
            if (on) changed();
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QObject::connect(combo, &QComboBox::currentIndexChanged, context, changed);
    } else if (auto* number = qobject_cast<IntText3D*>(w)) {
        QObject::connect(number, &IntText3D::textChanged, context, changed);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textChanged, context, changed);
    }
}

}  // namespace zx::frame
