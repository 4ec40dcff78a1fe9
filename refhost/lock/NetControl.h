#pragma once

#include <QList>
#include <QString>

#include "lock/FunctionLock.h"

namespace refhost {

class RefHost;

// The network control tool's work, shared by its window and its command: the
// function locks held on the host's account set, and releasing one for a user
// who may change the system parameters.
class NetControl {
public:
    explicit NetControl(RefHost& host);

    // Every recorded holder, ordered by function, year and period.
    QList<LockRecord> list();

    // Empty when the logged-in user may release locks; else why not, in the
    // user's words. Releasing needs the modify right of the system parameters
    // (administrators hold it) on an account set that can be written.
    const QString& releaseRefusal() const { return refusal_; }

    struct Result {
        BreakOutcome outcome = BreakOutcome::NotFound;
        bool released = false;  // a record was removed (Cleared or Broken)
        QString message;        // what was done, or why nothing was
    };
    // Releases the lock of a listed holder: a gone holder's at once, a live
    // holder's only with `confirmed` (the user agreed to the question of
    // confirmation()). Refuses without the right. Raises
    // zx::host::HostError when the release itself fails.
    Result release(const LockRecord& record, bool confirmed);

    // Who holds a lock and is still there, and what releasing it does to
    // their work: the user, the workstation, the function and since when.
    QString liveHolder(const LockRecord& record) const;
    // The question asked before a live holder's lock is taken away.
    QString confirmation(const LockRecord& record) const;

    // A function by its name with its code, "系统参数保存 (pu08)"; the code
    // alone for a function this host does not know.
    static QString functionName(const QString& code);
    // "系统参数保存 (pu08) 2024年第3期"
    static QString functionText(const LockRecord& record);
    // Why a function of the host's account set is in use, for the user whose
    // save it kept out: who holds it on which workstation since when, and
    // the command that lists and releases locks. Raises zx::host::HostError
    // when the locks cannot be read.
    static QString inUse(RefHost& host, const FunctionKey& key);
    // "使用中", "已断开" (the holder is gone) or "本程序使用中"
    static QString stateText(const LockRecord& record);

private:
    RefHost& host_;
    bool onServer_ = false;
    QString refusal_;
};

}  // namespace refhost
