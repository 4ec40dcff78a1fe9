// systemsetting revert SAVE: puts back, key by key, what one save replaced,
// as a save of its own. The host's audit says what the save found and left;
// a key changed again since is another user's decision and stays.

#include "Revert.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <memory>

#include "CommandLine.h"
#include "demo/Demo.h"
#include "lock/LockServices.h"
#include "services/Audit.h"
#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/session/MNetControl.h"
#include "zx/session/Session.h"
#include "zx/store/Followers.h"
#include "zx/store/Store.h"

namespace app {

namespace {

using refhost::AuditRow;
using zx::host::HostError;

// Ends the command with its code; its messages have been printed.
struct Exit {
    int code;
};

void say(const QString& text) {
    printLine(stdout, text);
}
[[noreturn]] void fail(int code, const QString& text) {
    printLine(stderr, text);
    throw Exit{code};
}

QString quoted(const std::optional<QString>& text) {
    if (!text) return QStringLiteral("(无)");
    const QByteArray json = QJsonDocument(QJsonArray{*text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

// The keys a module's one-way start writes. A start stays: the ledger's also
// starts payroll and fixed assets on its calendar, so in a save that started
// the ledger those keys belong to the start too.
const char* const kStartKeys[] = {"GL/StartYear",        "GL/StartPeriod",     "GL/CurrentYear",
                                  "GL/CurrentPeriod",    "GL/Closed",          "IC/StartYear",
                                  "IC/StartPeriod",      "IC/CurrentYear",     "IC/CurrentPeriod",
                                  "CN/CN_START_YEAR",    "CN/CN_START_PERIOD", "CN/CN_CURRENT_YEAR",
                                  "CN/CN_CURRENT_PERIOD"};
const char* const kLedgerStartKeys[] = {
    "PA/CurrentYear",    "PA/CurrentPeriod",     "PA/StartYear",   "PA/StartPeriod",
    "FA/YearDifference", "FA/CheckBeforeClosed", "FA/StartYear",   "FA/StartPeriod",
    "FA/PeriodCount",    "FA/PeriodByMonth",     "FA/PeriodDates", "FA/Closed",
    "FA/NoVoucher",      "FA/FALinkedGL",        "FA/NoDepr",      "FA/WithoutDepr",
    "FA/CurrentYear",    "FA/CurrentPeriod",     "FA/StartDate"};

QString idOf(const QString& category, const QString& key) {
    return (category + u'/' + key).toLower();
}

bool listed(const char* const* begin, const char* const* end, const QString& id) {
    return std::any_of(begin, end,
                       [&id](const char* k) { return QString::fromLatin1(k).toLower() == id; });
}

// One key the save wrote: what it found before its first write and what it
// left after its last.
struct Change {
    QString category;
    QString key;
    std::optional<QString> before;
    std::optional<QString> after;
    qint64 lastRow = 0;
    bool isCell = false;  // a cell of the register or the item master
};

// What becomes of one key.
enum class Fate { Restore, Unchanged, Start, Follows, ChangedAgain };

struct Step {
    Change change;
    Fate fate = Fate::Restore;
    QString why;  // for a key changed again: by whom
};

struct Plan {
    QList<Step> steps;
    bool startedLedger = false;
    int count(Fate fate) const {
        return int(std::count_if(steps.begin(), steps.end(),
                                 [fate](const Step& s) { return s.fate == fate; }));
    }
};

QList<Change> changesOf(const QList<AuditRow>& rows) {
    QList<Change> out;
    QHash<QString, qsizetype> index;
    for (const AuditRow& r : rows) {
        const QString id = idOf(r.category, r.key);
        const auto found = index.constFind(id);
        if (found == index.constEnd()) {
            index.insert(id, out.size());
            out << Change{
                r.category, r.key, r.before,
                r.after,    r.id,  r.category.startsWith(QLatin1String("t_"), Qt::CaseInsensitive)};
        } else {
            out[*found].after = r.after;
            out[*found].lastRow = r.id;
        }
    }
    return out;
}

// Who wrote a key after the save, as a line names it.
QString laterWrite(const AuditRow& r) {
    return QStringLiteral("之后 %1 用户 %2 (保存 %3, %4) 改为 %5")
        .arg(r.time, r.userName, r.saveId ? QString::number(r.saveId) : QStringLiteral("-"),
             r.program, quoted(r.after));
}

Fate fateOf(refhost::Database& db, const Change& c, bool startedLedger, QString& why) {
    const QString id = idOf(c.category, c.key);
    if (c.isCell) return Fate::Follows;
    if (c.before == c.after) return Fate::Unchanged;
    if (listed(std::begin(kStartKeys), std::end(kStartKeys), id) ||
        (startedLedger && listed(std::begin(kLedgerStartKeys), std::end(kLedgerStartKeys), id))) {
        return Fate::Start;
    }
    refhost::AuditFilter later;
    later.afterId = c.lastRow;
    later.key = c.category + u'/' + c.key;
    const QList<AuditRow> since = refhost::readAudit(db, later);
    if (!since.isEmpty()) {
        why = laterWrite(since.last());
        return Fate::ChangedAgain;
    }
    const std::optional<QString> now = refhost::readProfile(db, c.category, c.key);
    if (now != c.after) {
        why = QStringLiteral("现在存储的是 %1, 不是这次保存写入的 %2")
                  .arg(quoted(now), quoted(c.after));
        return Fate::ChangedAgain;
    }
    return Fate::Restore;
}

Plan planOf(refhost::Database& db, const QList<AuditRow>& rows) {
    Plan plan;
    for (const AuditRow& r : rows) {
        if (idOf(r.category, r.key) == QLatin1String("gl/closed") &&
            r.after == QStringLiteral("1") && r.before != QStringLiteral("1")) {
            plan.startedLedger = true;
        }
    }
    for (const Change& c : changesOf(rows)) {
        Step step{c, Fate::Restore, {}};
        step.fate = fateOf(db, c, plan.startedLedger, step.why);
        plan.steps << step;
    }
    return plan;
}

QString nameOf(const Change& c) {
    return c.category + u'/' + c.key;
}

void printPlan(const Plan& plan, bool done) {
    const int restoring = plan.count(Fate::Restore);
    say(QStringLiteral("%1 %2 项:")
            .arg(done ? QStringLiteral("已恢复") : QStringLiteral("将恢复"))
            .arg(restoring));
    for (const Step& s : plan.steps) {
        if (s.fate != Fate::Restore) continue;
        QString line = QStringLiteral("  %1: %2 → %3")
                           .arg(nameOf(s.change), quoted(s.change.after), quoted(s.change.before));
        if (!s.change.before) line += QStringLiteral(" (这次保存之前没有这个参数, 删去)");
        say(line);
    }
    if (const int changed = plan.count(Fate::ChangedAgain)) {
        say(QStringLiteral("这次保存之后又被修改、不恢复的 %1 项:").arg(changed));
        for (const Step& s : plan.steps) {
            if (s.fate == Fate::ChangedAgain) {
                say(QStringLiteral("  %1: 这次保存写入 %2, %3")
                        .arg(nameOf(s.change), quoted(s.change.after), s.why));
            }
        }
    }
    if (const int starts = plan.count(Fate::Start)) {
        QStringList keys;
        for (const Step& s : plan.steps) {
            if (s.fate == Fate::Start) keys << nameOf(s.change);
        }
        say(QStringLiteral("模块的启用不能撤销, 这 %1 项保持不变: %2")
                .arg(starts)
                .arg(keys.join(QStringLiteral(", "))));
    }
}

// The account set, its host and the logged-in user, for one revert.
class RevertSet {
public:
    explicit RevertSet(const Account& o) {
        refhost::OpenOptions open;
        open.create = false;
        try {
            db_ = refhost::Database::open(o.db, open);
            if (!refhost::accountSetRegistered(*db_)) {
                fail(kExitUsage, QStringLiteral("%1 中还没有账套数据。").arg(db_->location()));
            }
            if (db_->readOnly()) {
                fail(kExitUsage, QStringLiteral("账套 %1 只能读取 (%2), 不能撤销保存。")
                                     .arg(db_->location(), db_->readOnlyReason()));
            }
            host_ = std::make_unique<refhost::RefHost>(db_, refhost::ensureInstallDir(o.install));
            host_->setProgram(QStringLiteral("systemsetting revert"));
            host_->setMessageSink([](const QString& kind, const QString& text) {
                if (kind != QLatin1String("answer")) {
                    printLine(stderr, QStringLiteral("[%1] %2").arg(kindLabel(kind), text));
                }
            });
            host_->setAnswerHook([](const QString&, zx::host::MsgButtons buttons,
                                    zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
                return buttons == zx::host::MsgButtons::Ok ? zx::host::MsgResult::Ok
                                                           : zx::host::MsgResult::No;
            });
            host_->login(o.user);
            refhost::installStandardServices(*host_);
            zx::LoadSessionProps(zx::GetPropsString());
        } catch (const HostError& error) {
            fail(kExitUsage, reported(error));
        }
    }
    ~RevertSet() {
        zx::ResetSessionCaches();
        host_.reset();
        db_.reset();
    }
    RevertSet(const RevertSet&) = delete;
    RevertSet& operator=(const RevertSet&) = delete;

    refhost::Database& db() { return *db_; }
    refhost::RefHost& host() { return *host_; }

    // Ends the command unless the user may change the system parameters.
    void requireModifyRight() {
        try {
            auto security = zx::host::createService<zx::host::SecurityInfo>();
            if (security->IsAdministrator(zx::GetPropsString())) return;
            security->AccessCheck(zx::GetPropsString(), 18, 0, 2097152, true,
                                  QStringLiteral("修改"));
        } catch (const HostError& error) {
            fail(kExitNotCompleted, reported(error));
        }
    }

private:
    std::shared_ptr<refhost::Database> db_;
    std::unique_ptr<refhost::RefHost> host_;
};

// Holds the function lock of a save of the parameters for the revert.
class RevertLock {
public:
    explicit RevertLock(RevertSet& set) {
        try {
            auto ledger = zx::GetGLProfile();
            handle_ = zx::MNetControl::ExecFunc(
                0, QStringLiteral("pu08"), zx::store::roundToInt16(ledger->GLGetCurrentYear()),
                zx::store::roundToInt16(ledger->GLGetCurrentPeriod()));
        } catch (const HostError& error) {
            fail(kExitNotCompleted,
                 QStringLiteral("没有撤销: %1").arg(refhost::describeError(set.host(), error)));
        }
    }
    ~RevertLock() { zx::MNetControl::CommitTask(handle_); }
    RevertLock(const RevertLock&) = delete;
    RevertLock& operator=(const RevertLock&) = delete;

private:
    qint32 handle_ = 0;
};

// The values the plan restores, through the host's parameter service as a
// save writes them; the register and the item master follow as they follow
// a save.
void restore(RevertSet& set, const Plan& plan) {
    auto writer = zx::host::createService<zx::host::BaseSystemProfile>();
    for (const Step& s : plan.steps) {
        if (s.fate != Fate::Restore) continue;
        const Change& c = s.change;
        if (c.before) {
            zx::store::writeValue(*writer, c.category, c.key, *c.before);
        } else {
            refhost::auditedProfileRemove(set.host(), c.category, c.key);
        }
        const QString id = idOf(c.category, c.key);
        if (id == QLatin1String("general/companyname")) {
            zx::store::followCompanyName(c.before.value_or(QString()));
        } else if (id == QLatin1String("general/taxrate")) {
            zx::store::followTaxRate(c.before.value_or(QStringLiteral("0")));
        }
    }
}

struct Options {
    Account account;
    qint64 save = 0;
    bool dryRun = false;
    bool force = false;
};

Options parseOptions(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "撤销一次保存 (对话框的保存或 apply): 把那次保存改动的参数逐项恢复为保存前的值,\n"
        "作为一次新的保存写入 (记入审计, 有自己的保存编号, 持有网络功能锁)。保存编号见\n"
        "systemsetting audit。那次保存之后又被修改的参数不恢复; 有这样的参数时命令列出\n"
        "它们并什么也不写, 加 --force 则只恢复其余的参数。模块的启用不能撤销。\n"
        "退出码: 0 完成, 1 被拒绝 (没有这次保存、没有权限、功能被占用、有参数又被修改),\n"
        "2 参数错误或账套无法使用。"));
    parser.addOption(dbOption(QStringLiteral("账套: 账套文件或 postgresql:// 地址 (默认 %1)。")));
    parser.addOption(userOption());
    parser.addOption(installOption());
    parser.addOption(
        {QStringLiteral("dry-run"), QStringLiteral("只列出会恢复的参数, 不写入任何内容。")});
    parser.addOption({QStringLiteral("force"),
                      QStringLiteral("有参数在那次保存之后又被修改时, 仍恢复其余的参数。")});
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("SAVE"),
                                 QStringLiteral("要撤销的保存的编号 (audit 的“保存”列)。"));
    if (!parser.parse(args)) {
        printLine(stderr, QStringLiteral("参数错误: %1").arg(parser.errorText()));
        fail(kExitUsage, parser.helpText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        throw Exit{kExitDone};
    }
    const QStringList positional = parser.positionalArguments();
    Options o{accountOf(parser), 0, parser.isSet(QStringLiteral("dry-run")),
              parser.isSet(QStringLiteral("force"))};
    bool ok = false;
    o.save = positional.size() == 1 ? positional.first().toLongLong(&ok) : 0;
    if (!ok || o.save <= 0) {
        printLine(stderr, positional.size() == 1
                              ? QStringLiteral("保存编号 %1 不是正整数。").arg(positional.first())
                              : QStringLiteral("需要一个保存编号。"));
        fail(kExitUsage, parser.helpText());
    }
    return o;
}

qint64 lastAuditRow(refhost::Database& db) {
    const auto rows =
        db.nativeQuery(QStringLiteral("SELECT COALESCE(MAX(FID), 0) FROM t_SystemProfile_Audit"));
    rows->MoveFirst();
    return rows->Field(0).toLongLong();
}

// Under the lock, in one transaction: the plan made again from what is
// stored now, and the restore; a refusal rolls it all back.
int revertUnderLock(RevertSet& set, const Options& o, const QList<AuditRow>& rows) {
    const RevertLock lock(set);
    refhost::Database& db = set.db();
    qint64 before = 0;
    Plan plan;
    try {
        db.transaction([&] {
            plan = planOf(db, rows);
            if (plan.count(Fate::ChangedAgain) > 0 && !o.force) throw Exit{kExitNotCompleted};
            before = lastAuditRow(db);
            restore(set, plan);
        });
    } catch (const Exit& refused) {
        printPlan(plan, false);
        say(
            QStringLiteral("没有撤销, 账套没有写入任何内容: 有参数在这次保存之后又被修改。"
                           "只恢复其余的参数请加 --force。"));
        return refused.code;
    } catch (const HostError& error) {
        fail(kExitNotCompleted, QStringLiteral("没有撤销, 账套没有写入任何内容: %1")
                                    .arg(refhost::describeError(set.host(), error)));
    }
    printPlan(plan, true);
    refhost::AuditFilter written;
    written.afterId = before;
    const QList<AuditRow> rowsWritten = refhost::readAudit(db, written);
    if (!rowsWritten.isEmpty()) {
        say(QStringLiteral("撤销作为保存 %1 写入。").arg(rowsWritten.first().saveId));
    }
    return kExitDone;
}

int revert(const Options& o) {
    RevertSet set(o.account);
    set.requireModifyRight();
    refhost::AuditFilter filter;
    filter.saveId = o.save;
    const QList<AuditRow> rows = refhost::readAudit(set.db(), filter);
    if (rows.isEmpty()) {
        fail(kExitNotCompleted,
             QStringLiteral("账套 %1 中没有编号为 %2 的保存 (编号见 systemsetting audit)。")
                 .arg(set.db().location())
                 .arg(o.save));
    }
    const AuditRow& first = rows.first();
    say(QStringLiteral("保存 %1: %2 用户 %3 在工作站 %4 上用 %5 写入 %6 项。")
            .arg(o.save)
            .arg(first.time, first.userName, first.machine, first.program)
            .arg(rows.size()));
    if (!o.dryRun) return revertUnderLock(set, o, rows);
    const Plan plan = planOf(set.db(), rows);
    printPlan(plan, false);
    if (plan.count(Fate::ChangedAgain) > 0 && !o.force) {
        say(QStringLiteral("(试运行) 有参数在这次保存之后又被修改: 不加 --force 撤销会被拒绝。"));
        return kExitNotCompleted;
    }
    say(QStringLiteral("(试运行: 没有写入任何内容。)"));
    return kExitDone;
}

}  // namespace

int runRevert(int argc, char* argv[]) {
    // Nothing is shown: messages are printed, questions answered No.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("systemsetting"));
    refhost::installChineseTranslations();
    QStringList args = QApplication::arguments();
    args.removeAt(1);  // the command; the parser takes the program's name first
    try {
        return revert(parseOptions(args));
    } catch (const Exit& exit) {
        return exit.code;
    }
}

}  // namespace app
