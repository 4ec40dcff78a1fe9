#pragma once

// Reading the account set back: the stored calendar and GL parameters.

#include <QDate>
#include <QList>
#include <QString>
#include <QTest>

#include "sql/Database.h"

struct PeriodRow {
    int year = 0;
    int period = 0;
    QDate start;
    QDate end;
};

inline QList<PeriodRow> periodRows(refhost::Database& db) {
    QList<PeriodRow> out;
    const auto rs = db.nativeQuery(QStringLiteral(
        "SELECT FYear, FPeriod, FStartDate, FEndDate FROM t_perioddate ORDER BY FYear, FPeriod"));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        out.append({rs->Field(0).toInt(), rs->Field(1).toInt(),
                    QDate::fromString(rs->Field(2).toString().left(10), Qt::ISODate),
                    QDate::fromString(rs->Field(3).toString().left(10), Qt::ISODate)});
    }
    return out;
}

// The GL parameter's stored text; a null QString when it does not exist.
inline QString glParam(refhost::Database& db, const QString& key) {
    const auto rs = db.nativeQuery(
        QStringLiteral("SELECT FValue FROM t_SystemProfile WHERE FCategory = 'GL' AND FKey = ?"),
        {key});
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

inline void setGlParam(refhost::Database& db, const QString& key, const QString& value) {
    db.nativeExec(QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
                                 "VALUES ('GL', ?, ?) ON CONFLICT (FCategory, FKey) "
                                 "DO UPDATE SET FValue = excluded.FValue"),
                  {key, value});
}

// The four parameters the period set-up writes, in one comparable text.
inline QString calendarParams(refhost::Database& db) {
    QStringList out;
    for (const char* key : {"PeriodCount", "PeriodByMonth", "PeriodDates", "YearDifference"}) {
        out << QString::fromLatin1(key) + QLatin1Char('=') + glParam(db, QString::fromLatin1(key));
    }
    return out.join(QLatin1Char(';'));
}

// Every period starts the day after the one before it ends, across years, and
// the periods of each year are numbered 1, 2, ... `count`.
inline void verifyContiguous(const QList<PeriodRow>& rows, int count) {
    QVERIFY(!rows.isEmpty());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const PeriodRow& row = rows.at(i);
        QCOMPARE(row.period, int(i % count) + 1);
        QVERIFY2(row.start <= row.end, qPrintable(row.start.toString(Qt::ISODate)));
        if (i > 0) QCOMPARE(row.start, rows.at(i - 1).end.addDays(1));
    }
}
