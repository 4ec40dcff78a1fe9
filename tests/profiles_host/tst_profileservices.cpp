// The reference host's parameter services on a real SQLite account set.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>
#include <memory>

#include "services/ProfileServices.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

using namespace zx::host;

namespace {

template <class T>
std::shared_ptr<T> create(refhost::RefHost& host) {
    const QString id = QString::fromLatin1(T::classId);
    return serviceAs<T>(host.createObject(id), id);
}

}  // namespace

class ProfileServicesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;

    QString props() const { return host_->propsString(); }

    // The row as stored, bypassing every cache: (value, readonly), or an
    // empty list when there is none.
    QVariantList row(const QString& category, const QString& key) {
        auto rows = db_->nativeQuery(QStringLiteral("SELECT FValue, FReadonly FROM t_SystemProfile "
                                                    "WHERE FCategory = ? AND FKey = ?"),
                                     {category, key});
        if (rows->RecordCount() == 0) return {};
        rows->MoveFirst();
        return {rows->Field(0).toString(), rows->Field(1).toInt()};
    }

    int rowCount() {
        auto rows = db_->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM t_SystemProfile"));
        rows->MoveFirst();
        return rows->Field(0).toInt();
    }

    void store(const QString& category, const QString& key, const QString& value) {
        db_->nativeExec(QStringLiteral("DELETE FROM t_SystemProfile WHERE FCategory = ? AND "
                                       "FKey = ?"),
                        {category, key});
        db_->nativeExec(QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
                                       "VALUES (?, ?, ?)"),
                        {category, key, value});
    }

    std::shared_ptr<SystemProfile> freshProfile() {
        auto data = create<GLData>(*host_);
        data->Refresh();
        return data->SystemProfile();
    }

