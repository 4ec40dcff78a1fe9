#include "Cursor.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <vector>

#include "Dialect.h"
#include "DriverErrors.h"
#include "SqliteRows.h"
#include "TsqlTranslator.h"
#include "zx/host/HostError.h"

namespace refhost {

using zx::host::HostError;

namespace {

const QString kSource = QStringLiteral("Database");
constexpr qint32 kBackendError = -2147467259;  // the backend refused a statement
constexpr qint32 kClosed = 3704;               // the account set is closed

HostError closedError() {
    return HostError(kClosed, QStringLiteral("RecordSet"),
                     QStringLiteral("账套数据库已关闭, 记录集不能再读"));
}

// Runs `sql`, a step of reading rows; raises in the user's words when it fails.
void run(QSqlQuery& query, const QString& sql) {
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        const bool onServer =
            query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL;
        throw statementError(kBackendError, kSource, query.lastError(), QStringLiteral("SELECT"),
                             onServer, false);
    }
}

}  // namespace

struct Cursors::State {
    QString connection;
    bool closed = false;
    int trips = 0;
    std::set<RowSource*> open;         // queries open for reading
    std::vector<QString> readers;      // server connections made for them
    std::vector<QString> idleReaders;  // of which free for the next query
    int serial = 0;

    QSqlDatabase database() const { return QSqlDatabase::database(connection, false); }

    // A server connection of its own for one query, with the session
    // settings of the account set's connection.
    QString takeReader() {
        if (!idleReaders.empty()) {
            QString name = idleReaders.back();
            idleReaders.pop_back();
            return name;
        }
        const QString name = connection + QStringLiteral("_reader%1").arg(++serial);
        readers.push_back(name);
        {
            QSqlDatabase reader = QSqlDatabase::cloneDatabase(connection, name);
            if (!reader.open()) {
                const QSqlError error = reader.lastError();
                reader = QSqlDatabase();
                drop(name);
                throw HostError(kBackendError, kSource,
                                QStringLiteral("读取账套数据失败: %1。账套中的数据没有被改动。")
                                    .arg(connectReason(error, true)),
                                detailsOf(driverText(error)));
            }
            QSqlQuery q(reader);
            try {
                run(q, QStringLiteral("SET standard_conforming_strings = on"));
                run(q, QStringLiteral("SET client_min_messages = warning"));
            } catch (const HostError&) {
                q = QSqlQuery();
                reader = QSqlDatabase();
                drop(name);
                throw;
            }
        }
        return name;
    }

    // A reader back after its query: kept for the next one when it is in
    // good order, else closed.
    void giveBack(const QString& name, bool reusable) {
        if (reusable && !closed) {
            idleReaders.push_back(name);
        } else {
            drop(name);
        }
    }

    void drop(const QString& name) {
        const auto found = std::find(readers.begin(), readers.end(), name);
        if (found == readers.end()) return;
        readers.erase(found);
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isOpen()) db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
};

namespace {

// A query open for reading; known to its account set, which closes it when
// it closes itself.
class OpenQuery : public RowSource {
protected:
    explicit OpenQuery(std::shared_ptr<Cursors::State> state) : state_(std::move(state)) {
        state_->open.insert(this);
    }
    ~OpenQuery() override { state_->open.erase(this); }

