// The installation's configuration file, the help key and the hourglass.

#include <QTemporaryDir>
#include <QtTest>

#include "ScriptedHost.h"
#include "zx/session/Session.h"

using namespace zxtest;

namespace {

struct FakeRegistry : zx::host::RegistryReader {
    ScriptedHost& host;
    QString path;
    explicit FakeRegistry(ScriptedHost& h) : host(h) {}
    QString GetKeyValue(const QString& key, const QString& name, const QString& flag) override {
        host.record("GetKeyValue:" + key + "|" + name + "|" + flag);
        return path;
    }
};

struct FakeHelp : zx::host::CHMHelp {
    ScriptedHost& host;
    explicit FakeHelp(ScriptedHost& h) : host(h) {}
    void SETVBProjectID(const QString& topic, qint32 window) override {
        host.record(QString("SETVBProjectID:%1|%2").arg(topic).arg(window));
    }
    void ShowHELP(const QString& file, const QString& topic, qint32 context) override {
        host.record(QString("ShowHELP:%1|%2|%3").arg(file, topic).arg(context));
    }
};

// An installation directory whose Common/QORBaseScheme.ini holds `ini`.
struct Installation {
    QTemporaryDir dir;
    explicit Installation(const QByteArray& ini) {
        QDir(dir.path()).mkpath("Common");
        QFile file(dir.filePath("Common/QORBaseScheme.ini"));
        if (file.open(QIODevice::WriteOnly)) file.write(ini);
    }
    QString ini() const { return dir.path() + "\\Common\\QORBaseScheme.ini"; }
};

const QByteArray kScheme =
    "\xEF\xBB\xBF; installation\r\n[Other]\r\nAppType=9\r\n"
    "[ version ]\r\nAppType = 1\r\nOEM=1\r\n"
    "AppName=  \" \xE8\xB4\xA2\xE5\x8A\xA1\r\xE8\xBD\xAF\xE4\xBB\xB6 \"\r\n"
    "HangYeType=2.6\r\nEmpty=\r\n[Version]\r\nLater=x\r\n"
    "[Long]\nText=" +
    QByteArray(300, 'x') + "\n";

}  // namespace

class ConfigurationTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }
    void cleanup() { zx::ResetSessionCaches(); }

    void iniValues() {
        Installation install(kScheme);
        const QString file = install.ini();
        QCOMPARE(zx::GetIniValue(file, "VERSION", "apptype", "0"), "1");
        QCOMPARE(zx::GetIniValue(file, "Other", "AppType", "0"), "9");
        QCOMPARE(zx::GetIniValue(file, "Version", "Empty", "d"), "");
        QCOMPARE(zx::GetIniValue(file, "Version", "Missing", "d"), "d");
        QCOMPARE(zx::GetIniValue(file, "Version", "Later", "d"), "d");  // first section only
        QCOMPARE(zx::GetIniValue(file, "Nowhere", "AppType", "d"), "d");
        QCOMPARE(zx::GetIniValue(file, "Long", "Text", "").size(), 255);
        QCOMPARE(zx::GetIniValue(file + ".none", "Version", "AppType", "0"), "0");
    }

    void appInfoIsReadOnceAndKept() {
        Installation install(kScheme);
        ScriptedHost host;
        auto registry = std::make_shared<FakeRegistry>(host);
        registry->path = install.dir.path();
        host.provide<zx::host::RegistryReader>(registry);

        const zx::AppInfo& info = zx::GetAppInfo();
        QCOMPARE(info.appType, 1);
        QVERIFY(info.oem);
        QCOMPARE(info.appName, "财务软件");  // unquoted, trimmed, line break dropped
        QCOMPARE(info.iconPath, install.dir.path() + "\\Common\\Bmp\\QOR.ico");
        QVERIFY(zx::IsAppType1());
        QCOMPARE(
            host.calls.filter("GetKeyValue:"),
            QStringList{"GetKeyValue:HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT|Path|1"});
        QCOMPARE(zx::GetIndustryType(), 3);  // 2.6 rounded

        registry->path = QDir::tempPath() + "/no-installation-here";
        QCOMPARE(zx::GetAppInfo().appType, 1);  // kept
        QCOMPARE(zx::GetIndustryType(), 0);     // read afresh, default
    }

    void helpKey_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("file");  // empty: nothing shown
        QTest::newRow("initial balances") << "glinitbal.initbal"
                                          << "";
        QTest::newRow("cash-flow balances") << "GLInitBal.InitCashFlowBal"
                                            << "";
        QTest::newRow("cash flow") << "GLCashFlow.CashFlow"
                                   << "mxs.chm";
        QTest::newRow("cash voucher") << "glcashflow.cashvoucher"
                                      << "mxs.chm";
        QTest::newRow("cash flow table") << "gltcashflow.tcashflow"
                                         << "mxs.chm";
        QTest::newRow("cash flow sheet") << "glfcashflow.fcashflow"
                                         << "mxs.chm";
        QTest::newRow("parameters") << "GLSystemSetting.frmSystemProfiles"
                                    << "mainhelp.chm";
        QTest::newRow("other") << "GLSystemSetting.frmICSystemProfiles"
                               << "QORV12.chm";
    }
    void helpKey() {
        QFETCH(QString, topic);
        QFETCH(QString, file);
        ScriptedHost host;
        host.provide<zx::host::CHMHelp>(std::make_shared<FakeHelp>(host));
        for (qint16 code : {13, 27, 113}) {
            qint16 key = code;
            QVERIFY(!zx::ShowHelpKey(key, topic));
            QCOMPARE(key, code);
        }
        qint16 key = 112;
        QVERIFY(zx::ShowHelpKey(key, topic));
        QCOMPARE(key, qint16(0));  // consumed, shown or not
        QCOMPARE(
            host.calls.filter("ShowHELP:"),
            file.isEmpty() ? QStringList() : QStringList{"ShowHELP:" + file + "|" + topic + "|0"});

        zx::RegisterHelpWindow(topic, 4711);
        QVERIFY(host.calls.contains("SETVBProjectID:" + topic + "|4711"));
        QVERIFY(host.count("create:CHMHelp") <= 1);  // created once, kept
    }

    void waitCursors() {
        ScriptedHost host;
        {
            zx::WaitCursor outer;
            { zx::WaitCursor inner; }
            QCOMPARE(host.pointer, 11);
        }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 0}));

        // A count that would fall below zero raises error 1.
        auto* orphan = new zx::WaitCursor;
        zx::ResetSessionCaches();
        try {
            delete orphan;
            QFAIL("no error below zero");
        } catch (const zx::host::HostError& error) {
            QCOMPARE(error.number(), 1);
        }
        { zx::WaitCursor fresh; }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 0, 11, 11, 0}));
    }
};

QTEST_GUILESS_MAIN(ConfigurationTest)
#include "test_configuration.moc"
