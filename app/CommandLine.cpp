#include "CommandLine.h"

#include <QDir>
#include <QStandardPaths>

namespace app {

namespace {

QString dataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString valueOr(const QCommandLineParser& parser, const QString& name, const QString& fallback) {
    // optionNames() lists what was given; a command without --db must not ask for it.
    return parser.optionNames().contains(name) ? parser.value(name) : fallback;
}

}  // namespace

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
    return QStringLiteral("提示");
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
