// Opening an account set, through the reference host and through the
// executable as a user starts it: while another process holds the set, on a
// read-only file, on files that are no account set, on a missing path, in
// folders whose names the session string must carry; the exit codes of a
// refused dialog and script values as written.
// The holder case runs on SQLite, and on a server with ZX_TEST_PG.

#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "AppRun.h"
#include "DemoSet.h"
#include "WriteHolder.h"
#include "zx/host/Environment.h"
#include "zx/host/Services.h"

using refhost::Database;
using zx::host::HostError;

namespace {

// Runs the executable on `db`; a script, when given, is written beside the
// installation directory.
Run run(const QString& db, const QString& install, const QStringList& args,
        const QString& script = QString()) {
    return runApp(QStringList{"--db", db, "--install", install} + args,
                  QFileInfo(install).dir().filePath("script.txt"), script);
}

// What a save could have written: every parameter, and the rows of the
// change log, the lock register and the management log.
QString written(refhost::Database& db) {
    QString text;
    const auto rows = db.nativeQuery(QStringLiteral(
        "SELECT FCategory, FKey, FValue FROM t_SystemProfile ORDER BY FCategory, FKey"));
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        text += rows->Field(0).toString() + u'/' + rows->Field(1).toString() + u'=' +
                rows->Field(2).toString() + u'\n';
    }
    for (const char* table : {"t_SystemProfile_Log", "t_NetLock", "t_MGLog"}) {
        text += QString::fromLatin1(table) + u'=' +
                db.nativeQuery(QString("SELECT COUNT(*) FROM ") + QLatin1String(table))
                    ->Field(0)
                    .toString() +
                u'\n';
    }
    return text;
}

// The error `work` raises; an empty error when it raises none.
template <typename Work>
HostError raised(Work work) {
    try {
        work();
    } catch (const HostError& error) {
        return error;
    }
    return HostError(0, QString(), QString());
}

QString storedName(Database& db) {
    const auto rows = db.nativeQuery(QStringLiteral(
        "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'General' AND FKey = 'CompanyName'"));
    rows->MoveFirst();
    return rows->Field(0).toString();
}

