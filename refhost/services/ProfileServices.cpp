#include "services/ProfileServices.h"

#include <cmath>
#include <memory>

#include "services/Audit.h"
#include "services/HostRef.h"
#include "services/ProfileSnapshot.h"
#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

namespace refhost {

namespace {

using zx::host::ServicePtr;

qint32 roundedInt(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 2147483647.0) return 0;
    return qint32(std::lround(value));
}

// The reads every parameter reader offers, answered from a snapshot of the
// whole table. Nothing reaches the database until the first read after a
// Refresh, so Refresh followed by a full page load costs one query.
template <class Base>
class SnapshotReader : public Base {
public:
    SnapshotReader(std::shared_ptr<Database> db, QString installDir)
        : db_(std::move(db)), installDir_(std::move(installDir)) {}

    void Refresh() override {
        snapshot_.drop();
        specLoaded_ = false;
    }

    QString GetSystemProfile(const QString& category, const QString& key,
                             const QString& defaultValue) override {
        return snapshot().find(category, key).value_or(defaultValue);
    }

    QString Item(const QString& category, const QString& key) override {
        return snapshot().find(category, key).value_or(QString());
    }

    qint32 SpecItem(const QString& category, const QString& key) override {
        if (!specLoaded_) {
            specItems_.load(installDir_);
            specLoaded_ = true;
        }
        return specItems_.value(category, key);
    }

    QString CompanyName() override { return Item(kGeneral, QStringLiteral("CompanyName")); }
    QString CompanyAddress() override { return Item(kGeneral, QStringLiteral("CompanyAddress")); }
    QString CompanyPhone() override { return Item(kGeneral, QStringLiteral("CompanyPhone")); }

    bool GLGetCheckBeforePost() override { return flag(QStringLiteral("CheckBeforePost"), false); }

    // A ledger without a usable period count has the twelve calendar months.
    qint32 glgetperiodcount() override {
        const qint32 count = roundedInt(leadingNumber(Item(kGL, QStringLiteral("PeriodCount"))));
        return count > 0 ? count : 12;
    }

    bool GLGetPeriodByMonth() override { return flag(QStringLiteral("PeriodByMonth"), true); }

    qint32 GLGetCurrentYear() override { return number(QStringLiteral("CurrentYear")); }
    qint32 GLGetCurrentPeriod() override { return number(QStringLiteral("CurrentPeriod")); }

    QString GlGetEarnAccount() override { return Item(kGL, QStringLiteral("EarnAccount")); }
    QString GLGetEarnAssignAccount() override {
        return Item(kGL, QStringLiteral("EarnAssignAccount"));
    }

protected:
    Database& db() { return *db_; }

private:
    inline static const QString kGeneral = QStringLiteral("General");
    inline static const QString kGL = QStringLiteral("GL");

    const ProfileSnapshot& snapshot() {
        if (!snapshot_.loaded()) snapshot_.load(*db_);
        return snapshot_;
    }

    bool flag(const QString& key, bool absent) {
        const auto text = snapshot().find(kGL, key);
        return text ? leadingNumber(*text) != 0 : absent;
    }

    qint32 number(const QString& key) { return roundedInt(leadingNumber(Item(kGL, key))); }

    std::shared_ptr<Database> db_;
    QString installDir_;
    ProfileSnapshot snapshot_;
    SpecItems specItems_;
    bool specLoaded_ = false;
};

// Shared by the three writers. The fifth argument True marks the parameter
// read-only: it is a start-up setting that the application must no longer
// offer to change. The write itself still happens, recorded in the audit.
void writeProfile(RefHost& host, const QString& source, const QString& props,
                  const QString& category, const QString& key, const QVariant& value,
                  std::optional<bool> flag) {
    requireAccountSet(host.db(), props, source);
    auditedProfileWrite(host, category, key, encodeProfileValue(value), flag.value_or(false));
}

class RefSystemProfile final : public SnapshotReader<zx::host::SystemProfile> {
public:
    using SnapshotReader::SnapshotReader;
};

class RefGLSystemProfile final : public SnapshotReader<zx::host::GLSystemProfile> {
public:
    RefGLSystemProfile(RefHost& host, std::shared_ptr<Database> db, QString installDir)
        : SnapshotReader(std::move(db), std::move(installDir)), host_(host) {}

    // The snapshot is not touched: reads keep showing what was loaded until
    // the next Refresh, as they do for every other reader.
    void Setprofile(const QString& props, const QString& category, const QString& key,
                    const QVariant& value, std::optional<bool> flag) override {
        writeProfile(*host_, QStringLiteral("GLSystemProfile.Setprofile"), props, category, key,
                     value, flag);
    }

private:
    HostRef host_;
};

class RefBaseSystemProfile final : public zx::host::BaseSystemProfile {
public:
    RefBaseSystemProfile(RefHost& host, std::shared_ptr<Database> db)
        : host_(host), db_(std::move(db)) {}

    void Setprofile(const QString& props, const QString& category, const QString& key,
                    const QVariant& value, std::optional<bool> flag) override {
        writeProfile(*host_, QStringLiteral("BaseSystemProfile.Setprofile"), props, category, key,
                     value, flag);
    }

    QString GetProfile(const QString& props, const QString& category, const QString& key) override {
        requireAccountSet(*db_, props, QStringLiteral("BaseSystemProfile.GetProfile"));
        return readProfile(*db_, category, key).value_or(QString());
    }

