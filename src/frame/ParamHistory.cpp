#include "zx/frame/ParamHistory.h"

#include <QAbstractSpinBox>
#include <QAbstractTableModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "zx/frame/DialogFrame.h"
#include "zx/host/Environment.h"
#include "zx/params/Shown.h"
#include "zx/session/Session.h"

namespace zx::frame {

using params::Param;

namespace {

enum Column { Time, User, Machine, Address, Before, After, SaveId, kColumns };

const char16_t* const kHeaders[kColumns] = {u"时间", u"用户", u"计算机", u"IP 地址",
                                            u"原值", u"新值", u"保存号"};

// Rows of the grid measured for the column widths: enough for the widths a
// screenful needs, few enough that a long history opens at once.
constexpr int kMeasuredRows = 200;
constexpr int kMaxValueWidth = 260;

// The changes as a grid, read a page at a time as the view reaches the end
// of what it holds. A value is put in the control's words when it is first
// shown; a parameter keeps to a few values, so each is worded once.
class HistoryModel : public QAbstractTableModel {
public:
    HistoryModel(const Param& p, QList<host::ParamChange> first, qint64 total, ReadChanges more,
                 Describe describe, QObject* parent)
        : QAbstractTableModel(parent),
          param_(p),
          changes_(std::move(first)),
          total_(total),
          more_(std::move(more)),
          describe_(std::move(describe)) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(changes_.size());
    }

    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && more_ && !changes_.isEmpty() && changes_.size() < total_;
    }

    void fetchMore(const QModelIndex& parent) override {
        if (!canFetchMore(parent)) return;
        QList<host::ParamChange> page;
        try {
            page = more_(changes_.last().id, frmParamHistory::kPage);
        } catch (const host::HostError& e) {
            // Asked for while scrolling: the rows shown stay, the rest is
            // not offered again, and the user is told once.
            total_ = changes_.size();
            QTimer::singleShot(0, [e] { host::env().dialogService().ShowError(e, {}); });
            return;
        }
        if (page.isEmpty()) {
            total_ = changes_.size();  // removed meanwhile: what is shown is all there is
            return;
        }
        beginInsertRows(QModelIndex(), int(changes_.size()),
                        int(changes_.size() + page.size()) - 1);
        changes_ += page;
        endInsertRows();
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : kColumns;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section >= 0 && section < kColumns ? QString::fromUtf16(kHeaders[section])
                                                  : QString();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= changes_.size()) return {};
        const host::ParamChange& c = changes_.at(index.row());
        const bool value = index.column() == Before || index.column() == After;
        const std::optional<QString>& stored = index.column() == Before ? c.before : c.after;
        if (role == Qt::ToolTipRole && value) {
            return stored ? QStringLiteral("存储值：“%1”").arg(*stored)
                          : QStringLiteral("参数当时不存在");
        }
        if (role != Qt::DisplayRole) return {};
        switch (index.column()) {
            case Time:
                return c.time;
            case User:
                return c.userName;
            case Machine:
                return c.machine;
            case Address:
                return c.address;
            case SaveId:
                return c.saveId;
            default:
                return words(stored);
        }
    }

private:
    QString words(const std::optional<QString>& stored) const {
        if (!stored) return params::shownText(param_, stored);
        auto it = worded_.constFind(*stored);
        if (it != worded_.constEnd()) return *it;
        std::optional<QString> own;
        try {
            if (describe_) own = describe_(param_, *stored);
        } catch (const host::HostError& e) {
            // Shown while painting: a lookup that fails leaves the codec's words.
            qWarning("history value not looked up: %s", qPrintable(e.description()));
        }
        const QString text = own ? *own : params::shownText(param_, stored);
        worded_.insert(*stored, text);
        return text;
    }

    const Param& param_;
    QList<host::ParamChange> changes_;
    qint64 total_;
    ReadChanges more_;
    Describe describe_;
    mutable QHash<QString, QString> worded_;
};

QString parameterLine(const Param& p) {
    return QStringLiteral("参数：%1（%2/%3）")
        .arg(params::captionOf(p), params::categoryName(p.cat), params::keyOf(p));
}

}  // namespace

frmParamHistory::frmParamHistory(const Param& p, QList<host::ParamChange> first, qint64 total,
                                 ReadChanges more, const Describe& describe, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmParamHistory"));
    setWindowTitle(QStringLiteral("修改记录 - %1").arg(params::captionOf(p)));
    setModal(true);
    const qint64 count = first.isEmpty() ? 0 : std::max<qint64>(total, first.size());
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(parameterLine(p), this);
    title->setObjectName(QStringLiteral("lblParam"));
    title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(title);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grdHistory"));
    grid_->setModel(new HistoryModel(p, std::move(first), count, std::move(more), describe, grid_));
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grid_, 1);

    auto* empty = new QLabel(QStringLiteral("该参数没有修改记录。"), this);
    empty->setObjectName(QStringLiteral("lblEmpty"));
    empty->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty, 1);
    grid_->setVisible(count > 0);
    empty->setVisible(count == 0);

    auto* buttons = new QHBoxLayout;
    auto* countLabel = new QLabel(
        count > 0 ? QStringLiteral("共 %1 条修改记录").arg(count) : QStringLiteral("没有修改记录"),
        this);
    countLabel->setObjectName(QStringLiteral("lblCount"));
    buttons->addWidget(countLabel, 1);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    sizeColumns();
    resize(860, 380);
}

