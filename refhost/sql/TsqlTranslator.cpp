#include "TsqlTranslator.h"

#include <QSet>
#include <QVector>

#include "Dialect.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

const QString kSource = QStringLiteral("TsqlTranslator");

[[noreturn]] void refuse(const QString& what) {
    throw zx::host::HostError(kUnsupportedSql, kSource,
                              QStringLiteral("不支持的 SQL 语法: %1").arg(what));
}

[[noreturn]] void malformed(const QString& what) {
    throw zx::host::HostError(kUnsupportedSql, kSource,
                              QStringLiteral("SQL 语句有误: %1").arg(what));
}

struct Token {
    enum Kind { Word, Quoted, String, Number, Symbol };

    Kind kind = Symbol;
    QString text;          // String: the value; Quoted: the name; else as written
    bool space = false;    // blanks or a comment before it
    bool newline = false;  // a line break before it
    int begin = 0;         // offsets in the source
    int end = 0;

    bool is(QLatin1String word) const {
        return kind == Word && text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(QLatin1String symbol) const { return kind == Symbol && text == symbol; }
};

using Tokens = QList<Token>;

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') ||
           c == QLatin1Char('#') || c == QLatin1Char('$');
}

// Reads a literal or identifier closed by `close`, where a doubled `close`
// stands for itself. `i` is just after the opening character.
QString readDelimited(const QString& s, int& i, QChar close, const QString& what) {
    QString value;
    for (;;) {
        if (i >= s.size()) malformed(what);
        if (s[i] == close) {
            if (i + 1 < s.size() && s[i + 1] == close) {
                value += close;
                i += 2;
                continue;
            }
            ++i;
            return value;
        }
        value += s[i++];
    }
}

// Skips the blanks and comments from `i`: `space` when there were any,
// `newline` when they held a line break.
void skipBlanks(const QString& s, int& i, bool& space, bool& newline) {
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            space = true;
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) newline = true;
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            while (i < n && s[i] != QLatin1Char('\n') && s[i] != QLatin1Char('\r')) ++i;
            space = true;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const int close = int(s.indexOf(QLatin1String("*/"), i + 2));
            if (close < 0) malformed(QStringLiteral("注释没有结束的 */"));
            const QStringView body = QStringView(s).mid(i, close - i);
            if (body.contains(QLatin1Char('\n')) || body.contains(QLatin1Char('\r'))) {
                newline = true;
            }
            i = close + 2;
            space = true;
        } else {
            return;
        }
    }
}

bool startsNumber(const QString& s, int i) {
    return s[i].isDigit() || (s[i] == QLatin1Char('.') && i + 1 < s.size() && s[i + 1].isDigit());
}

// Digits, a decimal part and an exponent; returns where the number ends.
int numberEnd(const QString& s, int i) {
    const int n = int(s.size());
    while (i < n && s[i].isDigit()) ++i;
    if (i < n && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && s[i].isDigit()) ++i;
    }
    if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
        int k = i + 1;
        if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-'))) ++k;
        if (k < n && s[k].isDigit()) {
            i = k;
            while (i < n && s[i].isDigit()) ++i;
        }
    }
    return i;
}

// An operator or punctuation of one or two characters.
QString readSymbol(const QString& s, int& i) {
    static const QStringList pairs = {
        QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral(">="), QStringLiteral("<="),
        QStringLiteral("!<"), QStringLiteral("!>"), QStringLiteral("||"), QStringLiteral("::")};
    const QString two = s.mid(i, 2);
    if (pairs.contains(two)) {
        i += 2;
        return two;
    }
    const QChar c = s[i];
    if (!QStringLiteral("(),.;=<>+-*/%&|^~").contains(c)) {
        malformed(QStringLiteral("无法识别的字符 '%1'").arg(c));
    }
    ++i;
    return c;
}

