// The account set's database on a temporary SQLite file: what the component's
// T-SQL finds and changes, batches as one transaction, procedures, opening.
// The statements of the parameter pages and the change log's batch run
// through the dialog's and the change log's own tests.

#include <QTemporaryDir>
#include <QtTest>

#include "sql/Database.h"
#include "sql/Schema.h"
#include "zx/host/HostError.h"

using refhost::Database;
using zx::host::HostError;
using zx::host::RecordSetPtr;

namespace {

QVariantList column(const RecordSetPtr& rows, const QString& name) {
    QVariantList values;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) values.append(rows->Field(name));
    return values;
}

// The description and the details of the HostError `run` raises, or a
// failure when none.
template <class F>
QString failure(F&& run) {
    try {
        run();
    } catch (const HostError& error) {
        return error.description() + u'\n' + error.details();
    }
    return QStringLiteral("<no error>");
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::shared_ptr<Database> db;

    QString path() const { return dir->filePath(QStringLiteral("acct.db")); }
    int count(const QString& table) {
        return db->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM ") + table)->Field(0).toInt();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        db = Database::openSqlite(path());
    }
    void cleanup() {
        db.reset();
        dir.reset();
    }

    void datesAndServerTime() {
        const RecordSetPtr now = db->query("Select GetDate() as NowTime");
        QCOMPARE(now->Field("NowTime").metaType().id(), int(QMetaType::QDateTime));
        QVERIFY(qAbs(now->Field("NowTime").toDateTime().secsTo(QDateTime::currentDateTime())) <
                120);

        // Dates bound as dates, texts and date-times read back alike.
        const QString insert(
            "INSERT INTO t_perioddate (FYear, FPeriod, FStartDate) VALUES (?,?,?)");
        db->nativeExec(insert, {2024, 1, QDate(2024, 1, 1)});
        db->nativeExec(insert, {2024, 2, "2024-02-01 00:00:00"});
        db->nativeExec(insert, {2025, 1, QDateTime(QDate(2025, 1, 1), QTime(0, 0))});
        // The year arrives as a text literal and still meets the integer column.
        QCOMPARE(column(db->query("select fperiod ,convert(varchar(10),FStartDate,120) as D from "
                                  "t_perioddate where FYear='2024' order by fperiod"),
                        "D"),
                 QVariantList({"2024-01-01", "2024-02-01"}));
        QCOMPARE(column(db->query("select convert(varchar(10),FStartDate,120) as D from "
                                  "t_perioddate where FYear='2025'"),
                        "D"),
                 QVariantList({"2025-01-01"}));
        QCOMPARE(column(db->query(" SELECT distinct FYear  FROM t_perioddate where FYear>= 2024 "
                                  "order by FYear"),
                        "fyear"),
                 QVariantList({2024, 2025}));
    }

    void failedBatchLeavesNothing_data() {
        QTest::addColumn<QString>("batch");
        const QString a = "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')\r\n";
        QTest::newRow("backend error in the second statement")
            << a + "Insert Into t_Missing(FX) Values (1)";
        QTest::newRow("unique key broken by the second statement")
            << "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values ('GL','Closed','1')\r\n"
               "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values ('gl','closed','0')";
        QTest::newRow("refused third statement") << a + "Insert Into t_MGLog(FTime,FCode) Values "
                                                        "('2024-01-02','B')\r\nDrop Table t_MGLog";
        QTest::newRow("unknown procedure") << a + "Exec P_NoSuchThing 'x'";
    }
    void failedBatchLeavesNothing() {
        QFETCH(QString, batch);
        QVERIFY_THROWS_EXCEPTION(HostError, db->executeBatch(batch));
        QCOMPARE(count("t_MGLog"), 0);
        QCOMPARE(count("t_SystemProfile"), 0);
        // The connection is usable afterwards, outside any transaction.
        db->executeBatch("Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')");
        QCOMPARE(count("t_MGLog"), 1);
    }

    void procedures() {
        QStringList seen;
        db->registerProcedure("P_Record", [&](Database& self, const QStringList& args) {
            seen = args;
            self.nativeExec("INSERT INTO t_MGLog (FTime, FCode, FDesc) VALUES (?, ?, ?)",
                            {"2024-01-01", "P", args.value(0)});
        });
        QVERIFY(db->execute("exec p_record 'it''s 物料','CN','R','物料'") == nullptr);
        QCOMPARE(seen, QStringList({"it's 物料", "CN", "R", "物料"}));
        QCOMPARE(count("t_MGLog"), 1);
        QVERIFY(failure([&] { db->execute("Exec P_Unknown 'a'"); }).contains("P_Unknown"));

        // A procedure that fails takes its own writes and the batch's with it.
        db->registerProcedure("P_Fail", [](Database& self, const QStringList&) {
            self.nativeExec("INSERT INTO t_MGLog (FTime, FCode) VALUES ('2024-01-02', 'F')");
            throw HostError(5, "P_Fail", "失败");
        });
        QVERIFY_THROWS_EXCEPTION(
            HostError,
            db->executeBatch("Insert Into t_MGLog(FTime,FCode) Values ('2024-01-03','B')\r\n"
                             "Exec P_Fail"));
        QCOMPARE(count("t_MGLog"), 1);
    }

    void namesKeysAndResults() {
        db->execute(
            "insert into t_SystemProfile (FCategory, FKey, FValue) values ('IC', "
            "'IndustryVersion', '3')");
        const RecordSetPtr rows = db->execute(
            "select * from t_systemprofile where FCategory='ic' and fkey ='INDUSTRYVERSION'");
        QVERIFY(rows);
        QCOMPARE(rows->RecordCount(), 1);
        QCOMPARE(rows->Field("fvalue").toString(), QString("3"));
        QCOMPARE(rows->Field("FVALUE").toString(), QString("3"));
        QVERIFY(rows->HasField("fcategory"));
        // Only queries return rows; the backend's complaint names its cause.
        QVERIFY(db->execute("update t_Currency set FScale=3 where FCurrencyID=1") == nullptr);
        QVERIFY_THROWS_EXCEPTION(HostError, db->query("update t_Currency set FScale=3"));
        QVERIFY(failure([&] { db->query("select FNope from t_Currency"); }).contains("FNope"));
    }

    void nestedTransactionFailureKeepsOuterWork() {
        db->transaction([&] {
            db->nativeExec("INSERT INTO t_MGLog (FTime, FCode) VALUES ('2024-01-01', 'OUTER')");
            try {
                db->transaction([&] {
                    db->nativeExec(
                        "INSERT INTO t_MGLog (FTime, FCode) VALUES ('2024-01-01', 'INNER')");
                    throw HostError(5, "test", "inner");
                });
            } catch (const HostError&) {
                // the inner work alone is gone
            }
        });
        QCOMPARE(column(db->nativeQuery("SELECT FCode FROM t_MGLog"), "FCode"),
                 QVariantList({"OUTER"}));
    }

    void roundTrips() {
        QCOMPARE(db->roundTrips(), 0);
        db->query("select 1");
        QCOMPARE(db->roundTrips(), 1);
        db->executeBatch(
            "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')\r\n"
            "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-02','B')");
        QCOMPARE(db->roundTrips(), 3);
        db->nativeExec("DELETE FROM t_MGLog WHERE FCode = ?", {"A"});
        QCOMPARE(db->roundTrips(), 4);
        // Refused before it reaches the backend.
        QVERIFY_THROWS_EXCEPTION(HostError, db->execute("DECLARE @x int"));
        QCOMPARE(db->roundTrips(), 4);
        db->resetRoundTrips();
        QCOMPARE(db->roundTrips(), 0);
    }

    void connectionsShareOneFileAndReopen() {
        // Readers go on while another process writes, and writers wait for each other.
        auto pragma = [&](const char* name) {
            return db->nativeQuery(QStringLiteral("PRAGMA ") + name)->Field(0).toString();
        };
        QCOMPARE(pragma("journal_mode"), QString("wal"));
        QCOMPARE(pragma("synchronous"), QString("1"));  // NORMAL
        QCOMPARE(pragma("busy_timeout"), QString::number(Database::kLockWaitMs));

        auto second = Database::openSqlite(path());
        QVERIFY(second->connectionName() != db->connectionName());
        QCOMPARE(QFileInfo(second->location()).canonicalFilePath(),
                 QFileInfo(path()).canonicalFilePath());
        db->execute("insert into t_User (FName, FAdministrator) values ('管理员', 1)");
        db->execute("update t_Currency set FName='港币' where FCurrencyID=1");
        QCOMPARE(second->query("select FName from t_User")->Field(0).toString(), QString("管理员"));
        second.reset();
        db.reset();

        db = Database::openSqlite(path());
        QCOMPARE(db->roundTrips(), 0);
        QCOMPARE(refhost::schemaVersion(*db), refhost::kSchemaVersion);
        QCOMPARE(db->query("select FName from t_User")->Field(0).toString(), QString("管理员"));
        QCOMPARE(count("t_Currency"), 1);
        QCOMPARE(db->query("select FName from t_Currency")->Field(0).toString(), QString("港币"));
    }

    void unopenablePathsRaise() {
        // A regular file stands where a directory should be.
        QFile blocker(dir->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString bad = dir->filePath("blocker/sub/acct.db");
        QVERIFY(failure([&] { Database::openSqlite(bad); }).contains(bad));
        QVERIFY_THROWS_EXCEPTION(HostError, Database::openSqlite(QString()));
        // A file that is no database.
        QFile garbage(dir->filePath("garbage.db"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
        garbage.close();
        QVERIFY_THROWS_EXCEPTION(HostError, Database::openSqlite(garbage.fileName()));
    }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
