#include <QList>
#include <QPair>
#include <QVariant>

#include "HostRef.h"
#include "RefHost.h"
#include "Standard.h"
#include "sql/Database.h"

using namespace zx::host;

namespace refhost {

namespace {

// Values are kept as text: a Boolean as "1" or "0", anything else as its text.
QString storedText(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return value.toString();
}

// The logged-in user's remembered values of one form of one component,
// persisted in t_UserProfile. Keys are compared without regard to case.
class HostUserProfile : public UserProfile {
public:
    explicit HostUserProfile(RefHost& host) : host_(host) {}

    void Load(const QString& component, const QString& form) override {
        values_.clear();
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FKey, FValue FROM t_UserProfile "
                           "WHERE FUserID = ? AND FComponent = ? AND FForm = ? ORDER BY FKey"),
            {host_->user().id, component, form});
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            values_.append({rows->Field(0).toString(), rows->Field(1).toString()});
        }
    }

    QVariant GetValue(const QString& key, const QVariant& defaultValue) override {
        const qsizetype i = indexOf(key);
        return i < 0 ? defaultValue : QVariant(values_.at(i).second);
    }

    void SetValue(const QString& key, const QVariant& value) override {
        const qsizetype i = indexOf(key);
        if (i < 0) {
            values_.append({key, storedText(value)});
        } else {
            values_[i].second = storedText(value);
        }
    }

    void Save(const QString& component, const QString& form) override {
        Database& db = host_->db();
        const qint32 userId = host_->user().id;
        db.transaction([&] {
            for (const auto& [key, value] : values_) {
                db.nativeExec(QStringLiteral("INSERT INTO t_UserProfile "
                                             "(FUserID, FComponent, FForm, FKey, FValue) "
                                             "VALUES (?, ?, ?, ?, ?) "
                                             "ON CONFLICT (FUserID, FComponent, FForm, FKey) "
                                             "DO UPDATE SET FValue = excluded.FValue"),
                              {userId, component, form, key, value});
            }
        });
    }

private:
    qsizetype indexOf(const QString& key) const {
        for (qsizetype i = 0; i < values_.size(); ++i) {
            if (values_.at(i).first.compare(key, Qt::CaseInsensitive) == 0) return i;
        }
        return -1;
    }

    HostRef host_;
    QList<QPair<QString, QString>> values_;
};

}  // namespace

void installUserProfileService(RefHost& host) {
    host.registerFactory(QString::fromLatin1(UserProfile::classId),
                         [&host] { return std::make_shared<HostUserProfile>(host); });
}

}  // namespace refhost
