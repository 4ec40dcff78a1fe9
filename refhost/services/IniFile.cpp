#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include "zx/host/HostError.h"

namespace refhost {

namespace {

QStringList readLines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text.split(QLatin1Char('\n'));
}

bool isComment(const QString& line) {
    return line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'));
}

// The section name of a "[...]" line, or a null string.
QString sectionOf(const QString& line) {
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
        return line.mid(1, line.size() - 2).trimmed();
    }
    return QString();
}

bool keyMatches(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0) return false;
    if (value) *value = line.mid(eq + 1).trimmed();
    return true;
}

}  // namespace

QString readIniValue(const QString& file, const QString& section, const QString& key,
                     const QString& defaultValue) {
    bool inSection = false;
    for (const QString& raw : readLines(file)) {
        const QString line = raw.trimmed();
        if (isComment(line)) continue;
        const QString name = sectionOf(line);
        if (!name.isNull()) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && keyMatches(line, key, &value)) return value;
    }
    return defaultValue;
}

void writeIniValue(const QString& file, const QString& section, const QString& key,
                   const QString& value) {
    QStringList lines = readLines(file);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionStart = -1, insertAt = -1;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString line = lines.at(i).trimmed();
        const QString name = sectionOf(line);
        if (!name.isNull()) {
            if (sectionStart >= 0) break;  // past our section
            if (name.compare(section, Qt::CaseInsensitive) == 0) sectionStart = insertAt = i + 1;
            continue;
        }
        if (sectionStart < 0 || isComment(line)) continue;
        insertAt = i + 1;
        if (keyMatches(line, key, nullptr)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (sectionStart < 0) {
            if (!lines.isEmpty()) lines << QString();
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 ||
        !out.commit()) {
        throw zx::host::HostError(zx::host::kGenericError, QStringLiteral("IniFile"),
                                  QStringLiteral("无法写入配置文件: %1").arg(file));
    }
}

}  // namespace refhost
