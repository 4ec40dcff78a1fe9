#pragma once

// Typed reading and writing of system parameters, and the number
// conversions the pages share.

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "zx/host/Services.h"

namespace zx::store {

// A 32-bit (16-bit) integer from a number, halves rounded to even; a value out
// of range raises the overflow error 6.
qint32 roundToInt32(double value);
qint16 roundToInt16(double value);

// A text that must be a number as a whole (surrounding blanks allowed),
// rounded to a 32-bit integer; anything else raises the type-mismatch error 13.
qint32 textToInt32(const QString& text);

// A number as plain decimal text: 17.00 gives "17", 1.5 gives "1.5".
QString numberText(double value);

// Every read passes a default, returned when the parameter does not exist.
QString readText(host::SystemProfile& profile, const QString& category, const QString& key,
                 const QString& defaultValue = QString());
// The leading number rounded to a 32-bit integer.
qint32 readInt(host::SystemProfile& profile, const QString& category, const QString& key,
               const QString& defaultValue = QStringLiteral("0"));

// One Setprofile, with the session property string fetched for the call.
void writeValue(host::ProfileWriter& writer, const QString& category, const QString& key,
                const QVariant& value);

// The writes of one save as one unit of the host (WriteScope): begun when
// made, kept by commit(); a unit left without commit() is undone, so that an
// error half-way leaves the account set as it was. A unit made inside
// another is a part of it that can be undone alone.
class WriteUnit {
public:
    WriteUnit();
    ~WriteUnit();
    WriteUnit(const WriteUnit&) = delete;
    WriteUnit& operator=(const WriteUnit&) = delete;

    void commit();
    bool committed() const { return committed_; }

    // Runs `work` as a part of its own: what it wrote is undone when it
    // raises, and the error goes on to the caller.
    static void part(const std::function<void()>& work);

private:
    std::shared_ptr<host::WriteScope> scope_;
    bool committed_ = false;
};

}  // namespace zx::store