const QString kRename = QStringLiteral(
    "UPDATE t_SystemProfile SET FValue = '改名' WHERE FCategory = 'General' AND FKey = "
    "'CompanyName'");

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Runs the executable as an ordinary user: as root through setpriv as
// "nobody", else as the user running the tests. Empty when rights cannot be
// dropped or that user cannot reach the executable.
std::optional<Run> runAsOrdinaryUser(const QStringList& args, const QString& home) {
    QStringList command{SYSTEMSETTING_BIN};
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (setpriv.isEmpty()) return std::nullopt;
        command = QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--"} +
                  command;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", home);
    env.remove("XDG_RUNTIME_DIR");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(command.first(), command.mid(1) + args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return Run{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
               QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

class OpenTest : public QObject {
    Q_OBJECT

private slots:
    void anotherProcessHoldsTheSet() {
        DemoSet set;
        const QString db = set.location();
        const Run alone = run(db, set.installDir, {"--dump-controls"});
        QCOMPARE(alone.exitCode, 0);
        const QString before = written(*set.db);

        WriteHolder holder(db);
        QVERIFY(holder.holding());
        const bool server = !set.pgDatabase.isEmpty();
        auto namesHolder = [&](const QString& text) {
            return text.contains(server ? "服务器会话" : "(writeholder)");
        };

        // Opening only reads, so it goes through.
        refhost::OpenOptions options;
        options.create = false;
        auto other = Database::open(db, options);
        QCOMPARE(storedName(*other), "演示科技有限公司");

        // A write gives up after a short wait, in words that name the holder.
        const HostError write = raised([&] { other->nativeExec(kRename); });
        QCOMPARE(write.number(), refhost::kAccountSetBusy);
        QVERIFY2(namesHolder(write.description()), qPrintable(write.description()));

        // A start that must write waits, says who it waits for, and gives up.
        QStringList waitedFor;
        auto waiting = [&](const QString& who) { waitedFor << who; };
        const HostError gaveUp = raised(
            [&] { other->patientTransaction([&] { other->nativeExec(kRename); }, waiting, 700); });
        QCOMPARE(gaveUp.number(), refhost::kAccountSetBusy);
        QVERIFY2(gaveUp.description().contains("后放弃"), qPrintable(gaveUp.description()));
        QVERIFY(namesHolder(gaveUp.description()));
        QVERIFY(!waitedFor.isEmpty());
        QVERIFY2(namesHolder(waitedFor.first()), qPrintable(waitedFor.first()));

        // The dialog opens and shows every value as it does without the holder.
        const Run held = run(db, set.installDir, {"--dump-controls"});
        QVERIFY2(held.exitCode == 0, qPrintable(held.out + held.err));
        QCOMPARE(held.out, alone.out);

        // A save's function lock is its first write: refused, nothing written.
        const Run save = run(db, set.installDir, {},
                             "set txtCompanyAddress 另一个地址\n"
                             "click btnSave\n"
                             "answer no\n"
                             "click btnClose\n"
                             "expect-closed\n");
        QVERIFY2(save.exitCode == 0, qPrintable(save.out + save.err));
        QVERIFY2(save.out.contains("[错误] 现在不能保存: 账套正被"), qPrintable(save.out));
        QVERIFY(save.out.contains("本次保存没有写入任何内容"));
        QVERIFY(!save.out.contains("locked"));
        QVERIFY(!save.out.contains("timeout"));
        QVERIFY(holder.release());
        QCOMPARE(written(*set.db), before);

        // Once the holder is done the same start goes through.
        other->patientTransaction([&] { other->nativeExec(kRename); }, waiting, 700);
        QCOMPARE(storedName(*other), "改名");
    }

    void readOnlyFileShowsEveryValueWithoutSave() {
        if (!qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("a file's permissions");
        DemoSet set;
        const QString path = set.location();
        const Run writable = run(path, set.installDir, {"--dump-controls"});
        set.host.reset();
        set.db.reset();
        const QByteArray bytes = digest(path);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        auto restore =
            qScopeGuard([&] { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner); });

        // Marked read-only: even the administrator may look and nothing more.
        {
            auto db = Database::openSqlite(path);
            QVERIFY(db->readOnly());
            refhost::RefHost host(db, set.installDir);
            refhost::installStandardServices(host);
            host.login("administrator");
            QVERIFY(host.readOnlyNotice().contains("只能读取"));
            auto security = zx::host::createService<zx::host::SecurityInfo>();
            const QString props = host.propsString();
            QVERIFY(!security->IsAdministrator(props));
            QVERIFY(security->AccessCheck(props, 18, 0, 1048576, true, "查看").toBool());
            QCOMPARE(security->AccessCheck(props, 18, 0, 2097152, false, "修改"), QVariant(false));
            const HostError modify =
                raised([&] { security->AccessCheck(props, 18, 0, 2097152, true, "修改"); });
            QVERIFY2(modify.description().startsWith(host.readOnlyNotice()),
                     qPrintable(modify.description()));
            // The reason depends on whether this user could override it.
            const HostError write = raised([&] { db->nativeExec(kRename); });
            QCOMPARE(write.number(), refhost::kAccountSetReadOnly);
            QVERIFY(write.description().contains(db->readOnlyReason()));
        }

        const Run r = run(path, set.installDir, {"--dump-controls"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        // The notice is for a person: beside the dump, not in it.
        QVERIFY2(r.err.startsWith(QString("[提示] 账套 %1 只能读取 (").arg(path)),
                 qPrintable(r.err));
        const auto shown = dumped(r.out);
        const auto usual = dumped(writable.out);
        QStringList names = usual.keys();
        names.sort();
        QStringList shownNames = shown.keys();
        shownNames.sort();
        QCOMPARE(shownNames, names);
        for (const QString& name : names) {
            if (name == QLatin1String("lblReadOnlyNotice"))
                continue;  // says why, differs on purpose
            for (const char* field : {"text", "value", "index", "caption", "items"}) {
                QCOMPARE(shown[name].value(QString::fromLatin1(field)),
                         usual[name].value(QString::fromLatin1(field)));
            }
        }
        for (const char* name : {"btnSave", "btnOK"}) {
            QCOMPARE(shown[QLatin1String(name)].value("enabled").toBool(), false);
        }
        // Values stay readable, but nothing the user does changes them.
        for (const char* name : {"txtCompanyName", "chkSettle"}) {
            QCOMPARE(shown[QLatin1String(name)].value("locked").toBool(), true);
        }
        QCOMPARE(digest(path), bytes);
    }

    // A set in a folder this user may not write: SQLite cannot put its
    // -wal and -shm files beside it, so the set is read as it stands.
    // The dialog shows it read-only and says why; export, audit, locks and
    // diff work; nothing appears in the folder and the file is unchanged.
    void aSetInAFolderTheUserCannotWriteIsReadOnly_data() {
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<QString>("why");
        QTest::newRow("file and folder read-only") << 0644 << "当前用户对账套文件只有读取权限";
        QTest::newRow("only the folder") << 0666 << "账套文件所在的目录不允许写入";
    }
    void aSetInAFolderTheUserCannotWriteIsReadOnly() {
        QFETCH(int, fileMode);
        QFETCH(QString, why);
        if (!qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("a folder's permissions");
        QTemporaryDir top(QDir::temp().filePath("zx-readonly-XXXXXX"));
        QVERIFY(top.isValid());
        QDir root(top.path());
        QVERIFY(root.mkdir("sets") && root.mkdir("home"));
        const QString path = root.filePath("sets/books.zxdb");
        {
            DemoSet set;
            set.host.reset();
            set.db.reset();  // closed: the write-ahead log is folded in and removed
            QVERIFY(QFile::copy(set.location(), path));
        }
        const QByteArray bytes = digest(path);
        QCOMPARE(::chmod(QFile::encodeName(top.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(root.filePath("home")).constData(), 0777), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(fileMode)), 0);
        QCOMPARE(::chmod(QFile::encodeName(root.filePath("sets")).constData(), 0555), 0);
        auto restore = qScopeGuard(
            [&] { ::chmod(QFile::encodeName(root.filePath("sets")).constData(), 0755); });
        const QString home = root.filePath("home");
        const QStringList at{"--db", path, "--install", root.filePath("home/install")};

        const std::optional<Run> dump =
            runAsOrdinaryUser(QStringList{"--dump-controls"} + at, home);
        if (!dump || dump->err.contains("Permission denied") || dump->exitCode == 126) {
            QSKIP(
                "the tests cannot run the program as an ordinary user here (no setpriv, or "
                "the build folder is out of that user's reach)");
        }
        QVERIFY2(dump->exitCode == 0, qPrintable(dump->out + dump->err));
        QVERIFY2(dump->err.contains("只能读取") && dump->err.contains(why), qPrintable(dump->err));
        QCOMPARE(control(dump->out, "btnSave").value("enabled").toBool(), false);
        QCOMPARE(control(dump->out, "txtCompanyName").value("text").toString(),
                 QString("演示科技有限公司"));

        const std::optional<Run> exported = runAsOrdinaryUser(QStringList{"export"} + at, home);
        QVERIFY(exported && exported->exitCode == 0);
        QVERIFY(exported->out.contains("\"CompanyName\""));
        QFile file(root.filePath("home/books.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(exported->out.toUtf8());
        file.close();
        for (const QStringList& command :
             {QStringList{"audit"} + at, QStringList{"locks"} + at,
              QStringList{"diff", path, file.fileName(), "--install", at.last()}}) {
            const std::optional<Run> r = runAsOrdinaryUser(command, home);
            QVERIFY(r);
            QVERIFY2(r->exitCode == 0, qPrintable(command.first() + ": " + r->out + r->err));
        }
        QCOMPARE(QDir(root.filePath("sets")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"books.zxdb"});
        QCOMPARE(digest(path), bytes);
    }

    void whatIsNoAccountSetIsRefusedUntouched_data() {
        QTest::addColumn<QByteArray>("content");  // "foreign" for an SQLite file of other tables
        QTest::addColumn<QString>("message");
        QTest::newRow("zero length") << QByteArray("") << "是空文件 (0 字节)";
        QTest::newRow("not SQLite")
            << QByteArray("账套\n").repeated(500) << "它不是 SQLite 数据库文件";
        QTest::newRow("foreign tables")
            << QByteArray("foreign") << "其中的表 (customers) 不属于账套";
    }
    void whatIsNoAccountSetIsRefusedUntouched() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("books.db");
        if (content == "foreign") {
            const QString name = "foreign";
            {
                QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", name);
                other.setDatabaseName(path);
                QVERIFY(other.open());
                QSqlQuery q(other);
                QVERIFY(q.exec("CREATE TABLE customers (id INTEGER, name TEXT)"));
                QVERIFY(q.exec("INSERT INTO customers VALUES (1, '甲')"));
            }
            QSqlDatabase::removeDatabase(name);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const QByteArray bytes = digest(path);
        const QStringList entries = QDir(dir.path()).entryList(QDir::Files);

        const Run r = run(path, dir.filePath("install"), {"--dump-controls"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(path + u' ') && r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains("文件没有被改动"));
        QCOMPARE(digest(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), entries);
    }

    // What a database driver says stays out of the message: the user reads
    // what failed and what it means for the data; the driver's own words
    // follow on a line of their own.
    void driverWordsStayInTheDetails_data() {
        QTest::addColumn<QString>("db");  // "damaged" for a damaged SQLite file
        QTest::addColumn<QString>("said");
        QTest::newRow("damaged file") << "damaged"
                                      << "文件不是账套数据库或已损坏";
        QTest::newRow("no server") << "postgresql://zx@127.0.0.1:1/books"
                                   << "服务器没有在这个地址和端口上运行";
    }
    void driverWordsStayInTheDetails() {
        QFETCH(QString, db);
        QFETCH(QString, said);
        QTemporaryDir dir;
        if (db == "damaged") {
            db = dir.filePath("books.db");
            QFile file(db);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("SQLite format 3\0", 16) + QByteArray(8176, '\x5a'));
        }
        const QByteArray bytes = digest(db);
        const Run r = runApp({"export", "--db", db, "--install", dir.filePath("install")},
                             dir.filePath("script.txt"), QString());
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QString());
        const QStringList lines = r.err.trimmed().split(u'\n');
        QVERIFY2(lines.size() >= 2 && lines.first().contains(said), qPrintable(r.err));
        // Latin letters in the message are the set's own address only.
        QVERIFY2(!QString(lines.first()).remove(db).contains(QRegularExpression("[A-Za-z]{3,}")),
                 qPrintable(r.err));
        const QString details = lines.mid(1).join(u'\n');
        QVERIFY2(details.startsWith("    (数据库的说明: ") &&
                     details.contains(QRegularExpression("[A-Za-z]{3,}")),
                 qPrintable(r.err));
        QCOMPARE(digest(db), bytes);
    }

    void aMissingFileIsCreatedOnlyWhenAsked() {
        QTemporaryDir dir;
        const QString path = dir.filePath("typo/set.zxdb");
        const QString install = dir.filePath("install");
        const Run refused = run(path, install, {"--dump-controls"});
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains(QString("账套文件 %1 不存在。").arg(path)),
                 qPrintable(refused.err));
        QVERIFY(refused.err.contains(QString("--db \"%1\" --create").arg(path)));
        QVERIFY(!QFileInfo::exists(dir.filePath("typo")));

        const Run created = run(path, install, {"--create", "--dump-controls"});
        QCOMPARE(created.exitCode, 0);
        QCOMPARE(dumped(created.out)["txtCompanyName"].value("text").toString(),
                 "演示科技有限公司");
        // Made whole in its place: nothing half-made left beside it.
        const QStringList left = QDir(dir.filePath("typo")).entryList(QDir::Files);
        QCOMPARE(left.filter(".new-"), QStringList());
    }

    void setsInFoldersOfAnyName_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("semicolon") << "a;b";
        QTest::newRow("braces") << "账套}{2024";
        QTest::newRow("percent") << "p%3Bq%";
        QTest::newRow("blank at the end") << "账套 ";
    }
    // A save goes through the session string and the save's lock; the
    // script's value arrives as written: lines ended by CR LF, a lone CR
    // inside and a blank at the end.
    void setsInFoldersOfAnyName() {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        const QString path = dir.filePath(folder + "/set.zxdb");
        const Run r = run(path, dir.filePath("install"), {"--create"},
                          "set txtCompanyAddress 1号\r2号 \r\ndump\r\nclick btnSave\r\n");
        QVERIFY2(r.exitCode == 0 && !r.out.contains("[错误]"), qPrintable(r.out + r.err));
        QCOMPARE(dumped(r.out)["txtCompanyAddress"].value("text").toString(), "1号\r2号 ");
        auto db = refhost::Database::openSqlite(path);
        const auto rows =
            db->nativeQuery("SELECT FValue FROM t_SystemProfile WHERE FKey = 'CompanyAddress'");
        QCOMPARE(rows->Field(0).toString(), "1号\r2号");  // the save trims typed blanks
    }

    void aRefusedDialogEndsWithOne_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("dump") << QStringList{"--dump-controls"};
        QTest::newRow("screenshot") << QStringList{"--screenshot", "shots"};
    }
    void aRefusedDialogEndsWithOne() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        if (args.size() > 1) args[1] = dir.filePath(args[1]);
        const Run r = run(dir.filePath("set.zxdb"), dir.filePath("install"),
                          args + QStringList{"--create", "--user", "guest"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY((r.out + r.err).contains("查看权限"));
        QVERIFY(!r.out.contains("{\""));
        QVERIFY(QDir(dir.filePath("shots")).entryList({"*.png"}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(OpenTest)
#include "tst_open.moc"
