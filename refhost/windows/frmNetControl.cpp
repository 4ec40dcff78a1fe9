#include "windows/frmNetControl.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "lock/NetControl.h"
#include "services/RefHost.h"
#include "sql/Database.h"

using zx::host::HostError;

namespace refhost {

namespace {

enum Column { Function, Year, Period, User, Machine, Address, Process, Session, Since, State };

// A list that does not have the focus leaves the wheel alone: turning it over
// the window never moves the chosen row by itself.
class WheelGuard : public QObject {
public:
    WheelGuard(QWidget* list, QObject* parent) : QObject(parent), list_(list) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Wheel && !list_->hasFocus()) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QWidget* list_;
};

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

std::function<void(frmNetControl&)> frmNetControl::onShown;

frmNetControl::frmNetControl(RefHost& host, QWidget* parent)
    : QDialog(parent), host_(host), control_(std::make_unique<NetControl>(host)) {
    setObjectName(QStringLiteral("frmNetControl"));
    setWindowTitle(QStringLiteral("网络控制工具"));
    setModal(true);

    lblAcct_ = new QLabel(this);
    lblAcct_->setObjectName(QStringLiteral("lblAcct"));
    lblAcct_->setText(
        QStringLiteral("账套: %1    位置: %2").arg(host_.acctName(), host_.db().location()));
    lblAcct_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grdLocks_ = new QTableWidget(0, State + 1, this);
    grdLocks_->setObjectName(QStringLiteral("grdLocks"));
    grdLocks_->setHorizontalHeaderLabels({QStringLiteral("功能"), QStringLiteral("年度"),
                                          QStringLiteral("期间"), QStringLiteral("用户"),
                                          QStringLiteral("工作站"), QStringLiteral("IP地址"),
                                          QStringLiteral("进程"), QStringLiteral("会话"),
                                          QStringLiteral("开始时间"), QStringLiteral("状态")});
    grdLocks_->verticalHeader()->hide();
    grdLocks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdLocks_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLocks_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdLocks_->setFocusPolicy(Qt::StrongFocus);
    grdLocks_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdLocks_->horizontalHeader()->setSectionResizeMode(Machine, QHeaderView::Stretch);
    // The server session means nothing for an account set in a file.
    grdLocks_->setColumnHidden(Session, !host_.db().onServer());
    grdLocks_->setMinimumSize(760, grdLocks_->verticalHeader()->defaultSectionSize() * 8);
    auto* guard = new WheelGuard(grdLocks_, this);
    grdLocks_->installEventFilter(guard);
    grdLocks_->viewport()->installEventFilter(guard);

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);

    cmdRefresh_ = new QPushButton(QStringLiteral("刷新"), this);
    cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRelease_ = new QPushButton(QStringLiteral("释放"), this);
    cmdRelease_->setObjectName(QStringLiteral("cmdRelease"));
    cmdClose_ = new QPushButton(QStringLiteral("关闭"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setDefault(true);
    connect(cmdRefresh_, &QPushButton::clicked, this, &frmNetControl::refresh);
    connect(cmdRelease_, &QPushButton::clicked, this, &frmNetControl::releaseChosen);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);
    connect(grdLocks_, &QTableWidget::itemSelectionChanged, this, &frmNetControl::updateRelease);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRefresh_);
    buttons->addWidget(cmdRelease_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblAcct_);
    layout->addWidget(grdLocks_, 1);
    layout->addWidget(lblStatus_);
    layout->addLayout(buttons);

    refresh();
}

frmNetControl::~frmNetControl() = default;

int frmNetControl::chosenRow() const {
    const QList<QTableWidgetSelectionRange> ranges = grdLocks_->selectedRanges();
    if (ranges.isEmpty()) return -1;
    const int row = ranges.first().topRow();
    return row < records_.size() ? row : -1;
}

