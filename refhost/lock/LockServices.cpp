#include "lock/LockServices.h"

#include <QCoreApplication>
#include <optional>

#include "lock/FunctionLock.h"
#include "lock/NetControl.h"
#include "services/RefHost.h"
#include "zx/host/Services.h"

namespace refhost {

namespace {

// The function the lock last refused in this process: TaskExec only answers
// 0, and the message the user then sees is to say who holds it.
std::optional<FunctionKey>& lastRefused() {
    static std::optional<FunctionKey> key;
    return key;
}

// The mode argument (3) and the task id are accepted and not used: the lock
// is decided by the function code and the period alone.
class LockFront {
public:
    LockFront(RefHost* host, std::shared_ptr<FunctionLock> lock)
        : host_(host), lock_(std::move(lock)) {}

    QVariant exec(const QString& functionCode, const QString& machineName, qint16 year,
                  qint16 period) {
        QString address;
        host_->ReadTcp(QString(), address);
        const LockHolder holder{machineName, host_->user().id, QCoreApplication::applicationPid(),
                                address};
        const FunctionKey key{functionCode, year, period};
        const qint32 handle = lock_->tryAcquire(key, holder);
        lastRefused() = handle < 1 ? std::optional<FunctionKey>(key) : std::nullopt;
        return QVariant(handle);
    }

    bool commit(qint32 handle) { return lock_->release(handle); }

    RefHost& host() { return *host_; }

private:
    RefHost* host_;
    std::shared_ptr<FunctionLock> lock_;
};

class RefNetMutex final : public zx::host::NetMutex {
public:
    RefNetMutex(RefHost* host, std::shared_ptr<FunctionLock> lock)
        : front_(host, std::move(lock)) {}

    QVariant TaskExec(const QString& props, qint32 taskId, const QString& functionCode,
                      const QString& machineName, qint16 mode, qint16 year, qint16 period,
                      std::optional<QVariant> extra) override {
        front_.host().checkProps(props, QStringLiteral("NetMutex.TaskExec"));
        return front_.exec(functionCode, machineName, year, period);
    }

    bool CommitTask(const QString& props, qint32 handle) override {
        front_.host().checkProps(props, QStringLiteral("NetMutex.CommitTask"));
        return front_.commit(handle);
    }

private:
    LockFront front_;
};

class RefLoginObject final : public zx::host::LoginObject {
public:
    RefLoginObject(RefHost* host, std::shared_ptr<FunctionLock> lock)
        : front_(host, std::move(lock)) {}

    QVariant TaskExec(qint32 taskId, const QString& functionCode, const QString& machineName,
                      qint16 mode, qint16 year, qint16 period,
                      std::optional<QVariant> extra) override {
        return front_.exec(functionCode, machineName, year, period);
    }

    bool CommitTask(qint32 handle) override { return front_.commit(handle); }

private:
    LockFront front_;
};

}  // namespace

QString describeError(RefHost& host, const zx::host::HostError& error) {
    if (error.number() != kLockRefusedError || !lastRefused() ||
        error.source() != QLatin1String("MNetControl.ExecFunc")) {
        return error.description();
    }
    try {
        return NetControl::inUse(host, *lastRefused());
    } catch (const zx::host::HostError&) {
        return error.description();  // who holds it cannot be told: the component's words
    }
}

void installLockServices(RefHost& host, bool withLoginObject) {
    const std::shared_ptr<FunctionLock> lock = functionLockFor(host.sharedDb());
    RefHost* const owner = &host;  // the host owns the factory and the login object
    host.registerFactory(QString::fromLatin1(zx::host::NetMutex::classId),
                         [owner, lock]() -> zx::host::ServicePtr {
                             return std::make_shared<RefNetMutex>(owner, lock);
                         });
    if (withLoginObject) host.setLoginObject(std::make_shared<RefLoginObject>(owner, lock));
}

}  // namespace refhost
