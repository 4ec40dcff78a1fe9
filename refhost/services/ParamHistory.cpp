#include "ParamHistory.h"

#include <QMutex>
#include <QSet>
#include <algorithm>

#include "HostRef.h"
#include "RefHost.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "sql/Schema.h"
#include "zx/host/AuditServices.h"
#include "zx/host/HostError.h"
#include "zx/host/Services.h"

using namespace zx::host;

namespace refhost {

namespace {

constexpr qint16 kParameters = 18;
constexpr qint32 kViewRight = 1048576;

std::optional<QString> optionalText(const QVariant& v) {
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
}

// The rows of one parameter that changed it: a write of the same value
// records nothing worth showing. Written so both dialects take it.
const char* const kChanged =
    "FCategory = ? AND FKey = ? AND (FOldValue <> FNewValue OR "
    "(FOldValue IS NULL) <> (FNewValue IS NULL))";

class HostParamAudit : public ParamAudit {
public:
    explicit HostParamAudit(RefHost& host) : host_(host) {}

    QList<ParamChange> Changes(const QString& props, const QString& category, const QString& key,
                               qint64 olderThan, int count) override {
        mayLook(props, QStringLiteral("ParamAudit.Changes"));
        // Category and key are columns that ignore case, and indexed together
        // with the row's place: a page of one parameter's rows is found
        // without reading the others or the pages before it.
        // An older set records no save ids until its first audited write.
        const bool saves = host_->db().hasColumn(QStringLiteral("t_SystemProfile_Audit"),
                                                 QStringLiteral("FSaveID"));
        QVariantList binds{category.trimmed(), key.trimmed()};
        if (olderThan > 0) binds << olderThan;
        binds << std::max(count, 0);
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FID, FTime, FUserName, FMachineName, FIpAddress, FOldValue, "
                           "FNewValue, %1 FROM t_SystemProfile_Audit WHERE %2%3 "
                           "ORDER BY FID DESC LIMIT ?")
                .arg(saves ? QStringLiteral("FSaveID") : QStringLiteral("NULL"),
                     QLatin1String(kChanged),
                     olderThan > 0 ? QStringLiteral(" AND FID < ?") : QString()),
            binds);
        QList<ParamChange> out;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            out << ParamChange{rows->Field(0).toLongLong(),
                               rows->Field(1).toString(),
                               rows->Field(2).toString(),
                               rows->Field(3).toString(),
                               rows->Field(4).toString(),
                               optionalText(rows->Field(5)),
                               optionalText(rows->Field(6)),
                               rows->Field(7).isNull() ? QString() : rows->Field(7).toString()};
        }
        return out;
    }

    qint64 ChangeCount(const QString& props, const QString& category, const QString& key,
                       qint64 upTo) override {
        mayLook(props, QStringLiteral("ParamAudit.ChangeCount"));
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT COUNT(*) FROM t_SystemProfile_Audit WHERE %1 AND FID <= ?")
                .arg(QLatin1String(kChanged)),
            {category.trimmed(), key.trimmed(), upTo});
        rows->MoveFirst();
        return rows->Field(0).toLongLong();
    }

private:
    // The record names who worked where: as much as the parameters
    // themselves, it is for those who may look at them.
    void mayLook(const QString& props, const QString& source) {
        host_->checkProps(props, source);
        serviceAs<SecurityInfo>(host_->createObject(QString::fromLatin1(SecurityInfo::classId)),
                                QString::fromLatin1(SecurityInfo::classId))
            ->AccessCheck(props, kParameters, 0, kViewRight, true, QStringLiteral("查看"));
    }

    HostRef host_;
};

}  // namespace

void installParamHistoryService(RefHost& host) {
    host.registerFactory(QString::fromLatin1(ParamAudit::classId),
                         [&host] { return std::make_shared<HostParamAudit>(host); });
}

void ensureHistoryIndex(Database& db) {
    static QMutex mutex;
    static QSet<QString> looked;
    QMutexLocker lock(&mutex);
    if (looked.contains(db.location())) return;
    looked.insert(db.location());
    try {
        // A savepoint of its own: a server user who may write the parameters
        // but not add an index to the table still saves.
        db.transaction([&db] { db.nativeExec(auditKeyIndex(db.dialect())); });
    } catch (const HostError& error) {
        qWarning("audit index not made: %s", qPrintable(error.description()));
    }
}

}  // namespace refhost
