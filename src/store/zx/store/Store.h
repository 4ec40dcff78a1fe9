#pragma once

// Typed reading and writing of system parameters, and the number
// conversions the pages share.

#include <QString>
#include <QVariant>

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

}  // namespace zx::store
