// Saves that are refused: the company and currency checks, the period
// calendar, the start-up question and its business and cashier limits, and
// the ledger start's own period checks. A refusal shows one message and
// writes nothing.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

QString registeredName(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
    rs->MoveFirst();
    return rs->Field(0).toString();
}

QString baseCurrency(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery(
        "SELECT FNumber, FName, FScale FROM t_Currency "
        "WHERE FCurrencyID = 1");
    rs->MoveFirst();
    return QStringList{rs->Field(0).toString(), rs->Field(1).toString(), rs->Field(2).toString()}
        .join(u'|');
}

}  // namespace

class SaveRefusalTest : public QObject {
    Q_OBJECT

private slots:
    void checksBeforeWritingRefuseAndWriteNothing_data() {
        QTest::addColumn<QString>("periodCount");  // GL PeriodCount stored before opening
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("page");  // the page shown afterwards, -1 when not moved
        const char* const badName = "设置公司名称输入了不正确的字符。";
        const std::tuple<const char*, const char*, const char*, const char*, const char*, int>
            cases[] = {{"blank name", "12", "txtCompanyName", "   ", "请输入公司名称!", 0},
                       {"ideographic blanks", "12", "txtCompanyName", "\u3000\u3000",
                        "请设置公司名称", -1},
                       {"apostrophe", "12", "txtCompanyName", "O'Brien", badName, -1},
                       {"backslash", "12", "txtCompanyName", "演示\\科技", badName, -1},
                       {"dollar", "12", "txtCompanyName", "演示$科技", badName, -1},
                       {"double quote", "12", "txtCompanyName", "演示\"科技", badName, -1},
                       {"blank currency code", "12", "txtCyNumber", "  ", "请设置本位币代码", -1},
                       {"blank currency name", "12", "txtCyName", "", "请设置本位币名称", -1},
                       {"0 periods", "0", "txtCompanyAddress", "新地址", "会计期间未设置!", 1},
                       {"11 periods", "11", "txtCompanyAddress", "新地址", "会计期间未设置!", 1},
                       {"14 periods", "14", "txtCompanyAddress", "新地址", "会计期间未设置!", 1}};
        for (const auto& [row, count, box, typed, message, page] : cases) {
            QTest::newRow(row) << count << box << QString::fromUtf8(typed) << message << page;
        }
    }
    void checksBeforeWritingRefuseAndWriteNothing() {
        QFETCH(QString, periodCount);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, page);
        DialogHarness h("administrator",
                        [&](DialogHarness& d) { d.setParam("GL", "PeriodCount", periodCount); });
        recordWrites(h);
        const QString registered = registeredName(h);
        h.dialog->show();
        h.c<QTabWidget>("Stab")->setCurrentIndex(5);
        h.c<QCheckBox>("chkSettle")->click();  // a change that a save would write
        h.c<QLineEdit>(box)->setText(typed);

        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("message"), QStringList{message});
        QVERIFY(h.shownOf("error").isEmpty());
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(registeredName(h), registered);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(h.c<QCheckBox>("chkSettle")->isChecked());  // the entries stay as typed
        if (page >= 0) QCOMPARE(h.c<QTabWidget>("Stab")->currentIndex(), page);
    }

    void answeringNoToTheStartUpWritesNothing() {
        DialogHarness h;
        recordWrites(h);
        h.dialog->show();
        h.c<IntText3D>("txtStartPeriod")->setValue(3);
        h.answerNo();
        h.c<QPushButton>("btnSave")->click();

        const QString year = h.c<IntText3D>("txtStartYear")->Text();
        QCOMPARE(h.shownOf("question"),
                 QStringList{"请确认账务初始参数(启用年度：" + year +
                             "、启用期间：3)和本位币的设置，系统将不允许再次修改，是否确认启用！"});
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(h.param("GL", "Closed"), QString("0"));
        QCOMPARE(h.dialog->Tag(), QString());
        QVERIFY(h.dialog->IsChanged());
    }

    // Once the business or cashier modules run, the ledger may not start after them.
    void startUpLimitsOfTheOtherModules_data() {
        QTest::addColumn<int>("ledgerPeriod");        // start year is this year
        QTest::addColumn<int>("businessYearOffset");  // -99: business box left editable
        QTest::addColumn<int>("businessPeriod");
        QTest::addColumn<int>("cashierPeriod");  // 0: cashier not in use
        QTest::addColumn<bool>("voucherBefore");
        QTest::addColumn<QString>("message");  // empty: the ledger starts
        const std::tuple<const char*, int, int, int, int, bool, const char*> cases[] = {
            {"business starts a year earlier", 1, -1, 12, 0, false,
             "业务系统启用年度必须大于等于账务系统当前年度！"},
            {"business starts earlier in the year", 3, 0, 2, 0, false,
             "账务系统启用期间必须小于等于业务系统当前期间！"},
            {"vouchers before the start", 2, 0, 2, 0, true,
             "有启用期间以前的凭证,请先修改凭证日期!"},
            {"business a year later skips the voucher test", 2, 1, 1, 0, true, ""},
            {"editable business start is not compared", 5, -99, 1, 0, true, ""},
            {"cashier starts earlier in the year", 4, -99, 1, 3, false,
             "总账会计启用期间必须小于等于出纳启用会计期间！"},
            {"cashier starts in the same period", 3, -99, 1, 3, false, ""}};
        for (const auto& [row, ledger, businessYear, business, cashier, voucher, message] : cases) {
            QTest::newRow(row) << ledger << businessYear << business << cashier << voucher
                               << QString::fromUtf8(message);
        }
    }
    void startUpLimitsOfTheOtherModules() {
        QFETCH(int, ledgerPeriod);
        QFETCH(int, businessYearOffset);
        QFETCH(int, businessPeriod);
        QFETCH(int, cashierPeriod);
        QFETCH(bool, voucherBefore);
        QFETCH(QString, message);
        DialogHarness h;
        if (voucherBefore) {
            h.set.db->nativeExec("INSERT INTO t_Voucher (FYear, FPeriod) VALUES (2020, 1)");
        }
        h.dialog->show();
        const int year = h.c<IntText3D>("txtStartYear")->Value();
        h.c<IntText3D>("txtStartPeriod")->setValue(ledgerPeriod);
        if (businessYearOffset != -99) {
            auto* businessYear = h.c<IntText3D>("txtIC_StartYear");
            businessYear->setMinimum(1900);
            businessYear->setValue(year + businessYearOffset);
            businessYear->setEnabled(false);
            h.c<IntText3D>("txtIC_StartPeriod")->setValue(businessPeriod);
        }
        if (cashierPeriod > 0) {
            h.c<QLineEdit>("txtCnCurrentPeriod")->setText(QString::number(cashierPeriod));
            h.c<IntText3D>("txtCnStartYear")->setValue(year);
            h.c<IntText3D>("txtCnStartPeriod")->setValue(cashierPeriod);
        }
        h.answerYes();
        h.c<QPushButton>("btnSave")->click();

        // The ledger's question comes first; the other pages may ask their own later.
        QVERIFY(h.shownOf("question").value(0).startsWith("请确认账务初始参数"));
        if (message.isEmpty()) {
            QVERIFY2(h.shownOf("message").isEmpty(), qPrintable(h.shown.join('\n')));
            QCOMPARE(h.param("GL", "Closed"), QString("1"));
            QCOMPARE(h.param("GL", "StartPeriod"), QString::number(ledgerPeriod));
        } else {
            QCOMPARE(h.shownOf("message"), QStringList{message});
            QCOMPARE(h.param("GL", "Closed"), QString("0"));
            QVERIFY(h.dialog->IsChanged());
        }
    }

    void ledgerStartChecksItsPeriod_data() {
        QTest::addColumn<QString>("periodCount");
        QTest::addColumn<int>("startPeriod");
        QTest::addColumn<QString>("message");  // empty: the ledger starts
        const std::tuple<const char*, const char*, int, const char*> cases[] = {
            {"period 0", "12", 0, "启用会计期间不正确!"},
            {"period 14", "12", 14, "会计期间设置错误!"},
            {"period 13 of 12", "12", 13, "启用会计期间不正确!"},
            {"calendar not set", "", 1, "会计期间未设置!"},
            {"period 13 of 13", "13", 13, ""}};
        for (const auto& [row, count, period, message] : cases) {
            QTest::newRow(row) << count << period << QString::fromUtf8(message);
        }
    }
    void ledgerStartChecksItsPeriod() {
        QFETCH(QString, periodCount);
        QFETCH(int, startPeriod);
        QFETCH(QString, message);
        DialogHarness h("administrator",
                        [&](DialogHarness& d) { d.setParam("GL", "PeriodCount", periodCount); });
        recordWrites(h);
        const QString currency = baseCurrency(h);
        auto* box = h.c<IntText3D>("txtStartPeriod");
        box->setMaximum(99);  // as a host calling in directly may find it
        box->setValue(startPeriod);

        const bool started = h.dialog->CloseInit();

        QCOMPARE(started, message.isEmpty());
        QCOMPARE(h.shownOf("message"), message.isEmpty() ? QStringList() : QStringList{message});
        if (started) {
            QCOMPARE(h.dialog->Tag(), QString("OK"));
            QCOMPARE(h.param("GL", "StartPeriod"), QString("13"));
            QCOMPARE(h.param("FA", "PeriodCount"), QString("13"));
        } else {
            QCOMPARE(writtenKeys(h), QStringList());
            QCOMPARE(baseCurrency(h), currency);
            QCOMPARE(h.dialog->Tag(), QString());
            QVERIFY(box->isEnabled());
        }
    }
};

QTEST_MAIN(SaveRefusalTest)
#include "test_save_refusals.moc"
