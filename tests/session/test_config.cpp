// The installation's configuration file, per-user values and the shared
// dictionary.

#include <QTemporaryDir>
#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;

namespace {

// An installation directory with Common/QORBaseScheme.ini holding `ini`.
struct Installation {
    QTemporaryDir dir;
    explicit Installation(const QByteArray& ini) {
        QDir(dir.path()).mkpath("Common");
        QFile file(dir.filePath("Common/QORBaseScheme.ini"));
        if (file.open(QIODevice::WriteOnly)) file.write(ini);
    }
    // The path as the registry gives it, joined with backslashes later.
    QString path() const { return dir.path(); }
    QString iniWithBackslashes() const { return path() + "\\Common\\QORBaseScheme.ini"; }
};

struct ConfigHost {
    ScriptedHost host;
    std::shared_ptr<FakeRegistry> registry = std::make_shared<FakeRegistry>(host);
    explicit ConfigHost(const QString& installPath) {
        registry->path = installPath;
        host.provide<zx::host::RegistryReader>(registry);
    }
};

const QByteArray kScheme =
    "\xEF\xBB\xBF; installation\r\n"
    "[Other]\r\nAppType=9\r\n"
    "[ version ]\r\n"
    "AppType = 1\r\n"
    "OEM=1\r\n"
    "AppName=  \xE8\xB4\xA2\xE5\x8A\xA1\xE8\xBD\xAF\xE4\xBB\xB6  \r\n"
    "HangYeType=2.6\r\n"
    "Quoted=\"a b \"\r\n"
    "Empty=\r\n"
    "[Version]\r\nLater=ignored\r\n";

}  // namespace

class ConfigTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }

    void iniValues() {
        Installation install(kScheme + "[Long]\nText=" + QByteArray(300, 'x') + "\n");
        const QString file = install.iniWithBackslashes();
        QCOMPARE(zx::GetIniValue(file, "VERSION", "apptype", "0"), QStringLiteral("1"));
        QCOMPARE(zx::GetIniValue(file, "Other", "AppType", "0"), QStringLiteral("9"));
        QCOMPARE(zx::GetIniValue(file, "Version", "AppName", ""), QStringLiteral("财务软件"));
        QCOMPARE(zx::GetIniValue(file, "Version", "Quoted", ""), QStringLiteral("a b "));
        QCOMPARE(zx::GetIniValue(file, "Version", "Empty", "dflt"), QString());
        QCOMPARE(zx::GetIniValue(file, "Version", "Missing", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(zx::GetIniValue(file, "Version", "Later", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(zx::GetIniValue(file, "Nowhere", "AppType", "dflt"), QStringLiteral("dflt"));
        QCOMPARE(zx::GetIniValue(file, "Long", "Text", "").size(), 255);
        QCOMPARE(zx::GetIniValue(install.path() + "\\none.ini", "Version", "AppType", "0"),
                 QStringLiteral("0"));
    }

    void appInfoIsReadOnceAndKept() {
        Installation install(kScheme);
        ConfigHost h(install.path());
        const zx::AppInfo& info = zx::GetAppInfo();
        QCOMPARE(info.appType, 1);
        QVERIFY(info.oem);
        QCOMPARE(info.appName, QStringLiteral("财务软件"));
        QCOMPARE(info.iconPath, install.path() + "\\Common\\Bmp\\QOR.ico");
        QVERIFY(zx::IsAppType1());
        QCOMPARE(h.host.count("create:RegistryReader"), 1);
        QCOMPARE(h.host.calls.last(),
                 "GetKeyValue:HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT|Path|1");
        QCOMPARE(zx::GetIndustryType(), 3);  // 2.6 rounded
    }

    void appInfoDefaultsWithoutConfiguration() {
        QTemporaryDir empty;
        ConfigHost h(empty.path());
        const zx::AppInfo& info = zx::GetAppInfo();
        QCOMPARE(info.appType, 0);
        QVERIFY(!info.oem);
        QCOMPARE(info.appName, QString());
        QVERIFY(!zx::IsAppType1());
        QCOMPARE(zx::GetIndustryType(), 0);
    }

    void appNameLosesLineBreaks() {
        Installation install("[Version]\nAppName=\" Zen\rtrix \"\n");
        ConfigHost h(install.path());
        QCOMPARE(zx::GetAppInfo().appName, QStringLiteral("Zentrix"));
    }

    void userProfileValues() {
        ScriptedHost host;
        auto profile = std::make_shared<FakeUserProfile>();
        host.provide<zx::host::UserProfile>(profile);
        QCOMPARE(zx::GetUserProfileValue("GLSystemSetting", "frmOptLog", "FormWidth", "9000"),
                 QVariant("9000"));
        QVERIFY(zx::SetUserProfileValue("GLSystemSetting", "frmOptLog", "FormWidth", 12000));
        QCOMPARE(zx::GetUserProfileValue("GLSystemSetting", "frmOptLog", "FormWidth", "9000"),
                 QVariant("12000"));
        // Another form keeps its own values.
        QCOMPARE(zx::GetUserProfileValue("GLSystemSetting", "frmOther", "FormWidth", "1"),
                 QVariant("1"));

        // A Boolean default gives a Boolean, whatever the stored text.
        zx::SetUserProfileValue("C", "F", "Flag", "1");
        QCOMPARE(zx::GetUserProfileValue("C", "F", "Flag", false), QVariant(true));
        zx::SetUserProfileValue("C", "F", "Flag", "False");
        QCOMPARE(zx::GetUserProfileValue("C", "F", "Flag", true), QVariant(false));
        QCOMPARE(zx::GetUserProfileValue("C", "F", "None", true), QVariant(true));
    }

    void sharedValueNeedsThePublishedDictionary() {
        ScriptedHost host;
        zx::SetSharedValue("RatioDecPlaces", 4);  // nothing published: nothing happens
        host.shared = QVariantMap{};
        zx::SetSharedValue("RatioDecPlaces", 6);
        QCOMPARE(host.shared->value("RatioDecPlaces"), QVariant(6));
    }
};

QTEST_GUILESS_MAIN(ConfigTest)
#include "test_config.moc"
