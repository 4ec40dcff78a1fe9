#pragma once

// The host's audit of writes: every write of a parameter and every cell of
// the account-set register and item-master rows a save changes, with the
// server's time, the user, the machine, its address and the program that
// wrote it, in t_SystemProfile_Audit. It is the host's own record, beside
// the component's change log of watched parameters, which it never touches.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace refhost {

class Database;
class RefHost;

// The program that writes now: the host's program and, while a modal window
// is open (the parameter dialog, the closing options), its system name:
// "systemsetting/frmICSystemProfiles".
QString writingProgram(const RefHost& host);

// Writes one parameter and its audit row as one: the row records the text
// stored before (none when the parameter did not exist) and the text
// written. Refused while the host is read-only.
void auditedProfileWrite(RefHost& host, const QString& category, const QString& key,
                         const QString& text, bool readOnly);

// The rows of a table whose cells a statement may change, by the columns
// that name a row and the columns that are recorded.
struct AuditedTable {
    QString table;
    QStringList keyColumns;
    QStringList valueColumns;
};
// Runs `write` and records every recorded cell of `table` that it changed,
// as category = the table and key = "Column[Key=value,...]". A row that
// appears has no old value, a row that goes has no new one.
void auditedRowsWrite(RefHost& host, const AuditedTable& table, const std::function<void()>& write);

// One row of the audit, as `readAudit` lists it.
struct AuditRow {
    qint64 id = 0;
    QString time;
    qint32 userId = 0;
    QString userName;
    QString machine;
    QString address;
    QString program;
    QString category;
    QString key;
    std::optional<QString> before;
    std::optional<QString> after;
};
struct AuditFilter {
    QString since;  // "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss"; empty: from the start
    QString until;  // the same; the day or second named is included; empty: to the end
    QString key;    // a key, or "Category/Key"; compared without regard to case
    QString user;   // the user who wrote, without regard to case; empty: every user
    qint64 afterId = 0;
};
// The audit rows that pass the filter, oldest first.
QList<AuditRow> readAudit(Database& db, const AuditFilter& filter = {});

}  // namespace refhost
