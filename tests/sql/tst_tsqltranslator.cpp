// The T-SQL the component sends, as SQLite receives it, and what is refused.

#include <QtTest>

#include "sql/Dialect.h"
#include "sql/TsqlTranslator.h"
#include "zx/host/HostError.h"

using refhost::TranslatedStatement;
using refhost::TsqlTranslator;
using Kind = TranslatedStatement::Kind;

namespace {
// One row of a data table; texts go into QString columns.
template <class... T>
void row(const char* name, const T&... columns) {
    (QTest::newRow(name) << ... << columns);
}
}  // namespace

class TsqlTranslatorTest : public QObject {
    Q_OBJECT

    refhost::SqliteDialect dialect;
    TsqlTranslator translator{dialect};

private slots:
    void constructs_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("expected");
        row("top in a single select",
            "Select top 1 1 from t_Voucher where FYear<2024 or (FYear=2024 and FPeriod<3)",
            "Select 1 from t_Voucher where FYear<2024 or (FYear=2024 and FPeriod<3) LIMIT 1");
        row("top goes after order by", "select top 5 FName from t_User order by FName desc",
            "select FName from t_User order by FName desc LIMIT 5");
        row("top in parentheses after distinct", "select distinct top (3) FYear from t_perioddate",
            "select distinct FYear from t_perioddate LIMIT 3");
        row("top in each union branch",
            "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union "
            "select top 1 1 from t_FAAlter ",
            "SELECT * FROM (Select 1 from t_balance LIMIT 1) AS zx_branch1 union "
            "SELECT * FROM (select 1 from t_InitCashFlowBal LIMIT 1) AS zx_branch2 Union "
            "SELECT * FROM (select 1 from t_FAAlter LIMIT 1) AS zx_branch3");
        row("closing order by sorts the whole union",
            "select top 2 FName from t_User union all select FName from t_Account order by 1",
            "SELECT * FROM (select FName from t_User LIMIT 2) AS zx_branch1 union all "
            "select FName from t_Account order by 1");
        row("top in a subquery",
            "select FName from t_User where FUserID in (select top 1 FUserID from t_UserRight)",
            "select FName from t_User where FUserID in (select FUserID from t_UserRight LIMIT 1)");
        row("GetDate", "Select GetDate() as NowTime",
            "Select strftime('%Y-%m-%d %H:%M:%f','now','localtime') as NowTime");
        row("convert style 120 to ten characters",
            "select fperiod ,convert(varchar(10),FStartDate,120)  from t_perioddate where "
            "FYear='2024'",
            "select fperiod ,substr(coalesce(strftime('%Y-%m-%d %H:%M:%S',FStartDate),"
            "FStartDate),1,10) from t_perioddate where FYear='2024'");
        row("convert without style is a cast", "select convert(int, FValue) from t_SystemProfile",
            "select CAST(FValue AS INTEGER) from t_SystemProfile");
        row("isnull and len", "select isnull(FValue,''), len(FKey) from t_SystemProfile",
            "select coalesce(FValue,''), length(rtrim(FKey)) from t_SystemProfile");
        row("national literal and bracketed identifier",
            "select [FName] from [t_User] where FName = N'管理员'",
            "select \"FName\" from \"t_User\" where FName = '管理员'");
        row("plus beside a text joins texts", "select FNumber + ' ' + FName from t_Account",
            "select FNumber || ' ' || FName from t_Account");
        row("plus between numbers adds",
            "select FDebit + FCredit from t_balance where FYear = 2024 + 1",
            "select FDebit + FCredit from t_balance where FYear = 2024 + 1");
        row("delete without from", "Delete t_UserSetting where FUserID=3",
            "Delete FROM t_UserSetting where FUserID=3");
        row("comments dropped, lines joined",
            "select FName -- the user's name\r\nfrom t_User /* all of them */ order by FName",
            "select FName from t_User order by FName");
        row("literals keep quotes, semicolons, dashes and Chinese",
            "update t_SystemProfile set FValue='O''Brien; -- 物料 /* x */' where FKey='a'",
            "update t_SystemProfile set FValue='O''Brien; -- 物料 /* x */' where FKey='a'");
        row("left join, order by, multi-line",
            "Select A.FID,B.FName As FUser\r\nFrom t_SystemProfile_Log A\r\n"
            "Left Join t_User B On A.FUserID=B.FUserID\r\nOrder By A.FID Desc",
            "Select A.FID,B.FName As FUser From t_SystemProfile_Log A "
            "Left Join t_User B On A.FUserID=B.FUserID Order By A.FID Desc");
    }
    void constructs() {
        QFETCH(QString, tsql);
        QTEST(translator.translate(tsql).sql, "expected");
    }

    void kindsAndDateTimeColumns() {
        QCOMPARE(translator.translate("select 1").kind, Kind::Query);
        QCOMPARE(translator.translate("update t_User set FName='a'").kind, Kind::Statement);
        QCOMPARE(translator.translate("Insert Into t_User(FName) Values ('a')").kind,
                 Kind::Statement);
        QCOMPARE(translator.translate("Select GetDate() as NowTime").dateTimeColumns,
                 QList<int>({0}));
        QCOMPARE(translator.translate("select 1, isnull(FName,','), getdate() from t_User")
                     .dateTimeColumns,
                 QList<int>({2}));
        QVERIFY(translator.translate("select convert(varchar(10),GetDate(),120)")
                    .dateTimeColumns.isEmpty());
        // Exactly one statement, or the caller is told.
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, translator.translate("select 1; select 2"));
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, translator.translate("  -- nothing\r\n"));
    }

    void batchSplitting_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<int>("statements");
        row("two inserts on two lines",
            "Insert Into t_User(FName) Values ('a')\r\nInsert Into t_User(FName) Values ('b')\r\n",
            2);
        row("line break and statement word inside a literal",
            "Insert Into t_User(FName) Values ('a\r\nInsert Into x')", 1);
        row("semicolons outside literals",
            "delete from t_User where FName='a;b'; delete from t_User;", 2);
        row("union over several lines", "select 1\r\nunion\r\nselect 2", 1);
        row("union all over several lines", "select 1 union all\r\nselect 2", 1);
        row("insert whose select is on the next line",
            "Insert Into t_User(FName)\r\nSelect FName from t_Account", 1);
        row("insert with values, then a select",
            "Insert Into t_User(FName) Values ('a')\r\nSelect FName from t_User", 2);
        row("subquery on its own line",
            "select FName from t_User where FUserID in\r\n(\r\nselect FUserID from t_UserRight)",
            1);
        row("exec, update and delete lines",
            "Exec P_X 'a'\r\nupdate t_User set FName='b'\r\ndelete from t_User", 3);
        row("blank", " \r\n ; ", 0);
    }
    void batchSplitting() {
        QFETCH(QString, tsql);
        QTEST(int(translator.translateBatch(tsql).size()), "statements");
    }

    void batchKeepsEachStatementsTextAndExecArguments() {
        const auto statements = translator.translateBatch(
            "Insert Into t_User(FName) Values ('甲')\r\nInsert Into t_User(FName) Values ('乙')");
        QCOMPARE(statements.at(0).tsql, QString("Insert Into t_User(FName) Values ('甲')"));
        QCOMPARE(statements.at(1).sql, QString("Insert Into t_User(FName) Values ('乙')"));

        const TranslatedStatement exec =
            translator.translate("Exec dbo.P_ICReplaceCaption 'it''s 物料','CN', -2, 3.5, NULL");
        QCOMPARE(exec.kind, Kind::Procedure);
        QCOMPARE(exec.procedure, QString("P_ICReplaceCaption"));
        QCOMPARE(exec.arguments, QStringList({"it's 物料", "CN", "-2", "3.5", QString()}));
        QVERIFY(exec.arguments.at(4).isNull());
        const TranslatedStatement bare = translator.translate("execute P_Refresh");
        QCOMPARE(bare.procedure, QString("P_Refresh"));
        QVERIFY(bare.arguments.isEmpty());
    }

    // The forms a long result is read with: the count of its rows, and the
    // table of its leading order walked without indexes.
    void readingForms_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("keyOrder");
        row("the log viewer's query",
            "Select A.FID,A.FOptTime,B.FName As FUser\r\nFrom t_SystemProfile_Log A\r\n"
            "Left Join t_User B On A.FUserID=B.FUserID\r\nWhere A.FOptTime>='2024-01-01'\r\n"
            "Order By A.FID Desc",
            "SELECT COUNT(*) FROM (SELECT 1 From t_SystemProfile_Log A Left Join t_User B On "
            "A.FUserID=B.FUserID Where A.FOptTime>='2024-01-01' LIMIT -1) AS zx_rows",
            "Select A.FID,A.FOptTime,B.FName As FUser From t_SystemProfile_Log A NOT INDEXED "
            "Left Join t_User B On A.FUserID=B.FUserID Where A.FOptTime>='2024-01-01' Order "
            "By A.FID Desc");
        row("ordered by the joined table, written with AS",
            "select a.FKey from t_SystemProfile_Log as a join t_User as u on "
            "a.FUserID=u.FUserID order by u.FName, a.FID",
            "SELECT COUNT(*) FROM (SELECT 1 from t_SystemProfile_Log as a join t_User as u "
            "on a.FUserID=u.FUserID LIMIT -1) AS zx_rows",
            "select a.FKey from t_SystemProfile_Log as a join t_User as u NOT INDEXED on "
            "a.FUserID=u.FUserID order by u.FName, a.FID");
        row("one table, column unqualified",
            "select FName from t_User where FUserID>1 order by FUserID",
            "SELECT COUNT(*) FROM (SELECT 1 from t_User where FUserID>1 LIMIT -1) AS zx_rows",
            "select FName from t_User NOT INDEXED where FUserID>1 order by FUserID");
        row("an unqualified column of several tables",
            "select FName from t_User, t_Account order by FName",
            "SELECT COUNT(*) FROM (SELECT 1 from t_User, t_Account LIMIT -1) AS zx_rows", "");
        row("ordered by an expression", "select FName from t_User order by len(FName)",
            "SELECT COUNT(*) FROM (SELECT 1 from t_User LIMIT -1) AS zx_rows", "");
        row("distinct rows are counted as selected",
            "select distinct FYear from t_perioddate order by FYear",
            "SELECT COUNT(*) FROM (select distinct FYear from t_perioddate LIMIT -1) AS zx_rows",
            "select distinct FYear from t_perioddate NOT INDEXED order by FYear");
        row("groups and aggregates are counted as selected",
            "select FYear, count(*) from t_perioddate group by FYear",
            "SELECT COUNT(*) FROM (select FYear, count(*) from t_perioddate group by FYear "
            "LIMIT -1) AS zx_rows",
            "");
        row("an aggregate alone is one row", "select max(FID) from t_SystemProfile_Log",
            "SELECT COUNT(*) FROM (select max(FID) from t_SystemProfile_Log LIMIT -1) AS zx_rows",
            "");
        row("a union is counted whole, without its order",
            "select FName from t_User union select FName from t_Account order by 1",
            "SELECT COUNT(*) FROM (select FName from t_User union select FName from "
            "t_Account LIMIT -1) AS zx_rows",
            "");
        row("a derived table leads the order",
            "select x.FName from (select FName from t_User) x order by x.FName",
            "SELECT COUNT(*) FROM (SELECT 1 from (select FName from t_User) x LIMIT -1) AS zx_rows",
            "");
        row("a subquery's order is not the query's",
            "select FName from t_User where FUserID in (select top 1 FUserID from t_UserRight "
            "order by FUserID)",
            "SELECT COUNT(*) FROM (SELECT 1 from t_User where FUserID in (select FUserID from "
            "t_UserRight order by FUserID LIMIT 1) LIMIT -1) AS zx_rows",
            "");
        row("a result cut by TOP is read whole", "select top 5 FName from t_User order by FUserID",
            "", "");
    }
    void readingForms() {
        QFETCH(QString, tsql);
        const TranslatedStatement statement = translator.translate(tsql);
        QTEST(statement.countSql, "count");
        QTEST(statement.keyOrderSql, "keyOrder");
        // The backend that cannot be told to leave out indexes has no such form.
        refhost::PgDialect pg;
        QVERIFY(TsqlTranslator(pg).translate(tsql).keyOrderSql.isEmpty());
    }

    void refusals_data() {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("named");
        row("declare", "DECLARE @n int", "DECLARE");
        row("if", "IF EXISTS (select 1 from t_User) delete from t_User", "IF");
        row("begin/end", "BEGIN\r\nupdate t_User set FName='a'\r\nEND", "BEGIN");
        row("end without case", "update t_User set FName='a' END", "END");
        row("go", "select 1\r\nGO", "GO");
        row("table hint", "select FName from t_User WITH (NOLOCK)", "WITH (NOLOCK)");
        row("old table hint", "select FName from t_User (nolock)", "NOLOCK");
        row("common table expression", "WITH u AS (select 1 AS x) select x from u", "WITH");
        row("unknown function", "select dateadd(d, 1, GetDate())", "dateadd()");
        row("owner-qualified function", "select dbo.fn_x(1)", "fn_x()");
        row("create", "create table t_x (a int)", "CREATE");
        row("drop in a batch", "delete from t_User\r\ndrop table t_User", "DROP");
        row("alter", "alter table t_User add FX int", "ALTER");
        row("truncate", "truncate table t_User", "TRUNCATE");
        row("variable", "select FName from t_User where FUserID=@id", "@id");
        row("temporary table", "select * from #tmp", "#tmp");
        row("select into", "select * into t_copy from t_User", "SELECT INTO");
        row("top outside select", "update top (1) t_User set FName='a'", "TOP");
        row("top percent", "select top 10 percent FName from t_User", "PERCENT");
        row("dynamic exec", "exec('delete from t_User')", "EXEC (");
        row("exec with a variable", "exec P_X @a = 1", "@a");
        row("convert style", "select convert(varchar(10), GetDate(), 101)", "101");
        row("convert type", "select convert(xml, FValue) from t_SystemProfile", "xml");
        row("transaction control", "commit", "COMMIT");
        row("set option", "SET NOCOUNT ON", "SET");
        row("open literal", "select 'abc from t_User", "单引号");
        row("open parenthesis", "select (1 from t_User", "括号");
        row("unknown statement", "print 'x'", "PRINT");
    }
    void refusals() {
        QFETCH(QString, tsql);
        QFETCH(QString, named);
        try {
            translator.translateBatch(tsql);
            QFAIL("the statement was accepted");
        } catch (const zx::host::HostError& error) {
            QCOMPARE(error.number(), refhost::kUnsupportedSql);
            QVERIFY2(error.description().contains(named, Qt::CaseInsensitive),
                     qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TsqlTranslatorTest)
#include "tst_tsqltranslator.moc"
