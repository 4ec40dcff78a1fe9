// Times the dialog's construction and first activation on the demo account
// set, and counts the database round trips each makes. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_first_activation [runs]

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    auto db = refhost::Database::openSqlite(dir.filePath(QStringLiteral("bench.zxdb")));
    refhost::createDemoAccountSet(*db);
    const QString install = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
    refhost::RefHost host(db, install);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));

    std::vector<double> build, activate, destroy;
    int buildTrips = 0, activateTrips = 0;
    for (int i = 0; i < runs; ++i) {
        zx::ResetSessionCaches();
        db->resetRoundTrips();
        QElapsedTimer t;
        t.start();
        auto dialog = std::make_unique<zx::profiles::frmSystemProfiles>();
        build.push_back(t.nsecsElapsed() / 1e6);
        buildTrips = db->roundTrips();
        db->resetRoundTrips();
        t.restart();
        dialog->Form_Activate();
        activate.push_back(t.nsecsElapsed() / 1e6);
        activateTrips = db->roundTrips();
        t.restart();
        dialog.reset();
        destroy.push_back(t.nsecsElapsed() / 1e6);
    }
    zx::ResetSessionCaches();
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("runs %d\n", runs);
    std::printf("construction (faces, captions): median %.1f ms, %d round trips\n", median(build),
                buildTrips);
    std::printf("first activation (all page loads): median %.1f ms, %d round trips\n",
                median(activate), activateTrips);
    std::printf("destruction: median %.1f ms\n", median(destroy));
    return 0;
}
