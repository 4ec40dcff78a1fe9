// The profit-account boxes: how they load, what their checks accept, refuse
// and advise, and choosing accounts in the host's selection window (how a
// choice combines with the box, the keys that open the window, leaving a box,
// a failing check that opens the window again), on the demo chart of accounts.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QQueue>
#include <QTabWidget>
#include <QtTest>
#include <optional>

#include "DialogHarness.h"
#include "services/RefHost.h"
#include "windows/AccountLookup.h"
#include "zx/host/LedgerServices.h"
#include "zx/host/MemoryRecordSet.h"

namespace {

const QString kSame = QStringLiteral("本年利润科目和利润分配科目不能为同一科目！");
const QString kOwnersEquity = QStringLiteral("本年利润科目必须为所有者权益类科目!");
const QString kNetAssets = QStringLiteral("结余科目必须为净资产类科目!");

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

DialogHarness::Prepare carryForwardChart() {
    return [](DialogHarness& h) {
        h.setParam("GL", "AccountType", "11");
        h.removeParam("GL", "EarnAccount");
    };
}

QString accountId(DialogHarness& h, const QString& number) {
    auto rs = h.set.db->nativeQuery(
        QStringLiteral("SELECT FAccountID FROM t_Account WHERE FNumber = ?"), {number});
    if (rs->RecordCount() == 0) return QString();
    rs->MoveFirst();
    return rs->Field(0).toString();
}

QLineEdit* box(DialogHarness& h, const QString& name) {
    return h.c<QLineEdit>(name);
}

QString tagOf(DialogHarness& h, const QString& name) {
    return box(h, name)->property("Tag").toString();
}

// Types into a box as the user's edit (retyping the same text counts) and
// leaves it.
bool enter(DialogHarness& h, const QString& name, const QString& text) {
    box(h, name)->setText(text + QLatin1Char('~'));
    box(h, name)->setText(text);
    return name == "txtEarnAcct" ? h.dialog->ValidateEarnAcct()
                                 : h.dialog->ValidateEarnAssignAcct();
}

void choose(DialogHarness& h, const QString& boxName) {
    h.c<QPushButton>(boxName == QLatin1String("txtEarnAcct") ? "btnEarnAcct" : "btnEarnAssignAcct")
        ->click();
}

// Answers every lookup while it lives: the next queued number, or a cancel
// when the queue is empty. Records the text each lookup was opened on.
struct ScriptedLookups {
    ScriptedLookups() {
        refhost::AccountLookup::setAutomation(
            [this](const QString& text) -> std::optional<QString> {
                openedOn << text;
                if (picks.isEmpty()) return std::nullopt;
                return picks.dequeue();
            });
    }
    ~ScriptedLookups() { refhost::AccountLookup::setAutomation({}); }
    ScriptedLookups(const ScriptedLookups&) = delete;
    ScriptedLookups& operator=(const ScriptedLookups&) = delete;

    QQueue<QString> picks;
    QStringList openedOn;
};

// An AccountInfo whose first list fails, as a lost connection would.
class FailingOnceAccountInfo final : public zx::host::AccountInfo {
public:
    explicit FailingOnceAccountInfo(int& calls) : calls_(calls) {}
    zx::host::RecordSetPtr GetList(const QString&, qint32, const QString&) override {
        if (calls_++ == 0) {
            // Any error but a lost connection, which goes on to a save's retry.
            throw zx::host::HostError(zx::host::kGenericError, QStringLiteral("AccountInfo"),
                                      QStringLiteral("连接已断开"));
        }
        return std::make_shared<zx::host::MemoryRecordSet>(QStringList{"FDetailID"},
                                                           QList<QVariantList>{});
    }

private:
    int& calls_;
};

}  // namespace

