#include "CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

namespace app {

namespace {

QString dataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString valueOr(const QCommandLineParser& parser, const QString& name, const QString& fallback) {
    // optionNames() lists what was given; a command without --db must not ask for it.
    return parser.optionNames().contains(name) ? parser.value(name) : fallback;
}

// Remarks of the toolkit that say nothing about this program's work: a
// session without a runtime folder, a window feature the platform lacks.
const QLatin1String kPlatformNoise[] = {
    QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"),
    QLatin1String("This plugin does not support "),
    // After a lost server connection the driver cannot free the statements
    // of the session that is gone; the user has been told of the loss.
    QLatin1String("Unable to free statement: no connection to the server"),
};

QtMessageHandler g_nextHandler = nullptr;

void skippingNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg || type == QtInfoMsg || type == QtDebugMsg) {
        for (const QLatin1String& noise : kPlatformNoise) {
            if (text.startsWith(noise)) return;
        }
    }
    if (g_nextHandler) {
        g_nextHandler(type, context, text);
    } else {
        printLine(stderr, qFormatLogMessage(type, context, text));
    }
}

}  // namespace

void quietPlatformNoise() {
    g_nextHandler = qInstallMessageHandler(&skippingNoise);
}

void chooseHeadlessPlatformIfNeeded() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void printLine(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

QString kindLabel(const QString& kind) {
    if (kind == QLatin1String("error")) return QStringLiteral("错误");
    if (kind == QLatin1String("question")) return QStringLiteral("询问");
    if (kind == QLatin1String("answer")) return QStringLiteral("回答");
    if (kind == QLatin1String("help")) return QStringLiteral("帮助");
    if (kind == QLatin1String("details")) return QStringLiteral("详细");
    return QStringLiteral("提示");
}

QString reported(const zx::host::HostError& error) {
    if (error.details().isEmpty()) return error.description();
    return error.description() + QStringLiteral("\n    (%1)").arg(error.details());
}

QString fileProblem(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("文件不存在");
    if (info.isDir()) return QStringLiteral("这是一个目录, 不是文件");
    if (!info.isReadable()) return QStringLiteral("当前用户没有读取这个文件的权限");
    return QStringLiteral("文件无法打开");
}

QString defaultDbPath() {
    return QDir(dataDir()).filePath(QStringLiteral("demo.zxdb"));
}

QString defaultInstallDir() {
    return QDir(dataDir()).filePath(QStringLiteral("install"));
}

QCommandLineOption dbOption(const QString& help) {
    return {QStringLiteral("db"), help.arg(defaultDbPath()), QStringLiteral("PATH")};
}

QCommandLineOption userOption() {
    return {QStringLiteral("user"), QStringLiteral("登录用户 (默认 administrator)。"),
            QStringLiteral("NAME")};
}

QCommandLineOption installOption() {
    return {QStringLiteral("install"),
            QStringLiteral("安装目录 (默认 %1)。").arg(defaultInstallDir()), QStringLiteral("DIR")};
}

Account accountOf(const QCommandLineParser& parser) {
    return {valueOr(parser, QStringLiteral("db"), defaultDbPath()),
            valueOr(parser, QStringLiteral("user"), QStringLiteral("administrator")),
            valueOr(parser, QStringLiteral("install"), defaultInstallDir())};
}

}  // namespace app
