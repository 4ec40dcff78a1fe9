// The data services on the account set (T-SQL from the component) and the
// per-user profile values.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using namespace zx::host;

namespace {
// The component's two questions to the ledger, as it sends them.
const QString kInitData = QStringLiteral(
    "Select top 1 1 from t_balance union select top 1 1 from t_InitCashFlowBal Union select top "
    "1 1 from t_FAAlter ");
QString voucherBefore(int year, int period) {
    return QStringLiteral(
               "Select top 1 1 from t_Voucher where FYear<%1 or (FYear=%1 and FPeriod<%2)")
        .arg(year)
        .arg(period);
}
int rows(const QString& sql, const QString& props) {
    auto rs = createObject<ClassInfo>()->GetData(props, sql);
    return rs ? rs->RecordCount() : -1;
}
}  // namespace

class DataTest : public QObject {
    Q_OBJECT

private slots:
    void initialDataAndVoucherQuestions() {
        DemoSet set(false);
        const QString props = set.host->propsString();
        QCOMPARE(rows(kInitData, props), 0);
        QCOMPARE(rows(voucherBefore(2024, 1), props), 0);

        // Each of the three tables alone counts as initial data.
        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_FAAlter (FYear, FPeriod, FAmount) VALUES (2024, 1, 5)"));
        QCOMPARE(rows(kInitData, props), 1);

        set.db->nativeExec(
            QStringLiteral("INSERT INTO t_Voucher (FYear, FPeriod) VALUES (2024, 2)"));
        QCOMPARE(rows(voucherBefore(2024, 3), props), 1);
        QCOMPARE(rows(voucherBefore(2024, 2), props), 0);
        QCOMPARE(rows(voucherBefore(2025, 1), props), 1);
        QCOMPARE(rows(voucherBefore(2023, 12), props), 0);
    }

    void batchIsSavedWhole() {
        DemoSet set(false);
        auto update = createObject<ClassUpdate>();
        const QString insert = QStringLiteral(
            "Insert Into t_UserSetting (FUserID, FCategory, FKey, FValue) Values (1, 'QOR_APFC', "
            "'%1', '%2')");
        update->SaveItem(set.host->propsString(),
                         insert.arg(QStringLiteral("A"), QStringLiteral("1")) + u'\n' +
                             insert.arg(QStringLiteral("B"), QStringLiteral("O''Brien")));
        QCOMPARE(set.count(QStringLiteral("t_UserSetting")), 2);
        auto rs = createObject<AppConnection>()->Execute(
            QStringLiteral("Select FValue From t_UserSetting Where FUserID=1 And "
                           "FCategory='QOR_APFC' And FKey ='B'"));
        QVERIFY(rs);
        QCOMPARE(rs->Field(QStringLiteral("FValue")).toString(), QStringLiteral("O'Brien"));

        // A failing statement takes the whole batch back.
        QVERIFY_THROWS_EXCEPTION(
            HostError,
            update->SaveItem(set.host->propsString(),
                             insert.arg(QStringLiteral("C"), QStringLiteral("1")) +
                                 QStringLiteral("\nInsert Into t_NoSuchTable Values (1)")));
        QCOMPARE(set.count(QStringLiteral("t_UserSetting")), 2);
    }

    void failingQueryRaises() {
        DemoSet set(false);
        try {
            createObject<ClassInfo>()->GetData(set.host->propsString(),
                                               QStringLiteral("select * from t_NoSuchTable"));
            QFAIL("a query on a missing table returned");
        } catch (const HostError& e) {
            QVERIFY(!e.description().isEmpty());
        }
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
        QCOMPARE(other->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_UserSetting"))
                     ->Field(0)
                     .toInt(),
                 0);
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
        set.host.reset();

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
