// The closing-options dialog: its four parameters, its own change tracking,
// rights and buttons, and the function lock it releases. (Opening it from
// the business page is part of the executable's script journey.)

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "DialogHarness.h"
#include "services/IniFile.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/session/MNetControl.h"

using zx::closing::frmICSystemProfiles;

namespace {

const char* const kKeys[] = {"UnCheckBillByPeriodSaleFP", "UnCheckBillByRedSaleFP",
                             "UnCheckBillByPrevPurchanceFP", "UnCheckBillByPrevSaleFP"};

// The closing dialog over the main dialog of a harness, loaded as at its
// first activation and shown.
struct Closing {
    explicit Closing(DialogHarness& h) : dialog(h.dialog.get()) {
        dialog.show();
        dialog.Form_Activate();
    }
    QCheckBox* box(int i) { return dialog.findChild<QCheckBox*>(QString("chkHS_") + kKeys[i]); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    frmICSystemProfiles dialog;
};

DialogHarness::Prepare stored(QStringList values, int appType = 0) {
    return [values, appType](DialogHarness& h) {
        refhost::writeIniValue(h.set.installDir + "/Common/QORBaseScheme.ini", "Version", "AppType",
                               QString::number(appType));
        for (int i = 0; i < 4; ++i) {
            if (values.at(i).isNull()) {
                h.removeParam("IC", kKeys[i]);
            } else {
                h.setParam("IC", kKeys[i], values.at(i));
            }
        }
    };
}

QStringList params(DialogHarness& h) {
    QStringList out;
    for (const char* key : kKeys) out << h.param("IC", key);
    return out;
}

}  // namespace

class ClosingOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::MNetControl::LockHandle() = 0; }

    void saveWritesTheChangedKeyAndReleasesTheLock() {
        DialogHarness h("administrator", stored({QString(), "2", "0", "abc"}));
        Closing c(h);
        QCOMPARE(c.box(0)->isChecked(), false);  // absent
        QCOMPARE(c.box(1)->isChecked(), true);   // "2"
        QCOMPARE(c.box(2)->isChecked(), false);
        QCOMPARE(c.box(3)->isChecked(), false);  // not a number
        QVERIFY(!c.button("btnSave")->isEnabled());
        QVERIFY(c.button("btnOK")->isEnabled());

        zx::MNetControl::LockHandle() = zx::MNetControl::ExecFunc(0, "ic01", 2024, 5);
        QVERIFY(zx::MNetControl::LockHandle() > 0);

        c.box(2)->click();
        QVERIFY(c.dialog.IsChanged());
        QVERIFY(c.button("btnSave")->isEnabled());
        c.button("btnSave")->click();
        // Only the clicked box is written; the others stay as stored.
        QCOMPARE(params(h), (QStringList{QString(), "2", "1", "abc"}));
        QCOMPARE(zx::MNetControl::LockHandle(), 0);
        QVERIFY(!c.dialog.IsChanged());
        QVERIFY(c.dialog.isVisible());  // Save reloads and stays
        QVERIFY(c.box(2)->isChecked());
    }

    // A box clicked twice is no change: nothing to ask, nothing written.
    void aBoxClickedTwiceIsNoChange() {
        DialogHarness h("administrator", stored({"1", "0", "0", "0"}));
        Closing c(h);
        c.box(0)->click();
        c.box(0)->click();
        QVERIFY(!c.button("btnSave")->isEnabled());
        c.button("btnClose")->click();
        QCOMPARE(h.shownOf("question"), QStringList());
        QVERIFY(!c.dialog.isVisible());
        QCOMPARE(params(h), (QStringList{"1", "0", "0", "0"}));

        // Yes saves before leaving; OK without a change leaves at once.
        DialogHarness yes("administrator", stored({"1", "0", "0", "0"}));
        Closing d(yes);
        d.box(3)->click();
        yes.answerYes();
        d.button("btnClose")->click();
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(params(yes), (QStringList{"1", "0", "0", "1"}));
    }

    void typeOneShowsNoOptionsAndWritesNothing() {
        DialogHarness h("administrator", stored({"1", QString(), "2", "0"}, 1));
        Closing c(h);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(c.box(i)->isHidden());
            QVERIFY(!c.box(i)->isChecked());
        }
        QVERIFY(!c.button("btnSave")->isEnabled());
        c.button("btnOK")->click();
        QVERIFY(!c.dialog.isVisible());
        Closing again(h);
        again.button("btnClose")->click();
        QVERIFY(!again.dialog.isVisible());
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(params(h), (QStringList{"1", QString(), "2", "0"}));
    }

    void aViewerCannotChangeAnything() {
        DialogHarness h("viewer", stored({"1", "0", "0", "0"}));
        Closing c(h);
        QVERIFY(!c.dialog.CanModify());
        QVERIFY(!c.button("btnOK")->isEnabled());
        QVERIFY(c.dialog.findChild<QLabel*>("lblReadOnlyNotice")->isVisible());
        for (int i = 0; i < 4; ++i) QVERIFY(DialogHarness::locked(c.box(i)));
        c.box(0)->setChecked(false);  // even when set from code, Close does not ask
        QVERIFY(!c.button("btnSave")->isEnabled());
        c.button("btnClose")->click();
        QVERIFY(h.shownOf("question").isEmpty());
        QCOMPARE(params(h), (QStringList{"1", "0", "0", "0"}));
    }
};

QTEST_MAIN(ClosingOptionsTest)
#include "test_closing_options.moc"