    std::shared_ptr<Cursors::State> state_;
};

// ----- PostgreSQL ---------------------------------------------------------

// A cursor in a read-only transaction of its own connection: the rows and
// their count come from one snapshot of the database.
class PgQuery : public OpenQuery {
public:
    PgQuery(std::shared_ptr<Cursors::State> state, const TranslatedStatement& statement)
        : OpenQuery(std::move(state)), reader_(state_->takeReader()) {
        try {
            QSqlQuery q(database());
            run(q, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
            ++state_->trips;
            run(q, QStringLiteral("DECLARE zx_rows NO SCROLL CURSOR FOR ") + statement.sql);
            ++state_->trips;
            run(q, statement.countSql);
            count_ = q.next() ? q.value(0).toInt() : 0;
        } catch (const HostError&) {
            close();
            throw;
        }
    }
    ~PgQuery() override { close(); }

    int count() const { return count_; }

    bool fetch(RowSetBuilder& into, int rows) override {
        if (!open_) return false;
        int got = 0;
        try {
            QSqlQuery q(database());
            ++state_->trips;
            run(q, QStringLiteral("FETCH FORWARD %1 FROM zx_rows").arg(rows));
            got = readRows(q, into);
        } catch (const HostError&) {
            close();
            throw;
        }
        if (got < rows) {
            close();
            return false;
        }
        return true;
    }

    int skip(int rows) override {
        if (!open_) return 0;
        int passed = 0;
        try {
            QSqlQuery q(database());
            ++state_->trips;
            run(q, QStringLiteral("MOVE FORWARD %1 IN zx_rows").arg(rows));
            // The server says how many it passed; a driver that does not tell
            // passed them all, the count being the query's.
            passed = q.numRowsAffected() < 0 ? rows : q.numRowsAffected();
        } catch (const HostError&) {
            close();
            throw;
        }
        if (passed < rows) close();
        return passed;
    }

    void close() override {
        if (!open_) return;
        open_ = false;
        bool ended = false;
        if (!state_->closed) {
            // Ends the cursor with its transaction (a failed one is rolled back).
            QSqlQuery q(database());
            ended = q.exec(QStringLiteral("COMMIT"));
        }
        state_->giveBack(reader_, ended);
    }

private:
    QSqlDatabase database() const { return QSqlDatabase::database(reader_, false); }

    QString reader_;
    int count_ = 0;
    bool open_ = true;
};

CursorRowSet::Opened openPg(const std::shared_ptr<Cursors::State>& state,
                            const TranslatedStatement& statement, const QString& firstRowsSql) {
    CursorRowSet::Opened out;
    QStringList columns;
    {
        // Most results are short, and their first rows are all of them: one
        // statement on the account set's connection.
        QSqlQuery q(state->database());
        ++state->trips;
        run(q, firstRowsSql);
        columns = columnNames(q);
        out.rows = std::make_unique<RowSetBuilder>(columns, statement.dateTimeColumns);
        out.count = readRows(q, *out.rows);
        if (out.count <= Cursors::kFirstRows) return out;
    }
    // A long one is read again from the start on a cursor.
    auto query = std::make_unique<PgQuery>(state, statement);
    out.rows = std::make_unique<RowSetBuilder>(columns, statement.dateTimeColumns);
    out.count = query->count();
    if (query->fetch(*out.rows, Cursors::kFirstRows)) out.source = std::move(query);
    if (!out.source) out.count = out.rows->rows();
    return out;
}

// ----- SQLite -------------------------------------------------------------

#if ZX_REFHOST_SQLITE_DIRECT

// A statement stepped as its rows are asked for.
class SqliteQuery : public OpenQuery {
public:
    // Errors name `shown`: the query as its caller knows it.
    SqliteQuery(std::shared_ptr<Cursors::State> state, sqlite3* con, const QString& sql,
                const QString& shown)
        : OpenQuery(std::move(state)),
          con_(con),
          sql_(sql),
          shown_(shown),
          statement_(std::make_unique<SqliteStatement>(con, sql, shown)) {
        ++state_->trips;
    }
    ~SqliteQuery() override { close(); }

    QStringList columns() const { return statement_ ? statement_->columns() : QStringList(); }

    bool fetch(RowSetBuilder& into, int rows) override {
        int code = SQLITE_OK;
        return fetch(into, rows, code);
    }

    // `code`: SQLite's answer to the last step.
    bool fetch(RowSetBuilder& into, int rows, int& code) {
        code = SQLITE_OK;
        for (int i = 0; i < rows; ++i) {
            if (!statement_) return false;
            code = pending_ ? SQLITE_ROW : sqlite3_step(statement_->get());
            pending_ = false;
            if (code == SQLITE_ROW) {
                addSqliteRow(statement_->get(), into);
                ++stepped_;
            } else if (code == SQLITE_DONE) {
                close();
                return false;
            } else {
                fail();
            }
        }
        return true;
    }

    // SQLite passes over rows fastest itself: the same query again, told to
    // leave out the rows read and those to pass over, and begun while this
    // one still holds the read of the database, so that both see the same
    // rows. A query with a limit of its own is stepped through instead.
    int skip(int rows) override {
        if (!statement_) return 0;
        std::unique_ptr<SqliteStatement> next;
        try {
            next = std::make_unique<SqliteStatement>(
                con_, sql_ + QStringLiteral(" LIMIT -1 OFFSET %1").arg(stepped_ + rows));
        } catch (const HostError&) {
            return stepOver(rows);
        }
        ++state_->trips;
        const int code = sqlite3_step(next->get());
        statement_ = std::move(next);
        if (code != SQLITE_ROW && code != SQLITE_DONE) fail();
        stepped_ += rows;
        pending_ = code == SQLITE_ROW;
        if (code == SQLITE_DONE) close();
        return rows;
    }

