// Details where the dialog follows its specification closely: what marks it
// changed, what is trimmed, which boxes go to the host on focus, the help
// key, the cashier's unset start, the product variants, the period page,
// and the two cashier options the page now keeps.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

void appType(DialogHarness& d, int type) {
    QSettings ini(QDir(d.set.installDir).filePath("Common/QORBaseScheme.ini"),
                  QSettings::IniFormat);
    ini.setValue("Version/AppType", type);
}

void sendKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

}  // namespace

class ConformanceTest : public QObject {
    Q_OBJECT

private slots:
    // Set when the account set is made or in the period set-up: shown here only.
    void displayOnlyControlsMarkNothing() {
        DialogHarness h;
        for (const char* name : {"CompanyType(1)", "chkPeriodByMonth", "optPeriod13"}) {
            QWidget* w = h.c<QWidget>(name);
            QVERIFY2(!w->isEnabled() && !w->toolTip().isEmpty(), name);
        }
        h.c<QRadioButton>("CompanyType(1)")->setChecked(true);
        h.c<QCheckBox>("chkPeriodByMonth")->toggle();
        QVERIFY(!h.dialog->IsChanged());
    }

    void onlyBlanksAreTrimmed() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        h.c<QLineEdit>("txtCompanyName")->setText(QStringLiteral("\u3000演示公司\u3000 "));
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("General", "CompanyName"), QStringLiteral("\u3000演示公司\u3000"));

        h.c<QLineEdit>("txtCompanyName")->setText(QStringLiteral("\u3000\u3000"));
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("message").last(), QStringLiteral("请设置公司名称"));
    }

    void onlyTheCompanyAndAccountBoxesGoToTheHostOnFocus() {
        DialogHarness h;
        h.dialog->show();
        for (const auto& [name, handed] : {std::pair{"txtCompanyName", true},
                                           {"txtFax", false},
                                           {"txtEarnAcct", true},
                                           {"txtCompanyTax", false}}) {
            auto* box = h.c<QLineEdit>(name);
            box->setText(QStringLiteral("3131"));
            box->deselect();
            QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
            QApplication::sendEvent(box, &in);
            QVERIFY2(box->hasSelectedText() == handed, name);
        }
        h.dialog->hide();
    }

    void onlyF1IsTheHelpKey() {
        DialogHarness h;
        h.dialog->show();
        sendKey(h.c<QLineEdit>("txtFax"), Qt::Key_VolumeDown);
        QVERIFY(h.shownOf("help").isEmpty());
        sendKey(h.c<QLineEdit>("txtFax"), Qt::Key_F1);
        QCOMPARE(h.shownOf("help").size(), 1);
        h.dialog->hide();
    }

    void anUnsetCashierStartPeriodIsEmpty() {
        DialogHarness h;
        QCOMPARE(h.c<IntText3D>("txtCnStartPeriod")->Text(), QString());
    }

    void theVoucherAuditOptionStaysWithoutTheAssetFrame() {
        DialogHarness h("administrator", [](DialogHarness& d) { appType(d, 2); });
        QVERIFY(!h.c<QWidget>("framFix")->isVisibleTo(h.dialog.get()));
        QVERIFY(h.c<QWidget>("chkVouchSingle")->isVisibleTo(h.c<QWidget>("stabGl(1)")));
    }

    void thePeriodPage() {
        DialogHarness h;
        QVERIFY(h.c<QWidget>("txtPeriodCount")->isVisibleTo(h.c<QWidget>("Stab(1)")));
        auto* grid = h.c<QTableWidget>("pp");
        QVERIFY(grid->columnWidth(0) > grid->columnWidth(1));
        auto* tree = h.c<QTreeWidget>("tvwPeriod");
        QTreeWidgetItem* year = tree->topLevelItem(0)->child(0);
        const QIcon icon = year->icon(0);
        QVERIFY(icon.pixmap(16, QIcon::Normal).toImage() !=
                icon.pixmap(16, QIcon::Selected).toImage());
    }

    // The settlement-centre use and the cashier's closing calendar are kept.
    void theCashierKeepsItsTwoOptions() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        auto* esc = h.c<QCheckBox>("chkUseESC");
        auto* subSys = h.c<QCheckBox>("chkSubSys");
        const bool synch = subSys->isChecked();
        esc->setChecked(!esc->isChecked());
        QVERIFY(h.dialog->IsChanged());
        subSys->setChecked(!synch);
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("CN", "CN_UseESC"), esc->isChecked() ? QString("1") : QString("0"));
        h.open();
        QCOMPARE(h.c<QCheckBox>("chkSubSys")->isChecked(), !synch);
        QVERIFY(!h.c<QCheckBox>("ChkPeriod")->toolTip().isEmpty());
    }
};

QTEST_MAIN(ConformanceTest)
#include "test_conformance.moc"
