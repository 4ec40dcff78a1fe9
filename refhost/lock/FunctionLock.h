#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "zx/host/HostError.h"

namespace refhost {

class Database;

// What a function lock is taken for: a function of the application in one
// accounting period. Two holders of the same function code (compared without
// regard to case) for the same year and period exclude each other; other
// codes or periods do not.
struct FunctionKey {
    QString code;
    int year = 0;
    int period = 0;
};

// Who holds a lock, kept for the network control tool to show.
struct LockHolder {
    QString machine;
    qint32 userId = 0;
    qint64 pid = 0;
    QString ipAddress;  // the workstation's own address; empty when it has none
};

// A holder as recorded in t_NetLock when it took the lock, with what can be
// told now about whether it is still there.
struct LockRecord {
    FunctionKey key;  // the code in lower case
    QString token;    // names this one grant of the lock
    QString machine;  // the workstation name the holder gave
    qint32 userId = 0;
    QString userName;  // empty when the user is no longer registered
    QString ipAddress;
    qint64 pid = 0;      // the holder's process on its workstation
    qint64 session = 0;  // its server session; 0 on a file
    QString since;       // "yyyy-MM-dd HH:mm:ss"
    bool gone = false;   // the holder no longer holds the lock: its process or connection ended
    bool ownProcess = false;  // held by this very process

    // The user's name, or the number when the name is unknown.
    QString user() const { return userName.isEmpty() ? QString::number(userId) : userName; }
};

// What releasing a recorded lock from outside came to.
enum class BreakOutcome {
    Cleared,     // the holder was gone: only its record was left, now removed
    Broken,      // a live holder's lock was taken away and its record removed
    HolderLive,  // the holder is still there and taking it away was not allowed
    OwnProcess,  // this process holds it: released by its own work, not from here
    NotFound,    // released or taken anew meanwhile: nothing was done
};

// The account set's network function lock, shared by every process and
// workstation that opens the same account set. A holder that goes away
// without releasing (killed, lost connection) must not keep others out.
class FunctionLock {
public:
    virtual ~FunctionLock() = default;

    // A handle of 1 or more, or 0 when the function is held elsewhere (by
    // another process or by another holder in this one). Raises
    // zx::host::HostError when the lock cannot be tried at all.
    virtual qint32 tryAcquire(const FunctionKey& key, const LockHolder& holder) = 0;
    // False for 0 or a handle this lock did not hand out (or already released).
    virtual bool release(qint32 handle) = 0;
    // A readable description of the current holder ("machine / user / pid
    // since time"); empty when nobody holds the function.
    virtual QString holderOf(const FunctionKey& key) = 0;

    // Every recorded holder, ordered by function, year and period.
    virtual QList<LockRecord> records() = 0;
    // Releases the recorded lock for another holder, looked up afresh by its
    // key and token: a gone holder's record is removed; a live holder's lock
    // is taken away only with `evenIfLive` (see the implementations for how).
    // Raises zx::host::HostError when that fails.
    virtual BreakOutcome breakLock(const LockRecord& record, bool evenIfLive) = 0;
};

// The recorded holders of an account set, as every backend stores them;
// `gone` and `ownProcess` are left to the caller. With a key, only its row.
QList<LockRecord> readLockRecords(Database& db, const FunctionKey* key = nullptr);
// Removes the record of one grant; false when it is no longer there.
bool removeLockRecord(Database& db, const FunctionKey& key, const QString& token);
// Removes the records of every holder that is gone, as the lock's records()
// tells: once a lock has been given back or released, rows of holders that
// ended without giving theirs back are not left behind. Only those grants'
// rows go (by their tokens), so a holder that takes a lock meanwhile keeps its own.
void removeGoneRecords(FunctionLock& lock, Database& db);
// The holder as holderOf describes it.
QString holderText(const LockRecord& record);
// A fresh token for one grant.
QString newLockToken();

// Taking a function lock is a save's first write. When that write fails
// because another process holds the account set (or it is read-only), the
// save is refused with this error, in words that say nothing was written.
zx::host::HostError saveRefused(Database& db, const zx::host::HostError& cause);

// The lock of the account set held by `db`: one instance per account set and
// process, shared by every caller.
std::shared_ptr<FunctionLock> functionLockFor(const std::shared_ptr<Database>& db);

}  // namespace refhost
