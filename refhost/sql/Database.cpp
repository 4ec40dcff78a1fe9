#include "Database.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <limits>

#include "Cursor.h"
#include "Dialect.h"
#include "DriverErrors.h"
#include "PgUrl.h"
#include "RowSet.h"
#include "Schema.h"
#include "TsqlTranslator.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;

const QString kSource = QStringLiteral("Database");
constexpr qint32 kBackendError = -2147467259;  // the backend refused a statement
constexpr int kPollMs = 250;                   // a waiting start's lock wait per try

// SQLite's primary result codes.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteCantOpen = 14;
// PostgreSQL's SQLSTATEs.
const QString kPgLockNotAvailable = QStringLiteral("55P03");
const QString kPgReadOnlyTransaction = QStringLiteral("25006");

int sqliteCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code & 0xff : 0;
}

QString nextConnectionName(const char* prefix) {
    static std::atomic<int> serial{0};
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg(++serial);
}

qint64 nextTransactionSerial() {
    static std::atomic<qint64> serial{0};
    return ++serial;
}

QString secondsText(int ms) {
    return QString::number(ms / 1000.0, 'g', 3);
}

QString procedureKey(const QString& name) {
    return name.trimmed().toLower();
}

// SQLite would take an empty file for an empty database and anything else
// for a damaged one: both are refused before SQLite opens them.
void refuseUnlessSqliteFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库 %1: %2").arg(path, file.errorString()));
    }
    if (file.size() == 0) {
        throw HostError(
            kNotAnAccountSet, kSource,
            QStringLiteral("文件 %1 是空文件 (0 字节), 不是账套。文件没有被改动。").arg(path));
    }
    if (file.read(16) != QByteArray("SQLite format 3\0", 16)) {
        throw HostError(
            kNotAnAccountSet, kSource,
            QStringLiteral("文件 %1 不是账套: 它不是 SQLite 数据库文件。文件没有被改动。")
                .arg(path));
    }
}

// Why this user cannot write the account set file; empty when it can.
QString readOnlyReasonOf(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    if (::access(file.constData(), W_OK) != 0) {
        return errno == EROFS ? QStringLiteral("账套文件在只读的介质上")
                              : QStringLiteral("当前用户对账套文件只有读取权限");
    }
    // Marked read-only by its owner: kept so even for a user who could
    // override it.
    struct stat st {};
    if (::stat(file.constData(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return QStringLiteral("账套文件被设为只读");
    }
    // SQLite writes through the -wal and -shm files beside it.
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(dir.constData(), W_OK) != 0) {
        for (const char* suffix : {"-wal", "-shm"}) {
            if (::access((file + suffix).constData(), W_OK) != 0) {
                return QStringLiteral("账套文件所在的目录不允许写入");
            }
        }
    }
    return QString();
}

// The process that holds a write lock on bytes `from` to `to` of `path`,
// from the kernel's lock table: opening the file to ask would drop this
// process's own SQLite locks on it. 0 when none is held or it is unknown.
qint64 lockingProcess(const QString& path, qint64 from, qint64 to) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 0;
    QFile table(QStringLiteral("/proc/locks"));
    if (!table.open(QIODevice::ReadOnly | QIODevice::Text)) return 0;
    const QString inode = QStringLiteral(":%1").arg(quint64(st.st_ino));
    const qint64 self = QCoreApplication::applicationPid();
    // "3: POSIX  ADVISORY  WRITE 4242 08:02:131 120 120"; waiters read "3: -> POSIX ...".
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
        if (f.size() < 8 || f.at(3) != QLatin1String("WRITE") || !f.at(5).endsWith(inode)) {
            continue;
        }
        const qint64 start = f.at(6).toLongLong();
        const qint64 end = f.at(7) == QLatin1String("EOF") ? std::numeric_limits<qint64>::max()
                                                           : f.at(7).toLongLong();
        const qint64 pid = f.at(4).toLongLong();
        if (end < from || start > to || pid <= 0 || pid == self) continue;
        return pid;
    }
    return 0;
}

