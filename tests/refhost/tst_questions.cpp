// The host's questions and texts as a user meets them: a question that
// changes the books for good waits for a deliberate 是, the question before
// leaving offers to keep the changes, Qt's own buttons speak Chinese, and
// help opens in a window of the host's own.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "DemoSet.h"

class QuestionsTest : public QObject {
    Q_OBJECT

private slots:
    void irreversibleQuestionsDefaultToNo() {
        DemoSet set(true, QStringLiteral("administrator"));
        set.host->setInteractive(true);
        auto ask = [&](auto&& question) {
            QString seen;
            QTimer::singleShot(10, [&seen] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen = box->defaultButton() ? box->defaultButton()->text() : QString();
                box->button(QMessageBox::No)->click();
            });
            question();
            return seen;
        };
        auto& host = *set.host;
        QCOMPARE(ask([&] { host.Confirm("请确认出纳初始参数的设置，是否确认启用！", true); }),
                 "否");
        QCOMPARE(ask([&] {
                     host.messageBox("退出前是否保存修改?", zx::host::MsgButtons::YesNo,
                                     zx::host::MsgIcon::Question, QString(), nullptr);
                 }),
                 "是");
    }

    void qtSpeaksChinese() {
        QVERIFY(refhost::installChineseTranslations());
        QVERIFY(QCoreApplication::translate("QMessageBox", "Show Details...") !=
                QLatin1String("Show Details..."));
    }

    // Help opens in the host's window on the page of the context asked for,
    // its title in the caption; back and forward go through the pages seen,
    // the contents are a click away, Esc closes it. A context without a page
    // of its own opens the topic's.
    void helpOpensInTheHostsWindow() {
        DemoSet set(true, QStringLiteral("administrator"));
        set.host->setInteractive(true);
        const QString file = QStringLiteral("mainhelp.chm");
        const QString topic = QStringLiteral("GLSystemSetting.frmSystemProfiles");
        set.host->showHelp(file, topic, 170);
        QDialog* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmHelp")) window = qobject_cast<QDialog*>(w);
        }
        QVERIFY(window && window->isVisible());
        auto* text = window->findChild<QTextBrowser*>(QStringLiteral("helpText"));
        auto* back = window->findChild<QToolButton*>(QStringLiteral("btnBack"));
        auto* forward = window->findChild<QToolButton*>(QStringLiteral("btnForward"));
        auto* contents = window->findChild<QToolButton*>(QStringLiteral("btnContents"));
        QVERIFY(text && back && forward && contents);
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助 - 系统参数 - 业务参数"));
        QVERIFY(text->toPlainText().contains(QStringLiteral("批号默认排序参数")));
        QVERIFY(!back->isEnabled());

        set.host->showHelp(file, topic, 150);
        QVERIFY(set.host->helpRequests().last().page.endsWith(topic + QStringLiteral(".html")));
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助 - 系统参数"));
        QVERIFY(text->toPlainText().contains(QStringLiteral("保存修改(S)")));
        back->click();
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助 - 系统参数 - 业务参数"));
        QVERIFY(forward->isEnabled());
        forward->click();
        QCOMPARE(window->windowTitle(), QStringLiteral("帮助 - 系统参数"));
        contents->click();
        QVERIFY(text->toPlainText().contains(QStringLiteral("财务参数：凭证")));

        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(QuestionsTest)
#include "tst_questions.moc"
