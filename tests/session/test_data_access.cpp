// Queries and statements through the host's data services, and the routines
// built on them.

#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;

namespace {

const QString kProps = QStringLiteral("Data Source=acct1;");

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

    void recordsetUsesSessionOrGivenProps() {
        DataHost h;
        h.classInfo->answer = [](const QString&) { return rows({"A"}, {{1}}); };
        auto records = zx::GetRecordset("select 1 as A");
        QVERIFY(records);
        QCOMPARE(records->RecordCount(), 1);
        QVERIFY(h.host.calls.contains("GetData:" + kProps + "|select 1 as A"));

        QVERIFY(zx::GetRecordset("select 2", "Data Source=other;", true));
        QVERIFY(h.host.calls.contains("GetData:Data Source=other;|select 2"));
        QCOMPARE(h.host.count("GetProperty"), 1);  // only the first call asked the host
    }

    void blankSqlDoesNothing() {
        DataHost h;
        QVERIFY(!zx::GetRecordset("  \r\n "));
        QVERIFY(!zx::ExecuteSQL(" "));
        QVERIFY(h.host.calls.isEmpty());
    }

    void recordsetFailure_data() {
        QTest::addColumn<bool>("showError");
        QTest::newRow("shown") << true;
        QTest::newRow("silent") << false;
    }
    void recordsetFailure() {
        QFETCH(bool, showError);
        DataHost h;
        h.host.provide("ClassInfo", []() -> zx::host::ServicePtr { throw dbError(); });
        QVERIFY(!zx::GetRecordset("select * from t_x", QString(), showError));
        if (showError) {
            QCOMPARE(h.host.messages, QStringList{"对象名 't_x' 无效。\nselect * from t_x"});
            QCOMPARE(h.host.count("msgbox:exclamation:Zentrix提示:"), 1);
        } else {
            QVERIFY(h.host.messages.isEmpty());
        }
    }

    void executeRoutesByProps() {
        DataHost h;
        QVERIFY(zx::ExecuteSQL("update a set b=1\nupdate c set d=2"));
        QVERIFY(
            h.host.calls.contains("SaveItem:" + kProps + "|update a set b=1\nupdate c set d=2"));
        QCOMPARE(h.host.count("Execute:"), 0);

        // Without a session the host's open connection runs the statement.
        h.host.properties.remove("PropsString");
        QVERIFY(zx::ExecuteSQL("delete from t"));
        QVERIFY(h.host.calls.contains("Execute:delete from t"));
    }

    void executeFailure_data() { recordsetFailure_data(); }
    void executeFailure() {
        QFETCH(bool, showError);
        DataHost h;
        h.classUpdate->fail = true;
        QVERIFY(!zx::ExecuteSQL("insert into t_x values(1)", kProps, showError));
        QCOMPARE(h.host.messages.size(), showError ? 1 : 0);
        if (showError) {
            QCOMPARE(h.host.messages.first(), "对象名 't_x' 无效。\ninsert into t_x values(1)");
        }
    }

    void serverTime_data() {
        QTest::addColumn<QVariant>("now");
        QTest::newRow("date-time field") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7)));
        QTest::newRow("text field") << QVariant("2024-03-05 09:08:07.123");
    }
    void serverTime() {
        QFETCH(QVariant, now);
        DataHost h;
        h.classInfo->answer = [now](const QString&) { return rows({"NowTime"}, {{now}}); };
        QCOMPARE(zx::GetServerTime("YYYY-MM-DD HH:MM:SS"), QStringLiteral("2024-03-05 09:08:07"));
        QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), QStringLiteral("2024-03-05"));
        QVERIFY(h.host.calls.contains("GetData:" + kProps + "|Select GetDate() as NowTime"));
    }

    void serverTimeOfFailedQueryIsEmpty() {
        DataHost h;  // no answer: no record set
        QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), QString());
        h.host.provide("ClassInfo", []() -> zx::host::ServicePtr { throw dbError(); });
        QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), QString());
        QCOMPARE(h.host.messages.size(), 1);  // the query shows its error
    }

    void userSettingQuotesTheKey() {
        DataHost h;
        h.connection->answer = [](const QString& sql) {
            return sql.contains("'Col''Width'") ? rows({"FValue"}, {{" 12.5"}})
                                                : rows({"FValue"}, {});
        };
        QCOMPARE(zx::GetUserSetting(-7, " Col'Width ", 3.0), 12.5);
        QCOMPARE(h.host.calls.last(),
                 "Execute:Select FValue From t_UserSetting Where FUserID=-7 And "
                 "FCategory='QOR_APFC' And FKey ='Col''Width'");
        QCOMPARE(zx::GetUserSetting(16394, "Other", 3.0), 3.0);
        h.connection->answer = nullptr;
        QCOMPARE(zx::GetUserSetting(1, "K", 4.5), 4.5);
    }

    void industryVersion() {
        DataHost h;
        QCOMPARE(zx::GetIndustryVersion(), qint16(0));
        h.connection->answer = [](const QString&) { return rows({"FValue"}, {{" 3 "}}); };
        QCOMPARE(zx::GetIndustryVersion(), qint16(3));
        QCOMPARE(h.host.calls.last(),
                 "Execute:select * from t_systemprofile where "
                 "FCategory='IC' and fkey ='IndustryVersion'");
    }
};

QTEST_GUILESS_MAIN(DataAccessTest)
#include "test_data_access.moc"
