// The account set on a PostgreSQL server (ZX_TEST_PG): the schema, the
// component's T-SQL in the server's dialect, and the host's own statements.
// Without a server the cases are skipped.

#include <QDateTime>
#include <QTest>

#include "DemoSet.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "sql/PgUrl.h"
#include "zx/host/HostError.h"

using refhost::Database;
using zx::host::HostError;

class PgBackendTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoSet> set_;

    Database& db() { return *set_->db; }

    // The first column of a T-SQL query, as texts.
    QStringList column(const QString& tsql, const QVariantList& binds = {}) {
        QStringList out;
        auto rows = binds.isEmpty() ? db().query(tsql) : db().nativeQuery(tsql, binds);
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) out << rows->Field(0).toString();
        return out;
    }
    QString one(const QString& tsql, const QVariantList& binds = {}) {
        return column(tsql, binds).value(0);
    }

private slots:
    void init() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        set_ = std::make_unique<DemoSet>();
    }
    void cleanup() { set_.reset(); }

    void reopeningKeepsSchemaAndData() {
        QVERIFY(db().onServer());
        QCOMPARE(db().dialect().name(), QStringLiteral("PostgreSQL"));
        const int users = set_->count(QStringLiteral("t_User"));
        // Two more sessions open the same set while the first still works in it.
        auto second = Database::open(set_->location());
        auto third = Database::openPostgres(set_->location());
        QCOMPARE(second->location(), db().location());
        QCOMPARE(set_->count(QStringLiteral("t_User")), users);
        // One key-following trigger per numbered table, however often opened.
        const auto triggers = third->nativeQuery(
            QStringLiteral("SELECT COUNT(*), COUNT(DISTINCT tgrelid) FROM pg_trigger "
                           "WHERE tgname = 'zx_follow_key'"));
        QVERIFY(triggers->Field(0).toInt() > 5);
        QCOMPARE(triggers->Field(0).toInt(), triggers->Field(1).toInt());
    }

    void keysCodesAndNamesIgnoreCaseValuesDoNot() {
        db().execute(QStringLiteral(
            "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values('GL','MyNewKey','7')"));
        QCOMPARE(one("select FValue from t_SystemProfile where FCategory='gl' and FKey='MYNEWKEY'"),
                 "7");
        // The same key in another spelling is the same row.
        QVERIFY_THROWS_EXCEPTION(
            HostError, db().execute(QStringLiteral("Insert Into t_SystemProfile(FCategory,FKey,"
                                                   "FValue) Values('gl','mynewkey','8')")));
        QCOMPARE(one("select FName from t_User where FName='ADMINISTRATOR'"), "administrator");
        QCOMPARE(one("select count(*) from t_SystemProfile where FKey='MyNewKey' and FValue='7'"),
                 "1");  // values keep their case
    }

    void translatesTheComponentsDialect() {
        auto rows = db().query(QStringLiteral(
            "select top 3 [FKey], FValue as TheValue from t_SystemProfile order by FKey"));
        QCOMPARE(rows->RecordCount(), 3);
        rows->MoveFirst();
        // Field names come back folded to lower case and are found in any case.
        QVERIFY(rows->HasField(QStringLiteral("FKEY")));
        QVERIFY(rows->HasField(QStringLiteral("TheValue")));

        rows = db().query(QStringLiteral("select GetDate() as Now"));
        rows->MoveFirst();
        const QDateTime now = rows->Field(QStringLiteral("Now")).toDateTime();
        QVERIFY(now.isValid());
        QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) < 24 * 3600);

        QCOMPARE(one("select convert(varchar(10),FStartDate,120) from t_perioddate where "
                     "FYear=2024 and FPeriod=3"),
                 "2024-03-01");
        QCOMPARE(one("select convert(varchar(19),'2024-3-5',120)"), "2024-03-05 00:00:00");
        // A text that is no date passes unchanged.
        QCOMPARE(one("select convert(varchar(10),'n/a',120)"), "n/a");
        QCOMPARE(one("select 'K:' + FKey + '!' from t_SystemProfile where FCategory='General' "
                     "and FKey='CompanyName'"),
                 "K:CompanyName!");
        QCOMPARE(one("select len('ab  '), len(12345), isnull(null,'x')"), "2");
        // Stored dates compare with the server's clock as texts do.
        QVERIFY(one("select count(*) from t_perioddate where FStartDate <= GetDate()").toInt() > 0);
    }

    void quotedTextsArriveAsWritten() {
        // Backslashes are plain characters; apostrophes are doubled by the writer.
        db().execute(
            QStringLiteral("Insert Into t_SystemProfile(FCategory,FKey,FValue) "
                           "Values('GL','Odd','C:\\dir\\n''x''')"));
        QCOMPARE(one("select FValue from t_SystemProfile where FKey='Odd'"), "C:\\dir\\n'x'");
        db().nativeExec(QStringLiteral("UPDATE t_SystemProfile SET FValue = ? WHERE FKey = ?"),
                        {QStringLiteral("a'b\\c;--"), QStringLiteral("odd")});
        QCOMPARE(one("select FValue from t_SystemProfile where FKey='Odd'"), "a'b\\c;--");
    }

    void proceduresAndBatchesRunAsOne() {
        db().execute(QStringLiteral(
            "Insert Into ICTemplateEntry(FID,FCtlIndex,FCaption) Values('T99',1,'物料代码')"));
        db().execute(QStringLiteral("Exec P_ICReplaceCaption '商品','chs','R','物料'"));
        QCOMPARE(one("select FCaption from ICTemplateEntry where FID='t99'"), "商品代码");

        // A batch that fails half-way leaves nothing behind.
        QVERIFY_THROWS_EXCEPTION(
            HostError, db().execute(QStringLiteral(
                           "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values('GL','Half',"
                           "'1')\nInsert Into t_NoSuchTable(FKey) Values('x')")));
        QCOMPARE(one("select count(*) from t_SystemProfile where FKey='Half'"), "0");
        // The session goes on working after the failed transaction.
        QCOMPARE(one("select count(*) from t_Currency"), "1");
    }

    void numberedKeysFollowGivenOnes() {
        const QString insert("INSERT INTO t_Currency (FCurrencyID, FNumber, FName) VALUES (?,?,?)");
        const QString next("INSERT INTO t_Currency (FNumber, FName) VALUES (?, ?)");
        const QString idOf("SELECT FCurrencyID FROM t_Currency WHERE FNumber = ?");
        db().nativeExec(insert, {7, "USD", "美元"});
        db().nativeExec(next, {"EUR", "欧元"});
        QCOMPARE(one(idOf, {"eur"}), "8");
        // A lower key given later does not pull the numbering back.
        db().nativeExec(insert, {3, "JPY", "日元"});
        db().nativeExec(next, {"GBP", "英镑"});
        QCOMPARE(one(idOf, {"GBP"}), "9");
    }

    void preparesEachHostStatementOnce() {
        const QString sql("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?");
        db().resetRoundTrips();
        db().nativeQuery(sql, {"General", "CompanyName"});
        QCOMPARE(db().roundTrips(), 2);  // PREPARE, EXECUTE
        QCOMPARE(db().nativeQuery(sql, {"GL", "PeriodCount"})->RecordCount(), 1);
        QCOMPARE(db().roundTrips(), 3);
        // A statement that fails is reported and leaves the next one working.
        QVERIFY_THROWS_EXCEPTION(
            HostError,
            db().nativeQuery(QStringLiteral("SELECT nosuch FROM t_User WHERE FName = ?"), {"x"}));
        QCOMPARE(db().nativeQuery(sql, {"GL", "PeriodCount"})->RecordCount(), 1);
    }

    void unreachableSetsSayWhereButNotThePassword() {
        refhost::PgUrl missing =
            refhost::PgUrl::parse(set_->pgServer).withDatabase(QStringLiteral("zx_no_such_set"));
        missing.password = QStringLiteral("topsecret");
        try {
            Database::open(missing.toString(true));
            QFAIL("opened");
        } catch (const HostError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("zx_no_such_set")),
                     qPrintable(e.description()));
            QVERIFY(!e.description().contains(QStringLiteral("topsecret")));
        }
    }
};

QTEST_GUILESS_MAIN(PgBackendTest)
#include "tst_pgbackend.moc"
