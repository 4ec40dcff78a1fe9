// The session routines: properties and the property string, queries and
// statements through the host's scripted services, the installation's
// configuration file, the help key, the hourglass, quoting values into SQL,
// the leading number of a text and date pictures.

#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "ScriptedHost.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/host/Services.h"
#include "zx/session/Session.h"

using namespace zxtest;
using zx::host::HostError;
using zx::host::RecordSetPtr;
using Answer = std::function<RecordSetPtr(const QString& sql)>;

namespace {

const QString kProps = "Data Source=acct1;";

RecordSetPtr rows(const QStringList& columns, const QList<QVariantList>& data) {
    return std::make_shared<zx::host::MemoryRecordSet>(columns, data);
}

HostError dbError() {
    return HostError(-2147217900, "Database", "对象名 't_x' 无效。");
}

// Every scripted service in one; each records what it is asked in the host's call list.
struct Fakes : zx::host::ClassInfo,
               zx::host::ClassUpdate,
               zx::host::AppConnection,
               zx::host::RegistryReader,
               zx::host::CHMHelp,
               zx::host::LangInfo {
    ScriptedHost& host;
    Answer data, execute;  // none: no record set
    bool failUpdates = false;
    QString path;  // of the installation, as the registry gives it
    explicit Fakes(ScriptedHost& h) : host(h) {}
    RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host.record("GetData:" + props + "|" + sql);
        return data ? data(sql) : nullptr;
    }
    void SaveItem(const QString& props, const QString& sql) override {
        host.record("SaveItem:" + props + "|" + sql);
        if (failUpdates) throw dbError();
    }
    RecordSetPtr Execute(const QString& sql) override {
        host.record("Execute:" + sql);
        return execute ? execute(sql) : nullptr;
    }
    QString GetKeyValue(const QString& key, const QString& name, const QString& flag) override {
        host.record("GetKeyValue:" + key + "|" + name + "|" + flag);
        return path;
    }
    void SETVBProjectID(const QString& topic, qint32 window) override {
        host.record(QString("SETVBProjectID:%1|%2").arg(topic).arg(window));
    }
    void ShowHELP(const QString& file, const QString& topic, qint32 context) override {
        host.record(QString("ShowHELP:%1|%2|%3").arg(file, topic).arg(context));
    }
    QString CurrentLanguage() override { return "chs"; }
};

// A session on kProps with the data services scripted.
struct DataHost {
    ScriptedHost host;
    std::shared_ptr<Fakes> fakes = std::make_shared<Fakes>(host);
    DataHost() {
        host.properties["PropsString"] = kProps;
        host.provide<zx::host::ClassInfo>(fakes);
        host.provide<zx::host::ClassUpdate>(fakes);
        host.provide<zx::host::AppConnection>(fakes);
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

template <class T>
void throwsHostError(T&& call, int number) {
    try {
        call();
        QFAIL("no error raised");
    } catch (const HostError& error) {
        QCOMPARE(error.number(), number);
    }
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }
    void cleanup() { zx::ResetSessionCaches(); }

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
        const char* const cases[][4] = {
            {"middle", "Data Source=a;Language=chs;UserID=5;", "Language", "chs"},
            {"no trailing ;", "Data Source=a;Language=cht", "Language", "cht"},
            {"any case", "LANGUAGE=en;", "language", "en"},
            {"tail of a key", "UserID=5;ID=9;", "ID", "5"},
            {"missing", "Data Source=a;", "Language", ""},
            {"braces not special", "C={a=1;b=2};", "C", "{a=1"},
        };
        for (const auto& c : cases) QTest::newRow(c[0]) << c[1] << c[2] << c[3];
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
        host.provide<zx::host::LangInfo>(std::make_shared<Fakes>(host));
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
        throwsHostError([] { zx::LoadSessionProps("SubID=1;User=a;subid=2;"); }, 457);
    }

