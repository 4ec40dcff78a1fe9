// Parameter sets and the audit on the demo set: how long the executable takes
// to export, diff and apply (whole processes, median of the runs), and how
// much the audit table grows per save of the dialog (rows, the bytes of the
// texts stored, and the table's and its index's pages). SQLite always;
// PostgreSQL when a server is given. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_paramsets [runs] [server URL]
// The server URL defaults to ZX_TEST_PG; databases are created on it for the
// run and dropped after.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/PgUrl.h"
#include "zx/frame/IntText3D.h"
#include "zx/host/HostError.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace {

QString install;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the executable; returns its wall time in ms, or -1 when it failed.
double timed(const QStringList& args, int expectedExit = 0) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(SYSTEMSETTING_BIN),
            args + QStringList{QStringLiteral("--install"), install});
    p.waitForFinished(120000);
    const double ms = t.nsecsElapsed() / 1e6;
    if (p.exitCode() != expectedExit) {
        std::fprintf(stderr, "%s: exit %d\n%s%s\n", args.join(' ').toUtf8().constData(),
                     p.exitCode(), p.readAllStandardOutput().constData(),
                     p.readAllStandardError().constData());
        return -1;
    }
    return ms;
}

// An account set a command can open: an SQLite file or a server database.
class Sets {
public:
    Sets(QString dir, QString server) : dir_(std::move(dir)), server_(std::move(server)) {}
    ~Sets() {
        for (const QString& name : made_) {
            try {
                refhost::dropPgDatabase(server_, name);
            } catch (const zx::host::HostError& error) {
                std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
            }
        }
    }
    bool onServer() const { return !server_.isEmpty(); }

    // A new demo set; returns where the executable finds it.
    QString fresh(
        const std::function<void(const std::shared_ptr<refhost::Database>&)>& prepare = {}) {
        const QString name = QStringLiteral("zx_bench_sets_%1_%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(made_.size() + files_++);
        QString location;
        if (onServer()) {
            refhost::createPgDatabase(server_, name);
            made_ << name;
            location = refhost::PgUrl::parse(server_).withDatabase(name).toString(true);
        } else {
            location = dir_ + u'/' + name + QStringLiteral(".zxdb");
        }
        auto db = refhost::Database::open(location);
        refhost::createDemoAccountSet(*db);
        if (prepare) prepare(db);
        return location;
    }

private:
    QString dir_;
    QString server_;
    QStringList made_;
    int files_ = 0;
};

// The dialog on `db`, changed by `change` and saved, `saves` times.
void saveRepeatedly(const std::shared_ptr<refhost::Database>& db, int saves,
                    const std::function<void(zx::profiles::frmSystemProfiles&, int)>& change) {
    refhost::RefHost host(db, install);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));
    host.setAnswerHook([](const QString&, zx::host::MsgButtons buttons,
                          zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
        return buttons == zx::host::MsgButtons::Ok ? zx::host::MsgResult::Ok
                                                   : zx::host::MsgResult::No;
    });
    for (int i = 0; i < saves; ++i) {
        zx::ResetSessionCaches();
        zx::profiles::frmSystemProfiles dialog;
        dialog.Form_Activate();
        change(dialog, i);
        if (!dialog.SaveProfiles()) std::fprintf(stderr, "a save was refused\n");
    }
    zx::ResetSessionCaches();
}

struct Size {
    qint64 rows = 0;
    qint64 textBytes = 0;
    qint64 pageBytes = -1;  // -1: the backend cannot tell
};

Size auditSize(refhost::Database& db) {
    Size s;
    const bool server = db.onServer();
    auto rs = db.nativeQuery(
        server
            ? QStringLiteral(
                  "SELECT COUNT(*), COALESCE(SUM(COALESCE(octet_length(FTime), 0) + "
                  "COALESCE(octet_length(FUserName), 0) + COALESCE(octet_length(FMachineName), "
                  "0) + COALESCE(octet_length(FIpAddress), 0) + COALESCE(octet_length(FProgram), "
                  "0) + octet_length(FCategory) + octet_length(FKey) + "
                  "COALESCE(octet_length(FOldValue), 0) + COALESCE(octet_length(FNewValue), 0)), "
                  "0) FROM t_SystemProfile_Audit")
            : QStringLiteral(
                  "SELECT COUNT(*), COALESCE(SUM(COALESCE(length(CAST(FTime AS BLOB)), 0) + "
                  "COALESCE(length(CAST(FUserName AS BLOB)), 0) + "
                  "COALESCE(length(CAST(FMachineName AS BLOB)), 0) + "
                  "COALESCE(length(CAST(FIpAddress AS BLOB)), 0) + "
                  "COALESCE(length(CAST(FProgram AS BLOB)), 0) + length(CAST(FCategory AS BLOB)) "
                  "+ length(CAST(FKey AS BLOB)) + COALESCE(length(CAST(FOldValue AS BLOB)), 0) + "
                  "COALESCE(length(CAST(FNewValue AS BLOB)), 0)), 0) FROM t_SystemProfile_Audit"));
    rs->MoveFirst();
    s.rows = rs->Field(0).toLongLong();
    s.textBytes = rs->Field(1).toLongLong();
    try {
        auto pages = db.nativeQuery(
            server ? QStringLiteral("SELECT pg_total_relation_size('t_systemprofile_audit')")
                   : QStringLiteral("SELECT SUM(pgsize) FROM dbstat WHERE name IN "
                                    "('t_SystemProfile_Audit', 'ix_SystemProfile_Audit_Time')"));
        pages->MoveFirst();
        s.pageBytes = pages->Field(0).toLongLong();
    } catch (const zx::host::HostError&) {
        s.pageBytes = -1;  // SQLite built without the dbstat table
    }
    return s;
}

