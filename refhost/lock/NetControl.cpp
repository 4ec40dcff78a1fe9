#include "lock/NetControl.h"

#include <optional>
#include <utility>

#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Environment.h"
#include "zx/host/Services.h"

namespace refhost {

namespace {

constexpr qint16 kParamSubsystem = 18;
constexpr qint32 kModifyRight = 2097152;

QString holderPhrase(const LockRecord& r) {
    return QStringLiteral("用户 %1 (工作站 %2)").arg(r.user(), r.machine);
}

// The functions the programs of this host lock, by code.
const std::pair<QLatin1String, const char*> kFunctionNames[] = {
    {QLatin1String("pu08"), "系统参数保存"},
};

// " 2024年第3期"; nothing before the ledger has a current period.
QString periodText(const FunctionKey& key) {
    if (key.year <= 0) return {};
    return QStringLiteral(" %1年第%2期").arg(key.year).arg(key.period);
}

// Who is working: the user, the workstation with its address, since when.
QString holderAt(const LockRecord& r) {
    return QStringLiteral("用户 %1 在工作站 %2%3 上, 自 %4 起")
        .arg(r.user(), r.machine,
             r.ipAddress.isEmpty() ? QString() : QStringLiteral(" (IP %1)").arg(r.ipAddress),
             r.since);
}

}  // namespace

NetControl::NetControl(RefHost& host) : host_(host), onServer_(host.db().onServer()) {
    const QString props = host_.propsString();
    const QString id = QString::fromLatin1(zx::host::SecurityInfo::classId);
    auto security = zx::host::serviceAs<zx::host::SecurityInfo>(host_.createObject(id), id);
    // The rights service answers false for everybody on a read-only set.
    const bool mayModify =
        security->IsAdministrator(props) ||
        security
            ->AccessCheck(props, kParamSubsystem, 0, kModifyRight, false, QStringLiteral("修改"))
            .toBool();
    if (mayModify) return;
    refusal_ = host_.readOnly()
                   ? QStringLiteral("%1 不能释放网络控制锁, 只能查看。").arg(host_.readOnlyNotice())
                   : QStringLiteral(
                         "您没有\"系统参数\"的修改权限, 只能查看网络控制锁, "
                         "不能释放。请与系统管理员联系。");
}

QList<LockRecord> NetControl::list() {
    return functionLockFor(host_.sharedDb())->records();
}

QString NetControl::functionName(const QString& code) {
    for (const auto& [known, name] : kFunctionNames) {
        if (code.compare(known, Qt::CaseInsensitive) == 0) {
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(name), known);
        }
    }
    return code;
}

QString NetControl::functionText(const LockRecord& r) {
    return functionName(r.key.code) + periodText(r.key);
}

QString NetControl::inUse(RefHost& host, const FunctionKey& key) {
    std::optional<LockRecord> holder;
    for (const LockRecord& r : functionLockFor(host.sharedDb())->records()) {
        if (r.key.code.compare(key.code, Qt::CaseInsensitive) == 0 && r.key.year == key.year &&
            r.key.period == key.period && !r.gone) {
            holder = r;
        }
    }
    const QString function = functionName(key.code) + periodText(key);
    if (!holder) {
        return QStringLiteral(
                   "现在不能保存: 功能 %1 刚才正被另一次保存使用, 现在已经空出。"
                   "请再保存一次。")
            .arg(function);
    }
    const QString who = holder->ownProcess
                            ? QStringLiteral("本程序的另一次保存 (%1)").arg(holderAt(*holder))
                            : holderAt(*holder);
    return QStringLiteral(
               "现在不能保存: 功能 %1 正被使用: %2。请等对方完成后再保存。"
               "对方已不在操作时, 可用命令 systemsetting locks 查看这个锁并释放它。")
        .arg(function, who);
}

QString NetControl::stateText(const LockRecord& r) {
    if (r.gone) return QStringLiteral("已断开");
    return r.ownProcess ? QStringLiteral("本程序使用中") : QStringLiteral("使用中");
}

QString NetControl::liveHolder(const LockRecord& r) const {
    const QString what = onServer_
                             ? QStringLiteral(
                                   "释放将断开该工作站与账套数据库的连接: 它正在进行的保存会中止"
                                   "并报错, 已写入的内容保留, 未保存的输入需重新打开后再做。")
                             : QStringLiteral(
                                   "释放后该工作站仍以为自己持有这个锁: 它正在进行的保存不会被"
                                   "中止, 可能与其他用户随后的保存交错。请先确认对方已不在操作。");
    return QStringLiteral("用户 %1 正在工作站 %2%3 上使用功能 %4, 自 %5 起。\n%6")
        .arg(r.user(), r.machine,
             r.ipAddress.isEmpty() ? QString() : QStringLiteral(" (IP %1)").arg(r.ipAddress),
             functionText(r), r.since, what);
}

QString NetControl::confirmation(const LockRecord& r) const {
    return liveHolder(r) + QStringLiteral("\n确实要释放吗?");
}

NetControl::Result NetControl::release(const LockRecord& record, bool confirmed) {
    Result result;
    if (!refusal_.isEmpty()) {
        result.message = refusal_;
        return result;
    }
    const std::shared_ptr<FunctionLock> lock = functionLockFor(host_.sharedDb());
    result.outcome = lock->breakLock(record, confirmed);
    if (result.outcome == BreakOutcome::Cleared || result.outcome == BreakOutcome::Broken) {
        try {
            removeGoneRecords(*lock, host_.db());
        } catch (const zx::host::HostError&) {
            // The release is done; the other rows are information only.
        }
    }
    const QString function = functionText(record);
    const QString holder = holderPhrase(record);
    switch (result.outcome) {
        case BreakOutcome::Cleared:
            result.released = true;
            result.message = QStringLiteral("已清除功能 %1 的锁: %2 已不在, 留下的登记已删除。")
                                 .arg(function, holder);
            break;
        case BreakOutcome::Broken:
            result.released = true;
            result.message =
                onServer_ ? QStringLiteral("已释放功能 %1 的锁: 结束了%2与账套数据库的连接。")
                                .arg(function, holder)
                          : QStringLiteral(
                                "已释放功能 %1 的锁: %2 持有的锁已作废, "
                                "其他用户现在可以使用该功能。")
                                .arg(function, holder);
            break;
        case BreakOutcome::HolderLive:
            result.message = QStringLiteral("%1 仍在使用功能 %2, 没有释放。确需释放, 请先确认。")
                                 .arg(holder, function);
            break;
        case BreakOutcome::OwnProcess:
            result.message =
                QStringLiteral("功能 %1 的锁由本程序自己持有, 不能在这里释放。").arg(function);
            break;
        case BreakOutcome::NotFound:
            result.message =
                QStringLiteral("功能 %1 的锁已经释放或已换了持有者, 没有做任何改动。请刷新后再看。")
                    .arg(function);
            break;
    }
    return result;
}

}  // namespace refhost
