#pragma once

// A function lock held by another process (the lock tests' helper), and the
// lock as this process takes it, on a DemoSet's account set.

#include <signal.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <functional>

#include "DemoSet.h"
#include "zx/host/Services.h"

// "pu08" of a period, held by the helper process logged in as `user`.
class Holder {
public:
    Holder(const DemoSet& set, int year, int period, const QString& user) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ZX_LOCKHOLDER_PATH),
                       {set.location(), QString::number(year), QString::number(period), user});
        if (process_.waitForStarted(30000)) locked_ = readLine().startsWith(u"LOCKED ");
    }
    ~Holder() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(30000);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool locked() const { return locked_; }
    qint64 pid() const { return process_.processId(); }

    // Dies without a chance to give anything back.
    bool killHard() {
        ::kill(pid_t(process_.processId()), SIGKILL);
        return process_.waitForFinished(30000);
    }

    // Gives the lock back and ends; the helper's last line.
    QString commit() {
        process_.write("commit\n");
        const QString line = readLine();
        process_.waitForFinished(30000);
        return line;
    }

private:
    QString readLine() {
        const QDeadlineTimer deadline(30000);
        while (!process_.canReadLine()) {
            if (deadline.hasExpired() ||
                !process_.waitForReadyRead(int(deadline.remainingTime()))) {
                return QString();
            }
        }
        return QString::fromLocal8Bit(process_.readLine()).trimmed();
    }

    QProcess process_;
    bool locked_ = false;
};

// Takes "pu08" of a period in this process: a handle, or 0 when refused.
inline qint32 takeHere(DemoSet& set, int year, int period) {
    return zx::host::createObject<zx::host::NetMutex>()
        ->TaskExec(set.host->propsString(), 0, QStringLiteral("pu08"), QStringLiteral("HERE"), 3,
                   qint16(year), qint16(period), std::nullopt)
        .toInt();
}

inline bool commitHere(DemoSet& set, qint32 handle) {
    return zx::host::createObject<zx::host::NetMutex>()->CommitTask(set.host->propsString(),
                                                                    handle);
}

// A holder that is gone: the row it left in t_NetLock, with no lock behind it.
inline void leaveRecord(DemoSet& set, int year, int period, const QString& machine,
                        const QString& token) {
    set.db->nativeExec(
        QStringLiteral("INSERT INTO t_NetLock (FFuncCode, FYear, FPeriod, FMachineName, FUserID, "
                       "FPid, FSince, FIpAddress, FSession, FToken) VALUES ('pu08', ?, ?, ?, "
                       "(SELECT FUserID FROM t_User WHERE FName = 'editor'), 1, "
                       "'2020-01-01 08:00:00', '10.0.0.9', 0, ?)"),
        {year, period, machine, token});
}

// Waits up to 20 s for a condition that another process brings about.
inline bool eventually(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(20000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}
