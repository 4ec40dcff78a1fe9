#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "demo/Demo.h"
#include "services/RefHost.h"
#include "services/Standard.h"
#include "sql/Database.h"

// An account set in a temporary directory with its host and installation
// directory; the demo data unless asked for an empty set.
struct DemoSet {
    explicit DemoSet(bool demo = true, const QString& user = QString()) {
        db = refhost::Database::openSqlite(dir.filePath(QStringLiteral("set.zxdb")));
        if (demo) refhost::createDemoAccountSet(*db);
        installDir = refhost::ensureInstallDir(dir.filePath(QStringLiteral("install")));
        host = std::make_unique<refhost::RefHost>(db, installDir);
        refhost::installStandardServices(*host);
        if (!user.isEmpty()) host->login(user);
    }

    int count(const QString& table) {
        return db->nativeQuery(QStringLiteral("SELECT COUNT(*) FROM ") + table)->Field(0).toInt();
    }

    QTemporaryDir dir;
    std::shared_ptr<refhost::Database> db;
    QString installDir;
    std::unique_ptr<refhost::RefHost> host;
};
