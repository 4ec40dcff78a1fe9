// The executable on a real X server (Xvfb, 1024x768), worked with real X
// input events sent by xdotool: what a user's mouse does, not synthetic
// toolkit events. Where to click comes from a scripted dump of the same
// dialog at the same size on the same server.

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>

namespace {

constexpr int kWaitMs = 20000;

// A private X server on a display number of its own choosing.
class XServer {
public:
    ~XServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(5000)) process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Returns why not when no server could be started.
    QString start() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return "Xvfb 未安装";
        process_.start(
            "Xvfb",
            // -noreset: without it the server resets when its last client leaves,
            // and a client connecting in that moment is refused.
            {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        if (!process_.waitForStarted(10000)) return "Xvfb 无法启动: " + process_.errorString();
        QElapsedTimer clock;
        clock.start();
        while (!process_.canReadLine() && clock.elapsed() < kWaitMs) {
            if (!process_.waitForReadyRead(500) && process_.state() == QProcess::NotRunning) {
                return "Xvfb 启动后退出: " +
                       QString::fromLocal8Bit(process_.readAllStandardError());
            }
        }
        const QString number = QString::fromLatin1(process_.readLine()).trimmed();
        if (number.isEmpty()) return "Xvfb 没有报告显示编号";
        display = ":" + number;
        return {};
    }

    QString display;

private:
    QProcess process_;
};

class Desktop {
public:
    explicit Desktop(const QString& display) {
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("ZX_NONINTERACTIVE");
    }

    QStringList appArgs(QStringList more) const {
        return QStringList{"--db",      dir.filePath("set.zxdb"), "--create",
                           "--install", dir.filePath("install"),  "--size",
                           "1024x768"} +
               more;
    }

    // A scripted run on the server: the dump of each `dump` line.
    QString scripted(const QString& script) {
        QFile file(dir.filePath("script.txt"));
        if (file.open(QIODevice::WriteOnly)) file.write(script.toUtf8());
        file.close();
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(SYSTEMSETTING_BIN, appArgs({"--script", file.fileName()}));
        p.waitForFinished(120000);
        return QString::fromUtf8(p.readAllStandardOutput());
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
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            const QString ids =
                xdotool({"search", "--onlyvisible", "--name", titlePattern}).section('\n', -1);
            if (!ids.isEmpty()) return ids;
            QThread::msleep(100);
        }
        return {};
    }

    bool waitUntil(const std::function<bool()>& condition) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            if (condition()) return true;
            QThread::msleep(100);
        }
        return condition();
    }

    // A left click in the middle of a rectangle given in window coordinates.
    void click(const QString& window, const QJsonArray& rect) {
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
            if (db.open()) {
                QSqlQuery q(db);
                q.prepare("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?");
                q.addBindValue(category);
                q.addBindValue(key);
                if (q.exec() && q.next()) value = q.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase("check");
        return value;
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
};

// The last dump line of the named control.
QJsonObject control(const QString& dump, const QString& name) {
    QJsonObject found;
    for (const QString& line : dump.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.value("name").toString() == name) found = o;
    }
    return found;
}

// The executable as a user starts it, ended at the latest with the test.
class LiveApp {
public:
    explicit LiveApp(Desktop& desktop) {
        process.setProcessEnvironment(desktop.env);
        process.start(SYSTEMSETTING_BIN, desktop.appArgs({}));
    }
    // Why the window may not be there: the process's state and what it said.
    QString report() {
        process.waitForFinished(1000);
        return QString("state %1, exit %2, stdout: %3, stderr: %4")
            .arg(process.state())
            .arg(process.exitCode())
            .arg(QString::fromUtf8(process.readAllStandardOutput()),
                 QString::fromUtf8(process.readAllStandardError()));
    }
    ~LiveApp() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QProcess process;
};

}  // namespace

class AppXvfbTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<XServer> server_;

private slots:
    void init() {
        server_ = std::make_unique<XServer>();
        const QString why = server_->start();
        if (!why.isEmpty()) QSKIP(qPrintable("没有可启动的 X 服务器, 跳过: " + why));
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool 未安装 (make test 会安装它)");
    }
    void cleanup() { server_.reset(); }

    void aRealClickTicksABoxAndSavesIt() {
        Desktop desktop(server_->display);
        const QString dump = desktop.scripted("click Stab(2)\nclick stabGl(0)\ndump\n");
        const QJsonArray tab = control(dump, "Stab").value("tabRects").toArray().at(2).toArray();
        const QJsonArray box = control(dump, "chkClosePnl").value("rect").toArray();
        const QJsonArray save = control(dump, "btnSave").value("rect").toArray();
        const QJsonArray close = control(dump, "btnClose").value("rect").toArray();
        QVERIFY2(!box.isEmpty(), qPrintable(dump));
        QCOMPARE(desktop.param("GL", "ClosePnl"), QString());

        LiveApp live(desktop);
        const QString window = desktop.waitForWindow("^系统参数$");
        QVERIFY2(!window.isEmpty(), qPrintable("the dialog did not appear: " + live.report()));
        QThread::msleep(3000);  // its first activation fills the pages, on a busy machine too
        desktop.click(window, tab);
        desktop.click(window, box);
        desktop.click(window, save);
        QVERIFY2(desktop.waitUntil([&] { return desktop.param("GL", "ClosePnl") == "1"; }),
                 qPrintable(desktop.param("GL", "ClosePnl")));

        desktop.click(window, close);  // saved: leaves without a question
        QVERIFY(live.process.waitForFinished(kWaitMs));
        QCOMPARE(live.process.exitCode(), 1);  // no module was started
    }

    void aRealClickOpensTheChangeLogViewer() {
        Desktop desktop(server_->display);
        const QString dump =
            desktop.scripted("click Stab(8)\ndump\nclick cmdOptHistory\ndump\nclick cmdExit\n");
        const QJsonArray tab = control(dump, "Stab").value("tabRects").toArray().at(8).toArray();
        const QJsonArray history = control(dump, "cmdOptHistory").value("rect").toArray();
        const QJsonArray exit = control(dump, "cmdExit").value("rect").toArray();
        const QJsonArray close = control(dump, "btnClose").value("rect").toArray();
        QVERIFY2(!exit.isEmpty(), qPrintable(dump));

        LiveApp live(desktop);
        const QString window = desktop.waitForWindow("^系统参数$");
        QVERIFY2(!window.isEmpty(), qPrintable("the dialog did not appear: " + live.report()));
        QThread::msleep(3000);
        desktop.click(window, tab);
        desktop.click(window, history);
        const QString viewer = desktop.waitForWindow("^参数修改日志");
        QVERIFY2(!viewer.isEmpty(), "the change-log viewer did not appear");

        desktop.click(viewer, exit);
        QVERIFY(desktop.waitUntil([&] {
            return desktop.xdotool({"search", "--onlyvisible", "--name", "^参数修改日志"})
                .isEmpty();
        }));
        desktop.click(window, close);
        QVERIFY(live.process.waitForFinished(kWaitMs));
        QCOMPARE(live.process.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(AppXvfbTest)
#include "test_app_xvfb.moc"