frmParamHistory::~frmParamHistory() = default;

// Each column as wide as its header and the first rows' texts; a long value
// gives way and shows whole in its tooltip.
void frmParamHistory::sizeColumns() {
    const QAbstractItemModel* model = grid_->model();
    const QFontMetrics metrics = grid_->fontMetrics();
    const QFontMetrics header = grid_->horizontalHeader()->fontMetrics();
    const int rows = std::min(model->rowCount(), kMeasuredRows);
    for (int c = 0; c < kColumns; ++c) {
        int width = header.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) + 24;
        for (int r = 0; r < rows; ++r) {
            width = std::max(width,
                             metrics.horizontalAdvance(model->index(r, c).data().toString()) + 16);
        }
        if (c == Before || c == After) width = std::min(width, kMaxValueWidth);
        grid_->setColumnWidth(c, width);
    }
}

// ----- The offer -------------------------------------------------------------

HistoryOffer::HistoryOffer(DialogFrame& dialog, Params params, Describe describe)
    : QObject(&dialog),
      dialog_(dialog),
      params_(std::move(params)),
      describe_(std::move(describe)) {
    setObjectName(QStringLiteral("HistoryOffer"));
    qApp->installEventFilter(this);
}

HistoryOffer::~HistoryOffer() {
    qApp->removeEventFilter(this);
}

HistoryOffer* HistoryOffer::of(QWidget* window) {
    return window ? window->findChild<HistoryOffer*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void HistoryOffer::index() const {
    const QList<const Param*> params = params_();
    if (params.size() == indexedCount_) return;
    byWidget_.clear();
    for (const Param* p : params) {
        for (QWidget* w : dialog_.controls().widgets(*p)) {
            // A list two keys share shows the one it was made for.
            if (!byWidget_.contains(w) || !p->shares) byWidget_.insert(w, p);
        }
    }
    indexedCount_ = int(params.size());
}

const Param* HistoryOffer::paramOf(QWidget* w) const {
    index();
    QWidget* control = controlOf(w);
    return control ? byWidget_.value(control) : nullptr;
}

QWidget* HistoryOffer::controlOf(QWidget* w) const {
    index();
    for (QWidget* p = w; p && p != &dialog_; p = p->parentWidget()) {
        if (byWidget_.contains(p)) return p;
    }
    return nullptr;
}

QWidget* HistoryOffer::controlAt(const QPoint& global) const {
    index();
    QWidget* found = nullptr;
    for (auto it = byWidget_.cbegin(); it != byWidget_.cend(); ++it) {
        QWidget* w = it.key();
        if (!w->isVisible() || !w->rect().contains(w->mapFromGlobal(global))) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

bool HistoryOffer::open(QWidget* control) {
    const Param* p = paramOf(control);
    if (!p) return false;
    dialog_.attempt([&] {
        std::shared_ptr<host::ParamAudit> audit = host::createObject<host::ParamAudit>();
        const QString props = GetPropsString();
        const QString category = params::categoryName(p->cat);
        const QString key = params::keyOf(*p);
        QList<host::ParamChange> first =
            audit->Changes(props, category, key, 0, frmParamHistory::kPage);
        // Counted up to the newest row read: a change recorded meanwhile is
        // neither counted nor listed.
        const qint64 total =
            first.isEmpty() ? 0 : audit->ChangeCount(props, category, key, first.first().id);
        auto more = [audit, props, category, key](qint64 olderThan, int count) {
            return audit->Changes(props, category, key, olderThan, count);
        };
        frmParamHistory window(*p, std::move(first), total, more, describe_, &dialog_);
        host::env().dialogService().PrepareForm(&window);
        window.exec();
    });
    return true;
}

// A text box keeps its own entries (copy, select all) above ours.
bool HistoryOffer::contextMenu(QWidget* target, const QContextMenuEvent& event) {
    QWidget* control = event.reason() == QContextMenuEvent::Keyboard ? controlOf(target)
                                                                     : controlAt(event.globalPos());
    if (!control ||
        !(control == target || control->isAncestorOf(target) || target->isAncestorOf(control))) {
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (!edit && qobject_cast<QAbstractSpinBox*>(control)) edit = control->findChild<QLineEdit*>();
    std::unique_ptr<QMenu> menu(edit ? edit->createStandardContextMenu() : new QMenu(control));
    if (edit) menu->addSeparator();
    menu->setObjectName(QStringLiteral("mnuParam"));
    QAction* history = menu->addAction(QStringLiteral("修改记录"));
    history->setObjectName(QStringLiteral("mnuParamHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    if (menu->exec(event.globalPos()) == history) open(control);
    return true;
}

bool HistoryOffer::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the process passes here: the kinds that matter first.
    if (event->type() != QEvent::ContextMenu && event->type() != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != &dialog_ || !dialog_.isVisible()) return false;
    if (event->type() == QEvent::ContextMenu) {
        return contextMenu(w, *static_cast<QContextMenuEvent*>(event));
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_H || key->modifiers() != Qt::ControlModifier) return false;
    QWidget* control = controlOf(w);
    return control && open(control);
}

}  // namespace zx::frame
