#pragma once

#include <QString>
#include <QVariant>
#include <memory>

namespace zx::host {

// A query result as the host's data layer hands it out: a count, the current
// row's fields by name (case-insensitive) and a forward walk to the end.
class RecordSet {
public:
    virtual ~RecordSet() = default;

    virtual int RecordCount() const = 0;
    virtual bool Eof() const = 0;
    virtual void MoveNext() = 0;
    virtual void MoveFirst() = 0;

    virtual int FieldCount() const = 0;
    virtual QString FieldName(int index) const = 0;
    // Raises HostError when the record set has no such field or no current row.
    virtual QVariant Field(const QString& name) const = 0;
    virtual QVariant Field(int index) const = 0;
    virtual bool HasField(const QString& name) const = 0;
};

using RecordSetPtr = std::shared_ptr<RecordSet>;

}  // namespace zx::host
