// The demo account set: creating it twice changes nothing, and its chart of
// accounts and period calendar hold together as the pages read them.

#include <QTest>

#include "DemoSet.h"
#include "zx/host/Environment.h"

using namespace zx::host;

class DemoTest : public QObject {
    Q_OBJECT

private slots:
    void createdTwiceHoldsTheSameRows() {
        DemoSet set;
        const QStringList tables = {"t_ad_zxAccount_gl", "t_User",       "t_UserRight",
                                    "t_Account",         "t_Currency",   "t_perioddate",
                                    "t_SystemProfile",   "t_UserSetting"};
        QList<int> before;
        for (const QString& table : tables) before << set.count(table);
        refhost::createDemoAccountSet(*set.db);
        // Reopening the set runs the schema again; the data stay as they are.
        set.host.reset();
        set.db.reset();
        set.db = refhost::Database::open(set.location());
        refhost::createDemoAccountSet(*set.db);
        QList<int> after;
        for (const QString& table : tables) after << set.count(table);
        QCOMPARE(after, before);
    }

    // Every account: level and parent follow its number, only leaves take
    // postings, the class follows the first digit, and item classes go with
    // a detail id.
    void chartOfAccountsHoldsTogether() {
        DemoSet set;
        auto rs = set.db->nativeQuery(
            "SELECT FAccountID, FNumber, FLevel, FParentID, FGroupID, FDetail, FDetailID, "
            "FItemClasses FROM t_Account");
        QHash<QString, int> idOf;
        QSet<int> parents;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            idOf.insert(rs->Field(1).toString(), rs->Field(0).toInt());
            parents.insert(rs->Field(3).toInt());
        }
        QVERIFY(idOf.size() > 40);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString number = rs->Field(1).toString();
            const int dot = number.lastIndexOf(QLatin1Char('.'));
            QCOMPARE(rs->Field(2).toInt(), number.count(QLatin1Char('.')) + 1);
            QCOMPARE(rs->Field(3).toInt(), dot < 0 ? 0 : idOf.value(number.left(dot), -1));
            QCOMPARE(rs->Field(4).toInt() / 100, number.left(1).toInt());
            QCOMPARE(rs->Field(5).toInt(), parents.contains(rs->Field(0).toInt()) ? 0 : 1);
            QCOMPARE(rs->Field(6).toInt() > 0, !rs->Field(7).toString().isEmpty());
        }
        // The profit accounts are stored by id.
        auto param = [&](const char* key) {
            return set.db
                ->nativeQuery(
                    "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'GL' AND "
                    "FKey = ?",
                    {QString::fromLatin1(key)})
                ->Field(0)
                .toInt();
        };
        QCOMPARE(param("EarnAccount"), idOf.value("3131"));
        QCOMPARE(param("EarnAssignAccount"), idOf.value("3141"));
    }

    void periodsAreNaturalMonthsAsThePeriodPageReadsThem() {
        DemoSet set;
        auto periods = createObject<ClassInfo>()->GetData(
            set.host->propsString(),
            "select FYear, fperiod ,convert(varchar(10),FStartDate,120)  "
            "from t_perioddate where FYear>= 2024 order by FYear, fperiod");
        QCOMPARE(periods->RecordCount(), 4 * 12);
        int n = 0;
        for (periods->MoveFirst(); !periods->Eof(); periods->MoveNext(), ++n) {
            QCOMPARE(periods->Field(0).toInt(), 2024 + n / 12);
            QCOMPARE(periods->Field(1).toInt(), n % 12 + 1);
            QCOMPARE(periods->Field(2).toString(),
                     QDate(2024 + n / 12, n % 12 + 1, 1).toString(Qt::ISODate));
        }
    }
};

QTEST_GUILESS_MAIN(DemoTest)
#include "tst_demo.moc"
