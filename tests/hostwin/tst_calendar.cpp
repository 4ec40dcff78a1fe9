// The period calendar as the set-up window builds it: the rows of
// t_perioddate, the four GL parameters and the refusals that change nothing.

#include <QTest>

#include "DemoSet.h"
#include "PeriodRows.h"
#include "windows/PeriodSetup.h"
#include "zx/host/HostError.h"

using refhost::PeriodCalendar;

Q_DECLARE_METATYPE(PeriodCalendar)

namespace {

PeriodCalendar rule(int count, std::optional<QDate> start, int firstYear, int years) {
    PeriodCalendar c;
    c.periodCount = count;
    c.firstStart = start;
    c.firstYear = firstYear;
    c.years = years;
    return c;
}

}  // namespace

class CalendarTest : public QObject {
    Q_OBJECT

private slots:
    // Built rows replace the demo's 2024 to 2027, run on day after day, and
    // the window opens on what was built last.
    void buildsAndReadsBack_data() {
        QTest::addColumn<PeriodCalendar>("calendar");
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<QStringList>("spots");  // "row first-day last-day"
        QTest::addColumn<QString>("params");
        QTest::newRow("natural 12")
            << rule(12, std::nullopt, 2025, 2) << 24
            << QStringList{"0 2025-01-01 2025-01-31", "1 2025-02-01 2025-02-28",
                           "23 2026-12-01 2026-12-31"}
            << "PeriodCount=12;PeriodByMonth=1;PeriodDates=12;YearDifference=0";
        // Four-week periods; the 13th takes what is left, 30 days in a year
        // that holds 29 February.
        QTest::newRow("13 from a chosen day")
            << rule(13, QDate(2023, 10, 1), 2024, 2) << 26
            << QStringList{"0 2023-10-01 2023-10-28", "1 2023-10-29 2023-11-25",
                           "12 2024-09-01 2024-09-30", "13 2024-10-01 2024-10-28",
                           "25 2025-09-02 2025-09-30"}
            << "PeriodCount=13;PeriodByMonth=0;PeriodDates=13,2023-10-01;YearDifference=1";
        // A start on a day that short months lack is kept for the later months.
        QTest::newRow("from the last day of a month")
            << rule(12, QDate(2024, 1, 31), 2024, 2) << 24
            << QStringList{"1 2024-02-29 2024-03-30", "2 2024-03-31 2024-04-29",
                           "3 2024-04-30 2024-05-30", "13 2025-02-28 2025-03-30",
                           "23 2025-12-31 2026-01-30"}
            << "PeriodCount=12;PeriodByMonth=0;PeriodDates=12,2024-01-31;YearDifference=0";
        QTest::newRow("natural 13")
            << rule(13, std::nullopt, 2025, 3) << 39 << QStringList() << QString();
        QTest::newRow("fiscal 12")
            << rule(12, QDate(2024, 4, 1), 2024, 10) << 120 << QStringList() << QString();
        QTest::newRow("fiscal 13 named after its end")
            << rule(13, QDate(2023, 7, 3), 2024, 1) << 13 << QStringList() << QString();
    }
    void buildsAndReadsBack() {
        QFETCH(PeriodCalendar, calendar);
        QFETCH(int, rowCount);
        QFETCH(QStringList, spots);
        QFETCH(QString, params);
        DemoSet set;
        refhost::buildPeriodCalendar(*set.db, calendar);

        const auto rows = periodRows(*set.db);
        QCOMPARE(rows.size(), rowCount);
        verifyContiguous(rows, calendar.periodCount);
        QCOMPARE(rows.first().year, calendar.firstYear);
        QCOMPARE(rows.last().year, calendar.firstYear + calendar.years - 1);
        for (const QString& spot : spots) {
            const QStringList s = spot.split(' ');
            const PeriodRow& row = rows.at(s[0].toInt());
            QCOMPARE(row.start.toString(Qt::ISODate) + ' ' + row.end.toString(Qt::ISODate),
                     s[1] + ' ' + s[2]);
        }
        if (!params.isEmpty()) QCOMPARE(calendarParams(*set.db), params);

        const PeriodCalendar back = refhost::storedCalendar(*set.db);
        QCOMPARE(back.periodCount, calendar.periodCount);
        QCOMPARE(back.firstStart, calendar.firstStart);
        QCOMPARE(back.firstYear, calendar.firstYear);
        QCOMPARE(back.years, calendar.years);
    }

    void refusalsChangeNothing_data() {
        QTest::addColumn<PeriodCalendar>("calendar");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("message");
        QTest::newRow("11 periods") << rule(11, std::nullopt, 2024, 1) << false << "12或13";
        QTest::newRow("51 years") << rule(12, std::nullopt, 2024, 51) << false << "1到50";
        QTest::newRow("start two years early")
            << rule(12, QDate(2022, 12, 31), 2024, 1) << false << "相差超过一年";
        QTest::newRow("ledger started") << rule(13, std::nullopt, 2024, 1) << true << "已经启用";
    }
    void refusalsChangeNothing() {
        QFETCH(PeriodCalendar, calendar);
        QFETCH(bool, started);
        QFETCH(QString, message);
        DemoSet set;
        if (started) setGlParam(*set.db, "Closed", "1");
        const QString params = calendarParams(*set.db);
        try {
            refhost::buildPeriodCalendar(*set.db, calendar);
            QFAIL("the calendar was built");
        } catch (const zx::host::HostError& error) {
            QVERIFY2(error.description().contains(message), qPrintable(error.description()));
        }
        const auto rows = periodRows(*set.db);
        QCOMPARE(rows.size(), 48);
        QCOMPARE(rows.first().start, QDate(2024, 1, 1));
        QCOMPARE(calendarParams(*set.db), params);

        // Stored dates that are not of the form read as no calendar.
        for (const char* text : {"", "14", "12,2024-13-01", "12,2024-01-01,x", "twelve"}) {
            int count = 0;
            std::optional<QDate> start;
            QVERIFY2(!refhost::readPeriodDates(QString::fromLatin1(text), count, start), text);
        }
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "tst_calendar.moc"
