#pragma once

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
};

// Taking a function lock is a save's first write. When that write fails
// because another process holds the account set (or it is read-only), the
// save is refused with this error, in words that say nothing was written.
zx::host::HostError saveRefused(Database& db, const zx::host::HostError& cause);

// The lock of the account set held by `db`: one instance per account set and
// process, shared by every caller.
std::shared_ptr<FunctionLock> functionLockFor(const std::shared_ptr<Database>& db);

}  // namespace refhost
