#include "windows/AccountLookup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "services/RefHost.h"
#include "sql/Database.h"

using zx::host::Account;
using zx::host::AccountLookupResult;
using zx::host::HostError;

namespace refhost {

namespace {

AccountLookup::Automation& automationSlot() {
    static AccountLookup::Automation automation;
    return automation;
}

const QString kColumns = QStringLiteral("FAccountID, FNumber, FName, FLevel, FGroupID, FDetailID");

Account accountOf(const zx::host::RecordSet& rows) {
    Account account;
    account.AccountID = rows.Field(0).toInt();
    account.Number = rows.Field(1).toString();
    account.Name = rows.Field(2).toString();
    account.Level = rows.Field(3).toInt();
    account.GroupID = rows.Field(4).toInt();
    return account;
}

// The account a lookup opens on: the last of the numbers in the box.
QString lastNumber(const QString& text) {
    return text.section(QLatin1Char(','), -1).trimmed();
}

}  // namespace

void AccountLookup::setAutomation(Automation automation) {
    automationSlot() = std::move(automation);
}

bool AccountLookup::hasAutomation() {
    return bool(automationSlot());
}

std::optional<Account> AccountLookup::findAccount(Database& db, const QString& number) {
    const auto rows = db.nativeQuery(
        QStringLiteral("SELECT %1 FROM t_Account WHERE FNumber = ?").arg(kColumns), {number});
    if (rows->RecordCount() == 0) return std::nullopt;
    rows->MoveFirst();
    return accountOf(*rows);
}

AccountLookupResult AccountLookup::run(RefHost& host, const QString& currentText) {
    if (const Automation& automation = automationSlot()) {
        const std::optional<QString> number = automation(currentText);
        if (!number) return {};
        std::optional<Account> account = findAccount(host.db(), number->trimmed());
        if (!account) {
            throw HostError(zx::host::kGenericError, QStringLiteral("GLView.AccountLookup"),
                            QStringLiteral("科目[%1]不存在, 无法选择。").arg(*number));
        }
        return {true, account};
    }
    // Nobody could answer the window: the lookup is cancelled.
    if (host.headless()) return {};
    AccountLookup window(host.db(), currentText, QApplication::activeWindow());
    host.PrepareForm(&window);
    if (window.exec() != QDialog::Accepted || !window.chosen()) return {};
    return {true, window.chosen()};
}

AccountLookup::AccountLookup(Database& db, const QString& currentText, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AccountLookup"));
    setWindowTitle(QStringLiteral("选择会计科目"));
    setModal(true);

    const auto records =
        db.nativeQuery(QStringLiteral("SELECT %1 FROM t_Account ORDER BY FNumber").arg(kColumns));
    for (records->MoveFirst(); !records->Eof(); records->MoveNext()) {
        rows_.append({accountOf(*records), records->Field(5).toInt() > 0});
    }

    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(QStringLiteral("科目代码或名称："), this);
    prompt->setObjectName(QStringLiteral("lblFilter"));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setClearButtonEnabled(true);
    prompt->setBuddy(filter_);
    layout->addWidget(prompt);
    layout->addWidget(filter_);

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lstAccounts"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("科目代码"), QStringLiteral("科目名称"),
                            QStringLiteral("级次"), QStringLiteral("核算项目")});
    const QString current = lastNumber(currentText);
    QTreeWidgetItem* start = nullptr;
    for (int i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_.at(i);
        // Sub-accounts are indented under their parents by level.
        const QString indent(qMax(0, row.account.Level - 1) * 2, QLatin1Char(' '));
        auto* item =
            new QTreeWidgetItem(list_, {row.account.Number, indent + row.account.Name,
                                        QString::number(row.account.Level),
                                        row.itemClasses ? QStringLiteral("有") : QString()});
        item->setData(0, Qt::UserRole, i);
        if (!current.isEmpty() && row.account.Number.compare(current, Qt::CaseInsensitive) == 0)
            start = item;
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setCurrentItem(start ? start : list_->topLevelItem(0));
    if (list_->currentItem()) list_->scrollToItem(list_->currentItem());
    layout->addWidget(list_, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(status_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("picButtons"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    layout->addWidget(buttons);

    // Enter anywhere presses OK (the default button); Esc rejects.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { choose(); });
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& t) { applyFilter(t); });
    filter_->installEventFilter(this);
    filter_->setFocus();
    resize(520, 440);
}

void AccountLookup::applyFilter(const QString& text) {
    const QString wanted = text.trimmed();
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const Account& account = rows_.at(item->data(0, Qt::UserRole).toInt()).account;
        const bool shown = wanted.isEmpty() ||
                           account.Number.startsWith(wanted, Qt::CaseInsensitive) ||
                           account.Name.contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !firstShown) firstShown = item;
    }
    QTreeWidgetItem* current = list_->currentItem();
    if (!current || current->isHidden()) list_->setCurrentItem(firstShown);
    if (!firstShown) list_->setCurrentItem(nullptr);
    status_->setText(firstShown ? QString() : QStringLiteral("没有符合条件的科目。"));
}

std::optional<Account> AccountLookup::current() const {
    const QTreeWidgetItem* item = list_->currentItem();
    if (!item || item->isHidden()) return std::nullopt;
    return rows_.at(item->data(0, Qt::UserRole).toInt()).account;
}

void AccountLookup::choose() {
    chosen_ = current();
    if (!chosen_) {
        status_->setText(QStringLiteral("请选择一个科目。"));
        return;
    }
    accept();
}

// The arrow and page keys typed in the filter move through the list, so the
// hands never leave the keyboard.
bool AccountLookup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QApplication::sendEvent(list_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace refhost