QString processName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

HostError busyError(const QString& location, const QString& holder, int waitMs) {
    return HostError(kAccountSetBusy, kSource,
                     QStringLiteral("账套 %1 正被%2写入, 等待 %3 秒后仍未释放, 没有写入。"
                                    "请等它完成后再试。")
                         .arg(location, Database::holderPhrase(holder), secondsText(waitMs)));
}

void removeSqliteFiles(const QString& path) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        QFile::remove(path + QLatin1String(suffix));
    }
}

}  // namespace

Database::Database(std::unique_ptr<Dialect> dialect, QString location, QString connectionName)
    : dialect_(std::move(dialect)),
      location_(std::move(location)),
      connectionName_(std::move(connectionName)),
      cursors_(std::make_unique<Cursors>(connectionName_)) {}

Database::~Database() {
    cursors_->closeAll();  // open queries and their connections go first
    prepared_.clear();     // prepared queries go before their connection
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        if (db.isOpen()) db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

[[noreturn]] void Database::raise(const QSqlError& error, const QString& sql) {
    const bool busy = onServer_
                          ? error.nativeErrorCode() == kPgLockNotAvailable
                          : sqliteCode(error) == kSqliteBusy || sqliteCode(error) == kSqliteLocked;
    if (busy) {
        // Inside a server transaction nothing more can be asked; the
        // transaction names the holder once it has rolled back.
        throw busyError(location_,
                        onServer_ && transactionDepth_ > 0 ? QString() : writeLockHolder(),
                        lockWaitMs_);
    }
    const bool readOnlyRefusal = onServer_ ? error.nativeErrorCode() == kPgReadOnlyTransaction
                                           : sqliteCode(error) == kSqliteReadOnly;
    if (readOnlyRefusal) {
        throw HostError(kAccountSetReadOnly, kSource,
                        QStringLiteral("账套 %1 只能读取 (%2), 不能写入。")
                            .arg(location_, readOnly() ? readOnlyReason_
                                                       : QStringLiteral("文件现在不允许写入")));
    }
    throw statementError(kBackendError, kSource, error, sql, onServer_, transactionDepth_ > 0);
}

// Runs `sql`; raises with the backend's message when it fails.
void Database::execOrThrow(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
    bool ok;
    if (binds.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant& value : binds) query.addBindValue(value);
            ok = query.exec();
        }
    }
    if (!ok) raise(query.lastError(), sql);
}

// Runs an already prepared query with new values.
void Database::execPrepared(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i) query.bindValue(i, binds.at(i));
    if (!query.exec()) raise(query.lastError(), sql);
}

QString Database::writeLockHolder() {
    if (onServer_) {
        if (transactionDepth_ > 0) return QString();
        try {
            // Sessions that hold a table lock a writer takes, on this database.
            const auto rows = nativeQuery(QStringLiteral(
                "SELECT l.pid, a.usename, a.client_addr::text FROM pg_locks l "
                "LEFT JOIN pg_stat_activity a ON a.pid = l.pid "
                "WHERE l.locktype = 'relation' AND l.granted AND l.pid <> pg_backend_pid() "
                "AND l.mode IN ('RowExclusiveLock', 'ShareRowExclusiveLock', 'ExclusiveLock', "
                "'AccessExclusiveLock') "
                "AND l.database = (SELECT oid FROM pg_database WHERE datname = current_database()) "
                "ORDER BY l.pid LIMIT 1"));
            if (rows->RecordCount() == 0) return QString();
            rows->MoveFirst();
            QString text = QStringLiteral("服务器会话 %1").arg(rows->Field(0).toString());
            const QString user = rows->Field(1).toString();
            const QString address = rows->Field(2).toString();
            if (!user.isEmpty()) text += QStringLiteral(" (数据库用户 %1").arg(user);
            if (!user.isEmpty() && !address.isEmpty())
                text += QStringLiteral(", 来自 %1").arg(address);
            if (!user.isEmpty()) text += u')';
            return text;
        } catch (const HostError&) {
            return QString();  // naming the holder is a courtesy; the refusal stands without it
        }
    }
    // The write lock of a WAL database is byte 120 of its -shm file; that of
    // a database with a rollback journal its reserved byte.
    qint64 pid = lockingProcess(location_ + QStringLiteral("-shm"), 120, 120);
    if (pid == 0) pid = lockingProcess(location_, 0x40000000, 0x40000001);
    if (pid == 0) return QString();
    const QString name = processName(pid);
    return name.isEmpty() ? QStringLiteral("进程 %1").arg(pid)
                          : QStringLiteral("进程 %1 (%2)").arg(pid).arg(name);
}

