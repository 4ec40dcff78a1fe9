#pragma once

#include <QSqlDatabase>
#include <QSqlError>
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

// Error numbers of the host about the account set as a whole.
inline constexpr qint32 kOpenFailed = 3704;          // it cannot be opened
inline constexpr qint32 kNotAnAccountSet = 3705;     // the file or database holds something else
inline constexpr qint32 kNoAccountSet = 3706;        // the file does not exist
inline constexpr qint32 kAccountSetBusy = 3707;      // another process holds its write lock
inline constexpr qint32 kAccountSetReadOnly = 3708;  // it was opened read-only

// How an account set is opened.
struct OpenOptions {
    // A missing SQLite file becomes a new account set (tables only, no
    // data); without this it is refused with kNoAccountSet.
    bool create = true;
    // While a start that has to write (creating or upgrading the tables)
    // waits for another process that holds the account set, this is called
    // between tries with who holds it (empty when unknown).
    std::function<void(const QString& holder)> waiting;
    // How long such a start waits before it gives up.
    int patienceMs = 30000;
};

// One account set's database. Everything the component sends arrives here as
// T-SQL text and is translated to the backend's dialect; the host's own code
// uses native SQL with bound values. Every round trip is counted.
class Database {
public:
    using Procedure = std::function<void(Database&, const QStringList& args)>;

    // Opens an SQLite account set. Opening only reads: a file that is not an
    // account set (empty, not SQLite, other tables) is refused and left as it
    // is; a file this user may not write opens read-only. Only a new file
    // (built beside its place and moved there whole) or an older schema is
    // written. Raises zx::host::HostError (numbers above) when it cannot be used.
    static std::shared_ptr<Database> openSqlite(const QString& path,
                                                const OpenOptions& options = {});
    // Opens the PostgreSQL account set at `url` (see PgUrl); the database
    // itself must exist. An empty database gets its tables; one that holds
    // other tables is refused. Raises zx::host::HostError when it cannot be used.
    static std::shared_ptr<Database> openPostgres(const QString& url,
                                                  const OpenOptions& options = {});
    // A postgresql:// URL opens PostgreSQL, anything else is an SQLite file.
    static std::shared_ptr<Database> open(const QString& location, const OpenOptions& options = {});
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
    // The same in steps, for work that spans several calls of the host's
    // services (one save): begin opens a transaction, or inside one a
    // savepoint; commit and rollback end the innermost. rollback raises
    // nothing: a failed rollback is logged.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return transactionDepth_ > 0; }
    // The same for a start that has to write: while another process holds
    // the account set it tries again for up to `patienceMs`, calling
    // `waiting` between tries; then raises kAccountSetBusy naming the holder.
    void patientTransaction(const std::function<void()>& work,
                            const std::function<void(const QString& holder)>& waiting,
                            int patienceMs);

    // True when the account set can only be read (see readOnlyReason).
    bool readOnly() const { return !readOnlyReason_.isEmpty(); }
    // Why it can only be read, in the user's words; empty when it can be written.
    QString readOnlyReason() const { return readOnlyReason_; }
    // Who holds the account set's write lock, as far as this machine can
    // tell ("进程 4242 (sqlite3)"); empty when nobody or unknown.
    QString writeLockHolder();
    // The holder as the subject of a message: "进程 4242 (sqlite3) " or "其他程序".
    static QString holderPhrase(const QString& holder) {
        return holder.isEmpty() ? QStringLiteral("其他程序") : holder + u' ';
    }
    // How long a write waits for another process's write lock.
    static constexpr int kLockWaitMs = 2000;

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
    // Builds a new account set beside `path` and moves it there whole.
    static void createSqliteFile(const QString& path);
    // Opens the SQLite connection; a read-only one that cannot be opened
    // normally is opened as unchanging (a read-only medium).
    void connectSqlite(const QString& path, bool readOnly);
    // Refuses a database that holds something else; true when its tables
    // are missing (an empty server database) or older and must be written.
    bool schemaNeedsWriting();
    void setLockWait(int ms);
    void control(const QString& sql);
    QString savepointName() const;
    static void passWriteGate(const QString& what);
    [[noreturn]] void raise(const QSqlError& error, const QString& sql);
    void execOrThrow(QSqlQuery& query, const QString& sql, const QVariantList& binds);
    void execPrepared(QSqlQuery& query, const QString& sql, const QVariantList& binds);
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
    QString readOnlyReason_;
    int lockWaitMs_ = kLockWaitMs;
    std::map<QString, std::unique_ptr<QSqlQuery>> prepared_;
    std::unique_ptr<Cursors> cursors_;  // results read on demand
};

}  // namespace refhost
