// Session properties from the host, the property string and the session
// property collection.

#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;
using zx::host::HostError;

namespace {
struct FakeLangInfo : zx::host::LangInfo {
    QString CurrentLanguage() override { return "chs"; }
};
}  // namespace

class SessionPropsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }

    void hostPropertiesAreFetchedFreshWithTheProcessId() {
        ScriptedHost host;
        host.properties = {{"PropsString", "Data Source=a;"}, {"UserID", "16394"}};
        QCOMPARE(zx::GetUserID(), 16394);
        QCOMPARE(zx::GetPropsString(), "Data Source=a;");
        host.properties["PropsString"] = "Data Source=b;";
        QCOMPARE(zx::GetPropsString(), "Data Source=b;");
        QCOMPARE(host.count("create:ShareProps"), 3);  // one service per read
        QVERIFY(host.calls.contains("GetProperty:4242:UserID"));
        QVERIFY(!zx::GetLoginObject());
        host.properties["UserID"] = "abc";
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetUserID());
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
        QTest::newRow("braces not special") << "C={a=1;b=2};"
                                            << "C"
                                            << "{a=1";
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
        QCOMPARE(zx::GetPropValue("Language"), "chs");
        QCOMPARE(zx::GetPropValue("Other"), "chs");
        QCOMPARE(host.count("create:LangInfo"), 1);  // kept for the process
    }

    void sessionCollection() {
        ScriptedHost host;
        QVERIFY(
            zx::LoadSessionProps(" Data Source = srv ;ConnectString={P=x;Pwd=a=b} ;"
                                 "SubID=ACC01;Empty=;Last=tail"));
        QCOMPARE(zx::GetSessionProp("data source"), "srv");
        QCOMPARE(zx::GetSessionProp("CONNECTSTRING"), "P=x;Pwd=a=b");
        QCOMPARE(zx::GetSubID(), "ACC01");
        QCOMPARE(zx::GetSessionProp("Empty"), "");
        QCOMPARE(zx::GetSessionProp("Last"), "tail");
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetSessionProp("Nope"));

        QVERIFY(zx::LoadSessionProps("SubID=ACC02;"));  // replaces the collection
        QCOMPARE(zx::GetSubID(), "ACC02");
        QVERIFY_THROWS_EXCEPTION(HostError, zx::GetSessionProp("Last"));

        try {
            zx::LoadSessionProps("SubID=1;User=a;subid=2;");
            QFAIL("a duplicate key must raise");
        } catch (const HostError& error) {
            QCOMPARE(error.number(), 457);
        }
    }

    void connectValue_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("braced") << "ConnectString"
                                << "Provider=SQLOLEDB;Initial Catalog=AIS01";
        QTest::newRow("any case") << "connectstring"
                                  << "Provider=SQLOLEDB;Initial Catalog=AIS01";
        QTest::newRow("last pair without ;") << "username"
                                             << "admin";
        QTest::newRow("first pair") << "Data Source"
                                    << "srv";
        QTest::newRow("missing") << "Password"
                                 << "";
        QTest::newRow("only whole keys") << "Source"
                                         << "";
    }
    void connectValue() {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString props =
            "Data Source=srv;ConnectString={Provider=SQLOLEDB;Initial "
            "Catalog=AIS01};UserName=admin";
        QCOMPARE(zx::GetConnectValue(props, key, ";"), expected);
    }
};

QTEST_GUILESS_MAIN(SessionPropsTest)
#include "test_session_props.moc"
