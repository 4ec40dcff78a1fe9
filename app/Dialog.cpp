#include "Dialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <variant>

#include "Automation.h"
#include "CommandLine.h"
#include "demo/Demo.h"
#include "services/IniFile.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/PgUrl.h"
#include "zx/entry/SystemSetting.h"
#include "zx/host/HostError.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace app {

namespace {

using zx::profiles::frmSystemProfiles;
constexpr int kExitAutomationFailed = 3;

bool canShowWindows() {
    if (qEnvironmentVariable("ZX_NONINTERACTIVE") == QLatin1String("1")) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// ----- What the command line asks for ------------------------------------------

struct DialogOptions {
    Account account;
    bool create = false;     // --create: a new demo set, only where none is
    bool mayCreate = false;  // a missing file becomes a new demo set
    std::optional<int> appType;
    bool dump = false;
    std::optional<QString> screenshots;  // --screenshot DIR
    std::optional<QStringList> script;   // the lines of --script FILE
    std::chrono::milliseconds scriptTimeout{30000};
    QSize size;  // invalid: the dialog's own

    bool automated() const { return dump || screenshots || script; }
    // Lines for a person: on stderr while stdout carries the dump for a program.
    FILE* notes() const { return dump ? stderr : stdout; }
};

// The values --app-type accepts, with what each one is.
const std::pair<int, const char*> kAppTypes[] = {
    {0, "完整产品"},
    {1, "没有财务和出纳页面的版本"},
    {2, "仓存版本"},
};

void addDialogOptions(QCommandLineParser& parser) {
    parser.addOption(dbOption(
        QStringLiteral("账套数据库文件 (默认 %1), 或数据库服务器上的账套\n"
                       "postgresql://用户@主机:端口/数据库名。文件必须是已有的账套; 默认位置上\n"
                       "或加 --create 时, 还不存在的文件创建为新的演示账套。服务器上的空数据库\n"
                       "首次使用时创建演示账套。")));
    parser.addOption({QStringLiteral("create"),
                      QStringLiteral("在 --db 指定的、还不存在的路径上创建新的演示账套; "
                                     "已有的文件不会被打开或改动。")});
    parser.addOption(userOption());
    parser.addOption(installOption());
    parser.addOption({QStringLiteral("app-type"),
                      QStringLiteral("把安装配置 Common/QORBaseScheme.ini 的 AppType 改为 N "
                                     "(0 完整产品, 1 没有财务和出纳页面的版本, 2 仓存版本) "
                                     "后再打开。"),
                      QStringLiteral("N")});
    parser.addOption(
        {QStringLiteral("screenshot"),
         QStringLiteral("打开对话框后把每个可见页面(及内页)截图为 DIR 下的 PNG 文件, 然后退出。"),
         QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("dump-controls"),
                      QStringLiteral("首次激活后每个命名控件输出一行 JSON, 然后退出; "
                                     "标准输出只有 JSON, 提示写到标准错误。")});
    parser.addOption(
        {QStringLiteral("script"),
         QStringLiteral(
             "逐行执行脚本 FILE, 每行作用于当时最上层的窗口 (包括打开对话框时出现的"
             "提示框): set NAME VALUE, click NAME, history NAME, answer yes|no, dump, shot NAME, "
             "expect-window TITLE, expect-closed。shot 的图片存放在 --screenshot "
             "的目录 (默认当前目录)。脚本执行到底时退出码为 0, 出错时为 3, 对话框"
             "没有打开 (无权查看) 时为 1。"),
         QStringLiteral("FILE")});
    parser.addOption(
        {QStringLiteral("script-timeout"),
         QStringLiteral("脚本一行最多等待的秒数 (默认 30), 超过则脚本失败, 退出码 3。"),
         QStringLiteral("SECONDS"), QStringLiteral("30")});
    parser.addOption({QStringLiteral("size"),
                      QStringLiteral("对话框的大小, 例如 1024x768 (默认 1200x760)。"),
                      QStringLiteral("WxH")});
    parser.addHelpOption();
}

// "1024x768" as a size; an invalid size for anything else.
QSize parseSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{3,5})[xX](\\d{3,5})$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch()) return {};
    return {m.captured(1).toInt(), m.captured(2).toInt()};
}

