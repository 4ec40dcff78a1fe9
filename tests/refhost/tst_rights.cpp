// Rights of the demo users on the system parameters, through SecurityInfo.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using zx::host::HostError;
using zx::host::SecurityInfo;

namespace {
constexpr qint32 kView = 1048576;
constexpr qint32 kModify = 2097152;
const QString kView_ = QStringLiteral("查看");
const QString kModify_ = QStringLiteral("修改");
}  // namespace

class RightsTest : public QObject {
    Q_OBJECT

    // Whether AccessCheck lets the user through, and the error text when not.
    static bool check(refhost::RefHost& host, qint32 mask, const QString& name, QString* error) {
        auto security = zx::host::createService<SecurityInfo>();
        try {
            return security->AccessCheck(host.propsString(), 18, 0, mask, true, name).toBool();
        } catch (const HostError& e) {
            if (error) *error = e.description();
            return false;
        }
    }

private slots:
    void administratorHoldsEveryRight() {
        DemoSet set(true, QStringLiteral("administrator"));
        QString error;
        QVERIFY(check(*set.host, kView, kView_, &error));
        QVERIFY(check(*set.host, kModify, kModify_, &error));
        QVERIFY(error.isEmpty());
        QVERIFY(zx::host::createService<SecurityInfo>()->IsAdministrator(set.host->propsString()));
    }

    void guestIsRefusedWithTheRightName() {
        DemoSet set(true, QStringLiteral("guest"));
        QString error;
        QVERIFY(!check(*set.host, kView, kView_, &error));
        QCOMPARE(error, QStringLiteral("您没有\"系统参数\"的查看权限, 请与系统管理员联系。"));
        QVERIFY(!check(*set.host, kModify, kModify_, &error));
        QCOMPARE(error, QStringLiteral("您没有\"系统参数\"的修改权限, 请与系统管理员联系。"));
        // Without the raise flag the answer is a plain False.
        auto security = zx::host::createService<SecurityInfo>();
        QCOMPARE(security->AccessCheck(set.host->propsString(), 18, 0, kView, false, kView_),
                 QVariant(false));
        QVERIFY(!security->IsAdministrator(set.host->propsString()));
    }

    void viewerMayViewButNotModify() {
        DemoSet set(true, QStringLiteral("viewer"));
        QString error;
        QVERIFY(check(*set.host, kView, kView_, &error));
        QVERIFY(!check(*set.host, kModify, kModify_, &error));
        QVERIFY(error.contains(kModify_));
        // Both bits asked at once need both.
        QVERIFY(!check(*set.host, kView | kModify, kModify_, nullptr));
    }

    void editorMayViewAndModify() {
        DemoSet set(true, QStringLiteral("editor"));
        QVERIFY(check(*set.host, kView, kView_, nullptr));
        QVERIFY(check(*set.host, kModify, kModify_, nullptr));
        QVERIFY(!zx::host::createService<SecurityInfo>()->IsAdministrator(set.host->propsString()));
        // A right on another object is not implied.
        auto security = zx::host::createService<SecurityInfo>();
        QVERIFY(
            !security->AccessCheck(set.host->propsString(), 18, 1, kView, false, kView_).toBool());
    }

    void propsOfAnotherAccountSetAreRefused() {
        DemoSet set(true, QStringLiteral("administrator"));
        QTemporaryDir otherDir;
        auto other = refhost::Database::openSqlite(otherDir.filePath(QStringLiteral("o.zxdb")));
        QString props = set.host->propsString();
        props.replace(set.db->location(), other->location());
        auto security = zx::host::createService<SecurityInfo>();
        QVERIFY_THROWS_EXCEPTION(HostError, security->IsAdministrator(props));
        QVERIFY_THROWS_EXCEPTION(HostError, security->IsAdministrator(QString()));
    }

    void unknownAndForbiddenUsersCannotLogIn() {
        DemoSet set;
        try {
            set.host->login(QStringLiteral("nobody"));
            QFAIL("an unknown user logged in");
        } catch (const HostError& e) {
            QCOMPARE(e.description(), QStringLiteral("用户不存在: nobody"));
        }
        set.db->nativeExec(
            QStringLiteral("UPDATE t_User SET FForbidden = 1 WHERE FName = 'editor'"));
        QVERIFY_THROWS_EXCEPTION(HostError, set.host->login(QStringLiteral("editor")));
    }
};

QTEST_GUILESS_MAIN(RightsTest)
#include "tst_rights.moc"
