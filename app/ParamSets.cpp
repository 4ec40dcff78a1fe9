// Parameter sets across account sets: export what the dialog reads, compare
// two sets or files, apply a file through the dialog's own save, and list the
// host's audit. Every command opens the dialog hidden on the account set and
// goes through it, so that a file holds exactly what a user sees and an
// apply can do only what a user could do.

#include "ParamSets.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QSaveFile>
#include <QSet>
#include <QStackedWidget>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "demo/Demo.h"
#include "services/Audit.h"
#include "services/ProfileSnapshot.h"
#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/PgUrl.h"
#include "zx/frame/IntText3D.h"
#include "zx/frame/TextBox.h"
#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/params/Business.h"
#include "zx/params/Codec.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

namespace app {

namespace {

using zx::host::HostError;
using zx::params::Param;
using zx::profiles::frmSystemProfiles;

const QString kFormat = QStringLiteral("systemsetting-parameters");
constexpr int kFormatVersion = 1;

// Ends a command: its messages have been printed.
struct Exit {
    int code;
};

void say(const QString& text) {
    printLine(stdout, text);
}
void complain(const QString& text) {
    printLine(stderr, text);
}
[[noreturn]] void fail(int code, const QString& text) {
    complain(text);
    throw Exit{code};
}

QString quoted(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// ----- One parameter as the dialog reads it ----------------------------------

struct Entry {
    QString category;
    QString key;
    QString text;         // what the dialog read: the stored text, else its default
    bool absent = false;  // no row: the text is the dialog's default
    QString shown;        // what the control shows for it
    QString caption;
    QString page;
};

QString idOf(const QString& category, const QString& key) {
    return category.toLower() + u'/' + key.toLower();
}
QString idOf(const Entry& e) {
    return idOf(e.category, e.key);
}

void sortEntries(QList<Entry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int c = QString::compare(idOf(a), idOf(b));
        return c != 0 ? c < 0 : a.key < b.key;
    });
}

// The parameters of one side of a comparison, by id.
struct Snapshot {
    QString source;
    QList<Entry> entries;
    QHash<QString, qsizetype> index;

    void reindex() {
        index.clear();
        for (qsizetype i = 0; i < entries.size(); ++i) index.insert(idOf(entries.at(i)), i);
    }
    const Entry* find(const QString& id) const {
        const auto it = index.constFind(id);
        return it == index.constEnd() ? nullptr : &entries.at(*it);
    }
};

// ----- The file ------------------------------------------------------------

// One parameter a line, sorted by category and key, so that a change of one
// parameter is a change of one line.
QByteArray fileText(const Snapshot& s) {
    QStringList lines;
    lines << QStringLiteral("{");
    lines << QStringLiteral("  \"format\": %1,").arg(quoted(kFormat));
    lines << QStringLiteral("  \"version\": %1,").arg(kFormatVersion);
    lines << QStringLiteral("  \"source\": %1,").arg(quoted(s.source));
    lines << QStringLiteral("  \"parameters\": [");
    for (qsizetype i = 0; i < s.entries.size(); ++i) {
        const Entry& e = s.entries.at(i);
        QString line = QStringLiteral("    {\"category\": %1, \"key\": %2, \"text\": %3")
                           .arg(quoted(e.category), quoted(e.key), quoted(e.text));
        if (e.absent) line += QStringLiteral(", \"absent\": true");
        line += QStringLiteral(", \"shown\": %1, \"caption\": %2, \"page\": %3}")
                    .arg(quoted(e.shown), quoted(e.caption), quoted(e.page));
        if (i + 1 < s.entries.size()) line += u',';
        lines << line;
    }
    lines << QStringLiteral("  ]");
    lines << QStringLiteral("}");
    return (lines.join(u'\n') + u'\n').toUtf8();
}

int lineOf(const QByteArray& data, int offset) {
    return int(data.left(offset).count('\n')) + 1;
}

// Every parameter of a set exports to well under a megabyte; a file many
// times that is no parameter file, and parsing it would only fill the memory.
constexpr qint64 kMaxFileBytes = 10 * 1024 * 1024;

// `size` is what is known: a pipe is read only up to the limit.
[[noreturn]] void refuseTooLarge(const QString& path, const QString& size) {
    fail(kExitUsage,
         QStringLiteral("参数文件 %1 太大 (%2), 超过了参数文件 10 MB 的上限, 没有读取。"
                        "一个账套的全部参数导出后不到 1 MB, 请确认给出的是 export 写出的文件。")
             .arg(path, size));
}

Snapshot readFile(const QString& path) {
    QFile file(path);
    // A regular file says its size before anything is read; a pipe or a
    // device is read only up to the limit.
    if (file.size() > kMaxFileBytes) {
        refuseTooLarge(path,
                       QStringLiteral("%1 MB").arg(double(file.size()) / (1024 * 1024), 0, 'f', 1));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(kExitUsage, QStringLiteral("无法读取参数文件 %1: %2").arg(path, fileProblem(path)));
    }
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (data.size() > kMaxFileBytes) refuseTooLarge(path, QStringLiteral("超过 10 MB"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        fail(kExitUsage, QStringLiteral("参数文件 %1 第 %2 行有错: %3")
                             .arg(path)
                             .arg(lineOf(data, error.offset))
                             .arg(error.errorString()));
    }
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat) {
        fail(kExitUsage, QStringLiteral("%1 不是系统参数文件 (没有 \"format\": %2)。")
                             .arg(path, quoted(kFormat)));
    }
    if (root.value(QStringLiteral("version")).toInt() != kFormatVersion) {
        fail(kExitUsage, QStringLiteral("参数文件 %1 的版本 %2 不是本程序能读的版本 %3。")
                             .arg(path)
                             .arg(root.value(QStringLiteral("version")).toVariant().toString())
                             .arg(kFormatVersion));
    }
    Snapshot s;
    s.source = path;
    const QJsonArray list = root.value(QStringLiteral("parameters")).toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject o = list.at(i).toObject();
        Entry e;
        const auto text = [&](const char* field, bool required) {
            const QJsonValue v = o.value(QLatin1String(field));
            if (v.isString()) return v.toString();
            if (required || !v.isUndefined()) {
                fail(kExitUsage, QStringLiteral("参数文件 %1 的第 %2 个参数: \"%3\" 必须是文本。")
                                     .arg(path)
                                     .arg(i + 1)
                                     .arg(QLatin1String(field)));
            }
            return QString();
        };
        e.category = text("category", true);
        e.key = text("key", true);
        e.text = text("text", true);
        e.absent = o.value(QStringLiteral("absent")).toBool(false);
        e.shown = text("shown", false);
        e.caption = text("caption", false);
        e.page = text("page", false);
        if (e.category.trimmed().isEmpty() || e.key.trimmed().isEmpty()) {
            fail(kExitUsage,
                 QStringLiteral("参数文件 %1 的第 %2 个参数没有类别或名称。").arg(path).arg(i + 1));
        }
        s.entries << e;
    }
    s.reindex();
    if (s.index.size() != s.entries.size()) {
        for (const Entry& e : s.entries) {
            if (s.find(idOf(e)) != &e) {
                fail(kExitUsage, QStringLiteral("参数文件 %1 中参数 %2/%3 出现了不止一次。")
                                     .arg(path, e.category, e.key));
            }
        }
    }
    return s;
}

