#pragma once

// A helper process speaks in lines; a test waits for the next one.

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

namespace zxtest {

// The next line the process writes, trimmed; empty when none comes in time.
inline QString nextLine(QProcess& process, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime()))) {
            return QString();
        }
    }
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

}  // namespace zxtest
