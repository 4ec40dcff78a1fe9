// The network control tool: the held locks it lists, on a file or (with
// ZX_TEST_PG) on a server, with the holders in other processes (the lock
// tests' helper), their users and workstations, holders that died, releasing
// with and without the right; through its API, its window driven by the
// controls' names, and the program's "locks" command.

#include <signal.h>

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QWheelEvent>
#include <functional>

#include "DemoSet.h"
#include "ProcessLines.h"
#include "lock/FunctionLock.h"
#include "lock/NetControl.h"
#include "sql/Schema.h"
#include "windows/frmNetControl.h"
#include "zx/host/Services.h"

using refhost::BreakOutcome;
using refhost::frmNetControl;
using refhost::LockRecord;
using refhost::NetControl;
using zx::host::MsgResult;

namespace {

// "pu08" of a period, held by the helper process logged in as `user`.
class Holder {
public:
    Holder(const DemoSet& set, int year, int period, const QString& user) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ZX_LOCKHOLDER_PATH),
                       {set.location(), QString::number(year), QString::number(period), user});
        if (process_.waitForStarted(30000)) locked_ = readLine().startsWith(u"LOCKED ");
    }
    ~Holder() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(30000);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool locked() const { return locked_; }
    qint64 pid() const { return process_.processId(); }

    // Dies without a chance to give anything back.
    bool killHard() {
        ::kill(pid_t(process_.processId()), SIGKILL);
        return process_.waitForFinished(30000);
    }

    // Gives the lock back and ends; the helper's last line.
    QString commit() {
        process_.write("commit\n");
        const QString line = readLine();
        process_.waitForFinished(30000);
        return line;
    }

private:
    QString readLine() { return zxtest::nextLine(process_, 30000); }

    QProcess process_;
    bool locked_ = false;
};

// Takes "pu08" of a period in this process: a handle, or 0 when refused.
inline qint32 takeHere(DemoSet& set, int year, int period) {
    return zx::host::createObject<zx::host::NetMutex>()
        ->TaskExec(set.host->propsString(), 0, QStringLiteral("pu08"), QStringLiteral("HERE"), 3,
                   qint16(year), qint16(period), std::nullopt)
        .toInt();
}

inline bool commitHere(DemoSet& set, qint32 handle) {
    return zx::host::createObject<zx::host::NetMutex>()->CommitTask(set.host->propsString(),
                                                                    handle);
}

// A holder that is gone: the row it left in t_NetLock, with no lock behind it.
inline void leaveRecord(DemoSet& set, int year, int period, const QString& machine,
                        const QString& token) {
    set.db->nativeExec(
        QStringLiteral("INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, FUserID, "
                       "FPid, FSince, FIpAddress, FSession, FToken) VALUES ('pu08', ?, ?, ?, "
                       "(SELECT FUserID FROM t_User WHERE FName = 'editor'), 1, "
                       "'2020-01-01 08:00:00', '10.0.0.9', 0, ?)"),
        {year, period, machine, token});
}

