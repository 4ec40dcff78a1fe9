// systemsetting: opens the system parameters of an account set on the
// reference host, or runs one of the commands of kCommands on it.

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Dialog.h"
#include "Locks.h"
#include "ParamSets.h"
#include "Revert.h"
#include "services/RefHost.h"

namespace {

using app::printLine;

int runLocks(int argc, char* argv[]) {
    app::chooseHeadlessPlatformIfNeeded();  // its window may open
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("systemsetting"));
    QApplication::setApplicationDisplayName(QStringLiteral("系统参数"));
    refhost::installChineseTranslations();
    return app::runLocks(QApplication::arguments().mid(2));
}

int runParameterCommand(int argc, char* argv[]) {
    return app::runParameterCommand(argc, argv).value_or(app::kExitUsage);
}

struct Command {
    const char* name;
    const char* summary;  // its line in `systemsetting --help`
    int (*run)(int argc, char* argv[]);
};

// Every command of the program; a new command is one entry here.
const Command kCommands[] = {
    {"locks", "网络控制工具: 列出账套上被占用的功能及其持有者, 或释放其中一个", &runLocks},
    {"export", "把对话框读取的每个参数导出为 JSON 文件, 一个参数一行", &runParameterCommand},
    {"diff", "比较两个账套 (或导出的参数文件) 的参数", &runParameterCommand},
    {"apply", "把参数文件中的值通过对话框的保存写入账套", &runParameterCommand},
    {"audit", "列出宿主记录的每一次参数写入", &runParameterCommand},
    {"revert", "撤销一次保存所做的修改: 逐项恢复为保存前的值", &app::runRevert},
};

const Command* commandNamed(const QString& name) {
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name)) return &command;
    }
    return nullptr;
}

// The commands, one line each, for the program's --help.
QString commandList() {
    QStringList lines{QStringLiteral("命令 (systemsetting 命令 --help 说明各命令的选项):")};
    for (const Command& command : kCommands) {
        lines << QStringLiteral("  %1%2")
                     .arg(QLatin1String(command.name), -8)
                     .arg(QString::fromUtf8(command.summary));
    }
    return lines.join(u'\n');
}

// The arguments as the toolkit is to see them: the program named
// "systemsetting" or "systemsetting COMMAND", which every usage line then
// shows as the user would type it.
class Arguments {
public:
    Arguments(int argc, char* argv[], const Command* command) {
        for (int i = 0; i < argc; ++i) texts_.emplace_back(argv[i]);
        texts_.at(0) = command ? std::string("systemsetting ") + command->name : "systemsetting";
        for (std::string& text : texts_) pointers_.push_back(text.data());
        pointers_.push_back(nullptr);
    }
    int count() const { return int(texts_.size()); }
    char** values() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

}  // namespace

int main(int argc, char* argv[]) {
    app::quietPlatformNoise();
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const Command* command = commandNamed(first);
    if (!command && !first.isEmpty() && !first.startsWith(u'-')) {
        printLine(stderr, QStringLiteral("不认识的命令: %1").arg(first));
        printLine(stderr, commandList());
        return app::kExitUsage;
    }
    Arguments arguments(argc, argv, command);
    if (command) return command->run(arguments.count(), arguments.values());
    return app::runDialog(arguments.count(), arguments.values(), commandList());
}
