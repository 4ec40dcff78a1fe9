#include <QFile>
#include <QStringDecoder>

#include "zx/session/Session.h"

namespace zx {

namespace {

// Room of the caller's buffer: 256 characters with the terminator.
constexpr qsizetype kMaxValueLength = 255;

QString limited(const QString& text) {
    return text.left(kMaxValueLength);
}

// Paths are built with backslashes; both separators name the same file here.
QString localPath(const QString& file) {
#ifdef Q_OS_WIN
    return file;
#else
    QString path = file;
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
}

// A value in matching quotes loses them, as the profile reader always did.
QString unquoted(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
            return value.mid(1, value.size() - 2);
        }
    }
    return value;
}

}  // namespace

QString GetIniValue(const QString& file, const QString& section, const QString& key,
                    const QString& defaultValue) {
    QFile ini(localPath(file));
    if (file.isEmpty() || !ini.open(QIODevice::ReadOnly)) return limited(defaultValue);

    QStringDecoder decode(QStringDecoder::Utf8);
    const QString content = decode(ini.readAll());  // drops a byte-order mark
    const QString wantedSection = section.trimmed();
    const QString wantedKey = key.trimmed();

    bool inSection = false;
    bool sectionSeen = false;
    for (QStringView line : QStringView(content).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            // Only the first section of that name is read.
            if (sectionSeen) break;
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(wantedSection, Qt::CaseInsensitive) == 0;
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) continue;
        if (line.left(equals).trimmed().compare(wantedKey, Qt::CaseInsensitive) != 0) continue;
        return limited(unquoted(line.mid(equals + 1).trimmed().toString()));
    }
    return limited(defaultValue);
}

}  // namespace zx
