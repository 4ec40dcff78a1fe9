#pragma once

// What the database drivers report, said in the user's words: what failed
// and what it means for the account set's data. The driver's own text goes
// into the error's details, never into its message.

#include <QSqlError>
#include <QString>

#include "zx/host/HostError.h"

namespace refhost {

// The driver's own words for an error.
QString driverText(const QSqlError& error);

// Why a statement failed, in the user's words; empty when the code tells
// nothing more than "the database refused".
QString statementReason(const QString& nativeCode, bool onServer, const QString& text);

// Why a connection could not be made, in the user's words.
QString connectReason(const QSqlError& error, bool onServer);

// A statement the database refused. `inUnit`: it ran inside a unit of
// writes, which its error undoes as a whole.
zx::host::HostError statementError(qint32 number, const QString& source, const QString& nativeCode,
                                   const QString& text, const QString& sql, bool onServer,
                                   bool inUnit);
zx::host::HostError statementError(qint32 number, const QString& source, const QSqlError& error,
                                   const QString& sql, bool onServer, bool inUnit);

// "数据库的说明: ..." for the details of an error.
QString detailsOf(const QString& driverText);

}  // namespace refhost
