// The reference host's ledger start-up: the period calendar as the set-up
// window builds it (the rows of t_perioddate, the four GL parameters, the
// refusals that change nothing), the window itself driven through its hook
// as a script would, and the services of the write-off switch, the user's
// voucher type, the account-set register and the management log.

#include <QDateEdit>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "DemoSet.h"
#include "windows/PeriodSetup.h"
#include "zx/host/Environment.h"
#include "zx/host/HostError.h"
#include "zx/host/LedgerServices.h"

using namespace zx::host;
using refhost::PeriodCalendar;
using refhost::PeriodSetupWindow;

Q_DECLARE_METATYPE(PeriodCalendar)

namespace {

struct PeriodRow {
    int year = 0;
    int period = 0;
    QDate start;
    QDate end;
};

QList<PeriodRow> periodRows(refhost::Database& db) {
    QList<PeriodRow> out;
    const auto rs = db.nativeQuery(
        "SELECT FYear, FPeriod, FStartDate, FEndDate FROM t_perioddate ORDER BY FYear, FPeriod");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        out.append({rs->Field(0).toInt(), rs->Field(1).toInt(),
                    QDate::fromString(rs->Field(2).toString().left(10), Qt::ISODate),
                    QDate::fromString(rs->Field(3).toString().left(10), Qt::ISODate)});
    }
    return out;
}

// The first value `sql` returns; a null QString when it returns no row.
QString value(refhost::Database& db, const QString& sql, const QVariantList& binds) {
    const auto rs = db.nativeQuery(sql, binds);
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

QString glParam(refhost::Database& db, const QString& key) {
    return value(db, "SELECT FValue FROM t_SystemProfile WHERE FCategory = 'GL' AND FKey = ?",
                 {key});
}

void setGlParam(refhost::Database& db, const QString& key, const QString& value) {
    db.nativeExec(
        "INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('GL', ?, ?) "
        "ON CONFLICT (FCategory, FKey) DO UPDATE SET FValue = excluded.FValue",
        {key, value});
}

// The four parameters the period set-up writes, in one comparable text.
QString calendarParams(refhost::Database& db) {
    QStringList out;
    for (const char* key : {"PeriodCount", "PeriodByMonth", "PeriodDates", "YearDifference"}) {
        out << QString::fromLatin1(key) + '=' + glParam(db, QString::fromLatin1(key));
    }
    return out.join(';');
}

PeriodCalendar rule(int count, std::optional<QDate> start, int firstYear, int years) {
    PeriodCalendar c;
    c.periodCount = count;
    c.firstStart = start;
    c.firstYear = firstYear;
    c.years = years;
    return c;
}

template <class T>
T* c(PeriodSetupWindow& w, const char* name) {
    T* control = w.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

QString cellText(PeriodSetupWindow& w, int row, int column) {
    const QTableWidgetItem* item = c<QTableWidget>(w, "grdPeriods")->item(row, column);
    return item ? item->text() : QString();
}

// The demo set with the messages its host shows, and the period window
// opened as UpdatePeriodDate.WinShow opens it.
struct Fixture {
    Fixture() {
        set.host->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind == QLatin1String("message")) messages << text;
        });
    }
    ~Fixture() { PeriodSetupWindow::onShown = nullptr; }
    void winShow() { createObject<UpdatePeriodDate>()->WinShow(set.host->propsString()); }

    DemoSet set{true, "administrator"};
    QStringList messages;
};

}  // namespace

