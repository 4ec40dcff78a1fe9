// Session properties from the host, the property string and the session
// property collection.

#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;
using zx::host::HostError;

namespace {

class FakeLogin : public zx::host::LoginObject {
public:
    QVariant TaskExec(qint32, const QString&, const QString&, qint16, qint16, qint16,
                      std::optional<QVariant>) override {
        return {};
    }
    bool CommitTask(qint32) override { return true; }
};

}  // namespace

class SessionPropsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }
    void cleanup() { zx::ResetSessionCaches(); }

    void hostPropertiesAreFetchedFreshWithTheProcessId() {
        ScriptedHost host;
        host.properties = {
            {"PropsString", "Data Source=acct1;"}, {"UserID", "16394"}, {"AcctName", "样例账套"}};
        QCOMPARE(zx::GetPropsString(), QStringLiteral("Data Source=acct1;"));
        QCOMPARE(zx::GetUserID(), 16394);
        QCOMPARE(zx::GetAcctName(), QStringLiteral("样例账套"));
        host.properties["PropsString"] = "Data Source=acct2;";
        QCOMPARE(zx::GetPropsString(), QStringLiteral("Data Source=acct2;"));

        // One ShareProps per read, each asked with this process's id.
        QCOMPARE(host.count("create:ShareProps"), 4);
        QVERIFY(host.calls.contains("GetProperty:4242:UserID"));
        QVERIFY(host.calls.contains("GetProperty:4242:AcctName"));
    }

    void userIdOfMissingOrBadValue() {
        ScriptedHost host;
        QCOMPARE(zx::GetUserID(), 0);
        host.properties["UserID"] = "abc";
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetUserID());
    }

    void loginObjectIsAnObjectOrNothing() {
        ScriptedHost host;
        QVERIFY(!zx::GetLoginObject());
        host.properties["QORLogin"] = "not an object";
        QVERIFY(!zx::GetLoginObject());
        auto login = std::make_shared<FakeLogin>();
        host.properties["QORLogin"] = QVariant::fromValue(zx::host::ServicePtr(login));
        QCOMPARE(zx::GetLoginObject().get(), login.get());
    }

    void propValue_data() {
        QTest::addColumn<QString>("props");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("middle") << "Data Source=a;Language=chs;UserID=5;"
                                << "Language"
                                << "chs";
        QTest::newRow("no trailing ;") << "Data Source=a;Language=cht"
                                       << "Language"
                                       << "cht";
        QTest::newRow("any case") << "LANGUAGE=en;"
                                  << "language"
                                  << "en";
        QTest::newRow("tail of a key") << "UserID=5;ID=9;"
                                       << "ID"
                                       << "5";
        QTest::newRow("missing") << "Data Source=a;"
                                 << "Language"
                                 << "";
        QTest::newRow("empty value") << "Language=;X=1;"
                                     << "Language"
                                     << "";
        QTest::newRow("braces are not special") << "C={a=1;b=2};"
                                                << "C"
                                                << "{a=1";
        QTest::newRow("value holding =") << "K=a=b;"
                                         << "K"
                                         << "a=b";
    }
    void propValue() {
        QFETCH(QString, props);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        ScriptedHost host;
        host.properties["PropsString"] = props;
        QCOMPARE(zx::GetPropValue(key), expected);
    }

    void propValueWithoutSessionIsTheLanguage() {
        ScriptedHost host;
        host.provide<zx::host::LangInfo>(std::make_shared<FakeLangInfo>());
        QCOMPARE(zx::GetPropValue("Language"), QStringLiteral("chs"));
        QCOMPARE(zx::GetPropValue("Anything"), QStringLiteral("chs"));
        QCOMPARE(host.count("create:LangInfo"), 1);  // kept for the process
    }

    void sessionCollectionFromPropsString() {
        ScriptedHost host;
        QVERIFY(zx::LoadSessionProps(
            " Data Source = srv1 ;ConnectString={Provider=x;Password=a=b};SubID=ACC01;"
            "Empty=;Last=tail"));
        QCOMPARE(zx::GetSessionProp("data source"), QStringLiteral("srv1"));
        QCOMPARE(zx::GetSessionProp("CONNECTSTRING"), QStringLiteral("Provider=x;Password=a=b"));
        QCOMPARE(zx::GetSubID(), QStringLiteral("ACC01"));
        QCOMPARE(zx::GetSessionProp("Empty"), QString());
        QCOMPARE(zx::GetSessionProp("Last"), QStringLiteral("tail"));
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetSessionProp("Nope"));

        // A new load replaces the collection.
        QVERIFY(zx::LoadSessionProps("SubID=ACC02;"));
        QCOMPARE(zx::GetSubID(), QStringLiteral("ACC02"));
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetSessionProp("Last"));
    }

    void sessionCollectionRefusesDuplicateKeys() {
        ScriptedHost host;
        try {
            zx::LoadSessionProps("SubID=1;User=a;subid=2;");
            QFAIL("a duplicate key must raise");
        } catch (const HostError& error) {
            QCOMPARE(error.number(), 457);
            QVERIFY(error.description().contains("subid"));
        }
    }

    void connectValue_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QString props =
            "Data Source=srv;ConnectString={Provider=SQLOLEDB;Initial "
            "Catalog=AIS01};UserName=admin";
        QTest::newRow("braced connect string") << props << "ConnectString"
                                               << "Provider=SQLOLEDB;Initial Catalog=AIS01";
        QTest::newRow("any case of the key") << props << "connectstring"
                                             << "Provider=SQLOLEDB;Initial Catalog=AIS01";
        QTest::newRow("last pair without ;") << props << "username"
                                             << "admin";
        QTest::newRow("first pair") << props << "Data Source"
                                    << "srv";
        QTest::newRow("missing") << props << "Password"
                                 << "";
        QTest::newRow("only whole keys") << props << "Source"
                                         << "";
        QTest::newRow("inside the connect string") << "Provider=SQLOLEDB;Initial Catalog=AIS01"
                                                   << "Initial Catalog"
                                                   << "AIS01";
    }
    void connectValue() {
        QFETCH(QString, source);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(zx::GetConnectValue(source, key, ";"), expected);
    }
};

QTEST_GUILESS_MAIN(SessionPropsTest)
#include "test_session_props.moc"
