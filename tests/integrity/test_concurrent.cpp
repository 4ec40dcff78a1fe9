// Two workstations on one account set: what each changed survives the
// other's save, and a parameter both changed is refused on the second save
// with nothing of that save written. The other workstation is a second
// process: the executable driven by a script.

#include <QLineEdit>
#include <QProcess>
#include <QTemporaryFile>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"

class ConcurrentTest : public QObject {
    Q_OBJECT

    // Another workstation opens the set, types into one box and saves.
    static void otherWorkstationSets(DialogHarness& h, const QString& box, const QString& text) {
        QTemporaryFile script;
        QVERIFY(script.open());
        script.write(QStringLiteral("set %1 %2\nclick btnSave\n").arg(box, text).toUtf8());
        script.close();
        QProcess other;
        other.start(QStringLiteral(SYSTEMSETTING_BIN),
                    {QStringLiteral("--db"), h.set.location(), QStringLiteral("--install"),
                     h.set.installDir, QStringLiteral("--script"), script.fileName()});
        QVERIFY(other.waitForFinished(60000));
        QVERIFY2(other.exitCode() == 0,
                 other.readAllStandardOutput() + other.readAllStandardError());
    }

    static DialogHarness* open() {
        return new DialogHarness("administrator",
                                 [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
    }

private slots:
    void differentParametersBothSurvive() {
        std::unique_ptr<DialogHarness> h(open());
        otherWorkstationSets(*h, QStringLiteral("txtEMail"), QStringLiteral("b@example.com"));
        h->c<QLineEdit>("txtFax")->setText(QStringLiteral("021-1111"));
        QVERIFY(h->dialog->SaveProfiles());
        QCOMPARE(h->param("General", "EMail"), QString("b@example.com"));
        QCOMPARE(h->param("General", "Fax"), QString("021-1111"));
    }

    void theSameParameterIsRefusedWithNothingWritten() {
        std::unique_ptr<DialogHarness> h(open());
        const QString phone = h->param("General", "CompanyPhone");
        otherWorkstationSets(*h, QStringLiteral("txtFax"), QStringLiteral("021-2222"));
        h->c<QLineEdit>("txtCompanyPhone")->setText(QStringLiteral("021-9999"));
        h->c<QLineEdit>("txtFax")->setText(QStringLiteral("021-3333"));
        QVERIFY(!h->dialog->SaveProfiles());
        const QStringList messages = h->shownOf("message");
        QVERIFY2(messages.size() == 1 && messages.first().contains(QStringLiteral("传    真")) &&
                     messages.first().contains(QStringLiteral("已被其他用户修改")),
                 qPrintable(h->shown.join('\n')));
        QCOMPARE(h->param("General", "Fax"), QString("021-2222"));
        QCOMPARE(h->param("General", "CompanyPhone"), phone);
        QVERIFY(h->dialog->IsChanged());  // the user's entries stay
    }
};

QTEST_MAIN(ConcurrentTest)
#include "test_concurrent.moc"
