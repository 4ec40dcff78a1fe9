// The network function lock between two operating-system processes on one
// SQLite account set: a helper process holds "pu08" while this one tries.

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

#include "lock/LockServices.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

using namespace zx::host;
using namespace Qt::Literals::StringLiterals;

class LockProcessesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;

    QString dbPath() const { return tmp_->filePath(u"set.zxdb"_s); }

    qint32 take(qint16 year, qint16 period) {
        auto mutex = createObject<NetMutex>();
        return mutex
            ->TaskExec(host_->propsString(), 0, u"pu08"_s, u"TEST"_s, 3, year, period, std::nullopt)
            .toInt();
    }

    bool commit(qint32 handle) {
        return createObject<NetMutex>()->CommitTask(host_->propsString(), handle);
    }

    // The next line the helper prints, empty when none comes.
    static QString readLine(QProcess& process) {
        const QDeadlineTimer deadline(20000);
        while (!process.canReadLine()) {
            if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
                return QString();
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }

    static bool startHolder(QProcess& process, const QString& db, int year, int period) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(ZX_LOCKHOLDER_PATH),
                      {db, QString::number(year), QString::number(period)});
        if (!process.waitForStarted(20000)) return false;
        return readLine(process).startsWith(u"LOCKED "_s);
    }

private slots:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        db_ = refhost::Database::openSqlite(dbPath());
        host_ = std::make_unique<refhost::RefHost>(db_, tmp_->filePath(u"install"_s));
        refhost::installLockServices(*host_);
    }

    void cleanup() {
        host_.reset();
        db_.reset();
        tmp_.reset();
    }

    void holderInAnotherProcessExcludesUntilCommit() {
        QProcess holder;
        QVERIFY(startHolder(holder, dbPath(), 2024, 3));

        QCOMPARE(take(2024, 3), 0);
        const qint32 otherPeriod = take(2024, 4);  // only the same period conflicts
        QVERIFY(otherPeriod >= 1);
        QVERIFY(commit(otherPeriod));

        holder.write("commit\n");
        QCOMPARE(readLine(holder), u"COMMITTED"_s);
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitCode(), 0);

        const qint32 mine = take(2024, 3);
        QVERIFY(mine >= 1);

        // Now the helper is the one refused.
        QProcess refused;
        refused.start(QStringLiteral(ZX_LOCKHOLDER_PATH), {dbPath(), u"2024"_s, u"3"_s});
        QVERIFY(refused.waitForStarted(20000));
        QCOMPARE(readLine(refused), u"REFUSED"_s);
        QVERIFY(refused.waitForFinished(20000));
        QVERIFY(commit(mine));
    }

    void killedHolderDoesNotLockOthersOut() {
        QProcess holder;
        QVERIFY(startHolder(holder, dbPath(), 2024, 3));
        QCOMPARE(take(2024, 3), 0);

        holder.kill();  // SIGKILL: no chance to release anything
        QVERIFY(holder.waitForFinished(20000));

        qint32 handle = 0;
        const QDeadlineTimer deadline(5000);
        while ((handle = take(2024, 3)) == 0 && !deadline.hasExpired()) QThread::msleep(100);
        QVERIFY2(handle >= 1, "the lock of the killed holder was not recovered within 5 s");
        QVERIFY(commit(handle));
    }
};

QTEST_GUILESS_MAIN(LockProcessesTest)
#include "tst_lockprocesses.moc"
