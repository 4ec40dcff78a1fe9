// The dialog's frame: change tracking, the three buttons and their
// questions, rights, the help key.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

class DialogShellTest : public QObject {
    Q_OBJECT

private slots:
    // Filling the pages is no change: nothing to save, and neither Close nor
    // OK asks anything.
    void anUntouchedDialogClosesWithoutAsking() {
        DialogHarness h;
        QVERIFY(h.dialog->CanModify());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(h.c<QPushButton>("btnOK")->isEnabled());
        for (const char* button : {"btnClose", "btnOK"}) {
            h.dialog->show();
            h.c<QPushButton>(button)->click();
            QVERIFY(!h.dialog->isVisible());
        }
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
    }

    // Typing, spinning and clicking all count; Close then asks, and No discards.
    void aChangeEnablesSaveAndCloseAsks() {
        DialogHarness h;
        for (const char* name : {"txtCompanyAddress", "IntQtyDefNum", "OptBud(1)", "chkSettle"}) {
            h.open();
            h.dialog->show();
            QWidget* w = h.c<QWidget>(name);
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                edit->setFocus();
                QTest::keyClicks(edit, "x");
            } else if (auto* box = qobject_cast<IntText3D*>(w)) {
                box->stepUp();
            } else {
                qobject_cast<QAbstractButton*>(w)->click();
            }
            QVERIFY2(h.dialog->IsChanged(), name);
            QVERIFY2(h.c<QPushButton>("btnSave")->isEnabled(), name);
        }
        h.answerNo();  // discard
        h.c<QPushButton>("btnClose")->click();
        QCOMPARE(h.shownOf("question"), QStringList{"退出前是否保存修改?"});
        QVERIFY(!h.dialog->isVisible());
        QVERIFY(!h.dialog->IsChanged());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());  // nothing written
    }

    // A viewer sees every value locked and is told why; changed on screen all
    // the same (say by a script), nothing counts as a change or is saved.
    void aViewerNeverSavesAndIsNeverAsked() {
        DialogHarness h("viewer");
        h.dialog->show();
        QVERIFY(!h.dialog->CanModify());
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().startsWith(QStringLiteral("只读：")));
        QVERIFY(notice->text().contains(QStringLiteral("修改权限")));
        QStringList open;
        for (QWidget* w : h.dialog->controls().valueControls()) {
            if (!DialogHarness::locked(w)) open << w->objectName();
        }
        QVERIFY2(open.isEmpty(), qPrintable(open.join(' ')));
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        h.c<QCheckBox>("chkSettle")->setChecked(true);
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());
        h.c<QPushButton>("btnClose")->click();
        QVERIFY(h.shownOf("question").isEmpty());
        QVERIFY(!h.dialog->isVisible());
    }

    void anEditorMayModify() {
        DialogHarness h("editor");
        h.dialog->show();
        QVERIFY(h.dialog->CanModify());
        QVERIFY(h.c<QPushButton>("btnOK")->isEnabled());
        QVERIFY(!h.c<QLabel>("lblReadOnlyNotice")->isVisible());
        QVERIFY(!h.locked("txtCompanyName"));
    }

    void f1OpensTheDialogsHelp() {
        DialogHarness h;
        h.dialog->show();
        // A key whose low bits match F1's is not the help key.
        QTest::keyClick(h.c<QLineEdit>("txtCompanyName"), Qt::Key_VolumeDown);
        QVERIFY(h.set.host->helpRequests().isEmpty());
        QTest::keyClick(h.c<QLineEdit>("txtCompanyName"), Qt::Key_F1);
        const auto requests = h.set.host->helpRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().file, QStringLiteral("mainhelp.chm"));
        QCOMPARE(requests.first().topic, QStringLiteral("GLSystemSetting.frmSystemProfiles"));
    }
};

QTEST_MAIN(DialogShellTest)
#include "test_dialog_shell.moc"
