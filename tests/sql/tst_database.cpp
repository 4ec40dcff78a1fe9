// The account set's database on a temporary SQLite file: what the component's
// T-SQL finds and changes, batches as one transaction, procedures, opening.

#include <QTemporaryDir>
#include <QtTest>

#include "sql/Database.h"
#include "sql/Schema.h"
#include "zx/host/HostError.h"

using refhost::Database;
using zx::host::HostError;
using zx::host::RecordSetPtr;

namespace {

int count(Database& db, const QString& table) {
    const RecordSetPtr rows = db.nativeQuery(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    rows->MoveFirst();
    return rows->Field(0).toInt();
}

QVariantList column(const RecordSetPtr& rows, const QString& name) {
    QVariantList values;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) values.append(rows->Field(name));
    return values;
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::shared_ptr<Database> db;

    QString path() const { return dir->filePath(QStringLiteral("acct.db")); }

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

    void initialDataUnion() {
        const QString sql =
            "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union "
            "select top 1 1 from t_FAAlter ";
        QCOMPARE(db->query(sql)->RecordCount(), 0);

        db->execute("insert into t_FAAlter (FYear, FPeriod, FAssetID) values (2024, 1, 7)");
        db->execute("insert into t_FAAlter (FYear, FPeriod, FAssetID) values (2024, 2, 8)");
        QCOMPARE(db->query(sql)->RecordCount(), 1);

        db->execute("insert into t_balance (FYear, FPeriod, FAccountID) values (2024, 1, 1)");
        db->execute("insert into t_InitCashFlowBal (FAccountID, FAmount) values (1, 10)");
        QCOMPARE(db->query(sql)->RecordCount(), 1);
    }

    void vouchersBeforeAPeriod() {
        db->execute("insert into t_Voucher (FYear, FPeriod) values (2024, 2)");
        auto before = [&](int year, int period) {
            return db
                ->query(QStringLiteral("Select top 1 1 from t_Voucher where FYear<%1 or "
                                       "(FYear=%1 and FPeriod<%2)")
                            .arg(year)
                            .arg(period))
                ->RecordCount();
        };
        QCOMPARE(before(2024, 3), 1);
        QCOMPARE(before(2024, 2), 0);
        QCOMPARE(before(2025, 1), 1);
    }

    void serverTimeIsADateTime() {
        const RecordSetPtr rows = db->query("Select GetDate() as NowTime");
        QCOMPARE(rows->RecordCount(), 1);
        const QVariant now = rows->Field("NowTime");
        QCOMPARE(now.metaType().id(), int(QMetaType::QDateTime));
        QVERIFY(qAbs(now.toDateTime().secsTo(QDateTime::currentDateTime())) < 120);
    }

    void periodCalendar() {
        db->nativeExec("INSERT INTO t_perioddate (FYear, FPeriod, FStartDate) VALUES (?, ?, ?)",
                       {2024, 1, QDate(2024, 1, 1)});
        db->nativeExec("INSERT INTO t_perioddate (FYear, FPeriod, FStartDate) VALUES (?, ?, ?)",
                       {2024, 2, "2024-02-01 00:00:00"});
        db->nativeExec("INSERT INTO t_perioddate (FYear, FPeriod, FStartDate) VALUES (?, ?, ?)",
                       {2025, 1, QDateTime(QDate(2025, 1, 1), QTime(0, 0))});

        // The year arrives as a text literal and still meets the integer column.
        const RecordSetPtr rows = db->query(
            "select fperiod ,convert(varchar(10),FStartDate,120)  from t_perioddate where "
            "FYear='2024' order by fperiod");
        QCOMPARE(rows->RecordCount(), 2);
        QStringList dates;
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) dates << rows->Field(1).toString();
        QCOMPARE(dates, QStringList({"2024-01-01", "2024-02-01"}));

        const RecordSetPtr years = db->query(
            " SELECT distinct FYear  FROM t_perioddate where FYear>= 2024 order by FYear");
        QCOMPARE(column(years, "fyear"), QVariantList({2024, 2025}));

        const RecordSetPtr first = db->query(
            "select convert(varchar(10),FStartDate,120) as D from t_perioddate "
            "where FYear='2025'");
        QCOMPARE(first->Field("D").toString(), QString("2025-01-01"));
    }

    void logBatchArrivesIntact() {
        // Two rows of the change log, exactly as the component sends them.
        const QString batch =
            "Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,FKey,FDesc,FOrigValue,"
            "FNewValue,FMachineName,FIpAddress) Values ('2024-03-01 10:00:00',7,'IC','BOMType',"
            "'BOM损耗率公式','O''Brien','物料;--新值','WS-01','')\r\n"
            "Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,FKey,FDesc,FOrigValue,"
            "FNewValue,FMachineName,FIpAddress) Values ('2024-03-01 10:00:00',7,'IC','MoCheckQty',"
            "'生产任务单/委外加工单需完成生产领料/"
            "委外发料才可入库','不启用','启用','WS-01','')\r\n";
        db->executeBatch(batch);

        const RecordSetPtr rows = db->query("select * from t_SystemProfile_Log order by FID");
        QCOMPARE(rows->RecordCount(), 2);
        QCOMPARE(rows->Field("FOrigValue").toString(), QString("O'Brien"));
        QCOMPARE(rows->Field("FNewValue").toString(), QString("物料;--新值"));
        QCOMPARE(rows->Field("FIpAddress").toString(), QString(""));
        const qlonglong firstId = rows->Field("FID").toLongLong();
        rows->MoveNext();
        QCOMPARE(rows->Field("FDesc").toString(),
                 QString("生产任务单/委外加工单需完成生产领料/委外发料才可入库"));
        QVERIFY(rows->Field("FID").toLongLong() > firstId);
    }

