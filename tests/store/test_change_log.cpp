#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>

#include "DialogHarness.h"
#include "ScriptedHost.h"
#include "StoreFakes.h"
#include "sql/Database.h"
#include "zx/store/ChangeLog.h"

using zx::store::ChangeLog;

namespace {

const QString kProps = QStringLiteral("Data Source=acct1;UserID=7;");
const QString kInsert = QStringLiteral(
    "Insert Into t_SystemProfile_Log(FOptTime,FUserID,FCategory,FKey,FDesc,FOrigValue,"
    "FNewValue,FMachineName,FIpAddress) Values (");

// A host with the services the log uses, each recording what it sees.
struct LogHost {
    zxtest::ScriptedHost host;
    std::shared_ptr<zxtest::ClockClassInfo> info = std::make_shared<zxtest::ClockClassInfo>();
    std::shared_ptr<zxtest::RecordingClassUpdate> update =
        std::make_shared<zxtest::RecordingClassUpdate>();

    LogHost() {
        host.properties.insert("PropsString", kProps);
        host.properties.insert("UserID", 7);
        host.provide(info);
        host.provide(update);
        host.provide(QStringLiteral("StringBuilder"),
                     [] { return std::make_shared<zxtest::PlainStringBuilder>(); });
    }

    QStringList statements() const {
        QStringList all;
        for (const auto& call : update->calls) {
            QStringList parts = call.sql.split(QStringLiteral("\r\n"));
            if (parts.last().isEmpty()) parts.removeLast();
            all += parts;
        }
        return all;
    }
};

void addSwitch(ChangeLog& log, const QString& key, const QString& value) {
    log.AddLogItem("IC", key, QStringLiteral("说明 ") + key, value, true, false);
}

}  // namespace

// Hands the batch to a real account-set database.
class DatabaseClassUpdate : public zx::host::ClassUpdate {
public:
    explicit DatabaseClassUpdate(std::shared_ptr<refhost::Database> db) : db_(std::move(db)) {}
    void SaveItem(const QString&, const QString& sql) override { db_->executeBatch(sql); }

private:
    std::shared_ptr<refhost::Database> db_;
};

class ChangeLogTest : public QObject {
    Q_OBJECT

private slots:
    void unchangedValuesMakeNoCallAtAll();
    void changesGoInOneBatchAndAreRebased();
    void rowsArriveIntactInTheDatabase();
    void failingInsertIsSwallowedAndRebased();
    void failureBeforeTheInsertKeepsTheRecords();
    void duplicateRegistrationUpdatesTheFirstOnly();
    void unknownWorkstationWrittenAsEmpty();
    void theDialogWatchesTheProductionKeys();
};

void ChangeLogTest::unchangedValuesMakeNoCallAtAll() {
    LogHost env;
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "1");
    addSwitch(log, "UpdateBomStock", "0");
    log.AddLogItem("IC", "AlertMO", "d", "继续保存不提示", false, false);
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.UpdateLogItem("IC", "UpdateBomStock", "1");  // checked, then unchecked again
    log.UpdateLogItem("IC", "UpdateBomStock", "0");
    log.UpdateLogItem("IC", "AlertMO", "继续保存不提示");
    log.WriteLog();
    QCOMPARE(env.host.count("create:"), 0);
    QCOMPARE(env.host.count("factory:"), 0);
    QVERIFY(env.info->queries.isEmpty());
    QVERIFY(env.update->calls.isEmpty());
}

void ChangeLogTest::changesGoInOneBatchAndAreRebased() {
    LogHost env;
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    addSwitch(log, "MoCheckQty", "1");
    addSwitch(log, "MoCheckQty1", "1");
    log.AddLogItem("IC", "ManufactureAlarmDateCount", "天数", "3", false, false);
    log.UpdateLogItem("IC", "mocommitqty", "1");  // keys match without regard to case
    log.UpdateLogItem("IC", "MoCheckQty1", "2");  // greyed
    log.UpdateLogItem("IC", "ManufactureAlarmDateCount", "10");
    log.WriteLog();

    QCOMPARE(env.info->queries, QStringList({"Select GetDate() as NowTime"}));
    QCOMPARE(env.update->calls.size(), 1);
    QCOMPARE(env.update->calls[0].props, kProps);
    QVERIFY(env.update->calls[0].sql.endsWith(")\r\n"));
    const QString tail = QStringLiteral("'WS-TEST','192.0.2.10')");
    QCOMPARE(env.statements(),
             QStringList({kInsert +
                              "'2024-03-05 14:07:09',7,'IC','MoCommitQty',"
                              "'说明 MoCommitQty','不启用','启用'," +
                              tail,
                          kInsert +
                              "'2024-03-05 14:07:09',7,'IC','MoCheckQty1',"
                              "'说明 MoCheckQty1','启用','不启用'," +
                              tail,
                          kInsert +
                              "'2024-03-05 14:07:09',7,'IC','ManufactureAlarmDateCount',"
                              "'天数','3','10'," +
                              tail}));

    log.WriteLog();  // the new values are the baseline now
    QCOMPARE(env.update->calls.size(), 1);
    QCOMPARE(env.info->queries.size(), 1);
}

