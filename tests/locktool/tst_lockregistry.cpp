// The held locks as the network control tool sees them, on a file or (with
// ZX_TEST_PG) on a server: holders in other processes with their user and
// workstation, holders that died, releasing with and without the right.

#include <QDateTime>
#include <QTest>

#include "Holder.h"
#include "lock/FunctionLock.h"
#include "lock/NetControl.h"
#include "sql/Schema.h"

using refhost::BreakOutcome;
using refhost::LockRecord;
using refhost::NetControl;

namespace {

std::optional<LockRecord> recordOf(NetControl& control, int year, int period) {
    for (const LockRecord& r : control.list()) {
        if (r.key.code == u"pu08" && r.key.year == year && r.key.period == period) return r;
    }
    return std::nullopt;
}

}  // namespace

class LockRegistryTest : public QObject {
    Q_OBJECT

private slots:
    void holdersAreListedWithUserAndWorkstation() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        const qint32 mine = takeHere(set, 2024, 4);
        QVERIFY(mine > 0);

        NetControl control(*set.host);
        const QList<LockRecord> records = control.list();
        QCOMPARE(records.size(), 2);
        const LockRecord& other = records.at(0);
        QCOMPARE(other.key.year, 2024);
        QCOMPARE(other.key.period, 3);
        QCOMPARE(other.user(), QStringLiteral("editor"));
        QCOMPARE(other.machine, QStringLiteral("HOLDER"));
        QCOMPARE(other.pid, holder.pid());
        QVERIFY(!other.gone);
        QVERIFY(!other.ownProcess);
        QVERIFY(!other.token.isEmpty());
        QString address;
        set.host->ReadTcp(QString(), address);  // the same machine: the same address
        QCOMPARE(other.ipAddress, address);
        const QDateTime since = QDateTime::fromString(other.since, u"yyyy-MM-dd HH:mm:ss");
        QVERIFY2(qAbs(since.secsTo(QDateTime::currentDateTime())) < 120, qPrintable(other.since));
        QCOMPARE(other.session > 0, set.db->onServer());

        const LockRecord& own = records.at(1);
        QCOMPARE(own.user(), QStringLiteral("administrator"));
        QVERIFY(own.ownProcess && !own.gone);
        // This process's own lock is given back by its own work only.
        QCOMPARE(control.release(own, true).outcome, BreakOutcome::OwnProcess);
        QVERIFY(commitHere(set, mine));

        QCOMPARE(holder.commit(), QStringLiteral("COMMITTED"));
        QVERIFY(control.list().isEmpty());
        const qint32 after = takeHere(set, 2024, 3);  // given back means free
        QVERIFY(after > 0);
        QVERIFY(commitHere(set, after));
    }

    // A holder that dies frees its lock at once: the next taker needs no
    // clean-up by hand, and the dead holder's record is then no longer there
    // to release.
    void aKilledHolderIsGoneAndItsLockFree() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        NetControl control(*set.host);
        QVERIFY(!recordOf(control, 2024, 3)->gone);
        QCOMPARE(takeHere(set, 2024, 3), 0);

        QVERIFY(holder.killHard());
        // A server notices the closed connection a moment later.
        QVERIFY(eventually([&] { return recordOf(control, 2024, 3)->gone; }));
        const LockRecord dead = *recordOf(control, 2024, 3);
        QCOMPARE(dead.machine, QStringLiteral("HOLDER"));
        qint32 mine = 0;
        QVERIFY(eventually([&] { return (mine = takeHere(set, 2024, 3)) > 0; }));
        QCOMPARE(control.release(dead, false).outcome, BreakOutcome::NotFound);
        QVERIFY(recordOf(control, 2024, 3)->ownProcess);
        QVERIFY(commitHere(set, mine));
    }

    void aLiveHolderLosesTheLockOnlyWhenConfirmed() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        NetControl control(*set.host);
        const LockRecord live = *recordOf(control, 2024, 3);
        QVERIFY(control.confirmation(live).contains(u"editor"));
        QVERIFY(control.confirmation(live).contains(u"HOLDER"));

        QCOMPARE(control.release(live, false).outcome, BreakOutcome::HolderLive);
        QCOMPARE(takeHere(set, 2024, 3), 0);
        QCOMPARE(recordOf(control, 2024, 3)->token, live.token);

        const NetControl::Result result = control.release(live, true);
        QCOMPARE(result.outcome, BreakOutcome::Broken);
        QVERIFY(result.released);
        const qint32 mine = takeHere(set, 2024, 3);
        QVERIFY2(mine > 0, "the lock was not free after it was released");

        // The holder that lost it cannot take it back from the new holder,
        // nor remove the new holder's record when it ends its work.
        holder.commit();
        const std::optional<LockRecord> now = recordOf(control, 2024, 3);
        QVERIFY(now && now->ownProcess && !now->gone);
        Holder late(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(!late.locked());
        QVERIFY(commitHere(set, mine));
        QVERIFY(control.list().isEmpty());
    }

    void anOlderSetGainsTheHolderColumns() {
        DemoSet set(true, QStringLiteral("administrator"));
        // The set as the previous version left it: no address, session or token.
        for (const char* column : {"FIpAddress", "FSession", "FToken"}) {
            set.db->nativeExec(QStringLiteral("ALTER TABLE t_NetLock DROP COLUMN ") +
                               QLatin1String(column));
        }
        set.db->nativeExec(QStringLiteral("UPDATE t_SchemaVersion SET FVersion = 1"));
        set.db->nativeExec(QStringLiteral(
            "INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, FUserID, FPid, "
            "FSince) VALUES ('pu08', 2024, 6, 'WS-V1', 1, 1, '2020-01-01 08:00:00')"));

        auto reopened = refhost::Database::open(set.location());
        QCOMPARE(refhost::schemaVersion(*reopened), refhost::kSchemaVersion);
        NetControl control(*set.host);
        const std::optional<LockRecord> old = recordOf(control, 2024, 6);
        QVERIFY(old && old->gone && old->token.isEmpty());
        QCOMPARE(old->machine, QStringLiteral("WS-V1"));
        QCOMPARE(control.release(*old, false).outcome, BreakOutcome::Cleared);
        QVERIFY(control.list().isEmpty());
        // And the lock works as before on the migrated table.
        const qint32 mine = takeHere(set, 2024, 6);
        QVERIFY(mine > 0);
        QVERIFY(!recordOf(control, 2024, 6)->token.isEmpty());
        QVERIFY(commitHere(set, mine));
    }
};

QTEST_GUILESS_MAIN(LockRegistryTest)
#include "tst_lockregistry.moc"
