// The window frmNetControl, driven by its controls' names: what it lists, who
// may release, the question before a live holder's lock is taken away.

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include "Holder.h"
#include "lock/NetControl.h"
#include "windows/frmNetControl.h"

using refhost::frmNetControl;
using zx::host::MsgResult;

namespace {

template <class T>
T* c(frmNetControl& w, const char* name) {
    T* control = w.findChild<T*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

QString text(frmNetControl& w, int row, int column) {
    const QTableWidgetItem* item = c<QTableWidget>(w, "grdLocks")->item(row, column);
    return item ? item->text() : QString();
}

// The row of a period, -1 when it is not listed.
int rowOf(frmNetControl& w, int period) {
    auto* grid = c<QTableWidget>(w, "grdLocks");
    for (int row = 0; row < grid->rowCount(); ++row) {
        if (text(w, row, 2) == QString::number(period)) return row;
    }
    return -1;
}

// Questions the window asks, answered as told.
struct Answers {
    explicit Answers(DemoSet& set) : set_(set) {
        set_.host->setAnswerHook([this](const QString& question, zx::host::MsgButtons,
                                        zx::host::MsgIcon) -> std::optional<MsgResult> {
            asked << question;
            return next;
        });
    }
    ~Answers() { set_.host->setAnswerHook({}); }
    QStringList asked;
    MsgResult next = MsgResult::No;

private:
    DemoSet& set_;
};

}  // namespace

class NetControlWindowTest : public QObject {
    Q_OBJECT

private slots:
    void listsAndReleasesLiveAndGoneHolders() {
        DemoSet set(true, QStringLiteral("administrator"));
        Holder holder(set, 2024, 3, QStringLiteral("editor"));
        QVERIFY(holder.locked());
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));

        frmNetControl w(*set.host);
        QCOMPARE(w.objectName(), QStringLiteral("frmNetControl"));
        QCOMPARE(w.windowTitle(), QStringLiteral("网络控制工具"));
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 2);
        const int live = rowOf(w, 3);
        const int gone = rowOf(w, 4);
        QCOMPARE(text(w, live, 0), QStringLiteral("pu08"));
        QCOMPARE(text(w, live, 3), QStringLiteral("editor"));
        QCOMPARE(text(w, live, 4), QStringLiteral("HOLDER"));
        QCOMPARE(text(w, live, 6), QString::number(holder.pid()));
        QCOMPARE(text(w, live, 9), QStringLiteral("使用中"));
        QCOMPARE(text(w, gone, 4), QStringLiteral("WS-OLD"));
        QCOMPARE(text(w, gone, 5), QStringLiteral("10.0.0.9"));
        QCOMPARE(text(w, gone, 8), QStringLiteral("2020-01-01 08:00:00"));
        QCOMPARE(text(w, gone, 9), QStringLiteral("已断开"));
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"其中 1 个的持有者已不在"));

        // Nothing chosen: nothing to release, and the button says so.
        QVERIFY(!c<QPushButton>(w, "cmdRelease")->isEnabled());
        QVERIFY(c<QPushButton>(w, "cmdRelease")->toolTip().contains(u"选择"));

        // A gone holder's lock is cleared at once; a live one's only after
        // the question that names the user and the workstation.
        Answers answers(set);
        auto* grid = c<QTableWidget>(w, "grdLocks");
        auto* release = c<QPushButton>(w, "cmdRelease");
        grid->selectRow(gone);
        QVERIFY(release->isEnabled());
        release->click();
        QVERIFY(answers.asked.isEmpty());
        QCOMPARE(rowOf(w, 4), -1);
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"已清除"));

        grid->selectRow(rowOf(w, 3));
        release->click();  // answered No
        QCOMPARE(answers.asked.size(), 1);
        QVERIFY(answers.asked.at(0).contains(u"editor"));
        QVERIFY(answers.asked.at(0).contains(u"HOLDER"));
        QVERIFY(rowOf(w, 3) >= 0);
        QCOMPARE(takeHere(set, 2024, 3), 0);

        answers.next = MsgResult::Yes;
        grid->selectRow(rowOf(w, 3));
        release->click();
        QCOMPARE(answers.asked.size(), 2);
        QCOMPARE(grid->rowCount(), 0);
        QVERIFY(c<QLabel>(w, "lblStatus")->text().contains(u"已释放"));
        const qint32 mine = takeHere(set, 2024, 3);
        QVERIFY(mine > 0);

        // 刷新 reads the locks again.
        c<QPushButton>(w, "cmdRefresh")->click();
        QCOMPARE(grid->rowCount(), 1);
        QCOMPARE(text(w, 0, 4), QStringLiteral("HERE"));
        QVERIFY(commitHere(set, mine));
    }

    void aViewerSeesTheListButCannotRelease() {
        DemoSet set(true, QStringLiteral("viewer"));
        leaveRecord(set, 2024, 4, QStringLiteral("WS-OLD"), QStringLiteral("left-behind"));
        frmNetControl w(*set.host);
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 1);
        c<QTableWidget>(w, "grdLocks")->selectRow(0);
        auto* release = c<QPushButton>(w, "cmdRelease");
        QVERIFY(!release->isEnabled());
        QVERIFY2(release->toolTip().contains(u"没有\"系统参数\"的修改权限"),
                 qPrintable(release->toolTip()));
        w.releaseChosen();  // as a script pressing it anyway would
        // Nor does the tool behind the window release for this user.
        refhost::NetControl control(*set.host);
        const refhost::NetControl::Result refused = control.release(control.list().at(0), true);
        QVERIFY(!refused.released);
        QCOMPARE(refused.message, control.releaseRefusal());
        w.refresh();
        QCOMPARE(c<QTableWidget>(w, "grdLocks")->rowCount(), 1);
    }

    void theWheelOverTheUnfocusedListScrollsNothing() {
        DemoSet set(true, QStringLiteral("administrator"));
        for (int period = 1; period <= 12; ++period) {
            leaveRecord(set, 2023, period, QStringLiteral("WS-OLD"), QString::number(period));
        }
        frmNetControl w(*set.host);
        auto* grid = c<QTableWidget>(w, "grdLocks");
        grid->setFixedHeight(grid->verticalHeader()->defaultSectionSize() * 4);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        c<QPushButton>(w, "cmdClose")->setFocus();
        QVERIFY(grid->verticalScrollBar()->maximum() > 0);

        auto turn = [&] {
            const QPointF at = grid->viewport()->rect().center();
            QWheelEvent wheel(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &wheel);
        };
        turn();
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        turn();
        QVERIFY(grid->verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(NetControlWindowTest)
#include "tst_netcontrol_window.moc"
