// Four workstations save the parameters of one server account set at the
// same time, each through the real executable's dialog (--script). The
// function lock must keep the saves apart: every save either completes or
// ends with a conflict message (the lock is held, or another workstation
// saved the same parameter since this one loaded it), no completed save
// loses a write, and no two saves interleave their writes. A trigger of the test records every
// write to t_SystemProfile in the order the server made them.
// Without a server (ZX_TEST_PG) the case is skipped.

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "DemoSet.h"

namespace {

const QString kConflict = QStringLiteral(
    "当前使用的功能与当前或其他用户有冲突,可能无法使用! "
    "请在软件的【系统工具】--【网络控制工具】中进行处理。");
// A parameter this workstation changed was saved by another one meanwhile.
const QRegularExpression kChangedElsewhere(
    QStringLiteral("^\\[提示\\] 参数“.+”已被其他用户修改，请关闭后重新打开。$"));

constexpr int kWorkstations = 4;
constexpr int kRounds = 3;

// The parameters every save of this test changes, with the controls that hold them.
const char* const kFields[][2] = {
    {"CompanyAddress", "txtCompanyAddress"},
    {"CompanyPhone", "txtCompanyPhone"},
    {"CompanyTax", "txtCompanyTax"},
    {"CompanyYHAccount", "txtCompanyYHAccount"},
};
constexpr int kFieldCount = int(std::size(kFields));

QString valueOf(int field, int workstation, int round) {
    return QStringLiteral("%1-%2-%3")
        .arg(QLatin1String(kFields[field][0]))
        .arg(workstation)
        .arg(round);
}

}  // namespace

class PgSavesTest : public QObject {
    Q_OBJECT

private slots:
    void concurrentSavesCompleteOrConflictWhole() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        DemoSet set;
        const QString url =
            refhost::PgUrl::parse(set.pgServer).withDatabase(set.pgDatabase).toString(true);
        set.db->nativeExec(
            QStringLiteral("CREATE TABLE zx_test_writes (seq bigserial PRIMARY KEY, pid integer, "
                           "fkey text, fvalue text)"));
        set.db->nativeExec(QStringLiteral(
            "CREATE FUNCTION zx_test_write() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            "INSERT INTO zx_test_writes (pid, fkey, fvalue) "
            "VALUES (pg_backend_pid(), NEW.fkey, NEW.fvalue); RETURN NEW; END $$"));
        set.db->nativeExec(
            QStringLiteral("CREATE TRIGGER zx_test_write AFTER INSERT OR UPDATE ON t_SystemProfile "
                           "FOR EACH ROW EXECUTE FUNCTION zx_test_write()"));

        std::vector<std::unique_ptr<QProcess>> stations;
        for (int w = 1; w <= kWorkstations; ++w) {
            QString script;
            for (int r = 1; r <= kRounds; ++r) {
                for (int f = 0; f < kFieldCount; ++f) {
                    script += QStringLiteral("set %1 %2\n")
                                  .arg(QLatin1String(kFields[f][1]), valueOf(f, w, r));
                }
                script += QStringLiteral("click btnSave\n");
            }
            const QString file = set.dir.filePath(QStringLiteral("station%1.txt").arg(w));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(script.toUtf8());
            out.close();
            auto process = std::make_unique<QProcess>();
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process->start(QStringLiteral(SYSTEMSETTING_BIN),
                           {QStringLiteral("--db"), url, QStringLiteral("--install"),
                            set.installDir, QStringLiteral("--script"), file});
            stations.push_back(std::move(process));
        }

        // Each workstation: its saves that ended in a conflict message.
        QMap<int, int> conflicts;
        int changedElsewhere = 0;
        for (int w = 1; w <= kWorkstations; ++w) {
            QProcess& process = *stations[w - 1];
            QVERIFY(process.waitForFinished(180000));
            const QString output = QString::fromUtf8(process.readAllStandardOutput());
            QCOMPARE(process.exitCode(), 0);
            for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line == QStringLiteral("[错误] ") + kConflict) {
                    ++conflicts[w];
                } else if (kChangedElsewhere.match(line).hasMatch()) {
                    ++conflicts[w];
                    ++changedElsewhere;
                } else {
                    // Nothing else may go wrong or be asked.
                    QVERIFY2(line.startsWith(QStringLiteral("[结果]")), qPrintable(line));
                }
            }
        }

        // The server's record of the writes of these parameters, in order:
        // whole saves, one after another.
        const auto writes = set.db->nativeQuery(QStringLiteral(
            "SELECT pid, fkey, fvalue FROM zx_test_writes "
            "WHERE fkey IN ('CompanyAddress', 'CompanyPhone', 'CompanyTax', 'CompanyYHAccount') "
            "ORDER BY seq"));
        QCOMPARE(writes->RecordCount() % kFieldCount, 0);
        static const QRegularExpression tag(QStringLiteral("-(\\d+)-(\\d+)$"));
        QMap<int, QList<int>> saved;  // workstation: rounds whose save completed
        QString lastTag;
        writes->MoveFirst();
        while (!writes->Eof()) {
            const int pid = writes->Field(0).toInt();
            QString saveTag;
            QSet<QString> keys;
            for (int f = 0; f < kFieldCount; ++f, writes->MoveNext()) {
                const QString value = writes->Field(2).toString();
                const QString thisTag = tag.match(value).captured(0);
                if (f == 0) saveTag = thisTag;
                QVERIFY2(thisTag == saveTag && writes->Field(0).toInt() == pid,
                         qPrintable(QStringLiteral("writes of two saves mixed: %1").arg(value)));
                QCOMPARE(value.left(value.size() - thisTag.size()), writes->Field(1).toString());
                keys.insert(writes->Field(1).toString());
            }
            QCOMPARE(keys.size(), kFieldCount);
            const auto m = tag.match(saveTag);
            saved[m.captured(1).toInt()].append(m.captured(2).toInt());
            lastTag = saveTag;
        }
        // Nor does any other parameter a save writes fall between the writes
        // of another: each save starts with the address and is one session's.
        const auto all = set.db->nativeQuery(
            QStringLiteral("SELECT pid, fkey FROM zx_test_writes ORDER BY seq"));
        int savePid = 0;
        for (all->MoveFirst(); !all->Eof(); all->MoveNext()) {
            if (all->Field(1).toString() == QLatin1String(kFields[0][0])) {
                savePid = all->Field(0).toInt();
            }
            QVERIFY2(all->Field(0).toInt() == savePid,
                     qPrintable(QStringLiteral("%1 written inside another save")
                                    .arg(all->Field(1).toString())));
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
        qInfo("%d saves completed, %d refused (%d as changed elsewhere)", completed,
              kWorkstations * kRounds - completed, changedElsewhere);

        // What stays is the last save, whole.
        for (int f = 0; f < kFieldCount; ++f) {
            const auto row = set.db->nativeQuery(
                QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = 'General' "
                               "AND FKey = ?"),
                {QLatin1String(kFields[f][0])});
            row->MoveFirst();
            QCOMPARE(row->Field(0).toString(), QLatin1String(kFields[f][0]) + lastTag);
        }
        // And no session holds a function lock any more.
        const auto locks = set.db->nativeQuery(QStringLiteral(
            "SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND granted AND "
            "database = (SELECT oid FROM pg_database WHERE datname = current_database())"));
        QCOMPARE(locks->Field(0).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(PgSavesTest)
#include "tst_pgsaves.moc"
