#pragma once

#include <QString>

namespace refhost {

// The installation's small configuration files (UTF-8 text, "[section]" and
// "key=value" lines, ";" or "#" comments). Sections and keys are compared
// without regard to case, so a section may be a registry path with
// backslashes. Returns the default when the file, section or key is missing.
QString readIniValue(const QString& file, const QString& section, const QString& key,
                     const QString& defaultValue = QString());

// Sets one value, keeping every other line of the file; creates the file
// and the section when missing.
void writeIniValue(const QString& file, const QString& section, const QString& key,
                   const QString& value);

}  // namespace refhost
