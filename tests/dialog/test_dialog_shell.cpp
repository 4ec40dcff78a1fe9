// The dialog's frame: change tracking, the three buttons and their
// questions, rights, the help key.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

class DialogShellTest : public QObject {
    Q_OBJECT

private slots:
    void fillingThePagesIsNoChange() {
        DialogHarness h;
        QVERIFY(h.dialog->CanModify());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(h.c<QPushButton>("btnOK")->isEnabled());
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
    }

    void aChangeEnablesSaveAndCloseAsks() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.c<QPushButton>("btnSave")->isEnabled());

        h.answerNo();  // discard
        h.c<QPushButton>("btnClose")->click();
        QCOMPARE(h.shownOf("question"), QStringList{"退出前是否保存修改?"});
        QVERIFY(!h.dialog->isVisible());
        QVERIFY(!h.dialog->IsChanged());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());  // nothing written
    }

    void closeWithoutChangesAsksNothing() {
        DialogHarness h;
        h.dialog->show();
        h.c<QPushButton>("btnClose")->click();
        QVERIFY(h.shownOf("question").isEmpty());
        QVERIFY(!h.dialog->isVisible());
    }

    void typingAndSpinningCountAsChanges_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("text box") << "txtCompanyAddress";
        QTest::newRow("numeric box") << "IntQtyDefNum";
        QTest::newRow("option") << "OptBud(1)";
    }
    void typingAndSpinningCountAsChanges() {
        QFETCH(QString, control);
        DialogHarness h;
        h.dialog->show();
        QWidget* w = h.c<QWidget>(control);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setFocus();
            QTest::keyClicks(edit, "x");
        } else if (auto* box = qobject_cast<IntText3D*>(w)) {
            box->stepUp();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->click();
        }
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.c<QPushButton>("btnSave")->isEnabled());
    }

    void aViewerNeverSavesAndIsNeverAsked() {
        DialogHarness h("viewer");
        h.dialog->show();
        QVERIFY(!h.dialog->CanModify());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().startsWith(QStringLiteral("只读：")));
        QVERIFY(notice->text().contains(QStringLiteral("修改权限")));
        for (const char* name : {"txtCompanyName", "IntQtyDefNum", "chkSettle", "OptBud(1)"}) {
            QVERIFY2(h.locked(name), name);
        }
        // Changed on screen all the same (say by a script): no change, no save.
        h.c<QCheckBox>("chkSettle")->setChecked(true);
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

    void okWithoutChangesJustHides() {
        DialogHarness h;
        h.dialog->show();
        h.c<QPushButton>("btnOK")->click();
        QVERIFY(!h.dialog->isVisible());
        QVERIFY(h.shown.isEmpty());
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

    void companyNameIdentifierCheck_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "演示科技" << true;
        QTest::newRow("blank") << "   " << false;
        QTest::newRow("apostrophe") << "O'Brien" << false;
        QTest::newRow("backslash") << "A\\B" << false;
        QTest::newRow("dollar") << "A$" << false;
        QTest::newRow("double quote") << "A\"B" << false;
        QTest::newRow("semicolon is fine") << "A;B--" << true;
    }
    void companyNameIdentifierCheck() {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        DialogHarness h;
        QCOMPARE(h.dialog->IsValidIDNew(name), valid);
    }
};

QTEST_MAIN(DialogShellTest)
#include "test_dialog_shell.moc"
