#pragma once

// Reading straight from SQLite, without a value object per cell on the way:
// built only where the system's SQLite library is there.

#if ZX_REFHOST_SQLITE_DIRECT

#include <sqlite3.h>

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include "RowSet.h"
#include "zx/host/HostError.h"

namespace refhost {

// The connection behind a Qt SQLite database, or nullptr when this process's
// SQLite library cannot drive it.
sqlite3* sqliteHandle(const QSqlDatabase& db);

// The backend's refusal of `sql`, in the words of the other roads.
zx::host::HostError sqliteError(sqlite3* con, const QString& sql);

// A prepared statement, finalized when it goes (or earlier, by finalize()).
class SqliteStatement {
public:
    // Raises sqliteError when SQLite refuses the text. Errors name `shown`
    // (by default `sql`): the query as its caller knows it.
    SqliteStatement(sqlite3* con, const QString& sql, const QString& shown = QString());
    ~SqliteStatement() { finalize(); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return handle_; }
    // The SQL its errors name.
    const QString& sql() const { return sql_; }
    QStringList columns() const;
    void finalize();

private:
    sqlite3_stmt* handle_ = nullptr;
    QString sql_;
};

// Adds the current row of `st` to `rows`.
void addSqliteRow(sqlite3_stmt* st, RowSetBuilder& rows);

}  // namespace refhost

#endif