// ----- An account set on the reference host -------------------------------

void addCommonOptions(QCommandLineParser& parser, bool withDb) {
    if (withDb) {
        parser.addOption(
            dbOption(QStringLiteral("账套: 账套文件或 postgresql:// 地址 (默认 %1)。")));
    }
    parser.addOption(userOption());
    parser.addOption(installOption());
    parser.addHelpOption();
}

// Parses the arguments after the command; bad ones end it with code 2.
void parse(QCommandLineParser& parser, const QStringList& args, int minPositional,
           int maxPositional) {
    if (!parser.parse(args)) {
        complain(QStringLiteral("参数错误: %1").arg(parser.errorText()));
        fail(kExitUsage, parser.helpText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        throw Exit{kExitDone};
    }
    const qsizetype n = parser.positionalArguments().size();
    if (n < minPositional || n > maxPositional) {
        complain(n < minPositional
                     ? QStringLiteral("缺少参数。")
                     : QStringLiteral("多余的参数: %1")
                           .arg(parser.positionalArguments().mid(maxPositional).join(u' ')));
        fail(kExitUsage, parser.helpText());
    }
}

// A message the host showed while a command ran.
struct Shown {
    QString kind;  // "message", "error", "question", "help"
    QString text;
};

// One account set opened for a command, with its host and the logged-in
// user. Commands never create a set: a missing one is a mistake.
class AccountSet {
public:
    AccountSet(const Account& o, const QString& program, bool readOnly) {
        refhost::OpenOptions open;
        open.create = false;
        try {
            db_ = refhost::Database::open(o.db, open);
        } catch (const HostError& error) {
            fail(kExitUsage, reported(error));
        }
        if (!refhost::accountSetRegistered(*db_)) {
            fail(kExitUsage, QStringLiteral("%1 中还没有账套数据; 先用 systemsetting --db \"%1\" "
                                            "打开一次 (新文件加 --create)。")
                                 .arg(db_->location()));
        }
        QString install;
        try {
            install = refhost::ensureInstallDir(o.install);
        } catch (const HostError& error) {
            fail(kExitUsage,
                 QStringLiteral("无法准备安装目录 %1: %2").arg(o.install, reported(error)));
        }
        host_ = std::make_unique<refhost::RefHost>(db_, install);
        host_->setProgram(program);
        if (readOnly) host_->setReadOnly(QStringLiteral("只读取参数的命令"));
        host_->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind != QLatin1String("answer")) shown_ << Shown{kind, text};
        });
        // Nobody is there to answer: a box is acknowledged, a question gets No.
        host_->setAnswerHook([](const QString&, zx::host::MsgButtons buttons,
                                zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
            return buttons == zx::host::MsgButtons::Ok ? zx::host::MsgResult::Ok
                                                       : zx::host::MsgResult::No;
        });
        try {
            host_->login(o.user);
            refhost::installStandardServices(*host_);
        } catch (const HostError& error) {
            fail(kExitUsage, reported(error));
        }
    }

    ~AccountSet() {
        dialog_.reset();
        // The component keeps some services for the process; they go first.
        zx::ResetSessionCaches();
        host_.reset();
        db_.reset();
    }

    AccountSet(const AccountSet&) = delete;
    AccountSet& operator=(const AccountSet&) = delete;

    refhost::Database& db() { return *db_; }
    refhost::RefHost& host() { return *host_; }
    QList<Shown>& shown() { return shown_; }

    // Ends the command unless the user may view the system parameters.
    void requireViewRight() {
        try {
            zx::host::createService<zx::host::SecurityInfo>()->AccessCheck(
                zx::GetPropsString(), 18, 0, 1048576, true, QStringLiteral("查看"));
        } catch (const HostError& error) {
            fail(kExitNotCompleted, reported(error));
        }
    }

    // The dialog on this set, hidden, after its first activation. A value it
    // could not read ends the command: nothing half-read is exported or applied.
    frmSystemProfiles& openDialog() {
        requireViewRight();
        try {
            zx::LoadSessionProps(zx::GetPropsString());
        } catch (const HostError& error) {
            fail(kExitUsage, reported(error));
        }
        const qsizetype before = shown_.size();
        dialog_ = std::make_unique<frmSystemProfiles>();
        dialog_->Form_Activate();
        for (qsizetype i = before; i < shown_.size(); ++i) {
            if (shown_.at(i).kind == QLatin1String("error")) {
                printShown(stderr, before);
                fail(kExitUsage, QStringLiteral("账套 %1 的系统参数没有全部读出, 命令没有执行。")
                                     .arg(db_->location()));
            }
        }
        return *dialog_;
    }

    void printShown(FILE* stream, qsizetype from = 0) const {
        for (qsizetype i = from; i < shown_.size(); ++i) {
            printLine(stream, QStringLiteral("[%1] %2").arg(kindLabel(shown_.at(i).kind),
                                                            shown_.at(i).text));
        }
    }