// Waits up to 20 s for a condition that another process brings about.
inline bool eventually(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(20000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

std::optional<LockRecord> recordOf(NetControl& control, int year, int period) {
    for (const LockRecord& r : control.list()) {
        if (r.key.code == u"pu08" && r.key.year == year && r.key.period == period) return r;
    }
    return std::nullopt;
}

template <class T>
T* c(frmNetControl& w, const char* name) {
    T* control = w.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

QString text(frmNetControl& w, int row, int column) {
    const QTableWidgetItem* item = c<QTableWidget>(w, "grdLocks")->item(row, column);
    return item ? item->text() : QString();
}

// The row of a period, -1 when it is not listed.
int rowOf(frmNetControl& w, int period) {
    auto* grid = c<QTableWidget>(w, "grdLocks");
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (text(w, row, 2) == QString::number(period)) return row;
    }
    return -1;
}

// Questions the window asks, answered as told.
struct Answers {
    explicit Answers(DemoSet& set) : set_(set) {
        set_.host->setAnswerHook([this](const QString& question, zx::host::MsgButtons,
                                        zx::host::MsgIcon) -> std::optional<MsgResult> {
            asked << question;
            return next;
        });
    }
    ~Answers() { set_.host->setAnswerHook({}); }
    QStringList asked;
    MsgResult next = MsgResult::No;

private:
    DemoSet& set_;
};

#ifdef SYSTEMSETTING_BIN
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

#endif

}  // namespace

class LockToolTest : public QObject {
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
        // A holder gone long ago leaves a row; the next lock given back takes it along.
        leaveRecord(set, 2023, 12, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));
        QVERIFY(recordOf(control, 2023, 12)->gone);
        QVERIFY(commitHere(set, mine));
        QVERIFY(!recordOf(control, 2023, 12));

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

    void listsAndReleasesLiveAndGoneHolders() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));
        leaveRecord(set, 2024, 5, QStringLiteral("WS-OLDER"), QStringLiteral("also-left"));

        frmNetControl w(*set.host);
        QCOMPARE(w.objectName(), QStringLiteral("frmNetControl"));
        QCOMPARE(w.windowTitle(), QStringLiteral("网络控制工具"));
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 3);
        const int live = rowOf(w, 3);
        const int gone = rowOf(w, 4);
        QCOMPARE(text(w, live, 0), QStringLiteral("系统参数保存 (pu08)"));
        QCOMPARE(text(w, live, 3), QStringLiteral("editor"));
        QCOMPARE(text(w, live, 4), QStringLiteral("HOLDER"));
        QCOMPARE(text(w, live, 6), QString::number(holder.pid()));
        QCOMPARE(text(w, live, 9), QStringLiteral("使用中"));
        QCOMPARE(text(w, gone, 4), QStringLiteral("WS-OLD"));
        QCOMPARE(text(w, gone, 5), QStringLiteral("10.0.0.9"));
        QCOMPARE(text(w, gone, 8), QStringLiteral("2020-01-01 08:00:00"));
        QCOMPARE(text(w, gone, 9), QStringLiteral("已断开"));
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"其中 2 个的持有者已不在"));

        // Nothing chosen: nothing to release, and the button says so.
        QVERIFY(!c<QPushButton>(w, "cmdRelease")->isEnabled());
        QVERIFY(c<QPushButton>(w, "cmdRelease")->toolTip().contains(u"选择"));

        // A gone holder's lock is cleared at once; a live one's only after
        // the question that names the user and the workstation.
        Answers answers(set);
        auto* grid = c<QTableWidget>(w, "grdLocks");
        auto* release = c<QPushButton>(w, "cmdRelease");
        grid->selectRow(gone);
        QVERIFY(release->isEnabled());
        release->click();
        QVERIFY(answers.asked.isEmpty());
        // The row released goes, and so does every other holder's that is gone.
        QCOMPARE(rowOf(w, 4), -1);
        QCOMPARE(rowOf(w, 5), -1);
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"已清除"));

        grid->selectRow(rowOf(w, 3));
        release->click();  // answered No
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY(answers.asked.at(0).contains(u"editor"));
        QVERIFY(answers.asked.at(0).contains(u"HOLDER"));
        QVERIFY(rowOf(w, 3) >= 0);
        QCOMPARE(takeHere(set, 2024, 3), 0);

        answers.next = MsgResult::Yes;
        grid->selectRow(rowOf(w, 3));
        release->click();
        QCOMPARE(answers.asked.size(), 2);
        QCOMPARE(grid->rowCount(), 0);
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"已释放"));
        const qint32 mine = takeHere(set, 2024, 3);
        QVERIFY(mine > 0);

        // 刷新 reads the locks again.
        c<QPushButton>(w, "cmdRefresh")->click();
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(text(w, 0, 4), QStringLiteral("HERE"));
        QVERIFY(commitHere(set, mine));
    }

    void aViewerSeesTheListButCannotRelease() {
        DemoSet set(true, QStringLiteral("viewer"));
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));
        frmNetControl w(*set.host);
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 1);
        c<QTableWidget>(w, "grdLocks")->selectRow(0);
        auto* release = c<QPushButton>(w, "cmdRelease");
        QVERIFY(!release->isEnabled());
        QVERIFY2(release->toolTip().contains(u"没有\"系统参数\"的修改权限"),
                 qPrintable(release->toolTip()));
        w.releaseChosen();  // as a script pressing it anyway would
        // Nor does the tool behind the window release for this user.
        refhost::NetControl control(*set.host);
        const refhost::NetControl::Result refused = control.release(control.list().at(0), true);
        QVERIFY(!refused.released);
        QCOMPARE(refused.message, control.releaseRefusal());
        w.refresh();
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 1);
    }

    void theWheelOverTheUnfocusedListScrollsNothing() {
        DemoSet set(true, QStringLiteral("administrator"));
        for (int period = 1; period <= 12; ++period) {
            leaveRecord(set, 2023, period, QStringLiteral("WS-OLD"), QString::number(period));
        }
        frmNetControl w(*set.host);
        auto* grid = c<QTableWidget>(w, "grdLocks");
        grid->setFixedHeight(grid->verticalHeader()->defaultSectionSize() * 4);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        c<QPushButton>(w, "cmdClose")->setFocus();
        QVERIFY(grid->verticalScrollBar()->maximum() > 0);

        auto turn = [&] {
            const QPointF at = grid->viewport()->rect().center();
            QWheelEvent wheel(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &wheel);
        };
        turn();
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        turn();
        QVERIFY(grid->verticalScrollBar()->value() > 0);
    }

#ifdef SYSTEMSETTING_BIN
    void listsAndReleasesAGoneHolderAtOnceAndALiveOneOnlyWithForce() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));

        const Run list = locks(set, {});
        QCOMPARE(list.exitCode, 0);
        const QString row = list.out.section(u'\n', 2, 2);  // after the title and the header
        for (const QString& part :
             {QStringLiteral("系统参数保存 (pu08)"), QStringLiteral("editor"),
              QStringLiteral("HOLDER"), QString::number(holder.pid()), QStringLiteral("使用中")}) {
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
#endif
};

QTEST_MAIN(LockToolTest)
#include "tst_locktool.moc"
