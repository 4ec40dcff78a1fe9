#pragma once

#include <QProcess>
#include <QString>

#include "ProcessLines.h"

// The writeholder helper: another process holding the account set's write
// lock for as long as this object lives (or until release()).
class WriteHolder {
public:
    explicit WriteHolder(const QString& location) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ZX_WRITEHOLDER_PATH), {location});
        holding_ = process_.waitForStarted(20000) && readLine() == QLatin1String("HOLDING");
    }
    ~WriteHolder() {
        release();
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(20000);
        }
    }
    WriteHolder(const WriteHolder&) = delete;
    WriteHolder& operator=(const WriteHolder&) = delete;

    bool holding() const { return holding_; }

    // Commits the holder's transaction; true when it did.
    bool release() {
        if (!holding_) return false;
        holding_ = false;
        process_.write("release\n");
        const bool released = readLine() == QLatin1String("RELEASED");
        return process_.waitForFinished(20000) && released;
    }

private:
    QString readLine() { return zxtest::nextLine(process_, 20000); }

    QProcess process_;
    bool holding_ = false;
};