private:
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;
    std::unique_ptr<frmSystemProfiles> dialog_;
    QList<Shown> shown_;
};

// ----- What the dialog shows ------------------------------------------------

QString plainTab(const QString& text) {
    QString t = text;
    t.remove(u'&');
    return t.trimmed();
}

// The captions of the tab pages a widget sits on, outermost first.
QString pageOf(const frmSystemProfiles& dialog, QWidget* w) {
    QStringList pages;
    for (QWidget* x = w; x && x != &dialog; x = x->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(x->parentWidget());
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs) pages.prepend(plainTab(tabs->tabText(tabs->indexOf(x))));
    }
    return pages.join(QStringLiteral(" / "));
}

QString checkWord(int value) {
    switch (value) {
        case 0:
            return QStringLiteral("不选");
        case 2:
            return QStringLiteral("灰选");
        default:
            return QStringLiteral("选中");
    }
}

QString itemOf(const zx::params::Control& c, int index) {
    if (index < 0 || index >= zx::params::itemCount(c)) return QStringLiteral("(未选)");
    return zx::params::text(c.items[index]);
}

// A state in the words of its control: a box ticked or not, the option or
// entry chosen, the text of a box.
QString describe(const Param& p, const zx::params::State& s) {
    using zx::params::Kind;
    const auto value = [&s](int i) { return i < s.values.size() ? s.values.at(i) : -1; };
    if (p.codec == zx::params::Codec::Chars3) {
        QStringList parts;
        for (int g = 0; g < s.values.size(); ++g) parts << itemOf(p.control, value(g));
        return parts.join(QStringLiteral("，"));
    }
    QString out;
    switch (p.control.kind) {
        case Kind::Check:
            out = checkWord(value(0));
            break;
        case Kind::Checks: {
            QStringList parts;
            for (int i = 0; i < zx::params::itemCount(p.control); ++i) {
                parts << zx::params::text(p.control.items[i]) + u'：' + checkWord(value(i));
            }
            out = parts.join(QStringLiteral("；"));
            break;
        }
        case Kind::Options:
        case Kind::Combo:
            out = itemOf(p.control, value(0));
            break;
        default:
            return s.text;
    }
    if (p.second.name && value(0) != 0) out += u'，' + itemOf(p.second, value(1));
    return out;
}

// What the control shows for a stored text. A text box the page fills
// itself shows what the page made of it (the account number of a stored
// account id); the page's other values are shown as stored, since their
// boxes may hold a proposal instead (the start year of a module not started).
QString shownText(const frmSystemProfiles& dialog, const Param& p, const QString& text) {
    if (p.codec == zx::params::Codec::Page) {
        return p.control.kind == zx::params::Kind::Text ? dialog.controls().state(p).text : text;
    }
    try {
        return describe(p, zx::params::decode(p, text));
    } catch (const HostError& error) {
        return QStringLiteral("(无法显示: %1)").arg(error.description());
    }
}

// Every parameter the dialog read, sorted. A parameter that has no row in
// the store is marked absent: the dialog then read its default.
Snapshot snapshotOf(AccountSet& set, const frmSystemProfiles& dialog) {
    refhost::ProfileSnapshot stored;
    stored.load(set.db());
    Snapshot s;
    s.source = set.db().location();
    QSet<QString> seen;
    for (const Param* p : dialog.parameters()) {
        Entry e;
        e.category = zx::params::categoryName(p->cat);
        e.key = zx::params::keyOf(*p);
        if (seen.contains(idOf(e))) continue;
        seen.insert(idOf(e));
        e.text = dialog.loadedText(*p);
        e.absent = !stored.find(e.category, e.key).has_value();
        e.shown = shownText(dialog, *p, e.text);
        e.caption = zx::params::captionOf(*p);
        const QList<QWidget*> widgets = dialog.controls().widgets(*p);
        e.page = widgets.isEmpty() ? QString() : pageOf(dialog, widgets.first());
        s.entries << e;
    }
    sortEntries(s.entries);
    s.reindex();
    return s;
}

Snapshot readAccountSet(const Account& o, const QString& program) {
    AccountSet set(o, program, true);
    frmSystemProfiles& dialog = set.openDialog();
    Snapshot s = snapshotOf(set, dialog);
    set.printShown(stderr);
    return s;
}

// ----- export ----------------------------------------------------------------

