#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace refhost {

class Dialect;

// Error number of T-SQL that the host refuses: outside the subset it
// understands, or malformed.
inline constexpr qint32 kUnsupportedSql = -2147217900;

// One statement of the component's T-SQL, ready for the backend.
struct TranslatedStatement {
    enum class Kind { Query, Statement, Procedure };

    Kind kind = Kind::Statement;
    QString sql;                 // Query, Statement: the backend's SQL
    QString procedure;           // Procedure: the name as written, without owner
    QStringList arguments;       // Procedure: the argument values (a null text for NULL)
    QList<int> dateTimeColumns;  // Query: result columns that hold GetDate()
    // Query without TOP: a query of the number of its rows (empty otherwise).
    QString countSql;
    // Query ordered first by a column of one of its tables, on a backend that
    // can be told to reach that table without its indexes: the query so
    // told. The same rows in the order its ORDER BY asks for; only the way
    // to them may differ.
    QString keyOrderSql;
    QString tsql;  // the statement as the component wrote it
};

// Translates the T-SQL subset the component sends: SELECT (TOP, DISTINCT,
// joins, UNION, ORDER BY, subqueries), INSERT, UPDATE, DELETE and
// "Exec proc 'a','b'", with the functions GetDate, isnull, len, convert,
// cast, substring and the common aggregates. Anything else raises
// zx::host::HostError(kUnsupportedSql) naming what was refused, before any
// statement of the batch runs.
class TsqlTranslator {
public:
    explicit TsqlTranslator(const Dialect& dialect) : dialect_(dialect) {}

    // Statements separated by ';' or by a line break before a word that
    // starts a statement (Insert, Update, Delete, Select, Exec), outside
    // literals and parentheses. Empty input gives no statements.
    QList<TranslatedStatement> translateBatch(const QString& tsql) const;
    // Exactly one statement; raises for none or several.
    TranslatedStatement translate(const QString& tsql) const;

private:
    const Dialect& dialect_;
};

}  // namespace refhost
