// A parameter's history at hand: 修改记录 in a control's context menu and
// Ctrl+H open the parameter's recorded changes, newest first, each value in
// the control's words; for a user who may only look as well; from a script;
// with what another workstation saved meanwhile.

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "AppRun.h"
#include "DialogHarness.h"
#include "services/Audit.h"
#include "zx/frame/ParamHistory.h"
#include "zx/params/Business.h"
#include "zx/params/Ledger.h"
#include "zx/params/Shown.h"

namespace {

// What the history window showed.
struct Seen {
    bool opened = false;
    QString title;
    QList<QStringList> rows;  // time, user, machine, address, before, after, save id
    bool gridShown = false;
    bool emptyShown = false;
};

// Waits for the history window (polling: a menu may close first), then works it.
void whenOpen(std::function<void(zx::frame::frmParamHistory*)> work, int triesLeft = 300) {
    auto* window = qobject_cast<zx::frame::frmParamHistory*>(QApplication::activeModalWidget());
    if (window) {
        work(window);
    } else if (triesLeft > 0) {
        QTimer::singleShot(10, [work, triesLeft] { whenOpen(work, triesLeft - 1); });
    }
}

void read(const std::shared_ptr<Seen>& seen, zx::frame::frmParamHistory* window);

// Reads the history window and closes it by its button.
void readWhenOpen(const std::shared_ptr<Seen>& seen) {
    whenOpen([seen](zx::frame::frmParamHistory* window) { read(seen, window); });
}

void read(const std::shared_ptr<Seen>& seen, zx::frame::frmParamHistory* window) {
    seen->opened = true;
    seen->title = window->windowTitle();
    const QAbstractItemModel* model = window->grid()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c) row << model->index(r, c).data().toString();
        seen->rows << row;
    }
    seen->gridShown = window->grid()->isVisible();
    seen->emptyShown = window->findChild<QLabel*>("lblEmpty")->isVisible();
    window->findChild<QPushButton*>("cmdClose")->click();
}

// Right-clicks the control as the window system does: the widget under the
// mouse that takes it receives the menu event; then picks 修改记录.
void pickWhenOpen(const std::shared_ptr<Seen>& seen, int triesLeft = 300) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) {
        if (triesLeft > 0) {
            QTimer::singleShot(10, [seen, triesLeft] { pickWhenOpen(seen, triesLeft - 1); });
        }
        return;
    }
    for (QAction* a : menu->actions()) {
        if (a->text() == QStringLiteral("修改记录")) menu->setActiveAction(a);
    }
    QTest::keyClick(menu, Qt::Key_Return);
    readWhenOpen(seen);
}

Seen byContextMenu(QWidget* control) {
    auto seen = std::make_shared<Seen>();
    QTimer::singleShot(0, [seen] { pickWhenOpen(seen); });
    QWidget* window = control->window();
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {},
                      control->mapTo(window, control->rect().center()));
    return *seen;
}

Seen byShortcut(QWidget* control) {
    auto seen = std::make_shared<Seen>();
    QApplication::setActiveWindow(control->window());
    control->setFocus();
    QTimer::singleShot(0, [seen] { readWhenOpen(seen); });
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : control, Qt::Key_H, Qt::ControlModifier);
    return *seen;
}

QStringList values(const Seen& s) {
    QStringList out;
    for (const QStringList& row : s.rows)
        out << row.value(4) + QStringLiteral(" → ") + row.value(5);
    return out;
}

// A write as the host's parameter services record it, from `user`.
void hostWrites(DialogHarness& h, const QString& category, const QString& key,
                const QString& text) {
    refhost::auditedProfileWrite(*h.set.host, category, key, text, false);
}

void showDialog(DialogHarness& h) {
    h.dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.dialog.get()));
}

