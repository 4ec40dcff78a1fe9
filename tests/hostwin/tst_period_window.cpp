// The period set-up window behind UpdatePeriodDate.WinShow, driven through
// its hook as a script would: controls by object name, 确定 and 取消.

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "DemoSet.h"
#include "PeriodRows.h"
#include "windows/PeriodSetup.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"

using refhost::PeriodSetupWindow;

namespace {

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

struct Fixture {
    Fixture() {
        set.host->setMessageSink([this](const QString& kind, const QString& text) {
            if (kind == QLatin1String("message")) messages << text;
        });
    }
    ~Fixture() { PeriodSetupWindow::onShown = nullptr; }

    void winShow() {
        zx::host::createObject<zx::host::UpdatePeriodDate>()->WinShow(set.host->propsString());
    }

    DemoSet set{true, QStringLiteral("administrator")};
    QStringList messages;
};

}  // namespace

class PeriodWindowTest : public QObject {
    Q_OBJECT

private slots:
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
            QCOMPARE(cellText(w, 12, 1), QStringLiteral("2024-09-01"));
            QCOMPARE(cellText(w, 12, 2), QStringLiteral("2024-09-30"));
            QCOMPARE(periodRows(*f.set.db).size(), 48);
            c<QPushButton>(w, "cmdOK")->click();
        };
        f.winShow();

        QCOMPARE(shown, 1);
        QVERIFY(f.messages.isEmpty());
        const auto rows = periodRows(*f.set.db);
        QCOMPARE(rows.size(), 26);
        QCOMPARE(rows.first().start, QDate(2023, 10, 1));
        QCOMPARE(calendarParams(*f.set.db),
                 QStringLiteral(
                     "PeriodCount=13;PeriodByMonth=0;PeriodDates=13,2023-10-01;YearDifference=1"));
    }

    // A headless host without a hook does not open the window at all.
    void cancelledOrNotOpenedChangesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("取消") << QStringLiteral("cancel");
        QTest::newRow("left open") << QStringLiteral("open");
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
            QVERIFY(c<QLabel>(w, "lblNote")->text().contains(QStringLiteral("相差超过一年")));
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
        QVERIFY(f.messages.first().contains(QStringLiteral("相差超过一年")));
        QCOMPARE(periodRows(*f.set.db).first().start, QDate(2024, 4, 1));
        QCOMPARE(glParam(*f.set.db, QStringLiteral("PeriodDates")),
                 QStringLiteral("12,2024-04-01"));
    }

    void aStartedLedgerIsOnlyShown() {
        Fixture f;
        setGlParam(*f.set.db, QStringLiteral("Closed"), QStringLiteral("1"));
        const QString params = calendarParams(*f.set.db);
        PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
            QVERIFY(w.readOnly());
            QVERIFY(!c<QPushButton>(w, "cmdOK")->isEnabled());
            QCOMPARE(c<QPushButton>(w, "cmdCancel")->text(), QStringLiteral("关闭"));
            for (const char* name :
                 {"optCount12", "optCount13", "optNaturalYear", "optStartDate"}) {
                QVERIFY2(!c<QRadioButton>(w, name)->isEnabled(), name);
            }
            QVERIFY(!c<QSpinBox>(w, "txtFirstYear")->isEnabled());
            // The stored periods of the first year.
            QCOMPARE(c<QTableWidget>(w, "grdPeriods")->rowCount(), 12);
            QCOMPARE(cellText(w, 1, 1), QStringLiteral("2024-02-01"));
            QCOMPARE(cellText(w, 1, 2), QStringLiteral("2024-02-29"));
            w.accept();  // Enter: closes, builds nothing
            QVERIFY(!w.isVisible());
        };
        f.winShow();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(periodRows(*f.set.db).size(), 48);
        QCOMPARE(calendarParams(*f.set.db), params);
    }
};

QTEST_MAIN(PeriodWindowTest)
#include "tst_period_window.moc"
