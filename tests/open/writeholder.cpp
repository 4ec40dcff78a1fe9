// Holds an account set's write lock from a process of its own, as a save
// stalled half-way would: an open write transaction that has updated the
// general parameters (on a server: row locks and the table's write lock).
// Usage: writeholder <account set file or URL>
// Prints "HOLDING" once the transaction holds the lock, then waits for a line
// on stdin; "release" commits, prints "RELEASED" and ends.

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "sql/Database.h"
#include "zx/host/HostError.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: writeholder <account set>\n");
        return 2;
    }
    try {
        refhost::OpenOptions options;
        options.create = false;
        auto db = refhost::Database::open(args.at(1), options);
        bool released = false;
        db->transaction([&] {
            db->nativeExec(QStringLiteral(
                "UPDATE t_SystemProfile SET FValue = FValue WHERE FCategory = 'General'"));
            std::printf("HOLDING\n");
            std::fflush(stdout);
            std::string line;
            while (std::getline(std::cin, line)) {
                if (line == "release") {
                    released = true;
                    break;
                }
            }
        });
        if (!released) return 1;
        std::printf("RELEASED\n");
        std::fflush(stdout);
        return 0;
    } catch (const zx::host::HostError& error) {
        std::fprintf(stderr, "%s\n", error.description().toLocal8Bit().constData());
        return 2;
    }
}