void Database::setLockWait(int ms) {
    if (onServer_) {
        nativeExec(QStringLiteral("SET lock_timeout = %1").arg(ms));
    } else {
        nativeExec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
    }
    lockWaitMs_ = ms;
}

void Database::configureServerSession() {
    // Straight on the connection: this is part of making it.
    for (const QString& sql : {// Backslashes in literals stay plain characters, as the quoting
                               // helpers assume; notices of objects that already exist are noise.
                               QStringLiteral("SET standard_conforming_strings = on"),
                               QStringLiteral("SET client_min_messages = warning"),
                               // A write blocked by another session's transaction ends after a
                               // while instead of hanging the workstation.
                               QStringLiteral("SET lock_timeout = %1").arg(lockWaitMs_)}) {
        QSqlQuery q(handle());
        execOrThrow(q, sql, {});
    }
}

HostError Database::lostError() const {
    return HostError(zx::host::kConnectionLost, kSource,
                     QStringLiteral("与数据库服务器 (%1) 的连接中断了: 这次操作写入的内容"
                                    "服务器已全部撤回, 账套中没有留下其中任何一项。")
                         .arg(location_));
}

void Database::live(const std::function<void()>& call) {
    if (!onServer_) {
        call();
        return;
    }
    // Outside a transaction, and with nothing of the session's own held, a
    // call is whole by itself and may be made again on a new connection.
    const bool repeatable = transactionDepth_ == 0 && sessionState_ == 0;
    if (lost_) {
        if (!repeatable) throw lostError();
        reconnect();
    }
    try {
        call();
        return;
    } catch (const HostError& error) {
        if (error.number() == kServerUnreachable) throw;
        if (error.number() != zx::host::kConnectionLost && !serverGone()) throw;
        lost_ = true;
        if (!repeatable) throw lostError();
    }
    reconnect();
    call();
}

bool Database::serverGone() {
    QSqlQuery q(handle());
    if (q.exec(QStringLiteral("SELECT 1"))) return false;
    // A failed transaction still answers, with a state of its own.
    const QString state = q.lastError().nativeErrorCode();
    return state.isEmpty() || state.startsWith(QLatin1String("08")) ||
           state.startsWith(QLatin1String("57P"));
}

void Database::reconnect() {
    // Right after the tries gave up, the calls that follow (what the failed
    // action does on its way out) try once instead of waiting again.
    const bool justGaveUp = gaveUp_.isValid() && gaveUp_.elapsed() < kReconnectPauseMs * 3;
    const int tries = justGaveUp ? 1 : kReconnectTries;
    if (reconnectWatcher_) reconnectWatcher_(true);
    cursors_->dropReaders();
    prepared_.clear();  // they belong to the session that is gone
    QElapsedTimer clock;
    clock.start();
    QString reason;
    for (int attempt = 1; lost_ && attempt <= tries; ++attempt) {
        if (attempt > 1) QThread::msleep(kReconnectPauseMs);
        QSqlDatabase db = handle();
        db.close();
        if (!db.open()) {
            reason = driverText(db.lastError());
            continue;
        }
        try {
            configureServerSession();
            lost_ = false;
        } catch (const HostError& error) {
            reason = error.details().isEmpty() ? error.description() : error.details();
        }
    }
    if (reconnectWatcher_) reconnectWatcher_(false);
    if (!lost_) {
        gaveUp_.invalidate();
        return;
    }
    gaveUp_.start();
    throw HostError(
        kServerUnreachable, kSource,
        QStringLiteral("连接不上账套所在的数据库服务器 (%1): 与它的连接中断后, "
                       "%2 秒内重试 %3 次都没有连上。这次操作没有在账套中写入任何内容。")
            .arg(location_, secondsText(int(clock.elapsed())), QString::number(tries)),
        reason.startsWith(QStringLiteral("数据库的说明")) ? reason : detailsOf(reason));
}

