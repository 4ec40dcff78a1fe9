#include "zx/session/MNetControl.h"

#include <cmath>
#include <limits>

#include "zx/host/Environment.h"
#include "zx/session/Session.h"

namespace zx::MNetControl {

namespace {

// The lock mode the host's network control expects from this component.
constexpr qint16 kLockMode = 3;
// The size of the buffer the system reads the computer name into.
constexpr int kNameBuffer = 40;

qint32 g_lockHandle = 0;

// The host answers with a number; anything else counts as a refusal.
qint32 handleOf(const QVariant& result) {
    bool ok = false;
    const double value = std::nearbyint(result.toDouble(&ok));
    if (!ok || !(value >= 1)) return 0;
    return value > double(std::numeric_limits<qint32>::max()) ? 0 : qint32(value);
}

}  // namespace

qint32 ExecFunc(qint32 taskId, const QString& functionCode, qint16 year, qint16 period,
                std::optional<QVariant> extra) {
    const QString machine = GetLockMachineName();
    QVariant result;
    if (auto login = GetLoginObject()) {
        result = login->TaskExec(taskId, functionCode, machine, kLockMode, year, period, extra);
    } else {
        auto mutex = host::createObject<host::NetMutex>();
        result = mutex->TaskExec(GetPropsString(), taskId, functionCode, machine, kLockMode, year,
                                 period, extra);
    }
    const qint32 handle = handleOf(result);
    if (handle < 1) {
        throw host::HostError(
            kConflictError, QStringLiteral("MNetControl.ExecFunc"),
            QStringLiteral("当前使用的功能与当前或其他用户有冲突,可能无法使用! "
                           "请在软件的【系统工具】--【网络控制工具】中进行处理。"));
    }
    return handle;
}

bool CommitTask(qint32& handle) {
    if (handle == 0) return false;
    bool released = false;
    // A failed release keeps the handle so that the next call tries again.
    ignoringErrors("function lock release", [&released, handle] {
        if (auto login = GetLoginObject()) {
            released = login->CommitTask(handle);
        } else {
            released = host::createObject<host::NetMutex>()->CommitTask(GetPropsString(), handle);
        }
    });
    if (released) handle = 0;
    return released;
}

QString GetLockMachineName() {
    QString out = QStringLiteral("NoName");
    ignoringErrors("machine name", [&out] {
        const std::optional<QString> name = host::env().computerName();
        if (!name || name->size() >= kNameBuffer) return;
        const qsizetype nul = name->indexOf(QChar(0));
        out = (nul < 0 ? *name : name->left(nul)).trimmed();
    });
    return out;
}

qint32& LockHandle() {
    return g_lockHandle;
}

}  // namespace zx::MNetControl
