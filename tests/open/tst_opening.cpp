// The reference host opening an account set that another process holds or
// that can only be read, and carrying any folder name in the session string.
// The holder cases run on SQLite, and on a server with ZX_TEST_PG.

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include "DemoSet.h"
#include "WriteHolder.h"
#include "lock/FunctionLock.h"
#include "services/PropsString.h"
#include "sql/Schema.h"
#include "zx/host/Environment.h"
#include "zx/host/Services.h"

using refhost::Database;
using zx::host::HostError;

namespace {

// The error `work` raises; an empty error when it raises none.
template <typename Work>
HostError raised(Work work) {
    try {
        work();
    } catch (const HostError& error) {
        return error;
    }
    return HostError(0, QString(), QString());
}

QString storedName(Database& db) {
    const auto rows = db.nativeQuery(QStringLiteral(
        "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'General' AND FKey = 'CompanyName'"));
    rows->MoveFirst();
    return rows->Field(0).toString();
}

const QString kRename = QStringLiteral(
    "UPDATE t_SystemProfile SET FValue = '改名' WHERE FCategory = 'General' AND FKey = "
    "'CompanyName'");

}  // namespace

class OpeningTest : public QObject {
    Q_OBJECT

private slots:
    void anotherProcessHoldingTheSet() {
        DemoSet set;
        WriteHolder holder(set.location());
        QVERIFY(holder.holding());
        const bool server = !set.pgDatabase.isEmpty();
        auto namesHolder = [&](const QString& text) {
            return text.contains(server ? QStringLiteral("服务器会话")
                                        : QStringLiteral("(writeholder)"));
        };

        // Opening only reads, so it goes through.
        refhost::OpenOptions options;
        options.create = false;
        auto db = Database::open(set.location(), options);
        QCOMPARE(storedName(*db), QStringLiteral("演示科技有限公司"));

        // A write gives up after a short wait, in words that name the holder.
        const HostError write = raised([&] { db->nativeExec(kRename); });
        QCOMPARE(write.number(), refhost::kAccountSetBusy);
        QVERIFY2(namesHolder(write.description()), qPrintable(write.description()));

        // A save's function lock is its first write: refused, nothing written.
        const HostError save = raised([&] {
            refhost::functionLockFor(db)->tryAcquire({QStringLiteral("pu08"), 2024, 1},
                                                     {QStringLiteral("TEST"), 1, 1});
        });
        QVERIFY2(save.description().startsWith(QStringLiteral("现在不能保存: 账套正被")),
                 qPrintable(save.description()));
        QVERIFY(save.description().contains(QStringLiteral("本次保存没有写入任何内容")));
        QCOMPARE(db->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_NetLock"))->Field(0),
                 QVariant(0));

        // A start that must write waits, says who it waits for, and gives up.
        QStringList waitedFor;
        auto waiting = [&](const QString& who) { waitedFor << who; };
        const HostError gaveUp =
            raised([&] { db->patientTransaction([&] { db->nativeExec(kRename); }, waiting, 700); });
        QCOMPARE(gaveUp.number(), refhost::kAccountSetBusy);
        QVERIFY2(gaveUp.description().contains(QStringLiteral("后放弃")),
                 qPrintable(gaveUp.description()));
        QVERIFY(namesHolder(gaveUp.description()));
        QVERIFY(!waitedFor.isEmpty());
        QVERIFY2(namesHolder(waitedFor.first()), qPrintable(waitedFor.first()));

        // Once the holder is done the same start goes through.
        QVERIFY(holder.release());
        db->patientTransaction([&] { db->nativeExec(kRename); }, waiting, 700);
        QCOMPARE(storedName(*db), QStringLiteral("改名"));
    }

    void readOnlyFileGrantsOnlyViewing() {
        if (!qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("a file's permissions");
        DemoSet set;
        const QString path = set.location();
        set.host.reset();
        set.db.reset();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        auto restore =
            qScopeGuard([&] { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); });

        set.db = Database::openSqlite(path);
        // Marked read-only: the reason depends on whether this user could override it.
        QVERIFY(set.db->readOnly());
        const QString reason = set.db->readOnlyReason();
        set.host = std::make_unique<refhost::RefHost>(set.db, set.installDir);
        refhost::installStandardServices(*set.host);
        set.host->login(QStringLiteral("administrator"));
        QVERIFY(set.host->readOnlyNotice().contains(QStringLiteral("只能读取")));

        // Even the administrator may look and nothing more.
        auto security = zx::host::createService<zx::host::SecurityInfo>();
        const QString props = set.host->propsString();
        QVERIFY(!security->IsAdministrator(props));
        QVERIFY(
            security->AccessCheck(props, 18, 0, 1048576, true, QStringLiteral("查看")).toBool());
        QCOMPARE(security->AccessCheck(props, 18, 0, 2097152, false, QStringLiteral("修改")),
                 QVariant(false));
        const HostError modify = raised(
            [&] { security->AccessCheck(props, 18, 0, 2097152, true, QStringLiteral("修改")); });
        QVERIFY2(modify.description().startsWith(set.host->readOnlyNotice()),
                 qPrintable(modify.description()));

        const HostError write = raised([&] { set.db->nativeExec(kRename); });
        QCOMPARE(write.number(), refhost::kAccountSetReadOnly);
        QVERIFY(write.description().contains(reason));
        QCOMPARE(storedName(*set.db), QStringLiteral("演示科技有限公司"));
    }

    void anyFolderNameReachesTheHost_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("semicolon") << QStringLiteral("a;b");
        QTest::newRow("braces") << QStringLiteral("x}y{z");
        QTest::newRow("percent") << QStringLiteral("p%3Bq%");
        QTest::newRow("blank at the end") << QStringLiteral("账套 ");
    }
    void anyFolderNameReachesTheHost() {
        if (!qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("folders of a file");
        QFETCH(QString, folder);
        QTemporaryDir dir;
        auto db = Database::openSqlite(dir.filePath(folder + QStringLiteral("/set.zxdb")));
        refhost::RefHost host(db, dir.filePath(QStringLiteral("install")));
        refhost::installStandardServices(host);
        const QString props = host.propsString();
        QCOMPARE(refhost::PropsString(props).dataSource(), db->location());
        // The services that check the string accept it: a save's lock.
        auto mutex = zx::host::createObject<zx::host::NetMutex>();
        const qint32 handle = mutex
                                  ->TaskExec(props, 0, QStringLiteral("pu08"),
                                             QStringLiteral("TEST"), 3, 2024, 1, std::nullopt)
                                  .toInt();
        QVERIFY(handle >= 1);
        QVERIFY(mutex->CommitTask(props, handle));
    }
};

QTEST_GUILESS_MAIN(OpeningTest)
#include "tst_opening.moc"
