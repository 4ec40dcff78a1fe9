// A save ended by force at any of its writes leaves the account set as it
// was before the save or as after it, never a mix of both. The save runs in
// the executable, which waits before each write until told to go on
// (ZX_TEST_WRITE_GATE); the test kills it at one write after another. With
// ZX_TEST_PG the account set is on the PostgreSQL server.

#include <QProcess>
#include <QTemporaryFile>
#include <QThread>
#include <QtTest>

#include "DemoSet.h"
#include "ProcessLines.h"

namespace {

// The boxes every round changes, with the parameters they hold.
struct Box {
    const char* control;
    const char* key;
};
const Box kBoxes[] = {{"txtCompanyName", "CompanyName"},
                      {"txtCompanyAddress", "CompanyAddress"},
                      {"txtFax", "Fax"},
                      {"txtEMail", "EMail"},
                      {"txtCompanyPhone", "CompanyPhone"}};

QString valueOf(const Box& box, int round) {
    return QStringLiteral("%1-%2").arg(QLatin1String(box.key)).arg(round);
}

// What a kill may leave: each box's parameter, and the name in the register.
QStringList state(DemoSet& set) {
    QStringList out;
    for (const Box& box : kBoxes) {
        const auto rs = set.db->nativeQuery(
            QStringLiteral(
                "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'General' AND FKey = ?"),
            {QLatin1String(box.key)});
        out << (rs->RecordCount() > 0 ? (rs->MoveFirst(), rs->Field(0).toString()) : QString());
    }
    const auto name =
        set.db->nativeQuery(QStringLiteral("SELECT FCompanyName FROM t_ad_zxAccount_gl"));
    name->MoveFirst();
    out << name->Field(0).toString();
    return out;
}

QStringList stateAfter(int round) {
    QStringList out;
    for (const Box& box : kBoxes) out << valueOf(box, round);
    out << valueOf(kBoxes[0], round);
    return out;
}

class Station {
public:
    Station(DemoSet& set, int round) {
        QVERIFY(script_.open());
        for (const Box& box : kBoxes) {
            script_.write(QStringLiteral("set %1 %2\n")
                              .arg(QLatin1String(box.control), valueOf(box, round))
                              .toUtf8());
        }
        script_.write("click btnSave\n");
        script_.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZX_TEST_WRITE_GATE"), QStringLiteral("1"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral(SYSTEMSETTING_BIN),
                       {QStringLiteral("--db"), set.location(), QStringLiteral("--install"),
                        set.installDir, QStringLiteral("--script"), script_.fileName()});
    }

    // The text of the next write the process is about to make; empty when
    // it has ended. Other output is kept.
    QString nextWrite() {
        for (int quiet = 0; quiet < 3;) {
            const QString line = zxtest::nextLine(process_, 20000);
            if (line.startsWith(QLatin1String("zx-write-gate "))) return line.section(u' ', 2);
            if (!line.isEmpty()) {
                output_ << line;
                continue;
            }
            if (process_.state() == QProcess::NotRunning && !process_.canReadLine()) break;
            if (!process_.canReadLine()) ++quiet;
        }
        kill();
        return QString();
    }
    void goOn() { process_.write("\n"); }
    void kill() {
        process_.kill();
        process_.waitForFinished(20000);
    }
    bool finish() {
        process_.closeWriteChannel();
        while (!nextWrite().isEmpty()) {
        }
        return process_.waitForFinished(60000);
    }
    const QStringList& output() const { return output_; }

private:
    QTemporaryFile script_;
    QProcess process_;
    QStringList output_;
};

// Runs one round, letting every write through up to the lock's; then
// `afterLock` more writes. Returns how many writes came after the lock
// (when let through to the end).
int runRound(DemoSet& set, int round, int afterLock) {
    Station station(set, round);
    bool locked = false;
    int after = 0;
    for (QString write = station.nextWrite(); !write.isEmpty(); write = station.nextWrite()) {
        if (locked && ++after == afterLock) {
            station.kill();
            return after;
        }
        if (!locked && write.contains(QLatin1String("t_NetLock"), Qt::CaseInsensitive)) {
            locked = true;
        }
        station.goOn();
    }
    station.finish();
    if (!station.output().filter(QStringLiteral("错误")).isEmpty()) {
        qWarning("%s", qPrintable(station.output().join(u'\n')));
    }
    return after;
}

// A killed session leaves the server only when the server notices.
void waitForOthersToLeave(DemoSet& set) {
    if (!set.db->onServer()) return;
    for (int i = 0; i < 100; ++i) {
        const auto rs = set.db->nativeQuery(
            QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = "
                           "current_database() AND pid <> pg_backend_pid()"));
        if (rs->Field(0).toInt() == 0) return;
        QThread::msleep(50);
    }
}

}  // namespace

class KilledTest : public QObject {
    Q_OBJECT

private slots:
    void aKilledSaveLeavesNoMix() {
        DemoSet set;
        const int writes = runRound(set, 1, -1);
        QCOMPARE(state(set), stateAfter(1));
        QVERIFY2(writes >= kBoxesCount, qPrintable(QString::number(writes)));

        int before = 0;
        int after = 0;
        QStringList mixed;
        for (int kill = 1; kill <= writes; ++kill) {
            const int round = kill + 1;
            const QStringList was = state(set);
            runRound(set, round, kill);
            waitForOthersToLeave(set);
            const QStringList now = state(set);
            if (now == was) {
                ++before;
            } else if (now == stateAfter(round)) {
                ++after;
            } else {
                mixed << QStringLiteral("write %1: %2").arg(kill).arg(now.join(u','));
            }
        }
        qInfo("%s: %d kills, %d left the set as before the save, %d as after it, %d mixed",
              set.db->onServer() ? "PostgreSQL" : "SQLite", writes, before, after,
              int(mixed.size()));
        QVERIFY2(mixed.isEmpty(), qPrintable(mixed.join(u'\n')));
        QVERIFY(before > 0 && after > 0);
    }

private:
    static constexpr int kBoxesCount = int(std::size(kBoxes));
};

QTEST_GUILESS_MAIN(KilledTest)
#include "test_killed.moc"
