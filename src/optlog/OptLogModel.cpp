#include "zx/optlog/OptLogModel.h"

#include <QDateTime>
#include <algorithm>
#include <exception>

namespace zx::optlog {

namespace {

// A field's plain text form: null as the empty text, a stored text as is.
QString fieldText(const QVariant& value) {
    if (value.isNull()) return QString();
    if (value.typeId() == QMetaType::QDateTime) {
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return value.toString();
}

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

OptLogModel::~OptLogModel() = default;

void OptLogModel::clear() {
    beginResetModel();
    count_ = 0;
    records_.reset();
    at_ = 0;
    runs_.clear();
    held_ = 0;
    endResetModel();
}

void OptLogModel::setRecords(zx::host::RecordSetPtr records) {
    clear();
    if (!records) return;
    beginResetModel();
    count_ = std::max(records->RecordCount(), 0);
    // Fields by position: looked up by name once, not once per cell. A
    // record set without a log field fills no row, as any error of the fill.
    bool complete = true;
    for (int c = 1; c < kColumns && complete; ++c) {
        const QString name = columnName(c);
        int found = -1;
        for (int i = 0; i < records->FieldCount() && found < 0; ++i) {
            if (records->FieldName(i).compare(name, Qt::CaseInsensitive) == 0) found = i;
        }
        fields_[size_t(c - 1)] = found;
        complete = found >= 0;
    }
    if (complete && count_ > 0) records_ = std::move(records);
    endResetModel();
}

int OptLogModel::rowsRead() const {
    return held_;
}

const OptLogModel::Row* OptLogModel::held(int row) const {
    auto run = runs_.upper_bound(row);
    if (run == runs_.begin()) return nullptr;
    --run;
    const int offset = row - run->first;
    return offset < int(run->second.size()) ? &run->second[size_t(offset)] : nullptr;
}

void OptLogModel::keep(int row, Row values) const {
    if (held(row)) return;
    auto run = runs_.upper_bound(row);
    if (run != runs_.begin()) {
        --run;
        if (run->first + int(run->second.size()) == row) {
            run->second.push_back(std::move(values));
            ++held_;
            return;
        }
    }
    runs_[row].push_back(std::move(values));
    ++held_;
}

// Rows this far on are passed over rather than read; going back, this many
// rows before the one wanted are read with it, so that scrolling up from
// the end does not start again for every row.
constexpr int kReadAhead = 500;
constexpr int kReadBack = 200;

void OptLogModel::moveTo(int row) const {
    if (row < at_) {
        records_->MoveFirst();
        at_ = 0;
        // Read again, the log may have grown since the list was made. It
        // grows at its newest end, the top of the list: those rows are not
        // this list's.
        const int added = records_->RecordCount() - count_;
        if (added > 0) records_->Move(added);
    }
    if (row - at_ > kReadAhead) {
        records_->Move(row - at_);
        at_ = row;
    }
}

void OptLogModel::read(int row) const {
    if (!records_ || held(row)) return;
    try {
        const int from = row < at_ ? std::max(0, row - kReadBack) : row;
        moveTo(from);
        while (records_ && at_ <= row) {
            if (records_->Eof()) {
                records_.reset();
                break;
            }
            if (!held(at_)) {
                Row values;
                for (size_t f = 0; f < values.size(); ++f) {
                    values[f] = fieldText(records_->Field(fields_[f]));
                }
                keep(at_, std::move(values));
            }
            records_->MoveNext();
            ++at_;
        }
        // Once every row is here the record set lets go (and with it
        // whatever it holds open on the database).
        if (held_ >= count_) records_.reset();
    } catch (const std::exception&) {
        // An error while reading (a host error or another) ends the list
        // quietly: the rows read so far stay, the others stay blank.
        records_.reset();
    }
}

QString OptLogModel::text(int row, int column) const {
    if (row < 0 || row >= count_ || column < 0 || column >= kColumns) return {};
    read(row);
    const Row* values = held(row);
    if (!values) return {};
    // The newest row carries the highest number, the oldest 1.
    if (column == 0) return QString::number(count_ - row);
    return (*values)[size_t(column - 1)];
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
