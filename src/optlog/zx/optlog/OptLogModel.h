#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <map>
#include <vector>

#include "zx/host/RecordSet.h"

namespace zx::optlog {

// The rows of the change-log grid. Column 0 is the sequence number, columns 1
// to 10 the log fields in the order of the query. The grid has as many rows
// as the record set's record count from the start, but a row is read from
// the record set only when it is first shown (or asked for): the first screen
// of a long list costs its own rows, and the memory grows with the rows
// scrolled through. A row far beyond those read (the end of the list, a jump
// of the scroll bar) is reached by passing over the rows between, which are
// read only when they are shown.
class OptLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumns = 11;
    using Row = std::array<QString, kColumns - 1>;

    explicit OptLogModel(QObject* parent = nullptr);
    ~OptLogModel() override;

    // Lists the records of `records`, one grid row per record of its count.
    void setRecords(zx::host::RecordSetPtr records);
    void clear();

    // Rows read from the record set so far.
    int rowsRead() const;

    // The text shown in a cell, for callers that read the grid.
    QString text(int row, int column) const;
    // The field name of a column ("ListNo" for column 0).
    static QString columnName(int column);
    static QString headerText(int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // The row read, or nullptr.
    const Row* held(int row) const;
    // Reads records until row `row` is there, the records end or one fails.
    void read(int row) const;
    // Puts the record set on row `row`: on from where it stands, or from its
    // start again.
    void moveTo(int row) const;
    void keep(int row, Row values) const;

    int count_ = 0;
    mutable zx::host::RecordSetPtr records_;  // dropped once every row is read
    mutable int at_ = 0;                      // the row the record set stands on
    std::array<int, kColumns - 1> fields_{};  // field positions of columns 1 to 10
    // Runs of rows read, by their first row.
    mutable std::map<int, std::vector<Row>> runs_;
    mutable int held_ = 0;
};

}  // namespace zx::optlog
