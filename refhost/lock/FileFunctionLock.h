#pragma once

#include <QString>
#include <memory>

#include "lock/FunctionLock.h"

namespace refhost {

// The function lock of a file-based account set. Each function and period
// has a lock file in a folder beside the database ("<db>.locks/pu08-2024-3.lock");
// holding the function means holding an exclusive open-file-description lock
// on that file. The kernel drops such a lock the moment its holder's
// descriptor closes, including when the process dies, and two descriptors
// conflict even inside one process. Every process and workstation that opens
// the account set through the same file system therefore sees the same lock.
//
// The holder is also written to t_NetLock, for information and for the
// network control tool: a row left behind by a dead holder is simply
// overwritten by the next one. A live holder's lock is taken away by removing
// its file (breakLock); a taker therefore checks, under the account set's
// write lock, that the file it locked is still the one at its path.
class FileFunctionLock : public FunctionLock {
public:
    explicit FileFunctionLock(std::shared_ptr<Database> db);
    ~FileFunctionLock() override;

    qint32 tryAcquire(const FunctionKey& key, const LockHolder& holder) override;
    bool release(qint32 handle) override;
    QString holderOf(const FunctionKey& key) override;
    QList<LockRecord> records() override;
    BreakOutcome breakLock(const LockRecord& record, bool evenIfLive) override;

    const QString& lockDir() const { return lockDir_; }
    // The lock file of a key inside lockDir().
    static QString fileName(const FunctionKey& key);

private:
    std::shared_ptr<Database> db_;
    QString lockDir_;
};

}  // namespace refhost
