// Rights of the demo users on the system parameters, through SecurityInfo,
// and who may log in at all.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using zx::host::HostError;
using zx::host::SecurityInfo;

namespace {
constexpr qint32 kView = 1048576;
constexpr qint32 kModify = 2097152;
const QString kRefused = QStringLiteral("您没有\"系统参数\"的%1权限, 请与系统管理员联系。");
}  // namespace

class RightsTest : public QObject {
    Q_OBJECT

private slots:
    void eachDemoUsersRights_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("view");
        QTest::addColumn<bool>("modify");
        QTest::addColumn<bool>("administrator");
        QTest::newRow("administrator") << "administrator" << true << true << true;
        QTest::newRow("editor") << "editor" << true << true << false;
        QTest::newRow("viewer") << "viewer" << true << false << false;
        QTest::newRow("guest") << "guest" << false << false << false;
    }
    void eachDemoUsersRights() {
        QFETCH(QString, user);
        QFETCH(bool, view);
        QFETCH(bool, modify);
        DemoSet set(true, user);
        const QString props = set.host->propsString();
        auto security = zx::host::createService<SecurityInfo>();
        QTEST(security->IsAdministrator(props), "administrator");
        // Asked to raise, a refusal is an error naming the right.
        const auto refusal = [&](qint32 mask, const QString& name) {
            try {
                const bool ok = security->AccessCheck(props, 18, 0, mask, true, name).toBool();
                return ok ? QString() : QStringLiteral("False");
            } catch (const HostError& e) {
                return e.description();
            }
        };
        QCOMPARE(refusal(kView, "查看"), view ? QString() : kRefused.arg("查看"));
        QCOMPARE(refusal(kModify, "修改"), modify ? QString() : kRefused.arg("修改"));
        // Both bits asked at once need both; otherwise the answer is a plain False.
        QCOMPARE(security->AccessCheck(props, 18, 0, kView | kModify, false, "修改").toBool(),
                 view && modify);
        // A right on another object is not implied.
        QCOMPARE(security->AccessCheck(props, 18, 1, kView, false, "查看").toBool(),
                 user == "administrator");
    }

    void foreignPropsAndUnknownOrForbiddenUsersAreRefused() {
        DemoSet set(true, QStringLiteral("administrator"));
        QTemporaryDir otherDir;
        auto other = refhost::Database::openSqlite(otherDir.filePath(QStringLiteral("o.zxdb")));
        QString props = set.host->propsString();
        props.replace(set.db->location(), other->location());
        auto security = zx::host::createService<SecurityInfo>();
        QVERIFY_THROWS_EXCEPTION(HostError, security->IsAdministrator(props));
        QVERIFY_THROWS_EXCEPTION(HostError, security->IsAdministrator(QString()));

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
