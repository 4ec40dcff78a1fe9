// Times opening a parameter's history (修改记录) from its control, in a host
// audit of 1,000,000 rows of which 10,000 are changes of that parameter. It
// counts from the request to the window on screen with its first screenful
// painted: the audit read, the values put in the control's words, the
// column widths. The goal is 30 ms. On SQLite and, when a server is given,
// on PostgreSQL; each also once without the audit's index by parameter.
// Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_history [runs] [rows] [server URL]
// The server URL defaults to ZX_TEST_PG (tests/pg/pgserver.sh starts one).

#include <time.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSets.h"
#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "sql/PgUrl.h"
#include "zx/frame/ParamHistory.h"
#include "zx/host/AuditServices.h"
#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace {

constexpr qint64 kChanges = 10000;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// `rows` audit rows, oldest first; every (rows / kChanges)-th one a change of
// GL/CheckBeforePost, the others spread over a hundred other keys.
void fillAudit(refhost::Database& db, qint64 rows) {
    const bool server = db.onServer();
    const qint64 every = std::max<qint64>(1, rows / kChanges);
    const QString numbers =
        server ? QStringLiteral("generate_series(0, %1) AS n(i)").arg(rows - 1)
               : QStringLiteral(
                     "(WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < %1) SELECT i FROM n) AS n")
                     .arg(rows - 1);
    const QString time =
        server ? QStringLiteral(
                     "to_char(TIMESTAMP '2023-01-01' + i * INTERVAL '1 minute', "
                     "'YYYY-MM-DD HH24:MI:SS')")
               : QStringLiteral("strftime('%Y-%m-%d %H:%M:%S', 1672531200 + i * 60, 'unixepoch')");
    const QString sql =
        QStringLiteral(
            "INSERT INTO t_SystemProfile_Audit (FTime, FUserID, FUserName, FMachineName, "
            "FIpAddress, FProgram, FCategory, FKey, FOldValue, FNewValue) "
            "SELECT %1, 1, 'administrator', 'WS-' || (i % 40), '192.168.1.' || (i % 200), "
            "'systemsetting/frmSystemProfiles', "
            "CASE WHEN i % %2 = 0 THEN 'GL' ELSE 'IC' END, "
            "CASE WHEN i % %2 = 0 THEN 'CheckBeforePost' ELSE 'Key' || (i % 100) END, "
            "CASE WHEN (i / %2) % 2 = 0 THEN '0' ELSE '1' END, "
            "CASE WHEN (i / %2) % 2 = 0 THEN '1' ELSE '0' END FROM %3")
            .arg(time)
            .arg(every)
            .arg(numbers);
    db.transaction([&] { db.nativeExec(sql); });
    if (server) db.nativeExec(QStringLiteral("VACUUM ANALYZE t_SystemProfile_Audit"));
}

// Opens the history from the box and closes it once it is on screen and painted.
double openOnce(zx::profiles::frmSystemProfiles& dialog, QWidget* box, int& listed) {
    QElapsedTimer t;
    t.start();
    double shown = 0;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<zx::frame::frmParamHistory*>(QApplication::activeModalWidget());
        if (!window) return;
        window->grid()->viewport()->repaint();
        shown = t.nsecsElapsed() / 1e6;
        listed = window->grid()->model()->rowCount();
        window->accept();
    });
    zx::frame::HistoryOffer::of(&dialog)->open(box);
    return shown;
}

// The host's part alone: the first page of the parameter's rows and their count.
void measureRead(const QByteArray& backend, int runs) {
    auto audit = zx::host::createObject<zx::host::ParamAudit>();
    std::vector<double> wall, cpu;
    qsizetype listed = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const double cpuStart = cpuMs();
        // What the window reads to open: the first page and the count.
        const QString props = zx::GetPropsString();
        const auto first =
            audit->Changes(props, QStringLiteral("GL"), QStringLiteral("CheckBeforePost"), 0,
                           zx::frame::frmParamHistory::kPage);
        listed = first.isEmpty()
                     ? 0
                     : audit->ChangeCount(props, QStringLiteral("GL"),
                                          QStringLiteral("CheckBeforePost"), first.first().id);
        wall.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - cpuStart);
    }
    std::printf(
        "%s audit read alone: %lld changes, wall median %.1f ms (min %.1f), CPU median "
        "%.1f ms\n",
        backend.constData(), qint64(listed), median(wall),
        *std::min_element(wall.begin(), wall.end()), median(cpu));
}

void measureOpen(const QByteArray& backend, const char* label, int runs) {
    zx::profiles::frmSystemProfiles dialog;
    dialog.show();
    dialog.Form_Activate();
    QWidget* box = dialog.findChild<QCheckBox*>(QStringLiteral("chkCheckBeforePost"));
    std::vector<double> wall, cpu;
    int listed = 0;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = cpuMs();
        wall.push_back(openOnce(dialog, box, listed));
        cpu.push_back(cpuMs() - cpuStart);
    }
    std::printf(
        "%s %s: %d changes listed; on screen: wall median %.1f ms (min %.1f, max %.1f), "
        "CPU median %.1f ms, over %d runs (goal 30 ms)\n",
        backend.constData(), label, listed, median(wall),
        *std::min_element(wall.begin(), wall.end()), *std::max_element(wall.begin(), wall.end()),
        median(cpu), runs);
}

void measure(const std::shared_ptr<refhost::Database>& set, const QString& installDir, int runs,
             qint64 rows) {
    refhost::Database& db = *set;
    const QByteArray backend = db.dialect().name().toUtf8();
    refhost::createDemoAccountSet(db);
    refhost::RefHost host(set, installDir);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));
    zx::ResetSessionCaches();

    QElapsedTimer fill;
    fill.start();
    fillAudit(db, rows);
    std::printf("%s: audit of %lld rows filled in %.1f s\n", backend.constData(), rows,
                fill.elapsed() / 1000.0);
    measureRead(backend, runs);
    measureOpen(backend, "with the index by parameter", runs);
    db.nativeExec(QStringLiteral("DROP INDEX ix_SystemProfile_Audit_Key"));
    if (db.onServer()) db.nativeExec(QStringLiteral("ANALYZE t_SystemProfile_Audit"));
    measureOpen(backend, "without it", std::min(runs, 3));
    zx::ResetSessionCaches();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const qint64 rows = argc > 2 ? std::max(1LL, atoll(argv[2])) : 1000000;
    const QString server =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : qEnvironmentVariable("ZX_TEST_PG");

    return onEachBackend(server, "argument 3",
                         [&](std::shared_ptr<refhost::Database> db, const QString& install) {
                             measure(std::move(db), install, runs, rows);
                         });
}