class ProfitTest : public QObject {
    Q_OBJECT

private slots:
    void anEnterpriseShowsNumbersAndKeepsIds() {
        DialogHarness h;
        QCOMPARE(box(h, "txtEarnAcct")->text(), "3131");
        QCOMPARE(tagOf(h, "txtEarnAcct"), accountId(h, "3131"));
        QCOMPARE(box(h, "txtEarnAssignAcct")->text(), "3141");
        QCOMPARE(tagOf(h, "txtEarnAssignAcct"), accountId(h, "3141"));
        QVERIFY(!h.c<QWidget>("btnEarnAcct")->isHidden());
        QVERIFY(!h.c<QWidget>("btnEarnAssignAcct")->isHidden());
        QVERIFY(!h.dialog->IsChanged());

        // A stored id the chart no longer has leaves the box empty.
        DialogHarness gone("viewer", params({{"GL", "EarnAccount", "99999"}}));
        QCOMPARE(box(gone, "txtEarnAcct")->text(), QString());
        QCOMPARE(tagOf(gone, "txtEarnAcct"), "0");
        QVERIFY(box(gone, "txtEarnAssignAcct")->isReadOnly());
        QVERIFY(gone.c<QWidget>("btnEarnAcct")->isHidden());
    }

    void eachChartHasItsWording() {
        DialogHarness h("administrator", carryForwardChart());
        QCOMPARE(h.c<QLabel>("LBEarn")->text(), "结转科目（可选择多次）：");
        QCOMPARE(box(h, "txtEarnAcct")->text(), "3101,3102");
        for (const char* name : {"lblEarnAssign", "txtEarnAssignAcct", "btnEarnAssignAcct"}) {
            QVERIFY2(h.c<QWidget>(name)->isHidden(), name);
        }

        DialogHarness ga("administrator", params({{"GL", "GaSystem", "1"},
                                                  {"GL", "EarnAccount", "3131"},
                                                  {"GL", "EarnAssignAccount", "3141"}}));
        QCOMPARE(ga.c<QLabel>("LBEarn")->text(), "结余科目：");
        QCOMPARE(box(ga, "txtEarnAcct")->text(), "3131");  // the stored text itself
    }

