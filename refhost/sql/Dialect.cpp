#include "Dialect.h"

namespace refhost {

QString SqliteDialect::name() const {
    return QStringLiteral("SQLite");
}

QString SqliteDialect::driverName() const {
    return QStringLiteral("QSQLITE");
}

QString SqliteDialect::applyLimit(const QString& select, const QString& count) const {
    return select + QStringLiteral(" LIMIT ") + count;
}

QString SqliteDialect::currentDateTime() const {
    return QStringLiteral("strftime('%Y-%m-%d %H:%M:%f','now','localtime')");
}

QString SqliteDialect::dateTimeToText(const QString& expr, int length) const {
    // Dates are kept as ISO texts; a text that is no date passes unchanged,
    // as a conversion of text to text would.
    return QStringLiteral("substr(coalesce(strftime('%Y-%m-%d %H:%M:%S',") + expr +
           QStringLiteral("),") + expr + QStringLiteral("),1,") + QString::number(length) +
           QLatin1Char(')');
}

QString SqliteDialect::textLength(const QString& expr) const {
    return QStringLiteral("length(rtrim(") + expr + QStringLiteral("))");
}

QString SqliteDialect::concatOperator() const {
    return QStringLiteral("||");
}

// SQLite keeps any length in a VARCHAR: the check holds it to the length a
// server's column would, so a text too long fails alike on both.
QString SqliteDialect::lengthCheck(const QString& column, int size) const {
    return QStringLiteral(" CHECK (length(%1) <= %2)").arg(column).arg(size);
}

QString SqliteDialect::countRows(const QString& select) const {
    // The limit keeps SQLite from folding the query into the count. Kept
    // apart, the query leaves out its outer-joined tables that give no
    // column and at most one row each: they change no count, and reaching
    // them row by row would cost most of it.
    return QStringLiteral("SELECT COUNT(*) FROM (") + select +
           QStringLiteral(" LIMIT -1) AS zx_rows");
}

QString SqliteDialect::withoutIndexes() const {
    return QStringLiteral("NOT INDEXED");
}

QString SqliteDialect::columnType(SqlType type, int size) const {
    switch (type) {
        case SqlType::Integer:
            return QStringLiteral("INTEGER");
        case SqlType::Real:
            return QStringLiteral("REAL");
        case SqlType::Text:
            return size > 0 ? QStringLiteral("VARCHAR(%1)").arg(size) : QStringLiteral("TEXT");
        case SqlType::Name:
            return (size > 0 ? QStringLiteral("VARCHAR(%1)").arg(size) : QStringLiteral("TEXT")) +
                   QStringLiteral(" COLLATE NOCASE");
        case SqlType::DateTime:
            // TEXT affinity keeps "2024-01-01" from being read as a number.
            return QStringLiteral("TEXT");
        case SqlType::AutoKey:
            return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    return QStringLiteral("TEXT");
}

QString SqliteDialect::castType(SqlType type) const {
    switch (type) {
        case SqlType::Integer:
        case SqlType::AutoKey:
            return QStringLiteral("INTEGER");
        case SqlType::Real:
            return QStringLiteral("REAL");
        case SqlType::Text:
        case SqlType::Name:
        case SqlType::DateTime:
            return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

QString SqliteDialect::createIndexIfNotExists(const QString& index, const QString& table,
                                              const QStringList& columns) const {
    return QStringLiteral("CREATE INDEX IF NOT EXISTS ") + index + QStringLiteral(" ON ") + table +
           QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString SqliteDialect::beginTransaction() const {
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqliteDialect::foldIdentifier(const QString& identifier) const {
    return identifier;
}

}  // namespace refhost
