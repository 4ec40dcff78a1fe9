#pragma once

// The change-log viewer's world: a demo account set under the reference
// host, the log rows and per-user values written straight into it, and every
// text the host shows recorded.

#include <QStringList>
#include <QTest>

#include "DemoSet.h"
#include "zx/optlog/OptLogModel.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/session/Session.h"

struct ViewerSet {
    explicit ViewerSet(const QString& user = QStringLiteral("administrator")) : set(true, user) {
        zx::ResetSessionCaches();
        set.host->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind != QLatin1String("answer")) shown << kind + QLatin1Char(':') + text;
        });
    }
    ~ViewerSet() { zx::ResetSessionCaches(); }

    // A new host on the same account set, as after a restart of the program.
    void restart(const QString& user) {
        zx::ResetSessionCaches();
        set.host.reset();
        set.host = std::make_unique<refhost::RefHost>(set.db, set.installDir);
        refhost::installStandardServices(*set.host);
        set.host->login(user);
    }

    qint64 userId(const QString& name) {
        return set.db
            ->nativeQuery(QStringLiteral("SELECT FUserID FROM t_User WHERE FName = ?"), {name})
            ->Field(0)
            .toLongLong();
    }

    // One log row; returns its FID.
    qint64 log(const QString& time, const QVariant& user, const QString& key = "MoCheckQty",
               const QString& desc = "说明", const QString& orig = "不启用",
               const QString& now = "启用") {
        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey, "
                           "FDesc, FOrigValue, FNewValue, FMachineName, FIpAddress) "
                           "VALUES (?, ?, 'IC', ?, ?, ?, ?, 'WS-01', '192.0.2.7')"),
            {time, user, key, desc, orig, now});
        return set.db->nativeQuery(QStringLiteral("SELECT MAX(FID) FROM t_SystemProfile_Log"))
            ->Field(0)
            .toLongLong();
    }

    // `rows` log rows at `time`, one statement for them all, each with its
    // own key, description and values; users by turn.
    void logMany(int rows, const QString& time) {
        set.db->nativeExec(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey, FDesc, "
                "FOrigValue, FNewValue, FMachineName, FIpAddress) "
                "SELECT ?, 1 + i % 3, 'IC', 'Key' || i, 'Desc ' || i, 'was ' || i, 'is ' || i, "
                "'WS-' || (i % 7), '192.0.2.' || (i % 50) FROM n"),
            {rows - 1, time});
    }

    // The viewer's remembered values of the logged-in user.
    QString profile(const QString& key) {
        auto rs = set.db->nativeQuery(
            QStringLiteral("SELECT FValue FROM t_UserProfile WHERE FUserID = ? AND FComponent = ? "
                           "AND FForm = ? AND FKey = ?"),
            {set.host->user().id, zx::optlog::frmOptLog::kComponent, zx::optlog::frmOptLog::kForm,
             key});
        return rs->RecordCount() == 0 ? QString() : rs->Field(0).toString();
    }
    void setProfile(const QString& key, const QString& value) {
        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_UserProfile (FUserID, FComponent, FForm, FKey, FValue) "
                           "VALUES (?, ?, ?, ?, ?)"),
            {set.host->user().id, zx::optlog::frmOptLog::kComponent, zx::optlog::frmOptLog::kForm,
             key, value});
    }
    void setFontSize(const QString& value) {
        set.db->nativeExec(QStringLiteral("INSERT INTO t_UserSetting (FUserID, FCategory, FKey, "
                                          "FValue) VALUES (?, 'QOR_APFC', 'RptFontSize', ?)"),
                           {set.host->user().id, value});
    }

    QStringList shownOf(const QString& kind) const {
        QStringList out;
        for (const QString& s : shown) {
            if (s.startsWith(kind + QLatin1Char(':'))) out << s.mid(kind.size() + 1);
        }
        return out;
    }

    DemoSet set;
    QStringList shown;
};

// The texts of one grid column, top to bottom.
inline QStringList columnTexts(const zx::optlog::frmOptLog& viewer, int column) {
    QStringList out;
    for (int row = 0; row < viewer.model()->rowCount(); ++row) {
        out << viewer.model()->text(row, column);
    }
    return out;
}
