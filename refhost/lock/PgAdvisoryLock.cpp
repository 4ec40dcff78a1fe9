#include "lock/PgAdvisoryLock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMultiMap>
#include <QtEndian>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

#include "sql/Database.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;
using zx::host::kGenericError;

const QString kSource = QStringLiteral("NetMutex");

FunctionKey normalised(const FunctionKey& key) {
    return {key.code.trimmed().toLower(), key.year, key.period};
}

// The advisory locks of this database that some session holds, as (key, session).
const QString kGrantedLocks = QStringLiteral(
    "SELECT (classid::bigint << 32) | objid::bigint, pid FROM pg_locks "
    "WHERE locktype = 'advisory' AND database = (SELECT oid FROM pg_database WHERE datname = "
    "current_database()) AND objsubid = 1 AND granted");

// How long ending a holder's session may take before the release gives up.
constexpr int kTerminateWaitMs = 5000;

}  // namespace

struct PgAdvisoryLock::Held {
    struct Grant {
        FunctionKey key;
        QString token;  // of its record in t_NetLock
    };
    std::mutex mutex;
    std::map<qint32, Grant> byHandle;
    qint32 next = 1;

    bool holds(qint64 key) const {
        for (const auto& [handle, held] : byHandle) {
            if (lockKey(held.key) == key) return true;
        }
        return false;
    }

    bool holdsToken(const QString& token) const {
        if (token.isEmpty()) return false;
        for (const auto& [handle, held] : byHandle) {
            if (held.token == token) return true;
        }
        return false;
    }

    qint32 add(const FunctionKey& key, const QString& token) {
        auto advance = [](qint32 h) { return h == std::numeric_limits<qint32>::max() ? 1 : h + 1; };
        while (byHandle.count(next) != 0) next = advance(next);
        const qint32 handle = next;
        next = advance(next);
        byHandle.emplace(handle, Grant{key, token});
        return handle;
    }
};

PgAdvisoryLock::PgAdvisoryLock(std::shared_ptr<Database> db)
    : db_(std::move(db)), held_(std::make_unique<Held>()) {}

PgAdvisoryLock::~PgAdvisoryLock() {
    // Locks still held go with the session; releasing them here keeps a
    // connection that outlives this object from holding them on.
    std::lock_guard guard(held_->mutex);
    for (const auto& [handle, grant] : held_->byHandle) {
        try {
            db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lockKey(grant.key)});
        } catch (const HostError&) {
        }
    }
}

qint64 PgAdvisoryLock::lockKey(const FunctionKey& rawKey) {
    // 64 bits of a hash of the key: two different keys share a lock with a
    // chance of one in 2^64, and then only exclude each other needlessly.
    const FunctionKey key = normalised(rawKey);
    const QByteArray text =
        QStringLiteral("%1|%2|%3").arg(key.code).arg(key.year).arg(key.period).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(text, QCryptographicHash::Sha256);
    return qFromBigEndian<qint64>(digest.constData());
}

qint32 PgAdvisoryLock::tryAcquire(const FunctionKey& rawKey, const LockHolder& holder) {
    const FunctionKey key = normalised(rawKey);
    if (key.code.isEmpty()) {
        throw HostError(kGenericError, kSource,
                        QStringLiteral("功能代码不能为空, 无法登记网络控制。"));
    }
    const qint64 lock = lockKey(key);
    std::lock_guard guard(held_->mutex);
    if (held_->holds(lock)) return 0;  // another holder in this process
    const auto rows = db_->nativeQuery(QStringLiteral("SELECT pg_try_advisory_lock(?)"), {lock});
    rows->MoveFirst();
    if (!rows->Field(0).toBool()) return 0;  // held by another session

    // Only the holder writes the information row, so the row it replaces can
    // only be a leftover of a holder that is gone. The server records the
    // session and the address it sees the workstation at (none over a local
    // socket: then the workstation's own).
    const QString token = newLockToken();
    try {
        db_->transaction([&] {
            // A session whose transaction has written these tables and not
            // ended (a save stalled half-way, a tool left open) would stop
            // this save at one of its writes, after others were made: the
            // save is refused before its first write instead.
            db_->nativeExec(QStringLiteral(
                "LOCK TABLE t_SystemProfile, t_SystemProfile_Log, t_ad_zxAccount_gl, "
                "t_ItemPropDesc IN SHARE ROW EXCLUSIVE MODE"));
            db_->nativeExec(QStringLiteral("DELETE FROM t_NetLock WHERE FFuncCode = ? AND "
                                           "FYear = ? AND FPeriod = ?"),
                            {key.code, key.year, key.period});
            db_->nativeExec(
                QStringLiteral("INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, "
                               "FUserID, FPid, FSince, FIpAddress, FSession, FToken) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, "
                               "COALESCE(host(inet_client_addr()), ?), pg_backend_pid(), ?)"),
                {key.code, key.year, key.period, holder.machine, holder.userId, holder.pid,
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 holder.ipAddress, token});
        });
    } catch (const HostError& error) {
        try {
            db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lock});
        } catch (const HostError&) {
            // The first error is the one worth reporting.
        }
        throw saveRefused(*db_, error);
    } catch (...) {
        try {
            db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lock});
        } catch (const HostError&) {
            // The first error is the one worth reporting.
        }
        throw;
    }
    db_->holdSessionState();
    return held_->add(key, token);
}

