#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>

#include "RowSet.h"
#include "zx/host/RecordSet.h"

namespace refhost {

class Dialect;
struct TranslatedStatement;

// Rows of a query still open on the backend, read block by block.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Adds up to `rows` rows to `into`; false once the query has no more
    // (it is then closed). Raises zx::host::HostError when the backend fails
    // (the query is then closed too).
    virtual bool fetch(RowSetBuilder& into, int rows) = 0;
    // Passes over up to `rows` rows on the backend without reading them;
    // returns how many it passed (fewer once the query has no more, and it
    // is then closed). Raises as fetch does.
    virtual int skip(int rows) = 0;
    // Ends the query; later fetches find no rows.
    virtual void close() = 0;
};

// A long query result read from the backend as the caller moves through it:
// a block at a time, each block dropped once passed, so that walking it costs
// the memory of one block. The record count is the query's, taken in the same
// read of the database as the rows. MoveFirst after a dropped block runs the
// query again. The query is closed once its last row is read or the record
// set goes. Move passes over rows on the backend: a jump to the end of a long
// result reads the block there, not every row before it.
class CursorRowSet : public zx::host::RecordSet {
public:
    // Rows read on the backend's open query.
    static constexpr int kBlockRows = 1000;

    struct Opened {
        std::unique_ptr<RowSource> source;    // nullptr when `rows` hold them all
        std::unique_ptr<RowSetBuilder> rows;  // the first block
        int count = 0;                        // rows of the whole result
    };
    using Open = std::function<Opened()>;

    // `again` runs the query anew (MoveFirst).
    CursorRowSet(Opened first, Open again);
    ~CursorRowSet() override;

    int RecordCount() const override { return count_; }
    bool Eof() const override { return block_->Eof(); }
    void MoveNext() override;
    void MoveFirst() override;
    void Move(int rows) override;
    int FieldCount() const override { return block_->FieldCount(); }
    QString FieldName(int index) const override { return block_->FieldName(index); }
    QVariant Field(const QString& name) const override { return block_->Field(name); }
    QVariant Field(int index) const override { return block_->Field(index); }
    bool HasField(const QString& name) const override { return block_->HasField(name); }

private:
    void take(Opened opened);
    void nextBlock();

    Open again_;
    std::unique_ptr<RowSource> source_;
    std::unique_ptr<RowSetBuilder> builder_;
    std::shared_ptr<RowSet> block_;
    int count_ = 0;
    int read_ = 0;  // rows read, the current block's included
    bool firstBlock_ = true;
};

// The queries of one account set that are open for reading on demand, and,
// on a server, the connections they read on: a query read on demand there
// has a connection and a transaction of its own, so that the account set's
// connection stays free for everything else.
class Cursors {
public:
    // Rows read at once: a result no longer than this is read whole.
    static constexpr int kFirstRows = 200;

    // `connection`: the name of the account set's Qt SQL connection.
    explicit Cursors(QString connection);
    ~Cursors();  // closes every open query
    Cursors(const Cursors&) = delete;
    Cursors& operator=(const Cursors&) = delete;

    // Runs the query of `statement`: its rows (a plain record set when they
    // are few, a CursorRowSet when there are more), or nullptr when this
    // backend cannot read it on demand (the caller reads it whole). `server`:
    // the account set is on a database server. Raises zx::host::HostError
    // with the backend's message when the query fails.
    zx::host::RecordSetPtr open(const TranslatedStatement& statement, const Dialect& dialect,
                                bool server);

    // Ends every open query and closes the reading connections; the account
    // set's own connection closes after.
    // Ends the open queries and the connections they read on; later
    // queries open new ones (after the account set's connection was made
    // again).
    void dropReaders();
    void closeAll();

    // Statements sent by open queries (transaction control not counted).
    int roundTrips() const;
    void resetRoundTrips();

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace refhost