void Database::createSqliteFile(const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法创建账套数据库 %1: 无法创建目录 %2").arg(path, dir));
    }
    // Built beside its place and moved there whole: no other process sees a
    // half-made account set, and a start that dies leaves nothing in its place.
    const QString temp =
        QStringLiteral("%1.new-%2").arg(path).arg(QCoreApplication::applicationPid());
    removeSqliteFiles(temp);
    try {
        const QString name = nextConnectionName("zx_refhost_new");
        auto dialect = std::make_unique<SqliteDialect>();
        QSqlDatabase::addDatabase(dialect->driverName(), name);
        std::unique_ptr<Database> fresh(new Database(std::move(dialect), temp, name));
        fresh->connectSqlite(temp, false);
        createSchema(*fresh);
        // Switched last, so the file leaves with an empty write-ahead log:
        // readers go on while one process writes.
        fresh->nativeQuery(QStringLiteral("PRAGMA journal_mode = WAL"));
    } catch (const HostError& error) {
        removeSqliteFiles(temp);
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法创建账套数据库 %1: %2").arg(path, error.description()),
                        error.details());
    }
    if (!QFile::rename(temp, path)) {
        removeSqliteFiles(temp);
        // Another process that created it first wins; its set is opened.
        if (!QFileInfo::exists(path)) {
            throw HostError(
                kOpenFailed, kSource,
                QStringLiteral("无法创建账套数据库 %1: 新文件无法放到这个位置").arg(path));
        }
    }
}

void Database::connectSqlite(const QString& path, bool readOnly) {
    QSqlDatabase db = handle();
    if (db.isOpen()) db.close();
    QStringList options{QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitMs_)};
    if (readOnly) options << QStringLiteral("QSQLITE_OPEN_READONLY");
    db.setDatabaseName(path);
    db.setConnectOptions(options.join(u';'));
    auto failed = [&](const QString& why, const QString& details) {
        return HostError(kOpenFailed, kSource,
                         QStringLiteral("无法打开账套数据库 %1: %2").arg(path, why), details);
    };
    auto refused = [&](const QSqlError& error) {
        return failed(connectReason(error, false), detailsOf(driverText(error)));
    };
    if (!db.open()) throw refused(db.lastError());
    if (readOnly) {
        QSqlError error;
        {
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
                error = probe.lastError();
            }
        }
        if (error.isValid()) {
            const int code = sqliteCode(error);
            if (code != kSqliteCantOpen && code != kSqliteReadOnly) {
                throw refused(error);
            }
            // SQLite reads a WAL database through a shared-memory file beside
            // it, which a read-only medium or a folder this user may not write
            // cannot take. The file is then read as unchanging: what it held
            // when it was opened.
            db.close();
            db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                               QStringLiteral("?immutable=1"));
            db.setConnectOptions(options.join(u';') + QStringLiteral(";QSQLITE_OPEN_URI"));
            if (!db.open()) throw refused(db.lastError());
        }
    }
    try {
        nativeExec(QStringLiteral("PRAGMA busy_timeout = %1").arg(lockWaitMs_));
        nativeExec(QStringLiteral("PRAGMA synchronous = NORMAL"));  // safe with WAL
        // Long results are sorted in memory rather than in temporary files.
        nativeExec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    } catch (const HostError& error) {
        throw failed(error.description(), error.details());
    }
}

