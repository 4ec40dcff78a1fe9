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
    void naturalYearReplacesTheCalendar() {
        DemoSet set;
        refhost::buildPeriodCalendar(*set.db, rule(12, std::nullopt, 2025, 2));

        const auto rows = periodRows(*set.db);
        QCOMPARE(rows.size(), 24);  // the demo's 2024 to 2027 are gone
        verifyContiguous(rows, 12);
        QCOMPARE(rows.first().year, 2025);
        QCOMPARE(rows.first().start, QDate(2025, 1, 1));
        QCOMPARE(rows.at(1).start, QDate(2025, 2, 1));
        QCOMPARE(rows.at(1).end, QDate(2025, 2, 28));
        QCOMPARE(rows.last().year, 2026);
        QCOMPARE(rows.last().end, QDate(2026, 12, 31));
        QCOMPARE(calendarParams(*set.db),
                 QStringLiteral("PeriodCount=12;PeriodByMonth=1;PeriodDates=12;YearDifference=0"));
    }

    void thirteenFourWeekPeriodsFromAChosenDay() {
        DemoSet set;
        refhost::buildPeriodCalendar(*set.db, rule(13, QDate(2023, 10, 1), 2024, 2));

        const auto rows = periodRows(*set.db);
        QCOMPARE(rows.size(), 26);
        verifyContiguous(rows, 13);
        for (int i = 0; i < 12; ++i) QCOMPARE(rows.at(i).start.daysTo(rows.at(i).end), 27);
        QCOMPARE(rows.at(12).start, QDate(2024, 9, 1));
        QCOMPARE(rows.at(12).end, QDate(2024, 9, 30));  // 30 days: the year holds 29 February
        QCOMPARE(rows.at(13).year, 2025);
        QCOMPARE(rows.at(13).start, QDate(2024, 10, 1));
        QCOMPARE(rows.last().start.daysTo(rows.last().end), 28);  // 29 days
        QCOMPARE(calendarParams(*set.db),
                 QStringLiteral(
                     "PeriodCount=13;PeriodByMonth=0;PeriodDates=13,2023-10-01;YearDifference=1"));
    }

    // A start on a day that short months lack is kept for the later months.
    void monthsFromTheLastDayOfAMonth() {
        DemoSet set;
        refhost::buildPeriodCalendar(*set.db, rule(12, QDate(2024, 1, 31), 2024, 2));

        const auto rows = periodRows(*set.db);
        verifyContiguous(rows, 12);
        QCOMPARE(rows.at(1).start, QDate(2024, 2, 29));
        QCOMPARE(rows.at(2).start, QDate(2024, 3, 31));
        QCOMPARE(rows.at(3).start, QDate(2024, 4, 30));
        QCOMPARE(rows.at(13).start, QDate(2025, 2, 28));
        QCOMPARE(rows.last().end, QDate(2026, 1, 30));
        QCOMPARE(glParam(*set.db, QStringLiteral("PeriodByMonth")), QStringLiteral("0"));
        QCOMPARE(glParam(*set.db, QStringLiteral("YearDifference")), QStringLiteral("0"));
    }

    void refusalsChangeNothing_data() {
        QTest::addColumn<PeriodCalendar>("calendar");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("message");
        QTest::newRow("11 periods")
            << rule(11, std::nullopt, 2024, 1) << false << QStringLiteral("12或13");
        QTest::newRow("51 years") << rule(12, std::nullopt, 2024, 51) << false
                                  << QStringLiteral("1到50");
        QTest::newRow("start two years early")
            << rule(12, QDate(2022, 12, 31), 2024, 1) << false << QStringLiteral("相差超过一年");
        QTest::newRow("ledger started")
            << rule(13, std::nullopt, 2024, 1) << true << QStringLiteral("已经启用");
    }
    void refusalsChangeNothing() {
        QFETCH(PeriodCalendar, calendar);
        QFETCH(bool, started);
        QFETCH(QString, message);
        DemoSet set;
        if (started) setGlParam(*set.db, QStringLiteral("Closed"), QStringLiteral("1"));
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
    }

    // The window opens on what was built last.
    void storedCalendarReadsBackWhatWasBuilt_data() {
        QTest::addColumn<PeriodCalendar>("calendar");
        QTest::newRow("natural 13") << rule(13, std::nullopt, 2025, 3);
        QTest::newRow("fiscal 12") << rule(12, QDate(2024, 4, 1), 2024, 10);
        QTest::newRow("fiscal 13 named after its end") << rule(13, QDate(2023, 7, 3), 2024, 1);
    }
    void storedCalendarReadsBackWhatWasBuilt() {
        QFETCH(PeriodCalendar, calendar);
        DemoSet set;
        refhost::buildPeriodCalendar(*set.db, calendar);
        const PeriodCalendar back = refhost::storedCalendar(*set.db);
        QCOMPARE(back.periodCount, calendar.periodCount);
        QCOMPARE(back.firstStart, calendar.firstStart);
        QCOMPARE(back.firstYear, calendar.firstYear);
        QCOMPARE(back.years, calendar.years);
    }

    void periodDatesThatAreNotOfTheForm() {
        for (const char* text : {"", "14", "12,2024-13-01", "12,2024-01-01,x", "twelve"}) {
            int count = 0;
            std::optional<QDate> start;
            QVERIFY2(!refhost::readPeriodDates(QString::fromLatin1(text), count, start), text);
        }
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "tst_calendar.moc"
