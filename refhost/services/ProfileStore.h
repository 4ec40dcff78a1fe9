#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace refhost {

class Database;

// The text a parameter value is stored as: a Boolean is "1" or "0", a whole
// number its decimal digits, a floating-point number its shortest plain
// decimal form ("12", "0.17", never an exponent), a text as given, nothing
// the empty text. Raises zx::host::HostError for a value that has no such
// form (not a number, infinity, a list or an object).
QString encodeProfileValue(const QVariant& value);

// Raises zx::host::HostError unless the session property string names the
// account set held by `db` (the "Data Source" of its connection string).
void requireAccountSet(const Database& db, const QString& props, const QString& source);

// Writes one parameter in a single statement: inserted when new, else its
// value replaced. With `readOnly` the row is marked FReadonly = 1; a write
// without it keeps whatever mark the row has, so a start-up setting stays
// marked once it has been made.
void upsertProfile(Database& db, const QString& category, const QString& key, const QString& text,
                   bool readOnly);

// The stored text read straight from the database (one round trip), nullopt
// when the parameter does not exist.
std::optional<QString> readProfile(Database& db, const QString& category, const QString& key);

}  // namespace refhost
