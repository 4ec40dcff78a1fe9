#pragma once

#include <QString>
#include <QVariant>
#include <memory>

namespace zx::host {

// A query result as the host's data layer hands it out: a count, the current
// row's fields by name (case-insensitive) and a forward walk to the end, step
// by step or passing over rows.
class RecordSet {
public:
    virtual ~RecordSet() = default;

    virtual int RecordCount() const = 0;
    virtual bool Eof() const = 0;
    virtual void MoveNext() = 0;
    virtual void MoveFirst() = 0;
    // Moves `rows` rows on (no further than the end). The rows passed need not
    // be read: a data layer that can pass over them without fetching them does.
    virtual void Move(int rows) {
        for (int i = 0; i < rows && !Eof(); ++i) MoveNext();
    }

    virtual int FieldCount() const = 0;
    virtual QString FieldName(int index) const = 0;
    // Raises HostError when the record set has no such field or no current row.
    virtual QVariant Field(const QString& name) const = 0;
    virtual QVariant Field(int index) const = 0;
    virtual bool HasField(const QString& name) const = 0;
};

using RecordSetPtr = std::shared_ptr<RecordSet>;

}  // namespace zx::host
