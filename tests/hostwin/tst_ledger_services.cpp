// The ledger start-up services of the reference host: the write-off switch,
// the user's voucher type, the account-set register and the management log.

#include <QDateTime>
#include <QTest>

#include "DemoSet.h"
#include "PeriodRows.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"

using namespace zx::host;

namespace {

QString userSetting(refhost::Database& db, int userId, const QString& key) {
    const auto rs = db.nativeQuery(QStringLiteral("SELECT FValue FROM t_UserSetting WHERE "
                                                  "FUserID = ? AND FCategory = 'Session' AND "
                                                  "FKey = ?"),
                                   {userId, key});
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

QString companyOf(refhost::Database& db, const QString& acctName) {
    const auto rs = db.nativeQuery(
        QStringLiteral("SELECT FCompanyName FROM t_ad_zxAccount_gl WHERE FAcctName = ?"),
        {acctName});
    rs->MoveFirst();
    return rs->Field(0).toString();
}

}  // namespace

class LedgerServicesTest : public QObject {
    Q_OBJECT

private slots:
    void writeOffSwitch_data() {
        QTest::addColumn<int>("oldFlag");
        QTest::addColumn<int>("newFlag");
        QTest::addColumn<bool>("writtenOff");
        QTest::addColumn<bool>("initClosed");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<int>("successFlag");

        QTest::newRow("on") << 0 << 1 << false << false << true << 1;
        QTest::newRow("on beside old write-offs") << 0 << 1 << true << false << true << 1;
        QTest::newRow("off with write-offs") << 1 << 0 << true << false << false << -1;
        QTest::newRow("off with write-offs, balances closed")
            << 1 << 0 << true << true << false << -1;
        QTest::newRow("on, balances closed") << 0 << 1 << false << true << false << 0;
        QTest::newRow("unchanged, balances closed") << 1 << 1 << true << true << true << 1;
    }
    void writeOffSwitch() {
        QFETCH(int, oldFlag);
        QFETCH(int, newFlag);
        QFETCH(bool, writtenOff);
        QFETCH(bool, initClosed);
        QFETCH(bool, allowed);
        QFETCH(int, successFlag);
        DemoSet set(true, QStringLiteral("administrator"));
        if (writtenOff) {
            set.db->nativeExec(
                QStringLiteral("INSERT INTO t_TransCheck (FYear, FPeriod, FAccountID, FAmount) "
                               "VALUES (2024, 3, 1, 100)"));
        }
        setGlParam(*set.db, QStringLiteral("InitClosed"),
                   initClosed ? QStringLiteral("1") : QStringLiteral("0"));
        setGlParam(*set.db, QStringLiteral("TransCheckStart"), QString::number(oldFlag));

        QVariantMap dictionary{{QStringLiteral("OldFlag"), oldFlag},
                               {QStringLiteral("NewFlag"), newFlag},
                               {QStringLiteral("SuccessFlag"), 0}};
        const bool result = createService<InitializeBalance>()->SetInitTransCheck(
            set.host->propsString(), dictionary);
        QCOMPARE(result, allowed);
        QCOMPARE(dictionary.value(QStringLiteral("SuccessFlag")).toInt(), successFlag);
        // Storing the switch is the caller's business.
        QCOMPARE(glParam(*set.db, QStringLiteral("TransCheckStart")), QString::number(oldFlag));
    }

    void voucherTypeIsRememberedPerUser() {
        DemoSet set(true, QStringLiteral("administrator"));
        const int admin = set.host->user().id;
        createObject<SessionUserProfile>()->SetVoucherType(16394);
        createObject<SessionUserProfile>()->SetVoucherType(16395);
        set.host->login(QStringLiteral("editor"));
        const int editor = set.host->user().id;
        createObject<SessionUserProfile>()->SetVoucherType(7);

        QCOMPARE(userSetting(*set.db, admin, QStringLiteral("VoucherType")),
                 QStringLiteral("16395"));
        QCOMPARE(userSetting(*set.db, editor, QStringLiteral("VoucherType")), QStringLiteral("7"));
    }

    void registerTakesUpdatesOfItsOwnTableOnly() {
        DemoSet set(true, QStringLiteral("administrator"));
        const QString acct = set.host->acctName();
        const QString before = companyOf(*set.db, acct);
        auto register_ = createService<AcctMgr>();

        const QStringList refused = {
            QStringLiteral("update t_Currency set FName='X' where FCurrencyID=1"),
            QStringLiteral("update t_ad_zxAccount_gl set FCompanyName='X' where FAcctName='%1';"
                           "delete from t_Voucher")
                .arg(acct),
            QStringLiteral("delete from t_ad_zxAccount_gl"), QString()};
        for (const QString& statement : refused) {
            QVERIFY_THROWS_EXCEPTION(HostError, register_->ModifyCompany2(statement));
        }
        QCOMPARE(companyOf(*set.db, acct), before);
        QCOMPARE(set.count(QStringLiteral("t_Currency")), 1);

        // The statement as the parameter save sends it.
        register_->ModifyCompany2(
            QStringLiteral(
                "update t_ad_zxAccount_gl set FCompanyName='新名称有限公司' where FAcctName='%1'")
                .arg(acct));
        QCOMPARE(companyOf(*set.db, acct), QStringLiteral("新名称有限公司"));
    }

    void managementLog() {
        DemoSet set(true, QStringLiteral("editor"));
        auto frame = createObject<FrameData>();
        // Without the session property string it does not know the account set.
        QVERIFY_THROWS_EXCEPTION(HostError, frame->WriteMGLog(QStringLiteral("C001C039"),
                                                              QStringLiteral("CheckCGAutoHook")));
        QCOMPARE(set.count(QStringLiteral("t_MGLog")), 0);

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        frame->setPropString(set.host->propsString());
        QVERIFY(frame->WriteMGLog(QStringLiteral("C001C039"), QStringLiteral("CheckCGAutoHook"))
                    .toBool());
        frame->WriteMGLog(QStringLiteral("C001C039"), QStringLiteral("CheckXSAutoInvSpe"));

        const auto rs = set.db->nativeQuery(QStringLiteral(
            "SELECT FTime, FUserID, FCode, FDesc, FMachineName FROM t_MGLog ORDER BY FID"));
        QCOMPARE(rs->RecordCount(), 2);
        rs->MoveFirst();
        const QDateTime time =
            QDateTime::fromString(rs->Field(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(time >= before && time <= QDateTime::currentDateTime().addSecs(1));
        QCOMPARE(rs->Field(1).toInt(), set.host->user().id);
        QCOMPARE(rs->Field(2).toString(), QStringLiteral("C001C039"));
        QCOMPARE(rs->Field(3).toString(), QStringLiteral("CheckCGAutoHook"));
        QCOMPARE(rs->Field(4).toString(), set.host->computerName().value_or(QString()));
        rs->MoveNext();
        QCOMPARE(rs->Field(3).toString(), QStringLiteral("CheckXSAutoInvSpe"));
    }
};

QTEST_GUILESS_MAIN(LedgerServicesTest)
#include "tst_ledger_services.moc"
