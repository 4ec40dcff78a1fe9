// Quoting values into SQL, the leading number of a text, and date pictures.

#include <QtTest>
#include <cmath>

#include "zx/host/HostError.h"
#include "zx/session/Session.h"

class TextConversionsTest : public QObject {
    Q_OBJECT

private slots:
    void sqlText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("quote");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<QString>("expected");
        QTest::newRow("apostrophe") << QVariant("O'Brien") << true << true << false << "'O''Brien'";
        QTest::newRow("unquoted") << QVariant("O'Brien") << false << true << false << "O''Brien";
        QTest::newRow("null") << QVariant() << true << true << false << "''";
        QTest::newRow("trim") << QVariant("  a b  ") << true << true << false << "'a b'";
        QTest::newRow("no trim") << QVariant("  a ") << true << false << false << "'  a '";
        QTest::newRow("strip controls")
            << QVariant(QString("a\r\nb") + QChar(0) + "c") << true << true << true << "'abc'";
        QTest::newRow("controls kept") << QVariant("a\r\nb") << false << true << false << "a\r\nb";
        QTest::newRow("tab is data") << QVariant("\ta\t") << false << true << false << "\ta\t";
        QTest::newRow("number") << QVariant(42) << true << true << false << "'42'";
    }
    void sqlText() {
        QFETCH(QVariant, value);
        QFETCH(bool, quote);
        QFETCH(bool, trim);
        QFETCH(bool, strip);
        QFETCH(QString, expected);
        QCOMPARE(zx::SqlText(value, quote, trim, strip), expected);
    }

    void sqlValue_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("quote");
        QTest::addColumn<bool>("nullIfEmpty");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty as Null") << QVariant("") << true << true << true << "Null";
        QTest::newRow("null as Null") << QVariant() << true << true << true << "Null";
        QTest::newRow("blank trimmed to Null") << QVariant("   ") << true << true << true << "Null";
        QTest::newRow("blank kept") << QVariant("  ") << true << true << false << "'  '";
        QTest::newRow("empty quoted") << QVariant("") << true << false << true << "''";
        QTest::newRow("empty unquoted") << QVariant("") << false << false << true << "";
        QTest::newRow("apostrophes") << QVariant(" it's ") << true << true << true << "'it''s'";
    }
    void sqlValue() {
        QFETCH(QVariant, value);
        QFETCH(bool, quote);
        QFETCH(bool, nullIfEmpty);
        QFETCH(bool, trim);
        QFETCH(QString, expected);
        QCOMPARE(zx::SqlValue(value, quote, nullIfEmpty, trim), expected);
    }

    void sqlQuote() {
        QCOMPARE(zx::SqlQuote(" O'Brien ", true, true), QStringLiteral("'O''Brien'"));
        QCOMPARE(zx::SqlQuote(" O'Brien ", false, false), QStringLiteral(" O''Brien "));
        QCOMPARE(zx::SqlQuote("''", true, true), QStringLiteral("''''''"));
        QCOMPARE(zx::SqlQuote("", true, true), QStringLiteral("''"));
    }

    void val_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("digit") << "2" << 2.0;
        QTest::newRow("zeros") << "00" << 0.0;
        QTest::newRow("blank zero") << " 0" << 0.0;
        QTest::newRow("leading blanks") << " 12abc" << 12.0;
        QTest::newRow("tabs and line feeds") << "\t\n 7" << 7.0;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("plus") << "+4.5" << 4.5;
        QTest::newRow("sign alone") << "+" << 0.0;
        QTest::newRow("minus alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("sign point") << "-." << 0.0;
        QTest::newRow("second point stops") << "1.5.3" << 1.5;
        QTest::newRow("fraction only") << ".25" << 0.25;
        QTest::newRow("trailing point") << "3." << 3.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("upper exponent") << "2E2" << 200.0;
        QTest::newRow("D exponent") << "1.5D2" << 150.0;
        QTest::newRow("negative exponent") << "25e-2" << 0.25;
        QTest::newRow("signed exponent") << "1e+2" << 100.0;
        QTest::newRow("bare e") << "1e" << 1.0;
        QTest::newRow("e then sign only") << "1e-" << 1.0;
        QTest::newRow("e then letter") << "5ex" << 5.0;
        QTest::newRow("blank inside stops") << "1 2" << 1.0;
        QTest::newRow("comma stops") << "1,000" << 1.0;
        QTest::newRow("sign then blank") << "- 3" << 0.0;
        QTest::newRow("double sign") << "--3" << 0.0;
        QTest::newRow("carriage return is no blank") << "\r5" << 0.0;
        QTest::newRow("full-width digit") << QString::fromUtf8("１") << 0.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("hex lower") << "&hff" << 255.0;
        QTest::newRow("hex 16-bit wraps") << "&HFFFF" << -1.0;
        QTest::newRow("hex 32-bit") << "&H10000" << 65536.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("hex without digits") << "&H" << 0.0;
        QTest::newRow("ampersand") << "&5" << 0.0;
        QTest::newRow("underflow") << "1e-400" << 0.0;
        QTest::newRow("long mantissa") << "0000000000000000000012.50000000000000000000" << 12.5;
        QTest::newRow("money") << "1234.56元" << 1234.56;
    }
    void val() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        const double result = zx::Val(text);
        QCOMPARE(result, expected);
        QVERIFY(!std::signbit(result) || expected < 0);  // no "-0" reaches SQL
    }

    void valOverflowRaises() {
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, zx::Val("1e400"));
        QVERIFY_THROWS_EXCEPTION(zx::host::HostError, zx::Val("&H123456789"));
    }

    void formatDateTime_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("log stamp") << "YYYY-MM-DD HH:MM:SS"
                                   << "2024-03-05 14:07:09";
        QTest::newRow("date") << "yyyy-mm-dd"
                              << "2024-03-05";
        QTest::newRow("short parts") << "yy/m/d h:n:s"
                                     << "24/3/5 14:7:9";
        QTest::newRow("month before seconds") << "mm:ss"
                                              << "07:09";
        QTest::newRow("twelve hour") << "hh:mm AM/PM"
                                     << "02:07 PM";
        QTest::newRow("quoted literal") << "yyyy\"年\"m\"月\""
                                        << "2024年3月";
        QTest::newRow("escaped letter") << "\\d=d"
                                        << "d=5";
        QTest::newRow("quarter and day of year") << "q y"
                                                 << "1 65";
        QTest::newRow("weekday and week") << "w ww"
                                          << "3 10";
    }
    void formatDateTime() {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        // A Tuesday.
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
        QCOMPARE(zx::FormatDateTime(when, format), expected);
    }

    void weeksStartOnSundayFromFirstJanuary() {
        // 2022-01-01 is a Saturday: the Sunday after starts week 2.
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 1, 1), QTime()), "ww"), "1");
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 1, 2), QTime()), "ww"), "2");
        QCOMPARE(zx::FormatDateTime(QDateTime(QDate(2022, 12, 31), QTime()), "ww"), "53");
    }
};

QTEST_GUILESS_MAIN(TextConversionsTest)
#include "test_text_conversions.moc"