void frmNetControl::refresh() {
    std::optional<LockRecord> chosen;
    if (const int row = chosenRow(); row >= 0) chosen = records_.at(row);
    try {
        records_ = control_->list();
    } catch (const HostError& error) {
        records_.clear();
        host_.ShowError(error, {});
    }
    const QSignalBlocker quiet(grdLocks_);
    grdLocks_->clearSelection();
    grdLocks_->setRowCount(int(records_.size()));
    int gone = 0;
    int select = -1;
    for (int row = 0; row < records_.size(); ++row) {
        const LockRecord& r = records_.at(row);
        gone += r.gone ? 1 : 0;
        const QStringList texts = {NetControl::functionName(r.key.code),
                                   QString::number(r.key.year),
                                   QString::number(r.key.period),
                                   r.user(),
                                   r.machine,
                                   r.ipAddress,
                                   QString::number(r.pid),
                                   r.session > 0 ? QString::number(r.session) : QString(),
                                   r.since,
                                   NetControl::stateText(r)};
        for (int column = 0; column < texts.size(); ++column) {
            QTableWidgetItem* item = cell(texts.at(column));
            if (r.gone) {
                item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
                item->setToolTip(QStringLiteral("持有者的进程或连接已经结束, 可以直接释放。"));
            }
            grdLocks_->setItem(row, column, item);
        }
        if (chosen && chosen->token == r.token && chosen->key.code == r.key.code &&
            chosen->key.year == r.key.year && chosen->key.period == r.key.period) {
            select = row;
        }
    }
    if (select >= 0) grdLocks_->selectRow(select);
    lblStatus_->setText(records_.isEmpty()
                            ? QStringLiteral("账套上没有被占用的功能。")
                            : QStringLiteral("共 %1 个功能被占用, 其中 %2 个的持有者已不在。")
                                  .arg(records_.size())
                                  .arg(gone));
    updateRelease();
}

void frmNetControl::updateRelease() {
    const int row = chosenRow();
    QString why;
    bool enabled = false;
    if (!control_->releaseRefusal().isEmpty()) {
        why = control_->releaseRefusal();
    } else if (row < 0) {
        why = QStringLiteral("请先在列表中选择要释放的锁。");
    } else if (records_.at(row).ownProcess) {
        why = QStringLiteral("这个锁由本程序自己持有, 不能在这里释放。");
    } else {
        enabled = true;
        why = records_.at(row).gone ? QStringLiteral("持有者已不在: 释放只删除它留下的登记。")
                                    : QStringLiteral("持有者仍在使用: 释放前会请您确认。");
    }
    cmdRelease_->setEnabled(enabled);
    cmdRelease_->setToolTip(why);
}

void frmNetControl::releaseChosen() {
    const int row = chosenRow();
    if (row < 0 || !cmdRelease_->isEnabled()) return;
    const LockRecord record = records_.at(row);
    bool confirmed = false;
    if (!record.gone) {
        confirmed = host_.messageBox(control_->confirmation(record), zx::host::MsgButtons::YesNo,
                                     zx::host::MsgIcon::Question, QString(),
                                     this) == zx::host::MsgResult::Yes;
        if (!confirmed) {
            lblStatus_->setText(
                QStringLiteral("没有释放功能 %1 的锁。").arg(NetControl::functionText(record)));
            return;
        }
    }
    NetControl::Result result;
    try {
        result = control_->release(record, confirmed);
    } catch (const HostError& error) {
        host_.ShowError(error, {});
        refresh();
        return;
    }
    refresh();
    lblStatus_->setText(result.message);
    if (!result.released) host_.ShowMessage(result.message);
}

void showNetControl(RefHost& host) {
    const auto hook = frmNetControl::onShown;
    if (host.headless() && !hook) return;  // nobody could close it
    frmNetControl window(host, QApplication::activeModalWidget());
    host.PrepareForm(&window);
    if (host.headless()) {
        window.show();
        hook(window);
        return;
    }
    if (hook) {
        QTimer::singleShot(0, &window, [&window, &host, hook] {
            try {
                hook(window);
            } catch (const HostError& error) {
                host.ShowError(error, {});
            }
        });
    }
    window.exec();
}

}  // namespace refhost