bool Database::schemaNeedsWriting() {
    const int version = schemaVersion(*this);
    if (version == 0) {
        const QStringList tables = tableNames(*this);
        // An empty server database is one made for an account set (see the
        // README); an SQLite file is only ever made whole.
        if (!tables.isEmpty() || !onServer_) {
            const QString what = onServer_ ? QStringLiteral("数据库") : QStringLiteral("文件");
            throw HostError(
                kNotAnAccountSet, kSource,
                tables.isEmpty()
                    ? QStringLiteral("%1 %2 不是账套: 其中没有任何表。%1没有被改动。")
                          .arg(what, location_)
                    : QStringLiteral("%1 %2 不是账套: 其中的表 (%3) 不属于账套。%1没有被改动。")
                          .arg(what, location_,
                               QStringList(tables.mid(0, 3)).join(QStringLiteral(", ")) +
                                   (tables.size() > 3 ? QStringLiteral(", ...") : QString())));
        }
    }
    return version < kSchemaVersion;
}

std::shared_ptr<Database> Database::openSqlite(const QString& path, const OpenOptions& options) {
    if (path.trimmed().isEmpty()) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库: 没有给出文件路径"));
    }
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    if (info.isDir()) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库 %1: 这是一个目录").arg(path));
    }
    if (!info.exists()) {
        if (!options.create) {
            throw HostError(kNoAccountSet, kSource,
                            QStringLiteral("账套文件 %1 不存在。").arg(path));
        }
        createSqliteFile(absolute);
    }
    refuseUnlessSqliteFile(absolute);

    const QString name = nextConnectionName("zx_refhost");
    auto dialect = std::make_unique<SqliteDialect>();
    QSqlDatabase::addDatabase(dialect->driverName(), name);
    // From here on the destructor removes the connection, also on failure.
    std::shared_ptr<Database> self(new Database(std::move(dialect), absolute, name));
    // Looked at through a read-only connection first: a file that is no
    // account set leaves exactly as it came.
    self->connectSqlite(absolute, true);
    const bool needsWriting = self->schemaNeedsWriting();
    self->readOnlyReason_ = readOnlyReasonOf(absolute);
    if (!self->readOnly()) self->connectSqlite(absolute, false);
    if (needsWriting) {
        if (self->readOnly()) {
            throw HostError(kAccountSetReadOnly, kSource,
                            QStringLiteral("账套 %1 的表需要更新, 但它只能读取 (%2), 无法打开。")
                                .arg(absolute, self->readOnlyReason_));
        }
        self->patientTransaction([&] { createSchema(*self); }, options.waiting, options.patienceMs);
    }
    registerStandardProcedures(*self);
    self->resetRoundTrips();
    return self;
}

