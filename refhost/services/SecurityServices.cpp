#include <QVariant>

#include "HostRef.h"
#include "PropsString.h"
#include "RefHost.h"
#include "Standard.h"
#include "sql/Database.h"

using namespace zx::host;

namespace refhost {

namespace {

const QString kSource = QStringLiteral("SecurityInfo");
constexpr qint32 kPermissionDenied = 70;
constexpr qint64 kViewRight = 1048576;

// The objects whose rights the host knows by name.
QString objectName(qint16 subsystem, qint16 object) {
    if (subsystem == 18 && object == 0) return QStringLiteral("系统参数");
    return QStringLiteral("该功能");
}

// Rights are looked up for the user the property string names, not for the
// user logged in to this process: a component may check another session.
class HostSecurityInfo : public SecurityInfo {
public:
    explicit HostSecurityInfo(RefHost& host) : host_(host) {}

    QVariant AccessCheck(const QString& props, qint16 subsystem, qint16 object, qint32 mask,
                         bool raise, const QString& rightName) override {
        const qint32 userId = userOf(props);
        bool held = isAdministrator(userId);
        if (!held) {
            const auto rows = host_->db().nativeQuery(
                QStringLiteral("SELECT FRightMask FROM t_UserRight "
                               "WHERE FUserID = ? AND FSubSystem = ? AND FObject = ?"),
                {userId, int(subsystem), int(object)});
            const qint64 rights = rows && rows->RecordCount() > 0 ? rows->Field(0).toLongLong() : 0;
            held = (rights & qint64(mask)) == qint64(mask);
        }
        // A read-only account set leaves nobody more than the right to look.
        const bool onlyLooks = (qint64(mask) & ~kViewRight) == 0;
        if (held && host_->readOnly() && !onlyLooks) {
            if (raise) {
                throw HostError(
                    kPermissionDenied, kSource,
                    QStringLiteral("%1 没有\"%2\"的%3权限。")
                        .arg(host_->readOnlyNotice(), objectName(subsystem, object), rightName));
            }
            return false;
        }
        if (!held && raise) {
            throw HostError(kPermissionDenied, kSource,
                            QStringLiteral("您没有\"%1\"的%2权限, 请与系统管理员联系。")
                                .arg(objectName(subsystem, object), rightName));
        }
        return held;
    }

    // The component takes an administrator for one who may change the
    // parameters; on a read-only account set nobody may.
    bool IsAdministrator(const QString& props) override {
        return isAdministrator(userOf(props)) && !host_->readOnly();
    }

private:
    qint32 userOf(const QString& props) {
        host_->checkProps(props, kSource);
        bool ok = false;
        const qint32 id = PropsString(props).value(QStringLiteral("UserID")).toInt(&ok);
        if (!ok) {
            throw HostError(kGenericError, kSource,
                            QStringLiteral("会话属性串中没有用户, 无法检查权限。"));
        }
        return id;
    }

    bool isAdministrator(qint32 userId) {
        const auto rows = host_->db().nativeQuery(
            QStringLiteral("SELECT FAdministrator, FForbidden FROM t_User WHERE FUserID = ?"),
            {userId});
        if (!rows || rows->RecordCount() == 0) {
            throw HostError(kGenericError, kSource, QStringLiteral("用户不存在: %1").arg(userId));
        }
        return rows->Field(QStringLiteral("FAdministrator")).toInt() != 0 &&
               rows->Field(QStringLiteral("FForbidden")).toInt() == 0;
    }

    HostRef host_;
};

}  // namespace

void installSecurityServices(RefHost& host) {
    host.registerFactory(QString::fromLatin1(SecurityInfo::classId),
                         [&host] { return std::make_shared<HostSecurityInfo>(host); });
}

}  // namespace refhost