void ChangeLogTest::rowsArriveIntactInTheDatabase() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto db = refhost::Database::openSqlite(dir.filePath("acct.db"));
    LogHost env;
    env.host.provide(std::make_shared<DatabaseClassUpdate>(db));

    ChangeLog log;
    log.AddLogItem("IC", "BOMType", "O'Brien's 公式", "标准用量/(1-损耗率%)", false, false);
    addSwitch(log, "MoCommitQty", "0");
    log.UpdateLogItem("IC", "BOMType", "it's; -- 标准");
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.WriteLog();

    auto rows = db->nativeQuery(
        "select FOptTime, FUserID, FKey, FDesc, FOrigValue, FNewValue, FMachineName "
        "from t_SystemProfile_Log order by FID");
    QCOMPARE(rows->RecordCount(), 2);
    QCOMPARE(rows->Field("FOptTime").toString(), QString("2024-03-05 14:07:09"));
    QCOMPARE(rows->Field("FUserID").toInt(), 7);
    QCOMPARE(rows->Field("FDesc").toString(), QString("O'Brien's 公式"));
    QCOMPARE(rows->Field("FOrigValue").toString(), QString("标准用量/(1-损耗率%)"));
    QCOMPARE(rows->Field("FNewValue").toString(), QString("it's; -- 标准"));
    QCOMPARE(rows->Field("FMachineName").toString(), QString("WS-TEST"));
    rows->MoveNext();
    QCOMPARE(rows->Field("FOptTime").toString(), QString("2024-03-05 14:07:09"));
    QCOMPARE(rows->Field("FNewValue").toString(), QString("启用"));
}

void ChangeLogTest::failingInsertIsSwallowedAndRebased() {
    LogHost env;
    env.update->fail = true;
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.WriteLog();  // must not raise nor show anything
    QCOMPARE(env.update->calls.size(), 1);
    QVERIFY(env.host.messages.isEmpty());
    log.WriteLog();
    QCOMPARE(env.update->calls.size(), 1);  // not logged again
}

void ChangeLogTest::failureBeforeTheInsertKeepsTheRecords() {
    zxtest::ScriptedHost host;  // no StringBuilder: creating it fails
    host.properties.insert("PropsString", kProps);
    host.provide(std::make_shared<zxtest::ClockClassInfo>());
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.WriteLog();
    QCOMPARE(log.items()[0].origValue, QString("不启用"));
    QCOMPARE(log.items()[0].newValue, QString("启用"));
}

void ChangeLogTest::duplicateRegistrationUpdatesTheFirstOnly() {
    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    addSwitch(log, "MoCommitQty", "0");  // a reload registers again
    QVERIFY(log.UpdateLogItem("ic", "MOCOMMITQTY", "1"));
    QCOMPARE(log.items()[0].newValue, QString("启用"));
    QCOMPARE(log.items()[1].newValue, QString("不启用"));
    QVERIFY(!log.UpdateLogItem("GL", "MoCommitQty", "1"));
    log.AddLogItem("IC", "BOMType", "d", "x", false, true);  // reset empties the list first
    QCOMPARE(log.items().size(), 1);
}

void ChangeLogTest::unknownWorkstationWrittenAsEmpty() {
    LogHost env;
    env.host.machineName = QString(128, QLatin1Char('w'));  // does not fit the name buffer
    QCOMPARE(ChangeLog::GetMachineName(), QString());
    env.host.machineName.reset();
    env.host.readTcpResult = 0;

    ChangeLog log;
    addSwitch(log, "MoCommitQty", "0");
    log.UpdateLogItem("IC", "MoCommitQty", "1");
    log.WriteLog();
    QVERIFY(env.statements().value(0).endsWith("'不启用','启用','','')"));
}

// The dialog registers the watched keys of the business page as loaded and
// logs what a save changed.
void ChangeLogTest::theDialogWatchesTheProductionKeys() {
    DialogHarness h("administrator", [](DialogHarness& d) {
        d.setParam("IC", "MoCheckQty", "1");
        d.setParam("IC", "ManufactureAlarmDateCount", "12000");
    });
    const auto& items = h.dialog->changeLog().items();
    QStringList keys;
    for (const auto& item : items) {
        QCOMPARE(item.category, QString("IC"));
        keys << item.key + '=' + item.origValue;
    }
    QCOMPARE(keys,
             (QStringList{"CProOutQtyLargerQty=不启用", "MoCommitQty=不启用", "MoCheckQty=启用",
                          "MoCheckQty1=不启用", "upDiscountSave=不启用", "CStoOutQtyLargerQty=启用",
                          "AlertMO=提示，并允许制单人继续保存", "BOMType=标准用量/(1-损耗率%)",
                          "UpdateBomStock=不启用", "ManufactureAlarmDateCount=12000",
                          "MoCheckNoApportionFee=不启用", "OutMoCheckNoOutExpense=不启用"}));
    // The second box of the pair has a sentence of its own; the others their captions.
    QCOMPARE(items[3].desc, QString("生产任务单/委外加工单需部分生产领料/委外发料即可入库"));
    QCOMPARE(items[1].desc, h.c<QCheckBox>("chkIC_MoCommitQty")->text());

    h.c<QCheckBox>("chkIC_MoCommitQty")->click();
    QVERIFY(h.dialog->SaveProfiles());
    auto rows =
        h.set.db->nativeQuery("SELECT FKey, FDesc, FOrigValue, FNewValue FROM t_SystemProfile_Log");
    QCOMPARE(rows->RecordCount(), 1);
    rows->MoveFirst();
    QCOMPARE(rows->Field(0).toString(), QString("MoCommitQty"));
    QCOMPARE(rows->Field(1).toString(), items[1].desc);
    QCOMPARE(rows->Field(2).toString(), QString("不启用"));
    QCOMPARE(rows->Field(3).toString(), QString("启用"));
}

QTEST_MAIN(ChangeLogTest)
#include "test_change_log.moc"