std::shared_ptr<Database> Database::openPostgres(const QString& url, const OpenOptions& options) {
    const QString name = nextConnectionName("zx_refhost_pg");
    const PgUrl address = PgUrl::parse(url);
    auto dialect = std::make_unique<PgDialect>();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driverName(), name);
        db.setHostName(address.host);
        if (address.port > 0) db.setPort(address.port);
        db.setUserName(address.user);
        db.setPassword(address.password);
        db.setDatabaseName(address.database);
        QStringList options;
        for (const auto& [key, value] : address.options) options.append(key + u'=' + value);
        db.setConnectOptions(options.join(u';'));
    }
    std::shared_ptr<Database> self(new Database(std::move(dialect), address.toString(), name));
    self->onServer_ = true;

    QSqlDatabase db = self->handle();
    if (address.database.isEmpty()) {
        throw HostError(
            kOpenFailed, kSource,
            QStringLiteral("无法打开账套数据库 %1: 地址中没有数据库名").arg(self->location_));
    }
    if (!db.open()) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库 %1: %2")
                            .arg(self->location_, connectReason(db.lastError(), true)),
                        detailsOf(driverText(db.lastError())));
    }
    try {
        self->configureServerSession();
        const auto readOnlyServer =
            self->nativeQuery(QStringLiteral("SELECT current_setting('transaction_read_only')"));
        readOnlyServer->MoveFirst();
        if (readOnlyServer->Field(0).toString() == QLatin1String("on")) {
            self->readOnlyReason_ = QStringLiteral("数据库服务器只允许读取");
        }
        if (self->schemaNeedsWriting()) {
            if (self->readOnly()) {
                throw HostError(kAccountSetReadOnly, kSource,
                                QStringLiteral("账套 %1 的表需要创建或更新, 但它只能读取 (%2)。")
                                    .arg(self->location_, self->readOnlyReason_));
            }
            self->patientTransaction([&] { createSchema(*self); }, options.waiting,
                                     options.patienceMs);
        }
        if (!self->readOnly()) {
            const auto mayWrite = self->nativeQuery(
                QStringLiteral("SELECT has_table_privilege('t_systemprofile', 'UPDATE')"));
            mayWrite->MoveFirst();
            if (!mayWrite->Field(0).toBool()) {
                self->readOnlyReason_ =
                    QStringLiteral("数据库用户 %1 没有修改账套的权限").arg(address.user);
            }
        }
    } catch (const HostError& error) {
        if (error.number() == kNotAnAccountSet || error.number() == kAccountSetReadOnly ||
            error.number() == kAccountSetBusy) {
            throw;
        }
        throw HostError(
            kOpenFailed, kSource,
            QStringLiteral("无法打开账套数据库 %1: %2").arg(self->location_, error.description()),
            error.details());
    }
    registerStandardProcedures(*self);
    self->resetRoundTrips();
    return self;
}

std::shared_ptr<Database> Database::open(const QString& location, const OpenOptions& options) {
    return PgUrl::isUrl(location) ? openPostgres(location, options) : openSqlite(location, options);
}

QSqlDatabase Database::handle() const {
    return QSqlDatabase::database(connectionName_, false);
}

zx::host::RecordSetPtr Database::query(const QString& tsql) {
    zx::host::RecordSetPtr rows;
    live([&] { rows = queryNow(tsql); });
    return rows;
}

zx::host::RecordSetPtr Database::queryNow(const QString& tsql) {
    const TranslatedStatement statement = TsqlTranslator(*dialect_).translate(tsql);
    if (statement.kind != TranslatedStatement::Kind::Query) {
        throw HostError(kUnsupportedSql, kSource,
                        QStringLiteral("此处只能执行查询语句: %1").arg(statement.tsql));
    }
    // A long result (a log kept for years) is read as the caller moves
    // through it. Inside a transaction everything is read at once: a server
    // reads on demand on a connection of its own, which would not see the
    // transaction's writes.
    if (transactionDepth_ == 0) {
        if (auto rows = cursors_->open(statement, *dialect_, onServer_)) return rows;
    }
    ++roundTrips_;
    // Read straight from SQLite when this process can: no value object per
    // cell on the way.
    if (auto rows = readSqliteRows(handle(), statement.sql, statement.dateTimeColumns)) {
        return rows;
    }
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    execOrThrow(q, statement.sql, {});
    return readRows(q, statement.dateTimeColumns);
}

zx::host::RecordSetPtr Database::execute(const QString& tsql) {
    zx::host::RecordSetPtr rows;
    live([&] { rows = executeNow(tsql); });
    return rows;
}

