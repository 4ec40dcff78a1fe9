#pragma once

// The host's network control tool: the function locks held on the account
// set, who holds them and since when, and releasing one.

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>

#include "lock/FunctionLock.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace refhost {

class NetControl;
class RefHost;

// Controls: lblAcct (the account set), grdLocks (one row a lock: function,
// year, period, user, workstation, IP address, process, session, since,
// state), lblStatus (the count, or what the last release did), cmdRefresh,
// cmdRelease, cmdClose. cmdRelease is enabled for a user who may release
// when a row is chosen; its tooltip says why when it is not.
class frmNetControl : public QDialog {
    Q_OBJECT

public:
    explicit frmNetControl(RefHost& host, QWidget* parent = nullptr);
    ~frmNetControl() override;

    // Called by showNetControl once the window is on screen (tests,
    // screenshots); in a headless host the window closes when it returns.
    static std::function<void(frmNetControl&)> onShown;

    // Reads the locks again; the chosen lock stays chosen while it is listed.
    void refresh();
    // Releases the chosen lock; a live holder's after the question that names
    // the user and the workstation.
    void releaseChosen();

    const QList<LockRecord>& records() const { return records_; }

private:
    void updateRelease();
    int chosenRow() const;

    RefHost& host_;
    std::unique_ptr<NetControl> control_;
    QList<LockRecord> records_;
    QLabel* lblAcct_ = nullptr;
    QTableWidget* grdLocks_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    QPushButton* cmdRelease_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// Opens the window on the host's account set and waits until it is closed.
// A headless host shows it to onShown only (nobody could close it otherwise).
void showNetControl(RefHost& host);

}  // namespace refhost
