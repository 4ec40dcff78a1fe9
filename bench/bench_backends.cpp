// Compares the backends on the dialog's two heaviest database moments: the
// first activation (every page load) and a save in which nothing changed.
// Prints the median time and the round trips of each, on SQLite and, when a
// server is given, on PostgreSQL. Round trips are statements sent to the
// backend (a server's PREPARE counted, transaction control not); a server
// prepares each host statement once per connection, so the first run and the
// later ones are shown apart. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_backends [runs] [server URL]
// The server URL defaults to ZX_TEST_PG (tests/pg/pgserver.sh starts one on a
// local socket); a database is created on it for the run and dropped after.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchSets.h"
#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "sql/PgUrl.h"
#include "zx/host/HostError.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace {

struct Phase {
    std::vector<double> ms;
    int firstTrips = 0;
    int laterTrips = 0;

    void add(double elapsed, int trips) {
        if (ms.empty()) firstTrips = trips;
        laterTrips = trips;
        ms.push_back(elapsed);
    }
    double median() const {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

void report(const char* backend, const char* what, const Phase& phase) {
    std::printf("%-10s %-18s median %8.1f ms   round trips: first run %4d, later runs %4d\n",
                backend, what, phase.median(), phase.firstTrips, phase.laterTrips);
}

// Opens the dialog `runs` times on `db`; each time a first activation and an
// unchanged save.
void measure(const std::shared_ptr<refhost::Database>& db, const QString& installDir, int runs) {
    refhost::createDemoAccountSet(*db);
    refhost::RefHost host(db, installDir);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));
    int questions = 0;
    host.setAnswerHook([&questions](const QString&, zx::host::MsgButtons buttons,
                                    zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
        if (buttons == zx::host::MsgButtons::Ok) return zx::host::MsgResult::Ok;
        ++questions;
        return zx::host::MsgResult::No;
    });
    QStringList shown;
    host.setMessageSink([&shown](const QString& kind, const QString& text) {
        if (kind != QLatin1String("answer")) shown << kind + QLatin1Char(':') + text;
    });

    Phase activation, save;
    int failedSaves = 0;
    for (int i = 0; i < runs; ++i) {
        zx::ResetSessionCaches();
        auto dialog = std::make_unique<zx::profiles::frmSystemProfiles>();
        db->resetRoundTrips();
        QElapsedTimer t;
        t.start();
        dialog->Form_Activate();
        activation.add(t.nsecsElapsed() / 1e6, db->roundTrips());

        db->resetRoundTrips();
        t.restart();
        if (!dialog->SaveProfiles()) ++failedSaves;
        save.add(t.nsecsElapsed() / 1e6, db->roundTrips());
    }
    zx::ResetSessionCaches();
    const QByteArray name = db->dialect().name().toUtf8();
    report(name.constData(), "first activation", activation);
    report(name.constData(), "unchanged save", save);
    if (failedSaves > 0 || questions > 0) {
        std::printf(
            "%-10s note: %d saves refused, %d questions answered No; last texts: %s\n",
            name.constData(), failedSaves, questions,
            shown.mid(std::max<qsizetype>(0, shown.size() - 2)).join(" | ").toUtf8().constData());
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QString server =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : qEnvironmentVariable("ZX_TEST_PG");
    std::printf("runs %d\n", runs);
    return onEachBackend(server, "argument 2",
                         [&](std::shared_ptr<refhost::Database> db, const QString& install) {
                             measure(std::move(db), install, runs);
                         });
}
