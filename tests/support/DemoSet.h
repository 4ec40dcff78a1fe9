#pragma once

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"
#include "sql/PgUrl.h"

// An account set in a temporary directory with its host and installation
// directory; the demo data unless asked for an empty set.
//
// With ZX_TEST_PG set to a PostgreSQL server's URL (for instance
// "postgresql://postgres@%2Ftmp%2Fpg%2Fsocket:5432"), the account set is a
// fresh database on that server instead of an SQLite file, dropped again with
// the set; the installation directory stays in the temporary directory.
struct DemoSet {
    explicit DemoSet(bool demo = true, const QString& user = QString()) {
        const QString server = qEnvironmentVariable("ZX_TEST_PG");
        if (server.isEmpty()) {
            db = refhost::Database::openSqlite(dir.filePath(QStringLiteral("set.zxdb")));
        } else {
            pgServer = server;
            pgDatabase = QStringLiteral("zx_test_%1_%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate64(), 0, 36);
            refhost::createPgDatabase(pgServer, pgDatabase);
            db = refhost::Database::openPostgres(location());
        }
        if (demo) refhost::createDemoAccountSet(*db);
        installDir = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
        host = std::make_unique<refhost::RefHost>(db, installDir);
        refhost::installStandardServices(*host);
        if (!user.isEmpty()) host->login(user);
    }

    ~DemoSet() {
        host.reset();
        db.reset();
        if (!pgDatabase.isEmpty()) {
            try {
                refhost::dropPgDatabase(pgServer, pgDatabase);
            } catch (const std::exception&) {
                // A leftover database on a throwaway server harms no later test.
            }
        }
    }

    DemoSet(const DemoSet&) = delete;
    DemoSet& operator=(const DemoSet&) = delete;

    // Where another process opens the same account set (Database::open):
    // the SQLite file, or the server database's URL with its password.
    QString location() const {
        if (pgDatabase.isEmpty()) return dir.filePath(QStringLiteral("set.zxdb"));
        return refhost::PgUrl::parse(pgServer).withDatabase(pgDatabase).toString(true);
    }

    int count(const QString& table) {
        return db->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM ") + table)->Field(0).toInt();
    }

    QTemporaryDir dir;
    std::shared_ptr<refhost::Database> db;
    QString installDir;
    std::unique_ptr<refhost::RefHost> host;
    QString pgServer;    // empty for an SQLite account set
    QString pgDatabase;  // the database created for this set
};
