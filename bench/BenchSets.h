#pragma once

// The account sets a benchmark measures: a fresh SQLite file, then, when a
// server is given, a throwaway database on it that is dropped afterwards.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <memory>

#include "demo/Demo.h"
#include "sql/Database.h"
#include "sql/PgUrl.h"
#include "zx/host/HostError.h"

using Measure = std::function<void(std::shared_ptr<refhost::Database>, const QString& install)>;

// Runs `measure` on each set; `between` runs before the server's. Returns the
// exit code: 1 with the message when a set could not be made or measured.
// `serverArgument` names where the server URL comes from, for the note when
// none is given.
inline int onEachBackend(const QString& server, const char* serverArgument, const Measure& measure,
                         const std::function<void()>& between = {}) {
    QTemporaryDir dir;
    const QString install = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
    QString created;
    try {
        measure(refhost::Database::openSqlite(dir.filePath(QStringLiteral("bench.zxdb"))), install);
        if (server.isEmpty()) {
            std::printf("PostgreSQL: no server given (%s or ZX_TEST_PG)\n", serverArgument);
            return 0;
        }
        if (between) between();
        const QString name = QStringLiteral("zx_bench_%1").arg(QCoreApplication::applicationPid());
        refhost::createPgDatabase(server, name);
        created = name;
        measure(refhost::Database::openPostgres(
                    refhost::PgUrl::parse(server).withDatabase(name).toString(true)),
                install);
        created.clear();
        refhost::dropPgDatabase(server, name);
    } catch (const zx::host::HostError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        // The throwaway database goes, whatever stopped the measure.
        if (!created.isEmpty()) refhost::dropPgDatabase(server, created);
        return 1;
    }
    return 0;
}
