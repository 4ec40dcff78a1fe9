#include "RowSet.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "DriverErrors.h"
#include "SqliteRows.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;

const QString kSource = QStringLiteral("Database");
const QString kRecordSource = QStringLiteral("RecordSet");
constexpr qint32 kBackendError = -2147467259;  // the backend refused a statement

// Distinct texts kept per column, and the longest text worth keeping: a
// column of unique values (times, ids) stops growing its pool early.
constexpr std::size_t kPoolEntries = 4096;
constexpr std::size_t kPoolTextBytes = 512;

}  // namespace

// ----- RowSetBuilder ------------------------------------------------------

RowSetBuilder::RowSetBuilder(QStringList columns, QList<int> dateTimeColumns)
    : set_(std::make_shared<RowSet>(std::move(columns))),
      utf8Pools_(std::size_t(set_->FieldCount())),
      textPools_(std::size_t(set_->FieldCount())) {
    for (int c : dateTimeColumns) {
        if (c >= 0 && c < set_->FieldCount()) {
            if (isDateTime_.size() <= std::size_t(c)) isDateTime_.resize(std::size_t(c) + 1);
            isDateTime_[std::size_t(c)] = true;
        }
    }
}

void RowSetBuilder::add(int column, QVariant value) {
    if (value.isNull()) {
        value = QVariant();
    } else if (value.typeId() == QMetaType::QString) {
        value = pooled(column, value.toString());
    }
    push(column, std::move(value));
}

void RowSetBuilder::addUtf8(int column, std::string_view text) {
    auto& pool = utf8Pools_[std::size_t(column)];
    const auto found = pool.find(text);
    if (found != pool.end()) {
        push(column, found->second);
        return;
    }
    const QString value = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (pool.size() < kPoolEntries && text.size() <= kPoolTextBytes) {
        pool.emplace(std::string(text), value);
    }
    push(column, value);
}

std::shared_ptr<RowSet> RowSetBuilder::takeRows() {
    auto rows = std::move(set_);
    set_ = std::make_shared<RowSet>(rows->columns_);
    return rows;
}

QString RowSetBuilder::pooled(int column, const QString& text) {
    auto& pool = textPools_[std::size_t(column)];
    const auto found = pool.constFind(text);
    if (found != pool.constEnd()) return *found;
    if (std::size_t(pool.size()) < kPoolEntries && std::size_t(text.size()) <= kPoolTextBytes) {
        pool.insert(text, text);
    }
    return text;
}

void RowSetBuilder::push(int column, QVariant value) {
    if (std::size_t(column) < isDateTime_.size() && isDateTime_[std::size_t(column)]) {
        value = serverDateTime(value);
    }
    set_->cells_.append(std::move(value));
}

// ----- RowSet -------------------------------------------------------------

RowSet::RowSet(QStringList columns) : columns_(std::move(columns)) {}

void RowSet::MoveNext() {
    if (current_ < rows_) ++current_;
}

QString RowSet::FieldName(int index) const {
    if (index < 0 || index >= columns_.size()) {
        throw HostError(3265, kRecordSource, QStringLiteral("字段序号超出范围: %1").arg(index));
    }
    return columns_.at(index);
}

int RowSet::indexOf(const QString& name) const {
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (columns_.at(i).compare(name, Qt::CaseInsensitive) == 0) return int(i);
    }
    return -1;
}

QVariant RowSet::Field(const QString& name) const {
    const int index = indexOf(name);
    if (index < 0) {
        throw HostError(3265, kRecordSource, QStringLiteral("记录集中没有字段: %1").arg(name));
    }
    return Field(index);
}

QVariant RowSet::Field(int index) const {
    if (Eof()) {
        throw HostError(3021, kRecordSource, QStringLiteral("记录集已到末尾, 没有当前记录"));
    }
    if (index < 0 || index >= columns_.size()) {
        throw HostError(3265, kRecordSource, QStringLiteral("字段序号超出范围: %1").arg(index));
    }
    return cells_.at(qsizetype(current_) * columns_.size() + index);
}

// ----- Reading ------------------------------------------------------------

