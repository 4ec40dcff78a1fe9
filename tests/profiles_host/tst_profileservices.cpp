// The reference host's parameter services on a real SQLite account set.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <memory>

#include "services/ProfileServices.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

using namespace zx::host;
using namespace Qt::Literals::StringLiterals;

class ProfileServicesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;

    template <class T>
    std::shared_ptr<T> create() {
        const QString id = QString::fromLatin1(T::classId);
        return serviceAs<T>(host_->createObject(id), id);
    }
    void set(const QString& category, const QString& key, const QVariant& value,
             std::optional<bool> flag = std::nullopt) {
        create<BaseSystemProfile>()->Setprofile(host_->propsString(), category, key, value, flag);
    }
    // The row as stored: (value, readonly), empty when there is none.
    QVariantList row(const QString& category, const QString& key) {
        auto rows = db_->nativeQuery(
            u"SELECT FValue, FReadonly FROM t_SystemProfile WHERE FCategory = ? AND FKey = ?"_s,
            {category, key});
        if (rows->RecordCount() == 0) return {};
        rows->MoveFirst();
        return {rows->Field(0).toString(), rows->Field(1).toInt()};
    }
    int rowCount() {
        return db_->nativeQuery(u"SELECT COUNT(*) FROM t_SystemProfile"_s)->Field(0).toInt();
    }
    // A row written behind the services' back.
    void store(const QString& category, const QString& key, const QString& value) {
        db_->nativeExec(
            u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES (?, ?, ?) "
            "ON CONFLICT (FCategory, FKey) DO UPDATE SET FValue = excluded.FValue"_s,
            {category, key, value});
    }
    std::shared_ptr<SystemProfile> freshProfile() {
        auto data = create<GLData>();
        data->Refresh();
        return data->SystemProfile();
    }

