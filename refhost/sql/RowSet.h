#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
    void Move(int rows) override { current_ = std::min(rows_, current_ + std::max(rows, 0)); }
    // The current row's index.
    int position() const { return current_; }
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

// Fills a RowSet row by row, sharing the repeated texts of each column. A
// result read in blocks takes each block's rows with takeRows(); the shared
// texts stay shared from one block to the next.
class RowSetBuilder {
public:
    RowSetBuilder(QStringList columns, QList<int> dateTimeColumns);

    int columns() const { return set_->FieldCount(); }
    int rows() const { return set_->rows_; }

    void add(int column, QVariant value);
    void addUtf8(int column, std::string_view text);
    void endRow() { ++set_->rows_; }
    void reserveRows(qsizetype rows) { set_->cells_.reserve(rows * set_->FieldCount()); }

    // The rows added so far; the builder starts afresh with none.
    std::shared_ptr<RowSet> takeRows();

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view v) const {
            return std::hash<std::string_view>{}(v);
        }
    };

    QString pooled(int column, const QString& text);
    void push(int column, QVariant value);

    std::shared_ptr<RowSet> set_;
    std::vector<bool> isDateTime_;
    std::vector<std::unordered_map<std::string, QString, Hash, std::equal_to<>>> utf8Pools_;
    std::vector<QHash<QString, QString>> textPools_;
};

// The server's clock as a date-time (SQLite hands it out as text).
QVariant serverDateTime(const QVariant& value);

// The result columns of an executed query.
QStringList columnNames(const QSqlQuery& query);
// The rows of an executed query. `dateTimeColumns` hold the server's clock.
zx::host::RecordSetPtr readRows(QSqlQuery& query, const QList<int>& dateTimeColumns);
// Adds the rows of an executed query to `rows`; returns how many.
int readRows(QSqlQuery& query, RowSetBuilder& rows);

// Runs a query straight on an SQLite connection, without a value object per
// cell on the way. Returns nullptr when `db` is not an SQLite connection this
// process can reach (the caller then runs it through Qt SQL). Raises
// zx::host::HostError with the backend's message when the query fails.
zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase& db, const QString& sql,
                                      const QList<int>& dateTimeColumns);

}  // namespace refhost
