#include "Database.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

#include "Cursor.h"
#include "Dialect.h"
#include "PgUrl.h"
#include "RowSet.h"
#include "Schema.h"
#include "TsqlTranslator.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;

const QString kSource = QStringLiteral("Database");
constexpr qint32 kOpenFailed = 3704;           // the account set cannot be opened
constexpr qint32 kBackendError = -2147467259;  // the backend refused a statement
constexpr int kBusyTimeoutMs = 5000;

QString backendMessage(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// Runs `sql`; raises with the backend's message when it fails.
void execOrThrow(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
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
    if (!ok) {
        throw HostError(kBackendError, kSource,
                        QStringLiteral("数据库执行 SQL 失败: %1\nSQL: %2")
                            .arg(backendMessage(query.lastError()), sql));
    }
}

// Runs an already prepared query with new values.
void execPrepared(QSqlQuery& query, const QString& sql, const QVariantList& binds) {
    for (int i = 0; i < binds.size(); ++i) query.bindValue(i, binds.at(i));
    if (!query.exec()) {
        throw HostError(kBackendError, kSource,
                        QStringLiteral("数据库执行 SQL 失败: %1\nSQL: %2")
                            .arg(backendMessage(query.lastError()), sql));
    }
}

QString procedureKey(const QString& name) {
    return name.trimmed().toLower();
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

std::shared_ptr<Database> Database::openSqlite(const QString& path) {
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("zx_refhost_%1").arg(++serial);
    auto dialect = std::make_unique<SqliteDialect>();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(dialect->driverName(), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    }
    // From here on the destructor removes the connection, also on failure.
    std::shared_ptr<Database> self(
        new Database(std::move(dialect), QFileInfo(path).absoluteFilePath(), name));

    QSqlDatabase db = self->handle();
    if (path.trimmed().isEmpty() || !db.open()) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库 %1: %2")
                            .arg(path, path.trimmed().isEmpty() ? QStringLiteral("没有给出文件路径")
                                                                : backendMessage(db.lastError())));
    }
    try {
        // WAL lets readers go on while one process writes; NORMAL is safe with WAL.
        self->nativeExec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyTimeoutMs));
        self->nativeQuery(QStringLiteral("PRAGMA journal_mode = WAL"));
        self->nativeExec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        // Long results are sorted in memory rather than in temporary files.
        self->nativeExec(QStringLiteral("PRAGMA temp_store = MEMORY"));
        createSchema(*self);
    } catch (const HostError& error) {
        throw HostError(kOpenFailed, kSource,
                        QStringLiteral("无法打开账套数据库 %1: %2").arg(path, error.description()));
    }
    registerStandardProcedures(*self);
    self->resetRoundTrips();
    return self;
}

std::shared_ptr<Database> Database::openPostgres(const QString& url) {
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("zx_refhost_pg_%1").arg(++serial);
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
                            .arg(self->location_, backendMessage(db.lastError())));
    }
    try {
        // Backslashes in literals stay plain characters, as the quoting
        // helpers assume; notices of objects that already exist are noise.
        self->nativeExec(QStringLiteral("SET standard_conforming_strings = on"));
        self->nativeExec(QStringLiteral("SET client_min_messages = warning"));
        createSchema(*self);
    } catch (const HostError& error) {
        throw HostError(
            kOpenFailed, kSource,
            QStringLiteral("无法打开账套数据库 %1: %2").arg(self->location_, error.description()));
    }
    registerStandardProcedures(*self);
    self->resetRoundTrips();
    return self;
}

std::shared_ptr<Database> Database::open(const QString& location) {
    return PgUrl::isUrl(location) ? openPostgres(location) : openSqlite(location);
}

QSqlDatabase Database::handle() const {
    return QSqlDatabase::database(connectionName_, false);
}

zx::host::RecordSetPtr Database::query(const QString& tsql) {
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
    return run(sql, binds, true);
}

int Database::nativeExec(const QString& sql, const QVariantList& binds) {
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
    if (!q->prepare(sql)) {
        throw HostError(kBackendError, kSource,
                        QStringLiteral("数据库执行 SQL 失败: %1\nSQL: %2")
                            .arg(backendMessage(q->lastError()), sql));
    }
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

void Database::transaction(const std::function<void()>& work) {
    // Statements that open, commit or roll back a transaction are not counted
    // as round trips: the counter measures the work the callers ask for.
    auto control = [this](const QString& sql) {
        QSqlQuery q(handle());
        execOrThrow(q, sql, {});
    };
    const bool outermost = transactionDepth_ == 0;
    const QString savepoint = QStringLiteral("zx_level%1").arg(transactionDepth_);
    control(outermost ? dialect_->beginTransaction() : QStringLiteral("SAVEPOINT ") + savepoint);
    ++transactionDepth_;
    auto undo = [&] {
        try {
            if (outermost) {
                control(QStringLiteral("ROLLBACK"));
            } else {
                control(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint);
                control(QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
            }
        } catch (const HostError&) {
            // The first error is the one worth reporting.
        }
    };
    try {
        work();
    } catch (...) {
        --transactionDepth_;
        undo();
        throw;
    }
    --transactionDepth_;
    try {
        control(outermost ? QStringLiteral("COMMIT")
                          : QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
    } catch (...) {
        undo();
        throw;
    }
}

}  // namespace refhost