void growth(Sets& sets, const char* backend, const char* what, int saves,
            const std::function<void(zx::profiles::frmSystemProfiles&, int)>& change) {
    std::shared_ptr<refhost::Database> db;
    sets.fresh([&db](const std::shared_ptr<refhost::Database>& made) { db = made; });
    const Size before = auditSize(*db);
    saveRepeatedly(db, saves, change);
    const Size after = auditSize(*db);
    std::printf("%-10s audit per save, %-34s %5.1f rows  %6.0f bytes of text", backend, what,
                double(after.rows - before.rows) / saves,
                double(after.textBytes - before.textBytes) / saves);
    if (after.pageBytes >= 0) {
        std::printf("  %6.0f bytes stored", double(after.pageBytes - before.pageBytes) / saves);
    }
    std::printf("\n");
}

void measure(Sets& sets, const char* backend, const QString& dir, int runs) {
    // A: the demo set with a few parameters of every page group changed.
    const QString a = sets.fresh([](const std::shared_ptr<refhost::Database>& db) {
        saveRepeatedly(db, 1, [](zx::profiles::frmSystemProfiles& d, int) {
            d.findChild<QLineEdit*>(QStringLiteral("txtCompanyName"))
                ->setText(QStringLiteral("模板"));
            d.findChild<QCheckBox*>(QStringLiteral("chkSettle"))->setChecked(true);
            d.findChild<QComboBox*>(QStringLiteral("cmbIC_BOMType"))->setCurrentIndex(1);
            d.findChild<zx::frame::IntText3D*>(QStringLiteral("txtTaxRate"))->setValue(6);
        });
    });
    const QString b = sets.fresh();
    const QString file = dir + QStringLiteral("/a.json");
    std::vector<double> floor, exported, diffSets, diffFile, applied, dryRun;
    for (int i = 0; i < runs; ++i) {
        floor.push_back(timed({QStringLiteral("export"), QStringLiteral("--help")}));
        exported.push_back(timed({QStringLiteral("export"), QStringLiteral("--db"), a, file}));
        diffSets.push_back(timed({QStringLiteral("diff"), a, b}, 1));
        diffFile.push_back(timed({QStringLiteral("diff"), file, b}, 1));
        dryRun.push_back(timed({QStringLiteral("apply"), file, QStringLiteral("--db"), b,
                                QStringLiteral("--dry-run")}));
        const QString target = sets.fresh();
        applied.push_back(timed({QStringLiteral("apply"), file, QStringLiteral("--db"), target}));
    }
    std::printf("%-10s process floor (export --help)   median %7.1f ms\n", backend, median(floor));
    std::printf("%-10s export                           median %7.1f ms\n", backend,
                median(exported));
    std::printf("%-10s diff set set                     median %7.1f ms\n", backend,
                median(diffSets));
    std::printf("%-10s diff file set                    median %7.1f ms\n", backend,
                median(diffFile));
    std::printf("%-10s apply --dry-run                  median %7.1f ms\n", backend,
                median(dryRun));
    std::printf("%-10s apply onto a fresh demo set      median %7.1f ms\n", backend,
                median(applied));

    const int saves = std::max(runs, 20);
    growth(sets, backend, "nothing changed:", saves, [](zx::profiles::frmSystemProfiles&, int) {});
    growth(sets, backend, "one box ticked or cleared:", saves,
           [](zx::profiles::frmSystemProfiles& d, int i) {
               d.findChild<QCheckBox*>(QStringLiteral("chkSettle"))->setChecked(i % 2 == 0);
           });
    growth(sets, backend, "company name and tax rate:", saves,
           [](zx::profiles::frmSystemProfiles& d, int i) {
               d.findChild<QLineEdit*>(QStringLiteral("txtCompanyName"))
                   ->setText(QStringLiteral("公司%1").arg(i));
               d.findChild<zx::frame::IntText3D*>(QStringLiteral("txtTaxRate"))
                   ->setValue(i % 2 ? 6 : 9);
           });
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const QString server =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : qEnvironmentVariable("ZX_TEST_PG");
    std::printf("runs %d\n", runs);
    QTemporaryDir dir;
    install = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
    try {
        {
            Sets sets(dir.path(), QString());
            measure(sets, "SQLite", dir.path(), runs);
        }
        if (server.isEmpty()) {
            std::printf("PostgreSQL: no server given (argument 2 or ZX_TEST_PG)\n");
            return 0;
        }
        Sets sets(dir.path(), server);
        measure(sets, "PostgreSQL", dir.path(), runs);
    } catch (const zx::host::HostError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        return 1;
    }
    return 0;
}
