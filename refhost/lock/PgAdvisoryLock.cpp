#include "lock/PgAdvisoryLock.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QtEndian>
#include <limits>
#include <map>
#include <mutex>

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

}  // namespace

struct PgAdvisoryLock::Held {
    std::mutex mutex;
    std::map<qint32, FunctionKey> byHandle;
    qint32 next = 1;

    bool holds(qint64 key) const {
        for (const auto& [handle, held] : byHandle) {
            if (lockKey(held) == key) return true;
        }
        return false;
    }

    qint32 add(const FunctionKey& key) {
        auto advance = [](qint32 h) { return h == std::numeric_limits<qint32>::max() ? 1 : h + 1; };
        while (byHandle.count(next) != 0) next = advance(next);
        const qint32 handle = next;
        next = advance(next);
        byHandle.emplace(handle, key);
        return handle;
    }
};

PgAdvisoryLock::PgAdvisoryLock(std::shared_ptr<Database> db)
    : db_(std::move(db)), held_(std::make_unique<Held>()) {}

PgAdvisoryLock::~PgAdvisoryLock() {
    // Locks still held go with the session; releasing them here keeps a
    // connection that outlives this object from holding them on.
    std::lock_guard guard(held_->mutex);
    for (const auto& [handle, key] : held_->byHandle) {
        try {
            db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lockKey(key)});
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
    // only be a leftover of a holder that is gone.
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
                               "FUserID, FPid, FSince) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {key.code, key.year, key.period, holder.machine, holder.userId, holder.pid,
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
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
    return held_->add(key);
}

bool PgAdvisoryLock::release(qint32 handle) {
    if (handle < 1) return false;
    FunctionKey key;
    {
        std::lock_guard guard(held_->mutex);
        const auto it = held_->byHandle.find(handle);
        if (it == held_->byHandle.end()) return false;
        key = it->second;
        held_->byHandle.erase(it);
    }
    // The row goes first, while the lock still keeps the next holder from
    // writing its own.
    try {
        db_->nativeExec(QStringLiteral("DELETE FROM t_NetLock WHERE FFuncCode = ? AND FYear = ? "
                                       "AND FPeriod = ?"),
                        {key.code, key.year, key.period});
    } catch (const HostError&) {
        // The row is information only; the next holder overwrites it.
    }
    db_->nativeQuery(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lockKey(key)});
    return true;
}

QString PgAdvisoryLock::holderOf(const FunctionKey& rawKey) {
    const FunctionKey key = normalised(rawKey);
    if (key.code.isEmpty()) return QString();
    // A bigint advisory key shows in pg_locks split into its two halves.
    const quint64 lock = quint64(lockKey(key));
    const auto held = db_->nativeQuery(
        QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND "
                       "database = (SELECT oid FROM pg_database WHERE datname = "
                       "current_database()) AND classid = ? AND objid = ? AND objsubid = 1 "
                       "AND granted"),
        {QString::number(lock >> 32), QString::number(lock & 0xffffffffu)});
    held->MoveFirst();
    if (held->Field(0).toInt() == 0) return QString();

    const auto rows = db_->nativeQuery(
        QStringLiteral("SELECT n.FMachineName, n.FUserID, u.FName, n.FPid, n.FSince "
                       "FROM t_NetLock n LEFT JOIN t_User u ON u.FUserID = n.FUserID "
                       "WHERE n.FFuncCode = ? AND n.FYear = ? AND n.FPeriod = ?"),
        {key.code, key.year, key.period});
    if (rows->RecordCount() == 0) return QStringLiteral("持有者未登记");
    rows->MoveFirst();
    const QString name = rows->Field(2).toString();
    return QStringLiteral("工作站 %1, 用户 %2, 进程 %3, 自 %4 起")
        .arg(rows->Field(0).toString(), name.isEmpty() ? rows->Field(1).toString() : name,
             rows->Field(3).toString(), rows->Field(4).toString());
}

}  // namespace refhost
