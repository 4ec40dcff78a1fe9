// The period set-up window as the parameter dialog opens it from its period
// page: what the window builds is what the page shows afterwards.

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "DialogHarness.h"
#include "PeriodRows.h"
#include "windows/PeriodSetup.h"
#include "zx/frame/IntText3D.h"

using refhost::PeriodSetupWindow;

namespace {

template <class T>
T* in(PeriodSetupWindow& w, const char* name) {
    T* control = w.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

QString voucherType(refhost::Database& db) {
    const auto rs = db.nativeQuery(QStringLiteral(
        "SELECT FValue FROM t_UserSetting WHERE FCategory = 'Session' AND FKey = 'VoucherType'"));
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

struct HookReset {
    ~HookReset() { PeriodSetupWindow::onShown = nullptr; }
};

}  // namespace

class PeriodDialogTest : public QObject {
    Q_OBJECT

private slots:
    // Thirteen periods from a chosen day, built from the page's button: the
    // page switches to 13 periods and lists the new years and their periods.
    void thePageShowsTheBuiltCalendar() {
        HookReset reset;
        DialogHarness h;
        // The page lists years from the start year, which is this year until one is stored.
        const int year = QDate::currentDate().year();
        PeriodSetupWindow::onShown = [&](PeriodSetupWindow& w) {
            in<QRadioButton>(w, "optCount13")->setChecked(true);
            in<QRadioButton>(w, "optStartDate")->setChecked(true);
            in<QDateEdit>(w, "dtpStartDate")->setDate(QDate(year - 1, 10, 1));
            in<QSpinBox>(w, "txtFirstYear")->setValue(year);
            in<QSpinBox>(w, "txtYears")->setValue(3);
            in<QPushButton>(w, "cmdOK")->click();
        };
        h.c<QPushButton>(QStringLiteral("cmdSetPeriod"))->click();

        QVERIFY2(h.shownOf(QStringLiteral("error")).isEmpty(),
                 qPrintable(h.shown.join(QLatin1Char('\n'))));
        QVERIFY(h.c<QRadioButton>(QStringLiteral("optPeriod13"))->isChecked());
        QVERIFY(!h.c<QRadioButton>(QStringLiteral("optPeriod12"))->isChecked());
        QVERIFY(!h.c<QCheckBox>(QStringLiteral("chkPeriodByMonth"))->isChecked());
        QCOMPARE(h.c<zx::frame::IntText3D>(QStringLiteral("txtStartPeriod"))->Max(), 13);

        auto* tree = h.c<QTreeWidget>(QStringLiteral("tvwPeriod"));
        QCOMPARE(tree->topLevelItemCount(), 1);
        const QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->childCount(), 3);
        QCOMPARE(root->child(0)->text(0), QString::number(year));
        QCOMPARE(root->child(2)->text(0), QString::number(year + 2));

        auto* grid = h.c<QTableWidget>(QStringLiteral("pp"));
        QCOMPARE(grid->rowCount(), 13);
        const QString firstDay = QDate(year - 1, 10, 1).toString(Qt::ISODate);
        bool found = false;
        for (int column = 0; column < grid->columnCount(); ++column) {
            if (grid->item(0, column) && grid->item(0, column)->text() == firstDay) found = true;
        }
        QVERIFY2(found, qPrintable(firstDay));
        QCOMPARE(voucherType(*h.set.db), QStringLiteral("16394"));
    }
};

QTEST_MAIN(PeriodDialogTest)
#include "tst_period_dialog.moc"
