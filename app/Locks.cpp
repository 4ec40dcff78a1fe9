#include "Locks.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>
#include <memory>
#include <optional>
#include <variant>

#include "CommandLine.h"
#include "demo/Demo.h"
#include "lock/NetControl.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "windows/frmNetControl.h"
#include "zx/host/HostError.h"

using refhost::LockRecord;
using refhost::NetControl;

namespace app {

namespace {

// Columns on a terminal: Chinese characters take two places.
int displayWidth(const QString& text) {
    int width = 0;
    for (const QChar c : text) width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

QString table(const QList<QStringList>& rows) {
    QList<int> widths;
    for (const QStringList& row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (widths.size() <= i) widths.append(0);
            widths[i] = std::max(widths[i], displayWidth(row.at(i)));
        }
    }
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line;
        for (int i = 0; i < row.size(); ++i) {
            line += row.at(i);
            if (i + 1 < row.size()) line += QString(widths[i] - displayWidth(row.at(i)) + 2, u' ');
        }
        lines.append(line);
    }
    return lines.join(u'\n');
}

void printList(const QList<LockRecord>& records, refhost::RefHost& host) {
    const QString where = QStringLiteral("账套 %1 (%2)").arg(host.acctName(), host.db().location());
    if (records.isEmpty()) {
        printLine(stdout, QStringLiteral("%1 上没有被占用的功能。").arg(where));
        return;
    }
    printLine(stdout, QStringLiteral("%1 上被占用的功能:").arg(where));
    const bool server = host.db().onServer();
    QStringList header = {QStringLiteral("编号"),   QStringLiteral("功能"),
                          QStringLiteral("年度"),   QStringLiteral("期间"),
                          QStringLiteral("用户"),   QStringLiteral("工作站"),
                          QStringLiteral("IP地址"), QStringLiteral("进程")};
    if (server) header << QStringLiteral("会话");
    header << QStringLiteral("开始时间") << QStringLiteral("状态");
    QList<QStringList> rows{header};
    bool anyGone = false;
    for (int i = 0; i < records.size(); ++i) {
        const LockRecord& r = records.at(i);
        anyGone = anyGone || r.gone;
        QStringList row = {QString::number(i + 1),
                           NetControl::functionName(r.key.code),
                           QString::number(r.key.year),
                           QString::number(r.key.period),
                           r.user(),
                           r.machine,
                           r.ipAddress.isEmpty() ? QStringLiteral("-") : r.ipAddress,
                           QString::number(r.pid)};
        if (server) row << QString::number(r.session);
        row << r.since << NetControl::stateText(r);
        rows.append(row);
    }
    printLine(stdout, table(rows));
    if (anyGone) {
        printLine(stdout, QStringLiteral("\"已断开\"的锁, 其持有者的进程或连接已经结束; "
                                         "用 --release 编号 释放。"));
    }
}

// A lock by its number in the list, or by "function/year/period".
std::optional<LockRecord> findRecord(const QList<LockRecord>& records, const QString& spec) {
    bool isNumber = false;
    const int number = spec.toInt(&isNumber);
    if (isNumber) {
        if (number >= 1 && number <= records.size()) return records.at(number - 1);
        return std::nullopt;
    }
    const QStringList parts = spec.split(u'/');
    if (parts.size() != 3) return std::nullopt;
    for (const LockRecord& r : records) {
        if (r.key.code.compare(parts.at(0).trimmed(), Qt::CaseInsensitive) == 0 &&
            QString::number(r.key.year) == parts.at(1).trimmed() &&
            QString::number(r.key.period) == parts.at(2).trimmed()) {
            return r;
        }
    }
    return std::nullopt;
}

struct LocksOptions {
    Account account;
    QString release;  // the lock to release, empty: list them
    bool force = false;
    bool window = false;
    std::optional<QString> screenshots;  // --screenshot DIR with --window
};

void addLocksOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "网络控制工具: 列出账套上被占用的功能 (网络控制锁) 及其持有者, 或释放其中一个。\n"
        "持有者的进程或连接已经结束的锁标为\"已断开\", 可以直接释放; 仍在使用的锁\n"
        "只有加 --force 才释放。释放需要\"系统参数\"的修改权限。\n"
        "退出码: 0 完成, 1 没有释放 (无权限、需要 --force、找不到该锁), 2 参数错误、\n"
        "账套无法打开或用户不存在。"));
    parser.addHelpOption();
    parser.addOptions(
        {dbOption(
             QStringLiteral("账套数据库文件 (默认 %1) 或 postgresql:// 地址; 必须是已有的账套。")),
         userOption(),
         installOption(),
         {QStringLiteral("release"),
          QStringLiteral(
              "释放列表中编号为 N 的锁, 或按 功能/年度/期间 (如 pu08/2024/3) 指定的锁。"),
          QStringLiteral("N")},
         {QStringLiteral("force"),
          QStringLiteral(
              "持有者仍在使用时也释放: 数据库服务器上结束它的会话, 账套文件上作废它的锁。")},
         {QStringLiteral("window"), QStringLiteral("打开网络控制工具窗口。")},
         {QStringLiteral("screenshot"),
          QStringLiteral("与 --window 一起: 把窗口截图为 DIR/frmNetControl.png, 然后退出。"),
          QStringLiteral("DIR")}});
}

