#include "lock/FileFunctionLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>

#include "lock/PgAdvisoryLock.h"
#include "sql/Database.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;
using zx::host::kGenericError;

const QString kSource = QStringLiteral("NetMutex");

// Handles of this process: each maps to the descriptor whose lock it stands for.
struct HeldLock {
    int fd = -1;
    FunctionKey key;
    QString lockDir;
    QString token;  // of its record in t_NetLock
};

struct HandleTable {
    std::mutex mutex;
    std::map<qint32, HeldLock> held;
    qint32 next = 1;

    qint32 add(HeldLock lock) {
        std::lock_guard guard(mutex);
        auto advance = [](qint32 h) { return h == std::numeric_limits<qint32>::max() ? 1 : h + 1; };
        while (held.count(next) != 0) next = advance(next);
        const qint32 handle = next;
        next = advance(next);
        held.emplace(handle, std::move(lock));
        return handle;
    }

    std::optional<HeldLock> take(qint32 handle, const QString& lockDir) {
        std::lock_guard guard(mutex);
        const auto it = held.find(handle);
        if (it == held.end() || it->second.lockDir != lockDir) return std::nullopt;
        HeldLock lock = std::move(it->second);
        held.erase(it);
        return lock;
    }

    bool holdsToken(const QString& lockDir, const QString& token) {
        if (token.isEmpty()) return false;
        std::lock_guard guard(mutex);
        for (const auto& [handle, lock] : held) {
            if (lock.lockDir == lockDir && lock.token == token) return true;
        }
        return false;
    }
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

FunctionKey normalised(const FunctionKey& key) {
    return {key.code.trimmed().toLower(), key.year, key.period};
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

struct flock wholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // to the end, however long the file grows
    lock.l_pid = 0;  // required for open-file-description locks
    return lock;
}

int openLockFile(const QString& path, bool create) {
    const QByteArray native = QFile::encodeName(path);
    int flags = O_RDWR | O_CLOEXEC;
    if (create) flags |= O_CREAT;
    int fd;
    do {
        fd = ::open(native.constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void closeFd(int fd) {
    if (fd >= 0) ::close(fd);  // closing drops the lock; EINTR still closes on Linux
}

// True while the descriptor's file is still the one at the path: a lock file
// that breakLock replaced locks nothing any more.
bool isAtPath(int fd, const QString& path) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0) return false;
    if (::stat(QFile::encodeName(path).constData(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// True when some descriptor, of any process, holds the lock file at the path.
bool lockFileHeld(const QString& path) {
    const int fd = openLockFile(path, false);
    if (fd < 0) return false;  // never taken, or replaced and not taken since
    struct flock probe = wholeFile(F_WRLCK);
    const bool probed = ::fcntl(fd, F_OFD_GETLK, &probe) == 0;
    closeFd(fd);
    return probed && probe.l_type != F_UNLCK;
}

// How often a lock file may be found replaced under a taker before it gives up.
constexpr int kReplacedTries = 10;

}  // namespace

FileFunctionLock::FileFunctionLock(std::shared_ptr<Database> db) : db_(std::move(db)) {
    const QString location = db_->location();
    if (location.isEmpty() || location == QStringLiteral(":memory:")) {
        // An account set in memory is private to this process.
        lockDir_ = QDir::tempPath() +
                   QStringLiteral("/zx-memory-%1.locks").arg(QCoreApplication::applicationPid());
    } else {
        lockDir_ = QFileInfo(location).absoluteFilePath() + QStringLiteral(".locks");
    }
}

FileFunctionLock::~FileFunctionLock() = default;

QString FileFunctionLock::fileName(const FunctionKey& key) {
    // Function codes are short words; anything that is not a plain letter or
    // digit is spelled out in hex so that no code can leave the folder.
    QString code;
    for (const char byte : key.code.trimmed().toLower().toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
            code += QChar(c);
        } else {
            code += QStringLiteral("%%1").arg(c, 2, 16, QChar(u'0'));
        }
    }
    return QStringLiteral("%1-%2-%3.lock").arg(code).arg(key.year).arg(key.period);
}

qint32 FileFunctionLock::tryAcquire(const FunctionKey& rawKey, const LockHolder& holder) {
    const FunctionKey key = normalised(rawKey);
    if (key.code.isEmpty()) {
        throw HostError(kGenericError, kSource,
                        QStringLiteral("功能代码不能为空, 无法登记网络控制。"));
    }
    if (!QDir().mkpath(lockDir_)) {
        throw HostError(kGenericError, kSource,
                        QStringLiteral("无法创建网络控制目录: %1").arg(lockDir_));
    }
    const QString path = lockDir_ + u'/' + fileName(key);
    for (int attempt = 0; attempt < kReplacedTries; ++attempt) {
        const int fd = openLockFile(path, true);
        if (fd < 0) {
            throw HostError(
                kGenericError, kSource,
                QStringLiteral("无法打开网络控制文件 %1: %2").arg(path, systemError(errno)));
        }
        struct flock lock = wholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            const int error = errno;
            // Held by someone else, unless by a holder whose file was
            // replaced after it was opened here: then the new one is tried.
            const bool replaced = !isAtPath(fd, path);
            closeFd(fd);
            if ((error == EAGAIN || error == EACCES) && replaced) continue;
            if (error == EAGAIN || error == EACCES) return 0;
            throw HostError(
                kGenericError, kSource,
                QStringLiteral("无法锁定网络控制文件 %1: %2").arg(path, systemError(error)));
        }

        // Only the holder writes the information row, so the row it replaces
        // can only be a leftover of a holder that is gone.
        const QString token = newLockToken();
        bool current = false;
        try {
            db_->transaction([&] {
                // The account set's write lock, held from the transaction's
                // start, keeps breakLock from replacing the file between
                // this check and the row.
                current = isAtPath(fd, path);
                if (!current) return;
                db_->nativeExec(QStringLiteral("DELETE FROM t_NetLock WHERE FFuncCode = ? AND "
                                               "FYear = ? AND FPeriod = ?"),
                                {key.code, key.year, key.period});
                db_->nativeExec(
                    QStringLiteral(
                        "INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, "
                        "FUserID, FPid, FSince, FIpAddress, FSession, FToken) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, ?)"),
                    {key.code, key.year, key.period, holder.machine, holder.userId, holder.pid,
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                     holder.ipAddress, token});
            });
        } catch (const HostError& error) {
            closeFd(fd);
            throw saveRefused(*db_, error);
        } catch (...) {
            closeFd(fd);
            throw;
        }
        if (current) return handles().add({fd, key, lockDir_, token});
        closeFd(fd);  // locked a file that was replaced meanwhile: try the new one
    }
    throw HostError(kGenericError, kSource,
                    QStringLiteral("网络控制文件 %1 一再被替换, 无法锁定, 请稍后再试。").arg(path));
}

bool FileFunctionLock::release(qint32 handle) {
    if (handle < 1) return false;
    const std::optional<HeldLock> held = handles().take(handle, lockDir_);
    if (!held) return false;
    // The row goes first, while the lock still keeps the next holder from
    // writing its own. Only this grant's row: after breakLock it may be
    // another holder's.
    try {
        removeLockRecord(*db_, held->key, held->token);
        removeGoneRecords(*this, *db_);
    } catch (const HostError&) {
        // The rows are information only; the next holder overwrites its own.
    }
    closeFd(held->fd);
    return true;
}

QString FileFunctionLock::holderOf(const FunctionKey& rawKey) {
    const FunctionKey key = normalised(rawKey);
    if (key.code.isEmpty()) return QString();
    if (!lockFileHeld(lockDir_ + u'/' + fileName(key))) return QString();
    const QList<LockRecord> rows = readLockRecords(*db_, &key);
    if (rows.isEmpty()) return QStringLiteral("持有者未登记");
    return holderText(rows.first());
}

QList<LockRecord> FileFunctionLock::records() {
    QList<LockRecord> rows = readLockRecords(*db_);
    for (LockRecord& r : rows) {
        // The lock file is the truth: its lock ends with its holder's
        // descriptor, also when the process dies.
        r.gone = !lockFileHeld(lockDir_ + u'/' + fileName(r.key));
        r.ownProcess = handles().holdsToken(lockDir_, r.token);
    }
    return rows;
}

BreakOutcome FileFunctionLock::breakLock(const LockRecord& record, bool evenIfLive) {
    const FunctionKey key = normalised(record.key);
    if (handles().holdsToken(lockDir_, record.token)) return BreakOutcome::OwnProcess;
    const QString path = lockDir_ + u'/' + fileName(key);
    BreakOutcome outcome = BreakOutcome::NotFound;
    // Under the account set's write lock: the holder cannot give its record
    // back meanwhile (it removes the record before it unlocks), and a new
    // taker checks its file only after this has ended.
    db_->transaction([&] {
        const bool held = lockFileHeld(path);
        if (held && !evenIfLive) {
            const QList<LockRecord> now = readLockRecords(*db_, &key);
            const bool still = !now.isEmpty() && now.first().token == record.token;
            outcome = still ? BreakOutcome::HolderLive : BreakOutcome::NotFound;
            return;
        }
        if (!removeLockRecord(*db_, key, record.token)) return;  // NotFound
        if (!held) {
            outcome = BreakOutcome::Cleared;
            return;
        }
        // A lock of another process cannot be undone from here; the file is
        // taken away instead. Its holder keeps a lock on a file nobody else
        // opens any more, and the next taker creates a new one.
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
            throw HostError(
                kGenericError, kSource,
                QStringLiteral("无法删除网络控制文件 %1: %2").arg(path, systemError(errno)));
        }
        outcome = BreakOutcome::Broken;
    });
    return outcome;
}

HostError saveRefused(Database& db, const HostError& cause) {
    if (cause.number() == kAccountSetBusy) {
        const QString holder = db.writeLockHolder();
        return HostError(kAccountSetBusy, kSource,
                         QStringLiteral("现在不能保存: 账套正被%1写入, 等待 %2 秒后仍未释放。"
                                        "本次保存没有写入任何内容, 请等它完成后再试。")
                             .arg(Database::holderPhrase(holder))
                             .arg(Database::kLockWaitMs / 1000));
    }
    if (cause.number() == kAccountSetReadOnly) {
        return HostError(
            kAccountSetReadOnly, kSource,
            QStringLiteral("不能保存: %1 本次保存没有写入任何内容。").arg(cause.description()));
    }
    return cause;
}

std::shared_ptr<FunctionLock> functionLockFor(const std::shared_ptr<Database>& db) {
    // One lock object per account set, so that every service of the process
    // hands out and takes back the same handles.
    static std::mutex mutex;
    static std::map<QString, std::weak_ptr<FunctionLock>> locks;
    std::lock_guard guard(mutex);
    if (db->onServer()) {
        // The server's own locks; keyed by the database's address.
        const QString place = QStringLiteral("server:") + db->location();
        if (auto existing = locks[place].lock()) return existing;
        auto made = std::make_shared<PgAdvisoryLock>(db);
        locks[place] = made;
        return made;
    }
    auto made = std::make_shared<FileFunctionLock>(db);
    const QString dir = made->lockDir();
    if (auto existing = locks[dir].lock()) return existing;
    locks[dir] = made;
    return made;
}

}  // namespace refhost