bool PgAdvisoryLock::release(qint32 handle) {
    if (handle < 1) return false;
    Held::Grant grant;
    {
        std::lock_guard guard(held_->mutex);
        const auto it = held_->byHandle.find(handle);
        if (it == held_->byHandle.end()) return false;
        grant = it->second;
        held_->byHandle.erase(it);
    }
    db_->dropSessionState();
    // A session that is gone took its lock with it; the record it left goes
    // with the next release.
    if (db_->connectionLost()) return true;
    const FunctionKey& key = grant.key;
    // The row goes first, while the lock still keeps the next holder from
    // writing its own.
    try {
        removeLockRecord(*db_, key, grant.token);
        removeGoneRecords(*this, *db_);
    } catch (const HostError&) {
        // The rows are information only; the next holder overwrites its own.
    }
    db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lockKey(key)});
    return true;
}

QString PgAdvisoryLock::holderOf(const FunctionKey& rawKey) {
    const FunctionKey key = normalised(rawKey);
    if (key.code.isEmpty()) return QString();
    const qint64 lock = lockKey(key);
    bool held = false;
    const auto granted = db_->nativeQuery(kGrantedLocks);
    for (granted->MoveFirst(); !granted->Eof() && !held; granted->MoveNext()) {
        held = granted->Field(0).toLongLong() == lock;
    }
    if (!held) return QString();
    const QList<LockRecord> rows = readLockRecords(*db_, &key);
    if (rows.isEmpty()) return QStringLiteral("持有者未登记");
    return holderText(rows.first());
}

QList<LockRecord> PgAdvisoryLock::records() {
    QList<LockRecord> rows = readLockRecords(*db_);
    if (rows.isEmpty()) return rows;
    QMultiMap<qint64, qint64> sessions;  // lock key -> session holding it
    const auto granted = db_->nativeQuery(kGrantedLocks);
    for (granted->MoveFirst(); !granted->Eof(); granted->MoveNext()) {
        sessions.insert(granted->Field(0).toLongLong(), granted->Field(1).toLongLong());
    }
    std::lock_guard guard(held_->mutex);
    for (LockRecord& r : rows) {
        // The server's lock is the truth: it ends with the holder's session.
        // A record from before sessions were kept counts any session.
        const qint64 lock = lockKey(r.key);
        r.gone = r.session > 0 ? !sessions.contains(lock, r.session) : !sessions.contains(lock);
        r.ownProcess = held_->holdsToken(r.token);
    }
    return rows;
}

BreakOutcome PgAdvisoryLock::breakLock(const LockRecord& record, bool evenIfLive) {
    const FunctionKey key = normalised(record.key);
    {
        std::lock_guard guard(held_->mutex);
        if (held_->holdsToken(record.token)) return BreakOutcome::OwnProcess;
    }
    // Looked up afresh: the row may have been given back or replaced since it was shown.
    std::optional<LockRecord> now;
    for (const LockRecord& r : records()) {
        if (r.key.code == key.code && r.key.year == key.year && r.key.period == key.period &&
            r.token == record.token) {
            now = r;
        }
    }
    if (!now) return BreakOutcome::NotFound;
    if (now->gone) {
        return removeLockRecord(*db_, key, record.token) ? BreakOutcome::Cleared
                                                         : BreakOutcome::NotFound;
    }
    if (!evenIfLive) return BreakOutcome::HolderLive;

    // An advisory lock can be given back only by its own session: the
    // holder's session is ended, and the server drops its locks with it.
    // Checked and ended in one statement, so that a session that has given
    // the lock back meanwhile is left alone.
    const quint64 lock = quint64(lockKey(key));
    zx::host::RecordSetPtr ended;
    try {
        ended = db_->nativeQuery(
            QStringLiteral("SELECT pg_terminate_backend(pid, %1) FROM pg_locks "
                           "WHERE locktype = 'advisory' AND database = (SELECT oid FROM "
                           "pg_database WHERE datname = current_database()) AND classid = ? "
                           "AND objid = ? AND objsubid = 1 AND granted AND pid <> "
                           "pg_backend_pid() AND (? = 0 OR pid = ?)")
                .arg(kTerminateWaitMs),
            {QString::number(lock >> 32), QString::number(lock & 0xffffffffu), now->session,
             now->session});
    } catch (const HostError& error) {
        throw HostError(error.number(), kSource,
                        QStringLiteral("数据库服务器没有结束用户 %1 在工作站 %2 上的会话: %3\n"
                                       "结束别人的会话需要数据库超级用户、pg_signal_backend "
                                       "角色, 或与该会话相同的数据库用户。")
                            .arg(record.user(), record.machine, error.description()));
    }
    if (ended->RecordCount() == 0) {
        // Given back meanwhile; a record still there was left by a holder that is gone.
        return removeLockRecord(*db_, key, record.token) ? BreakOutcome::Cleared
                                                         : BreakOutcome::NotFound;
    }
    ended->MoveFirst();
    if (!ended->Field(0).toBool()) {
        throw HostError(kGenericError, kSource,
                        QStringLiteral("用户 %1 在工作站 %2 上的会话在 %3 秒内没有结束, "
                                       "锁没有释放, 请稍后再试。")
                            .arg(record.user(), record.machine)
                            .arg(kTerminateWaitMs / 1000));
    }
    removeLockRecord(*db_, key, record.token);
    return BreakOutcome::Broken;
}

}  // namespace refhost
