#include "services/ProfileSnapshot.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include "sql/Database.h"

namespace refhost {

double leadingNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) return 0.0;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    return ok ? value : 0.0;
}

QString profileKey(const QString& category, const QString& key) {
    // A unit separator cannot occur in a category name, so pairs never collide.
    return category.trimmed().toCaseFolded() + QChar(0x1f) + key.trimmed().toCaseFolded();
}

void ProfileSnapshot::load(Database& db) {
    QHash<QString, QString> values;
    const auto rows =
        db.nativeQuery(QStringLiteral("SELECT FCategory, FKey, FValue FROM t_SystemProfile"));
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        const QString id = profileKey(rows->Field(0).toString(), rows->Field(1).toString());
        // Rows that differ only in case: the first one read stands.
        if (!values.contains(id)) values.insert(id, rows->Field(2).toString());
    }
    values_ = std::move(values);
    loaded_ = true;
}

void ProfileSnapshot::drop() {
    values_.clear();
    loaded_ = false;
}

std::optional<QString> ProfileSnapshot::find(const QString& category, const QString& key) const {
    const auto it = values_.constFind(profileKey(category, key));
    if (it == values_.constEnd()) return std::nullopt;
    return *it;
}

QString SpecItems::filePath(const QString& installDir) {
    return installDir + QStringLiteral("/Common/SpecItems.ini");
}

void SpecItems::load(const QString& installDir) {
    values_.clear();
    if (installDir.isEmpty()) return;
    QFile file(filePath(installDir));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;

    QTextStream in(&file);
    QString section;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || section.isEmpty()) continue;
        bool ok = false;
        const qint32 value = line.mid(eq + 1).trimmed().toInt(&ok);
        if (ok) values_.insert(profileKey(section, line.left(eq)), value);
    }
}

qint32 SpecItems::value(const QString& category, const QString& key) const {
    return values_.value(profileKey(category, key), -1);
}

}  // namespace refhost