// What is wrong with the values of the options; empty when nothing.
QString checkValues(const QCommandLineParser& parser, DialogOptions& o) {
    if (!parser.positionalArguments().isEmpty()) {
        return QStringLiteral("多余的参数: %1").arg(parser.positionalArguments().join(u' '));
    }
    if (parser.isSet(QStringLiteral("app-type"))) {
        const QString text = parser.value(QStringLiteral("app-type")).trimmed();
        QStringList known;
        for (const auto& [value, what] : kAppTypes) {
            if (text == QString::number(value)) o.appType = value;
            known << QStringLiteral("%1 (%2)").arg(value).arg(QString::fromUtf8(what));
        }
        if (!o.appType) {
            return QStringLiteral("--app-type 只接受 %1, 不接受 \"%2\"。")
                .arg(known.join(QStringLiteral("、")), text);
        }
    }
    bool ok = true;
    const double seconds = parser.value(QStringLiteral("script-timeout")).toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 86400) {
        return QStringLiteral("--script-timeout 必须是大于 0 的秒数: %1")
            .arg(parser.value(QStringLiteral("script-timeout")));
    }
    o.scriptTimeout = std::chrono::milliseconds(qint64(seconds * 1000));
    if (parser.isSet(QStringLiteral("size"))) {
        o.size = parseSize(parser.value(QStringLiteral("size")));
        if (!o.size.isValid()) {
            return QStringLiteral("--size 的格式应为 宽x高 (例如 1024x768): %1")
                .arg(parser.value(QStringLiteral("size")));
        }
    }
    return {};
}

// The script's lines as written: the runner takes off the line endings.
std::optional<QStringList> readScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printLine(stderr, QStringLiteral("无法读取脚本 %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

// The options, or the exit code of a help text or of bad arguments.
std::variant<DialogOptions, int> readOptions(const QString& commands) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "打开账套的系统参数。\n"
            "退出码: 0 完成了模块启用, 1 未完成, 2 参数错误、账套无法打开或用户不存在,\n"
            "3 自动操作 (--dump-controls、--screenshot、--script) 失败。\n"
            "没有显示器、平台为 offscreen 或环境变量 ZX_NONINTERACTIVE=1 时, 所有提示框\n"
            "不再弹出, 而以默认按钮(确定/否/取消)作答; 所有提示内容都打印到标准输出。\n"
            "执行脚本时由脚本充当用户: 所有窗口和提示框照常打开, 等待脚本的下一行。\n\n") +
        commands);
    addDialogOptions(parser);
    DialogOptions o;
    if (!parser.parse(QApplication::arguments())) {
        printLine(stderr, QStringLiteral("参数错误: %1").arg(parser.errorText()));
        printLine(stderr, parser.helpText());
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printLine(stdout, parser.helpText());
        return kExitDone;
    }
    if (const QString wrong = checkValues(parser, o); !wrong.isEmpty()) {
        printLine(stderr, wrong);
        return kExitUsage;
    }
    o.account = accountOf(parser);
    o.create = parser.isSet(QStringLiteral("create"));
    // The demo set appears by itself only where it belongs; anywhere else a
    // missing file is more likely a typing error than a wish for a new set.
    o.mayCreate = o.create || QFileInfo(o.account.db).absoluteFilePath() ==
                                  QFileInfo(defaultDbPath()).absoluteFilePath();
    o.dump = parser.isSet(QStringLiteral("dump-controls"));
    if (parser.isSet(QStringLiteral("screenshot"))) {
        o.screenshots = parser.value(QStringLiteral("screenshot"));
    }
    if (parser.isSet(QStringLiteral("script"))) {
        o.script = readScript(parser.value(QStringLiteral("script")));
        if (!o.script) return kExitUsage;
    }
    return o;
}

// ----- The account set and the host ------------------------------------------------

// Shown while a start that has to write waits for another process that holds
// the account set: a line, the hourglass and, with a screen, a small window
// that says who holds it.
class WaitNotice {
public:
    WaitNotice(QString location, FILE* notes) : location_(std::move(location)), notes_(notes) {}
    ~WaitNotice() {
        if (shown_) QApplication::restoreOverrideCursor();
    }
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;

    void update(const QString& holder) {
        const QString text = QStringLiteral("账套 %1 正被%2占用, 正在等待它完成 (最多 %3 秒)...")
                                 .arg(location_, refhost::Database::holderPhrase(holder))
                                 .arg(refhost::OpenOptions().patienceMs / 1000);
        if (!shown_) show();
        if (text != lastText_) {
            printLine(notes_, QStringLiteral("[等待] %1").arg(text));
            lastText_ = text;
        }
        if (window_) window_->setLabelText(text);
        QCoreApplication::processEvents();
    }

private:
    void show() {
        shown_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (!canShowWindows()) return;
        window_ = std::make_unique<QProgressDialog>();
        window_->setWindowTitle(QStringLiteral("Zentrix提示"));
        window_->setRange(0, 0);  // busy, no end known
        window_->setCancelButton(nullptr);
        window_->setMinimumDuration(0);
        window_->show();
    }

    QString location_;
    FILE* notes_;
    QString lastText_;
    bool shown_ = false;
    std::unique_ptr<QProgressDialog> window_;
};

