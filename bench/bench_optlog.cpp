// Times opening the change-log viewer on a long log and records the memory it
// takes. The log holds 1,000,000 rows over the three years up to today; the
// viewer is opened (form load and activation: font, widths, query, fill) on
// its default three-month window and on one day. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_optlog [runs] [rows]

#include <malloc.h>
#include <time.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/TsqlTranslator.h"
#include "zx/optlog/OptLogModel.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/session/Session.h"

namespace {

// A value of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when unknown.
long statusKb(const char* key) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    }
    return -1;
}

// Starts a new peak: the high-water mark drops to the current size.
void resetPeak() {
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    if (file.open(QIODevice::WriteOnly)) file.write("5");
}

// CPU time of the process, ms: on a busy machine the wall clock also counts
// the time other processes had the cores.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// `rows` log rows evenly spread from `first` (midnight) to now, oldest first,
// so that FID order is time order as in a real log. Generated inside SQLite.
void fillLog(refhost::Database& db, const QDate& first, qint64 rows) {
    const qint64 start = QDateTime(first, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    const qint64 end =
        QDateTime(QDate::currentDate(), QTime::currentTime(), Qt::UTC).toSecsSinceEpoch();
    const double step = double(end - start) / double(rows);
    const qint64 users =
        db.nativeQuery(QStringLiteral("SELECT MAX(FUserID) FROM t_User"))->Field(0).toLongLong();
    db.transaction([&] {
        db.nativeExec(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "INSERT INTO t_SystemProfile_Log (FOptTime, FUserID, FCategory, FKey, FDesc, "
                "FOrigValue, FNewValue, FMachineName, FIpAddress) "
                "SELECT strftime('%Y-%m-%d %H:%M:%S', ? + CAST(i * ? AS INTEGER), 'unixepoch'), "
                "1 + i % (? + 1), 'IC', "
                "CASE i % 4 WHEN 0 THEN 'MoCheckQty' WHEN 1 THEN 'AlertMO' "
                "WHEN 2 THEN 'UpdateBomStock' ELSE 'ManufactureAlarmDateCount' END, "
                "CASE i % 4 WHEN 0 THEN '生产任务单/委外加工单需完成生产领料/委外发料才可入库' "
                "WHEN 1 THEN '生产领料及委外发料超过限额控制方式' "
                "WHEN 2 THEN '修改物料默认仓库时，同步更新物料对应的BOM发料仓库' "
                "ELSE '生产及委外任务超期提前预警天数' END, "
                "CASE i % 2 WHEN 0 THEN '不启用' ELSE '启用' END, "
                "CASE i % 2 WHEN 0 THEN '启用' ELSE '不启用' END, "
                "'WS-' || (i % 40), '192.168.1.' || (i % 200) FROM n"),
            {rows - 1, start, step, users});
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const qint64 rows = argc > 2 ? std::max(1LL, atoll(argv[2])) : 1000000;

    QTemporaryDir dir;
    auto db = refhost::Database::openSqlite(dir.filePath(QStringLiteral("bench.zxdb")));
    refhost::createDemoAccountSet(*db);
    const QString install = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
    refhost::RefHost host(db, install);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));

    QElapsedTimer fillTimer;
    fillTimer.start();
    const QDate today = QDate::currentDate();
    fillLog(*db, today.addYears(-3), rows);
    std::printf("log: %lld rows over three years, filled in %.1f s\n", rows,
                fillTimer.elapsed() / 1000.0);

    {
        // How the backend runs the viewer's query.
        zx::optlog::frmOptLog probe;
        const QString sql = refhost::TsqlTranslator(db->dialect()).translate(probe.QueryText()).sql;
        auto plan = db->nativeQuery(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        for (plan->MoveFirst(); !plan->Eof(); plan->MoveNext()) {
            std::printf("plan: %s\n", qPrintable(plan->Field(QStringLiteral("detail")).toString()));
        }
    }

    struct Case {
        const char* name;
        std::function<void(zx::optlog::frmOptLog&)> range;  // empty: the default window
    };
    const QDate day = today.addDays(-200);
    // One day first: the default window leaves memory behind in the allocator.
    const Case cases[] = {
        {"one day", [day](zx::optlog::frmOptLog& v) { v.setRange(day, day); }},
        {"default window (three months)", {}},
    };
    for (const Case& c : cases) {
        std::vector<double> times, cpu;
        int listed = 0;
        long peak = 0;
        const long before = statusKb("VmRSS");
        for (int i = 0; i < runs; ++i) {
            resetPeak();
            QElapsedTimer t;
            t.start();
            const double cpuStart = cpuMs();
            {
                zx::optlog::frmOptLog viewer;
                if (c.range) c.range(viewer);
                viewer.Form_Activate();
                times.push_back(t.nsecsElapsed() / 1e6);
                cpu.push_back(cpuMs() - cpuStart);
                listed = viewer.model()->rowCount();
                peak = std::max(peak, statusKb("VmHWM"));
            }
            malloc_trim(0);
        }
        std::printf(
            "%s: %d rows listed; wall median %.1f ms (min %.1f, max %.1f), CPU median "
            "%.1f ms, over %d runs; peak memory %.1f MB (%.1f MB before opening)\n",
            c.name, listed, median(times), *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()), median(cpu), runs, peak / 1024.0,
            before / 1024.0);
    }
    return 0;
}
