#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>

#include "zx/host/RecordSet.h"

namespace refhost {

class Cursors;
class Dialect;

// One account set's database. Everything the component sends arrives here as
// T-SQL text and is translated to the backend's dialect; the host's own code
// uses native SQL with bound values. Every round trip is counted.
class Database {
public:
    using Procedure = std::function<void(Database&, const QStringList& args)>;

    // Opens (creating on first use) an SQLite account set and its schema.
    // Raises zx::host::HostError when the file cannot be opened.
    static std::shared_ptr<Database> openSqlite(const QString& path);
    // Opens the PostgreSQL account set at `url` (see PgUrl) and creates its
    // schema; the database itself must exist. Raises zx::host::HostError
    // when it cannot be reached.
    static std::shared_ptr<Database> openPostgres(const QString& url);
    // A postgresql:// URL opens PostgreSQL, anything else is an SQLite file.
    static std::shared_ptr<Database> open(const QString& location);
    ~Database();

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // T-SQL from the component: one query; returns its rows. A long result
    // is read from the backend as the caller moves through it.
    zx::host::RecordSetPtr query(const QString& tsql);
    // T-SQL from the component: a statement or a query (nullptr for a statement).
    zx::host::RecordSetPtr execute(const QString& tsql);
    // T-SQL from the component: statements separated by line breaks, in one transaction.
    void executeBatch(const QString& tsql);

    // Native SQL with bound values ('?' placeholders), for the host's own services.
    zx::host::RecordSetPtr nativeQuery(const QString& sql, const QVariantList& binds = {});
    int nativeExec(const QString& sql, const QVariantList& binds = {});  // rows affected

    // Stored procedures reached with "Exec name 'a','b'".
    void registerProcedure(const QString& name, Procedure procedure);

    // Runs `work` in a transaction; rolls back and rethrows on an exception.
    void transaction(const std::function<void()>& work);

    const Dialect& dialect() const { return *dialect_; }
    // The account set's name for messages and the session: the file's
    // absolute path, or the URL without its password.
    QString location() const { return location_; }
    // True when the account set lives on a database server that several
    // workstations reach over the network.
    bool onServer() const { return onServer_; }
    QString connectionName() const { return connectionName_; }
    QSqlDatabase handle() const;

    // Round trips to the backend since open (or since the last reset).
    int roundTrips() const;
    void resetRoundTrips();

private:
    Database(std::unique_ptr<Dialect> dialect, QString location, QString connectionName);
    zx::host::RecordSetPtr run(const QString& nativeSql, const QVariantList& binds, bool wantRows);
    // A query with bound values, prepared once per text on a server backend.
    QSqlQuery& preparedQuery(const QString& sql, bool& fresh);

    std::unique_ptr<Dialect> dialect_;
    QString location_;
    QString connectionName_;
    std::map<QString, Procedure> procedures_;  // keyed by lower-case name
    int roundTrips_ = 0;
    int transactionDepth_ = 0;
    bool onServer_ = false;
    std::map<QString, std::unique_ptr<QSqlQuery>> prepared_;
    std::unique_ptr<Cursors> cursors_;  // results read on demand
};

}  // namespace refhost