private slots:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        db_ = refhost::Database::openSqlite(tmp_->filePath(u"set.zxdb"_s));
        host_ = std::make_unique<refhost::RefHost>(db_, tmp_->filePath(u"install"_s));
        refhost::installProfileServices(*host_);
    }
    void cleanup() {
        host_.reset();
        db_.reset();
        tmp_.reset();
    }

    // Each writer keeps one row per parameter, whatever the spelling, and a
    // flagged write marks it read-only for good.
    void oneRowPerParameter() {
        const QString props = host_->propsString();
        const int before = rowCount();
        set(u"GL"_s, u"StartYear"_s, 2024, true);
        set(u"gl"_s, u"STARTYEAR"_s, 2025);
        QCOMPARE(rowCount(), before + 1);
        QCOMPARE(row(u"GL"_s, u"StartYear"_s), (QVariantList{u"2025"_s, 1}));
        set(u"GL"_s, u"StartYear"_s, 2026, false);
        QCOMPARE(row(u"GL"_s, u"StartYear"_s), (QVariantList{u"2026"_s, 1}));
        QCOMPARE(create<BaseSystemProfile>()->GetProfile(props, u"gl"_s, u"startYear"_s),
                 u"2026"_s);
        QCOMPARE(freshProfile()->GetSystemProfile(u"gL"_s, u"STARTyear"_s, u"0"_s), u"2026"_s);
        QCOMPARE(freshProfile()->Item(u"Gl"_s, u"startyear"_s), u"2026"_s);

        // The ledger's and the payroll's writers store the same way.
        create<GLSystemProfile>()->Setprofile(props, u"GL"_s, u"Closed"_s, true);
        create<PASystemProfile>()->Setprofile(props, u"PA"_s, u"CurrentPeriod"_s, qint16(3));
        QCOMPARE(row(u"GL"_s, u"Closed"_s), (QVariantList{u"1"_s, 0}));
        QCOMPARE(row(u"PA"_s, u"CurrentPeriod"_s), (QVariantList{u"3"_s, 0}));
        // An existing ordinary parameter becomes marked by a flagged write.
        set(u"GL"_s, u"Closed"_s, 0, true);
        QCOMPARE(row(u"GL"_s, u"Closed"_s), (QVariantList{u"0"_s, 1}));
    }

    void valuesAreStoredAsPlainText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");
        const auto add = [](const char* name, const QVariant& value, const QString& stored) {
            QTest::newRow(name) << value << stored;
        };
        add("true", true, "1");
        add("false", false, "0");
        add("int16", QVariant::fromValue(qint16(12)), "12");
        add("negative", -5, "-5");
        add("whole double", 12.0, "12");
        add("fraction", 0.17, "0.17");
        add("large double", 1e20, "100000000000000000000");
        add("small double", 1.5e-7, "0.00000015");
        add("negative zero", -0.0, "0");
        add("float", QVariant::fromValue(0.17f), "0.17");
        add("text as typed", u" O'Brien 有限公司 "_s, " O'Brien 有限公司 ");
        add("nothing", QVariant(), "");
    }
    void valuesAreStoredAsPlainText() {
        QFETCH(QVariant, value);
        set(u"GL"_s, u"Value"_s, value);
        QTEST(row(u"GL"_s, u"Value"_s).value(0).toString(), "stored");
    }

    void refusedWritesChangeNothing() {
        set(u"GL"_s, u"TaxRate"_s, 17);
        QVERIFY_THROWS_EXCEPTION(
            HostError, set(u"GL"_s, u"TaxRate"_s, std::numeric_limits<double>::quiet_NaN()));
        QVERIFY_THROWS_EXCEPTION(HostError, set(u"GL"_s, u"TaxRate"_s, QVariantList{1, 2}));
        QVERIFY_THROWS_EXCEPTION(HostError, set(QString(), u"TaxRate"_s, 1));
        QCOMPARE(row(u"GL"_s, u"TaxRate"_s).value(0), u"17"_s);

        // Property strings of another account set, or none.
        const QString other = u"ConnectString={Provider=SQLite;Data Source=%1};UserID=1;"_s.arg(
            tmp_->filePath(u"other.zxdb"_s));
        QVERIFY_THROWS_EXCEPTION(
            HostError, create<BaseSystemProfile>()->Setprofile(other, u"GL"_s, u"Refused"_s, 1));
        QVERIFY_THROWS_EXCEPTION(
            HostError, create<GLSystemProfile>()->Setprofile(other, u"GL"_s, u"Refused"_s, 1));
        QVERIFY_THROWS_EXCEPTION(
            HostError, create<PASystemProfile>()->Setprofile(QString(), u"GL"_s, u"Refused"_s, 1));
        QVERIFY_THROWS_EXCEPTION(
            HostError, create<BaseSystemProfile>()->GetProfile(other, u"GL"_s, u"PeriodCount"_s));
        QVERIFY(row(u"GL"_s, u"Refused"_s).isEmpty());
    }

    void ledgerPropertiesReadTheirParametersOrDefaults() {
        auto profile = freshProfile();
        QCOMPARE(profile->GetSystemProfile(u"GL"_s, u"NoSuchKey"_s, u"7"_s), u"7"_s);
        QCOMPARE(profile->Item(u"GL"_s, u"NoSuchKey"_s), QString());
        QCOMPARE(
            create<BaseSystemProfile>()->GetProfile(host_->propsString(), u"GL"_s, u"NoSuchKey"_s),
            QString());
        QCOMPARE(profile->glgetperiodcount(), 12);
        QCOMPARE(profile->GLGetPeriodByMonth(), true);
        QCOMPARE(profile->GLGetCheckBeforePost(), false);
        QCOMPARE(profile->GLGetCurrentYear(), 0);

        const QStringList stored = {"General/CompanyName/演示科技",
                                    "General/CompanyAddress/深圳",
                                    "General/CompanyPhone/0755",
                                    "GL/CheckBeforePost/2",
                                    "GL/PeriodCount/13",
                                    "GL/PeriodByMonth/0",
                                    "GL/CurrentYear/2024",
                                    "GL/CurrentPeriod/ 7",
                                    "GL/EarnAccount/1054",
                                    "GL/EarnAssignAccount/1060",
                                    "GL/Empty/"};
        for (const QString& p : stored)
            store(p.section('/', 0, 0), p.section('/', 1, 1), p.section('/', 2));
        profile->Refresh();
        QCOMPARE(profile->CompanyName(), u"演示科技"_s);
        QCOMPARE(profile->CompanyAddress(), u"深圳"_s);
        QCOMPARE(profile->CompanyPhone(), u"0755"_s);
        QCOMPARE(profile->GLGetCheckBeforePost(), true);
        QCOMPARE(profile->glgetperiodcount(), 13);
        QCOMPARE(profile->GLGetPeriodByMonth(), false);
        QCOMPARE(profile->GLGetCurrentYear(), 2024);
        QCOMPARE(profile->GLGetCurrentPeriod(), 7);
        QCOMPARE(profile->GlGetEarnAccount(), u"1054"_s);
        QCOMPARE(profile->GLGetEarnAssignAccount(), u"1060"_s);
        // A stored empty text is a value, not an absence.
        QCOMPARE(profile->GetSystemProfile(u"GL"_s, u"Empty"_s, u"x"_s), QString());
        // The ledger's writer reads the same way, from its own snapshot.
        auto ledger = create<GLSystemProfile>();
        QCOMPARE(ledger->CompanyName(), u"演示科技"_s);
        QCOMPARE(ledger->GLGetCurrentPeriod(), 7);
    }

    void refreshThenFullLoadCostsOneQuery() {
        const int count = 300;
        db_->transaction([&] {
            for (int i = 0; i < count; ++i) store(u"IC"_s, u"Key%1"_s.arg(i), QString::number(i));
        });
        auto data = create<GLData>();
        auto profile = data->SystemProfile();
        profile->Item(u"IC"_s, u"Key0"_s);

        const int before = db_->roundTrips();
        data->Refresh();
        profile->Refresh();
        for (int i = 0; i < count; ++i) {
            const QString key = u"key%1"_s.arg(i);
            QCOMPARE(profile->GetSystemProfile(u"IC"_s, key, u"-"_s), QString::number(i));
            QCOMPARE(profile->Item(u"ic"_s, key), QString::number(i));
        }
        profile->GetSystemProfile(u"IC"_s, u"Absent"_s, QString());
        profile->glgetperiodcount();
        profile->CompanyName();
        QCOMPARE(db_->roundTrips(), before + 1);
    }

    void snapshotShowsWritesOnlyAfterRefresh() {
        store(u"General"_s, u"CompanyName"_s, u"旧名称"_s);
        auto data = create<GLData>();
        auto profile = data->SystemProfile();
        auto ledger = create<GLSystemProfile>();
        QCOMPARE(profile->CompanyName(), u"旧名称"_s);
        QCOMPARE(ledger->CompanyName(), u"旧名称"_s);

        ledger->Setprofile(host_->propsString(), u"General"_s, u"CompanyName"_s, u"新名称"_s);
        QCOMPARE(profile->CompanyName(), u"旧名称"_s);
        QCOMPARE(ledger->CompanyName(), u"旧名称"_s);

        data->Refresh();  // reaches the profile object it handed out
        QCOMPARE(profile->CompanyName(), u"新名称"_s);
        ledger->Refresh();
        QCOMPARE(ledger->CompanyName(), u"新名称"_s);
    }

    void specialItemsAndLedgerData() {
        QVERIFY(QDir().mkpath(tmp_->filePath(u"install/Common"_s)));
        QFile ini(tmp_->filePath(u"install/Common/SpecItems.ini"_s));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(
            "; overrides\n[Options]\nCheckBeforePost = 1\n[voucher]\nrequirebrief=0\n"
            "Broken=abc\n");
        ini.close();
        auto profile = freshProfile();
        QCOMPARE(profile->SpecItem(u"Options"_s, u"CheckBeforePost"_s), 1);
        QCOMPARE(profile->SpecItem(u"Voucher"_s, u"RequireBrief"_s), 0);
        QCOMPARE(profile->SpecItem(u"Voucher"_s, u"Broken"_s), -1);
        QCOMPARE(profile->SpecItem(u"Options"_s, u"Other"_s), -1);

        // The component's own queries, and the base currency.
        db_->nativeExec(
            u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue, FReadonly, FLevel) "
            "VALUES ('GL', 'TransCheckStart', '1', 1, 8)"_s);
        auto data = create<GLData>();
        auto rows = data->getanyrecordset(
            u" Select FReadonly, FLevel From t_SystemProfile  Where FCategory = 'GL' and FKey = "
            "'TransCheckStart'"_s);
        QCOMPARE(rows->RecordCount(), 1);
        rows->MoveFirst();
        QCOMPARE(rows->Field(u"FLevel"_s).toInt(), 8);
        QCOMPARE(rows->Field(u"FReadonly"_s).toInt(), 1);
        const Currency base = data->GetCurrency(1);
        QCOMPARE(base.Number, u"RMB"_s);
        QCOMPARE(base.Name, u"人民币"_s);
        QCOMPARE(base.ScaleX, 2.0);
        QVERIFY_THROWS_EXCEPTION(HostError, data->GetCurrency(999));
    }
};

QTEST_GUILESS_MAIN(ProfileServicesTest)
#include "tst_profileservices.moc"
