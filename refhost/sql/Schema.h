#pragma once

#include <QStringList>

namespace refhost {

class Database;
class Dialect;

// The schema version this host creates. Later versions add a step to
// createSchema that migrates an older account set before the version row
// is raised.
// Version 2: t_NetLock records the holder's address, session and grant.
// Version 3: t_SystemProfile_Audit, the host's audit of every parameter
// write (made by the CREATE TABLE IF NOT EXISTS of every opening that writes).
// Its column FSaveID, the save a row belongs to, is made with the table; an
// account set of version 3 made before it gets it at its first audited
// write (addAuditSaveColumn), since opening writes nothing.
inline constexpr int kSchemaVersion = 3;

// Creates every table, index and fixed row of an account set that is
// missing; existing tables and data are left alone, so it runs on every open.
void createSchema(Database& db);

// The statement that makes the audit's index by parameter (category, key,
// in the order written) where it is missing: with the schema, and for a set
// made before it at its first audited write.
QString auditKeyIndex(const Dialect& d);

// The schema version recorded in the account set; 0 when none is (also
// when the database holds no such record at all).
int schemaVersion(Database& db);

// Adds t_SystemProfile_Audit.FSaveID when it is missing; called inside the
// write that needs it.
void addAuditSaveColumn(Database& db);

// The column names of a table, in lower case.
QStringList columnNames(Database& db, const QString& table);

// The tables of the database (of its current schema on a server).
QStringList tableNames(Database& db);

// The stored procedures of an account set that the component calls by
// "Exec": P_ICReplaceCaption. A host may register its own in their place.
void registerStandardProcedures(Database& db);

}  // namespace refhost