    // What leaving an edited box accepts, refuses and advises. A refusal keeps
    // the account the box stood for and shows the page of the boxes.
    void anEditedBoxIsChecked_data() {
        QTest::addColumn<QString>("chart");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");    // the box's text afterwards
        QTest::addColumn<QString>("account");  // the tag's account; empty: kept
        const QString earn = "txtEarnAcct", assign = "txtEarnAssignAcct", cf = "carry-forward";
        auto row = [](const char* name, const QString& chart, const QString& boxName,
                      const QString& text, const QString& message, const QString& after,
                      const QString& account) {
            QTest::newRow(name) << chart << boxName << text << message << after << account;
        };
        row("carry-forward list, the last counts", cf, earn, " 3101,3103 ", "", "3101,3103",
            "3103");
        row("carry-forward class failure empties the list", cf, earn, "3101,1001",
            "结转科目必须为净资产类科目！", "", "");
        row("carry-forward distribution is never emptied", cf, assign, "1001", kOwnersEquity,
            "1001", "");
        row("public sector", "public", earn, "3103,1002", kNetAssets, "3103,1002", "");
        row("same account in both", "", earn, "3141", kSame, "3141", "");
        row("second level", "", earn, "3141.01", "科目[3141.01]必须是总账科目!", "3141.01", "");
        row("distribution not equity", "", assign, "5101", kOwnersEquity, "5101", "");
        row("missing stops the list", "", earn, "3101,9999,1001", "科目[9999]不存在!",
            "3101,9999,1001", "");
        row("no item classes", "items", earn, "3101", "", "3101", "3101");
        const QString advice =
            "下挂核算项目\r\n在自动结转损益时，%1最好下挂核算项目\r\n"
            "且包含本年利润科目下挂的核算项目\r\n否则只结转至科目，核算项目为空！";
        row("item classes advise", "items", earn, "3103", "本年利润科目" + advice.arg("损益类科目"),
            "3103", "3103");
        row("a sub-account's item classes count for its parent", "items", assign, "3141",
            "利润分配科目" + advice.arg("以前年度损益调整科目"), "3141", "3141");
    }
    void anEditedBoxIsChecked() {
        QFETCH(QString, chart);
        QFETCH(QString, boxName);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, after);
        QFETCH(QString, account);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            if (chart == "carry-forward") carryForwardChart()(d);
            if (chart == "public") d.setParam("GL", "GaSystem", "1");
            if (chart == "items") {
                d.set.db->nativeExec("UPDATE t_Account SET FDetailID = 1 WHERE FNumber = '3103'");
                d.set.db->nativeExec(
                    "UPDATE t_Account SET FDetailID = 2 WHERE FNumber = '3141.02'");
            }
        });
        box(h, boxName)->setProperty("Tag", "7");
        h.dialog->Stab()->setCurrentIndex(0);
        QVERIFY(enter(h, boxName, text));
        QCOMPARE(h.shownOf("message"), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(h.shownOf("error").isEmpty());
        QCOMPARE(box(h, boxName)->text(), after);
        QCOMPARE(tagOf(h, boxName), account.isEmpty() ? QString("7") : accountId(h, account));
        // The same-account check runs before the chart is read and leaves the page alone.
        QCOMPARE(h.dialog->Stab()->currentIndex(), account.isEmpty() && message != kSame ? 2 : 0);
    }

    void twoEmptyBoxesAreTheSameAccount() {
        DialogHarness empty;
        const QString tag = tagOf(empty, "txtEarnAcct");
        QVERIFY(enter(empty, "txtEarnAssignAcct", QString()));
        QVERIFY(empty.shown.isEmpty());
        QCOMPARE(tagOf(empty, "txtEarnAssignAcct"), "0");
        QVERIFY(enter(empty, "txtEarnAcct", QString()));
        QCOMPARE(empty.shownOf("message"), QStringList{kSame});
        QCOMPARE(tagOf(empty, "txtEarnAcct"), tag);

        // A box left without an edit is not checked again.
        empty.shown.clear();
        QVERIFY(empty.dialog->ValidateEarnAssignAcct());
        QVERIFY(empty.dialog->ValidateEarnAcct());
        QVERIFY(empty.shown.isEmpty());
    }

    // "314" reaches only itself and "314.", never "3141.02".
    void itemClassesOfSubAccountsCount() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("UPDATE t_Account SET FDetailID = 2 WHERE FNumber = '3141.02'");
        });
        QVERIFY(h.dialog->HasItemClasses("3141"));
        QVERIFY(!h.dialog->HasItemClasses("3131"));
        QVERIFY(!h.dialog->HasItemClasses("314"));
    }

    void anApostropheStaysText() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            carryForwardChart()(d);
            d.set.db->nativeExec(
                "INSERT INTO t_Account (FNumber, FName, FLevel, FGroupID) VALUES ('3''9', '基金', "
                "1, 301)");
            d.set.db->nativeExec(
                "INSERT INTO t_Account (FNumber, FName, FLevel, FGroupID, FDetailID) VALUES "
                "('3''9.01', '基金明细', 2, 301, 4)");
        });
        ScriptedLookups lookups;
        h.dialog->show();
        auto* earn = box(h, "txtEarnAcct");
        earn->setFocus();
        earn->end(false);
        QTest::keyClicks(earn, ",31'01");
        QVERIFY(lookups.openedOn.isEmpty());  // the list is typed, not chosen
        QCOMPARE(earn->text(), "3101,3102,31'01");
        QVERIFY(h.dialog->ValidateEarnAcct());
        QCOMPARE(h.shownOf("message"), QStringList{"科目[31'01]不存在!"});

        h.shown.clear();
        QVERIFY(enter(h, "txtEarnAcct", "3101,3'9"));
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.shownOf("message").size(), 1);  // the item-class advice
        QCOMPARE(tagOf(h, "txtEarnAcct"), accountId(h, "3'9"));
        // Quoted, a crafted number finds nothing instead of every account.
        QVERIFY(!h.dialog->HasItemClasses("x' Or FDetailID > 0 Or FNumber = '"));
        QVERIFY(h.shownOf("error").isEmpty());

        // The list is stored as typed.
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "EarnAccount"), "3101,3'9");
    }

    // ----- The selection window ----------------------------------------------

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
        const QString earn = "txtEarnAcct", assign = "txtEarnAssignAcct", cf = "carry-forward";
        auto row = [](const char* name, const QString& chart, const QString& boxName,
                      const QString& old, const QString& pick, const QString& expected) {
            QTest::newRow(name) << chart << boxName << old << pick << expected;
        };
        row("carry-forward: appended", cf, earn, "3101,3102", "3103", "3101,3102,3103");
        row("carry-forward: already listed, alone", cf, earn, "3101,3102", "3102", "3102");
        row("carry-forward: refused, old list back", cf, earn, "3101", "1001", "3101");
        row("public: appended", "public", earn, "3131", "3103", "3131,3103");
        row("public distribution: appended", "public", assign, "3141", "3102", "3141,3102");
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

QTEST_MAIN(ProfitTest)
#include "test_profit.moc"
