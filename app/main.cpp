// systemsetting: opens the system parameters of an account set on the
// reference host. Exit code 0 when a module start-up was completed, 1 when
// not, 2 for bad arguments, an unusable database or an unknown user.

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
#include <cstdio>
#include <exception>

#include "Automation.h"
#include "CommandLine.h"
#include "Locks.h"
#include "ParamSets.h"
#include "demo/Demo.h"
#include "services/IniFile.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "zx/entry/SystemSetting.h"
#include "zx/host/HostError.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace {

using app::kExitNotCompleted;
using app::kExitUsage;
using app::kindLabel;
using app::printLine;
constexpr int kExitAutomationFailed = 3;

// Without any display the toolkit cannot start; fall back to drawing offscreen
// (every box is then answered with its default button and printed).
void chooseHeadlessPlatformIfNeeded() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

bool canShowWindows() {
    if (qEnvironmentVariable("ZX_NONINTERACTIVE") == QLatin1String("1")) return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// Shown while a start that has to write waits for another process that holds
// the account set: a line on stdout, the hourglass and, with a screen, a
// small window that says who holds it.
class WaitNotice {
public:
    explicit WaitNotice(QString location) : location_(std::move(location)) {}
    ~WaitNotice() {
        if (shown_) QApplication::restoreOverrideCursor();
    }
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;

    void update(const QString& holder) {
        const QString text = QStringLiteral("账套 %1 正被%2占用, 正在等待它完成 (最多 %3 秒)...")
                                 .arg(location_, refhost::Database::holderPhrase(holder))
                                 .arg(refhost::OpenOptions().patienceMs / 1000);
        if (!shown_) {
            shown_ = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            if (canShowWindows()) {
                window_ = std::make_unique<QProgressDialog>();
                window_->setWindowTitle(QStringLiteral("Zentrix提示"));
                window_->setRange(0, 0);  // busy, no end known
                window_->setCancelButton(nullptr);
                window_->setMinimumDuration(0);
                window_->show();
            }
        }
        if (text != lastText_) {
            printLine(stdout, QStringLiteral("[等待] %1").arg(text));
            lastText_ = text;
        }
        if (window_) window_->setLabelText(text);
        QCoreApplication::processEvents();
    }

private:
    QString location_;
    QString lastText_;
    bool shown_ = false;
    std::unique_ptr<QProgressDialog> window_;
};

// Opens the account set. An SQLite file must already be one, unless `create`
// allows a missing file to become a new demo set; a postgresql:// URL names
// a database on a server that must exist (its tables and demo data are
// created when it is empty). Opening writes nothing to an existing set.
// Prints why not and returns nullptr when it cannot be used.
std::shared_ptr<refhost::Database> openAccountSet(const QString& path, bool create) {
    WaitNotice notice(path);
    refhost::OpenOptions options;
    options.create = create;
    options.waiting = [&notice](const QString& holder) { notice.update(holder); };
    const QString hint = QStringLiteral(
        "--db 接受一个已有的账套文件或 postgresql:// 地址; 新的演示账套用 "
        "--create 在一个还不存在的路径上创建。");
    std::shared_ptr<refhost::Database> db;
    try {
        db = refhost::Database::open(path, options);  // its errors name the file or server
    } catch (const zx::host::HostError& error) {
        printLine(stderr, error.description());
        if (error.number() == refhost::kNoAccountSet) {
            printLine(stderr, QStringLiteral("要在这里新建一个演示账套, 请加上 --create: "
                                             "systemsetting --db \"%1\" --create")
                                  .arg(path));
        } else if (error.number() == refhost::kNotAnAccountSet) {
            printLine(stderr, hint);
        }
        return nullptr;
    }
    if (refhost::accountSetRegistered(*db)) return db;
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
        printLine(stderr, QStringLiteral("无法在 %1 中创建演示账套: %2")
                              .arg(db->location(), error.description()));
        return nullptr;
    }
    return db;
}

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
            if (auto* dialog = qobject_cast<zx::profiles::frmSystemProfiles*>(watched)) {
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

// "1024x768" as a size; an invalid size for anything else.
QSize parseSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{3,5})[xX](\\d{3,5})$"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch()) return {};
    return {m.captured(1).toInt(), m.captured(2).toInt()};
}

}  // namespace