class HostWindowsTest : public QObject {
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
        // Each period starts the day after the one before it ends, across
        // years, and the periods of each year are numbered 1, 2, ...
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows.at(i).period, int(i % calendar.periodCount) + 1);
            QVERIFY(rows.at(i).start <= rows.at(i).end);
            if (i > 0) QCOMPARE(rows.at(i).start, rows.at(i - 1).end.addDays(1));
        }
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

    void opensOnTheStoredCalendarAndBuildsTheEntries() {
        Fixture f;
        int shown = 0;
        PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
            ++shown;
            QVERIFY(c<QRadioButton>(w, "optCount12")->isChecked());
            QVERIFY(c<QRadioButton>(w, "optNaturalYear")->isChecked());
            QVERIFY(!c<QDateEdit>(w, "dtpStartDate")->isEnabled());
            QCOMPARE(c<QSpinBox>(w, "txtFirstYear")->value(), 2024);
            QCOMPARE(c<QSpinBox>(w, "txtYears")->value(), 4);

            c<QRadioButton>(w, "optCount13")->setChecked(true);
            c<QRadioButton>(w, "optStartDate")->setChecked(true);
            QVERIFY(c<QDateEdit>(w, "dtpStartDate")->isEnabled());
            c<QDateEdit>(w, "dtpStartDate")->setDate(QDate(2023, 10, 1));
            c<QSpinBox>(w, "txtYears")->setValue(2);
            // The preview follows the entries before anything is written.
            QCOMPARE(c<QTableWidget>(w, "grdPeriods")->rowCount(), 13);
            QCOMPARE(cellText(w, 12, 1), "2024-09-01");
            QCOMPARE(cellText(w, 12, 2), "2024-09-30");
            QCOMPARE(periodRows(*f.set.db).size(), 48);
            c<QPushButton>(w, "cmdOK")->click();
        };
        f.winShow();

        QCOMPARE(shown, 1);
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(periodRows(*f.set.db).size(), 26);
        QCOMPARE(calendarParams(*f.set.db),
                 "PeriodCount=13;PeriodByMonth=0;PeriodDates=13,2023-10-01;YearDifference=1");
    }

    // A headless host without a hook does not open the window at all.
    void cancelledOrNotOpenedChangesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("取消") << "cancel";
        QTest::newRow("left open") << "open";
        QTest::newRow("no hook") << QString();
    }
    void cancelledOrNotOpenedChangesNothing() {
        QFETCH(QString, how);
        Fixture f;
        const QString params = calendarParams(*f.set.db);
        if (!how.isEmpty()) {
            PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
                c<QRadioButton>(w, "optCount13")->setChecked(true);
                c<QSpinBox>(w, "txtFirstYear")->setValue(2030);
                if (how == QLatin1String("cancel")) c<QPushButton>(w, "cmdCancel")->click();
            };
        }
        f.winShow();
        QCOMPARE(periodRows(*f.set.db).size(), 48);
        QCOMPARE(calendarParams(*f.set.db), params);
    }

    // A first day too far from the first year: the user is told why, the
    // window stays open with the entries, and a corrected entry is built.
    void aRefusedEntryKeepsTheWindowOpen() {
        Fixture f;
        bool stayedOpen = false;
        PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
            c<QRadioButton>(w, "optStartDate")->setChecked(true);
            c<QDateEdit>(w, "dtpStartDate")->setDate(QDate(2020, 1, 1));
            QVERIFY(c<QLabel>(w, "lblNote")->text().contains("相差超过一年"));
            QCOMPARE(c<QTableWidget>(w, "grdPeriods")->rowCount(), 0);

            c<QPushButton>(w, "cmdOK")->click();
            stayedOpen = w.isVisible();
            QCOMPARE(c<QDateEdit>(w, "dtpStartDate")->date(), QDate(2020, 1, 1));
            QCOMPARE(periodRows(*f.set.db).size(), 48);

            c<QDateEdit>(w, "dtpStartDate")->setDate(QDate(2024, 4, 1));
            QVERIFY(c<QLabel>(w, "lblNote")->text().isEmpty());
            c<QPushButton>(w, "cmdOK")->click();
        };
        f.winShow();
        QVERIFY(stayedOpen);
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().contains("相差超过一年"));
        QCOMPARE(periodRows(*f.set.db).first().start, QDate(2024, 4, 1));
        QCOMPARE(glParam(*f.set.db, "PeriodDates"), "12,2024-04-01");
    }

    void aStartedLedgerIsOnlyShown() {
        Fixture f;
        setGlParam(*f.set.db, "Closed", "1");
        const QString params = calendarParams(*f.set.db);
        PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
            QVERIFY(w.readOnly());
            QVERIFY(!c<QPushButton>(w, "cmdOK")->isEnabled());
            QCOMPARE(c<QPushButton>(w, "cmdCancel")->text(), "关闭");
            for (const char* name :
                 {"optCount12", "optCount13", "optNaturalYear", "optStartDate"}) {
                QVERIFY2(!c<QRadioButton>(w, name)->isEnabled(), name);
            }
            QVERIFY(!c<QSpinBox>(w, "txtFirstYear")->isEnabled());
            // The stored periods of the first year.
            QCOMPARE(c<QTableWidget>(w, "grdPeriods")->rowCount(), 12);
            QCOMPARE(cellText(w, 1, 1), "2024-02-01");
            QCOMPARE(cellText(w, 1, 2), "2024-02-29");
            w.accept();  // Enter: closes, builds nothing
            QVERIFY(!w.isVisible());
        };
        f.winShow();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(periodRows(*f.set.db).size(), 48);
        QCOMPARE(calendarParams(*f.set.db), params);
    }

    // Whether the switch may change, and the flag the caller reads; storing
    // the switch is the caller's business.
    void writeOffSwitch() {
        struct Case {
            const char* name;
            int oldFlag, newFlag;
            bool writtenOff, initClosed, allowed;
            int successFlag;
        };
        const Case cases[] = {
            {"on", 0, 1, false, false, true, 1},
            {"on beside old write-offs", 0, 1, true, false, true, 1},
            {"off with write-offs", 1, 0, true, false, false, -1},
            {"off with write-offs, balances closed", 1, 0, true, true, false, -1},
            {"on, balances closed", 0, 1, false, true, false, 0},
            {"unchanged, balances closed", 1, 1, true, true, true, 1},
        };
        DemoSet set(true, "administrator");
        for (const Case& c : cases) {
            set.db->nativeExec("DELETE FROM t_TransCheck");
            if (c.writtenOff) {
                set.db->nativeExec(
                    "INSERT INTO t_TransCheck (FYear, FPeriod, FAccountID, FAmount) "
                    "VALUES (2024, 3, 1, 100)");
            }
            setGlParam(*set.db, "InitClosed", c.initClosed ? "1" : "0");
            setGlParam(*set.db, "TransCheckStart", QString::number(c.oldFlag));
            QVariantMap dictionary{
                {"OldFlag", c.oldFlag}, {"NewFlag", c.newFlag}, {"SuccessFlag", 0}};
            const bool result = createService<InitializeBalance>()->SetInitTransCheck(
                set.host->propsString(), dictionary);
            QVERIFY2(result == c.allowed, c.name);
            QVERIFY2(dictionary.value("SuccessFlag").toInt() == c.successFlag, c.name);
            QVERIFY2(glParam(*set.db, "TransCheckStart") == QString::number(c.oldFlag), c.name);
        }
    }

    void voucherTypeIsRememberedPerUser() {
        DemoSet set(true, "administrator");
        const int admin = set.host->user().id;
        createObject<SessionUserProfile>()->SetVoucherType(16394);
        createObject<SessionUserProfile>()->SetVoucherType(16395);
        auto voucherType = [&](int user) {
            return value(*set.db,
                         "SELECT FValue FROM t_UserSetting WHERE FUserID = ? AND "
                         "FCategory = 'Session' AND FKey = 'VoucherType'",
                         {user});
        };
        set.host->login("editor");
        const int editor = set.host->user().id;
        createObject<SessionUserProfile>()->SetVoucherType(7);

        QCOMPARE(voucherType(admin), "16395");
        QCOMPARE(voucherType(editor), "7");
    }

    void registerTakesUpdatesOfItsOwnTableOnly() {
        DemoSet set(true, "administrator");
        const QString acct = set.host->acctName();
        auto company = [&] {
            return value(*set.db, "SELECT FCompanyName FROM t_ad_zxAccount_gl WHERE FAcctName = ?",
                         {acct});
        };
        const QString before = company();
        auto register_ = createService<AcctMgr>();

        const QStringList refused = {
            "update t_Currency set FName='X' where FCurrencyID=1",
            QStringLiteral("update t_ad_zxAccount_gl set FCompanyName='X' where FAcctName='%1';"
                           "delete from t_Voucher")
                .arg(acct),
            "delete from t_ad_zxAccount_gl", QString()};
        for (const QString& statement : refused) {
            QVERIFY_THROWS_EXCEPTION(HostError, register_->ModifyCompany2(statement));
        }
        QCOMPARE(company(), before);
        QCOMPARE(set.count("t_Currency"), 1);

        // The statement as the parameter save sends it.
        register_->ModifyCompany2(
            QStringLiteral(
                "update t_ad_zxAccount_gl set FCompanyName='新名称有限公司' where FAcctName='%1'")
                .arg(acct));
        QCOMPARE(company(), "新名称有限公司");
    }

    void managementLog() {
        DemoSet set(true, "editor");
        auto frame = createObject<FrameData>();
        // Without the session property string it does not know the account set.
        QVERIFY_THROWS_EXCEPTION(HostError, frame->WriteMGLog("C001C039", "CheckCGAutoHook"));
        QCOMPARE(set.count("t_MGLog"), 0);

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        frame->setPropString(set.host->propsString());
        QVERIFY(frame->WriteMGLog("C001C039", "CheckCGAutoHook").toBool());
        frame->WriteMGLog("C001C039", "CheckXSAutoInvSpe");

        const auto rs = set.db->nativeQuery(QStringLiteral(
            "SELECT FTime, FUserID, FCode, FDesc, FMachineName FROM t_MGLog ORDER BY FID"));
        QCOMPARE(rs->RecordCount(), 2);
        rs->MoveFirst();
        const QDateTime time =
            QDateTime::fromString(rs->Field(0).toString(), "yyyy-MM-dd HH:mm:ss");
        QVERIFY(time >= before && time <= QDateTime::currentDateTime().addSecs(1));
        QCOMPARE(rs->Field(1).toInt(), set.host->user().id);
        QCOMPARE(rs->Field(2).toString(), "C001C039");
        QCOMPARE(rs->Field(3).toString(), "CheckCGAutoHook");
        QCOMPARE(rs->Field(4).toString(), set.host->computerName().value_or(QString()));
        rs->MoveNext();
        QCOMPARE(rs->Field(3).toString(), "CheckXSAutoInvSpe");
    }
};

QTEST_MAIN(HostWindowsTest)
#include "tst_hostwin.moc"