private slots:
    void init() {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        db_ = refhost::Database::openSqlite(tmp_->filePath(QStringLiteral("set.zxdb")));
        host_ = std::make_unique<refhost::RefHost>(db_, tmp_->filePath(QStringLiteral("install")));
        refhost::installProfileServices(*host_);
    }

    void cleanup() {
        host_.reset();
        db_.reset();
        tmp_.reset();
    }

    void writesInsertThenUpdateOneRow() {
        auto writer = create<BaseSystemProfile>(*host_);
        const int before = rowCount();
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("StartYear"), 2024);
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("StartYear"), 2025);
        QCOMPARE(rowCount(), before + 1);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("StartYear")).value(0).toString(),
                 QStringLiteral("2025"));
        QCOMPARE(writer->GetProfile(props(), QStringLiteral("GL"), QStringLiteral("StartYear")),
                 QStringLiteral("2025"));
        QCOMPARE(freshProfile()->GetSystemProfile(QStringLiteral("GL"), QStringLiteral("StartYear"),
                                                  QStringLiteral("0")),
                 QStringLiteral("2025"));

        // Every writer stores the same way.
        create<GLSystemProfile>(*host_)->Setprofile(props(), QStringLiteral("GL"),
                                                    QStringLiteral("Closed"), true);
        create<PASystemProfile>(*host_)->Setprofile(props(), QStringLiteral("PA"),
                                                    QStringLiteral("CurrentPeriod"), qint16(3));
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("Closed")).value(0).toString(),
                 QStringLiteral("1"));
        QCOMPARE(row(QStringLiteral("PA"), QStringLiteral("CurrentPeriod")).value(0).toString(),
                 QStringLiteral("3"));
    }

    void valuesAreStoredAsPlainText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("true") << QVariant(true) << "1";
        QTest::newRow("false") << QVariant(false) << "0";
        QTest::newRow("int16") << QVariant::fromValue(qint16(12)) << "12";
        QTest::newRow("negative") << QVariant(-5) << "-5";
        QTest::newRow("whole double") << QVariant(12.0) << "12";
        QTest::newRow("fraction") << QVariant(0.17) << "0.17";
        QTest::newRow("large double") << QVariant(1e20) << "100000000000000000000";
        QTest::newRow("small double") << QVariant(1.5e-7) << "0.00000015";
        QTest::newRow("negative zero") << QVariant(-0.0) << "0";
        QTest::newRow("float") << QVariant::fromValue(0.17f) << "0.17";
        QTest::newRow("text kept as typed")
            << QVariant(QStringLiteral(" O'Brien 有限公司 ")) << " O'Brien 有限公司 ";
        QTest::newRow("nothing") << QVariant() << "";
    }

    void valuesAreStoredAsPlainText() {
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        create<BaseSystemProfile>(*host_)->Setprofile(props(), QStringLiteral("GL"),
                                                      QStringLiteral("Value"), value);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("Value")).value(0).toString(), stored);
    }

    void unstorableValueIsRefusedAndNothingWritten() {
        auto writer = create<BaseSystemProfile>(*host_);
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("TaxRate"), 17);
        QVERIFY_THROWS_EXCEPTION(
            HostError, writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("TaxRate"),
                                          std::numeric_limits<double>::quiet_NaN()));
        QVERIFY_THROWS_EXCEPTION(
            HostError, writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("TaxRate"),
                                          QVariantList{1, 2}));
        QVERIFY_THROWS_EXCEPTION(
            HostError, writer->Setprofile(props(), QString(), QStringLiteral("TaxRate"), 1));
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("TaxRate")).value(0).toString(),
                 QStringLiteral("17"));
    }

    void categoryAndKeyIgnoreCase() {
        store(QStringLiteral("GL"), QStringLiteral("PeriodCount"), QStringLiteral("13"));
        auto profile = freshProfile();
        QCOMPARE(profile->GetSystemProfile(QStringLiteral("gl"), QStringLiteral("PERIODCOUNT"),
                                           QStringLiteral("12")),
                 QStringLiteral("13"));
        QCOMPARE(profile->Item(QStringLiteral("Gl"), QStringLiteral("periodcount")),
                 QStringLiteral("13"));

        auto writer = create<BaseSystemProfile>(*host_);
        QCOMPARE(writer->GetProfile(props(), QStringLiteral("gl"), QStringLiteral("periodCount")),
                 QStringLiteral("13"));
        // A write in another spelling updates the parameter, it adds no twin.
        const int before = rowCount();
        writer->Setprofile(props(), QStringLiteral("gl"), QStringLiteral("PERIODCOUNT"), 12);
        QCOMPARE(rowCount(), before);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("PeriodCount")).value(0).toString(),
                 QStringLiteral("12"));
    }

    void missingParametersGiveDefaults() {
        auto profile = freshProfile();
        QCOMPARE(profile->GetSystemProfile(QStringLiteral("GL"), QStringLiteral("NoSuchKey"),
                                           QStringLiteral("7")),
                 QStringLiteral("7"));
        QCOMPARE(profile->Item(QStringLiteral("GL"), QStringLiteral("NoSuchKey")), QString());
        QCOMPARE(profile->SpecItem(QStringLiteral("Options"), QStringLiteral("CheckBeforePost")),
                 -1);
        QCOMPARE(create<BaseSystemProfile>(*host_)->GetProfile(props(), QStringLiteral("GL"),
                                                               QStringLiteral("NoSuchKey")),
                 QString());

        // A stored empty text is a value, not an absence.
        store(QStringLiteral("GL"), QStringLiteral("Empty"), QString());
        profile->Refresh();
        QCOMPARE(profile->GetSystemProfile(QStringLiteral("GL"), QStringLiteral("Empty"),
                                           QStringLiteral("x")),
                 QString());
    }

    void ledgerPropertiesReadTheirParameters() {
        auto profile = freshProfile();
        QCOMPARE(profile->glgetperiodcount(), 12);
        QCOMPARE(profile->GLGetPeriodByMonth(), true);
        QCOMPARE(profile->GLGetCheckBeforePost(), false);
        QCOMPARE(profile->GLGetCurrentYear(), 0);

        store(QStringLiteral("General"), QStringLiteral("CompanyName"), QStringLiteral("演示科技"));
        store(QStringLiteral("General"), QStringLiteral("CompanyAddress"), QStringLiteral("深圳"));
        store(QStringLiteral("General"), QStringLiteral("CompanyPhone"), QStringLiteral("0755"));
        store(QStringLiteral("GL"), QStringLiteral("CheckBeforePost"), QStringLiteral("2"));
        store(QStringLiteral("GL"), QStringLiteral("PeriodCount"), QStringLiteral("13"));
        store(QStringLiteral("GL"), QStringLiteral("PeriodByMonth"), QStringLiteral("0"));
        store(QStringLiteral("GL"), QStringLiteral("CurrentYear"), QStringLiteral("2024"));
        store(QStringLiteral("GL"), QStringLiteral("CurrentPeriod"), QStringLiteral(" 7"));
        store(QStringLiteral("GL"), QStringLiteral("EarnAccount"), QStringLiteral("1054"));
        store(QStringLiteral("GL"), QStringLiteral("EarnAssignAccount"), QStringLiteral("1060"));
        profile->Refresh();
        QCOMPARE(profile->CompanyName(), QStringLiteral("演示科技"));
        QCOMPARE(profile->CompanyAddress(), QStringLiteral("深圳"));
        QCOMPARE(profile->CompanyPhone(), QStringLiteral("0755"));
        QCOMPARE(profile->GLGetCheckBeforePost(), true);
        QCOMPARE(profile->glgetperiodcount(), 13);
        QCOMPARE(profile->GLGetPeriodByMonth(), false);
        QCOMPARE(profile->GLGetCurrentYear(), 2024);
        QCOMPARE(profile->GLGetCurrentPeriod(), 7);
        QCOMPARE(profile->GlGetEarnAccount(), QStringLiteral("1054"));
        QCOMPARE(profile->GLGetEarnAssignAccount(), QStringLiteral("1060"));

        // The ledger's writer reads the same way, from its own snapshot.
        auto ledger = create<GLSystemProfile>(*host_);
        QCOMPARE(ledger->CompanyName(), QStringLiteral("演示科技"));
        QCOMPARE(ledger->GLGetCurrentPeriod(), 7);
    }

    void readOnlyFlagMarksStartUpSettings() {
        auto writer = create<BaseSystemProfile>(*host_);
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("Plain"), 1);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("Plain")).value(1).toInt(), 0);

        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("StartYear"), 2024, true);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("StartYear")),
                 (QVariantList{QStringLiteral("2024"), 1}));

        // Later writes still store the value and keep the mark.
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("StartYear"), 2025);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("StartYear")),
                 (QVariantList{QStringLiteral("2025"), 1}));
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("StartYear"), 2026, false);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("StartYear")),
                 (QVariantList{QStringLiteral("2026"), 1}));

        // An existing ordinary parameter becomes marked by a flagged write.
        writer->Setprofile(props(), QStringLiteral("GL"), QStringLiteral("Plain"), 0, true);
        QCOMPARE(row(QStringLiteral("GL"), QStringLiteral("Plain")),
                 (QVariantList{QStringLiteral("0"), 1}));
    }

    void refreshThenFullLoadCostsOneQuery() {
        const int count = 300;
        db_->transaction([&] {
            for (int i = 0; i < count; ++i) {
                db_->nativeExec(
                    QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, "
                                   "FValue) VALUES (?, ?, ?)"),
                    {QStringLiteral("IC"), QStringLiteral("Key%1").arg(i), QString::number(i)});
            }
        });
        auto data = create<GLData>(*host_);
        auto profile = data->SystemProfile();
        profile->GetSystemProfile(QStringLiteral("IC"), QStringLiteral("Key0"), QString());

        const int before = db_->roundTrips();
        data->Refresh();
        profile->Refresh();
        for (int i = 0; i < count; ++i) {
            const QString key = QStringLiteral("key%1").arg(i);
            QCOMPARE(profile->GetSystemProfile(QStringLiteral("IC"), key, QStringLiteral("-")),
                     QString::number(i));
            QCOMPARE(profile->Item(QStringLiteral("ic"), key), QString::number(i));
        }
        profile->GetSystemProfile(QStringLiteral("IC"), QStringLiteral("Absent"), QString());
        profile->glgetperiodcount();
        profile->CompanyName();
        profile->GLGetCurrentYear();
        QCOMPARE(db_->roundTrips(), before + 1);
    }

    void snapshotShowsWritesOnlyAfterRefresh() {
        store(QStringLiteral("General"), QStringLiteral("CompanyName"), QStringLiteral("旧名称"));
        auto data = create<GLData>(*host_);
        auto profile = data->SystemProfile();
        auto ledger = create<GLSystemProfile>(*host_);
        QCOMPARE(profile->CompanyName(), QStringLiteral("旧名称"));
        QCOMPARE(ledger->CompanyName(), QStringLiteral("旧名称"));

        ledger->Setprofile(props(), QStringLiteral("General"), QStringLiteral("CompanyName"),
                           QStringLiteral("新名称"));
        QCOMPARE(profile->CompanyName(), QStringLiteral("旧名称"));
        QCOMPARE(ledger->CompanyName(), QStringLiteral("旧名称"));

        data->Refresh();  // GLData's refresh reaches the profile it hands out
        QCOMPARE(profile->CompanyName(), QStringLiteral("新名称"));
        QCOMPARE(data->SystemProfile()->CompanyName(), QStringLiteral("新名称"));
        ledger->Refresh();
        QCOMPARE(ledger->CompanyName(), QStringLiteral("新名称"));
    }

    void anotherAccountSetIsRefused() {
        const QString other =
            QStringLiteral("ConnectString={Provider=SQLite;Data Source=%1};UserID=1;")
                .arg(tmp_->filePath(QStringLiteral("other.zxdb")));
        const QString writeKey = QStringLiteral("Refused");
        QVERIFY_THROWS_EXCEPTION(HostError, create<BaseSystemProfile>(*host_)->Setprofile(
                                                other, QStringLiteral("GL"), writeKey, 1));
        QVERIFY_THROWS_EXCEPTION(HostError, create<GLSystemProfile>(*host_)->Setprofile(
                                                other, QStringLiteral("GL"), writeKey, 1));
        QVERIFY_THROWS_EXCEPTION(HostError, create<PASystemProfile>(*host_)->Setprofile(
                                                QString(), QStringLiteral("GL"), writeKey, 1));
        QVERIFY_THROWS_EXCEPTION(HostError,
                                 create<BaseSystemProfile>(*host_)->GetProfile(
                                     other, QStringLiteral("GL"), QStringLiteral("PeriodCount")));
        QVERIFY(row(QStringLiteral("GL"), writeKey).isEmpty());
    }

    void specialItemsComeFromTheInstallation() {
        const QString common = tmp_->filePath(QStringLiteral("install/Common"));
        QVERIFY(QDir().mkpath(common));
        QFile ini(common + QStringLiteral("/SpecItems.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(
            "; installation overrides\n[Options]\nCheckBeforePost = 1\n"
            "[voucher]\nrequirebrief=0\nBroken=abc\n");
        ini.close();

        auto profile = freshProfile();
        QCOMPARE(profile->SpecItem(QStringLiteral("Options"), QStringLiteral("CheckBeforePost")),
                 1);
        QCOMPARE(profile->SpecItem(QStringLiteral("Voucher"), QStringLiteral("RequireBrief")), 0);
        QCOMPARE(profile->SpecItem(QStringLiteral("Voucher"), QStringLiteral("Broken")), -1);
        QCOMPARE(profile->SpecItem(QStringLiteral("Options"), QStringLiteral("Other")), -1);
    }

    void ledgerDataRunsTheComponentsQueries() {
        db_->nativeExec(
            QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue, "
                           "FReadonly, FLevel) VALUES ('GL', 'TransCheckStart', "
                           "'1', 1, 8)"));
        auto rows = create<GLData>(*host_)->getanyrecordset(QStringLiteral(
            " Select FReadonly, FLevel From t_SystemProfile  Where FCategory = 'GL' and FKey = "
            "'TransCheckStart'"));
        QVERIFY(rows);
        QCOMPARE(rows->RecordCount(), 1);
        rows->MoveFirst();
        QCOMPARE(rows->Field(QStringLiteral("FLevel")).toInt(), 8);
        QCOMPARE(rows->Field(QStringLiteral("FReadonly")).toInt(), 1);

        auto data = create<GLData>(*host_);
        const Currency base = data->GetCurrency(1);
        QCOMPARE(base.Number, QStringLiteral("RMB"));
        QCOMPARE(base.Name, QStringLiteral("人民币"));
        QCOMPARE(base.ScaleX, 2.0);
        QVERIFY_THROWS_EXCEPTION(HostError, data->GetCurrency(999));
    }

    void stringBuilderCollectsABatch() {
        auto builder = create<StringBuilder>(*host_);
        builder->Append(QStringLiteral("Insert 1\r\n"));
        builder->Append(QStringLiteral("Insert 2\r\n"));
        QCOMPARE(builder->ToString(), QStringLiteral("Insert 1\r\nInsert 2\r\n"));
        QCOMPARE(builder->Length(), 20);
        builder->Clear();
        QCOMPARE(builder->Length(), 0);
        QVERIFY(create<GLView>(*host_));
    }
};

QTEST_GUILESS_MAIN(ProfileServicesTest)
#include "tst_profileservices.moc"
