// The network function lock on a server account set (ZX_TEST_PG): a helper
// process on another connection holds "pu08" while this one tries, commits
// it or is killed. Without a server the cases are skipped.

#include <signal.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>

#include "DemoSet.h"
#include "lock/FunctionLock.h"
#include "lock/PgAdvisoryLock.h"
#include "zx/host/Services.h"

using namespace zx::host;

class PgLockTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoSet> set_;

    qint32 take(qint16 year, qint16 period, const QString& code = QStringLiteral("pu08")) {
        return createObject<NetMutex>()
            ->TaskExec(set_->host->propsString(), 0, code, QStringLiteral("TEST"), 3, year, period,
                       std::nullopt)
            .toInt();
    }
    bool commit(qint32 handle) {
        return createObject<NetMutex>()->CommitTask(set_->host->propsString(), handle);
    }

    static QString readLine(QProcess& process) {
        const QDeadlineTimer deadline(30000);
        while (!process.canReadLine()) {
            if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
                return QString();
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    // Another workstation, as "editor", holding pu08 of 2024/3.
    bool startHolder(QProcess& process) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(ZX_PGLOCKHOLDER_PATH),
                      {set_->location(), "2024", "3", QStringLiteral("editor")});
        return process.waitForStarted(30000) && readLine(process).startsWith("LOCKED ");
    }
    static bool commitHolder(QProcess& holder) {
        holder.write("commit\n");
        return readLine(holder) == QStringLiteral("COMMITTED") && holder.waitForFinished(30000);
    }

private slots:
    void init() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        set_ = std::make_unique<DemoSet>(true, QStringLiteral("administrator"));
    }
    void cleanup() { set_.reset(); }

    void anotherWorkstationHoldsUntilItCommits() {
        QProcess holder;
        QVERIFY(startHolder(holder));
        QCOMPARE(take(2024, 3), 0);
        QCOMPARE(take(2024, 3, QStringLiteral("Pu08")), 0);  // codes ignore case
        const refhost::FunctionKey key{QStringLiteral("pu08"), 2024, 3};
        const QString who = refhost::functionLockFor(set_->db)->holderOf(key);
        QVERIFY2(who.contains(QStringLiteral("HOLDER")) && who.contains(QStringLiteral("editor")),
                 qPrintable(who));
        // Other periods and functions are free meanwhile.
        const qint32 other = take(2024, 4);
        QVERIFY(other > 0);
        QVERIFY(commit(other));

        QVERIFY(commitHolder(holder));
        QVERIFY(refhost::functionLockFor(set_->db)->holderOf(key).isEmpty());
        const qint32 mine = take(2024, 3);
        QVERIFY(mine > 0);
        QVERIFY(commit(mine));
    }

    void aKilledHolderFreesTheLockAtOnce() {
        QProcess holder;
        QVERIFY(startHolder(holder));
        QCOMPARE(take(2024, 3), 0);
        ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(holder.waitForFinished(30000));
        // The server ends the dead session as soon as it sees its socket
        // close; the lock is free from then on, without any clean-up by hand.
        QElapsedTimer clock;
        clock.start();
        qint32 mine = 0;
        while ((mine = take(2024, 3)) == 0 && clock.elapsed() < 20000) QThread::msleep(5);
        QVERIFY2(mine > 0, "the lock of the killed holder was still held after 20 s");
        QVERIFY(commit(mine));
    }

    void holdersInOneProcessExcludeEachOther() {
        // The server would grant one session the same lock twice.
        const qint32 first = take(2024, 3);
        QVERIFY(first > 0);
        QCOMPARE(take(2024, 3), 0);
        QVERIFY(!commit(first + 1000));
        QVERIFY(commit(first));
        QVERIFY(!commit(first));  // already given back
        // And given back really means free for another workstation.
        QProcess holder;
        QVERIFY(startHolder(holder));
        QVERIFY(commitHolder(holder));

        using refhost::PgAdvisoryLock;
        const auto key = [](const char* code, int year, int period) {
            return PgAdvisoryLock::lockKey({QString::fromLatin1(code), year, period});
        };
        QCOMPARE(key("pu08", 2024, 3), key(" PU08 ", 2024, 3));
        for (const auto other : {key("pu08", 2024, 4), key("pu08", 2023, 3), key("pu09", 2024, 3)})
            QVERIFY(key("pu08", 2024, 3) != other);
    }
};

QTEST_GUILESS_MAIN(PgLockTest)
#include "tst_pglock.moc"
