#pragma once

#include <QList>
#include <QStringList>
#include <QVariant>
#include <algorithm>

#include "zx/host/RecordSet.h"

namespace zx::host {

// A record set held in memory: column names and rows of values. The host's
// data layer fills one per query; tests build them by hand.
class MemoryRecordSet : public RecordSet {
public:
    MemoryRecordSet() = default;
    MemoryRecordSet(QStringList columns, QList<QVariantList> rows);

    void addRow(QVariantList row) { rows_.append(std::move(row)); }
    const QStringList& columns() const { return columns_; }

    int RecordCount() const override { return int(rows_.size()); }
    bool Eof() const override { return current_ >= rows_.size(); }
    void MoveNext() override;
    void MoveFirst() override { current_ = 0; }
    void Move(int rows) override {
        current_ = std::min(rows_.size(), current_ + std::max(rows, 0));
    }
    int FieldCount() const override { return int(columns_.size()); }
    QString FieldName(int index) const override;
    QVariant Field(const QString& name) const override;
    QVariant Field(int index) const override;
    bool HasField(const QString& name) const override { return indexOf(name) >= 0; }

private:
    int indexOf(const QString& name) const;

    QStringList columns_;
    QList<QVariantList> rows_;
    qsizetype current_ = 0;
};

}  // namespace zx::host
