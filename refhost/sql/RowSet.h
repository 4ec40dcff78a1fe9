#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "zx/host/RecordSet.h"

class QSqlQuery;

namespace refhost {

// A query result held compactly: one block of cells, row after row. Texts
// that repeat within a column (a log's keys, descriptions, user and machine
// names) are kept once and shared by every row that holds them, so a long
// result costs about one string per distinct value. Behaves as any record
// set of the host: count, fields by name (case-insensitive) or position, a
// forward walk.
class RowSet : public zx::host::RecordSet {
public:
    explicit RowSet(QStringList columns);

    int RecordCount() const override { return rows_; }
    bool Eof() const override { return current_ >= rows_; }
    void MoveNext() override;
    void MoveFirst() override { current_ = 0; }
    int FieldCount() const override { return int(columns_.size()); }
    QString FieldName(int index) const override;
    QVariant Field(const QString& name) const override;
    QVariant Field(int index) const override;
    bool HasField(const QString& name) const override { return indexOf(name) >= 0; }

private:
    friend class RowSetBuilder;
    int indexOf(const QString& name) const;

    QStringList columns_;
    QList<QVariant> cells_;  // rows_ x columns_.size()
    int rows_ = 0;
    int current_ = 0;
};

// The server's clock as a date-time (SQLite hands it out as text).
QVariant serverDateTime(const QVariant& value);

// The rows of an executed query. `dateTimeColumns` hold the server's clock.
zx::host::RecordSetPtr readRows(QSqlQuery& query, const QList<int>& dateTimeColumns);

// Runs a query straight on an SQLite connection, without a value object per
// cell on the way. Returns nullptr when `db` is not an SQLite connection this
// process can reach (the caller then runs it through Qt SQL). Raises
// zx::host::HostError with the backend's message when the query fails.
zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase& db, const QString& sql,
                                      const QList<int>& dateTimeColumns);

}  // namespace refhost