// What does not go together; empty when the options do.
QString misuse(const QCommandLineParser& parser) {
    const auto isSet = [&parser](const char* name) { return parser.isSet(QLatin1String(name)); };
    if (!parser.positionalArguments().isEmpty()) {
        return QStringLiteral("多余的参数: %1").arg(parser.positionalArguments().join(u' '));
    }
    if (isSet("force") && !isSet("release"))
        return QStringLiteral("--force 只能与 --release 一起使用。");
    if (isSet("window") && isSet("release")) {
        return QStringLiteral("--window 与 --release 不能同时使用: 窗口中选中后按\"释放\"。");
    }
    if (isSet("screenshot") && !isSet("window")) {
        return QStringLiteral("--screenshot 只能与 --window 一起使用。");
    }
    return {};
}

// The options, or the exit code of a help text or of bad arguments.
std::variant<LocksOptions, int> readOptions(const QStringList& args) {
    QCommandLineParser parser;
    addLocksOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("systemsetting locks")} + args)) {
        printLine(stderr, QStringLiteral("参数错误: %1").arg(parser.errorText()));
        printLine(stderr, parser.helpText());
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printLine(stdout, parser.helpText());
        return kExitDone;
    }
    if (const QString why = misuse(parser); !why.isEmpty()) {
        printLine(stderr, why);
        printLine(stderr, parser.helpText());
        return kExitUsage;
    }
    LocksOptions o;
    o.account = accountOf(parser);
    o.release = parser.value(QStringLiteral("release")).trimmed();
    o.force = parser.isSet(QStringLiteral("force"));
    o.window = parser.isSet(QStringLiteral("window"));
    if (parser.isSet(QStringLiteral("screenshot"))) {
        o.screenshots = parser.value(QStringLiteral("screenshot"));
    }
    return o;
}

// The host on the account set, logged in; nullptr when that fails (said why).
// Looking at the locks of a set that is not there makes none.
std::unique_ptr<refhost::RefHost> openHost(const Account& account) {
    std::unique_ptr<refhost::RefHost> host;
    try {
        refhost::OpenOptions options;
        options.create = false;
        auto db = refhost::Database::open(account.db, options);
        host = std::make_unique<refhost::RefHost>(db, refhost::ensureInstallDir(account.install));
        host->setMessageSink([](const QString& kind, const QString& text) {
            if (kind != QLatin1String("answer")) {
                printLine(stdout, QStringLiteral("[%1] %2").arg(kindLabel(kind), text));
            }
        });
        host->login(account.user);
        refhost::installStandardServices(*host);
    } catch (const zx::host::HostError& error) {
        printLine(stderr, reported(error));
        return nullptr;
    }
    return host;
}

// The window, or its picture; without a display its list instead.
int showWindow(refhost::RefHost& host, NetControl& control, const LocksOptions& o) {
    if (o.screenshots) {
        const QString file = QDir(*o.screenshots).filePath(QStringLiteral("frmNetControl.png"));
        bool written = false;
        refhost::frmNetControl::onShown = [&](refhost::frmNetControl& window) {
            QCoreApplication::processEvents();
            written = QDir().mkpath(*o.screenshots) && window.grab().save(file);
            window.close();
        };
        refhost::showNetControl(host);
        refhost::frmNetControl::onShown = nullptr;
        printLine(written ? stdout : stderr, written ? QStringLiteral("[截图] %1").arg(file)
                                                     : QStringLiteral("无法写入截图 %1").arg(file));
        return written ? kExitDone : kExitUsage;
    }
    if (host.headless()) {
        printLine(stdout, QStringLiteral("[提示] 没有显示器, 网络控制工具窗口不能打开, 改为列出:"));
        printList(control.list(), host);
        return kExitDone;
    }
    refhost::showNetControl(host);
    return kExitDone;
}

// Releases the lock `spec` names: a gone holder's at once, a live one's
// only with `force`.
int release(refhost::RefHost& host, NetControl& control, const QString& spec, bool force) {
    const QList<LockRecord> records = control.list();
    const std::optional<LockRecord> record = findRecord(records, spec);
    if (!record) {
        printLine(
            stderr,
            QStringLiteral("账套上没有 %1 这个锁 (编号或 功能/年度/期间); 现有的锁:").arg(spec));
        printList(records, host);
        return kExitNotCompleted;
    }
    if (!control.releaseRefusal().isEmpty()) {
        printLine(stderr, control.releaseRefusal());
        return kExitNotCompleted;
    }
    if (!record->gone && !record->ownProcess && !force) {
        printLine(stderr, control.liveHolder(*record));
        printLine(stderr, QStringLiteral("没有释放: 持有者仍在使用。确需释放, 请加 --force。"));
        return kExitNotCompleted;
    }
    const NetControl::Result result = control.release(*record, force);
    printLine(result.released ? stdout : stderr, result.message);
    return result.released ? kExitDone : kExitNotCompleted;
}

}  // namespace

int runLocks(const QStringList& args) {
    const auto read = readOptions(args);
    if (const int* code = std::get_if<int>(&read)) return *code;
    const LocksOptions& o = std::get<LocksOptions>(read);
    const std::unique_ptr<refhost::RefHost> host = openHost(o.account);
    if (!host) return kExitUsage;
    try {
        NetControl control(*host);
        if (o.window) return showWindow(*host, control, o);
        if (o.release.isEmpty()) {
            printList(control.list(), *host);
            return kExitDone;
        }
        return release(*host, control, o.release, o.force);
    } catch (const zx::host::HostError& error) {
        printLine(stderr, reported(error));
        return kExitNotCompleted;
    }
}

}  // namespace app
