#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace refhost {

// A session property string: "key=value;" pairs, a value may be braced
// ("ConnectString={Provider=SQLite;Data Source=/x.zxdb};"). Keys are compared
// without regard to case; the first occurrence of a key wins.
class PropsString {
public:
    explicit PropsString(const QString& text);

    bool contains(const QString& key) const;
    QString value(const QString& key) const;
    const QList<QPair<QString, QString>>& pairs() const { return pairs_; }

    // The account set file named by "Data Source" inside "ConnectString",
    // decoded (see encodeSource); empty when the string names none.
    QString dataSource() const;

    // A file location written so that it survives as "Data Source" inside
    // the braced connect string: "%", ";", "{", "}", control characters and
    // blanks at either end are written as %XX (a server URL is encoded
    // already and stays as it is). decodeSource undoes it.
    static QString encodeSource(const QString& location);
    static QString decodeSource(const QString& text);

    // Wraps a value in braces when it holds a separator, so it reads back whole.
    static QString pair(const QString& key, const QString& value);

private:
    QList<QPair<QString, QString>> pairs_;
};

// True when two account set locations name the same file.
bool sameLocation(const QString& a, const QString& b);

}  // namespace refhost
