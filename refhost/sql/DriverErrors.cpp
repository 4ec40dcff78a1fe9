#include "DriverErrors.h"

#include <QRegularExpression>

namespace refhost {

namespace {

struct Known {
    const char* code;  // SQLite's primary result code, or a SQLSTATE (prefix)
    const char* reason;
};

// SQLite's primary result codes.
constexpr Known kSqlite[] = {
    {"3", "数据库拒绝了这次访问"},
    {"7", "内存不足"},
    {"9", "操作被中断"},
    {"10", "读写磁盘时出错"},
    {"11", "账套文件已损坏"},
    {"13", "磁盘空间已满"},
    {"14", "无法打开账套文件或它旁边的临时文件"},
    {"19", "这次写入与账套中已有的数据冲突 (例如重复)"},
    {"23", "没有访问账套文件的权限"},
    {"26", "文件不是账套数据库或已损坏"},
};

// PostgreSQL's SQLSTATEs; a class (two characters) covers all of its codes.
constexpr Known kServer[] = {
    {"23505", "这次写入与账套中已有的数据重复"},
    {"23", "这次写入不符合账套数据的约束"},
    {"22", "数据的值超出了允许的范围或格式不对"},
    {"40001", "与其他用户同时进行的操作冲突"},
    {"40P01", "与其他用户同时进行的操作互相等待 (死锁), 服务器取消了这一方"},
    {"42501", "数据库用户没有这项操作的权限"},
    {"42P04", "同名的数据库已经存在"},
    {"55006", "数据库正被其他连接使用"},
    {"42P01", "账套中缺少需要的表 (程序与账套的版本可能不一致)"},
    {"42", "数据库不接受这条命令 (程序与账套的版本可能不一致)"},
    {"53100", "数据库服务器的磁盘空间已满"},
    {"53", "数据库服务器的资源不足"},
    {"57014", "操作被取消或超时"},
    {"57P", "数据库服务器正在关闭或重新启动"},
    {"08", "与数据库服务器的连接中断"},
    {"XX001", "账套数据已损坏"},
};

bool isRead(const QString& sql) {
    static const QRegularExpression read(QStringLiteral("^\\s*(SELECT|WITH|PRAGMA|SHOW)\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    return read.match(sql).hasMatch();
}

}  // namespace

QString driverText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

QString statementReason(const QString& nativeCode, bool onServer, const QString& text) {
    if (onServer) {
        for (const Known& k : kServer) {
            if (nativeCode.startsWith(QLatin1String(k.code))) return QString::fromUtf8(k.reason);
        }
        return QString();
    }
    bool ok = false;
    const int code = nativeCode.toInt(&ok);
    if (ok) {
        const QString primary = QString::number(code & 0xff);
        for (const Known& k : kSqlite) {
            if (primary == QLatin1String(k.code)) return QString::fromUtf8(k.reason);
        }
    }
    // SQLite reports a missing table or column as a plain error.
    if (text.contains(QLatin1String("no such table")) ||
        text.contains(QLatin1String("no such column"))) {
        return QStringLiteral("账套中缺少需要的表或列 (程序与账套的版本可能不一致)");
    }
    return QString();
}

QString connectReason(const QSqlError& error, bool onServer) {
    const QString text = driverText(error);
    if (!onServer) {
        const QString reason = statementReason(error.nativeErrorCode(), false, text);
        return reason.isEmpty() ? QStringLiteral("无法读取这个文件") : reason;
    }
    const struct {
        const char* pattern;
        const char* reason;
    } known[] = {
        {"password authentication failed", "数据库用户名或密码不对"},
        {"no password supplied", "服务器要求密码, 地址中没有给出"},
        {"no pg_hba.conf entry", "服务器不允许从这台电脑以这个用户连接"},
        {"database \"", "服务器上没有这个数据库"},
        {"role \"", "服务器上没有这个数据库用户"},
        {"could not translate host name", "找不到这个服务器名称"},
        {"timeout expired", "连接服务器超时"},
        {"Connection refused", "服务器没有在这个地址和端口上运行"},
        {"No such file or directory", "服务器没有在这个地址和端口上运行"},
        {"the database system is starting up", "数据库服务器正在启动, 请稍后再试"},
        {"the database system is shutting down", "数据库服务器正在关闭"},
        {"too many connections", "数据库服务器的连接数已满"},
        {"SSL", "与服务器的加密连接没有建立起来"},
    };
    for (const auto& k : known) {
        if (text.contains(QLatin1String(k.pattern))) return QString::fromUtf8(k.reason);
    }
    return QStringLiteral("连接不上数据库服务器");
}

QString detailsOf(const QString& driverText) {
    return driverText.isEmpty() ? QString() : QStringLiteral("数据库的说明: %1").arg(driverText);
}

zx::host::HostError statementError(qint32 number, const QString& source, const QString& nativeCode,
                                   const QString& text, const QString& sql, bool onServer,
                                   bool inUnit) {
    const bool read = isRead(sql);
    QString reason = statementReason(nativeCode, onServer, text);
    if (reason.isEmpty()) reason = QStringLiteral("数据库报告了错误");
    const QString what = read ? QStringLiteral("读取账套数据失败") : QStringLiteral("写入账套失败");
    // A refused statement writes nothing; inside a unit of writes, the whole
    // unit goes back with it.
    const QString meaning = read ? QStringLiteral("账套中的数据没有被改动。")
                            : inUnit
                                ? QStringLiteral("同一组写入已全部撤销, 账套中的数据保持原样。")
                                : QStringLiteral("这一步没有写入任何内容。");
    return zx::host::HostError(
        number, source, QStringLiteral("%1: %2。%3").arg(what, reason, meaning), detailsOf(text));
}

zx::host::HostError statementError(qint32 number, const QString& source, const QSqlError& error,
                                   const QString& sql, bool onServer, bool inUnit) {
    return statementError(number, source, error.nativeErrorCode(), driverText(error), sql, onServer,
                          inUnit);
}

}  // namespace refhost
