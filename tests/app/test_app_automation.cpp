// The executable driven as implementers drive it: control dumps, page
// screenshots and scripts against the live dialog on a fresh demo set.

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

class App {
public:
    App() { QVERIFY(dir.isValid()); }

    Run run(QStringList args, const QString& script = QString()) {
        if (!script.isNull()) {
            QFile file(dir.filePath("script.txt"));
            if (file.open(QIODevice::WriteOnly)) file.write(script.toUtf8());
            args << "--script" << file.fileName();
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(SYSTEMSETTING_BIN, QStringList{"--db", dir.filePath("set.zxdb"), "--install",
                                               dir.filePath("install")} +
                                       args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir dir;
};

QJsonObject control(const QString& dump, const QString& name) {
    for (const QString& line : dump.split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        if (o.value("name").toString() == name) return o;
    }
    return {};
}

}  // namespace

class AppAutomationTest : public QObject {
    Q_OBJECT

private slots:
    void dumpListsEveryNamedControlAfterLoading() {
        App app;
        const Run r = app.run({"--dump-controls"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject name = control(r.out, "txtCompanyName");
        QCOMPARE(name.value("kind").toString(), "text");
        QCOMPARE(name.value("text").toString(), "演示科技有限公司");
        QCOMPARE(name.value("page").toInt(), 0);
        const QJsonObject budget = control(r.out, "OptBud(2)");
        QCOMPARE(budget.value("caption").toString(), "禁止使用");
        QCOMPARE(control(r.out, "btnSave").value("enabled").toBool(), false);
    }

    void aViewerGetsNoSaveButton() {
        App app;
        const Run r = app.run({"--user", "viewer", "--dump-controls"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(control(r.out, "btnOK").value("enabled").toBool(), false);
        QCOMPARE(control(r.out, "lblReadOnlyNotice").value("visible").toBool(), true);
        // Locked alike, still readable.
        for (const char* name : {"txtCompanyName", "chkSettle", "OptBud(0)", "IntQtyDefNum"}) {
            QVERIFY2(control(r.out, name).value("locked").toBool(), name);
        }
        QCOMPARE(control(r.out, "txtCompanyName").value("text").toString(), "演示科技有限公司");
    }

    void screenshotsOfEveryVisiblePage() {
        App app;
        const Run r = app.run({"--screenshot", app.dir.filePath("shots")});
        QCOMPARE(r.exitCode, 0);
        const QStringList files = QDir(app.dir.filePath("shots")).entryList({"*.png"});
        // Nine pages less the two withdrawn ones, plus the four ledger pages.
        QCOMPARE(files.size(), 7 + 4);
        QVERIFY(files.contains("page0.png"));
        QVERIFY(!files.contains("page5.png"));
    }

    void aScriptDiscardsAChangeOnClose() {
        App app;
        const Run r = app.run({},
                              "set chkSettle 1\n"
                              "answer no\n"
                              "click btnClose\n"
                              "expect-closed\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY(r.out.contains("退出前是否保存修改?"));
        QVERIFY(r.out.contains("[结果] SystemSetting 返回 False"));
    }

    void aQuestionWithoutAnAnswerFailsTheScript() {
        App app;
        const Run r = app.run({}, "set chkSettle 1\nclick btnClose\n");
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.out.contains("没有准备回答的询问: 退出前是否保存修改?"));
    }

    void badLinesFailWithTheLineNumber_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown control") << "set chkNoSuchThing 1\n"
                                         << "第 1 行: 没有控件";
        QTest::newRow("out of bounds") << "\nset IntQtyDefNum 9\n"
                                       << "第 2 行: 数值框";
        QTest::newRow("unknown verb") << "press btnOK\n"
                                      << "不认识的命令";
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

    void firstUseJourneyStartsTheLedger() {
        // A fresh demo set: name the company, start in period 1 of this year,
        // save and confirm; the ledger is started and the dialog reports it.
        App app;
        const Run r = app.run({},
                              "set txtCompanyName 演示科技有限公司\n"
                              "set txtStartPeriod 1\n"
                              "answer yes\n"
                              "click btnSave\n"
                              "click btnClose\n"
                              "expect-closed\n");
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY(r.out.contains("请确认账务初始参数(启用年度："));
        QVERIFY(r.out.contains("[结果] SystemSetting 返回 True"));
        const Run again = app.run({"--dump-controls"});
        const QString year = QString::number(QDate::currentDate().year());
        QCOMPARE(control(again.out, "txtStartYear").value("enabled").toBool(), false);
        QCOMPARE(control(again.out, "txtCyName").value("enabled").toBool(), false);
        QCOMPARE(control(again.out, "txtCurYear").value("text").toString(), year);
        QCOMPARE(control(again.out, "txtCurPeriod").value("text").toString(), "1");
    }

    void noRightNoDialog() {
        App app;
        const Run r = app.run({"--user", "guest"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("查看权限"));
    }
};

QTEST_GUILESS_MAIN(AppAutomationTest)
#include "test_app_automation.moc"
