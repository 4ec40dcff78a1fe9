// The demo account set: what it holds, and that creating it twice changes nothing.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using namespace zx::host;

class DemoTest : public QObject {
    Q_OBJECT

    static QString one(DemoSet& set, const QString& sql, const QVariantList& binds = {}) {
        auto rs = set.db->nativeQuery(sql, binds);
        return rs->RecordCount() ? rs->Field(0).toString() : QStringLiteral("<none>");
    }
    static QString parameter(DemoSet& set, const char* category, const char* key) {
        return one(
            set,
            QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"),
            {QString::fromLatin1(category), QString::fromLatin1(key)});
    }

private slots:
    void createdTwiceHoldsTheSameRows() {
        DemoSet set;
        const QStringList tables = {
            QStringLiteral("t_ad_zxAccount_gl"), QStringLiteral("t_User"),
            QStringLiteral("t_UserRight"),       QStringLiteral("t_Account"),
            QStringLiteral("t_Currency"),        QStringLiteral("t_perioddate"),
            QStringLiteral("t_SystemProfile")};
        QList<int> before;
        for (const QString& table : tables) before << set.count(table);
        refhost::createDemoAccountSet(*set.db);
        // Reopening the file runs the schema again; the data stay as they are.
        set.host.reset();
        set.db.reset();
        set.db = refhost::Database::openSqlite(set.dir.filePath(QStringLiteral("set.zxdb")));
        refhost::createDemoAccountSet(*set.db);
        QList<int> after;
        for (const QString& table : tables) after << set.count(table);
        QCOMPARE(after, before);
        QCOMPARE(before.at(0), 1);
        QCOMPARE(before.at(1), 4);
        QCOMPARE(before.at(5), 48);
    }

    void holdsCompanyUsersAndCurrency() {
        DemoSet set;
        QCOMPARE(one(set, QStringLiteral("SELECT FCompanyName FROM t_ad_zxAccount_gl")),
                 QStringLiteral("演示科技有限公司"));
        QCOMPARE(set.host->acctName(), QStringLiteral("演示账套"));
        QCOMPARE(parameter(set, "General", "CompanyName"), QStringLiteral("演示科技有限公司"));
        QVERIFY(!parameter(set, "General", "CompanyAddress").isEmpty());
        QVERIFY(!parameter(set, "General", "CompanyPhone").isEmpty());
        QCOMPARE(one(set, QStringLiteral("SELECT FName FROM t_User WHERE FAdministrator = 1")),
                 QStringLiteral("administrator"));
        for (const char* user : {"administrator", "guest", "viewer", "editor"}) {
            set.host->login(QString::fromLatin1(user));  // every demo user can log in
        }
        auto currency = set.db->nativeQuery(
            QStringLiteral("SELECT FNumber, FName, FScale FROM t_Currency WHERE FCurrencyID = 1"));
        QCOMPARE(currency->Field(0).toString(), QStringLiteral("RMB"));
        QCOMPARE(currency->Field(1).toString(), QStringLiteral("人民币"));
        QCOMPARE(currency->Field(2).toInt(), 2);
    }

    void chartOfAccountsHasLevelsClassesAndItemClasses() {
        DemoSet set;
        auto account = [&](const char* number) {
            auto rs = set.db->nativeQuery(
                QStringLiteral("SELECT FAccountID, FName, FLevel, FParentID, FGroupID, FDetail, "
                               "FDetailID, FItemClasses FROM t_Account WHERE FNumber = ?"),
                {QString::fromLatin1(number)});
            if (rs->RecordCount() != 1) qFatal("account %s missing", number);
            QVariantList row;
            for (int i = 0; i < rs->FieldCount(); ++i) row << rs->Field(i);
            return row;
        };
        for (const char* number : {"3101", "3102", "3103", "3131", "3141"}) {
            const QVariantList a = account(number);
            QCOMPARE(a.at(2).toInt(), 1);
            QVERIFY(a.at(4).toInt() >= 300 && a.at(4).toInt() < 400);
        }
        QCOMPARE(account("3101").at(1).toString(), QStringLiteral("实收资本"));
        QCOMPARE(account("3102").at(1).toString(), QStringLiteral("资本公积"));
        const QVariantList child = account("3141.01");
        QCOMPARE(child.at(1).toString(), QStringLiteral("未分配利润"));
        QCOMPARE(child.at(2).toInt(), 2);
        QCOMPARE(child.at(3), account("3141").at(0));
        QCOMPARE(account("3141").at(5).toInt(), 0);  // has children
        QCOMPARE(child.at(5).toInt(), 1);

        QVERIFY(account("1122").at(6).toInt() > 0);
        QCOMPARE(account("1122").at(7).toString(), QStringLiteral("1"));
        QCOMPARE(account("2202").at(7).toString(), QStringLiteral("8"));
        QCOMPARE(account("1001").at(6).toInt(), 0);
        QVERIFY(account("1001").at(4).toInt() < 200);   // an asset
        QVERIFY(account("2001").at(4).toInt() < 300);   // a liability
        QVERIFY(account("5502").at(4).toInt() >= 500);  // profit and loss

        // The profit accounts are stored by id.
        QCOMPARE(parameter(set, "GL", "EarnAccount"), account("3131").at(0).toString());
        QCOMPARE(parameter(set, "GL", "EarnAssignAccount"), account("3141").at(0).toString());
    }

    void ledgerIsNotStartedAndPeriodsAreNaturalMonths() {
        DemoSet set;
        QCOMPARE(parameter(set, "GL", "Closed"), QStringLiteral("0"));
        QCOMPARE(parameter(set, "GL", "InitClosed"), QStringLiteral("0"));
        QCOMPARE(parameter(set, "GL", "PeriodCount"), QStringLiteral("12"));
        QCOMPARE(parameter(set, "GL", "PeriodByMonth"), QStringLiteral("1"));
        QCOMPARE(parameter(set, "GL", "CurrentYear"), QStringLiteral("0"));
        QCOMPARE(parameter(set, "IC", "CurrentYear"), QStringLiteral("0"));
        QCOMPARE(parameter(set, "GL", "AccountType"), QStringLiteral("1"));

        // As the period page asks for them.
        const QString props = set.host->propsString();
        auto years = createObject<ClassInfo>()->GetData(
            props,
            QStringLiteral(
                " SELECT distinct FYear  FROM t_perioddate where FYear>= 2024 order by FYear"));
        QCOMPARE(years->RecordCount(), 4);
        auto periods = createObject<ClassInfo>()->GetData(
            props, QStringLiteral("select fperiod ,convert(varchar(10),FStartDate,120)  from "
                                  "t_perioddate where FYear='2025' order by fperiod"));
        QCOMPARE(periods->RecordCount(), 12);
        periods->MoveNext();
        QCOMPARE(periods->Field(1).toString(), QStringLiteral("2025-02-01"));
        for (int i = 2; i < 12; ++i) periods->MoveNext();
        QCOMPARE(periods->Field(1).toString(), QStringLiteral("2025-12-01"));
    }
};

QTEST_GUILESS_MAIN(DemoTest)
#include "tst_demo.moc"