int runExport(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "把账套中对话框读取的每个参数 (类别、名称、存储的文本、控件的显示和标题、页面)\n"
        "写成按类别和名称排序的 JSON 文件, 一个参数一行。不给 FILE 时写到标准输出。\n"
        "只读取账套, 不写入任何内容。"));
    addCommonOptions(parser, true);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("要写的文件。"),
                                 QStringLiteral("[FILE]"));
    parse(parser, args, 0, 1);
    const Account o = accountOf(parser);
    const Snapshot s = readAccountSet(o, QStringLiteral("systemsetting export"));
    const QByteArray data = fileText(s);
    if (parser.positionalArguments().isEmpty()) {
        std::fwrite(data.constData(), 1, size_t(data.size()), stdout);
        std::fflush(stdout);
        return kExitDone;
    }
    // Written beside and moved in whole: an older file is never left half-written.
    QSaveFile file(parser.positionalArguments().first());
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        fail(kExitUsage,
             QStringLiteral("无法写入 %1: %2").arg(file.fileName(), file.errorString()));
    }
    complain(QStringLiteral("已导出 %1 个参数到 %2").arg(s.entries.size()).arg(file.fileName()));
    return kExitDone;
}

// ----- diff ---------------------------------------------------------------

// A file holds JSON; anything else is an account set.
bool isParameterFile(const QString& path) {
    if (refhost::PgUrl::isUrl(path)) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64).trimmed();
    return head.startsWith('{');
}

Snapshot readSide(const QString& what, const Account& o) {
    if (isParameterFile(what)) return readFile(what);
    Account side = o;
    side.db = what;
    return readAccountSet(side, QStringLiteral("systemsetting diff"));
}

QString valueText(const Entry* e) {
    if (!e) return QStringLiteral("(没有这个参数)");
    QString out = quoted(e->text);
    if (!e->shown.isEmpty() && e->shown != e->text) out += QStringLiteral("（%1）").arg(e->shown);
    if (e->absent) out += QStringLiteral(" [无记录, 按默认值]");
    return out;
}

int runDiff(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "比较两个账套 (或导出的参数文件) 的参数, 按页面和标题列出不同的参数及两边的值。\n"
        "退出码: 0 没有不同, 1 有不同, 2 参数错误或账套无法使用。"));
    addCommonOptions(parser, false);
    parser.addPositionalArgument(QStringLiteral("A"), QStringLiteral("账套或参数文件。"));
    parser.addPositionalArgument(QStringLiteral("B"), QStringLiteral("账套或参数文件。"));
    parse(parser, args, 2, 2);
    const Account o = accountOf(parser);
    const Snapshot a = readSide(parser.positionalArguments().at(0), o);
    const Snapshot b = readSide(parser.positionalArguments().at(1), o);

    struct Line {
        QString page;
        QString caption;
        QString text;
    };
    QList<Line> differ;
    QList<Line> presenceOnly;
    QStringList ids = a.index.keys() + b.index.keys();
    ids.removeDuplicates();
    for (const QString& id : ids) {
        const Entry* x = a.find(id);
        const Entry* y = b.find(id);
        const Entry* named = x ? x : y;
        const QString name = QStringLiteral("%1 (%2/%3)")
                                 .arg(named->caption.isEmpty() ? named->key : named->caption,
                                      named->category, named->key);
        if (x && y && x->text == y->text) {
            if (x->absent != y->absent) {
                presenceOnly << Line{
                    named->page, named->caption,
                    QStringLiteral("  %1: %2 一边无记录, 读取的值相同").arg(name, quoted(x->text))};
            }
            continue;
        }
        differ << Line{named->page, named->caption,
                       QStringLiteral("  %1: %2 → %3").arg(name, valueText(x), valueText(y))};
    }
    const auto byPage = [](const Line& l, const Line& r) {
        return l.page != r.page ? l.page < r.page : l.caption < r.caption;
    };
    std::sort(differ.begin(), differ.end(), byPage);
    std::sort(presenceOnly.begin(), presenceOnly.end(), byPage);
    say(QStringLiteral("A: %1").arg(a.source));
    say(QStringLiteral("B: %1").arg(b.source));
    QString page;
    for (qsizetype i = 0; i < differ.size(); ++i) {
        if (i == 0 || differ.at(i).page != page) {
            page = differ.at(i).page;
            say(QStringLiteral("【%1】").arg(page.isEmpty() ? QStringLiteral("(不在页面上)")
                                                            : page));
        }
        say(differ.at(i).text);
    }
    if (!presenceOnly.isEmpty()) {
        say(QStringLiteral("只在有无记录上不同 (对话框读取的值相同, 不算不同):"));
        for (const Line& l : presenceOnly) say(l.text);
    }
    say(differ.isEmpty() ? QStringLiteral("参数相同。")
                         : QStringLiteral("有 %1 个参数不同。").arg(differ.size()));
    return differ.isEmpty() ? kExitDone : kExitNotCompleted;
}

// ----- apply --------------------------------------------------------------------

// The start-up settings: only a module's start writes them, and once started
// they stay. Applying them would start or "un-start" a module.
bool isStartSetting(const Param& p) {
    namespace zp = zx::params;
    for (const Param* s :
         {&zp::periods::StartYear, &zp::periods::StartPeriod, &zp::cashier::StartYear,
          &zp::cashier::StartPeriod, &zp::business::StartYear, &zp::business::StartPeriod}) {
        if (s == &p) return true;
    }
    return false;
}

