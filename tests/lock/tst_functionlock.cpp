// The network function lock inside one process, through the host's services.
// Holders in other processes are the lock tool's tests (tests/locktool).

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "lock/FunctionLock.h"
#include "lock/LockServices.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

using namespace zx::host;
using namespace Qt::Literals::StringLiterals;

class FunctionLockTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;

    std::shared_ptr<NetMutex> mutex() {
        return serviceAs<NetMutex>(host_->createObject(u"NetMutex"_s), u"NetMutex"_s);
    }
    qint32 take(const QString& code, qint16 year, qint16 period) {
        return mutex()
            ->TaskExec(host_->propsString(), 0, code, u"WS-A"_s, 3, year, period, std::nullopt)
            .toInt();
    }
    bool commit(qint32 handle) { return mutex()->CommitTask(host_->propsString(), handle); }

private slots:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        db_ = refhost::Database::openSqlite(tmp_->filePath(u"set.zxdb"_s));
        host_ = std::make_unique<refhost::RefHost>(db_, tmp_->filePath(u"install"_s));
        refhost::installLockServices(*host_);
    }
    void cleanup() {
        host_.reset();
        db_.reset();
        tmp_.reset();
    }

    // One key excludes a second taker until it is given back; other codes,
    // years and periods are keys of their own; only a held handle releases.
    void eachKeyHasOneHolderAtATime() {
        QCOMPARE(commit(0), false);
        QCOMPARE(commit(-1), false);
        QCOMPARE(commit(987654), false);
        const qint32 held = take(u"pu08"_s, 2024, 3);
        QVERIFY(held >= 1);
        QCOMPARE(take(u"pu08"_s, 2024, 3), 0);
        QCOMPARE(take(u"PU08"_s, 2024, 3), 0);  // codes ignore case
        const qint32 otherPeriod = take(u"pu08"_s, 2024, 4);
        const qint32 otherYear = take(u"pu08"_s, 2025, 3);
        const qint32 otherCode = take(u"pu09"_s, 2024, 3);
        QCOMPARE((QSet<qint32>{held, otherPeriod, otherYear, otherCode}).size(), 4);
        QVERIFY(otherPeriod >= 1 && otherYear >= 1 && otherCode >= 1);

        QVERIFY(commit(otherPeriod));
        QCOMPARE(take(u"pu08"_s, 2024, 3), 0);  // the others stay held
        QCOMPARE(take(u"pu09"_s, 2024, 3), 0);
        for (qint32 h : {held, otherYear, otherCode}) QVERIFY(commit(h));
        QCOMPARE(commit(held), false);  // already released
        const qint32 again = take(u"pu08"_s, 2024, 3);
        QVERIFY(again >= 1);
        QVERIFY(commit(again));
        QVERIFY_THROWS_EXCEPTION(HostError, take(u"  "_s, 2024, 3));
    }

    void holderIsRecordedWhileHeld() {
        auto lock = refhost::functionLockFor(db_);
        const refhost::FunctionKey key{u"pu08"_s, 2024, 5};
        QCOMPARE(lock->holderOf(key), QString());
        auto infoRow = [&] {
            auto rows = db_->nativeQuery(
                u"SELECT FMachineName || '/' || FPid FROM t_NetLock WHERE FFuncCode = 'pu08' "
                u"AND FYear = 2024 AND FPeriod = 5"_s);
            return rows->RecordCount() == 0 ? QString() : rows->Field(0).toString();
        };

        // A row left by a holder that died is replaced, not a reason to refuse.
        db_->nativeExec(
            u"INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, FUserID, FPid, "
            u"FSince) VALUES ('pu08', 2024, 5, 'DEAD-WS', 0, 1, '2020-01-01 00:00:00')"_s);
        const qint32 held = take(u"pu08"_s, 2024, 5);
        QVERIFY(held >= 1);
        const QString pid = QString::number(QCoreApplication::applicationPid());
        QCOMPARE(infoRow(), u"WS-A/"_s + pid);
        QVERIFY(lock->holderOf(key).contains(u"WS-A"_s));
        QVERIFY(lock->holderOf(key).contains(pid));

        QVERIFY(commit(held));
        QCOMPARE(infoRow(), QString());
        QCOMPARE(lock->holderOf(key), QString());
    }

    void loginObjectSharesTheLock() {
        refhost::installLockServices(*host_, true);
        auto login = std::dynamic_pointer_cast<LoginObject>(host_->loginObject());
        QVERIFY(login);
        const qint32 held =
            login->TaskExec(0, u"pu08"_s, u"WS-B"_s, 3, 2024, 6, QVariant(1)).toInt();
        QVERIFY(held >= 1);
        QCOMPARE(take(u"pu08"_s, 2024, 6), 0);
        QCOMPARE(login->CommitTask(0), false);
        QVERIFY(login->CommitTask(held));
        QVERIFY(commit(take(u"pu08"_s, 2024, 6)));
    }

    void anotherAccountSetIsRefused() {
        const QString other = u"ConnectString={Provider=SQLite;Data Source=%1};"_s.arg(
            tmp_->filePath(u"other.zxdb"_s));
        QVERIFY_THROWS_EXCEPTION(
            HostError, mutex()->TaskExec(other, 0, u"pu08"_s, u"WS-A"_s, 3, 2024, 3, std::nullopt));
        const qint32 held = take(u"pu08"_s, 2024, 3);
        QVERIFY(held >= 1);  // the refused call took nothing
        QVERIFY_THROWS_EXCEPTION(HostError, mutex()->CommitTask(other, held));
        QVERIFY(commit(held));
    }
};

QTEST_GUILESS_MAIN(FunctionLockTest)
#include "tst_functionlock.moc"