QVariant serverDateTime(const QVariant& value) {
    if (value.isNull() || value.metaType().id() == QMetaType::QDateTime) return value;
    const QString text = value.toString();
    for (const char* format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime parsed = QDateTime::fromString(text, QLatin1String(format));
        if (parsed.isValid()) return parsed;
    }
    return value;
}

QStringList columnNames(const QSqlQuery& query) {
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i) columns.append(record.fieldName(i));
    return columns;
}

int readRows(QSqlQuery& query, RowSetBuilder& rows) {
    int read = 0;
    while (query.next()) {
        for (int i = 0; i < rows.columns(); ++i) rows.add(i, query.value(i));
        rows.endRow();
        ++read;
    }
    return read;
}

zx::host::RecordSetPtr readRows(QSqlQuery& query, const QList<int>& dateTimeColumns) {
    RowSetBuilder rows(columnNames(query), dateTimeColumns);
    readRows(query, rows);
    return rows.takeRows();
}

#if ZX_REFHOST_SQLITE_DIRECT

// Qt's driver must run the very same SQLite build, or its connection handle
// means nothing to ours. Checked once by asking the driver's SQLite for its
// source id.
sqlite3* sqliteHandle(const QSqlDatabase& db) {
    if (!db.isOpen() || db.driverName() != QLatin1String("QSQLITE")) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    static std::optional<bool> sameLibrary;
    if (!sameLibrary) {
        QSqlQuery q(db);
        sameLibrary = q.exec(QStringLiteral("SELECT sqlite_source_id()")) && q.next() &&
                      q.value(0).toString() == QString::fromUtf8(sqlite3_sourceid());
    }
    if (!*sameLibrary) return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

HostError sqliteError(sqlite3* con, const QString& sql) {
    return statementError(kBackendError, kSource, QString::number(sqlite3_extended_errcode(con)),
                          QString::fromUtf8(sqlite3_errmsg(con)), sql, false,
                          sqlite3_get_autocommit(con) == 0);
}

SqliteStatement::SqliteStatement(sqlite3* con, const QString& sql, const QString& shown)
    : sql_(shown.isEmpty() ? sql : shown) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(con, text.constData(), int(text.size()), &handle_, nullptr) !=
            SQLITE_OK ||
        !handle_) {
        const HostError error = sqliteError(con, sql_);
        finalize();
        throw error;
    }
}

QStringList SqliteStatement::columns() const {
    QStringList out;
    for (int i = 0; i < sqlite3_column_count(handle_); ++i)
        out.append(QString::fromUtf8(sqlite3_column_name(handle_, i)));
    return out;
}

void SqliteStatement::finalize() {
    sqlite3_finalize(handle_);
    handle_ = nullptr;
}

void addSqliteRow(sqlite3_stmt* st, RowSetBuilder& rows) {
    for (int i = 0; i < rows.columns(); ++i) {
        switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER:
                rows.add(i, QVariant(qlonglong(sqlite3_column_int64(st, i))));
                break;
            case SQLITE_FLOAT:
                rows.add(i, QVariant(sqlite3_column_double(st, i)));
                break;
            case SQLITE_NULL:
                rows.add(i, QVariant());
                break;
            case SQLITE_BLOB: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(st, i));
                rows.add(i, QVariant(QByteArray(data, sqlite3_column_bytes(st, i))));
                break;
            }
            default: {
                const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                const int bytes = sqlite3_column_bytes(st, i);
                rows.addUtf8(i, std::string_view(data ? data : "", std::size_t(bytes)));
                break;
            }
        }
    }
    rows.endRow();
}

zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase& db, const QString& sql,
                                      const QList<int>& dateTimeColumns) {
    sqlite3* con = sqliteHandle(db);
    if (!con) return nullptr;
    SqliteStatement st(con, sql);
    RowSetBuilder rows(st.columns(), dateTimeColumns);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) addSqliteRow(st.get(), rows);
    if (rc != SQLITE_DONE) throw sqliteError(con, sql);
    return rows.takeRows();
}

#else

zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase&, const QString&, const QList<int>&) {
    return nullptr;
}

#endif

}  // namespace refhost
