#include "services/Audit.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QWidget>

#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;

// Who writes, from where: fixed for one write and all its rows.
struct Stamp {
    qint32 userId = 0;
    QString userName;
    QString machine;
    QString address;
    QString program;
};

// The machine's first network address does not change while the process
// runs; looking it up walks every interface, so it is done once.
QString addressOf(RefHost& host) {
    static const QString address = [&host] {
        QString found;
        return host.ReadTcp(QString(), found) == 1 ? found : QString();
    }();
    return address;
}

Stamp stampOf(RefHost& host) {
    return {host.user().id, host.user().name, host.computerName().value_or(QString()).toUpper(),
            addressOf(host), writingProgram(host)};
}

QVariant textOrNull(const std::optional<QString>& text) {
    return text ? QVariant(*text) : QVariant(QMetaType::fromType<QString>());
}

void insertRow(Database& db, const Stamp& stamp, const QString& category, const QString& key,
               const std::optional<QString>& before, const std::optional<QString>& after) {
    db.nativeExec(QStringLiteral("INSERT INTO t_SystemProfile_Audit (FTime, FUserID, FUserName, "
                                 "FMachineName, FIpAddress, FProgram, FCategory, FKey, "
                                 "FOldValue, FNewValue) VALUES (%1, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(db.dialect().currentDateTime()),
                  {stamp.userId, stamp.userName, stamp.machine, stamp.address, stamp.program,
                   category, key, textOrNull(before), textOrNull(after)});
}

QString cellText(const QVariant& value) {
    return value.toString();
}

// The recorded cells of every row, by row key ("FItemClassID=4,FSQLColumnName=FTaxRate").
using Rows = QMap<QString, QList<std::optional<QString>>>;

Rows readRows(Database& db, const AuditedTable& t) {
    const QStringList columns = t.keyColumns + t.valueColumns;
    const auto rows = db.nativeQuery(
        QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QStringLiteral(", ")), t.table));
    Rows out;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        QStringList key;
        for (int i = 0; i < t.keyColumns.size(); ++i) {
            key << t.keyColumns.at(i) + u'=' + cellText(rows->Field(i));
        }
        QList<std::optional<QString>> values;
        for (int i = 0; i < t.valueColumns.size(); ++i) {
            const QVariant v = rows->Field(int(t.keyColumns.size()) + i);
            values << (v.isValid() ? std::optional<QString>(cellText(v)) : std::nullopt);
        }
        out.insert(key.join(u','), values);
    }
    return out;
}

}  // namespace

QString writingProgram(const RefHost& host) {
    QString program = host.program();
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        const QWidget* modal = QApplication::activeModalWidget();
        if (modal && !modal->objectName().isEmpty()) program += u'/' + modal->objectName();
    }
    return program;
}

void auditedProfileWrite(RefHost& host, const QString& category, const QString& key,
                         const QString& text, bool readOnly) {
    Database& db = host.db();
    // A set that is read-only as a file refuses the write itself, as it always has.
    if (host.readOnly() && !db.readOnly()) {
        throw HostError(kAccountSetReadOnly, QStringLiteral("SystemProfile"),
                        host.readOnlyNotice());
    }
    const Stamp stamp = stampOf(host);
    const QString cat = category.trimmed();
    const QString name = key.trimmed();
    db.transaction([&] {
        // The old text is read by the insert itself: one round trip more per
        // write. A stored NULL reads as empty, as every reader sees it; only a
        // missing row leaves the old value NULL.
        db.nativeExec(
            QStringLiteral(
                "INSERT INTO t_SystemProfile_Audit (FTime, FUserID, FUserName, "
                "FMachineName, FIpAddress, FProgram, FCategory, FKey, FOldValue, "
                "FNewValue) VALUES (%1, ?, ?, ?, ?, ?, ?, ?, (SELECT COALESCE(FValue, '') FROM "
                "t_SystemProfile WHERE UPPER(FCategory) = UPPER(?) AND "
                "UPPER(FKey) = UPPER(?)), ?)")
                .arg(db.dialect().currentDateTime()),
            {stamp.userId, stamp.userName, stamp.machine, stamp.address, stamp.program, cat, name,
             cat, name, text});
        upsertProfile(db, cat, name, text, readOnly);
    });
}