zx::host::RecordSetPtr Database::executeNow(const QString& tsql) {
    const QList<TranslatedStatement> statements = TsqlTranslator(*dialect_).translateBatch(tsql);
    if (statements.isEmpty()) return nullptr;
    zx::host::RecordSetPtr last;
    auto runAll = [&] {
        for (const TranslatedStatement& statement : statements) {
            last = nullptr;
            if (statement.kind == TranslatedStatement::Kind::Procedure) {
                const auto found = procedures_.find(procedureKey(statement.procedure));
                if (found == procedures_.end()) {
                    throw HostError(kBackendError, kSource,
                                    QStringLiteral("找不到存储过程 '%1'").arg(statement.procedure));
                }
                found->second(*this, statement.arguments);
                continue;
            }
            if (statement.kind != TranslatedStatement::Kind::Query) passWriteGate(statement.sql);
            QSqlQuery q(handle());
            q.setForwardOnly(true);
            ++roundTrips_;
            execOrThrow(q, statement.sql, {});
            if (statement.kind == TranslatedStatement::Kind::Query) {
                last = readRows(q, statement.dateTimeColumns);
            }
        }
    };
    // Several statements, or a procedure with several of its own, succeed or
    // fail as one.
    if (statements.size() > 1 || statements.first().kind == TranslatedStatement::Kind::Procedure) {
        transaction(runAll);
    } else {
        runAll();
    }
    return last;
}

void Database::executeBatch(const QString& tsql) {
    execute(tsql);
}

zx::host::RecordSetPtr Database::nativeQuery(const QString& sql, const QVariantList& binds) {
    zx::host::RecordSetPtr rows;
    live([&] { rows = run(sql, binds, true); });
    return rows;
}

void Database::passWriteGate(const QString& what) {
    // A test hook: with ZX_TEST_WRITE_GATE set, every write says on standard
    // error which one it is and waits for a line on standard input, so that a
    // test can end the process at a write of its choice.
    static const bool gated = qEnvironmentVariableIsSet("ZX_TEST_WRITE_GATE");
    if (!gated) return;
    static int count = 0;
    std::fprintf(stderr, "zx-write-gate %d %s\n", ++count,
                 what.simplified().left(60).toUtf8().constData());
    std::fflush(stderr);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return;  // no one steers: go on
}

int Database::nativeExec(const QString& sql, const QVariantList& binds) {
    int affected = 0;
    live([&] { affected = execNow(sql, binds); });
    return affected;
}

int Database::execNow(const QString& sql, const QVariantList& binds) {
    passWriteGate(sql);
    if (onServer_ && !binds.isEmpty()) {
        bool fresh = false;
        QSqlQuery& q = preparedQuery(sql, fresh);
        roundTrips_ += fresh ? 2 : 1;
        execPrepared(q, sql, binds);
        const int affected = q.numRowsAffected();
        q.finish();
        return affected;
    }
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    ++roundTrips_;
    execOrThrow(q, sql, binds);
    return q.numRowsAffected();
}

QSqlQuery& Database::preparedQuery(const QString& sql, bool& fresh) {
    // PREPARE is a round trip of its own (the caller counts it): the server
    // keeps the plan for the connection's life, later calls send the values.
    constexpr std::size_t kMaxPrepared = 200;
    const auto found = prepared_.find(sql);
    if (found != prepared_.end()) {
        fresh = false;
        return *found->second;
    }
    if (prepared_.size() >= kMaxPrepared) prepared_.clear();
    auto q = std::make_unique<QSqlQuery>(handle());
    q->setForwardOnly(true);
    if (!q->prepare(sql)) raise(q->lastError(), sql);
    fresh = true;
    return *prepared_.emplace(sql, std::move(q)).first->second;
}

zx::host::RecordSetPtr Database::run(const QString& nativeSql, const QVariantList& binds,
                                     bool wantRows) {
    if (onServer_ && !binds.isEmpty()) {
        bool fresh = false;
        QSqlQuery& q = preparedQuery(nativeSql, fresh);
        roundTrips_ += fresh ? 2 : 1;
        execPrepared(q, nativeSql, binds);
        auto rows = wantRows ? readRows(q, {}) : nullptr;
        q.finish();
        return rows;
    }
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    ++roundTrips_;
    execOrThrow(q, nativeSql, binds);
    return wantRows ? readRows(q, {}) : nullptr;
}

int Database::roundTrips() const {
    return roundTrips_ + cursors_->roundTrips();
}

void Database::resetRoundTrips() {
    roundTrips_ = 0;
    cursors_->resetRoundTrips();
}

