#include "zx/optlog/OptLogModel.h"

namespace zx::optlog {

namespace {

struct Column {
    const char* name;
    const char16_t* header;
};

constexpr Column kColumnsInfo[OptLogModel::kColumns] = {
    {"ListNo", u"序号"},           {"FID", u"记录ID(自增量)"},    {"FOptTime", u"操作时间"},
    {"FUser", u"操作用户"},        {"FCategory", u"设置项"},      {"FKey", u"设置键"},
    {"FDesc", u"设置说明"},        {"FOrigValue", u"修改前的值"}, {"FNewValue", u"修改后的值"},
    {"FMachineName", u"机器名称"}, {"FIpAddress", u"机器Ip地址"},
};

}  // namespace

OptLogModel::OptLogModel(QObject* parent) : QAbstractTableModel(parent) {}

void OptLogModel::setRows(int count, std::vector<Row> rows) {
    beginResetModel();
    count_ = count < 0 ? 0 : count;
    rows_ = std::move(rows);
    if (rows_.size() > size_t(count_)) rows_.resize(size_t(count_));
    endResetModel();
}

QString OptLogModel::text(int row, int column) const {
    if (row < 0 || row >= int(rows_.size()) || column < 0 || column >= kColumns) return {};
    // The newest row carries the highest number, the oldest 1.
    if (column == 0) return QString::number(count_ - row);
    return rows_[size_t(row)][size_t(column - 1)];
}

QString OptLogModel::columnName(int column) {
    if (column < 0 || column >= kColumns) return {};
    return QString::fromLatin1(kColumnsInfo[column].name);
}

QString OptLogModel::headerText(int column) {
    if (column < 0 || column >= kColumns) return {};
    return QString::fromUtf16(kColumnsInfo[column].header);
}

int OptLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

int OptLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant OptLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return text(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole && index.column() == 0) {
        return int(Qt::AlignCenter);
    }
    return {};
}

QVariant OptLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return headerText(section);
}

Qt::ItemFlags OptLogModel::flags(const QModelIndex& index) const {
    // For display only: rows can be selected and copied, never edited.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace zx::optlog
