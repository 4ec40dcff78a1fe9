// Four workstations save the parameters of one server account set at the
// same time, each through the real executable's dialog (--script). The
// function lock must keep the saves apart: every save either completes or
// ends with a conflict message (the lock is held, or another workstation
// saved the same parameter since this one loaded it), no completed save
// loses a write, and no two saves interleave their writes. A trigger of the
// test records every write to t_SystemProfile in the order the server made
// them. Without a server (ZX_TEST_PG) the case is skipped.

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "DemoSet.h"

namespace {

// The function lock is held by another workstation's save.
const QRegularExpression kLockHeld(
    QStringLiteral("^\\[错误\\] 现在不能保存: 功能 系统参数保存 \\(pu08\\) "));
// A parameter this workstation changed was saved by another one meanwhile.
const QRegularExpression kChangedElsewhere(
    QStringLiteral("^\\[提示\\] 参数“.+”已被其他用户修改，请关闭后重新打开。$"));

constexpr int kWorkstations = 4;
constexpr int kRounds = 3;
// The parameters every save of this test changes, with the controls that hold them.
const QStringList kKeys = {"CompanyAddress", "CompanyPhone", "CompanyTax", "CompanyYHAccount"};

// One save as the server recorded its writes.
struct Save {
    int pid;
    QString tag;  // "-w-r"
    QStringList keys;
};

// A trigger records every write to t_SystemProfile in the server's order.
void recordWrites(DemoSet& set) {
    for (const char* sql :
         {"CREATE TABLE zx_test_writes (seq bigserial PRIMARY KEY, pid integer, fkey text, "
          "fvalue text)",
          "CREATE FUNCTION zx_test_write() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
          "INSERT INTO zx_test_writes (pid, fkey, fvalue) "
          "VALUES (pg_backend_pid(), NEW.fkey, NEW.fvalue); RETURN NEW; END $$",
          "CREATE TRIGGER zx_test_write AFTER INSERT OR UPDATE ON t_SystemProfile "
          "FOR EACH ROW EXECUTE FUNCTION zx_test_write()"}) {
        set.db->nativeExec(QString::fromUtf8(sql));
    }
}

// Workstation w sets every parameter to "Key-w-r" and saves, round r.
std::unique_ptr<QProcess> startStation(DemoSet& set, int w) {
    QString script;
    for (int r = 1; r <= kRounds; ++r) {
        for (const QString& key : kKeys) {
            script += QStringLiteral("set txt%1 %1-%2-%3\n").arg(key).arg(w).arg(r);
        }
        script += QStringLiteral("click btnSave\n");
    }
    QFile out(set.dir.filePath(QStringLiteral("station%1.txt").arg(w)));
    if (!out.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(out.fileName()));
    out.write(script.toUtf8());
    out.close();
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(SYSTEMSETTING_BIN), {"--db", set.location(), "--install",
                                                       set.installDir, "--script", out.fileName()});
    return process;
}

// The saves of one workstation that ended in a conflict message; nothing
// else may go wrong or be asked.
void countConflicts(QProcess& process, int& conflicts) {
    QVERIFY(process.waitForFinished(180000));
    QCOMPARE(process.exitCode(), 0);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (kLockHeld.match(line).hasMatch() || kChangedElsewhere.match(line).hasMatch()) {
            ++conflicts;
        } else {
            QVERIFY2(line.startsWith(QStringLiteral("[结果]")), qPrintable(line));
        }
    }
}

// The server's record of the writes, in order: whole saves, one after
// another, each starting with the address and made by one session.
void readSaves(DemoSet& set, QList<Save>& saves) {
    static const QRegularExpression tagOf(QStringLiteral("-\\d+-\\d+$"));
    const auto writes = set.db->nativeQuery(
        QStringLiteral("SELECT pid, fkey, fvalue FROM zx_test_writes ORDER BY seq"));
    for (writes->MoveFirst(); !writes->Eof(); writes->MoveNext()) {
        const int pid = writes->Field(0).toInt();
        const QString key = writes->Field(1).toString();
        const QString value = writes->Field(2).toString();
        if (key == kKeys.first()) saves.append({pid, tagOf.match(value).captured(0), {}});
        QVERIFY2(!saves.isEmpty() && saves.last().pid == pid,
                 qPrintable(key + QStringLiteral(" written inside another save")));
        if (kKeys.contains(key)) {
            QCOMPARE(value, key + saves.last().tag);
            saves.last().keys << key;
        }
    }
}

}  // namespace

class PgSavesTest : public QObject {
    Q_OBJECT

private slots:
    void concurrentSavesCompleteOrConflictWhole() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        DemoSet set;
        recordWrites(set);
        std::vector<std::unique_ptr<QProcess>> stations;
        for (int w = 1; w <= kWorkstations; ++w) stations.push_back(startStation(set, w));
        QMap<int, int> conflicts;
        for (int w = 1; w <= kWorkstations; ++w) {
            countConflicts(*stations[w - 1], conflicts[w]);
            if (QTest::currentTestFailed()) return;
        }
        QList<Save> saves;
        readSaves(set, saves);
        if (QTest::currentTestFailed()) return;

        QMap<int, QList<int>> saved;  // workstation: rounds whose save completed
        for (const Save& save : saves) {
            QStringList keys = save.keys;
            keys.sort();
            QCOMPARE(keys, kKeys);  // each once (kKeys is sorted)
            const QStringList parts = save.tag.split(QLatin1Char('-'));
            saved[parts.at(1).toInt()].append(parts.at(2).toInt());
        }
        int completed = 0;
        for (int w = 1; w <= kWorkstations; ++w) {
            // Every save not refused wrote all it changed, once.
            const QList<int> rounds = saved.value(w);
            QCOMPARE(rounds.size() + conflicts.value(w), kRounds);
            QCOMPARE(QSet<int>(rounds.begin(), rounds.end()).size(), rounds.size());
            completed += int(rounds.size());
        }
        QVERIFY(completed >= 1);
        qInfo("%d saves completed, %d refused", completed, kWorkstations * kRounds - completed);

        // What stays is the last save, whole.
        for (const QString& key : kKeys) {
            const auto row = set.db->nativeQuery(
                QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = 'General' "
                               "AND FKey = ?"),
                {key});
            QCOMPARE(row->Field(0).toString(), key + saves.last().tag);
        }
        // And no session holds a function lock any more, nor left its record.
        const auto locks = set.db->nativeQuery(QStringLiteral(
            "SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND granted AND "
            "database = (SELECT oid FROM pg_database WHERE datname = current_database())"));
        QCOMPARE(locks->Field(0).toInt(), 0);
        QCOMPARE(
            set.db->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_NetLock"))->Field(0).toInt(),
            0);
    }
};

QTEST_GUILESS_MAIN(PgSavesTest)
#include "tst_pgsaves.moc"
