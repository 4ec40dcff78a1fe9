// The executable on a real X server (Xvfb, 1024x768), worked with real X
// input events sent by xdotool: what a user's mouse does, not synthetic
// toolkit events. Where to click comes from a scripted dump of the same
// dialog at the same size on the same server.

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>

#include "AppRun.h"

namespace {

constexpr int kWaitMs = 20000;

bool waitUntil(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWaitMs) {
        if (condition()) return true;
        QThread::msleep(100);
    }
    return condition();
}

void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();  // lets the X server remove its lock file
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
}

// A private X server on a display number of its own choosing, the account
// set and the executable run on it.
class Desktop {
public:
    ~Desktop() {
        stop(live);
        stop(server_);
    }

    // Returns why not when no server could be started.
    QString start() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return "Xvfb 未安装";
        // -noreset: without it the server resets when its last client leaves,
        // and a client connecting in that moment is refused.
        server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                               "-noreset"});
        if (!server_.waitForStarted(10000)) return "Xvfb 无法启动: " + server_.errorString();
        QElapsedTimer clock;
        clock.start();
        while (!server_.canReadLine() && clock.elapsed() < kWaitMs) {
            if (!server_.waitForReadyRead(500) && server_.state() == QProcess::NotRunning) {
                return "Xvfb 启动后退出: " + QString::fromLocal8Bit(server_.readAllStandardError());
            }
        }
        const QString number = QString::fromLatin1(server_.readLine()).trimmed();
        if (number.isEmpty()) return "Xvfb 没有报告显示编号";
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + number);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("ZX_NONINTERACTIVE");
        return {};
    }

    // The first run makes the demo set; --create is refused once it is there.
    QStringList appArgs(const QStringList& more) const {
        const QString set = dir.filePath("set.zxdb");
        const QStringList create = QFile::exists(set) ? QStringList() : QStringList{"--create"};
        return QStringList{"--db",   set,       "--install", dir.filePath("install"),
                           "--size", "1024x768"} +
               create + more;
    }

    // A scripted run on the server: the last dump line of each named control.
    QHash<QString, QJsonObject> scripted(const QString& script) {
        return dumped(runApp(appArgs({}), dir.filePath("script.txt"), script, env).out);
    }

    // The executable as a user starts it; the id of its dialog's window.
    QString startLive() {
        live.setProcessEnvironment(env);
        live.start(SYSTEMSETTING_BIN, appArgs({}));
        const QString window = waitForWindow("^系统参数$");
        if (window.isEmpty()) {
            live.waitForFinished(1000);
            qWarning("the dialog did not appear: state %d, exit %d, stdout: %s, stderr: %s",
                     live.state(), live.exitCode(), live.readAllStandardOutput().constData(),
                     live.readAllStandardError().constData());
        }
        QThread::msleep(3000);  // its first activation fills the pages, on a busy machine too
        return window;
    }

    QString xdotool(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("xdotool", args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // The id of the visible window whose title matches, empty until timeout.
    QString waitForWindow(const QString& titlePattern) {
        QString id;
        waitUntil([&] {
            id = xdotool({"search", "--onlyvisible", "--name", titlePattern}).section('\n', -1);
            return !id.isEmpty();
        });
        return id;
    }

    // A left click in the middle of a rectangle given in window coordinates.
    void click(const QString& window, const QJsonValue& where) {
        const QJsonArray rect = where.toArray();
        QVERIFY2(rect.size() == 4, "no place on screen");
        const int x = rect.at(0).toInt() + rect.at(2).toInt() / 2;
        const int y = rect.at(1).toInt() + rect.at(3).toInt() / 2;
        xdotool({"mousemove", "--sync", "--window", window, QString::number(x), QString::number(y),
                 "click", "1"});
    }

    QString param(const QString& category, const QString& key) {
        QString value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir.filePath("set.zxdb"));
            db.open();
            QSqlQuery q(db);
            q.prepare("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?");
            q.addBindValue(category);
            q.addBindValue(key);
            if (q.exec() && q.next()) value = q.value(0).toString();
        }
        QSqlDatabase::removeDatabase("check");
        return value;
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
    QProcess live;

private:
    QProcess server_;
};

}  // namespace

class AppXvfbTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Desktop> desktop_;

private slots:
    void init() {
        desktop_ = std::make_unique<Desktop>();
        const QString why = desktop_->start();
        if (!why.isEmpty()) QSKIP(qPrintable("没有可启动的 X 服务器, 跳过: " + why));
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool 未安装 (make test 会安装它)");
    }
    void cleanup() { desktop_.reset(); }

    void aRealClickTicksABoxAndSavesIt() {
        Desktop& d = *desktop_;
        const auto dump = d.scripted("click Stab(2)\nclick stabGl(0)\ndump\n");
        QVERIFY(dump.value("chkClosePnl").contains("rect"));
        QCOMPARE(d.param("GL", "ClosePnl"), QString());

        const QString window = d.startLive();
        QVERIFY(!window.isEmpty());
        d.click(window, dump.value("Stab").value("tabRects").toArray().at(2));
        d.click(window, dump.value("chkClosePnl").value("rect"));
        d.click(window, dump.value("btnSave").value("rect"));
        QVERIFY2(waitUntil([&] { return d.param("GL", "ClosePnl") == "1"; }),
                 qPrintable(d.param("GL", "ClosePnl")));

        d.click(window, dump.value("btnClose").value("rect"));  // saved: leaves without a question
        QVERIFY(d.live.waitForFinished(kWaitMs));
        QCOMPARE(d.live.exitCode(), 1);  // no module was started
    }

    void aRealClickOpensTheChangeLogViewer() {
        Desktop& d = *desktop_;
        const auto dump =
            d.scripted("click Stab(8)\ndump\nclick cmdOptHistory\ndump\nclick cmdExit\n");
        QVERIFY(dump.value("cmdExit").contains("rect"));

        const QString window = d.startLive();
        QVERIFY(!window.isEmpty());
        d.click(window, dump.value("Stab").value("tabRects").toArray().at(8));
        d.click(window, dump.value("cmdOptHistory").value("rect"));
        const QString viewer = d.waitForWindow("^参数修改日志");
        QVERIFY2(!viewer.isEmpty(), "the change-log viewer did not appear");

        d.click(viewer, dump.value("cmdExit").value("rect"));
        QVERIFY(waitUntil([&] {
            return d.xdotool({"search", "--onlyvisible", "--name", "^参数修改日志"}).isEmpty();
        }));
        d.click(window, dump.value("btnClose").value("rect"));
        QVERIFY(d.live.waitForFinished(kWaitMs));
        QCOMPARE(d.live.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(AppXvfbTest)
#include "test_app_xvfb.moc"
