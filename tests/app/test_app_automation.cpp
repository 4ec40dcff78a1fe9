// The executable driven as implementers drive it: control dumps, page
// screenshots and scripts against the live dialog on a fresh demo set.

#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "AppRun.h"

namespace {

class App {
public:
    App() { QVERIFY(dir.isValid()); }

    // The first run makes the demo set; --create is refused once it is there.
    Run run(const QStringList& args, const QString& script = QString()) {
        const QString set = dir.filePath("set.zxdb");
        const QStringList create = QFile::exists(set) ? QStringList() : QStringList{"--create"};
        return runApp(
            QStringList{"--db", set, "--install", dir.filePath("install")} + create + args,
            dir.filePath("script.txt"), script);
    }

    // Runs `sql` straight on the account set; the first value it returns.
    QString sql(const QString& text) {
        QString value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir.filePath("set.zxdb"));
            db.open();
            QSqlQuery q(db);
            if (q.exec(text) && q.next()) value = q.value(0).toString();
        }
        QSqlDatabase::removeDatabase("check");
        return value;
    }
    QString param(const QString& category, const QString& key) {
        return sql(QString("SELECT FValue FROM t_SystemProfile WHERE FCategory = '%1' AND "
                           "FKey = '%2'")
                       .arg(category, key));
    }
    QString shot(const QString& name) { return dir.filePath("shots/" + name + ".png"); }
    QString shots() { return dir.filePath("shots"); }

    QTemporaryDir dir;
};

#define QVERIFY_RUN(r) QVERIFY2((r).exitCode == 0, qPrintable((r).out + (r).err))

}  // namespace

class AppAutomationTest : public QObject {
    Q_OBJECT

private slots:
    void dumpsAndScreenshotsAfterLoading() {
        App app;
        const Run r = app.run({"--dump-controls", "--screenshot", app.shots()});
        QVERIFY_RUN(r);
        const QJsonObject window = control(r.out, "frmSystemProfiles");
        QCOMPARE(window.value("kind").toString(), "window");
        // Designed at 1200 x 760; a narrower screen gets a narrower window.
        const QJsonArray rect = window.value("rect").toArray();
        QVERIFY2(rect.size() == 4 && rect[2].toInt() <= 1200 && rect[2].toInt() >= 640 &&
                     rect[3].toInt() == 760,
                 qPrintable(QJsonDocument(rect).toJson(QJsonDocument::Compact)));
        // A box on a page not shown yet is seen once its tab is chosen, but
        // has no place on screen now; one in a hidden frame is not seen at all.
        const QJsonObject closePnl = control(r.out, "chkClosePnl");
        QCOMPARE(closePnl.value("visible").toBool(), true);
        QVERIFY(!closePnl.contains("rect"));
        QVERIFY(closePnl.contains("tooltip"));
        QCOMPARE(control(r.out, "txtLenXj").value("visible").toBool(), false);
        QCOMPARE(control(r.out, "txtTaxRate").value("text").toString(), "13");
        const QJsonObject name = control(r.out, "txtCompanyName");
        QCOMPARE(name.value("rect").toArray().size(), 4);
        QCOMPARE(name.value("kind").toString(), "text");
        QCOMPARE(name.value("text").toString(), "演示科技有限公司");
        QCOMPARE(name.value("page").toInt(), 0);
        QCOMPARE(control(r.out, "OptBud(2)").value("caption").toString(), "禁止使用");
        QCOMPARE(control(r.out, "btnSave").value("enabled").toBool(), false);
        // Nine pages less the two withdrawn ones, plus the four ledger pages.
        const QStringList files = QDir(app.shots()).entryList({"*.png"});
        QCOMPARE(files.size(), 7 + 4);
        QVERIFY(files.contains("page0.png") && !files.contains("page5.png"));

        // A small dialog keeps its size; the business page cannot fit 480
        // pixels, so its picture runs on below.
        const Run small = app.run(
            {"--size", "640x480", "--dump-controls", "--screenshot", app.dir.filePath("small")});
        QCOMPARE(control(small.out, "frmSystemProfiles").value("rect").toArray(),
                 (QJsonArray{0, 0, 640, 480}));
        const QSize business = QImageReader(app.dir.filePath("small/page7.png")).size();
        QVERIFY2(business.height() > 480 && business.width() >= 640,
                 qPrintable(QString::number(business.height())));
        QCOMPARE(app.run({"--size", "640"}).exitCode, 2);
        QCOMPARE(app.run({"--script-timeout", "0"}).exitCode, 2);
    }