// Why a user could not choose the state `wanted` for `p` in the dialog; empty
// when the file's text comes back unchanged through the control.
QString unchoosable(const frmSystemProfiles& dialog, const Param& p, const QString& text,
                    zx::params::State& wanted) {
    using zx::params::Write;
    if (p.write == Write::Never) {
        const QString note = zx::params::text(p.note);
        return isStartSetting(p)
                   ? QStringLiteral("启用期间只由模块启用时写入, 套用不启用也不反启用模块")
               : note.isEmpty() ? QStringLiteral("对话框只显示它, 保存时从不写入")
                                : QStringLiteral("对话框只显示它: %1").arg(note);
    }
    if (isStartSetting(p)) {
        return QStringLiteral("启用期间只由模块启用时写入, 套用不启用也不反启用模块");
    }
    if (p.codec == zx::params::Codec::Page) {
        return QStringLiteral(
            "存储的是页面自己换算的值 (如科目内码), 各账套不一定相同, 请在对话框中设置");
    }
    try {
        wanted = zx::params::decode(p, text);
    } catch (const HostError& error) {
        return error.description();
    }
    const QVariant value = zx::params::encode(p, wanted, dialog.loadedText(p));
    QString back;
    try {
        back = value.isValid() ? refhost::encodeProfileValue(value) : QString();
    } catch (const HostError& error) {
        return error.description();
    }
    if (!value.isValid() || back != text) {
        return value.isValid() ? QStringLiteral("对话框里选不出这个值 (选出“%1”后会保存为“%2”)")
                                     .arg(describe(p, wanted), back)
                               : QStringLiteral("对话框里选不出这个值");
    }
    // What typing may reach in a box of numbers or of limited length.
    const QList<QWidget*> widgets = dialog.controls().widgets(p);
    if (auto* number =
            widgets.isEmpty() ? nullptr : qobject_cast<zx::frame::IntText3D*>(widgets.first())) {
        QString typed = wanted.text;
        int pos = int(typed.size());
        if (number->validate(typed, pos) != QValidator::Acceptable) {
            return QStringLiteral("输入框只接受 %1 到 %2 的数")
                .arg(number->Min())
                .arg(number->Max());
        }
    } else if (auto* edit = widgets.isEmpty()
                                ? nullptr
                                : qobject_cast<zx::frame::TextBox*>(widgets.first())) {
        if (!edit->typable(wanted.text)) {
            return QStringLiteral("输入框最多 %1 个字符").arg(edit->typingLimit());
        }
    }
    return QString();
}

// Why the user cannot reach the controls of `p` now; empty when every one is
// on a page that is shown and enabled. A list beside a box follows the box.
QString unreachable(const frmSystemProfiles& dialog, const Param& p) {
    QList<QWidget*> widgets = dialog.controls().widgets(p);
    if (p.second.name && !widgets.isEmpty()) widgets.removeLast();
    for (QWidget* w : widgets) {
        for (QWidget* x = w; x && x != &dialog; x = x->parentWidget()) {
            auto* stack = qobject_cast<QStackedWidget*>(x->parentWidget());
            auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
            if (tabs) {
                if (!tabs->isTabVisible(tabs->indexOf(x))) {
                    return QStringLiteral("它所在的页面“%1”在这个账套中不显示")
                        .arg(plainTab(tabs->tabText(tabs->indexOf(x))));
                }
            } else if (x->isHidden()) {
                return QStringLiteral("它的控件在这个账套中不显示");
            }
        }
        if (!w->isEnabled()) {
            QString why = w->toolTip();
            for (QWidget* x = w->parentWidget(); why.isEmpty() && x && x != &dialog;
                 x = x->parentWidget()) {
                why = x->toolTip();
            }
            return why.isEmpty() ? QStringLiteral("它的控件现在不可用")
                                 : QStringLiteral("它的控件现在不可用: %1").arg(why);
        }
    }
    return QString();
}

struct Planned {
    const Param* param;
    const Entry* wanted;
    QString page;
    zx::params::State state;
};

QString nameOf(const Entry& e) {
    return QStringLiteral("%1 (%2/%3)")
        .arg(e.caption.isEmpty() ? e.key : e.caption, e.category, e.key);
}

QString auditValue(const std::optional<QString>& v) {
    return v ? quoted(*v) : QStringLiteral("(无)");
}

// A file applied to the dialog of an account set: what differs, the controls
// set as a user would set them, and everything that stands in the way.
class Applier {
public:
    Applier(frmSystemProfiles& dialog, const Snapshot& file) : dialog_(dialog), file_(file) {
        for (const Param* p : dialog.parameters()) {
            const QString id = idOf(zx::params::categoryName(p->cat), zx::params::keyOf(*p));
            if (!declared_.contains(id)) declared_.insert(id, p);
            before_.insert(p, dialog.controls().state(*p));
            order_.insert(p, order_.size());
        }
    }

    const QList<Planned>& plan() const { return plan_; }
    const QStringList& refusals() const { return refusals_; }
    void refuse(const QString& why) { refusals_ << why; }

    // The parameters whose text differs from the file, in the dialog's
    // order, each with the state its text decodes to; a value the dialog
    // cannot offer is refused.
    void planChanges() {
        for (const Entry& e : file_.entries) {
            const Param* p = declared_.value(idOf(e));
            if (!p) {
                refuse(QStringLiteral("%1: 系统参数对话框不读取这个参数").arg(nameOf(e)));
                continue;
            }
            if (dialog_.loadedText(*p) == e.text) continue;
            Planned step{p, &e, pageOf(dialog_, dialog_.controls().widgets(*p).value(0)), {}};
            const QString why = unchoosable(dialog_, *p, e.text, step.state);
            if (why.isEmpty()) {
                plan_ << step;
            } else {
                refuse(refusal(e, why));
            }
        }
        std::sort(plan_.begin(), plan_.end(), [this](const Planned& a, const Planned& b) {
            return order_.value(a.param) < order_.value(b.param);
        });
    }

