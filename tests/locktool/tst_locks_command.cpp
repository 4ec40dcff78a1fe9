// systemsetting locks, run as a user runs it, on a DemoSet's account set
// (a file, or a server database with ZX_TEST_PG).

#include <QProcess>
#include <QTest>

#include "Holder.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run locks(const DemoSet& set, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SYSTEMSETTING_BIN),
            QStringList{QStringLiteral("locks"), QStringLiteral("--db"), set.location(),
                        QStringLiteral("--install"), set.installDir} +
                args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class LocksCommandTest : public QObject {
    Q_OBJECT

private slots:
    void listsAndReleasesAGoneHolderAtOnceAndALiveOneOnlyWithForce() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));

        const Run list = locks(set, {});
        QCOMPARE(list.exitCode, 0);
        const QString row = list.out.section(u'\n', 2, 2);  // after the title and the header
        for (const QString& part :
             {QStringLiteral("pu08"), QStringLiteral("editor"), QStringLiteral("HOLDER"),
              QString::number(holder.pid()), QStringLiteral("使用中")}) {
            QVERIFY2(row.contains(part), qPrintable(list.out));
        }
        const QString gone = list.out.section(u'\n', 3, 3);
        QVERIFY2(gone.contains(u"WS-OLD") && gone.contains(u"已断开"), qPrintable(list.out));

        // A holder that is gone is released without --force.
        const Run cleared = locks(set, {"--release", "2"});
        QCOMPARE(cleared.exitCode, 0);
        QVERIFY2(cleared.out.contains(u"已清除"), qPrintable(cleared.out + cleared.err));

        const Run viewer = locks(set, {"--user", "viewer", "--release", "1", "--force"});
        QCOMPARE(viewer.exitCode, 1);
        QVERIFY2(viewer.err.contains(u"没有\"系统参数\"的修改权限"), qPrintable(viewer.err));

        const Run unforced = locks(set, {"--release", "1"});
        QCOMPARE(unforced.exitCode, 1);
        QVERIFY(unforced.err.contains(u"editor") && unforced.err.contains(u"HOLDER"));
        QVERIFY(unforced.err.contains(u"--force"));
        QCOMPARE(takeHere(set, 2024, 3), 0);  // still held after both refusals

        const Run forced = locks(set, {"--release", "PU08/2024/3", "--force"});
        QCOMPARE(forced.exitCode, 0);
        QVERIFY2(forced.out.contains(u"已释放") && forced.out.contains(u"editor"),
                 qPrintable(forced.out + forced.err));
        const qint32 mine = takeHere(set, 2024, 3);
        QVERIFY(mine > 0);
        QVERIFY(commitHere(set, mine));
        QVERIFY(locks(set, {}).out.contains(u"没有被占用的功能"));
    }

    void badArgumentsChangeNothing() {
        DemoSet set(true, QStringLiteral("administrator"));
        QCOMPARE(locks(set, {"--force"}).exitCode, 2);
        QCOMPARE(locks(set, {"--window", "--release", "1"}).exitCode, 2);
        const Run nothing = locks(set, {"--release", "7"});
        QCOMPARE(nothing.exitCode, 1);
        QVERIFY(nothing.err.contains(u"没有 7 这个锁"));

        // A set that is not there is not made by looking at its locks.
        QProcess p;
        const QString missing = set.dir.filePath(QStringLiteral("missing.zxdb"));
        p.start(QStringLiteral(SYSTEMSETTING_BIN),
                {"locks", "--db", missing, "--install", set.installDir});
        p.waitForFinished(120000);
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_GUILESS_MAIN(LocksCommandTest)
#include "tst_locks_command.moc"
