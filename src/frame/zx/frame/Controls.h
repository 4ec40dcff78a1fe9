#pragma once

// The named controls of a dialog and the one place that knows how each kind
// of widget holds a value: a declared parameter's state is read and set here,
// for the pages, the change log and the automation alike.

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "zx/host/HostError.h"
#include "zx/params/Codec.h"
#include "zx/params/Param.h"

class QCheckBox;
class QRadioButton;

namespace zx::frame {

class Controls {
public:
    // Indexes the named widgets below root (names starting "qt_" are Qt's own).
    void index(QWidget* root);

    bool has(const QString& name) const { return widgets_.contains(name); }
    // Raises HostError when the dialog has no such control.
    QWidget* widget(const QString& name) const;
    template <class T>
    T* get(const QString& name) const {
        auto* typed = qobject_cast<T*>(widget(name));
        if (!typed) throw wrongKind(name);
        return typed;
    }
    template <class T>
    T* get(const params::Control& c) const {
        return get<T>(QString::fromLatin1(c.name));
    }
    QWidget* widget(const params::Control& c) const { return widget(QString::fromLatin1(c.name)); }

    // Every widget showing the parameter: members of an array, the list
    // beside a box.
    QList<QWidget*> widgets(const params::Param& p) const;

    params::State state(const params::Param& p) const;
    void setState(const params::Param& p, const params::State& s) const;
    // The value text the change log records for member `member` of a
    // watched parameter: the box state, the entry shown, the whole number.
    QString logText(const params::Param& p, int member = 0) const;

    // Calls `changed` whenever the user (or code) changes a value control.
    void onValueChange(QWidget* w, QObject* context, const std::function<void()>& changed) const;
    // Every named value control, in name order.
    QList<QWidget*> valueControls() const;

    // A check box's value: 0 unchecked, 1 checked, 2 greyed.
    static int checkValue(const QCheckBox* box);
    static void setCheckValue(QCheckBox* box, int value);
    // Clears an option button even when it is the checked member of its group.
    static void clearOption(QRadioButton* button);
    // Whether a widget is one that holds a value (and not a frame or a label).
    static bool isValueControl(const QWidget* w);
    // What a value control shows, as one comparable value, and setting it back.
    static QVariant valueOf(const QWidget* w);
    static void setValueOf(QWidget* w, const QVariant& value);

private:
    QList<QWidget*> members(const params::Control& c) const;
    static host::HostError wrongKind(const QString& name);

    QHash<QString, QPointer<QWidget>> widgets_;
};

}  // namespace zx::frame