    // Sets what a user can reach now. A control that a rule disables may be
    // freed by another parameter of the file, so it goes round until nothing
    // more can be set. Done even when something is refused already, so that
    // one run names every parameter that stands in the way.
    void setControls() {
        QList<const Planned*> waiting;
        for (const Planned& step : plan_) waiting << &step;
        for (bool progress = true; progress && !waiting.isEmpty();) {
            progress = false;
            for (qsizetype i = 0; i < waiting.size();) {
                if (unreachable(dialog_, *waiting.at(i)->param).isEmpty()) {
                    dialog_.controls().setState(*waiting.at(i)->param, waiting.at(i)->state);
                    waiting.removeAt(i);
                    progress = true;
                } else {
                    ++i;
                }
            }
        }
        for (const Planned* step : waiting) {
            refuse(refusal(*step->wanted, unreachable(dialog_, *step->param)));
        }
    }

    // The controls must now show what the file asks, and nothing else may
    // have moved with them: the save would write it.
    void checkControls() {
        QHash<const Param*, const Planned*> planned;
        for (const Planned& step : plan_) planned.insert(step.param, &step);
        for (const Param* p : dialog_.parameters()) {
            const zx::params::State now = dialog_.controls().state(*p);
            const Planned* step = planned.value(p);
            if (step && now != step->state) {
                refuse(refusal(*step->wanted,
                               QStringLiteral("设置后对话框显示为“%1”").arg(describe(*p, now))));
            } else if (!step && now != before_.value(p)) {
                const QString key = zx::params::keyOf(*p);
                const QString category = zx::params::categoryName(p->cat);
                refuse(QStringLiteral("%1 (%2/%3): 设置其他参数时对话框把它从“%4”改成了“%5”, "
                                      "文件中没有这样要求")
                           .arg(zx::params::captionOf(*p), category, key,
                                describe(*p, before_.value(p)), describe(*p, now)) +
                       (file_.find(idOf(category, key)) ? QString()
                                                        : QStringLiteral(" (文件中没有这个参数)")));
            }
        }
    }

private:
    static QString refusal(const Entry& e, const QString& why) {
        return QStringLiteral("%1: 要改为 %2, 但%3").arg(nameOf(e), quoted(e.text), why);
    }

    frmSystemProfiles& dialog_;
    const Snapshot& file_;
    QHash<QString, const Param*> declared_;
    QHash<const Param*, zx::params::State> before_;
    QHash<const Param*, qsizetype> order_;
    QList<Planned> plan_;
    QStringList refusals_;
};

// Ends the apply inside its transaction, which is then rolled back.
struct Discard {
    int code;
};

qint64 lastAuditId(refhost::Database& db) {
    const auto rows =
        db.nativeQuery(QStringLiteral("SELECT COALESCE(MAX(FID), 0) FROM t_SystemProfile_Audit"));
    rows->MoveFirst();
    return rows->Field(0).toLongLong();
}

// Presses Save as the user would and checks that it wrote what the file
// asks; a question, an error or a parameter left unwritten refuses the apply.
void saveThroughDialog(AccountSet& set, frmSystemProfiles& dialog, const QList<Planned>& plan) {
    const qsizetype from = set.shown().size();
    dialog.SetChanged(true);
    dialog.btnSave_Click();
    QStringList questions;
    bool failed = dialog.IsChanged();
    for (qsizetype i = from; i < set.shown().size(); ++i) {
        const Shown& m = set.shown().at(i);
        say(QStringLiteral("[%1] %2").arg(kindLabel(m.kind), m.text));
        if (m.kind == QLatin1String("question")) questions << m.text;
        if (m.kind == QLatin1String("error")) failed = true;
    }
    for (const QString& q : questions) {
        say(QStringLiteral("保存时询问“%1”, 已自动回答“否”。").arg(q));
    }
    if (failed) {
        say(QStringLiteral("套用被拒绝, 账套没有写入任何内容: 保存没有完成。"));
        throw Discard{kExitNotCompleted};
    }
    QStringList missing;
    for (const Planned& step : plan) {
        const auto stored = refhost::readProfile(set.db(), step.wanted->category, step.wanted->key);
        if (!stored || *stored != step.wanted->text) {
            missing << QStringLiteral("  %1: 保存后存储的是 %2, 不是 %3")
                           .arg(nameOf(*step.wanted), auditValue(stored),
                                quoted(step.wanted->text));
        }
    }
    if (!questions.isEmpty() || !missing.isEmpty()) {
        say(QStringLiteral("套用被拒绝, 账套没有写入任何内容:"));
        for (const QString& m : missing) say(m);
        throw Discard{kExitNotCompleted};
    }
}

// The plan of an apply: what differs from the file, set in the controls, or
// every reason that stands in the way (printed, and the apply discarded).
void planOrRefuse(AccountSet& set, Applier& apply) {
    // What the dialog says from here on: a box may ask before it lets go.
    const qsizetype shownBefore = set.shown().size();
    apply.planChanges();
    apply.setControls();
    if (apply.refusals().isEmpty()) apply.checkControls();
    for (qsizetype i = shownBefore; i < set.shown().size(); ++i) {
        if (set.shown().at(i).kind == QLatin1String("question")) {
            apply.refuse(QStringLiteral("设置参数时对话框询问“%1”, 已自动回答“否”")
                             .arg(set.shown().at(i).text));
        }
    }
    if (apply.refusals().isEmpty()) return;
    set.printShown(stdout, shownBefore);
    say(QStringLiteral("套用被拒绝, 账套没有写入任何内容:"));
    for (const QString& r : apply.refusals()) say(QStringLiteral("  ") + r);
    say(QStringLiteral("(不想套用的参数可以从文件中删去那一行再套用。)"));
    throw Discard{kExitNotCompleted};
}

