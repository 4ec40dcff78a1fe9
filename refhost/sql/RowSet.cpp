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

#include "zx/host/HostError.h"

#if ZX_REFHOST_SQLITE_DIRECT
#include <sqlite3.h>
#endif

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

// Fills a RowSet row by row, sharing the repeated texts of each column.
class RowSetBuilder {
public:
    RowSetBuilder(QStringList columns, QList<int> dateTimeColumns)
        : set_(std::make_shared<RowSet>(std::move(columns))),
          dateTime_(std::move(dateTimeColumns)),
          utf8Pools_(std::size_t(set_->FieldCount())),
          textPools_(std::size_t(set_->FieldCount())) {
        for (int c : dateTime_) {
            if (c >= 0 && c < set_->FieldCount()) {
                if (isDateTime_.size() <= std::size_t(c)) isDateTime_.resize(std::size_t(c) + 1);
                isDateTime_[std::size_t(c)] = true;
            }
        }
    }

    int columns() const { return set_->FieldCount(); }

    void add(int column, QVariant value) {
        if (value.isNull()) {
            value = QVariant();
        } else if (value.typeId() == QMetaType::QString) {
            value = pooled(column, value.toString());
        }
        push(column, std::move(value));
    }

    void addUtf8(int column, std::string_view text) {
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

    void endRow() { ++set_->rows_; }
    std::shared_ptr<RowSet> finish() { return set_; }
    void reserveRows(qsizetype rows) { set_->cells_.reserve(rows * set_->FieldCount()); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view v) const {
            return std::hash<std::string_view>{}(v);
        }
    };

    QString pooled(int column, const QString& text) {
        auto& pool = textPools_[std::size_t(column)];
        const auto found = pool.constFind(text);
        if (found != pool.constEnd()) return *found;
        if (std::size_t(pool.size()) < kPoolEntries && std::size_t(text.size()) <= kPoolTextBytes) {
            pool.insert(text, text);
        }
        return text;
    }

    void push(int column, QVariant value) {
        if (std::size_t(column) < isDateTime_.size() && isDateTime_[std::size_t(column)]) {
            value = serverDateTime(value);
        }
        set_->cells_.append(std::move(value));
    }

    std::shared_ptr<RowSet> set_;
    QList<int> dateTime_;
    std::vector<bool> isDateTime_;
    std::vector<std::unordered_map<std::string, QString, Hash, std::equal_to<>>> utf8Pools_;
    std::vector<QHash<QString, QString>> textPools_;
};

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

zx::host::RecordSetPtr readRows(QSqlQuery& query, const QList<int>& dateTimeColumns) {
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i) columns.append(record.fieldName(i));
    RowSetBuilder rows(columns, dateTimeColumns);
    while (query.next()) {
        for (int i = 0; i < rows.columns(); ++i) rows.add(i, query.value(i));
        rows.endRow();
    }
    return rows.finish();
}

#if ZX_REFHOST_SQLITE_DIRECT

namespace {

// The connection behind a Qt SQLite database, when this process's SQLite
// library can drive it: Qt's driver must run the very same SQLite build, or
// its connection handle means nothing to ours. Checked once by asking the
// driver's SQLite for its source id.
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

HostError backendError(sqlite3* con, const QString& sql) {
    return HostError(kBackendError, kSource,
                     QStringLiteral("数据库执行 SQL 失败: %1\nSQL: %2")
                         .arg(QString::fromUtf8(sqlite3_errmsg(con)), sql));
}

struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

}  // namespace

zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase& db, const QString& sql,
                                      const QList<int>& dateTimeColumns) {
    sqlite3* con = sqliteHandle(db);
    if (!con) return nullptr;

    const QByteArray text = sql.toUtf8();
    Statement st;
    if (sqlite3_prepare_v2(con, text.constData(), int(text.size()), &st.handle, nullptr) !=
            SQLITE_OK ||
        !st.handle) {
        throw backendError(con, sql);
    }
    const int count = sqlite3_column_count(st.handle);
    QStringList columns;
    for (int i = 0; i < count; ++i)
        columns.append(QString::fromUtf8(sqlite3_column_name(st.handle, i)));

    RowSetBuilder rows(columns, dateTimeColumns);
    int rc;
    while ((rc = sqlite3_step(st.handle)) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_column_type(st.handle, i)) {
                case SQLITE_INTEGER:
                    rows.add(i, QVariant(qlonglong(sqlite3_column_int64(st.handle, i))));
                    break;
                case SQLITE_FLOAT:
                    rows.add(i, QVariant(sqlite3_column_double(st.handle, i)));
                    break;
                case SQLITE_NULL:
                    rows.add(i, QVariant());
                    break;
                case SQLITE_BLOB: {
                    const auto* data = static_cast<const char*>(sqlite3_column_blob(st.handle, i));
                    rows.add(i, QVariant(QByteArray(data, sqlite3_column_bytes(st.handle, i))));
                    break;
                }
                default: {
                    const auto* data =
                        reinterpret_cast<const char*>(sqlite3_column_text(st.handle, i));
                    const int bytes = sqlite3_column_bytes(st.handle, i);
                    rows.addUtf8(i, std::string_view(data ? data : "", std::size_t(bytes)));
                    break;
                }
            }
        }
        rows.endRow();
    }
    if (rc != SQLITE_DONE) throw backendError(con, sql);
    return rows.finish();
}

#else

zx::host::RecordSetPtr readSqliteRows(const QSqlDatabase&, const QString&, const QList<int>&) {
    return nullptr;
}

#endif

}  // namespace refhost
