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

    void helpOpensInTheHostsWindow() {
        DemoSet set(true, QStringLiteral("administrator"));
        set.host->setInteractive(true);
        set.host->showHelp(QStringLiteral("mainhelp.chm"),
                           QStringLiteral("GLSystemSetting.frmSystemProfiles"), 0);
        QTextBrowser* text = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = w->findChild<QTextBrowser*>(QStringLiteral("helpText"))) text = t;
        }
        QVERIFY(text);
        QVERIFY(text->toPlainText().contains(QStringLiteral("保存修改")));
    }
};

QTEST_MAIN(QuestionsTest)
#include "tst_questions.moc"