void printPlan(const frmSystemProfiles& dialog, const QList<Planned>& plan, bool dryRun) {
    say(QStringLiteral("%1 %2 个参数:")
            .arg(dryRun ? QStringLiteral("将要修改") : QStringLiteral("修改"))
            .arg(plan.size()));
    for (const Planned& step : plan) {
        say(QStringLiteral("  【%1】%2: %3 → %4")
                .arg(step.page, nameOf(*step.wanted), quoted(dialog.loadedText(*step.param)),
                     quoted(step.wanted->text)));
    }
}

// Every write the host recorded since `auditBefore`: what the save wrote.
void printWrites(refhost::Database& db, qint64 auditBefore, bool dryRun) {
    refhost::AuditFilter written;
    written.afterId = auditBefore;
    const QList<refhost::AuditRow> rows = refhost::readAudit(db, written);
    say(QStringLiteral("%1 %2 项:")
            .arg(dryRun ? QStringLiteral("保存将写入") : QStringLiteral("保存写入了"))
            .arg(rows.size()));
    for (const refhost::AuditRow& r : rows) {
        say(QStringLiteral("  %1/%2: %3 → %4")
                .arg(r.category, r.key, auditValue(r.before), auditValue(r.after)));
    }
    if (!dryRun && !rows.isEmpty()) {
        say(QStringLiteral("保存编号 %1 (systemsetting revert %1 可撤销这次保存)。")
                .arg(rows.first().saveId));
    }
}

// Everything from the load to the save, inside the apply's one transaction:
// a refusal, a question or a dry run ends it with Discard, which rolls back
// whatever the save had written.
void applyInTransaction(AccountSet& set, const Snapshot& file, const Account& o, bool dryRun) {
    refhost::Database& db = set.db();
    const qint64 auditBefore = lastAuditId(db);
    frmSystemProfiles& dialog = set.openDialog();
    if (!dialog.CanModify() || dialog.readOnly()) {
        set.printShown(stdout);
        say(QStringLiteral("用户 %1 没有修改系统参数的权限, 套用被拒绝。").arg(o.user));
        throw Discard{kExitNotCompleted};
    }
    Applier apply(dialog, file);
    planOrRefuse(set, apply);
    if (apply.plan().isEmpty()) {
        say(QStringLiteral("账套 %1 的参数已与文件相同, 没有要写入的内容。").arg(db.location()));
        throw Discard{kExitDone};
    }
    printPlan(dialog, apply.plan(), dryRun);
    saveThroughDialog(set, dialog, apply.plan());
    printWrites(db, auditBefore, dryRun);
    if (dryRun) {
        say(QStringLiteral("(试运行: 已全部撤回, 账套没有写入任何内容。)"));
        throw Discard{kExitDone};
    }
}

int runApply(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "把参数文件中的值通过系统参数对话框的保存写入账套: 同样的校验、网络功能锁、\n"
        "修改日志和冲突检查。只改文件中与账套不同的参数; 文件可以只列一部分参数。\n"
        "对话框中选不出的值、模块的启用期间、只显示不保存的参数, 以及保存时的询问\n"
        "(自动回答“否”) 都使套用被拒绝, 账套不写入任何内容。\n"
        "退出码: 0 完成, 1 被拒绝, 2 参数错误或账套无法使用。"));
    addCommonOptions(parser, true);
    parser.addOption({QStringLiteral("dry-run"),
                      QStringLiteral("只列出会写入的内容 (连同保存的校验), 不写入任何内容。")});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("export 写出的参数文件。"));
    parse(parser, args, 1, 1);
    const Account o = accountOf(parser);
    const bool dryRun = parser.isSet(QStringLiteral("dry-run"));
    const Snapshot file = readFile(parser.positionalArguments().first());

    AccountSet set(o, QStringLiteral("systemsetting apply"), false);
    refhost::Database& db = set.db();
    if (db.readOnly()) {
        fail(kExitUsage, QStringLiteral("账套 %1 只能读取 (%2), 不能套用参数。")
                             .arg(db.location(), db.readOnlyReason()));
    }
    int code = kExitDone;
    try {
        db.transaction([&] { applyInTransaction(set, file, o, dryRun); });
    } catch (const Discard& d) {
        code = d.code;
    } catch (const HostError& error) {
        // The set could not be written (another process holds it): nothing was.
        fail(kExitNotCompleted,
             QStringLiteral("套用没有完成, 账套没有写入任何内容: %1").arg(reported(error)));
    }
    return code;
}

// ----- audit --------------------------------------------------------------------

QString oneLine(const QString& text) {
    QString t = text;
    t.replace(u'\t', QStringLiteral("\\t")).replace(u'\n', QStringLiteral("\\n"));
    return t;
}

// A time of --since or --until as the audit compares it; a bad one ends the
// command.
QString auditTime(const QCommandLineParser& parser, const QString& option) {
    if (!parser.isSet(option)) return QString();
    const QString text = parser.value(option).trimmed();
    if (!QDate::fromString(text, QStringLiteral("yyyy-MM-dd")).isValid() &&
        !QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid()) {
        fail(kExitUsage,
             QStringLiteral("--%1 的日期 %2 不对, 应写成 yyyy-MM-dd 或 yyyy-MM-dd HH:mm:ss。")
                 .arg(option, text));
    }
    return text;
}

QString writerOf(const refhost::AuditRow& r) {
    return r.userName.isEmpty() ? QString::number(r.userId) : r.userName;
}

