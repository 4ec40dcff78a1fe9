#include <QTest>

#include "ScriptedHost.h"
#include "zx/host/Services.h"
#include "zx/session/MNetControl.h"

using namespace zx;
using zx::host::HostError;

namespace {

const QString kProps = QStringLiteral("Data Source=acct1;UserID=7;");

QString describe(const std::optional<QVariant>& extra) {
    return extra ? QStringLiteral("|extra=") + extra->toString() : QString();
}

// Both lock providers record their calls as "Op:arg|arg|..." with the
// argument types the host receives.
class ScriptedLogin : public host::LoginObject {
public:
    QStringList calls;
    QVariant result = 1;
    QVariant TaskExec(qint32 taskId, const QString& code, const QString& machine, qint16 mode,
                      qint16 year, qint16 period, std::optional<QVariant> extra) override {
        calls << QStringLiteral("TaskExec:%1|%2|%3|%4|%5|%6")
                         .arg(taskId)
                         .arg(code, machine)
                         .arg(mode)
                         .arg(year)
                         .arg(period) +
                     describe(extra);
        return result;
    }
    bool CommitTask(qint32 handle) override {
        calls << QStringLiteral("CommitTask:%1").arg(handle);
        return true;
    }
};

class ScriptedMutex : public host::NetMutex {
public:
    QStringList calls;
    QVariant result = 1;
    bool commitResult = true;
    bool commitThrows = false;
    QVariant TaskExec(const QString& props, qint32 taskId, const QString& code,
                      const QString& machine, qint16 mode, qint16 year, qint16 period,
                      std::optional<QVariant> extra) override {
        calls << QStringLiteral("TaskExec:%1|%2|%3|%4|%5|%6|%7")
                         .arg(props)
                         .arg(taskId)
                         .arg(code, machine)
                         .arg(mode)
                         .arg(year)
                         .arg(period) +
                     describe(extra);
        return result;
    }
    bool CommitTask(const QString& props, qint32 handle) override {
        calls << QStringLiteral("CommitTask:%1|%2").arg(props).arg(handle);
        if (commitThrows) throw HostError(5, "NetMutex", "释放失败");
        return commitResult;
    }
};

struct LockHost {
    zxtest::ScriptedHost host;
    std::shared_ptr<ScriptedMutex> mutex = std::make_shared<ScriptedMutex>();
    std::shared_ptr<ScriptedLogin> login = std::make_shared<ScriptedLogin>();

    explicit LockHost(bool withLogin) {
        host.properties.insert("PropsString", kProps);
        host.machineName = QStringLiteral("  ws-07 ");
        host.provide(mutex);
        if (withLogin) {
            host.properties.insert("QORLogin", QVariant::fromValue<host::ServicePtr>(login));
        }
    }
};

}  // namespace

class NetControlTest : public QObject {
    Q_OBJECT

private slots:
    // The network mutex gets the property string first; the login object,
    // when the host has one, is used instead. Both get the trimmed machine
    // name and mode 3, and a refusal (0) raises the conflict error.
    void eachProviderTakesAndGivesBack() {
        for (const bool withLogin : {false, true}) {
            LockHost env(withLogin);
            const QString props = withLogin ? QString() : kProps + u'|';
            QStringList& calls = withLogin ? env.login->calls : env.mutex->calls;
            const qint32 handle = withLogin ? 7 : 1;  // 1 is a valid handle
            (withLogin ? env.login->result : env.mutex->result) = handle;
            MNetControl::LockHandle() = MNetControl::ExecFunc(0, "pu08", 2024, 5);
            QCOMPARE(MNetControl::LockHandle(), handle);
            MNetControl::ExecFunc(3, "ic01", 2025, 12, QVariant(9));
            QVERIFY(MNetControl::CommitTask(MNetControl::LockHandle()));
            QCOMPARE(MNetControl::LockHandle(), 0);
            QCOMPARE(calls, QStringList({"TaskExec:" + props + "0|pu08|ws-07|3|2024|5",
                                         "TaskExec:" + props + "3|ic01|ws-07|3|2025|12|extra=9",
                                         "CommitTask:" + props + QString::number(handle)}));
            if (withLogin) {
                QCOMPARE(env.host.count("create:NetMutex") + env.host.count("factory:NetMutex"), 0);
            }

            env.mutex->result = 0;
            env.login->result = 0;
            try {
                MNetControl::ExecFunc(0, "pu08", 2024, 5);
                QFAIL("a refused lock must raise");
            } catch (const HostError& error) {
                QCOMPARE(error.number(), 16390);
                QCOMPARE(error.source(), QString("MNetControl.ExecFunc"));
                QCOMPARE(error.description(),
                         QString("当前使用的功能与当前或其他用户有冲突,可能无法使用! "
                                 "请在软件的【系统工具】--【网络控制工具】中进行处理。"));
            }
        }
    }

    // No handle: no host call; a failed or refused commit keeps the handle.
    void aCommitThatFailsKeepsTheHandle() {
        LockHost env(false);
        qint32 handle = 0;
        QVERIFY(!MNetControl::CommitTask(handle));
        QVERIFY(env.host.calls.isEmpty());
        handle = 5;
        env.mutex->commitThrows = true;
        QVERIFY(!MNetControl::CommitTask(handle));
        QCOMPARE(handle, 5);
        env.mutex->commitThrows = false;
        env.mutex->commitResult = false;
        QVERIFY(!MNetControl::CommitTask(handle));
        QCOMPARE(handle, 5);
    }

    void lockMachineName() {
        LockHost env(false);
        QCOMPARE(MNetControl::GetLockMachineName(), QString("ws-07"));
        env.host.machineName.reset();
        QCOMPARE(MNetControl::GetLockMachineName(), QString("NoName"));
        env.host.machineName = QString(40, QLatin1Char('w'));  // does not fit the name buffer
        QCOMPARE(MNetControl::GetLockMachineName(), QString("NoName"));
    }
};

QTEST_MAIN(NetControlTest)
#include "test_netcontrol.moc"
