// Quoting values into SQL, the leading number of a text, and date pictures.

#include <QtTest>
#include <cmath>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"

class TextConversionsTest : public QObject {
    Q_OBJECT

private slots:
    void sqlQuoting() {
        const QString controls = QString("a\r\nb") + QChar(0) + "c";
        QCOMPARE(zx::SqlText("O'Brien", true, true, false), "'O''Brien'");
        QCOMPARE(zx::SqlText("O'Brien", false, true, false), "O''Brien");
        QCOMPARE(zx::SqlText(QVariant(), true, true, false), "''");
        QCOMPARE(zx::SqlText("  a b  ", true, true, false), "'a b'");
        QCOMPARE(zx::SqlText("  a ", true, false, false), "'  a '");
        QCOMPARE(zx::SqlText(controls, true, true, true), "'abc'");
        QCOMPARE(zx::SqlText(controls, false, true, false), controls);
        QCOMPARE(zx::SqlText("\ta\t", false, true, false), "\ta\t");  // only blanks trimmed

        QCOMPARE(zx::SqlValue("", true, true, true), "Null");
        QCOMPARE(zx::SqlValue(QVariant(), true, true, true), "Null");
        QCOMPARE(zx::SqlValue("   ", true, true, true), "Null");
        QCOMPARE(zx::SqlValue("  ", true, true, false), "'  '");
        QCOMPARE(zx::SqlValue("", true, false, true), "''");
        QCOMPARE(zx::SqlValue(" it's ", false, true, true), "it''s");

        QCOMPARE(zx::SqlQuote(" O'Brien ", true, true), "'O''Brien'");
        QCOMPARE(zx::SqlQuote(" O'Brien ", false, false), " O''Brien ");
        QCOMPARE(zx::SqlQuote("''", true, true), "''''''");
    }

    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        const QList<QPair<QString, double>> cases = {
            {"", 0},
            {"abc", 0},
            {"2", 2},
            {"00", 0},
            {" 0", 0},
            {" 12abc", 12},
            {"\t\n 7", 7},
            {"-3", -3},
            {"+4.5", 4.5},
            {"+", 0},
            {"-", 0},
            {".", 0},
            {"-.", 0},
            {"1.5.3", 1.5},
            {".25", 0.25},
            {"3.", 3},
            {"1e3", 1},
            {"2E2", 2},
            {"1D1", 1},
            {"25e-2", 25},
            {"1 2", 1},
            {"1,000", 1},
            {"- 3", 0},
            {"--3", 0},
            {"\r5", 0},
            {"１", 0},
            {"&H1", 0},
            {"&O17", 0},
            {"17.00", 17},
            {"17.5", 17.5},
            {"-0", 0},
            {"1234.56元", 1234.56},
            {"0000000000000000000000012.5000000000000000000000", 12.5},
        };
        for (const auto& [text, expected] : cases) {
            QTest::addRow("\"%s\"", qPrintable(text)) << text << expected;
        }
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const double result = zx::Val(text);
        QCOMPARE(result, expected);
        QVERIFY(!std::signbit(result) || expected < 0);  // no "-0" reaches SQL
    }

    void valOverflowRaises() {
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, zx::Val(QString(400, u'9')));
        QCOMPARE(zx::Val("99999999999"), 99999999999.0);  // a double holds it; boxes decide
    }

    void formatDateTime() {
        const QDateTime tuesday(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(zx::FormatDateTime(tuesday, "YYYY-MM-DD HH:MM:SS"), "2024-03-05 14:07:09");
        QCOMPARE(zx::FormatDateTime(tuesday, "yyyy-mm-dd"), "2024-03-05");
        QCOMPARE(zx::FormatDateTime(tuesday, "yy/m/d h:n:s"), "24/3/5 14:7:9");
        QCOMPARE(zx::FormatDateTime(tuesday, "mm:ss"), "07:09");  // minutes before seconds
        QCOMPARE(zx::FormatDateTime(tuesday, "hh:mm AM/PM"), "02:07 PM");
        QCOMPARE(zx::FormatDateTime(tuesday, "yyyy\"年\"m\"月\""), "2024年3月");
        QCOMPARE(zx::FormatDateTime(tuesday, "\\d=d q y w"), "d=5 1 65 3");

        // Weeks start on Sunday, week 1 holds 1 January (a Saturday in 2022).
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 1, 1), QTime()), "ww"), "1");
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 1, 2), QTime()), "ww"), "2");
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 12, 31), QTime()), "ww"), "53");
    }
};

QTEST_GUILESS_MAIN(TextConversionsTest)
#include "test_text_conversions.moc"