// --create makes a new set only where there is none: an existing file is
// neither opened nor touched, whatever it holds.
bool refusedCreate(const DialogOptions& o) {
    if (!o.create || refhost::PgUrl::isUrl(o.account.db)) return false;
    if (!QFileInfo::exists(o.account.db)) return false;
    printLine(stderr, QStringLiteral("%1 已经存在, --create 只在还不存在的路径上创建新的演示账套; "
                                     "它没有被打开, 也没有被改动。要打开它, 请去掉 --create。")
                          .arg(o.account.db));
    return true;
}

std::shared_ptr<refhost::Database> openDatabase(const DialogOptions& o,
                                                const refhost::OpenOptions& options) {
    try {
        return refhost::Database::open(o.account.db, options);  // its errors name the set
    } catch (const zx::host::HostError& error) {
        printLine(stderr, reported(error));
        if (error.number() == refhost::kNoAccountSet) {
            printLine(stderr, QStringLiteral("要在这里新建一个演示账套, 请加上 --create: "
                                             "systemsetting --db \"%1\" --create")
                                  .arg(o.account.db));
        } else if (error.number() == refhost::kNotAnAccountSet) {
            printLine(stderr,
                      QStringLiteral("--db 接受一个已有的账套文件或 postgresql:// 地址; "
                                     "新的演示账套用 --create 在一个还不存在的路径上创建。"));
        }
        return nullptr;
    }
}

// Opens the account set. An SQLite file must already be one, unless a
// missing file may become a new demo set; a postgresql:// URL names a
// database on a server that must exist (its tables and demo data are
// created when it is empty). Opening writes nothing to an existing set.
// Prints why not and returns nullptr when it cannot be used.
std::shared_ptr<refhost::Database> openAccountSet(const DialogOptions& o) {
    if (refusedCreate(o)) return nullptr;
    WaitNotice notice(o.account.db, o.notes());
    refhost::OpenOptions options;
    options.create = o.mayCreate;
    options.waiting = [&notice](const QString& holder) { notice.update(holder); };
    std::shared_ptr<refhost::Database> db = openDatabase(o, options);
    if (!db) return nullptr;
    if (refhost::accountSetRegistered(*db)) {
        if (!o.create) return db;
        printLine(stderr, QStringLiteral("%1 中已经有账套, --create 不会覆盖它; "
                                         "要打开它, 请去掉 --create。")
                              .arg(db->location()));
        return nullptr;
    }
    if (db->readOnly()) {
        printLine(stderr, QStringLiteral("账套 %1 中还没有账套数据, 但它只能读取 (%2), "
                                         "无法创建演示账套。")
                              .arg(db->location(), db->readOnlyReason()));
        return nullptr;
    }
    try {
        db->patientTransaction([&] { refhost::createDemoAccountSet(*db); }, options.waiting,
                               options.patienceMs);
    } catch (const zx::host::HostError& error) {
        printLine(
            stderr,
            QStringLiteral("无法在 %1 中创建演示账套: %2").arg(db->location(), reported(error)));
        return nullptr;
    }
    return db;
}

// The installation folder, with the product variant asked for; a null
// string when it cannot be prepared.
QString prepareInstall(const DialogOptions& o) {
    try {
        const QString install = refhost::ensureInstallDir(o.account.install);
        if (o.appType) {
            refhost::writeIniValue(install + QStringLiteral("/Common/QORBaseScheme.ini"),
                                   QStringLiteral("Version"), QStringLiteral("AppType"),
                                   QString::number(*o.appType));
        }
        return install;
    } catch (const zx::host::HostError& error) {
        printLine(
            stderr,
            QStringLiteral("无法准备安装目录 %1: %2").arg(o.account.install, reported(error)));
        return {};
    }
}

bool logIn(refhost::RefHost& host, const DialogOptions& o) {
    FILE* notes = o.notes();
    host.setMessageSink([notes](const QString& kind, const QString& text) {
        printLine(notes, QStringLiteral("[%1] %2").arg(kindLabel(kind), text));
    });
    try {
        host.login(o.account.user);
        refhost::installStandardServices(host);
        return true;
    } catch (const zx::host::HostError& error) {
        printLine(stderr, reported(error));
        return false;
    }
}

// ----- The dialog --------------------------------------------------------------

// Nobody can work a dialog without a screen: each one is closed right after it
// has opened (and loaded), as if the user had closed it at once.
class HeadlessDialogCloser : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isWindow() &&
            !qobject_cast<QMessageBox*>(dialog)) {
            printLine(stdout, QStringLiteral("[提示] 没有显示器, 对话框\"%1\"打开后立即关闭。")
                                  .arg(dialog->windowTitle()));
            QPointer<QDialog> guard(dialog);
            QTimer::singleShot(100, dialog, [guard] {
                if (guard) guard->close();
            });
        }
        return false;
    }
};