    void connectValue() {
        const QString props =
            "Data Source=srv;ConnectString={Provider=SQLOLEDB;Initial Catalog=AIS01};"
            "UserName=admin";
        const QString braced = "Provider=SQLOLEDB;Initial Catalog=AIS01";
        QCOMPARE(zx::GetConnectValue(props, "ConnectString", ";"), braced);
        QCOMPARE(zx::GetConnectValue(props, "connectstring", ";"), braced);
        QCOMPARE(zx::GetConnectValue(props, "username", ";"), "admin");  // last, without ;
        QCOMPARE(zx::GetConnectValue(props, "Data Source", ";"), "srv");
        QCOMPARE(zx::GetConnectValue(props, "Password", ";"), "");
        QCOMPARE(zx::GetConnectValue(props, "Source", ";"), "");  // only whole keys
    }

    void routesAndProps() {
        DataHost h;
        h.fakes->data = [](const QString&) { return rows({"A"}, {{1}}); };
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

    void failures() {
        for (bool showError : {true, false}) {
            DataHost h;
            h.host.provide("ClassInfo", []() -> zx::host::ServicePtr { throw dbError(); });
            h.fakes->failUpdates = true;
            QVERIFY(!zx::GetRecordset("select * from t_x", QString(), showError));
            QVERIFY(!zx::ExecuteSQL("insert into t_x values(1)", kProps, showError));
            // The host's error as it is, the statement not shown to the user.
            const QStringList expected = {"对象名 't_x' 无效。", "对象名 't_x' 无效。"};
            QCOMPARE(h.host.messages, showError ? expected : QStringList());
            QCOMPARE(h.host.count("ShowError:-2147217900:Database:"), showError ? 2 : 0);
        }
    }

    void serverTime() {
        for (const QVariant& now : {QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 8, 7))),
                                    QVariant("2024-03-05 09:08:07.123")}) {
            DataHost h;
            h.fakes->data = [now](const QString&) { return rows({"NowTime"}, {{now}}); };
            QCOMPARE(zx::GetServerTime("YYYY-MM-DD HH:MM:SS"), "2024-03-05 09:08:07");
            QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), "2024-03-05");
            QCOMPARE(h.host.calls.last(), "GetData:" + kProps + "|Select GetDate() as NowTime");
            h.fakes->data = nullptr;  // the query gives nothing
            QCOMPARE(zx::GetServerTime("yyyy-mm-dd"), "");
        }
    }

    void userSettingQuotesTheKey() {
        DataHost h;
        h.fakes->execute = [](const QString& sql) {
            return rows({"FValue"}, sql.contains("'Col''W'") ? QList<QVariantList>{{" 12.5"}}
                                                             : QList<QVariantList>{});
        };
        QCOMPARE(zx::GetUserSetting(-7, " Col'W ", 3.0), 12.5);
        QCOMPARE(h.host.calls.last(),
                 "Execute:Select FValue From t_UserSetting Where FUserID=-7 And "
                 "FCategory='QOR_APFC' And FKey ='Col''W'");
        QCOMPARE(zx::GetUserSetting(16394, "Other", 3.0), 3.0);
    }

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
        auto registry = std::make_shared<Fakes>(host);
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
        const char* const cases[][2] = {
            {"glinitbal.initbal", ""},
            {"GLInitBal.InitCashFlowBal", ""},
            {"GLCashFlow.CashFlow", "mxs.chm"},
            {"glcashflow.cashvoucher", "mxs.chm"},
            {"gltcashflow.tcashflow", "mxs.chm"},
            {"glfcashflow.fcashflow", "mxs.chm"},
            {"GLSystemSetting.frmSystemProfiles", "mainhelp.chm"},
            {"GLSystemSetting.frmICSystemProfiles", "QORV12.chm"},
        };
        for (const auto& c : cases) QTest::newRow(c[0]) << c[0] << c[1];
    }
    void helpKey() {
        QFETCH(QString, topic);
        QFETCH(QString, file);
        ScriptedHost host;
        host.provide<zx::host::CHMHelp>(std::make_shared<Fakes>(host));
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
        throwsHostError([orphan] { delete orphan; }, 1);
        { zx::WaitCursor fresh; }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 0, 11, 11, 0}));
    }
    void sqlQuoting() {
        const QString controls = QString("a\r\nb") + QChar(0) + "c";
        QCOMPARE(zx::SqlText("O'Brien", true, true, false), "'O''Brien'");
        QCOMPARE(zx::SqlText("O'Brien", false, true, false), "O''Brien");
        QCOMPARE(zx::SqlText(QVariant(), true, true, false), "''");
        QCOMPARE(zx::SqlText("  a b  ", true, true, false), "'a b'");
        QCOMPARE(zx::SqlText("  a ", true, false, false), "'  a '");
        QCOMPARE(zx::SqlText(controls, true, true, true), "'abc'");
        QCOMPARE(zx::SqlText(controls, false, true, false), controls);
        QCOMPARE(zx::SqlText("\ta\t", false, true, false), "\ta\t");  // only blanks trimmed

        QCOMPARE(zx::SqlValue("", true, true, true), "Null");
        QCOMPARE(zx::SqlValue(QVariant(), true, true, true), "Null");
        QCOMPARE(zx::SqlValue("   ", true, true, true), "Null");
        QCOMPARE(zx::SqlValue("  ", true, true, false), "'  '");
        QCOMPARE(zx::SqlValue("", true, false, true), "''");
        QCOMPARE(zx::SqlValue(" it's ", false, true, true), "it''s");

        QCOMPARE(zx::SqlQuote(" O'Brien ", true, true), "'O''Brien'");
        QCOMPARE(zx::SqlQuote(" O'Brien ", false, false), " O''Brien ");
        QCOMPARE(zx::SqlQuote("''", true, true), "''''''");
    }

    // Only the leading decimal number counts: no exponents, no radix prefixes,
    // no grouping, no full-width digits; never a negative zero (it would reach SQL).
    void val() {
        const QList<std::pair<double, QStringList>> cases = {
            {0,
             {"", "abc", "00", " 0", "-0", "+", "-", ".", "-.", "- 3", "--3", "\r5", "１", "&H1",
              "&O17"}},
            {1, {"1e3", "1D1", "1 2", "1,000"}},
            {2, {"2", "2E2"}},
            {3, {"3."}},
            {7, {"\t\n 7"}},
            {12, {" 12abc"}},
            {25, {"25e-2"}},
            {-3, {"-3"}},
            {4.5, {"+4.5"}},
            {1.5, {"1.5.3"}},
            {0.25, {".25"}},
            {17, {"17.00"}},
            {17.5, {"17.5"}},
            {1234.56, {"1234.56元"}},
            {12.5, {"0000000000000000000000012.5000000000000000000000"}}};
        for (const auto& [expected, texts] : cases) {
            for (const QString& text : texts) {
                const double result = zx::Val(text);
                QVERIFY2(result == expected && (!std::signbit(result) || expected < 0),
                         qPrintable(QString("\"%1\" gives %2").arg(text).arg(result)));
            }
        }
        QVERIFY_THROWS_EXCEPTION(HostError, zx::Val(QString(400, u'9')));
        QCOMPARE(zx::Val("99999999999"), 99999999999.0);  // a double holds it; boxes decide
    }

    void formatDateTime() {
        const QDateTime tuesday(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(zx::FormatDateTime(tuesday, "YYYY-MM-DD HH:MM:SS"), "2024-03-05 14:07:09");
        QCOMPARE(zx::FormatDateTime(tuesday, "yyyy-mm-dd"), "2024-03-05");
        QCOMPARE(zx::FormatDateTime(tuesday, "yy/m/d h:n:s"), "24/3/5 14:7:9");
        QCOMPARE(zx::FormatDateTime(tuesday, "mm:ss"), "07:09");  // minutes before seconds
        QCOMPARE(zx::FormatDateTime(tuesday, "hh:mm AM/PM"), "02:07 PM");
        QCOMPARE(zx::FormatDateTime(tuesday, "yyyy\"年\"m\"月\""), "2024年3月");
        QCOMPARE(zx::FormatDateTime(tuesday, "\\d=d q y w"), "d=5 1 65 3");

        // Weeks start on Sunday, week 1 holds 1 January (a Saturday in 2022).
        for (const auto& [day, week] : {std::pair{QDate(2022, 1, 1), "1"},
                                        {QDate(2022, 1, 2), "2"},
                                        {QDate(2022, 12, 31), "53"}}) {
            QCOMPARE(zx::FormatDateTime(QDateTime(day, QTime()), "ww"), week);
        }
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "test_session.moc"