// Brings the control into view, as a user clicks the tabs of its pages and
// scrolls to it.
template <class T>
T* reveal(DialogHarness& h, const QString& name) {
    T* w = h.c<T>(name);
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(
                p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr)) {
            if (tabs->indexOf(p) >= 0) tabs->setCurrentWidget(p);
        }
    }
    QCoreApplication::processEvents();
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w);
    }
    QCoreApplication::processEvents();
    return w;
}

}  // namespace

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    // A box and a list changed by two saves: newest first, each value as
    // the control shows it, with who and where.
    void aBoxAndAListShowTheirChangesInTheirWords() {
        DialogHarness h;
        h.c<QCheckBox>("chkSettle")->setChecked(true);
        QVERIFY(h.dialog->SaveProfiles());
        h.open();
        h.c<QCheckBox>("chkSettle")->setChecked(false);
        h.c<QComboBox>("cmbIC_BOMType")->setCurrentIndex(1);
        QVERIFY(h.dialog->SaveProfiles());
        showDialog(h);

        const Seen box = byShortcut(reveal<QCheckBox>(h, "chkSettle"));
        QVERIFY(box.opened);
        QCOMPARE(box.title, QStringLiteral("修改记录 - 银行存款科目必须输入结算信息"));
        QCOMPARE(values(box), (QStringList{"启用 → 不启用", "不启用（默认） → 启用"}));
        const QStringList newest = box.rows.first();
        QCOMPARE(newest.value(1), QStringLiteral("administrator"));
        QCOMPARE(newest.value(2), h.set.host->computerName().value_or(QString()).toUpper());
        QVERIFY(newest.value(0) >= box.rows.last().value(0));

        const Seen list = byContextMenu(reveal<QComboBox>(h, "cmbIC_BOMType"));
        QVERIFY(list.opened);
        QCOMPARE(values(list), QStringList{"标准用量/(1-损耗率%)（默认） → 标准用量*(1+损耗率%)"});
    }

    // A user who may only look: the dialog is locked, its boxes ignore the
    // mouse, and the menu is still there; a parameter never changed says so.
    void aViewerSeesTheHistoryAndAnUnchangedParameterSaysSo() {
        DialogHarness h("viewer", [](DialogHarness& d) {
            hostWrites(d, "GL", "VoucherSettleType", "1");
            hostWrites(d, "GL", "VoucherSettleType", "1");  // wrote what was there: no change
        });
        showDialog(h);
        QVERIFY(h.locked("chkSettle"));
        const Seen box = byContextMenu(reveal<QCheckBox>(h, "chkSettle"));
        QVERIFY(box.opened);
        QCOMPARE(values(box).size(), 1);
        QCOMPARE(values(box).first(), QStringLiteral("不启用（默认） → 启用"));

        const Seen none = byContextMenu(reveal<QCheckBox>(h, "chkCheckBeforePost"));
        QVERIFY(none.opened);
        QVERIFY(none.rows.isEmpty());
        QVERIFY(none.emptyShown && !none.gridShown);
    }

    // The profit account is stored as the account's id; the history names
    // the account by its number and name.
    void aProfitAccountShowsByNumberAndName() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            auto id = [&d](const char* number) {
                return d.set.db
                    ->nativeQuery("SELECT FAccountID, FName FROM t_Account WHERE FNumber = ?",
                                  {QString::fromLatin1(number)})
                    ->Field(0)
                    .toString();
            };
            hostWrites(d, "GL", "EarnAccount", id("3103"));
        });
        const QString name =
            h.set.db->nativeQuery("SELECT FName FROM t_Account WHERE FNumber = '3103'")
                ->Field(0)
                .toString();
        showDialog(h);
        const Seen seen = byShortcut(reveal<QWidget>(h, "txtEarnAcct"));
        QVERIFY(seen.opened);
        QCOMPARE(values(seen).size(), 1);
        QVERIFY2(values(seen).first().endsWith(QStringLiteral("→ 3103 ") + name),
                 qPrintable(values(seen).first()));
    }

    // Another workstation saves while this dialog is open: the history
    // opened afterwards lists its change. A script of a user who may only
    // look opens the history, dumps it, shoots it and closes it.
    void anotherWorkstationsChangeAndAViewersScript() {
        DialogHarness h;
        showDialog(h);
        QVERIFY(byShortcut(h.c<QCheckBox>("chkSettle")).rows.isEmpty());
        const QStringList set{"--db", h.set.location(), "--install", h.set.installDir};
        const QString script = h.set.dir.filePath("script.txt");
        const Run other = runApp(set, script, "set chkSettle 1\nclick btnSave\n");
        QVERIFY2(other.exitCode == 0, qPrintable(other.out + other.err));
        QCOMPARE(values(byShortcut(h.c<QCheckBox>("chkSettle"))),
                 QStringList{"不启用（默认） → 启用"});

        const QString shots = h.set.dir.filePath("shots");
        const Run viewer =
            runApp(set + QStringList{"--user", "viewer", "--screenshot", shots}, script,
                   "history chkSettle\n"
                   "expect-window frmParamHistory\n"
                   "dump\n"
                   "shot history\n"
                   "click cmdClose\n"
                   "expect-window frmSystemProfiles\n"
                   "history chkCheckBeforePost\n"
                   "dump\n"
                   "click cmdClose\n");
        QVERIFY2(viewer.exitCode == 0, qPrintable(viewer.out + viewer.err));
        // The two dumps, one after the other.
        const qsizetype second =
            viewer.out.lastIndexOf('\n', viewer.out.lastIndexOf("\"name\":\"frmParamHistory\"")) +
            1;
        QVERIFY(second > 0);
        const QJsonObject changed = control(viewer.out.left(second), "grdHistory");
        const QJsonArray row = changed.value("items").toArray().first().toArray();
        QCOMPARE(row.at(4).toString(), QStringLiteral("不启用（默认）"));
        QCOMPARE(row.at(5).toString(), QStringLiteral("启用"));
        QCOMPARE(row.at(1).toString(), QStringLiteral("administrator"));
        QVERIFY(QFileInfo(QDir(shots).filePath("history.png")).size() > 0);
        const QString unchanged = viewer.out.mid(second);
        QVERIFY(control(unchanged, "lblEmpty").value("visible").toBool());
        QVERIFY(control(unchanged, "grdHistory").value("items").toArray().isEmpty());
    }

    // A long history opens with its first page and its count; the rest is
    // read as the list is scrolled, newest first, each change once, also
    // when another workstation records one while the window is open.
    void aLongHistoryIsReadAsItIsScrolled() {
        constexpr int kRecorded = 450;
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("GL", "CheckBeforePost", "0");
            d.set.db->transaction([&d] {
                for (int i = 0; i < kRecorded; ++i) {
                    d.set.db->nativeExec(
                        "INSERT INTO t_SystemProfile_Audit (FTime, FUserID, FUserName, "
                        "FMachineName, FIpAddress, FProgram, FCategory, FKey, FOldValue, "
                        "FNewValue) VALUES (?, 1, 'administrator', 'WS', '10.0.0.1', 'test', "
                        "'GL', 'CheckBeforePost', ?, ?)",
                        {QStringLiteral("2024-01-01 00:%1:%2")
                             .arg(i / 60, 2, 10, QChar('0'))
                             .arg(i % 60, 2, 10, QChar('0')),
                         QString::number(i % 2), QString::number(1 - i % 2)});
                }
            });
        });
        showDialog(h);
        int first = 0;
        QString count;
        QStringList times;
        whenOpen([&](zx::frame::frmParamHistory* window) {
            QAbstractItemModel* model = window->grid()->model();
            first = model->rowCount();
            count = window->findChild<QLabel*>("lblCount")->text();
            hostWrites(h, "GL", "CheckBeforePost", "1");
            hostWrites(h, "GL", "CheckBeforePost", "0");
            for (int shown = -1; shown != model->rowCount();) {
                shown = model->rowCount();
                window->grid()->scrollToBottom();
                QCoreApplication::processEvents();
            }
            for (int r = 0; r < model->rowCount(); ++r)
                times << model->index(r, 0).data().toString();
            window->findChild<QPushButton*>("cmdClose")->click();
        });
        QCheckBox* box = reveal<QCheckBox>(h, "chkCheckBeforePost");
        QApplication::setActiveWindow(h.dialog.get());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(first, zx::frame::frmParamHistory::kPage);
        QCOMPARE(count, QStringLiteral("共 450 条修改记录"));
        QCOMPARE(times.size(), kRecorded);
        QCOMPARE(times.first(), QStringLiteral("2024-01-01 00:07:29"));
        QCOMPARE(times.last(), QStringLiteral("2024-01-01 00:00:00"));
        for (int i = 1; i < times.size(); ++i)
            QVERIFY2(times.at(i - 1) > times.at(i), qPrintable(times.at(i)));
        // Opened again, it lists the two changes recorded meanwhile first.
        QCOMPARE(values(byShortcut(h.c<QCheckBox>("chkCheckBeforePost"))).mid(0, 2),
                 (QStringList{"启用 → 不启用", "不启用 → 启用"}));
    }

    // A set made before the audit's index by parameter: another workstation
    // that opens it and leaves adds nothing; its first save adds the index.
    void anOlderSetGetsTheIndexAtItsFirstSave() {
        DialogHarness h;
        refhost::Database& db = *h.set.db;
        auto indexed = [&db] {
            return db.nativeQuery(db.onServer()
                                      ? "SELECT COUNT(*) FROM pg_indexes WHERE indexname = "
                                        "'ix_systemprofile_audit_key'"
                                      : "SELECT COUNT(*) FROM sqlite_master WHERE name = "
                                        "'ix_SystemProfile_Audit_Key'")
                       ->Field(0)
                       .toInt() == 1;
        };
        QVERIFY(indexed());
        db.nativeExec("DROP INDEX ix_SystemProfile_Audit_Key");
        const QStringList set{"--db", h.set.location(), "--install", h.set.installDir};
        const QString script = h.set.dir.filePath("script.txt");
        Run r = runApp(set, script, "history chkSettle\nclick cmdClose\nclick btnClose\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY(!indexed());
        r = runApp(set, script, "set chkSettle 1\nclick btnSave\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY(indexed());
    }

    // Stored texts in the words of their controls; one a control cannot
    // show as it is stored says what is stored.
    void storedTextsInTheControlsWords() {
        using namespace zx::params;
        const struct {
            const Param& p;
            std::optional<QString> stored;
            QString shown;
        } cases[] = {
            {ledger::CheckBeforePost, QStringLiteral("1"), QStringLiteral("启用")},
            {ledger::CheckBeforePost, QStringLiteral("0"), QStringLiteral("不启用")},
            {ledger::CheckBeforePost, std::nullopt, QStringLiteral("不启用（默认）")},
            {business::NoSameWareInBill, QStringLiteral("2"),
             QStringLiteral("不启用（存储为“2”）")},
            {business::BOMType, QStringLiteral("1"), QStringLiteral("标准用量/(1-损耗率%)")},
            {business::BOMType, QStringLiteral("7"), QStringLiteral("（未选择）（存储为“7”）")},
            {business::AutoMakeInvoiceCG, QStringLiteral("2"), QStringLiteral("启用，普通发票")},
            {business::CalculateType, QStringLiteral("1"), QStringLiteral("分仓核算")},
            {business::MoCheckQty, QStringLiteral("2"),
             QStringLiteral("生产任务单/委外加工单需完成生产领料/委外发料才可入库：不启用；"
                            "生产任务单/委外加工单部分生产领料/委外发料即可入库：启用")},
            {business::RedBillCaculate, QStringLiteral("010"),
             QStringLiteral("作为入库，作为出库，作为入库")},
            {cashier::MakeJournal, QStringLiteral("2"), QStringLiteral("启用（灰）")},
            {company::TaxRate, QStringLiteral("13"), QStringLiteral("13")},
            {business::BatchNo01FieldNameIndex, QStringLiteral("1"),
             QStringLiteral("批号 FBatchNo")},
            {ledger::PriceDefNum, QStringLiteral("abc"), QStringLiteral("0（存储为“abc”）")},
        };
        for (const auto& c : cases) {
            QCOMPARE(shownText(c.p, c.stored), c.shown);
        }
    }
};

QTEST_MAIN(HistoryTest)
#include "test_history.moc"
