#include <QDateTime>
#include <QUuid>

#include "lock/FunctionLock.h"
#include "sql/Database.h"

namespace refhost {

namespace {

// A DateTime column comes back as a date-time from a server and as the
// stored text from a file.
QString sinceText(const QVariant& value) {
    if (value.isNull()) return QString();
    if (value.metaType().id() == QMetaType::QDateTime) {
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return value.toString().left(19).replace(u'T', u' ');
}

}  // namespace

QList<LockRecord> readLockRecords(Database& db, const FunctionKey* key) {
    QString sql = QStringLiteral(
        "SELECT n.FFuncCode, n.FYear, n.FPeriod, n.FToken, n.FMachineName, n.FUserID, u.FName, "
        "n.FIpAddress, n.FPid, n.FSession, n.FSince "
        "FROM t_NetLock n LEFT JOIN t_User u ON u.FUserID = n.FUserID");
    QVariantList binds;
    if (key) {
        sql += QStringLiteral(" WHERE n.FFuncCode = ? AND n.FYear = ? AND n.FPeriod = ?");
        binds = {key->code.trimmed().toLower(), key->year, key->period};
    }
    sql += QStringLiteral(" ORDER BY n.FFuncCode, n.FYear, n.FPeriod");
    const auto rows = db.nativeQuery(sql, binds);
    QList<LockRecord> records;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        LockRecord r;
        r.key = {rows->Field(0).toString(), rows->Field(1).toInt(), rows->Field(2).toInt()};
        r.token = rows->Field(3).toString();
        r.machine = rows->Field(4).toString();
        r.userId = rows->Field(5).toInt();
        r.userName = rows->Field(6).toString();
        r.ipAddress = rows->Field(7).toString();
        r.pid = rows->Field(8).toLongLong();
        r.session = rows->Field(9).toLongLong();
        r.since = sinceText(rows->Field(10));
        records.append(r);
    }
    return records;
}

bool removeLockRecord(Database& db, const FunctionKey& key, const QString& token) {
    // A record from before tokens were kept has none; it is matched by its key.
    if (token.isEmpty()) {
        return db.nativeExec(QStringLiteral("DELETE FROM t_NetLock WHERE FFuncCode = ? AND "
                                            "FYear = ? AND FPeriod = ? AND FToken IS NULL"),
                             {key.code, key.year, key.period}) > 0;
    }
    return db.nativeExec(QStringLiteral("DELETE FROM t_NetLock WHERE FFuncCode = ? AND "
                                        "FYear = ? AND FPeriod = ? AND FToken = ?"),
                         {key.code, key.year, key.period, token}) > 0;
}

void removeGoneRecords(FunctionLock& lock, Database& db) {
    for (const LockRecord& r : lock.records()) {
        if (r.gone) removeLockRecord(db, r.key, r.token);
    }
}

QString holderText(const LockRecord& record) {
    return QStringLiteral("工作站 %1, 用户 %2, 进程 %3, 自 %4 起")
        .arg(record.machine, record.user(), QString::number(record.pid), record.since);
}

QString newLockToken() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

}  // namespace refhost
