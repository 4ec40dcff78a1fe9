// The reference host's services over the chart of accounts: AccountInfo
// lists, GLView's lookup without a screen, and the selection window itself.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "DemoSet.h"
#include "windows/AccountLookup.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"

using refhost::AccountLookup;
using zx::host::HostError;

namespace {

QStringList shownNumbers(AccountLookup& window) {
    auto* list = window.findChild<QTreeWidget*>("lstAccounts");
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (!list->topLevelItem(i)->isHidden()) out << list->topLevelItem(i)->text(0);
    }
    return out;
}

struct AutomationOff {
    ~AutomationOff() { AccountLookup::setAutomation({}); }
};

}  // namespace

class AccountLookupTest : public QObject {
    Q_OBJECT

private slots:
    void accountInfoListsMatchingAccounts() {
        DemoSet set(true, "administrator");
        auto info = zx::host::createService<zx::host::AccountInfo>();
        auto rows =
            info->GetList(set.host->propsString(), 2, "FNumber = '3141' Or FNumber Like '3141.%'");
        QStringList numbers;
        for (; !rows->Eof(); rows->MoveNext()) {
            numbers << rows->Field("FNumber").toString();
            QCOMPARE(rows->Field("FDetailID").toInt(), 0);
        }
        QCOMPARE(numbers, (QStringList{"3141", "3141.01", "3141.02", "3141.03"}));

        auto withClasses = info->GetList(set.host->propsString(), 2, "FDetailID > 0");
        QVERIFY(withClasses->RecordCount() > 0);

        QVERIFY_THROWS_EXCEPTION(HostError, info->GetList(set.host->propsString(), 3, ""));
        QVERIFY_THROWS_EXCEPTION(
            HostError, info->GetList("Data Source=/elsewhere/other.zxdb;", 2, "FNumber = '1001'"));
    }

    void withoutAScreenTheLookupIsAnsweredOrCancelled() {
        DemoSet set(true, "administrator");
        AutomationOff off;
        auto view = zx::host::createObject<zx::host::GLView>();
        QVERIFY(!view->AccountLookup("3131").ReturnOK);  // nobody to ask

        QString openedOn;
        AccountLookup::setAutomation([&openedOn](const QString& text) -> std::optional<QString> {
            openedOn = text;
            return QStringLiteral("3141.01");
        });
        const auto result = view->AccountLookup("3131");
        QCOMPARE(openedOn, "3131");
        QVERIFY(result.ReturnOK);
        QCOMPARE(result.ReturnObject->Number, "3141.01");
        QCOMPARE(result.ReturnObject->Level, 2);
        QCOMPARE(result.ReturnObject->GroupID, 301);
        QVERIFY(result.ReturnObject->AccountID > 0);

        AccountLookup::setAutomation([](const QString&) { return QStringLiteral("no such"); });
        QVERIFY_THROWS_EXCEPTION(HostError, view->AccountLookup(""));
    }

    void theWindowFiltersByNumberOrName() {
        DemoSet set(true, "administrator");
        AccountLookup window(*set.db, "3101,3141");
        QCOMPARE(window.current()->Number, "3141");  // the last number of the box

        auto* filter = window.findChild<QLineEdit*>("txtFilter");
        QTest::keyClicks(filter, "5502");
        QCOMPARE(shownNumbers(window), (QStringList{"5502", "5502.01", "5502.02"}));
        QCOMPARE(window.current()->Number, "5502");
        QTest::keyClick(filter, Qt::Key_Down);
        QCOMPARE(window.current()->Number, "5502.01");

        filter->setText("利润");
        QCOMPARE(shownNumbers(window), (QStringList{"3131", "3141", "3141.01", "3141.03"}));

        filter->setText("zzz");
        QVERIFY(shownNumbers(window).isEmpty());
        QTest::keyClick(filter, Qt::Key_Return);
        QVERIFY(window.result() != QDialog::Accepted);
        QVERIFY(!window.findChild<QLabel*>("lblStatus")->text().isEmpty());
    }

    void enterChoosesAndEscapeCancels() {
        DemoSet set(true, "administrator");
        set.host->setInteractive(true);
        auto view = zx::host::createObject<zx::host::GLView>();

        // The window is modal: answer it from the event loop.
        auto typeInto = [](const QString& text, Qt::Key key) {
            QTimer::singleShot(0, [text, key] {
                QWidget* window = QApplication::activeModalWidget();
                QVERIFY(window);
                auto* filter = window->findChild<QLineEdit*>("txtFilter");
                filter->setText(text);
                QTest::keyClick(filter, key);
            });
        };
        typeInto("盈余", Qt::Key_Return);
        auto chosen = view->AccountLookup("3131");
        QVERIFY(chosen.ReturnOK);
        QCOMPARE(chosen.ReturnObject->Number, "3103");

        typeInto("3102", Qt::Key_Escape);
        QVERIFY(!view->AccountLookup("3131").ReturnOK);
    }
};

QTEST_MAIN(AccountLookupTest)
#include "test_account_lookup.moc"
