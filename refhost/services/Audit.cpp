#include "services/Audit.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QWidget>

#include "services/ParamHistory.h"
#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "sql/Schema.h"
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

// The save a row of the audit belongs to: every row of one transaction
// carries the id of its first row. An account set whose audit has no such
// column yet gets it with its first write.
struct CurrentSave {
    qint64 transaction = 0;
    qint64 id = 0;
};
CurrentSave& currentSave() {
    static CurrentSave save;
    return save;
}

// Inserts one audit row. `oldValue` is the SQL of the old value, bound by
// the values after the stamp's, then the category, key and new value.
void insertAudit(Database& db, const Stamp& stamp, const QString& oldValue,
                 const QVariantList& oldBinds, const QString& category, const QString& key,
                 const QVariant& after) {
    addAuditSaveColumn(db);
    CurrentSave& save = currentSave();
    const bool sameSave = save.transaction == db.transactionSerial();
    QVariantList binds{
        stamp.userId, stamp.userName, stamp.machine, stamp.address, stamp.program, category, key};
    binds << oldBinds << after
          << (sameSave ? QVariant(save.id) : QVariant(QMetaType::fromType<qint64>()));
    const QString sql = QStringLiteral(
                            "INSERT INTO t_SystemProfile_Audit (FTime, FUserID, FUserName, "
                            "FMachineName, FIpAddress, FProgram, FCategory, FKey, FOldValue, "
                            "FNewValue, FSaveID) VALUES (%1, ?, ?, ?, ?, ?, ?, ?, %2, ?, ?)")
                            .arg(db.dialect().currentDateTime(), oldValue);
    if (sameSave) {
        db.nativeExec(sql, binds);
        return;
    }
    // The first row of a save: its own number becomes the save's.
    const auto inserted = db.nativeQuery(sql + QStringLiteral(" RETURNING FID"), binds);
    inserted->MoveFirst();
    const qint64 id = inserted->Field(0).toLongLong();
    db.nativeExec(QStringLiteral("UPDATE t_SystemProfile_Audit SET FSaveID = ? WHERE FID = ?"),
                  {id, id});
    save = {db.transactionSerial(), id};
}

void insertRow(Database& db, const Stamp& stamp, const QString& category, const QString& key,
               const std::optional<QString>& before, const std::optional<QString>& after) {
    insertAudit(db, stamp, QStringLiteral("?"), {textOrNull(before)}, category, key,
                textOrNull(after));
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

// A set that is read-only as a file refuses the write itself, as it always has.
static void refuseIfReadOnly(RefHost& host, Database& db) {
    if (host.readOnly() && !db.readOnly()) {
        throw HostError(kAccountSetReadOnly, QStringLiteral("SystemProfile"),
                        host.readOnlyNotice());
    }
}

void auditedProfileWrite(RefHost& host, const QString& category, const QString& key,
                         const QString& text, bool readOnly) {
    Database& db = host.db();
    refuseIfReadOnly(host, db);
    const Stamp stamp = stampOf(host);
    const QString cat = category.trimmed();
    const QString name = key.trimmed();
    db.transaction([&] {
        ensureHistoryIndex(db);
        // The old text is read by the insert itself. A stored NULL reads as
        // empty, as every reader sees it; only a missing row leaves the old
        // value NULL.
        insertAudit(db, stamp,
                    QStringLiteral("(SELECT COALESCE(FValue, '') FROM t_SystemProfile WHERE "
                                   "UPPER(FCategory) = UPPER(?) AND UPPER(FKey) = UPPER(?))"),
                    {cat, name}, cat, name, text);
        upsertProfile(db, cat, name, text, readOnly);
    });
}

void auditedProfileRemove(RefHost& host, const QString& category, const QString& key) {
    Database& db = host.db();
    refuseIfReadOnly(host, db);
    const Stamp stamp = stampOf(host);
    const QString cat = category.trimmed();
    const QString name = key.trimmed();
    db.transaction([&] {
        const std::optional<QString> before = readProfile(db, cat, name);
        if (!before) return;
        insertRow(db, stamp, cat, name, before, std::nullopt);
        db.nativeExec(QStringLiteral("DELETE FROM t_SystemProfile WHERE UPPER(FCategory) = "
                                     "UPPER(?) AND UPPER(FKey) = UPPER(?)"),
                      {cat, name});
    });
}

void auditedRowsWrite(RefHost& host, const AuditedTable& table,
                      const std::function<void()>& write) {
    Database& db = host.db();
    const Stamp stamp = stampOf(host);
    db.transaction([&] {
        ensureHistoryIndex(db);
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
    // An audit older than save ids has none to show.
    const bool saves =
        db.hasColumn(QStringLiteral("t_SystemProfile_Audit"), QStringLiteral("FSaveID"));
    QString sql = QStringLiteral(
                      "SELECT FID, FTime, FUserID, FUserName, FMachineName, FIpAddress, FProgram, "
                      "FCategory, FKey, FOldValue, FNewValue, %1 FROM t_SystemProfile_Audit "
                      "WHERE FID > ?")
                      .arg(saves ? QStringLiteral("FSaveID") : QStringLiteral("NULL"));
    QVariantList binds{filter.afterId};
    if (filter.saveId != 0) {
        sql += saves ? QStringLiteral(" AND FSaveID = ?") : QStringLiteral(" AND 1 = 0");
        if (saves) binds << filter.saveId;
    }
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
        r.saveId = rows->Field(11).toLongLong();
        out << r;
    }
    return out;
}

}  // namespace refhost
