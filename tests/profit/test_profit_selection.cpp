// Choosing profit accounts in the host's selection window: how a choice
// combines with the box, the keys that open the window, leaving a box, and a
// failing check that opens the window again.

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "ProfitHelpers.h"
#include "services/RefHost.h"
#include "zx/host/LedgerServices.h"
#include "zx/host/MemoryRecordSet.h"

namespace {

QLineEdit* box(DialogHarness& h, const QString& name) {
    return h.c<QLineEdit>(name);
}

void choose(DialogHarness& h, const QString& boxName) {
    h.c<QPushButton>(boxName == QLatin1String("txtEarnAcct") ? "btnEarnAcct" : "btnEarnAssignAcct")
        ->click();
}

// An AccountInfo whose first list fails, as a lost connection would.
class FailingOnceAccountInfo final : public zx::host::AccountInfo {
public:
    explicit FailingOnceAccountInfo(int& calls) : calls_(calls) {}
    zx::host::RecordSetPtr GetList(const QString&, qint32, const QString&) override {
        if (calls_++ == 0) {
            throw zx::host::HostError(3709, QStringLiteral("AccountInfo"),
                                      QStringLiteral("连接已断开"));
        }
        return std::make_shared<zx::host::MemoryRecordSet>(QStringList{"FDetailID"},
                                                           QList<QVariantList>{});
    }

private:
    int& calls_;
};

}  // namespace

class ProfitSelectionTest : public QObject {
    Q_OBJECT

private slots:
    void aChoiceFillsTheBoxAndACancelChangesNothing() {
        ScriptedLookups lookups;
        DialogHarness h;
        h.c<QPushButton>("btnEarnAssignAcct")->click();  // cancelled: nothing queued
        QCOMPARE(box(h, "txtEarnAssignAcct")->text(), "3141");
        QVERIFY(!h.dialog->IsChanged());

        lookups.picks << "3103";
        h.c<QPushButton>("btnEarnAcct")->click();
        QCOMPARE(lookups.openedOn, (QStringList{"3141", "3131"}));
        QCOMPARE(box(h, "txtEarnAcct")->text(), "3103");
        QCOMPARE(tagOf(h, "txtEarnAcct"), accountId(h, "3103"));
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.shown.isEmpty());

        // A locked box opens no window.
        DialogHarness viewer("viewer");
        viewer.c<QPushButton>("btnEarnAcct")->click();
        QCOMPARE(lookups.openedOn.size(), 2);
    }

    void aChoiceCombinesWithTheOldText_data() {
        QTest::addColumn<QString>("chart");  // "enterprise", "carry-forward", "public"
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QString>("expected");
        const QString earn = "txtEarnAcct", assign = "txtEarnAssignAcct";
        QTest::newRow("enterprise: alone") << "enterprise" << earn << "3131"
                                           << "3103"
                                           << "3103";
        QTest::newRow("carry-forward: appended") << "carry-forward" << earn << "3101,3102"
                                                 << "3103"
                                                 << "3101,3102,3103";
        QTest::newRow("carry-forward: already listed, alone")
            << "carry-forward" << earn << "3101,3102"
            << "3102"
            << "3102";
        QTest::newRow("carry-forward: refused, old list back") << "carry-forward" << earn << "3101"
                                                               << "1001"
                                                               << "3101";
        QTest::newRow("public: appended") << "public" << earn << "3131"
                                          << "3103"
                                          << "3131,3103";
        QTest::newRow("public distribution: appended") << "public" << assign << "3141"
                                                       << "3102"
                                                       << "3141,3102";
    }
    void aChoiceCombinesWithTheOldText() {
        QFETCH(QString, chart);
        QFETCH(QString, boxName);
        QFETCH(QString, old);
        QFETCH(QString, pick);
        QFETCH(QString, expected);
        ScriptedLookups lookups;
        lookups.picks << pick;
        DialogHarness h("administrator", [&](DialogHarness& d) {
            if (chart == "carry-forward") d.setParam("GL", "AccountType", "11");
            if (chart == "public") d.setParam("GL", "GaSystem", "1");
        });
        box(h, boxName)->setText(old);
        choose(h, boxName);
        QCOMPARE(box(h, boxName)->text(), expected);
        QVERIFY(h.shownOf("error").isEmpty());
        QCOMPARE(lookups.openedOn.size(), 1);
    }

    void aFailingCheckOpensTheWindowAgain() {
        ScriptedLookups lookups;
        lookups.picks << "3103"
                      << "3102";
        DialogHarness h;
        int lists = 0;
        h.set.host->registerFactory(
            "AccountInfo", [&lists] { return std::make_shared<FailingOnceAccountInfo>(lists); });
        h.c<QPushButton>("btnEarnAcct")->click();
        QCOMPARE(h.shownOf("error"), QStringList{"连接已断开"});
        QCOMPARE(lookups.openedOn, (QStringList{"3131", "3103"}));
        QCOMPARE(box(h, "txtEarnAcct")->text(), "3102");
        QCOMPARE(tagOf(h, "txtEarnAcct"), accountId(h, "3102"));

        // Leaving a box reports the error the same way and keeps the tag.
        lists = 0;
        h.shown.clear();
        box(h, "txtEarnAcct")->setText("3103");
        QVERIFY(!h.dialog->ValidateEarnAcct());
        QCOMPARE(h.shownOf("error"), QStringList{"连接已断开"});
        QCOMPARE(tagOf(h, "txtEarnAcct"), accountId(h, "3102"));
    }

    void keysInABoxOpenTheWindow() {
        ScriptedLookups lookups;
        DialogHarness h;
        h.dialog->show();
        QTest::keyClick(box(h, "txtEarnAcct"), Qt::Key_5);
        QCOMPARE(lookups.openedOn, QStringList{"3131"});
        QCOMPARE(box(h, "txtEarnAcct")->text(), "3131");  // the key typed nothing
        QTest::keyClick(box(h, "txtEarnAssignAcct"), Qt::Key_Delete);
        QCOMPARE(lookups.openedOn.size(), 2);
        // Moving on with Tab or Shift+Tab is no request for the window.
        QTest::keyClick(box(h, "txtEarnAcct"), Qt::Key_Tab);
        QTest::keyClick(box(h, "txtEarnAcct"), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(lookups.openedOn.size(), 2);

        // A viewer's keys never open it.
        DialogHarness viewer("viewer");
        viewer.dialog->show();
        QTest::keyClick(box(viewer, "txtEarnAcct"), Qt::Key_5);
        QCOMPARE(lookups.openedOn.size(), 2);
    }

    void leavingAnEditedBoxChecksIt() {
        ScriptedLookups lookups;
        DialogHarness h;
        h.dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
        h.dialog->Stab()->setCurrentIndex(2);
        auto* earn = box(h, "txtEarnAcct");
        earn->setFocus();
        QVERIFY(earn->hasFocus());
        earn->setText("1001");  // pasted or set by a script: no key pressed
        box(h, "txtEarnAssignAcct")->setFocus(Qt::TabFocusReason);
        QCOMPARE(h.shownOf("message"), QStringList{"本年利润科目必须为所有者权益类科目!"});
        QVERIFY(earn->hasFocus());

        // Leaving again without an edit says nothing more.
        box(h, "txtEarnAssignAcct")->setFocus(Qt::TabFocusReason);
        QCOMPARE(h.shownOf("message").size(), 1);
        QVERIFY(lookups.openedOn.isEmpty());
    }
};

QTEST_MAIN(ProfitSelectionTest)
#include "test_profit_selection.moc"