void auditedRowsWrite(RefHost& host, const AuditedTable& table,
                      const std::function<void()>& write) {
    Database& db = host.db();
    const Stamp stamp = stampOf(host);
    db.transaction([&] {
        const Rows before = readRows(db, table);
        write();
        const Rows after = readRows(db, table);
        QStringList keys = before.keys() + after.keys();
        keys.removeDuplicates();
        keys.sort();
        for (const QString& rowKey : keys) {
            for (int i = 0; i < table.valueColumns.size(); ++i) {
                // A row that appears has no old value, one that goes no new one.
                const std::optional<QString> was =
                    before.contains(rowKey) ? before[rowKey].at(i) : std::nullopt;
                const std::optional<QString> is =
                    after.contains(rowKey) ? after[rowKey].at(i) : std::nullopt;
                if (was == is) continue;
                insertRow(db, stamp, table.table,
                          QStringLiteral("%1[%2]").arg(table.valueColumns.at(i), rowKey), was, is);
            }
        }
    });
}

QList<AuditRow> readAudit(Database& db, const AuditFilter& filter) {
    QString sql = QStringLiteral(
        "SELECT FID, FTime, FUserID, FUserName, FMachineName, FIpAddress, FProgram, FCategory, "
        "FKey, FOldValue, FNewValue FROM t_SystemProfile_Audit WHERE FID > ?");
    QVariantList binds{filter.afterId};
    if (!filter.since.isEmpty()) {
        sql += QStringLiteral(" AND FTime >= ?");
        binds << filter.since;
    }
    if (!filter.until.isEmpty()) {
        // Times are texts with milliseconds: everything before the next day
        // or second is up to and including the one named.
        const QDate day = QDate::fromString(filter.until, QStringLiteral("yyyy-MM-dd"));
        QDateTime second =
            QDateTime::fromString(filter.until, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        second.setTimeSpec(Qt::UTC);  // a text, not a moment: no clock change between
        const QString bound =
            day.isValid() ? day.addDays(1).toString(QStringLiteral("yyyy-MM-dd"))
                          : second.addSecs(1).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        sql += QStringLiteral(" AND FTime < ?");
        binds << bound;
    }
    if (!filter.user.isEmpty()) {
        sql += QStringLiteral(" AND UPPER(FUserName) = UPPER(?)");
        binds << filter.user;
    }
    if (!filter.key.isEmpty()) {
        QString key = filter.key;
        const qsizetype slash = key.indexOf(u'/');
        if (slash >= 0) {
            sql += QStringLiteral(" AND UPPER(FCategory) = UPPER(?)");
            binds << key.left(slash);
            key = key.mid(slash + 1);
        }
        // A key names a parameter, or a column of the rows of a table ("FCompanyName[...]").
        QString pattern = key;
        pattern.replace(u'!', QStringLiteral("!!"))
            .replace(u'%', QStringLiteral("!%"))
            .replace(u'_', QStringLiteral("!_"));
        sql +=
            QStringLiteral(" AND (UPPER(FKey) = UPPER(?) OR UPPER(FKey) LIKE UPPER(?) ESCAPE '!')");
        binds << key << pattern + QStringLiteral("[%");
    }
    sql += QStringLiteral(" ORDER BY FID");
    const auto rows = db.nativeQuery(sql, binds);
    QList<AuditRow> out;
    auto optionalText = [](const QVariant& v) {
        return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
    };
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        AuditRow r;
        r.id = rows->Field(0).toLongLong();
        r.time = rows->Field(1).toString();
        r.userId = rows->Field(2).toInt();
        r.userName = rows->Field(3).toString();
        r.machine = rows->Field(4).toString();
        r.address = rows->Field(5).toString();
        r.program = rows->Field(6).toString();
        r.category = rows->Field(7).toString();
        r.key = rows->Field(8).toString();
        r.before = optionalText(rows->Field(9));
        r.after = optionalText(rows->Field(10));
        out << r;
    }
    return out;
}

}  // namespace refhost