// The token that starts at `i`, which is not a blank; `i` ends after it.
void readToken(const QString& s, int& i, Token& t) {
    const int n = int(s.size());
    const QChar c = s[i];
    const bool national = (c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < n &&
                          s[i + 1] == QLatin1Char('\'');
    if (c == QLatin1Char('\'') || national) {
        i += national ? 2 : 1;
        t.kind = Token::String;
        t.text =
            readDelimited(s, i, QLatin1Char('\''), QStringLiteral("字符串常量缺少结束的单引号"));
    } else if (c == QLatin1Char('[')) {
        ++i;
        t.kind = Token::Quoted;
        t.text = readDelimited(s, i, QLatin1Char(']'), QStringLiteral("标识符缺少结束的 ]"));
    } else if (c == QLatin1Char('"')) {
        ++i;
        t.kind = Token::Quoted;
        t.text = readDelimited(s, i, QLatin1Char('"'), QStringLiteral("标识符缺少结束的双引号"));
    } else if (startsNumber(s, i)) {
        const int b = i;
        i = numberEnd(s, i);
        t.kind = Token::Number;
        t.text = s.mid(b, i - b);
    } else if (isWordStart(c)) {
        const int b = i++;
        while (i < n && isWordChar(s[i])) ++i;
        t.kind = Token::Word;
        t.text = s.mid(b, i - b);
    } else {
        t.kind = Token::Symbol;
        t.text = readSymbol(s, i);
    }
}

Tokens tokenize(const QString& s) {
    Tokens out;
    int i = 0;
    for (;;) {
        bool space = false;
        bool newline = false;
        skipBlanks(s, i, space, newline);
        if (i >= s.size()) return out;
        Token t;
        t.space = space;
        t.newline = newline;
        t.begin = i;
        readToken(s, i, t);
        t.end = i;
        out.append(t);
    }
}

bool isOneOf(const Token& t, std::initializer_list<const char*> words) {
    if (t.kind != Token::Word) return false;
    for (const char* w : words) {
        if (t.is(QLatin1String(w))) return true;
    }
    return false;
}

bool startsStatement(const Token& t) {
    return isOneOf(t, {"insert", "update", "delete", "select", "exec", "execute"});
}

// Words that may stand before '(' without being a function, and that end an
// operand run when looking for text concatenation.
const QSet<QString>& keywords() {
    static const QSet<QString> set = {
        QStringLiteral("SELECT"), QStringLiteral("FROM"),      QStringLiteral("WHERE"),
        QStringLiteral("AND"),    QStringLiteral("OR"),        QStringLiteral("NOT"),
        QStringLiteral("AS"),     QStringLiteral("ON"),        QStringLiteral("JOIN"),
        QStringLiteral("LEFT"),   QStringLiteral("RIGHT"),     QStringLiteral("INNER"),
        QStringLiteral("OUTER"),  QStringLiteral("FULL"),      QStringLiteral("CROSS"),
        QStringLiteral("GROUP"),  QStringLiteral("ORDER"),     QStringLiteral("BY"),
        QStringLiteral("HAVING"), QStringLiteral("UNION"),     QStringLiteral("ALL"),
        QStringLiteral("ANY"),    QStringLiteral("SOME"),      QStringLiteral("DISTINCT"),
        QStringLiteral("TOP"),    QStringLiteral("INSERT"),    QStringLiteral("INTO"),
        QStringLiteral("VALUES"), QStringLiteral("UPDATE"),    QStringLiteral("SET"),
        QStringLiteral("DELETE"), QStringLiteral("IN"),        QStringLiteral("IS"),
        QStringLiteral("NULL"),   QStringLiteral("LIKE"),      QStringLiteral("BETWEEN"),
        QStringLiteral("EXISTS"), QStringLiteral("CASE"),      QStringLiteral("WHEN"),
        QStringLiteral("THEN"),   QStringLiteral("ELSE"),      QStringLiteral("END"),
        QStringLiteral("ASC"),    QStringLiteral("DESC"),      QStringLiteral("ESCAPE"),
        QStringLiteral("EXCEPT"), QStringLiteral("INTERSECT"), QStringLiteral("OVER"),
    };
    return set;
}

bool isKeyword(const Token& t) {
    return t.kind == Token::Word && keywords().contains(t.text.toUpper());
}

// T-SQL that has no place in what the component sends: procedural code,
// transaction control, DDL, locking hints and server-specific clauses.
const QSet<QString>& refusedWords() {
    static const QSet<QString> set = {
        QStringLiteral("DECLARE"),     QStringLiteral("IF"),
        QStringLiteral("BEGIN"),       QStringLiteral("GO"),
        QStringLiteral("CREATE"),      QStringLiteral("DROP"),
        QStringLiteral("ALTER"),       QStringLiteral("TRUNCATE"),
        QStringLiteral("GRANT"),       QStringLiteral("REVOKE"),
        QStringLiteral("DENY"),        QStringLiteral("USE"),
        QStringLiteral("PRINT"),       QStringLiteral("WHILE"),
        QStringLiteral("RETURN"),      QStringLiteral("MERGE"),
        QStringLiteral("NOLOCK"),      QStringLiteral("HOLDLOCK"),
        QStringLiteral("UPDLOCK"),     QStringLiteral("ROWLOCK"),
        QStringLiteral("TABLOCK"),     QStringLiteral("TABLOCKX"),
        QStringLiteral("READPAST"),    QStringLiteral("READUNCOMMITTED"),
        QStringLiteral("OUTPUT"),      QStringLiteral("PIVOT"),
        QStringLiteral("UNPIVOT"),     QStringLiteral("APPLY"),
        QStringLiteral("OPENQUERY"),   QStringLiteral("OPENROWSET"),
        QStringLiteral("OPENXML"),     QStringLiteral("RAISERROR"),
        QStringLiteral("THROW"),       QStringLiteral("TRY"),
        QStringLiteral("CATCH"),       QStringLiteral("WAITFOR"),
        QStringLiteral("GOTO"),        QStringLiteral("BREAK"),
        QStringLiteral("CONTINUE"),    QStringLiteral("CURSOR"),
        QStringLiteral("FETCH"),       QStringLiteral("DEALLOCATE"),
        QStringLiteral("TRAN"),        QStringLiteral("TRANSACTION"),
        QStringLiteral("COMMIT"),      QStringLiteral("ROLLBACK"),
        QStringLiteral("SAVE"),        QStringLiteral("BACKUP"),
        QStringLiteral("RESTORE"),     QStringLiteral("DBCC"),
        QStringLiteral("KILL"),        QStringLiteral("SHUTDOWN"),
        QStringLiteral("RECONFIGURE"), QStringLiteral("BULK"),
        QStringLiteral("FOR"),         QStringLiteral("COMPUTE"),
        QStringLiteral("OPTION"),      QStringLiteral("COLLATE"),
    };
    return set;
}

// Maps a T-SQL type name of convert() or cast() to the host's kinds.
SqlType sqlTypeOf(const Token& t) {
    if (t.kind == Token::Word) {
        const QString name = t.text.toLower();
        static const QSet<QString> integers = {
            QStringLiteral("int"),     QStringLiteral("integer"), QStringLiteral("smallint"),
            QStringLiteral("tinyint"), QStringLiteral("bigint"),  QStringLiteral("bit")};
        static const QSet<QString> reals = {
            QStringLiteral("decimal"), QStringLiteral("numeric"), QStringLiteral("float"),
            QStringLiteral("real"),    QStringLiteral("money"),   QStringLiteral("smallmoney")};
        static const QSet<QString> texts = {QStringLiteral("varchar"), QStringLiteral("nvarchar"),
                                            QStringLiteral("char"),    QStringLiteral("nchar"),
                                            QStringLiteral("text"),    QStringLiteral("ntext")};
        static const QSet<QString> dates = {QStringLiteral("datetime"),
                                            QStringLiteral("smalldatetime"), QStringLiteral("date"),
                                            QStringLiteral("datetime2")};
        if (integers.contains(name)) return SqlType::Integer;
        if (reals.contains(name)) return SqlType::Real;
        if (texts.contains(name)) return SqlType::Text;
        if (dates.contains(name)) return SqlType::DateTime;
    }
    refuse(QStringLiteral("数据类型 %1").arg(t.text));
}

struct Range {
    int begin;
    int end;
};

// Translates one statement's tokens.
class StatementTranslator {
public:
    StatementTranslator(const Dialect& dialect, Tokens tokens)
        : d_(dialect), t_(std::move(tokens)) {}

    TranslatedStatement run() {
        matchParentheses();
        TranslatedStatement out;
        const Token& first = t_.first();
        if (first.is(QLatin1String("exec")) || first.is(QLatin1String("execute"))) {
            out.kind = TranslatedStatement::Kind::Procedure;
            parseExec(out);
            return out;
        }
        if (first.is(QLatin1String("select"))) {
            out.kind = TranslatedStatement::Kind::Query;
        } else if (isOneOf(first, {"insert", "update", "delete"})) {
            out.kind = TranslatedStatement::Kind::Statement;
        } else if (first.kind == Token::Word &&
                   (refusedWords().contains(first.text.toUpper()) ||
                    first.is(QLatin1String("with")) || first.is(QLatin1String("set")))) {
            refuse(first.text.toUpper());
        } else {
            malformed(QStringLiteral("无法识别的语句开头 \"%1\"").arg(first.text));
        }
        validate(out.kind == TranslatedStatement::Kind::Query);
        markConcatenations(0, int(t_.size()));
        if (out.kind == TranslatedStatement::Kind::Query) {
            out.sql = translateSelect(0, int(t_.size()), &out.dateTimeColumns);
            readingForms(out);
        } else {
            out.sql = translateDml();
        }
        return out;
    }

private:
    void matchParentheses() {
        match_.fill(-1, t_.size());
        QList<int> open;
        for (int i = 0; i < t_.size(); ++i) {
            if (t_[i].isSymbol(QLatin1String("("))) {
                open.append(i);
            } else if (t_[i].isSymbol(QLatin1String(")"))) {
                if (open.isEmpty()) malformed(QStringLiteral("多余的右括号"));
                match_[open.last()] = i;
                match_[i] = open.takeLast();
            }
        }
        if (!open.isEmpty()) malformed(QStringLiteral("缺少右括号"));
    }

    void validate(bool isQuery) const {
        int openCases = 0;
        for (int i = 0; i < t_.size(); ++i) {
            const Token& k = t_[i];
            if (k.kind == Token::Symbol) {
                if (k.text == QLatin1String("!<") || k.text == QLatin1String("!>") ||
                    k.text == QLatin1String("::") || k.text == QLatin1String("^")) {
                    refuse(QStringLiteral("运算符 %1").arg(k.text));
                }
                continue;
            }
            if (k.kind != Token::Word) continue;
            const QString up = k.text.toUpper();
            if (up.startsWith(QLatin1Char('@'))) refuse(QStringLiteral("变量 %1").arg(k.text));
            if (up.startsWith(QLatin1Char('#'))) refuse(QStringLiteral("临时表 %1").arg(k.text));
            if (up == QLatin1String("CASE")) {
                ++openCases;
            } else if (up == QLatin1String("END")) {
                if (openCases == 0) refuse(QStringLiteral("END"));
                --openCases;
            } else if (up == QLatin1String("ELSE")) {
                if (openCases == 0) refuse(QStringLiteral("ELSE"));
            } else if (up == QLatin1String("WITH")) {
                if (i + 2 < t_.size() && t_[i + 1].isSymbol(QLatin1String("("))) {
                    refuse(QStringLiteral("WITH (%1)").arg(t_[i + 2].text.toUpper()));
                }
                refuse(QStringLiteral("WITH"));
            } else if (refusedWords().contains(up)) {
                refuse(up);
            } else if (up == QLatin1String("INTO") && isQuery) {
                refuse(QStringLiteral("SELECT INTO"));
            } else if (up == QLatin1String("PERCENT")) {
                refuse(QStringLiteral("TOP ... PERCENT"));
            } else if (up == QLatin1String("TOP")) {
                const bool afterSelect =
                    i > 0 && (t_[i - 1].is(QLatin1String("select")) ||
                              (i > 1 && isOneOf(t_[i - 1], {"distinct", "all"}) &&
                               t_[i - 2].is(QLatin1String("select"))));
                if (!afterSelect) refuse(QStringLiteral("%1 中的 TOP").arg(t_[0].text.toUpper()));
            }
        }
    }

    // Marks each '+' of an operand run that holds a text literal: T-SQL
    // joins texts with '+', the backends with their own operator.
    void markConcatenations(int b, int e) {
        QList<int> pluses;
        bool text = false;
        auto flush = [&] {
            if (text) {
                for (int k : pluses) concat_.insert(k);
            }
            pluses.clear();
            text = false;
        };
        for (int i = b; i < e; ++i) {
            const Token& k = t_[i];
            if (k.isSymbol(QLatin1String("("))) {
                markConcatenations(i + 1, match_[i]);
                i = match_[i];
                continue;
            }
            if (k.isSymbol(QLatin1String("+"))) {
                pluses.append(i);
                if ((i > b && t_[i - 1].kind == Token::String) ||
                    (i + 1 < e && t_[i + 1].kind == Token::String)) {
                    text = true;
                }
                continue;
            }
            const bool arithmetic =
                k.kind == Token::Symbol && QStringLiteral("-*/%.").contains(k.text);
            if ((k.kind == Token::Symbol && !arithmetic) || isKeyword(k)) flush();
        }
        flush();
    }

    // Where a top-level SELECT's clauses lie.
    struct Shape {
        bool compound = false;   // UNION, EXCEPT or INTERSECT
        bool top = false;        // TOP in the first SELECT
        bool distinct = false;   // DISTINCT in the first SELECT
        bool grouped = false;    // GROUP BY or HAVING
        bool aggregate = false;  // an aggregate in the select list
        int from = -1;           // the first SELECT's FROM
        int order = -1;          // the closing ORDER
    };

    Shape shape() const {
        Shape s;
        const int n = int(t_.size());
        int list = 1;
        if (list < n && isOneOf(t_[list], {"distinct", "all"})) {
            s.distinct = t_[list].is(QLatin1String("distinct"));
            ++list;
        }
        s.top = list < n && t_[list].is(QLatin1String("top"));
        for (int i = 0; i < n; ++i) {
            const Token& k = t_[i];
            if (k.isSymbol(QLatin1String("("))) {
                i = match_[i];
            } else if (isOneOf(k, {"union", "except", "intersect"})) {
                s.compound = true;
            } else if (k.is(QLatin1String("from")) && s.from < 0 && !s.compound) {
                s.from = i;
            } else if (isOneOf(k, {"group", "having"})) {
                s.grouped = true;
            } else if (k.is(QLatin1String("order")) && i + 1 < n &&
                       t_[i + 1].is(QLatin1String("by"))) {
                s.order = i;
            } else if (s.from < 0 && !s.compound &&
                       isOneOf(k, {"count", "sum", "min", "max", "avg"}) && i + 1 < n &&
                       t_[i + 1].isSymbol(QLatin1String("("))) {
                s.aggregate = true;
            }
        }
        return s;
    }

    // The forms in which the host reads a long result on demand: the count
    // of its rows, and the query with the table of its leading order walked
    // in that order.
    void readingForms(TranslatedStatement& out) const {
        const Shape s = shape();
        if (s.top) return;  // a result cut to its first rows is read whole
        const int n = int(t_.size());
        const int end = s.order >= 0 ? s.order : n;
        // Without DISTINCT, grouping or aggregates a query has as many rows
        // as its FROM and WHERE give, whatever it selects.
        const bool plain = !s.compound && !s.distinct && !s.grouped && !s.aggregate && s.from > 0;
        out.countSql = d_.countRows(plain ? QStringLiteral("SELECT 1 ") + render(s.from, end)
                                          : translateSelect(0, end, nullptr));

        const QString hint = d_.withoutIndexes();
        if (hint.isEmpty() || s.compound || s.from < 0 || s.order < 0) return;
        const int table = orderedTable(s);
        if (table < 0) return;
        StatementTranslator told = *this;
        told.hintAfter_ = table;
        told.hint_ = hint;
        out.keyOrderSql = told.translateSelect(0, n, nullptr);
    }

    // A table's or alias's name.
    bool isName(int i, int e) const {
        return i < e && ((t_[i].kind == Token::Word && !isKeyword(t_[i]) &&
                          !refusedWords().contains(t_[i].text.toUpper())) ||
                         t_[i].kind == Token::Quoted);
    }

    // The last token of the FROM item whose column leads the ORDER BY, or -1
    // when that is no table of FROM (a derived table, a select-list alias
    // of a query on several tables, an expression).
    int orderedTable(const Shape& s) const {
        const int n = int(t_.size());
        int i = s.order + 2;
        QString qualifier;
        if (!isName(i, n)) return -1;
        if (i + 2 < n && t_[i + 1].isSymbol(QLatin1String("."))) {
            if (!isName(i + 2, n)) return -1;
            qualifier = t_[i].text;
            i += 2;
        }
        if (i + 1 < n && !t_[i + 1].isSymbol(QLatin1String(",")) &&
            !isOneOf(t_[i + 1], {"asc", "desc"})) {
            return -1;
        }

        int end = s.order;
        for (int k = s.from + 1; k < s.order; ++k) {
            if (t_[k].isSymbol(QLatin1String("("))) {
                k = match_[k];
            } else if (isOneOf(t_[k], {"where", "group", "having"})) {
                end = k;
                break;
            }
        }
        struct Item {
            QString name;  // empty for a derived table
            QString alias;
            int last = -1;  // -1 for a derived table
        };
        QList<Item> items;
        for (int k = s.from + 1; k < end;) {
            Item item;
            if (t_[k].isSymbol(QLatin1String("("))) {
                k = match_[k] + 1;
            } else if (isName(k, end)) {  // [owner.]table
                item.name = t_[k].text;
                item.last = k++;
                while (k + 1 < end && t_[k].isSymbol(QLatin1String(".")) && isName(k + 1, end)) {
                    item.name = t_[k + 1].text;
                    item.last = k + 1;
                    k += 2;
                }
            } else {
                return -1;
            }
            if (k < end && t_[k].is(QLatin1String("as"))) ++k;
            if (isName(k, end)) {
                item.alias = t_[k].text;
                if (item.last >= 0) item.last = k;
                ++k;
            }
            items.append(item);
            // On to the next item: after JOIN or a comma.
            while (k < end && !t_[k].is(QLatin1String("join")) &&
                   !t_[k].isSymbol(QLatin1String(","))) {
                if (t_[k].isSymbol(QLatin1String("("))) k = match_[k];
                ++k;
            }
            ++k;
        }
        for (const Item& item : items) {
            const QString& name = item.alias.isEmpty() ? item.name : item.alias;
            const bool named = qualifier.isEmpty()
                                   ? items.size() == 1
                                   : name.compare(qualifier, Qt::CaseInsensitive) == 0;
            if (named) return item.last;
        }
        return -1;
    }

    QString translateDml() const {
        const Token& first = t_.first();
        QString head = first.text;
        const bool hasSecond = t_.size() > 1;
        if (first.is(QLatin1String("delete")) && !(hasSecond && t_[1].is(QLatin1String("from")))) {
            head += QStringLiteral(" FROM");  // T-SQL lets FROM out
        }
        if (first.is(QLatin1String("insert")) && !(hasSecond && t_[1].is(QLatin1String("into")))) {
            head += QStringLiteral(" INTO");
        }
        const QString rest = render(1, int(t_.size()));
        return rest.isEmpty() ? head : head + QLatin1Char(' ') + rest;
    }

    // A SELECT from `b` to the end of its scope, with its UNION branches.
    QString translateSelect(int b, int e, QList<int>* dateTimeColumns) const {
        QList<Range> branches;
        QStringList operators;
        int start = b;
        for (int i = b; i < e; ++i) {
            if (t_[i].isSymbol(QLatin1String("("))) {
                i = match_[i];
                continue;
            }
            if (isOneOf(t_[i], {"union", "except", "intersect"})) {
                branches.append({start, i});
                QString op = t_[i].text;
                if (i + 1 < e && t_[i + 1].is(QLatin1String("all")))
                    op += QLatin1Char(' ') + t_[++i].text;
                operators.append(op);
                start = i + 1;
            }
        }
        branches.append({start, e});
        for (const Range& r : branches) {
            if (r.begin >= r.end || !t_[r.begin].is(QLatin1String("select"))) {
                malformed(QStringLiteral("UNION 的每一部分都应以 SELECT 开头"));
            }
        }

        // In a union, a closing ORDER BY sorts the whole result.
        const bool compound = branches.size() > 1;
        QString orderBy;
        if (compound) {
            Range& last = branches.last();
            for (int i = last.begin; i < last.end; ++i) {
                if (t_[i].isSymbol(QLatin1String("("))) {
                    i = match_[i];
                } else if (t_[i].is(QLatin1String("order")) && i + 1 < last.end &&
                           t_[i + 1].is(QLatin1String("by"))) {
                    orderBy = render(i, last.end);
                    last.end = i;
                    break;
                }
            }
        }

        QString out;
        for (int n = 0; n < branches.size(); ++n) {
            const Range& r = branches[n];
            QString head = t_[r.begin].text;
            int next = r.begin + 1;
            if (next < r.end && isOneOf(t_[next], {"distinct", "all"})) {
                head += QLatin1Char(' ') + t_[next].text;
                ++next;
            }
            QString limit;
            if (next < r.end && t_[next].is(QLatin1String("top"))) {
                next = readTop(next, r.end, limit);
            }
            if (dateTimeColumns && n == 0) findDateTimeColumns(next, r.end, *dateTimeColumns);
            const QString rest = render(next, r.end);
            QString body = rest.isEmpty() ? head : head + QLatin1Char(' ') + rest;
            if (!limit.isEmpty()) {
                // SQLite allows no LIMIT inside a union branch: the branch
                // becomes a subquery of its own.
                body = compound ? QStringLiteral("SELECT * FROM (") + d_.applyLimit(body, limit) +
                                      QStringLiteral(") AS zx_branch") + QString::number(n + 1)
                                : d_.applyLimit(body, limit);
            }
            if (n > 0) out += QLatin1Char(' ') + operators[n - 1] + QLatin1Char(' ');
            out += body;
        }
        if (!orderBy.isEmpty()) out += QLatin1Char(' ') + orderBy;
        return out;
    }

    // TOP n or TOP (n) at `i`; returns the index after it.
    int readTop(int i, int e, QString& limit) const {
        int k = i + 1;
        const bool parenthesized = k < e && t_[k].isSymbol(QLatin1String("("));
        if (parenthesized) ++k;
        if (k >= e || t_[k].kind != Token::Number || t_[k].text.contains(QLatin1Char('.')) ||
            t_[k].text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
            malformed(QStringLiteral("TOP 后应为整数"));
        }
        limit = t_[k].text;
        ++k;
        if (parenthesized) {
            if (k >= e || !t_[k].isSymbol(QLatin1String(")")))
                malformed(QStringLiteral("TOP (n) 缺少右括号"));
            ++k;
        }
        return k;
    }

    // Columns of the select list that are GetDate(): their values come back
    // as date-times, as the server's clock would.
    void findDateTimeColumns(int b, int e, QList<int>& columns) const {
        int column = 0;
        int itemStart = b;
        auto inspect = [&](int from, int to) {
            if (to - from >= 3 && t_[from].is(QLatin1String("getdate")) &&
                t_[from + 1].isSymbol(QLatin1String("(")) &&
                t_[from + 2].isSymbol(QLatin1String(")"))) {
                const int tail = to - (from + 3);
                const bool aliasOnly =
                    tail == 0 || tail == 1 || (tail == 2 && t_[from + 3].is(QLatin1String("as")));
                if (aliasOnly) columns.append(column);
            }
        };
        for (int i = b; i < e; ++i) {
            if (t_[i].isSymbol(QLatin1String("("))) {
                i = match_[i];
            } else if (t_[i].isSymbol(QLatin1String(","))) {
                inspect(itemStart, i);
                ++column;
                itemStart = i + 1;
            } else if (t_[i].is(QLatin1String("from"))) {
                e = i;
                break;
            }
        }
        inspect(itemStart, e);
    }

    bool isFunctionCall(int i, int e) const {
        const Token& k = t_[i];
        if (k.kind != Token::Word || i + 1 >= e || !t_[i + 1].isSymbol(QLatin1String("("))) {
            return false;
        }
        if (isKeyword(k) && !isOneOf(k, {"left", "right"})) return false;
        // The table of INSERT INTO t(...) is no function.
        if (i > 0 && isOneOf(t_[i - 1], {"into", "insert"})) return false;
        return true;
    }

    QList<Range> arguments(int b, int e) const {
        QList<Range> args;
        if (b >= e) return args;
        int start = b;
        for (int i = b; i < e; ++i) {
            if (t_[i].isSymbol(QLatin1String("("))) {
                i = match_[i];
            } else if (t_[i].isSymbol(QLatin1String(","))) {
                args.append({start, i});
                start = i + 1;
            }
        }
        args.append({start, e});
        for (const Range& a : args) {
            if (a.begin >= a.end) malformed(QStringLiteral("函数参数为空"));
        }
        return args;
    }

    QString function(int i, int close) const {
        const QString name = t_[i].text.toLower();
        const QList<Range> args = arguments(i + 2, close);
        auto expectArgs = [&](int count) {
            if (args.size() != count) {
                malformed(QStringLiteral("函数 %1() 需要 %2 个参数").arg(t_[i].text).arg(count));
            }
        };
        auto arg = [&](int n) { return render(args[n].begin, args[n].end); };

        if (name == QLatin1String("getdate")) {
            expectArgs(0);
            return d_.currentDateTime();
        }
        if (name == QLatin1String("isnull")) {
            expectArgs(2);
            return QStringLiteral("coalesce(") + arg(0) + QLatin1Char(',') + arg(1) +
                   QLatin1Char(')');
        }
        if (name == QLatin1String("len")) {
            expectArgs(1);
            return d_.textLength(arg(0));
        }
        if (name == QLatin1String("substring")) {
            expectArgs(3);
            return QStringLiteral("substr(") + arg(0) + QLatin1Char(',') + arg(1) +
                   QLatin1Char(',') + arg(2) + QLatin1Char(')');
        }
        if (name == QLatin1String("convert")) {
            if (args.size() != 2 && args.size() != 3) {
                malformed(QStringLiteral("函数 convert() 需要 2 或 3 个参数"));
            }
            return convert(args);
        }
        if (name == QLatin1String("cast")) return cast(i + 2, close);
        static const QSet<QString> plain = {
            QStringLiteral("count"),   QStringLiteral("sum"),      QStringLiteral("min"),
            QStringLiteral("max"),     QStringLiteral("avg"),      QStringLiteral("abs"),
            QStringLiteral("upper"),   QStringLiteral("lower"),    QStringLiteral("ltrim"),
            QStringLiteral("rtrim"),   QStringLiteral("coalesce"), QStringLiteral("round"),
            QStringLiteral("replace"), QStringLiteral("nullif")};
        if (plain.contains(name)) {
            return t_[i].text + QLatin1Char('(') + render(i + 2, close) + QLatin1Char(')');
        }
        refuse(QStringLiteral("函数 %1()").arg(t_[i].text));
    }

    // Type of convert()/cast(): a name with an optional (length[, scale]).
    SqlType readType(int b, int e, int* length) const {
        if (b >= e) malformed(QStringLiteral("缺少数据类型"));
        const SqlType type = sqlTypeOf(t_[b]);
        int next = b + 1;
        if (next < e && t_[next].isSymbol(QLatin1String("("))) {
            if (next + 1 < e && t_[next + 1].kind == Token::Number && length) {
                *length = t_[next + 1].text.toInt();
            }
            next = match_[next] + 1;
        }
        if (next != e) malformed(QStringLiteral("数据类型 %1 后有多余内容").arg(t_[b].text));
        return type;
    }

    QString convert(const QList<Range>& args) const {
        int length = 30;  // T-SQL's length of a varchar without one
        const SqlType type = readType(args[0].begin, args[0].end, &length);
        const QString value = render(args[1].begin, args[1].end);
        if (args.size() == 2) {
            return QStringLiteral("CAST(") + value + QStringLiteral(" AS ") + d_.castType(type) +
                   QLatin1Char(')');
        }
        const Range style = args[2];
        if (style.end - style.begin != 1 || t_[style.begin].kind != Token::Number) {
            malformed(QStringLiteral("convert() 的样式应为数字"));
        }
        const int code = t_[style.begin].text.toInt();
        if (type != SqlType::Text)
            refuse(QStringLiteral("convert() 转为非文本类型时的样式 %1").arg(code));
        switch (code) {
            case 20:
            case 120:  // yyyy-mm-dd hh:mi:ss
                return d_.dateTimeToText(value, qMin(length, 19));
            case 23:  // yyyy-mm-dd
                return d_.dateTimeToText(value, qMin(length, 10));
            default:
                refuse(QStringLiteral("convert() 样式 %1").arg(code));
        }
    }

    QString cast(int b, int e) const {
        int as = -1;
        for (int i = b; i < e; ++i) {
            if (t_[i].isSymbol(QLatin1String("("))) {
                i = match_[i];
            } else if (t_[i].is(QLatin1String("as"))) {
                as = i;
            }
        }
        if (as <= b) malformed(QStringLiteral("cast() 应为 cast(值 AS 类型)"));
        const SqlType type = readType(as + 1, e, nullptr);
        return QStringLiteral("CAST(") + render(b, as) + QStringLiteral(" AS ") +
               d_.castType(type) + QLatin1Char(')');
    }

    static QString quoted(const QString& value) {
        QString text = value;
        text.replace(QLatin1Char('\''), QLatin1String("''"));
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    }

    // Tokens [b, e) in the backend's SQL, keeping the writer's spacing.
    QString render(int b, int e) const {
        QString out;
        auto put = [&out](const Token& at, const QString& text) {
            if (at.space && !out.isEmpty()) out += QLatin1Char(' ');
            out += text;
        };
        for (int i = b; i < e; ++i) {
            const Token& k = t_[i];
            if (k.is(QLatin1String("select"))) {  // INSERT ... SELECT
                put(k, translateSelect(i, e, nullptr));
                break;
            }
            if (k.isSymbol(QLatin1String("("))) {
                const int j = match_[i];
                const QString inner = i + 1 < j && t_[i + 1].is(QLatin1String("select"))
                                          ? translateSelect(i + 1, j, nullptr)
                                          : render(i + 1, j);
                put(k, QLatin1Char('(') + inner + QLatin1Char(')'));
                i = j;
                continue;
            }
            if (isFunctionCall(i, e)) {
                const int j = match_[i + 1];
                put(k, function(i, j));
                i = j;
                continue;
            }
            switch (k.kind) {
                case Token::String:
                    put(k, quoted(k.text));
                    break;
                case Token::Quoted:
                    put(k, d_.quoteIdentifier(k.text));
                    break;
                case Token::Symbol:
                    put(k, k.text == QLatin1String("+") && concat_.contains(i) ? d_.concatOperator()
                                                                               : k.text);
                    break;
                default:
                    put(k, k.text);
            }
            if (i == hintAfter_) out += QLatin1Char(' ') + hint_;
        }
        return out;
    }

    void parseExec(TranslatedStatement& out) const {
        int i = 1;
        const int n = int(t_.size());
        if (i < n && t_[i].isSymbol(QLatin1String("("))) refuse(QStringLiteral("EXEC (动态 SQL)"));
        // [owner.]name
        for (;;) {
            if (i >= n || (t_[i].kind != Token::Word && t_[i].kind != Token::Quoted)) {
                malformed(QStringLiteral("EXEC 后应为存储过程名"));
            }
            if (t_[i].text.startsWith(QLatin1Char('@')))
                refuse(QStringLiteral("变量 %1").arg(t_[i].text));
            out.procedure = t_[i].text;
            ++i;
            if (i < n && t_[i].isSymbol(QLatin1String("."))) {
                ++i;
                continue;
            }
            break;
        }
        for (bool first = true; i < n; first = false) {
            if (!first) {
                if (!t_[i].isSymbol(QLatin1String(","))) {
                    malformed(QStringLiteral("存储过程参数之间应以逗号分隔"));
                }
                if (++i >= n) malformed(QStringLiteral("逗号后缺少存储过程参数"));
            }
            const Token& a = t_[i];
            if (a.kind == Token::String) {
                out.arguments.append(a.text);
            } else if (a.kind == Token::Number) {
                out.arguments.append(a.text);
            } else if (a.isSymbol(QLatin1String("-")) && i + 1 < n &&
                       t_[i + 1].kind == Token::Number) {
                out.arguments.append(QLatin1Char('-') + t_[++i].text);
            } else if (a.is(QLatin1String("null"))) {
                out.arguments.append(QString());
            } else if (a.kind == Token::Word && a.text.startsWith(QLatin1Char('@'))) {
                refuse(QStringLiteral("存储过程的命名参数或变量 %1").arg(a.text));
            } else if (a.kind == Token::Word && !refusedWords().contains(a.text.toUpper()) &&
                       !isKeyword(a)) {
                out.arguments.append(a.text);  // T-SQL takes a bare word as text
            } else if (a.kind == Token::Word) {
                refuse(a.text.toUpper());
            } else {
                malformed(QStringLiteral("无法识别的存储过程参数 \"%1\"").arg(a.text));
            }
            ++i;
        }
    }

    const Dialect& d_;
    Tokens t_;
    QVector<int> match_;
    QSet<int> concat_;
    int hintAfter_ = -1;  // the token after which `hint_` is written
    QString hint_;
};

QList<Tokens> splitStatements(const Tokens& tokens) {
    QList<Tokens> out;
    Tokens current;
    int depth = 0;
    auto close = [&] {
        if (!current.isEmpty()) out.append(current);
        current.clear();
    };
    // INSERT INTO t (...) on one line and its SELECT on the next are one statement.
    auto awaitsSelect = [&] {
        if (current.isEmpty() || !current.first().is(QLatin1String("insert"))) return false;
        int level = 0;
        for (const Token& t : current) {
            if (t.isSymbol(QLatin1String("("))) ++level;
            if (t.isSymbol(QLatin1String(")"))) --level;
            if (level == 0 && isOneOf(t, {"values", "select"})) return false;
        }
        return true;
    };
    for (const Token& t : tokens) {
        if (depth == 0 && t.isSymbol(QLatin1String(";"))) {
            close();
            continue;
        }
        if (depth == 0 && t.newline && !current.isEmpty() && startsStatement(t)) {
            const bool continues =
                t.is(QLatin1String("select")) &&
                (isOneOf(current.last(), {"union", "all", "except", "intersect"}) ||
                 awaitsSelect());
            if (!continues) close();
        }
        if (t.isSymbol(QLatin1String("("))) ++depth;
        if (t.isSymbol(QLatin1String(")")) && depth > 0) --depth;
        current.append(t);
    }
    close();
    return out;
}

}  // namespace

QList<TranslatedStatement> TsqlTranslator::translateBatch(const QString& tsql) const {
    QList<TranslatedStatement> out;
    for (Tokens& tokens : splitStatements(tokenize(tsql))) {
        const int begin = tokens.first().begin;
        const int end = tokens.last().end;
        StatementTranslator translator(dialect_, std::move(tokens));
        TranslatedStatement statement = translator.run();
        statement.tsql = tsql.mid(begin, end - begin);
        out.append(std::move(statement));
    }
    return out;
}

TranslatedStatement TsqlTranslator::translate(const QString& tsql) const {
    QList<TranslatedStatement> statements = translateBatch(tsql);
    if (statements.isEmpty()) malformed(QStringLiteral("没有 SQL 语句"));
    if (statements.size() > 1) {
        malformed(QStringLiteral("应为一条语句, 实际为 %1 条").arg(statements.size()));
    }
    return statements.takeFirst();
}

}  // namespace refhost
