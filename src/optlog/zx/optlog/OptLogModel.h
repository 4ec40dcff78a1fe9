#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

namespace zx::optlog {

// The rows of the change-log grid. Column 0 is the sequence number, columns 1
// to 10 the log fields in the order of the query. The grid asks only for the
// cells it paints, so a long list costs one string per field and nothing more.
class OptLogModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumns = 11;
    using Row = std::array<QString, kColumns - 1>;

    explicit OptLogModel(QObject* parent = nullptr);

    // `count` rows, the first rows.size() of them filled; the rest stay blank
    // (a fill that stopped early keeps what it had).
    void setRows(int count, std::vector<Row> rows);
    void clear() { setRows(0, {}); }

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
    int count_ = 0;
    std::vector<Row> rows_;
};

}  // namespace zx::optlog
