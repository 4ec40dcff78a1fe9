// The whole process, start to first activation complete and exit: the
// executable on the demo account set against the floor, a bare dialog with
// as many widgets of each kind and one query for every parameter row. Prints
// the CPU time of each (median of the runs) and their ratio. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_startup [runs]

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "zx/frame/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace {

double childCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double runOnce(const QString& program, const QStringList& args) {
    const double before = childCpuMs();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    p.waitForFinished(60000);
    p.readAllStandardOutput();
    return childCpuMs() - before;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The widgets of the real dialog, by kind, in the floor's argument order.
QStringList widgetCounts(const QString& installDir, const std::shared_ptr<refhost::Database>& db) {
    refhost::RefHost host(db, installDir);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));
    zx::profiles::frmSystemProfiles dialog;
    auto count = [&dialog](auto* kind) {
        return QString::number(dialog.findChildren<std::remove_pointer_t<decltype(kind)>*>().size());
    };
    const QStringList out = {count((QCheckBox*)nullptr),   count((QRadioButton*)nullptr),
                             count((QComboBox*)nullptr),   count((QLineEdit*)nullptr) ,
                             count((zx::frame::IntText3D*)nullptr), count((QLabel*)nullptr),
                             count((QPushButton*)nullptr), count((QGroupBox*)nullptr),
                             count((QWidget*)nullptr)};
    zx::ResetSessionCaches();
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString binDir = QCoreApplication::applicationDirPath();
    QTemporaryDir dir;
    const QString setPath = dir.filePath(QStringLiteral("bench.zxdb"));
    const QString install = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
    QStringList counts;
    {
        auto db = refhost::Database::openSqlite(setPath);
        refhost::createDemoAccountSet(*db);
        counts = widgetCounts(install, db);
    }
    std::printf("all widgets of the real dialog: %s\n", qPrintable(counts.takeLast()));
    std::printf("widgets: checks %s options %s lists %s texts %s numbers %s labels %s buttons %s frames %s\n",
                qPrintable(counts.at(0)), qPrintable(counts.at(1)), qPrintable(counts.at(2)),
                qPrintable(counts.at(3)), qPrintable(counts.at(4)), qPrintable(counts.at(5)),
                qPrintable(counts.at(6)), qPrintable(counts.at(7)));

    const QString floor = binDir + QStringLiteral("/floor_dialog");
    const QString real = binDir + QStringLiteral("/../app/systemsetting");
    std::vector<double> floorCpu, realCpu;
    for (int i = 0; i < runs; ++i) {
        floorCpu.push_back(runOnce(floor, QStringList{setPath} + counts));
        realCpu.push_back(runOnce(real, {QStringLiteral("--db"), setPath, QStringLiteral("--install"),
                                         install, QStringLiteral("--dump-controls")}));
    }
    const double f = median(floorCpu);
    const double r = median(realCpu);
    std::printf("runs %d\nfloor (bare dialog, one query): median %.1f ms CPU\n", runs, f);
    std::printf("systemsetting --dump-controls: median %.1f ms CPU\nratio %.2f\n", r, r / f);
    return 0;
}
