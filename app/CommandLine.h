#pragma once

// What every command of the program shares: where its files are when the
// user names none, the options that say who works on which account set, how
// it prints, and its exit codes.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <cstdio>

#include "zx/host/HostError.h"

namespace app {

constexpr int kExitDone = 0;
constexpr int kExitNotCompleted = 1;  // a refusal, or a start-up not completed
constexpr int kExitUsage = 2;         // bad arguments, no account set, unknown user

void printLine(FILE* stream, const QString& text);

// Keeps the toolkit's remarks about the platform (no runtime folder, a
// window feature the offscreen platform lacks) off stderr; every other
// warning is printed as before. Installed first thing in main.
void quietPlatformNoise();

// Without any display the toolkit cannot start: it draws offscreen then.
void chooseHeadlessPlatformIfNeeded();

// The word a printed host message starts with: "错误", "询问" ...
QString kindLabel(const QString& kind);

// An error as a command prints it: its message, then on a line of its own
// what the database itself said, when it said anything.
QString reported(const zx::host::HostError& error);

// Why `path` cannot be read, in words for the user: the system's own
// description of a failed open is English.
QString fileProblem(const QString& path);

QString defaultDbPath();
QString defaultInstallDir();

// --db with the command's own help text (its default is added), --user and --install.
QCommandLineOption dbOption(const QString& help);
QCommandLineOption userOption();
QCommandLineOption installOption();

struct Account {
    QString db;
    QString user;
    QString install;
};

// The values of --db, --user and --install, defaults for those not given.
Account accountOf(const QCommandLineParser& parser);

}  // namespace app
