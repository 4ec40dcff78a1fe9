#include "PgUrl.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <optional>

#include "DriverErrors.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;

const QString kSource = QStringLiteral("PgUrl");

[[noreturn]] void bad(const QString& url, const QString& why) {
    throw HostError(zx::host::kGenericError, kSource,
                    QStringLiteral("数据库地址 %1 无效: %2").arg(url, why));
}

QString decoded(const QString& part) {
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// Percent-encodes what would end the URL part it stands in.
QString encoded(const QString& part) {
    return QString::fromUtf8(QUrl::toPercentEncoding(part));
}

}  // namespace

bool PgUrl::isUrl(const QString& location) {
    const QString text = location.trimmed();
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

PgUrl PgUrl::parse(const QString& url) {
    const QString text = url.trimmed();
    if (!isUrl(text)) bad(url, QStringLiteral("应以 postgresql:// 开头"));
    QString rest = text.mid(text.indexOf(QLatin1String("://")) + 3);

    PgUrl out;
    QString query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    QString authority = rest;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        authority = rest.left(slash);
        out.database = decoded(rest.mid(slash + 1));
        if (out.database.contains(QLatin1Char('/'))) {
            bad(url, QStringLiteral("数据库名中不能有 /; 套接字目录请写成 %2F 或 ?host="));
        }
    }
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString credentials = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = credentials.indexOf(QLatin1Char(':'));
        out.user = decoded(colon < 0 ? credentials : credentials.left(colon));
        if (colon >= 0) out.password = decoded(credentials.mid(colon + 1));
    }
    QString port;
    if (authority.startsWith(QLatin1Char('['))) {  // [::1]:5432
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0) bad(url, QStringLiteral("IPv6 地址缺少 ]"));
        out.host = authority.mid(1, close - 1);
        const QString after = authority.mid(close + 1);
        if (after.startsWith(QLatin1Char(':')))
            port = after.mid(1);
        else if (!after.isEmpty())
            bad(url, QStringLiteral("] 后应为 :端口"));
    } else {
        const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
        out.host = decoded(colon < 0 ? authority : authority.left(colon));
        if (colon >= 0) port = authority.mid(colon + 1);
    }

    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq <= 0) bad(url, QStringLiteral("参数 \"%1\" 应为 键=值").arg(pair));
        const QString key = decoded(pair.left(eq)).trimmed();
        const QString value = decoded(pair.mid(eq + 1));
        if (key == QLatin1String("host")) {
            out.host = value;
        } else if (key == QLatin1String("port")) {
            port = value;
        } else if (key == QLatin1String("user")) {
            out.user = value;
        } else if (key == QLatin1String("password")) {
            out.password = value;
        } else if (key == QLatin1String("dbname")) {
            out.database = value;
        } else {
            static const QRegularExpression plainKey(QStringLiteral("^[a-z_]+$"));
            if (!plainKey.match(key).hasMatch()) {
                bad(url, QStringLiteral("无法识别的参数 \"%1\"").arg(key));
            }
            out.options.append({key, value});
        }
    }
    if (!port.isEmpty()) {
        bool ok = false;
        out.port = port.toInt(&ok);
        if (!ok || out.port < 1 || out.port > 65535) {
            bad(url, QStringLiteral("端口 \"%1\" 应为 1 到 65535 的整数").arg(port));
        }
    }
    return out;
}

QString PgUrl::toString(bool withPassword) const {
    QString out = QStringLiteral("postgresql://");
    if (!user.isEmpty()) {
        out += encoded(user);
        if (withPassword && !password.isEmpty()) out += QLatin1Char(':') + encoded(password);
        out += QLatin1Char('@');
    }
    out += host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('/'))
               ? QLatin1Char('[') + host + QLatin1Char(']')
               : encoded(host);
    if (port > 0) out += QLatin1Char(':') + QString::number(port);
    out += QLatin1Char('/') + encoded(database);
    QStringList query;
    for (const auto& [key, value] : options) query.append(key + QLatin1Char('=') + encoded(value));
    if (!query.isEmpty()) out += QLatin1Char('?') + query.join(QLatin1Char('&'));
    return out;
}

PgUrl PgUrl::withDatabase(const QString& name) const {
    PgUrl out = *this;
    out.database = name;
    return out;
}

namespace {

// Runs `work` on a short-lived connection to the server's maintenance database.
template <class Work>
void onMaintenanceDb(const QString& server, Work work) {
    static std::atomic<int> serial{0};
    const PgUrl url = PgUrl::parse(server).withDatabase(QStringLiteral("postgres"));
    const QString name = QStringLiteral("zx_pg_admin_%1").arg(++serial);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host);
        if (url.port > 0) db.setPort(url.port);
        db.setUserName(url.user);
        db.setPassword(url.password);
        db.setDatabaseName(url.database);
        std::optional<HostError> error;
        if (!db.open()) {
            error = HostError(zx::host::kGenericError, kSource,
                              QStringLiteral("连接不上数据库服务器 %1: %2")
                                  .arg(url.toString(), connectReason(db.lastError(), true)),
                              detailsOf(driverText(db.lastError())));
        } else {
            QSqlQuery q(db);
            error = work(q);
        }
        db.close();
        if (error) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw *error;
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void checkName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    if (!plain.match(name).hasMatch()) {
        throw HostError(
            zx::host::kGenericError, kSource,
            QStringLiteral("数据库名 \"%1\" 只能由小写字母、数字和下划线组成").arg(name));
    }
}

}  // namespace

namespace {

// Runs one statement on the maintenance database; `what` says what it does
// ("创建", "删除") when the server refuses it.
void runOnServer(const QString& server, const QString& name, const QString& sql,
                 const QString& what) {
    onMaintenanceDb(server, [&](QSqlQuery& q) {
        if (q.exec(sql)) return std::optional<HostError>();
        const QString reason = statementReason(q.lastError().nativeErrorCode(), true, QString());
        return std::optional<HostError>(HostError(
            zx::host::kGenericError, kSource,
            QStringLiteral("无法%1数据库 %2: %3")
                .arg(what, name, reason.isEmpty() ? QStringLiteral("数据库服务器拒绝了") : reason),
            detailsOf(driverText(q.lastError()))));
    });
}

}  // namespace

void createPgDatabase(const QString& server, const QString& name) {
    checkName(name);
    runOnServer(server, name,
                QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' "
                               "LC_COLLATE 'C' LC_CTYPE 'C'")
                    .arg(name),
                QStringLiteral("创建"));
}

void dropPgDatabase(const QString& server, const QString& name) {
    checkName(name);
    runOnServer(server, name, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name),
                QStringLiteral("删除"));
}

}  // namespace refhost