// One object a line, its fields always there and in this order; none (no
// old value, no new one, no save) is null.
QString auditJson(const refhost::AuditRow& r) {
    auto text = [](const std::optional<QString>& v) {
        return v ? quoted(*v) : QStringLiteral("null");
    };
    const std::pair<const char*, QString> fields[] = {
        {"time", quoted(r.time)},
        {"user", quoted(writerOf(r))},
        {"machine", quoted(r.machine)},
        {"address", quoted(r.address)},
        {"program", quoted(r.program)},
        {"category", quoted(r.category)},
        {"key", quoted(r.key)},
        {"old", text(r.before)},
        {"new", text(r.after)},
        {"save", r.saveId ? QString::number(r.saveId) : QStringLiteral("null")}};
    QStringList parts;
    for (const auto& [name, value] : fields) {
        parts << QStringLiteral("\"%1\": %2").arg(QLatin1String(name), value);
    }
    return u'{' + parts.join(QStringLiteral(", ")) + u'}';
}

void printAudit(const QList<refhost::AuditRow>& rows, bool json) {
    if (json) {
        for (const refhost::AuditRow& r : rows) say(auditJson(r));
        return;
    }
    say(QStringList{QStringLiteral("时间"), QStringLiteral("用户"), QStringLiteral("计算机"),
                    QStringLiteral("IP地址"), QStringLiteral("程序"), QStringLiteral("类别"),
                    QStringLiteral("名称"), QStringLiteral("原值"), QStringLiteral("新值"),
                    QStringLiteral("保存")}
            .join(u'\t'));
    for (const refhost::AuditRow& r : rows) {
        say(QStringList{r.time, writerOf(r), r.machine, r.address, r.program, r.category,
                        oneLine(r.key), auditValue(r.before), auditValue(r.after),
                        r.saveId ? QString::number(r.saveId) : QString()}
                .join(u'\t'));
    }
}

// Here --user chooses whose writes are listed, as an administrator asks;
// who reads them logs in with --login.
void addAuditOptions(QCommandLineParser& parser) {
    parser.addOption(dbOption(QStringLiteral("账套: 账套文件或 postgresql:// 地址 (默认 %1)。")));
    parser.addOption({QStringLiteral("login"),
                      QStringLiteral("登录用户 (默认 administrator); 须有查看系统参数的权限。"),
                      QStringLiteral("NAME")});
    parser.addOption(installOption());
    parser.addHelpOption();
    const QString time = QStringLiteral("(yyyy-MM-dd 或 yyyy-MM-dd HH:mm:ss)");
    parser.addOption({QStringLiteral("since"),
                      QStringLiteral("只列出这个时间及以后的记录 %1。").arg(time),
                      QStringLiteral("DATE")});
    parser.addOption(
        {QStringLiteral("until"),
         QStringLiteral("只列出到这个时间为止的记录, 只给日期时含这一整天 %1。").arg(time),
         QStringLiteral("DATE")});
    parser.addOption({QStringLiteral("key"),
                      QStringLiteral("只列出这个参数 (名称或 类别/名称, 不分大小写) 的记录。"),
                      QStringLiteral("KEY")});
    parser.addOption({QStringLiteral("user"),
                      QStringLiteral("只列出这个用户写入的记录 (不分大小写)。"),
                      QStringLiteral("NAME")});
    parser.addOption({QStringLiteral("json"),
                      QStringLiteral("每条记录写成一行 JSON: time, user, machine, address, "
                                     "program, category, key, old, new, save。")});
}

int runAudit(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "列出宿主记录的每一次参数写入, 以及保存改动的账套登记和物料属性: 时间、用户、\n"
        "计算机、IP 地址、程序、类别、名称、原值和新值 (无: 原来没有或已删除)。\n"
        "退出码: 0 完成, 1 登录用户不能查看系统参数, 2 参数错误或账套无法使用。"));
    addAuditOptions(parser);
    parse(parser, args, 0, 0);
    Account o = accountOf(parser);
    o.user = parser.isSet(QStringLiteral("login")) ? parser.value(QStringLiteral("login"))
                                                   : QStringLiteral("administrator");
    refhost::AuditFilter filter;
    filter.since = auditTime(parser, QStringLiteral("since"));
    filter.until = auditTime(parser, QStringLiteral("until"));
    filter.key = parser.value(QStringLiteral("key")).trimmed();
    filter.user = parser.value(QStringLiteral("user")).trimmed();
    AccountSet set(o, QStringLiteral("systemsetting audit"), true);
    set.requireViewRight();
    const QList<refhost::AuditRow> rows = refhost::readAudit(set.db(), filter);
    printAudit(rows, parser.isSet(QStringLiteral("json")));
    complain(QStringLiteral("%1 条记录。").arg(rows.size()));
    return kExitDone;
}

}  // namespace

std::optional<int> runParameterCommand(int argc, char* argv[]) {
    if (argc < 2) return std::nullopt;
    const QString command = QString::fromLocal8Bit(argv[1]);
    using Runner = int (*)(const QStringList&);
    Runner run = nullptr;
    if (command == QLatin1String("export")) run = &runExport;
    if (command == QLatin1String("diff")) run = &runDiff;
    if (command == QLatin1String("apply")) run = &runApply;
    if (command == QLatin1String("audit")) run = &runAudit;
    if (!run) return std::nullopt;

    // These commands never show a window: the dialog works hidden, boxes are
    // answered by the command.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("systemsetting"));
    refhost::installChineseTranslations();
    QStringList args = QApplication::arguments();
    args.removeAt(1);  // the command; the parser takes the program's name first
    args[0] += u' ' + command;
    try {
        return run(args);
    } catch (const Exit& exit) {
        return exit.code;
    }
}

}  // namespace app