    void close() override {
        statement_.reset();
        pending_ = false;
    }

private:
    int stepOver(int rows) {
        for (int i = 0; i < rows; ++i) {
            if (!statement_) return i;
            const int code = pending_ ? SQLITE_ROW : sqlite3_step(statement_->get());
            pending_ = false;
            if (code == SQLITE_ROW) {
                ++stepped_;
                continue;
            }
            if (code == SQLITE_DONE) {
                close();
                return i;
            }
            fail();
        }
        return rows;
    }

    [[noreturn]] void fail() {
        const HostError error = sqliteError(con_, shown_.isEmpty() ? sql_ : shown_);
        close();
        throw error;
    }

    sqlite3* con_;
    QString sql_;    // the text run
    QString shown_;  // the query its errors name
    std::unique_ptr<SqliteStatement> statement_;
    qint64 stepped_ = 0;    // rows handed out or passed over
    bool pending_ = false;  // the statement stands on a row not yet handed out
};

// Whether SQLite sorts the rows of `sql` for its ORDER BY before the first
// one comes out.
bool sortsForOrder(sqlite3* con, const QString& sql) {
    const SqliteStatement plan(con, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, sql);
    int rc;
    while ((rc = sqlite3_step(plan.get())) == SQLITE_ROW) {
        const auto* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        if (detail && std::strstr(detail, "TEMP B-TREE") && std::strstr(detail, "ORDER BY")) {
            return true;
        }
    }
    if (rc != SQLITE_DONE) throw sqliteError(con, sql);
    return false;
}

// The work SQLite may spend walking a table in key order for the first
// rows, in virtual-machine steps per row of the result: about what sorting
// the result would cost before its first row. A result of fewer rows than
// kWalkFrom is sorted at less cost than a walk that fails.
constexpr long long kStepsPerSortedRow = 40;
constexpr int kWalkFrom = 2000;
constexpr int kProgressSteps = 1000;

// Interrupts the statements the connection runs once they have spent
// `steps` between them, for as long as it lives.
class StepBudget {
public:
    StepBudget(sqlite3* con, long long steps) : con_(con), left_(steps) {
        sqlite3_progress_handler(con_, kProgressSteps, &StepBudget::spend, this);
    }
    ~StepBudget() { sqlite3_progress_handler(con_, 0, nullptr, nullptr); }
    StepBudget(const StepBudget&) = delete;
    StepBudget& operator=(const StepBudget&) = delete;

private:
    static int spend(void* self) {
        auto* budget = static_cast<StepBudget*>(self);
        budget->left_ -= kProgressSteps;
        return budget->left_ < 0 ? 1 : 0;
    }

