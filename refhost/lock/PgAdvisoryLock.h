#pragma once

#include <QString>
#include <memory>

#include "lock/FunctionLock.h"

namespace refhost {

// The function lock of an account set on a PostgreSQL server. Holding a
// function means holding a session-level advisory lock of the server on a
// key made from the function code (without regard to case), the year and the
// period. The server drops such a lock when the session that holds it ends,
// also when its process is killed or its connection is lost, so every
// workstation connected to the same database sees the same lock and nobody
// is kept out by a holder that is gone.
//
// Advisory locks count per session: a second request of the same session
// would succeed. Holders inside one process are therefore also checked
// against the handles this process has handed out.
//
// The holder is also written to t_NetLock with its server session, for
// information and for the network control tool, which tells a gone holder by
// its session no longer holding the lock and takes a live holder's lock away
// by ending that session.
class PgAdvisoryLock : public FunctionLock {
public:
    explicit PgAdvisoryLock(std::shared_ptr<Database> db);
    ~PgAdvisoryLock() override;

    qint32 tryAcquire(const FunctionKey& key, const LockHolder& holder) override;
    bool release(qint32 handle) override;
    QString holderOf(const FunctionKey& key) override;
    QList<LockRecord> records() override;
    BreakOutcome breakLock(const LockRecord& record, bool evenIfLive) override;

    // The advisory lock key of a function and period.
    static qint64 lockKey(const FunctionKey& key);

private:
    struct Held;
    std::shared_ptr<Database> db_;
    std::unique_ptr<Held> held_;
};

}  // namespace refhost
