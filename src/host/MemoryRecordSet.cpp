#include "zx/host/MemoryRecordSet.h"

#include "zx/host/HostError.h"

namespace zx::host {

namespace {
const QString kSource = QStringLiteral("RecordSet");
}

MemoryRecordSet::MemoryRecordSet(QStringList columns, QList<QVariantList> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)) {}

void MemoryRecordSet::MoveNext() {
    if (current_ < rows_.size()) ++current_;
}

QString MemoryRecordSet::FieldName(int index) const {
    if (index < 0 || index >= columns_.size()) {
        throw HostError(3265, kSource, QStringLiteral("字段序号超出范围: %1").arg(index));
    }
    return columns_.at(index);
}

int MemoryRecordSet::indexOf(const QString& name) const {
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (columns_.at(i).compare(name, Qt::CaseInsensitive) == 0) return int(i);
    }
    return -1;
}

QVariant MemoryRecordSet::Field(const QString& name) const {
    const int index = indexOf(name);
    if (index < 0) {
        throw HostError(3265, kSource, QStringLiteral("记录集中没有字段: %1").arg(name));
    }
    return Field(index);
}

QVariant MemoryRecordSet::Field(int index) const {
    if (Eof()) {
        throw HostError(3021, kSource, QStringLiteral("记录集已到末尾, 没有当前记录"));
    }
    if (index < 0 || index >= columns_.size()) {
        throw HostError(3265, kSource, QStringLiteral("字段序号超出范围: %1").arg(index));
    }
    const QVariantList& row = rows_.at(current_);
    return index < row.size() ? row.at(index) : QVariant();
}

}  // namespace zx::host
