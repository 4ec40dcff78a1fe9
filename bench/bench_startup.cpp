// The whole process, start to first activation complete and exit: the
// executable on the demo account set against the floor, a bare dialog with
// as many widgets of each kind and one query for every parameter row. Prints
// the CPU time of each (median of the runs) and their ratio. Both are seen
// before they close: each paints what it shows at first, the floor as many
// widgets as the real dialog. Run by hand:
//   QT_QPA_PLATFORM=offscreen build/default/bench/bench_startup [runs]

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
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

struct Cpu {
    double user = 0;
    double system = 0;
    double total() const { return user + system; }
};

Cpu childCpu() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

Cpu runOnce(const QString& program, const QStringList& args) {
    const Cpu before = childCpu();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    p.waitForFinished(60000);
    p.readAllStandardOutput();
    const Cpu after = childCpu();
    return {after.user - before.user, after.system - before.system};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// How many widgets of the counted kinds the dialog shows once it has opened
// and loaded: what its first paint draws. The floor shows as many on its
// first page, so that both paint alike.
int shownWidgets(QDialog& dialog) {
    dialog.resize(1200, 760);
    dialog.show();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    int shown = 0;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        // The line edit inside a numeric box is part of that box, as in a spin box.
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<zx::frame::IntText3D*>(w->parentWidget()))
            continue;
        const bool counted = qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) ||
                             qobject_cast<QPushButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<zx::frame::IntText3D*>(w) || qobject_cast<QLabel*>(w) ||
                             qobject_cast<QGroupBox*>(w) || qobject_cast<QScrollArea*>(w) ||
                             qobject_cast<QTabWidget*>(w) || qobject_cast<QTreeWidget*>(w) ||
                             qobject_cast<QTableWidget*>(w) ||
                             w->metaObject() == &QWidget::staticMetaObject;
        if (counted) ++shown;
    }
    dialog.hide();
    return shown;
}

// The widgets of the real dialog, by kind, in the floor's argument order.
QStringList widgetCounts(const QString& installDir, const std::shared_ptr<refhost::Database>& db) {
    refhost::RefHost host(db, installDir);
    refhost::installStandardServices(host);
    host.login(QStringLiteral("administrator"));
    zx::profiles::frmSystemProfiles dialog;
    auto count = [&dialog](auto* kind) {
        return QString::number(
            dialog.findChildren<std::remove_pointer_t<decltype(kind)>*>().size());
    };
    int plain = 0;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (w->metaObject() == &QWidget::staticMetaObject) ++plain;
    }
    // The line edits inside the numeric boxes come with them in the floor too.
    const int edits = dialog.findChildren<QLineEdit*>().size() -
                      dialog.findChildren<zx::frame::IntText3D*>().size();
    const QStringList out = {count((QCheckBox*)nullptr),
                             count((QRadioButton*)nullptr),
                             count((QComboBox*)nullptr),
                             QString::number(edits),
                             count((zx::frame::IntText3D*)nullptr),
                             count((QLabel*)nullptr),
                             count((QPushButton*)nullptr),
                             count((QGroupBox*)nullptr),
                             count((QScrollArea*)nullptr),
                             count((QTabWidget*)nullptr),
                             count((QTreeWidget*)nullptr),
                             count((QTableWidget*)nullptr),
                             QString::number(plain),
                             QString::number(shownWidgets(dialog)),
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
    std::printf(
        "widgets: checks %s options %s lists %s texts %s numbers %s labels %s buttons %s "
        "frames %s scroll areas %s tab sets %s trees %s grids %s plain %s; shown at first %s\n",
        qPrintable(counts.at(0)), qPrintable(counts.at(1)), qPrintable(counts.at(2)),
        qPrintable(counts.at(3)), qPrintable(counts.at(4)), qPrintable(counts.at(5)),
        qPrintable(counts.at(6)), qPrintable(counts.at(7)), qPrintable(counts.at(8)),
        qPrintable(counts.at(9)), qPrintable(counts.at(10)), qPrintable(counts.at(11)),
        qPrintable(counts.at(12)), qPrintable(counts.at(13)));

    const QString floor = binDir + QStringLiteral("/floor_dialog");
    const QString real = binDir + QStringLiteral("/../app/systemsetting");
    // An empty script: the dialog opens, loads, and closes again.
    const QString script = dir.filePath(QStringLiteral("empty.txt"));
    QFile(script).open(QIODevice::WriteOnly);
    std::vector<double> floorCpu, realCpu, floorSys, realSys;
    for (int i = 0; i < runs; ++i) {
        const Cpu fc = runOnce(floor, QStringList{setPath} + counts);
        const Cpu rc = runOnce(real, {QStringLiteral("--db"), setPath, QStringLiteral("--install"),
                                      install, QStringLiteral("--script"), script});
        floorCpu.push_back(fc.total());
        floorSys.push_back(fc.system);
        realCpu.push_back(rc.total());
        realSys.push_back(rc.system);
    }
    const double f = median(floorCpu);
    const double r = median(realCpu);
    std::printf("runs %d\nfloor (bare dialog, one query): median %.1f ms CPU (%.1f ms system)\n",
                runs, f, median(floorSys));
    std::printf("of which system: real %.1f ms\n", median(realSys));
    std::printf("systemsetting (opens, loads, closes): median %.1f ms CPU\nratio %.2f\n", r, r / f);
    return 0;
}
