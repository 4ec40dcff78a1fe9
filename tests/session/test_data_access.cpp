// Queries and statements through the host's data services, and the routines
// built on them.

#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;

namespace {

const QString kProps = "Data Source=acct1;";

struct DataHost {
    ScriptedHost host;
    std::shared_ptr<FakeClassInfo> classInfo = std::make_shared<FakeClassInfo>(host);
    std::shared_ptr<FakeClassUpdate> classUpdate = std::make_shared<FakeClassUpdate>(host);
    std::shared_ptr<FakeAppConnection> connection = std::make_shared<FakeAppConnection>(host);
    DataHost() {
        host.properties["PropsString"] = kProps;
        host.provide<zx::host::ClassInfo>(classInfo);
        host.provide<zx::host::ClassUpdate>(classUpdate);
        host.provide<zx::host::AppConnection>(connection);
    }
};

}  // namespace

class DataAccessTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }

    void routesAndProps() {
        DataHost h;
        h.classInfo->answer = [](const QString&) { return rows({"A"}, {{1}}); };
        QCOMPARE(zx::GetRecordset("select 1 as A")->RecordCount(), 1);
        QVERIFY(zx::GetRecordset("select 2", "Data Source=other;"));
        QVERIFY(zx::ExecuteSQL("update a set b=1\nupdate c set d=2"));
        QVERIFY(!zx::GetRecordset("  \r\n "));
        QVERIFY(!zx::ExecuteSQL(" "));
        QCOMPARE(h.host.calls.filter(QRegularExpression("^(GetData|SaveItem|Execute)")),
                 (QStringList{"GetData:" + kProps + "|select 1 as A",
                              "GetData:Data Source=other;|select 2",
                              "SaveItem:" + kProps + "|update a set b=1\nupdate c set d=2"}));

        // Without a session the host's open connection runs the statement.
        h.host.properties.remove("PropsString");
        QVERIFY(zx::ExecuteSQL("delete from t"));
        QCOMPARE(h.host.calls.last(), "Execute:delete from t");
    }

    void failures_data() {
        QTest::addColumn<bool>("showError");
        QTest::newRow("shown") << true;
        QTest::newRow("silent") << false;
    }
    void failures() {
        QFETCH(bool, showError);
        DataHost h;
        h.host.provide("ClassInfo", []() -> zx::host::ServicePtr { throw dbError(); });
        h.classUpdate->fail = true;
        QVERIFY(!zx::GetRecordset("select * from t_x", QString(), showError));
        QVERIFY(!zx::ExecuteSQL("insert into t_x values(1)", kProps, showError));
        const QStringList expected = {"对象名 't_x' 无效。\nselect * from t_x",
                                      "对象名 't_x' 无效。\ninsert into t_x values(1)"};
        QCOMPARE(h.host.messages, showError ? expected : QStringList());
        QCOMPARE(h.host.count("msgbox:exclamation:Zentrix提示:"), showError ? 2 : 0);
    }

    void serverTime_data() {
        QTest::addColumn<QVariant>("now");
        QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7)));
        QTest::newRow("text") << QVariant("2024-03-05 09:08:07.123");
    }
    void serverTime() {
        QFETCH(QVariant, now);
        DataHost h;
        h.classInfo->answer = [now](const QString&) { return rows({"NowTime"}, {{now}}); };
        QCOMPARE(zx::GetServerTime("YYYY-MM-DD HH:MM:SS"), "2024-03-05 09:08:07");
        QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), "2024-03-05");
        QCOMPARE(h.host.calls.last(), "GetData:" + kProps + "|Select GetDate() as NowTime");

        h.classInfo->answer = nullptr;  // the query gives nothing
        QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), "");
    }

    void userSettingQuotesTheKey() {
        DataHost h;
        h.connection->answer = [](const QString& sql) {
            return rows({"FValue"}, sql.contains("'Col''W'") ? QList<QVariantList>{{" 12.5"}}
                                                             : QList<QVariantList>{});
        };
        QCOMPARE(zx::GetUserSetting(-7, " Col'W ", 3.0), 12.5);
        QCOMPARE(h.host.calls.last(),
                 "Execute:Select FValue From t_UserSetting Where FUserID=-7 And "
                 "FCategory='QOR_APFC' And FKey ='Col''W'");
        QCOMPARE(zx::GetUserSetting(16394, "Other", 3.0), 3.0);
    }
};

QTEST_GUILESS_MAIN(DataAccessTest)
#include "test_data_access.moc"
