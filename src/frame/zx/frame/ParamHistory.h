#pragma once

// A parameter's history at hand: every parameter control of a dialog offers
// 修改记录 in its context menu and on Ctrl+H, which opens a small window of
// the parameter's recorded changes (who, when, from where, the value before
// and after, in the control's words), read from the host's audit.

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPointer>
#include <functional>
#include <optional>

#include "zx/host/AuditServices.h"
#include "zx/params/Param.h"

class QContextMenuEvent;
class QLabel;
class QTableView;

namespace zx::frame {

class DialogFrame;

// A stored text in the control's words where the page converts it itself
// (an account's id shown as its number); nullopt: as the declaration's codec
// shows it.
using Describe = std::function<std::optional<QString>(const params::Param&, const QString&)>;

// The next page of a parameter's changes: at most `count` of those older
// than `olderThan`, newest first.
using ReadChanges = std::function<QList<host::ParamChange>(qint64 olderThan, int count)>;

// The changes of one parameter, newest first; closed by cmdClose. It holds
// the first page and `total`; the rest is read as the list is scrolled.
class frmParamHistory : public QDialog {
    Q_OBJECT
public:
    // How many changes are read at a time: more than a screenful.
    static constexpr int kPage = 200;

    frmParamHistory(const params::Param& p, QList<host::ParamChange> first, qint64 total,
                    ReadChanges more, const Describe& describe, QWidget* parent = nullptr);
    ~frmParamHistory() override;

    QTableView* grid() const { return grid_; }

private:
    void sizeColumns();

    QTableView* grid_ = nullptr;
};

class HistoryOffer : public QObject {
    Q_OBJECT
public:
    using Params = std::function<QList<const params::Param*>()>;

    // `params` lists the dialog's parameters once it has loaded them.
    HistoryOffer(DialogFrame& dialog, Params params, Describe describe = {});
    ~HistoryOffer() override;

    // The offer of a dialog's window, nullptr when it has none.
    static HistoryOffer* of(QWidget* window);

    // The parameter a control (or a part of one) shows; nullptr for none.
    const params::Param* paramOf(QWidget* w) const;
    // Opens the history of the parameter the control shows and returns when
    // it is closed; false when the control shows no parameter.
    bool open(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The parameter control under a point of the screen, also one that a
    // read-only dialog makes ignore the mouse.
    QWidget* controlAt(const QPoint& global) const;
    QWidget* controlOf(QWidget* w) const;
    bool contextMenu(QWidget* target, const QContextMenuEvent& event);
    void index() const;

    DialogFrame& dialog_;
    Params params_;
    Describe describe_;
    mutable QHash<QWidget*, const params::Param*> byWidget_;
    mutable int indexedCount_ = -1;
};

}  // namespace zx::frame