    void badLinesFailWithTheLineNumber_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown control") << "set chkNoSuchThing 1\n"
                                         << "第 1 行: 窗口\"系统参数\"中没有控件";
        // Names are looked up in the topmost window only; the failure closes
        // the viewer and the dialog.
        QTest::newRow("control of the window below")
            << "click Stab(8)\nclick cmdOptHistory\nset chkClosePnl 1\n"
            << "第 3 行: 窗口\"参数修改日志\"中没有控件: chkClosePnl";
        QTest::newRow("other window") << "expect-window 参数修改日志\n"
                                      << "第 1 行: 最上层的窗口是\"系统参数\"";
        QTest::newRow("unused answer") << "answer yes\n"
                                       << "有 1 个准备好的回答没有用到";
        QTest::newRow("unanswered question") << "set chkSettle 1\nclick btnClose\n"
                                             << "没有准备回答的询问: 退出前是否保存修改?";
        QTest::newRow("out of bounds") << "\nset IntQtyDefNum 9\n"
                                       << "第 2 行: 数值框";
        QTest::newRow("unknown verb") << "press btnOK\n"
                                      << "不认识的命令";
        QTest::newRow("typing beyond the limit")
            << "set txtIC_Item4Name 一二三四五六七八九十一二三四五六七八九十一\n"
            << "第 1 行: 文本框 txtIC_Item4Name 最多输入 20 个字符";
        QTest::newRow("still open") << "expect-closed\n"
                                    << "对话框仍然打开";
    }
    void badLinesFailWithTheLineNumber() {
        QFETCH(QString, script);
        QFETCH(QString, message);
        App app;
        const Run r = app.run({}, script);
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.out.contains(message), qPrintable(r.out));
    }

    // Windows opened from the dialog are driven by the same lines: the
    // account selection and the closing options.
    void aScriptWorksInTheWindowsTheDialogOpens() {
        App app;
        const Run r = app.run({"--screenshot", app.shots()},
                              "click Stab(2)\n"
                              "click btnEarnAcct\n"
                              "expect-window 选择会计科目\n"
                              "set txtFilter 310\n"
                              "set lstAccounts 3103\n"
                              "dump\n"
                              "click btnOK\n"
                              "expect-window 系统参数\n"
                              "dump\n"
                              "click btnSave\n"
                              "click Stab(7)\n"
                              "set chkHS_CheckBillPosted 1\n"
                              "click cmdSetCheckItem\n"
                              "expect-window frmICSystemProfiles\n"
                              "set chkHS_UnCheckBillByRedSaleFP 1\n"
                              "click btnSave\n"
                              "dump\n"
                              "shot closing\n"
                              "click btnOK\n"
                              "expect-window frmSystemProfiles\n"
                              "click btnSave\n"
                              "click btnClose\n"
                              "expect-closed\n");
        QVERIFY_RUN(r);
        // The filter left the three accounts beginning with 310.
        QCOMPARE(control(r.out, "lstAccounts").value("items").toArray(),
                 (QJsonArray{"3101", "3102", "3103"}));
        QCOMPARE(control(r.out, "txtEarnAcct").value("text").toString(), "3103");
        QCOMPARE(app.param("GL", "EarnAccount"),
                 app.sql("SELECT FAccountID FROM t_Account WHERE FNumber = '3103'"));
        QCOMPARE(control(r.out, "chkHS_UnCheckBillByRedSaleFP").value("value").toInt(), 1);
        QCOMPARE(control(r.out, "btnSave").value("enabled").toBool(), false);
        QVERIFY(QFileInfo(app.shot("closing")).size() > 0);
        QCOMPARE(app.param("IC", "UnCheckBillByRedSaleFP"), "1");
        QCOMPARE(app.param("IC", "CheckBillPosted"), "1");
        // A check the user left alone is not written.
        QCOMPARE(app.param("IC", "UnCheckBillByPrevSaleFP"), "");
    }

    // A script types what a user can leave in a box; the save refuses it,
    // shows the box and writes nothing, the item master included.
    void anUnfinishedNumberIsRefusedAtTheSave() {
        App app;
        QVERIFY_RUN(app.run({"--dump-controls"}));  // makes the set
        const QString master = "SELECT group_concat(FDefaultValue) FROM t_ItemPropDesc";
        const QString before = app.sql(master);
        const Run r = app.run({}, "set txtTaxRate -.\nclick btnSave\nclick Stab(0)\ndump\n");
        QVERIFY_RUN(r);
        QVERIFY2(r.out.contains("[提示] “税率(%)”（系统信息）须填写有效的数字，没有保存。"),
                 qPrintable(r.out));
        QCOMPARE(control(r.out, "txtTaxRate").value("text").toString(), "-.");
        QCOMPARE(control(r.out, "btnSave").value("enabled").toBool(), true);
        QCOMPARE(app.param("General", "TaxRate"), "13");
        QCOMPARE(app.sql(master), before);
    }

    // Thirteen periods from a chosen day, built from the period page's
    // button: the page then shows the calendar the window built.
    void aScriptBuildsA13PeriodCalendar() {
        App app;
        // The page lists years from the start year, this year until one is stored.
        const int year = QDate::currentDate().year();
        const QString firstDay = QDate(year - 1, 10, 1).toString(Qt::ISODate);
        const Run r = app.run({}, QString("click Stab(1)\n"
                                          "click cmdSetPeriod\n"
                                          "expect-window 会计期间设置\n"
                                          "set optCount13 1\n"
                                          "set optStartDate 1\n"
                                          "set dtpStartDate %1\n"
                                          "set txtFirstYear %2\n"
                                          "set txtYears 3\n"
                                          "dump\n"
                                          "click cmdOK\n"
                                          "expect-window 系统参数\n"
                                          "dump\n")
                                      .arg(firstDay)
                                      .arg(year));
        QVERIFY_RUN(r);
        QVERIFY2(!r.out.contains("[错误]"), qPrintable(r.out));
        QCOMPARE(control(r.out, "grdPeriods").value("items").toArray().size(), 13);
        QCOMPARE(app.param("GL", "PeriodCount"), "13");
        QCOMPARE(app.sql("SELECT COUNT(*) FROM t_perioddate"), "39");
        QCOMPARE(app.sql("SELECT MAX(FYear) FROM t_perioddate"), QString::number(year + 2));
        QCOMPARE(app.sql("SELECT FValue FROM t_UserSetting WHERE FKey = 'VoucherType'"), "16394");
        QCOMPARE(control(r.out, "optPeriod13").value("value").toBool(), true);
        QCOMPARE(control(r.out, "optPeriod12").value("value").toBool(), false);
        QCOMPARE(control(r.out, "chkPeriodByMonth").value("value").toBool(), false);
        QCOMPARE(control(r.out, "txtStartPeriod").value("max").toInt(), 13);
        const QJsonArray years = control(r.out, "tvwPeriod").value("items").toArray();
        QVERIFY2(years.contains(QString::number(year)) && years.contains(QString::number(year + 2)),
                 qPrintable(QJsonDocument(years).toJson(QJsonDocument::Compact)));
        const QJsonArray periods = control(r.out, "pp").value("items").toArray();
        QCOMPARE(periods.size(), 13);
        QVERIFY2(periods.at(0).toArray().contains(firstDay),
                 qPrintable(QJsonDocument(periods).toJson(QJsonDocument::Compact)));
    }

    void messagesOpenAsWindowsOfTheScript() {
        App app;
        // A question without a prepared answer waits for the next lines.
        const Run r = app.run({"--screenshot", app.shots()},
                              "set chkSettle 1\n"
                              "click btnClose\n"
                              "expect-window Zentrix提示\n"
                              "dump\n"
                              "shot question\n"
                              "answer no\n"
                              "expect-closed\n");
        QVERIFY_RUN(r);
        const QJsonObject box = control(r.out, "MsgBox");
        QCOMPARE(box.value("kind").toString(), "message");
        QCOMPARE(box.value("text").toString(), "退出前是否保存修改?");
        QCOMPARE(box.value("items").toArray(), (QJsonArray{"取消", "是", "否"}));
        QVERIFY(QFileInfo(app.shot("question")).size() > 0);
        QVERIFY(r.out.contains("[结果] SystemSetting 返回 False"));
        QCOMPARE(app.param("GL", "VoucherSettleType"), QString());

        // A message with only 确定 is confirmed before the next line acts,
        // an answer included: that one is kept for the question to come.
        const Run told = app.run({},
                                 "click Stab(2)\n"
                                 "set txtEarnAcct 9999\n"
                                 "answer no\n"
                                 "set chkSettle 1\n"
                                 "click btnClose\n"
                                 "expect-closed\n");
        QVERIFY_RUN(told);
        QVERIFY(told.out.contains("[提示] 科目[9999]不存在!"));
        QVERIFY(told.out.contains("[回答] 否"));

        // An error is confirmed alike and shows its detail: the group
        // controls the write-off switch, so the save ends with an error.
        app.sql("UPDATE t_SystemProfile SET FLevel = 8 WHERE FKey = 'TransCheckStart'");
        const Run error = app.run({},
                                  "click Stab(2)\n"
                                  "click stabGl(3)\n"
                                  "set chkTransCheckStart 1\n"
                                  "click btnSave\n"
                                  "expect-window MsgBox\n"
                                  "dump\n"
                                  "answer no\n"
                                  "click btnClose\n"
                                  "expect-closed\n");
        QVERIFY_RUN(error);
        const QJsonObject failed = control(error.out, "MsgBox");
        QCOMPARE(failed.value("text").toString(), "集团控制参数【启用往来业务核销】不能修改！");
        QVERIFY(failed.value("details").toString().contains("错误号: 5"));
        QCOMPARE(failed.value("items").toArray(), (QJsonArray{"确定"}));
        QCOMPARE(app.param("GL", "TransCheckStart"), "0");
    }

    // A script searches as a user does: the page of what it finds comes up,
    // and a disabled setting says why. A stored text longer than its box
    // types is dumped whole and kept byte for byte by a save of something else.
    void aScriptSearchesAndLongTextsStayWhole() {
        App app;
        QVERIFY_RUN(app.run({"--dump-controls"}));
        const QString stored = QString(25, u'货') + QStringLiteral(" ");
        app.sql(QStringLiteral("INSERT INTO t_SystemProfile (FCategory, FKey, FValue) "
                               "VALUES ('IC', 'Item4Name', '%1')")
                    .arg(stored));
        QCOMPARE(app.param("IC", "Item4Name"), stored);
        const Run r = app.run({},
                              "set txtFind 电话\n"
                              "dump\n"
                              "set txtFind 检测即时库存\n"
                              "dump\n"
                              "set chkSettle 1\n"
                              "click btnSave\n"
                              "click btnClose\n"
                              "expect-closed\n");
        QVERIFY_RUN(r);
        // Each dump's page, and what the line beside the box said.
        QList<int> pages;
        QStringList said;
        for (const QString& line : r.out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o.value("name") == "Stab") pages << o.value("index").toInt();
            if (o.value("name") == "lblFind") said << o.value("caption").toString();
        }
        QCOMPARE(pages, (QList<int>{0, 7}));
        QCOMPARE(said.value(0), QStringLiteral("1/1：电    话"));
        QVERIFY2(said.value(1).startsWith(QStringLiteral("1/2：检测即时库存（不可用：须先选中")),
                 qPrintable(said.value(1)));
        QCOMPARE(control(r.out, "txtFind").value("page").toInt(), -1);
        QCOMPARE(control(r.out, "btnSave").value("enabled").toBool(), false);
        QCOMPARE(control(r.out, "txtIC_Item4Name").value("text").toString(), stored);
        QCOMPARE(app.param("GL", "VoucherSettleType"), "1");
        QCOMPARE(app.param("IC", "Item4Name"), stored);
    }

    // The dump lists the pages that hold unsaved changes; a script stays in
    // the dialog with "answer cancel" and then leaves without saving.
    void aScriptSeesChangedPagesAndCancelsLeaving() {
        App app;
        QVERIFY_RUN(app.run({"--dump-controls"}));
        const QString before = app.param("GL", "VoucherSettleType");
        const Run r = app.run({},
                              "dump\n"
                              "set chkSettle 1\n"
                              "dump\n"
                              "click btnClose\n"
                              "answer cancel\n"
                              "dump\n"
                              "click btnClose\n"
                              "answer no\n"
                              "expect-closed\n");
        QVERIFY_RUN(r);
        QStringList stab;
        QStringList gl;
        for (const QString& line : r.out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            const QString changed =
                QJsonDocument(o.value("changed").toArray()).toJson(QJsonDocument::Compact);
            if (o.value("name") == "Stab") stab << changed;
            if (o.value("name") == "stabGl") gl << changed;
        }
        QCOMPARE(stab, (QStringList{"[]", "[2]", "[2]"}));
        QCOMPARE(gl, (QStringList{"[]", "[1]", "[1]"}));
        QVERIFY2(r.out.contains(QStringLiteral("[回答] 取消")), qPrintable(r.out));
        QCOMPARE(app.param("GL", "VoucherSettleType"), before);
    }

    void aLineThatHangsEndsTheScriptInTime() {
        // A picture written onto a pipe nobody reads never finishes.
        App app;
        QVERIFY(QDir().mkpath(app.dir.filePath("pipe")));
        QCOMPARE(::mkfifo(QFile::encodeName(app.dir.filePath("pipe/stuck.png")).constData(), 0600),
                 0);
        QElapsedTimer clock;
        clock.start();
        const Run r = app.run({"--screenshot", app.dir.filePath("pipe"), "--script-timeout", "1"},
                              "shot stuck\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.out.contains("[脚本错误] 第 1 行: 超过 1 秒仍未完成"), qPrintable(r.out));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    void firstUseJourneyStartsTheLedger() {
        // A fresh demo set: name the company, start in period 1 of this year,
        // save and confirm; the ledger is started and the dialog reports it.
        App app;
        const Run r = app.run({},
                              "set txtCompanyName 演示科技有限公司\n"
                              "set txtStartPeriod 1\n"
                              "click btnSave\n"
                              "expect-window MsgBox\n"
                              "dump\n"
                              "answer yes\n"
                              "click btnClose\n"
                              "expect-closed\n");
        QVERIFY_RUN(r);
        // The question's details say what the start writes.
        const QJsonObject question = control(r.out, "MsgBox");
        QVERIFY(question.value("text").toString().startsWith("请确认账务初始参数(启用年度："));
        QVERIFY2(question.value("details").toString().contains("  GL/Closed = 1\n"),
                 qPrintable(question.value("details").toString()));
        QVERIFY(r.out.contains("[结果] SystemSetting 返回 True"));
        const Run again = app.run({"--dump-controls"});
        QCOMPARE(control(again.out, "txtStartYear").value("enabled").toBool(), false);
        QCOMPARE(control(again.out, "txtCurYear").value("text").toString(),
                 QString::number(QDate::currentDate().year()));
        QCOMPARE(control(again.out, "txtCurPeriod").value("text").toString(), "1");
    }
};

QTEST_GUILESS_MAIN(AppAutomationTest)
#include "test_app_automation.moc"