    void failedBatchLeavesNothing_data() {
        QTest::addColumn<QString>("batch");
        QTest::newRow("backend error in the second statement")
            << "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')\r\n"
               "Insert Into t_Missing(FX) Values (1)";
        QTest::newRow("unique key broken by the second statement")
            << "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values ('GL','Closed','1')\r\n"
               "Insert Into t_SystemProfile(FCategory,FKey,FValue) Values ('gl','closed','0')";
        QTest::newRow("refused third statement")
            << "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')\r\n"
               "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-02','B')\r\n"
               "Drop Table t_MGLog";
        QTest::newRow("unknown procedure")
            << "Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')\r\n"
               "Exec P_NoSuchThing 'x'";
    }

    void failedBatchLeavesNothing() {
        QFETCH(QString, batch);
        QVERIFY_THROWS_EXCEPTION(HostError, db->executeBatch(batch));
        QCOMPARE(count(*db, "t_MGLog"), 0);
        QCOMPARE(count(*db, "t_SystemProfile"), 0);
        // The connection is usable afterwards, outside any transaction.
        db->executeBatch("Insert Into t_MGLog(FTime,FCode) Values ('2024-01-01','A')");
        QCOMPARE(count(*db, "t_MGLog"), 1);
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
        QCOMPARE(count(*db, "t_MGLog"), 1);

        try {
            db->execute("Exec P_Unknown 'a'");
            QFAIL("an unknown procedure ran");
        } catch (const HostError& error) {
            QVERIFY2(error.description().contains("P_Unknown"), qPrintable(error.description()));
        }

        // A procedure that fails takes its own writes and the batch's with it.
        db->registerProcedure("P_Fail", [](Database& self, const QStringList&) {
            self.nativeExec("INSERT INTO t_MGLog (FTime, FCode) VALUES ('2024-01-02', 'F')");
            throw HostError(5, "P_Fail", "失败");
        });
        QVERIFY_THROWS_EXCEPTION(
            HostError,
            db->executeBatch("Insert Into t_MGLog(FTime,FCode) Values ('2024-01-03','B')\r\n"
                             "Exec P_Fail"));
        QCOMPARE(count(*db, "t_MGLog"), 1);
    }

    void captionReplacement() {
        db->executeBatch(
            "insert into ICTemplateEntry (FID, FCtlIndex, FCaption, FCtlType) values ('A01', 1, "
            "'物料代码', 1)\r\n"
            "insert into ICTemplateEntry (FID, FCtlIndex, FCaption, FCtlType) values ('A01', 2, "
            "'数量', 3)");
        db->execute("Exec P_ICReplaceCaption '商品','CN','R','物料'");
        db->execute(
            "update t_MF_FuncElement set FQORCaption ='商品' where FDetailFuncID = 60020111 and "
            "FSubFuncID = 600201");
        QCOMPARE(column(db->query("select FCaption from ICTemplateEntry order by FCtlIndex"),
                        "FCaption"),
                 QVariantList({"商品代码", "数量"}));
        QCOMPARE(db->query("select FQORCaption from t_MF_FuncElement")->Field(0).toString(),
                 QString("商品"));
    }

    void fieldNamesAndKeysIgnoreCase() {
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
    }

    void changeLogViewerQuery() {
        db->nativeExec("INSERT INTO t_User (FUserID, FName) VALUES (7, 'O''Neil')");
        const QString insert =
            "Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,FKey,FDesc,FOrigValue,"
            "FNewValue,FMachineName,FIpAddress) Values ('%1',%2,'IC','K','d','0','1','WS','')";
        db->execute(insert.arg("2024-02-29 23:59:59").arg(7));
        db->execute(insert.arg("2024-03-01 00:00:00").arg(7));
        db->execute(insert.arg("2024-03-31 23:59:59").arg(99));  // user since removed
        db->execute(insert.arg("2024-04-01 00:00:00").arg(7));

        const RecordSetPtr rows = db->query(
            "Select A.FID,A.FOptTime,B.FName As FUser,A.FCategory,A.FKey,A.FDesc,A.FOrigValue,"
            "A.FNewValue,A.FMachineName,A.FIpAddress\r\n"
            "From t_SystemProfile_Log A\r\n"
            "Left Join t_User B On A.FUserID=B.FUserID\r\n"
            "Where A.FOptTime>='2024-03-01' And A.FOptTime<'2024-04-01'\r\n"
            "Order By A.FID Desc");
        QCOMPARE(rows->RecordCount(), 2);
        QCOMPARE(rows->Field("FOptTime").toString(), QString("2024-03-31 23:59:59"));
        QVERIFY(rows->Field("FUser").isNull());
        rows->MoveNext();
        QCOMPARE(rows->Field("FUser").toString(), QString("O'Neil"));
    }