int main(int argc, char* argv[]) {
    // "systemsetting export|diff|apply|audit ...": commands without the dialog window.
    if (const auto code = app::runParameterCommand(argc, argv)) return *code;
    chooseHeadlessPlatformIfNeeded();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("systemsetting"));
    QApplication::setApplicationDisplayName(QStringLiteral("系统参数"));
    refhost::installChineseTranslations();
    if (argc > 1 && QApplication::arguments().at(1) == QLatin1String("locks")) {
        return app::runLocks(QApplication::arguments().mid(2));
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "打开账套的系统参数。\n"
        "退出码: 0 完成了模块启用, 1 未完成, 2 参数错误、账套无法打开或用户不存在。\n"
        "没有显示器、平台为 offscreen 或环境变量 ZX_NONINTERACTIVE=1 时, 所有提示框\n"
        "不再弹出, 而以默认按钮(确定/否/取消)作答; 所有提示内容都打印到标准输出。\n"
        "执行脚本时由脚本充当用户: 所有窗口和提示框照常打开, 等待脚本的下一行。"));
    parser.addHelpOption();
    const QCommandLineOption dbOption = app::dbOption(
        QStringLiteral("账套数据库文件 (默认 %1), 或数据库服务器上的账套\n"
                       "postgresql://用户@主机:端口/数据库名。文件必须是已有的账套; 默认位置上\n"
                       "或加 --create 时, 还不存在的文件创建为新的演示账套。服务器上的空数据库\n"
                       "首次使用时创建演示账套。"));
    const QCommandLineOption createOption(
        QStringLiteral("create"),
        QStringLiteral("--db 指定的文件还不存在时, 在那里创建新的演示账套。"));
    const QCommandLineOption userOption = app::userOption();
    const QCommandLineOption installOption = app::installOption();
    const QCommandLineOption appTypeOption(
        QStringLiteral("app-type"),
        QStringLiteral("把安装配置 Common/QORBaseScheme.ini 的 AppType 改为 N 后再打开。"),
        QStringLiteral("N"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("打开对话框后把每个可见页面(及内页)截图为 DIR 下的 PNG 文件, 然后退出。"),
        QStringLiteral("DIR"));
    const QCommandLineOption dumpOption(
        QStringLiteral("dump-controls"),
        QStringLiteral("首次激活后每个命名控件输出一行 JSON, 然后退出。"));
    const QCommandLineOption scriptOption(
        QStringLiteral("script"),
        QStringLiteral("逐行执行脚本 FILE, 每行作用于当时最上层的窗口: set NAME VALUE, "
                       "click NAME, answer yes|no, dump, shot NAME, expect-window TITLE, "
                       "expect-closed。shot 的图片存放在 --screenshot 的目录 (默认当前目录)。"
                       "脚本执行到底时退出码为 0, 出错时为 3。"),
        QStringLiteral("FILE"));
    const QCommandLineOption scriptTimeoutOption(
        QStringLiteral("script-timeout"),
        QStringLiteral("脚本一行最多等待的秒数 (默认 30), 超过则脚本失败, 退出码 3。"),
        QStringLiteral("SECONDS"), QStringLiteral("30"));
    const QCommandLineOption sizeOption(
        QStringLiteral("size"), QStringLiteral("对话框的大小, 例如 1024x768 (默认 1200x760)。"),
        QStringLiteral("WxH"));
    parser.addOptions({dbOption, createOption, userOption, installOption, appTypeOption,
                       screenshotOption, dumpOption, scriptOption, scriptTimeoutOption,
                       sizeOption});

    if (!parser.parse(QApplication::arguments())) {
        printLine(stderr, QStringLiteral("参数错误: %1").arg(parser.errorText()));
        printLine(stderr, parser.helpText());
        return kExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printLine(stdout, parser.helpText());
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printLine(stderr,
                  QStringLiteral("多余的参数: %1").arg(parser.positionalArguments().join(' ')));
        printLine(stderr, parser.helpText());
        return kExitUsage;
    }
    bool appTypeOk = true;
    const int appType = parser.value(appTypeOption).toInt(&appTypeOk);
    if (parser.isSet(appTypeOption) && !appTypeOk) {
        printLine(stderr,
                  QStringLiteral("AppType 必须是整数: %1").arg(parser.value(appTypeOption)));
        return kExitUsage;
    }

    bool timeoutOk = true;
    const double timeoutSeconds = parser.value(scriptTimeoutOption).toDouble(&timeoutOk);
    if (!timeoutOk || !(timeoutSeconds > 0) || timeoutSeconds > 86400) {
        printLine(stderr, QStringLiteral("--script-timeout 必须是大于 0 的秒数: %1")
                              .arg(parser.value(scriptTimeoutOption)));
        return kExitUsage;
    }
    const QSize dialogSize =
        parser.isSet(sizeOption) ? parseSize(parser.value(sizeOption)) : QSize();
    if (parser.isSet(sizeOption) && !dialogSize.isValid()) {
        printLine(stderr, QStringLiteral("--size 的格式应为 宽x高 (例如 1024x768): %1")
                              .arg(parser.value(sizeOption)));
        return kExitUsage;
    }

    const app::Account account = app::accountOf(parser);
    const QString& dbPath = account.db;
    // The demo set appears by itself only where it belongs; anywhere else a
    // missing file is more likely a typing error than a wish for a new set.
    const bool mayCreate =
        parser.isSet(createOption) ||
        QFileInfo(dbPath).absoluteFilePath() == QFileInfo(app::defaultDbPath()).absoluteFilePath();
    const QString& installDir = account.install;
    const QString& userName = account.user;

    const std::shared_ptr<refhost::Database> db = openAccountSet(dbPath, mayCreate);
    if (!db) return kExitUsage;

    QString install;
    try {
        install = refhost::ensureInstallDir(installDir);
        if (parser.isSet(appTypeOption)) {
            refhost::writeIniValue(install + QStringLiteral("/Common/QORBaseScheme.ini"),
                                   QStringLiteral("Version"), QStringLiteral("AppType"),
                                   QString::number(appType));
        }
    } catch (const zx::host::HostError& error) {
        printLine(stderr,
                  QStringLiteral("无法准备安装目录 %1: %2").arg(installDir, error.description()));
        return kExitUsage;
    }

    refhost::RefHost host(db, install);
    host.setMessageSink([](const QString& kind, const QString& text) {
        printLine(stdout, QStringLiteral("[%1] %2").arg(kindLabel(kind), text));
    });
    try {
        host.login(userName);
        refhost::installStandardServices(host);
    } catch (const zx::host::HostError& error) {
        printLine(stderr, error.description());
        return kExitUsage;
    }
    // The component sees no right to change a read-only set; say why.
    if (host.readOnly()) host.ShowMessage(host.readOnlyNotice());

    // Automation acts on the dialog once its first activation has filled it.
    using zx::profiles::frmSystemProfiles;
    const bool automated =
        parser.isSet(screenshotOption) || parser.isSet(dumpOption) || parser.isSet(scriptOption);
    bool automationFailed = false;
    bool dialogShown = false;
    std::unique_ptr<app::ScriptRunner> script;
    if (parser.isSet(scriptOption)) {
        QFile file(parser.value(scriptOption));
        // Read as it is: the runner takes off the line endings, nothing else.
        if (!file.open(QIODevice::ReadOnly)) {
            printLine(
                stderr,
                QStringLiteral("无法读取脚本 %1: %2").arg(file.fileName(), file.errorString()));
            return kExitUsage;
        }
        app::ScriptRunner::Options options;
        options.shotDir =
            parser.isSet(screenshotOption) ? parser.value(screenshotOption) : QDir::currentPath();
        options.timeout = std::chrono::milliseconds(qint64(timeoutSeconds * 1000));
        options.failExitCode = kExitAutomationFailed;
        script = std::make_unique<app::ScriptRunner>(
            host, QString::fromUtf8(file.readAll()).split(u'\n'),
            [](const QString& line) { printLine(stdout, line); }, options);
        frmSystemProfiles::onShown = [&script](frmSystemProfiles& dialog) {
            script->start(dialog);
        };
    } else if (automated) {
        frmSystemProfiles::onShown = [&](frmSystemProfiles& dialog) {
            dialogShown = true;
            try {
                if (parser.isSet(dumpOption)) {
                    for (const QString& line : app::dumpControls(&dialog)) printLine(stdout, line);
                }
                if (parser.isSet(screenshotOption)) {
                    for (const QString& file :
                         app::takeScreenshots(dialog, parser.value(screenshotOption))) {
                        printLine(stdout, QStringLiteral("[截图] %1").arg(file));
                    }
                }
            } catch (const std::exception& error) {
                printLine(stderr, QString::fromUtf8(error.what()));
                automationFailed = true;
            }
            dialog.hide();
        };
    }

    DialogSizer sizer(dialogSize);
    if (dialogSize.isValid()) app.installEventFilter(&sizer);
    HeadlessDialogCloser closer;
    if (host.headless() && !automated) app.installEventFilter(&closer);
    int exitCode = kExitNotCompleted;
    bool completed = false;
    try {
        completed = zx::SystemSetting().ShowSystemSetting();
        exitCode = completed ? 0 : kExitNotCompleted;
    } catch (const zx::host::HostError& error) {
        printLine(stderr, error.description());
    } catch (const std::exception& error) {
        printLine(stderr, QString::fromLocal8Bit(error.what()));
    }
    frmSystemProfiles::onShown = nullptr;
    if (script) {
        script->finish();
        printLine(stdout, QStringLiteral("[结果] SystemSetting 返回 %1")
                              .arg(completed ? QStringLiteral("True") : QStringLiteral("False")));
        exitCode = script->failed() ? kExitAutomationFailed : 0;
        host.setAnswerHook({});
    } else if (automated) {
        // A refused dialog (no right) dumped nothing: as in a plain run.
        exitCode = !dialogShown ? kExitNotCompleted : automationFailed ? kExitAutomationFailed : 0;
    }
    // The component caches host services for the process; they must go
    // before the host and its database do.
    zx::ResetSessionCaches();
    return exitCode;
}
