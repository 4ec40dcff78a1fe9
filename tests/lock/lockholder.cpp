// Holds the ledger save's function lock from a process of its own.
// Usage: lockholder <account set file or URL> <year> <period> [user]
// Prints "LOCKED <handle>" (or "REFUSED") and waits for a line on stdin;
// "commit" releases the lock, prints "COMMITTED" and ends.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>
#include <string>

#include "lock/LockServices.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/Services.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5) {
        std::fprintf(stderr, "usage: lockholder <account set> <year> <period> [user]\n");
        return 2;
    }
    try {
        QTemporaryDir install;
        auto db = refhost::Database::open(args.at(1));  // a file or a server URL
        refhost::RefHost host(db, install.path());
        if (args.size() == 5) host.login(args.at(4));
        refhost::installLockServices(host);
        auto mutex = zx::host::createObject<zx::host::NetMutex>();
        const qint32 handle =
            mutex
                ->TaskExec(host.propsString(), 0, QStringLiteral("pu08"), QStringLiteral("HOLDER"),
                           3, qint16(args.at(2).toInt()), qint16(args.at(3).toInt()), std::nullopt)
                .toInt();
        if (handle < 1) {
            std::printf("REFUSED\n");
            std::fflush(stdout);
            return 1;
        }
        std::printf("LOCKED %d\n", handle);
        std::fflush(stdout);

        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "commit") {
                const bool released = mutex->CommitTask(host.propsString(), handle);
                std::printf(released ? "COMMITTED\n" : "NOT COMMITTED\n");
                std::fflush(stdout);
                return released ? 0 : 1;
            }
        }
        return 1;
    } catch (const zx::host::HostError& error) {
        std::fprintf(stderr, "%s\n", error.description().toLocal8Bit().constData());
        return 2;
    }
}
