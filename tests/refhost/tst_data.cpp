// The data services on the account set (T-SQL from the component) and the
// per-user profile values.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using namespace zx::host;

class DataTest : public QObject {
    Q_OBJECT

private slots:
    // The component's two questions to the ledger, as it sends them.
    void initialDataAndVoucherQuestions() {
        DemoSet set(false);
        const auto rows = [&](const QString& sql) {
            return createObject<ClassInfo>()->GetData(set.host->propsString(), sql)->RecordCount();
        };
        const QString initData =
            "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union "
            "select top 1 1 from t_FAAlter ";
        const auto voucherBefore = [&](int year, int period) {
            return rows(QStringLiteral("Select top 1 1 from t_Voucher where FYear<%1 or "
                                       "(FYear=%1 and FPeriod<%2)")
                            .arg(year)
                            .arg(period));
        };
        QCOMPARE(rows(initData), 0);
        QCOMPARE(voucherBefore(2024, 1), 0);
        // Each of the three tables alone counts; all of them still make one row.
        set.db->nativeExec("INSERT INTO t_FAAlter (FYear, FPeriod, FAmount) VALUES (2024, 1, 5)");
        set.db->nativeExec("INSERT INTO t_FAAlter (FYear, FPeriod, FAmount) VALUES (2024, 2, 6)");
        QCOMPARE(rows(initData), 1);
        set.db->nativeExec("INSERT INTO t_balance (FYear, FPeriod, FAccountID) VALUES (2024,1,1)");
        set.db->nativeExec("INSERT INTO t_InitCashFlowBal (FAccountID, FAmount) VALUES (1, 10)");
        QCOMPARE(rows(initData), 1);

        set.db->nativeExec("INSERT INTO t_Voucher (FYear, FPeriod) VALUES (2024, 2)");
        QCOMPARE(voucherBefore(2024, 3), 1);
        QCOMPARE(voucherBefore(2024, 2), 0);
        QCOMPARE(voucherBefore(2025, 1), 1);
        QCOMPARE(voucherBefore(2023, 12), 0);
        QVERIFY_THROWS_EXCEPTION(HostError, rows("select * from t_NoSuchTable"));
    }

    void batchIsSavedWhole() {
        DemoSet set(false);
        auto update = createObject<ClassUpdate>();
        const QString insert = QStringLiteral(
            "Insert Into t_UserSetting (FUserID, FCategory, FKey, FValue) Values (1, 'QOR_APFC', "
            "'%1', '%2')");
        update->SaveItem(set.host->propsString(),
                         insert.arg("A", "1") + u'\n' + insert.arg("B", "O''Brien"));
        QCOMPARE(set.count(QStringLiteral("t_UserSetting")), 2);
        auto rs = createObject<AppConnection>()->Execute(
            QStringLiteral("Select FValue From t_UserSetting Where FUserID=1 And "
                           "FCategory='QOR_APFC' And FKey ='B'"));
        QCOMPARE(rs->Field(QStringLiteral("FValue")).toString(), QStringLiteral("O'Brien"));

        // A failing statement takes the whole batch back.
        QVERIFY_THROWS_EXCEPTION(
            HostError, update->SaveItem(set.host->propsString(), insert.arg("C", "1") +
                                                                     "\nInsert Into t_NoSuchTable "
                                                                     "Values (1)"));
        QCOMPARE(set.count(QStringLiteral("t_UserSetting")), 2);
    }

    void anotherAccountSetIsRefused() {
        DemoSet set(false);
        QTemporaryDir otherDir;
        auto other = refhost::Database::openSqlite(otherDir.filePath(QStringLiteral("o.zxdb")));
        QString foreign = set.host->propsString();
        foreign.replace(set.db->location(), other->location());
        try {
            createObject<ClassInfo>()->GetData(foreign, QStringLiteral("select 1 as x"));
            QFAIL("served a property string of another account set");
        } catch (const HostError& e) {
            QVERIFY(e.description().contains(other->location()));
        }
        const QString insert = QStringLiteral(
            "Insert Into t_UserSetting (FUserID, FCategory, FKey) Values (1, 'X', 'Y')");
        QVERIFY_THROWS_EXCEPTION(HostError, createObject<ClassUpdate>()->SaveItem(foreign, insert));
        QVERIFY_THROWS_EXCEPTION(HostError,
                                 createObject<ClassUpdate>()->SaveItem(QString(), insert));
        QCOMPARE(set.count(QStringLiteral("t_UserSetting")), 0);
        QCOMPARE(other->nativeQuery("SELECT COUNT(*) FROM t_UserSetting")->Field(0).toInt(), 0);
    }

    void userProfileOutlivesTheHost() {
        DemoSet set(true, QStringLiteral("editor"));
        const QString component = QStringLiteral("GLSystemSetting.dll");
        const QString form = QStringLiteral("frmOptLog");
        {
            auto profile = createObject<UserProfile>();
            profile->Load(component, form);
            profile->SetValue(QStringLiteral("Width"), 9000);
            profile->SetValue(QStringLiteral("Maximized"), true);
            profile->Save(component, form);
            profile->SetValue(QStringLiteral("width"), 9600);  // same key, other case
            profile->Save(component, form);
        }
        set.host.reset();  // the old host leaves before the new one settles in
        set.host = std::make_unique<refhost::RefHost>(set.db, set.installDir);
        refhost::installStandardServices(*set.host);
        set.host->login(QStringLiteral("editor"));
        auto profile = createObject<UserProfile>();
        profile->Load(component, form);
        QCOMPARE(profile->GetValue(QStringLiteral("WIDTH"), QString()).toString(),
                 QStringLiteral("9600"));
        QVERIFY(profile->GetValue(QStringLiteral("Maximized"), false).toBool());
        QCOMPARE(profile->GetValue(QStringLiteral("Missing"), QStringLiteral("d")).toString(),
                 QStringLiteral("d"));
        QCOMPARE(set.count(QStringLiteral("t_UserProfile")), 2);

        // Another form and another user start empty.
        profile->Load(component, QStringLiteral("frmSystemProfiles"));
        QCOMPARE(profile->GetValue(QStringLiteral("Width"), 0).toInt(), 0);
        set.host->login(QStringLiteral("viewer"));
        profile->Load(component, form);
        QCOMPARE(profile->GetValue(QStringLiteral("Width"), 0).toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(DataTest)
#include "tst_data.moc"