    sqlite3* con_;
    long long left_;
};

// SQLite plans a query for its whole result. Ordered by a table's key and
// picking many rows through an index, it sorts all of them before the first
// one: a log's default window would cost its whole sort before the first
// screen. Walking that table in key order gives the first rows at once when
// the rows picked lie near where the walk begins (the newest, for a log
// listed newest first). The walk is tried first, for about as long as the
// sort would take; when it has not found the first rows by then, the
// planner's way is taken.
CursorRowSet::Opened openSqlite(const std::shared_ptr<Cursors::State>& state, sqlite3* con,
                                const TranslatedStatement& statement) {
    CursorRowSet::Opened out;
    // While this count is unfinished the connection holds its read of the
    // database: every statement run meanwhile sees the same rows.
    std::optional<SqliteStatement> counting;
    bool counted = false;
    auto count = [&] {
        counting.emplace(con, statement.countSql, statement.sql);
        ++state->trips;
        if (sqlite3_step(counting->get()) != SQLITE_ROW) throw sqliteError(con, statement.sql);
        out.count = int(std::min<sqlite3_int64>(sqlite3_column_int64(counting->get(), 0),
                                                std::numeric_limits<int>::max()));
        counted = true;
    };

    std::unique_ptr<SqliteQuery> query;
    bool more = false;
    if (!statement.keyOrderSql.isEmpty() && sortsForOrder(con, statement.sql) &&
        !sortsForOrder(con, statement.keyOrderSql)) {
        count();
        if (out.count >= kWalkFrom) {
            query = std::make_unique<SqliteQuery>(state, con, statement.keyOrderSql, statement.sql);
            out.rows = std::make_unique<RowSetBuilder>(query->columns(), statement.dateTimeColumns);
            int code = SQLITE_OK;
            try {
                const StepBudget budget(con, kStepsPerSortedRow * out.count);
                more = query->fetch(*out.rows, Cursors::kFirstRows, code);
            } catch (const HostError&) {
                if (code != SQLITE_INTERRUPT) throw;
                query.reset();  // out of budget: the planner's way below
            }
        }
    }
    if (!query) {
        query = std::make_unique<SqliteQuery>(state, con, statement.sql, statement.sql);
        out.rows = std::make_unique<RowSetBuilder>(query->columns(), statement.dateTimeColumns);
        more = query->fetch(*out.rows, Cursors::kFirstRows + 1);
    }
    if (more && !counted) count();
    counting.reset();  // the open query holds the read from here
    if (!more || out.rows->rows() >= out.count) {
        out.count = out.rows->rows();
        return out;  // `query` goes, and with it the statement
    }
    out.source = std::move(query);
    return out;
}

#endif

}  // namespace

// ----- CursorRowSet -------------------------------------------------------

CursorRowSet::CursorRowSet(Opened first, Open again) : again_(std::move(again)) {
    take(std::move(first));
}

CursorRowSet::~CursorRowSet() = default;

void CursorRowSet::take(Opened opened) {
    source_ = std::move(opened.source);
    builder_ = std::move(opened.rows);
    block_ = builder_->takeRows();
    read_ = block_->RecordCount();
    count_ = source_ ? opened.count : read_;
    firstBlock_ = true;
}

void CursorRowSet::MoveNext() {
    if (block_->Eof()) return;
    block_->MoveNext();
    if (block_->Eof()) nextBlock();
}

void CursorRowSet::nextBlock() {
    if (!source_) return;
    // The count was taken with the rows: once it is reached, the query has
    // nothing more to give.
    const int wanted = std::min(kBlockRows, count_ - read_);
    const bool more = wanted > 0 && source_->fetch(*builder_, wanted);
    std::shared_ptr<RowSet> rows = builder_->takeRows();
    read_ += rows->RecordCount();
    if (!more || read_ >= count_) source_.reset();
    if (rows->RecordCount() > 0) {
        block_ = std::move(rows);
        firstBlock_ = false;
    }
}

void CursorRowSet::Move(int rows) {
    if (rows <= 0 || block_->Eof()) return;
    const int inBlock = block_->RecordCount() - block_->position();
    if (rows < inBlock) {
        block_->Move(rows);
        return;
    }
    // Past this block: what lies between is passed over on the backend.
    block_->Move(inBlock);
    const int between = std::min(rows - inBlock, count_ - read_);
    if (source_ && between > 0) {
        read_ += source_->skip(between);
        // The first block no longer joins what the query gives next.
        firstBlock_ = false;
    }
    nextBlock();
}

void CursorRowSet::MoveFirst() {
    if (firstBlock_) {
        block_->MoveFirst();
        return;
    }
    source_.reset();
    take(again_());
}

// ----- Cursors ------------------------------------------------------------

Cursors::Cursors(QString connection) : state_(std::make_shared<State>()) {
    state_->connection = std::move(connection);
}

Cursors::~Cursors() {
    closeAll();
}

zx::host::RecordSetPtr Cursors::open(const TranslatedStatement& statement, const Dialect& dialect,
                                     bool server) {
    if (statement.countSql.isEmpty() || state_->closed) return nullptr;
    const std::shared_ptr<State> state = state_;
    CursorRowSet::Open opener;
    if (server) {
        const QString firstRows =
            dialect.applyLimit(statement.sql, QString::number(kFirstRows + 1));
        opener = [state, statement, firstRows] {
            if (state->closed) throw closedError();
            return openPg(state, statement, firstRows);
        };
    } else {
#if ZX_REFHOST_SQLITE_DIRECT
        if (!sqliteHandle(state_->database())) return nullptr;
        opener = [state, statement] {
            sqlite3* con = state->closed ? nullptr : sqliteHandle(state->database());
            if (!con) throw closedError();
            return openSqlite(state, con, statement);
        };
#else
        return nullptr;
#endif
    }
    CursorRowSet::Opened first = opener();
    if (!first.source) return first.rows->takeRows();
    return std::make_shared<CursorRowSet>(std::move(first), std::move(opener));
}

void Cursors::closeAll() {
    state_->closed = true;
    dropReaders();
}

void Cursors::dropReaders() {
    const std::set<RowSource*> open = state_->open;
    for (RowSource* query : open) query->close();
    const std::vector<QString> readers = state_->readers;
    for (const QString& name : readers) state_->drop(name);
    state_->idleReaders.clear();
}

int Cursors::roundTrips() const {
    return state_->trips;
}

void Cursors::resetRoundTrips() {
    state_->trips = 0;
}

}  // namespace refhost