void Database::registerProcedure(const QString& name, Procedure procedure) {
    procedures_[procedureKey(name)] = std::move(procedure);
}

void Database::control(const QString& sql) {
    // Statements that open, commit or roll back a transaction are not counted
    // as round trips: the counter measures the work the callers ask for.
    QSqlQuery q(handle());
    execOrThrow(q, sql, {});
}

QString Database::savepointName() const {
    return QStringLiteral("zx_level%1").arg(transactionDepth_ - 1);
}

void Database::begin() {
    if (transactionDepth_ == 0) {
        // The first statement after a while: a connection lost meanwhile is
        // made again here, before anything is written.
        live([this] { control(dialect_->beginTransaction()); });
        transactionSerial_ = nextTransactionSerial();
    } else {
        if (lost_) throw lostError();
        control(QStringLiteral("SAVEPOINT zx_level%1").arg(transactionDepth_));
    }
    ++transactionDepth_;
}

void Database::commit() {
    if (transactionDepth_ == 0) {
        throw HostError(kBackendError, kSource, QStringLiteral("没有要提交的事务"));
    }
    if (lost_) throw lostError();  // the transaction went with the session
    if (transactionDepth_ == 1) {
        passWriteGate(QStringLiteral("COMMIT"));
        try {
            control(QStringLiteral("COMMIT"));
        } catch (const HostError&) {
            if (!onServer_ || !serverGone()) throw;
            lost_ = true;
            throw lostError();
        }
    } else {
        control(QStringLiteral("RELEASE SAVEPOINT ") + savepointName());
    }
    --transactionDepth_;
}

void Database::rollback() {
    if (transactionDepth_ == 0) return;
    const QString savepoint = savepointName();
    --transactionDepth_;
    if (lost_) return;  // the server dropped it with the session
    try {
        if (transactionDepth_ == 0) {
            control(QStringLiteral("ROLLBACK"));
        } else {
            control(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint);
            control(QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
        }
    } catch (const HostError& error) {
        // The error that led here is the one worth reporting; this one goes
        // to the log.
        qWarning("rollback: %s", qPrintable(error.description()));
    }
}

void Database::transaction(const std::function<void()>& work) {
    const bool outermost = transactionDepth_ == 0;
    begin();
    try {
        work();
    } catch (const HostError& error) {
        rollback();
        if (outermost && onServer_ && error.number() == kAccountSetBusy) {
            throw busyError(location_, writeLockHolder(), lockWaitMs_);
        }
        throw;
    } catch (...) {
        rollback();
        throw;
    }
    try {
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

bool Database::hasColumn(const QString& table, const QString& column) {
    const QString name = (table + u'.' + column).toLower();
    if (columnsSeen_.contains(name)) return true;
    if (!columnNames(*this, table).contains(column.toLower())) return false;
    columnsSeen_ << name;
    return true;
}

void Database::patientTransaction(const std::function<void()>& work,
                                  const std::function<void(const QString& holder)>& waiting,
                                  int patienceMs) {
    QElapsedTimer clock;
    clock.start();
    const int usualWait = lockWaitMs_;
    // Short tries, so that the one waiting can be shown as waiting.
    setLockWait(kPollMs);
    auto restore = [&] {
        try {
            setLockWait(usualWait);
        } catch (const HostError&) {
            // The connection keeps the short wait; writes then give up sooner.
        }
    };
    for (;;) {
        try {
            transaction(work);
            restore();
            return;
        } catch (const HostError& error) {
            if (error.number() != kAccountSetBusy) {
                restore();
                throw;
            }
        }
        const QString holder = writeLockHolder();
        if (clock.elapsed() >= patienceMs) {
            restore();
            throw HostError(
                kAccountSetBusy, kSource,
                QStringLiteral("账套 %1 正被%2占用, 等待 %3 秒后放弃。"
                               "请等它完成后再打开。")
                    .arg(location_, holderPhrase(holder), secondsText(int(clock.elapsed()))));
        }
        if (waiting) waiting(holder);
    }
}

}  // namespace refhost
