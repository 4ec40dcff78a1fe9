#include "PropsString.h"

#include <QDir>
#include <QFileInfo>

#include "sql/PgUrl.h"

namespace refhost {

PropsString::PropsString(const QString& text) {
    QString rest = text;
    while (!rest.isEmpty()) {
        const qsizetype eq = rest.indexOf(QLatin1Char('='));
        if (eq < 0) break;
        const QString key = rest.left(eq).trimmed();
        rest = rest.mid(eq + 1).trimmed();
        if (key.isEmpty()) break;
        QString value;
        if (rest.startsWith(QLatin1Char('{'))) {
            const qsizetype close = rest.indexOf(QLatin1Char('}'));
            if (close < 0) {
                value = rest.mid(1);
                rest.clear();
            } else {
                value = rest.mid(1, close - 1);
                const qsizetype semi = rest.indexOf(QLatin1Char(';'), close);
                rest = semi < 0 ? QString() : rest.mid(semi + 1);
            }
        } else {
            const qsizetype semi = rest.indexOf(QLatin1Char(';'));
            value = semi < 0 ? rest : rest.left(semi);
            rest = semi < 0 ? QString() : rest.mid(semi + 1);
        }
        pairs_.append({key, value.trimmed()});
    }
}

bool PropsString::contains(const QString& key) const {
    for (const auto& [k, v] : pairs_) {
        if (k.compare(key, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

QString PropsString::value(const QString& key) const {
    for (const auto& [k, v] : pairs_) {
        if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
    }
    return QString();
}

QString PropsString::dataSource() const {
    // The connection string itself is plain "key=value;" without braces.
    const QString connect = value(QStringLiteral("ConnectString"));
    for (const QString& part : connect.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        if (part.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) ==
            0) {
            return decodeSource(part.mid(eq + 1).trimmed());
        }
    }
    return QString();
}

QString PropsString::encodeSource(const QString& location) {
    // A server's address is a URL whose parts are percent-encoded already.
    if (PgUrl::isUrl(location)) return location;
    // A braced value ends at the first "}" and a pair of the connect string at
    // the first ";"; values lose their blanks at either end.
    qsizetype first = 0;
    qsizetype last = location.size();
    while (first < last && location.at(first).isSpace()) ++first;
    while (last > first && location.at(last - 1).isSpace()) --last;
    QString out;
    for (qsizetype i = 0; i < location.size(); ++i) {
        const QChar c = location.at(i);
        const bool edgeBlank = i < first || i >= last;
        if (edgeBlank || c == u'%' || c == u';' || c == u'{' || c == u'}' || c.unicode() < 0x20 ||
            c.unicode() == 0x7f) {
            for (const char byte : QString(c).toUtf8()) {
                out += QStringLiteral("%%1").arg(uint(uchar(byte)), 2, 16, QChar(u'0')).toUpper();
            }
        } else {
            out += c;
        }
    }
    return out;
}

QString PropsString::decodeSource(const QString& text) {
    if (PgUrl::isUrl(text) || !text.contains(u'%')) return text;
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toUtf8()));
}

QString PropsString::pair(const QString& key, const QString& value) {
    const bool braced = value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('='));
    return braced ? QStringLiteral("%1={%2};").arg(key, value)
                  : QStringLiteral("%1=%2;").arg(key, value);
}

bool sameLocation(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    // Server addresses are compared as written (the host keeps them canonical).
    if (PgUrl::isUrl(a) || PgUrl::isUrl(b)) return a.trimmed() == b.trimmed();
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

}  // namespace refhost