    // The business modules read their amount precision from one parameter.
    void UpdateSMPrecision(const QString& props, qint32 decimals) override {
        writeProfile(*host_, QStringLiteral("BaseSystemProfile.UpdateSMPrecision"), props,
                     QStringLiteral("General"), QStringLiteral("SMPrecision"), decimals,
                     std::nullopt);
    }

private:
    HostRef host_;
    std::shared_ptr<Database> db_;
};

class RefPASystemProfile final : public zx::host::PASystemProfile {
public:
    RefPASystemProfile(RefHost& host, std::shared_ptr<Database> db)
        : host_(host), db_(std::move(db)) {}

    void Setprofile(const QString& props, const QString& category, const QString& key,
                    const QVariant& value, std::optional<bool> flag) override {
        writeProfile(*host_, QStringLiteral("PASystemProfile.Setprofile"), props, category, key,
                     value, flag);
    }

    // Straight from the database: payroll reads a few values per save.
    QString GetSystemProfile(const QString& category, const QString& key,
                             const QString& defaultValue) override {
        return readProfile(*db_, category, key).value_or(defaultValue);
    }
    qint32 PAGetCurrentYear() override { return period(QStringLiteral("CurrentYear")); }
    qint32 PaGetCurrentPeriod() override { return period(QStringLiteral("CurrentPeriod")); }

private:
    qint32 period(const QString& key) {
        return roundedInt(leadingNumber(GetSystemProfile(QStringLiteral("PA"), key, QString())));
    }

    HostRef host_;
    std::shared_ptr<Database> db_;
};

class RefGLData final : public zx::host::GLData {
public:
    RefGLData(std::shared_ptr<Database> db, const QString& installDir)
        : db_(db), profile_(std::make_shared<RefSystemProfile>(db, installDir)) {}

    zx::host::Currency GetCurrency(qint32 currencyId) override {
        const auto rows = db_->nativeQuery(
            QStringLiteral("SELECT FNumber, FName, FScale FROM t_Currency WHERE FCurrencyID = ?"),
            {currencyId});
        if (rows->RecordCount() == 0) {
            throw zx::host::HostError(zx::host::kGenericError, QStringLiteral("GLData"),
                                      QStringLiteral("币别不存在: %1").arg(currencyId));
        }
        rows->MoveFirst();
        return {rows->Field(0).toString(), rows->Field(1).toString(), rows->Field(2).toDouble()};
    }

    std::optional<zx::host::Account> GetAccount(const QVariant& key, bool byId) override {
        const QString sql = byId ? QStringLiteral(
                                       "SELECT FAccountID, FNumber, FName, FLevel, FGroupID "
                                       "FROM t_Account WHERE FAccountID = ?")
                                 : QStringLiteral(
                                       "SELECT FAccountID, FNumber, FName, FLevel, FGroupID "
                                       "FROM t_Account WHERE FNumber = ?");
        const QVariant bound = byId ? QVariant(key.toString().trimmed().toLongLong())
                                    : QVariant(key.toString().trimmed());
        const auto rows = db_->nativeQuery(sql, {bound});
        if (rows->RecordCount() == 0) return std::nullopt;
        rows->MoveFirst();
        zx::host::Account account;
        account.AccountID = rows->Field(0).toInt();
        account.Number = rows->Field(1).toString();
        account.Name = rows->Field(2).toString();
        account.Level = rows->Field(3).toInt();
        account.GroupID = rows->Field(4).toInt();
        return account;
    }

    void Refresh() override { profile_->Refresh(); }
    std::shared_ptr<zx::host::SystemProfile> SystemProfile() override { return profile_; }
    zx::host::RecordSetPtr getanyrecordset(const QString& sql) override { return db_->query(sql); }

private:
    std::shared_ptr<Database> db_;
    std::shared_ptr<RefSystemProfile> profile_;
};

class RefStringBuilder final : public zx::host::StringBuilder {
public:
    void Append(const QString& text) override { text_ += text; }
    QString ToString() const override { return text_; }
    int Length() const override { return int(text_.size()); }
    void Clear() override { text_.clear(); }

private:
    QString text_;
};

template <class T, class... Args>
RefHost::Factory factoryOf(Args... args) {
    return [args...]() -> ServicePtr { return std::make_shared<T>(args...); };
}

}  // namespace

void installProfileServices(RefHost& host) {
    const std::shared_ptr<Database> db = host.sharedDb();
    const QString installDir = host.installDir();
    host.registerFactory(QString::fromLatin1(zx::host::GLData::classId),
                         factoryOf<RefGLData>(db, installDir));
    RefHost* const owner = &host;  // the services hold it by token (HostRef)
    host.registerFactory(QString::fromLatin1(zx::host::GLSystemProfile::classId),
                         [owner, db, installDir]() -> ServicePtr {
                             return std::make_shared<RefGLSystemProfile>(*owner, db, installDir);
                         });
    host.registerFactory(
        QString::fromLatin1(zx::host::BaseSystemProfile::classId),
        [owner, db]() -> ServicePtr { return std::make_shared<RefBaseSystemProfile>(*owner, db); });
    host.registerFactory(
        QString::fromLatin1(zx::host::PASystemProfile::classId),
        [owner, db]() -> ServicePtr { return std::make_shared<RefPASystemProfile>(*owner, db); });
    host.registerFactory(QString::fromLatin1(zx::host::StringBuilder::classId),
                         factoryOf<RefStringBuilder>());
}

}  // namespace refhost
