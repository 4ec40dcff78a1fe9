// The program's command line as a new user meets it: the help that lists
// the commands, refusals that leave files alone, output for programs that
// holds nothing else, and scripts that meet a message before the dialog.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "AppRun.h"
#include "DemoSet.h"

namespace {

const QStringList kCommands = {"locks", "export", "diff", "apply", "audit", "revert"};

// The environment of a session without a runtime folder, where the toolkit
// would remark on it.
QProcessEnvironment bareSession() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    env.remove("DISPLAY");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

class Folder {
public:
    Folder() { QVERIFY(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString set() const { return path("set.zxdb"); }
    QString install() const { return path("install"); }

    // The program on this folder's account set (made on first use).
    Run run(const QStringList& args, const QString& script = QString()) const {
        return runApp(args + QStringList{"--db", set(), "--install", install()}, path("script.txt"),
                      script, bareSession());
    }
    Run command(const QString& name, const QStringList& args = {}) const {
        return runApp(QStringList{name, "--db", set(), "--install", install()} + args, QString(),
                      QString(), bareSession());
    }
    Run made() const { return run({"--create", "--dump-controls"}); }

    void exec(const QString& sql) const {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "direct");
            db.setDatabaseName(set());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(sql));
        }
        QSqlDatabase::removeDatabase("direct");
    }

    QTemporaryDir dir;
};

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool allJson(const QString& out) {
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        if (QJsonDocument::fromJson(line.toUtf8()).isNull()) return false;
    }
    return !out.isEmpty();
}

}  // namespace

class AppCommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void helpListsTheCommandsAndEachNamesItself() {
        const Run help = runApp({"--help"});
        QCOMPARE(help.exitCode, 0);
        for (const QString& command : kCommands) {
            static const QString line = QStringLiteral("\n  %1 ");
            QVERIFY2(help.out.contains(line.arg(command)), qPrintable(command + "\n" + help.out));
        }
        for (const QString& command : kCommands) {
            const Run own = runApp({command, "--help"});
            QCOMPARE(own.exitCode, 0);
            const QString usage = own.out.section('\n', 0, 0);
            QVERIFY2(usage.contains("systemsetting " + command + " "), qPrintable(usage));
        }
        const Run unknown = runApp({"undo"});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.err.contains("不认识的命令: undo"));
    }

    // --create makes a set only where there is none; what is there is
    // neither opened nor changed, whatever it holds.
    void createLeavesAnExistingFileAlone_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("account set") << QByteArray("set");
        // Opening this one would bring its tables up to date: a write.
        QTest::newRow("older account set") << QByteArray("older");
        QTest::newRow("empty file") << QByteArray("empty");
        QTest::newRow("other file") << QByteArray("text");
    }
    void createLeavesAnExistingFileAlone() {
        QFETCH(QByteArray, kind);
        Folder f;
        if (kind == "set" || kind == "older") {
            QCOMPARE(f.made().exitCode, 0);
            if (kind == "older") f.exec("UPDATE t_SchemaVersion SET FVersion = 2");
        } else {
            QFile file(f.set());
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kind == "text") file.write("账套备份说明\n");
        }
        const QByteArray before = contentsOf(f.set());
        const QDateTime changed = QFileInfo(f.set()).lastModified();
        const QStringList beside =
            QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        const Run r = f.run({"--create", "--dump-controls"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(f.set()) && r.err.contains("--create"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(contentsOf(f.set()), before);
        QCOMPARE(QFileInfo(f.set()).lastModified(), changed);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), beside);
    }

    // On a server the database is there by nature: one that holds a set is
    // not made anew.
    void createLeavesAServerSetAlone() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        DemoSet set;
        const Run r = runApp(
            {"--db", set.location(), "--create", "--install", set.installDir, "--dump-controls"},
            QString(), QString(), bareSession());
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("已经有账套, --create 不会覆盖它"), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    void appTypeTakesOnlyTheProductsValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("warehouse") << "2" << 0;
        QTest::newRow("unknown variant") << "3" << 2;
        QTest::newRow("negative") << "-1" << 2;
        QTest::newRow("not a number") << "two" << 2;
    }
    void appTypeTakesOnlyTheProductsValues() {
        QFETCH(QString, value);
        QFETCH(int, exitCode);
        Folder f;
        QCOMPARE(f.made().exitCode, 0);
        const QString ini = f.install() + "/Common/QORBaseScheme.ini";
        const QByteArray before = contentsOf(ini);
        const Run r = f.run({"--app-type", value, "--dump-controls"});
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(contentsOf(ini).contains("AppType=" + value.toUtf8()));
            QCOMPARE(control(r.out, "Stab").value("items").toArray().at(2).toString(), "账务参数");
        } else {
            QVERIFY2(r.err.contains("--app-type 只接受 0 ("), qPrintable(r.err));
            QCOMPARE(contentsOf(ini), before);
        }
    }

    // What programs read carries nothing else, and the toolkit's remarks
    // about the platform are not printed; a real warning still is.
    void outputForProgramsHoldsNothingElse() {
        Folder f;
        const Run dump = f.made();
        QCOMPARE(dump.exitCode, 0);
        QVERIFY2(allJson(dump.out), qPrintable(dump.out));
        QVERIFY2(dump.err.isEmpty(), qPrintable(dump.err));
        const Run exported = f.command("export");
        QCOMPARE(exported.exitCode, 0);
        QVERIFY(!QJsonDocument::fromJson(exported.out.toUtf8()).isNull());
        QVERIFY2(exported.err.isEmpty(), qPrintable(exported.err));
        const Run locks = f.command("locks");
        QCOMPARE(locks.exitCode, 0);
        QVERIFY2(locks.err.isEmpty(), qPrintable(locks.err));

        // The window's size cannot be read: the dialog opens all the same,
        // and the warning about it stays on stderr.
        f.exec("DROP TABLE t_UserProfile");
        const Run warned = f.run({"--dump-controls"});
        QCOMPARE(warned.exitCode, 0);
        QVERIFY2(allJson(warned.out), qPrintable(warned.out));
        QVERIFY2(warned.err.startsWith("window size: "), qPrintable(warned.err));
        QVERIFY2(!warned.err.contains("QStandardPaths") && !warned.err.contains("This plugin"),
                 qPrintable(warned.err));

        // A message of the load goes to stderr, beside the dump.
        f.exec("UPDATE t_SystemProfile SET FValue = '99999999999' WHERE FKey = 'StartYear'");
        const Run told = f.run({"--dump-controls"});
        QCOMPARE(told.exitCode, 0);
        QVERIFY2(allJson(told.out), qPrintable(told.out));
        QVERIFY2(told.err.contains("[错误] "), qPrintable(told.err));
    }

    // A message shown while the dialog opens is the script's first window:
    // it can look at it, and the lines for the dialog run once it has loaded.
    void aScriptMeetsTheMessagesOfTheStart_data() {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QString>("message");
        QTest::newRow("error of the load") << QByteArray("overflow") << "99999999999";
        QTest::newRow("read-only notice") << QByteArray("read-only") << "只能读取";
    }
    void aScriptMeetsTheMessagesOfTheStart() {
        QFETCH(QByteArray, start);
        QFETCH(QString, message);
        Folder f;
        QCOMPARE(f.made().exitCode, 0);
        if (start == "overflow") {
            f.exec("UPDATE t_SystemProfile SET FValue = '99999999999' WHERE FKey = 'StartYear'");
        } else {
            QVERIFY(QFile::setPermissions(f.set(), QFile::ReadOwner | QFile::ReadGroup));
        }
        const Run r = f.run({"--script-timeout", "10"},
                            "expect-window MsgBox\n"
                            "dump\n"
                            "click Stab(2)\n"
                            "expect-window frmSystemProfiles\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        const QJsonObject box = control(r.out, "MsgBox");
        QVERIFY2(box.value("text").toString().contains(message), qPrintable(r.out));
        QCOMPARE(box.value("items").toArray(), (QJsonArray{"确定"}));
    }

    // A user without the right to view: the refusal, then exit code 1 (a
    // script that waited for the dialog would end with 3).
    void aUserRefusedTheDialogEndsTheScriptWithOne() {
        Folder f;
        QCOMPARE(f.made().exitCode, 0);
        const Run refused = f.run({"--user", "guest", "--script-timeout", "10"},
                                  "click Stab(2)\nset chkSettle 1\n");
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.out.contains("[错误] ") && refused.out.contains("没有执行"),
                 qPrintable(refused.out));
    }
};

QTEST_GUILESS_MAIN(AppCommandLineTest)
#include "test_app_commandline.moc"
