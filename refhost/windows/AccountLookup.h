#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "zx/host/Services.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace refhost {

class Database;
class RefHost;

// The account selection window: the chart of accounts of the account set,
// narrowed by what the user types (an account number's beginning or a part
// of its name). Enter or a double click chooses the current account, Esc
// cancels.
class AccountLookup : public QDialog {
public:
    // Answers lookups without a window (tests, scripts): given the text the
    // lookup was opened on, the number of the account to choose, or nullopt
    // to cancel. While one is set it answers every lookup, with or without a
    // screen; without one a host that cannot show windows cancels.
    using Automation = std::function<std::optional<QString>(const QString& currentText)>;
    static void setAutomation(Automation automation);
    static bool hasAutomation();

    // The lookup as the host's GLView offers it. Raises HostError when the
    // automation names an account the chart does not have.
    static zx::host::AccountLookupResult run(RefHost& host, const QString& currentText);

    // The window over `db`, with the account named by the last number of
    // `currentText` (numbers separated by ",") as the current row.
    AccountLookup(Database& db, const QString& currentText, QWidget* parent = nullptr);

    // The account of the current row; nullopt when no row is shown.
    std::optional<zx::host::Account> current() const;
    // The account chosen when the window was accepted.
    const std::optional<zx::host::Account>& chosen() const { return chosen_; }

    // The account with that number, nullopt when the chart has none.
    static std::optional<zx::host::Account> findAccount(Database& db, const QString& number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        zx::host::Account account;
        bool itemClasses = false;
    };

    void applyFilter(const QString& text);
    void choose();

    QList<Row> rows_;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    std::optional<zx::host::Account> chosen_;
};

}  // namespace refhost