    // Statements the parameter pages send, each run against the schema.
    void componentStatements_data() {
        QTest::addColumn<QString>("tsql");
        QTest::newRow("base currency")
            << "Update t_Currency Set FName = '人民币', FNumber = 'RMB', FScale=2  Where "
               "FCurrencyID =1";
        QTest::newRow("tax rate of materials")
            << "Update t_ItemPropDesc Set FDefaultValue=17.5 Where FItemClassID=4 and "
               "FSQLColumnName='FTaxRate'";
        QTest::newRow("summed quantity fields")
            << "update ICTemplateEntry set FNeedCount = 1 where FCtlType = 3";
        QTest::newRow("company name")
            << "update t_ad_zxAccount_gl set FCompanyName='示例公司' where FAcctName='demo'";
        QTest::newRow("transfer-check protection")
            << " Select FReadonly, FLevel From t_SystemProfile  Where FCategory = 'GL' and FKey "
               "= 'TransCheckStart'";
        QTest::newRow("per-user setting")
            << "Select FValue From t_UserSetting Where FUserID=1 And FCategory='QOR_APFC' And "
               "FKey ='RptFontSize'";
        QTest::newRow("accounts below a number")
            << "select FDetailID from t_Account where FNumber = '3131' Or FNumber Like '3131.%'";
    }

    void componentStatements() {
        QFETCH(QString, tsql);
        db->execute(tsql);
    }

    void baseCurrencyAndTaxRateRowsExist() {
        db->execute(
            "Update t_Currency Set FName = '美元', FNumber = 'USD', FScale=2  Where "
            "FCurrencyID =1");
        db->execute(
            "Update t_ItemPropDesc Set FDefaultValue=17.5 Where FItemClassID=4 and "
            "FSQLColumnName='FTaxRate'");
        QCOMPARE(db->query("select FName from t_Currency where FCurrencyID=1")->Field(0).toString(),
                 QString("美元"));
        QCOMPARE(db->query("select FDefaultValue from t_ItemPropDesc where FItemClassID=4")
                     ->Field(0)
                     .toDouble(),
                 17.5);
    }

    void executeReturnsRowsOnlyForQueries() {
        QVERIFY(db->execute("select FCurrencyID from t_Currency"));
        QVERIFY(db->execute("update t_Currency set FScale=3 where FCurrencyID=1") == nullptr);
        QVERIFY_THROWS_EXCEPTION(HostError, db->query("update t_Currency set FScale=3"));
    }

    void backendErrorsNameTheCause() {
        try {
            db->query("select FNope from t_Currency");
            QFAIL("the query ran");
        } catch (const HostError& error) {
            QVERIFY2(error.description().contains("FNope"), qPrintable(error.description()));
        }
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

    void reopeningKeepsData() {
        db->execute("insert into t_User (FName, FAdministrator) values ('管理员', 1)");
        db->execute("update t_Currency set FName='港币' where FCurrencyID=1");
        db.reset();

        db = Database::openSqlite(path());
        QCOMPARE(db->roundTrips(), 0);
        QCOMPARE(refhost::schemaVersion(*db), refhost::kSchemaVersion);
        QCOMPARE(db->query("select FName from t_User")->Field(0).toString(), QString("管理员"));
        QCOMPARE(count(*db, "t_Currency"), 1);
        QCOMPARE(db->query("select FName from t_Currency")->Field(0).toString(), QString("港币"));
    }

    void connectionSettings() {
        // Readers go on while another process writes, and writers wait for each other.
        auto pragma = [&](const char* name) {
            return db->nativeQuery(QStringLiteral("PRAGMA ") + name)->Field(0).toString();
        };
        QCOMPARE(pragma("journal_mode"), QString("wal"));
        QCOMPARE(pragma("synchronous"), QString("1"));  // NORMAL
        QCOMPARE(pragma("busy_timeout"), QString::number(Database::kLockWaitMs));
    }

    void twoConnectionsShareOneFile() {
        auto second = Database::openSqlite(path());
        QVERIFY(second->connectionName() != db->connectionName());
        db->execute("insert into t_User (FName) values ('甲')");
        QCOMPARE(second->query("select FName from t_User")->Field(0).toString(), QString("甲"));
        QCOMPARE(QFileInfo(second->location()).canonicalFilePath(),
                 QFileInfo(path()).canonicalFilePath());
    }

    void unopenablePathsRaise() {
        // A regular file stands where a directory should be.
        QFile blocker(dir->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString bad = dir->filePath("blocker/sub/acct.db");
        try {
            Database::openSqlite(bad);
            QFAIL("the database opened");
        } catch (const HostError& error) {
            QVERIFY2(error.description().contains(bad), qPrintable(error.description()));
        }
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
