#pragma once

#include <QString>
#include <QStringList>

namespace refhost {

// Kinds of column and cast target the host needs; each backend names them.
enum class SqlType {
    Integer,
    Real,
    Text,      // case-sensitive text
    Name,      // text compared without regard to case (keys, codes, names)
    DateTime,  // a point in time; read back as "yyyy-MM-dd HH:mm:ss" text
    AutoKey,   // integer primary key numbered by the database on insert
};

// What differs between backends when the component's T-SQL is rendered and
// when the schema is created. Everything else (joins, ORDER BY, DISTINCT,
// INSERT ... ON CONFLICT for upserts, CREATE TABLE IF NOT EXISTS) is written
// the same for every backend the host supports.
class Dialect {
public:
    virtual ~Dialect() = default;

    virtual QString name() const = 0;        // shown in messages
    virtual QString driverName() const = 0;  // the Qt SQL driver

    // `select` with its rows limited to `count` (TOP n).
    virtual QString applyLimit(const QString& select, const QString& count) const = 0;
    // The server's current local date and time (GetDate()).
    virtual QString currentDateTime() const = 0;
    // `expr` (a date or date-time) as "yyyy-mm-dd hh:mi:ss" text cut to
    // `length` characters; 10 gives "yyyy-mm-dd".
    virtual QString dateTimeToText(const QString& expr, int length) const = 0;
    // Length of a text without its trailing blanks (len()).
    virtual QString textLength(const QString& expr) const = 0;
    // The operator that joins texts.
    virtual QString concatOperator() const = 0;
    // A query of the number of rows of `select`.
    virtual QString countRows(const QString& select) const {
        return QStringLiteral("SELECT COUNT(*) FROM (") + select + QStringLiteral(") AS zx_rows");
    }
    // What follows a table of FROM to keep the backend from reaching it
    // through its indexes; empty when the backend cannot be told.
    virtual QString withoutIndexes() const { return {}; }

    // Column type for the schema; `size` is a maximum length for texts (0: unbounded).
    virtual QString columnType(SqlType type, int size = 0) const = 0;
    // What keeps a text column to its length where the type alone does not.
    virtual QString lengthCheck(const QString& column, int size) const {
        Q_UNUSED(column);
        Q_UNUSED(size);
        return {};
    }
    // Target type of a CAST.
    virtual QString castType(SqlType type) const = 0;
    virtual QString createIndexIfNotExists(const QString& index, const QString& table,
                                           const QStringList& columns) const = 0;
    // Starts a transaction that writes: taking the write lock at once lets a
    // second process wait for it instead of failing half-way.
    virtual QString beginTransaction() const = 0;

    // How the backend folds an unquoted identifier; field names in record
    // sets are compared without regard to case anyway.
    virtual QString foldIdentifier(const QString& identifier) const = 0;

    // Statements run in the schema's transaction before the tables are
    // created, and after them; each must be safe to run on every open.
    virtual QStringList schemaPreamble() const { return {}; }
    virtual QStringList schemaEpilogue() const { return {}; }
    // A quoted identifier ([name] in T-SQL), folded so that it still meets
    // the unquoted names of the schema.
    QString quoteIdentifier(const QString& identifier) const {
        QString folded = foldIdentifier(identifier);
        folded.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + folded + QLatin1Char('"');
    }
};

class SqliteDialect : public Dialect {
public:
    QString name() const override;
    QString driverName() const override;
    QString applyLimit(const QString& select, const QString& count) const override;
    QString currentDateTime() const override;
    QString dateTimeToText(const QString& expr, int length) const override;
    QString textLength(const QString& expr) const override;
    QString concatOperator() const override;
    QString lengthCheck(const QString& column, int size) const override;
    QString countRows(const QString& select) const override;
    QString withoutIndexes() const override;
    QString columnType(SqlType type, int size = 0) const override;
    QString castType(SqlType type) const override;
    QString createIndexIfNotExists(const QString& index, const QString& table,
                                   const QStringList& columns) const override;
    QString beginTransaction() const override;
    QString foldIdentifier(const QString& identifier) const override;
};

// PostgreSQL: unquoted identifiers fold to lower case, texts compared
// without regard to case are citext, and dates are kept as ISO texts as in
// SQLite, so that both backends read and compare them alike.
class PgDialect : public Dialect {
public:
    QString name() const override;
    QString driverName() const override;
    QString applyLimit(const QString& select, const QString& count) const override;
    QString currentDateTime() const override;
    QString dateTimeToText(const QString& expr, int length) const override;
    QString textLength(const QString& expr) const override;
    QString concatOperator() const override;
    QString columnType(SqlType type, int size = 0) const override;
    QString castType(SqlType type) const override;
    QString createIndexIfNotExists(const QString& index, const QString& table,
                                   const QStringList& columns) const override;
    QString beginTransaction() const override;
    QString foldIdentifier(const QString& identifier) const override;
    QStringList schemaPreamble() const override;
    QStringList schemaEpilogue() const override;
};

}  // namespace refhost
