#include "ParamHistory.h"

#include <QMutex>
#include <QSet>

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

class HostParamAudit : public ParamAudit {
public:
    explicit HostParamAudit(RefHost& host) : host_(host) {}

    QList<ParamChange> Changes(const QString& props, const QString& category,
                               const QString& key) override {
        const QString source = QStringLiteral("ParamAudit.Changes");
        host_->checkProps(props, source);
        // The record names who worked where: as much as the parameters
        // themselves, it is for those who may look at them.
        serviceAs<SecurityInfo>(host_->createObject(QString::fromLatin1(SecurityInfo::classId)),
                                QString::fromLatin1(SecurityInfo::classId))
            ->AccessCheck(props, kParameters, 0, kViewRight, true, QStringLiteral("查看"));
        // Category and key are columns that ignore case, and indexed together:
        // the rows of one parameter are found without reading the others.
        // An older set records no save ids until its first audited write.
        const bool saves = host_->db().hasColumn(QStringLiteral("t_SystemProfile_Audit"),
                                                 QStringLiteral("FSaveID"));
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FTime, FUserName, FMachineName, FIpAddress, FOldValue, "
                           "FNewValue, %1 FROM t_SystemProfile_Audit WHERE FCategory = ? AND "
                           "FKey = ? ORDER BY FID DESC")
                .arg(saves ? QStringLiteral("FSaveID") : QStringLiteral("NULL")),
            {category.trimmed(), key.trimmed()});
        QList<ParamChange> out;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            ParamChange change{rows->Field(0).toString(),
                               rows->Field(1).toString(),
                               rows->Field(2).toString(),
                               rows->Field(3).toString(),
                               optionalText(rows->Field(4)),
                               optionalText(rows->Field(5)),
                               rows->Field(6).isNull() ? QString() : rows->Field(6).toString()};
            if (change.before != change.after) out << change;
        }
        return out;
    }

private:
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