// Gives the dialog the size asked for on the command line before it is first
// shown, so small screens can be tried.
class DialogSizer : public QObject {
public:
    explicit DialogSizer(QSize size) : size_(size) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !done_) {
            if (auto* dialog = qobject_cast<frmSystemProfiles*>(watched)) {
                done_ = true;
                dialog->resize(size_);
            }
        }
        return false;
    }

private:
    QSize size_;
    bool done_ = false;
};

// One showing of the dialog on the host, with the automation asked for.
class DialogRun {
public:
    DialogRun(refhost::RefHost& host, const DialogOptions& options)
        : host_(host), o_(options), sizer_(options.size) {}

    int exec() {
        if (o_.script) {
            startScript();  // before anything shows: a message of the start is its first window
        } else if (o_.automated()) {
            frmSystemProfiles::onShown = [this](frmSystemProfiles& dialog) { automate(dialog); };
        }
        if (o_.size.isValid()) qApp->installEventFilter(&sizer_);
        // A run that only looks, or tries a size, leaves the user's window alone.
        if (o_.script || o_.automated() || o_.size.isValid()) {
            zx::frame::DialogFrame::keepGeometry(false);
        }
        if (host_.headless() && !o_.automated()) qApp->installEventFilter(&closer_);
        // The component sees no right to change a read-only set; say why.
        if (host_.readOnly()) host_.ShowMessage(host_.readOnlyNotice());
        bool completed = false;
        try {
            completed = zx::SystemSetting().ShowSystemSetting();
        } catch (const zx::host::HostError& error) {
            printLine(stderr, reported(error));
        } catch (const std::exception& error) {
            printLine(stderr, QString::fromLocal8Bit(error.what()));
        }
        frmSystemProfiles::onShown = nullptr;
        const int code = exitCode(completed);
        // The component caches host services for the process; they must go
        // before the host and its database do.
        zx::ResetSessionCaches();
        return code;
    }

private:
    void startScript() {
        ScriptRunner::Options options;
        options.shotDir = o_.screenshots.value_or(QDir::currentPath());
        options.timeout = o_.scriptTimeout;
        options.failExitCode = kExitAutomationFailed;
        script_ = std::make_unique<ScriptRunner>(
            host_, *o_.script, [](const QString& line) { printLine(stdout, line); }, options);
        frmSystemProfiles::onShown = [this](frmSystemProfiles& dialog) { script_->start(dialog); };
    }

    void automate(frmSystemProfiles& dialog) {
        shown_ = true;
        try {
            if (o_.dump) {
                for (const QString& line : dumpControls(&dialog)) printLine(stdout, line);
            }
            if (o_.screenshots) {
                for (const QString& file : takeScreenshots(dialog, *o_.screenshots)) {
                    printLine(o_.notes(), QStringLiteral("[截图] %1").arg(file));
                }
            }
        } catch (const std::exception& error) {
            printLine(stderr, QString::fromUtf8(error.what()));
            failed_ = true;
        }
        dialog.hide();
    }

    int exitCode(bool completed) {
        if (script_) {
            script_->finish();
            printLine(stdout,
                      QStringLiteral("[结果] SystemSetting 返回 %1")
                          .arg(completed ? QStringLiteral("True") : QStringLiteral("False")));
            host_.setAnswerHook({});
            if (script_->failed()) return kExitAutomationFailed;
            // A refused dialog (no right to view it) is not a script that ran.
            return script_->dialogOpened() ? kExitDone : kExitNotCompleted;
        }
        if (o_.automated()) {
            // A refused dialog dumped nothing: as in a plain run.
            return !shown_ ? kExitNotCompleted : failed_ ? kExitAutomationFailed : kExitDone;
        }
        return completed ? kExitDone : kExitNotCompleted;
    }

    refhost::RefHost& host_;
    const DialogOptions& o_;
    DialogSizer sizer_;
    HeadlessDialogCloser closer_;
    std::unique_ptr<ScriptRunner> script_;
    bool shown_ = false;
    bool failed_ = false;
};

}  // namespace

int runDialog(int argc, char* argv[], const QString& commands) {
    chooseHeadlessPlatformIfNeeded();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("systemsetting"));
    QApplication::setApplicationDisplayName(QStringLiteral("系统参数"));
    refhost::installChineseTranslations();

    const auto read = readOptions(commands);
    if (const int* code = std::get_if<int>(&read)) return *code;
    const DialogOptions& options = std::get<DialogOptions>(read);
    const std::shared_ptr<refhost::Database> db = openAccountSet(options);
    if (!db) return kExitUsage;
    const QString install = prepareInstall(options);
    if (install.isNull()) return kExitUsage;
    refhost::RefHost host(db, install);
    if (!logIn(host, options)) return kExitUsage;
    return DialogRun(host, options).exec();
}

}  // namespace app
