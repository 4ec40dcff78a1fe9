// Two workstations on one account set: what each changed survives the
// other's save, and a parameter both changed is refused on the second save
// with nothing of that save written. The other workstation is a second
// process: the executable driven by a script.

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryFile>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"

class ConcurrentTest : public QObject {
    Q_OBJECT

    // Another workstation opens the set, works the dialog by the script and saves.
    static void otherWorkstationRuns(DialogHarness& h, const QString& lines) {
        QTemporaryFile script;
        QVERIFY(script.open());
        script.write(lines.toUtf8());
        script.close();
        QProcess other;
        other.start(QStringLiteral(SYSTEMSETTING_BIN),
                    {QStringLiteral("--db"), h.set.location(), QStringLiteral("--install"),
                     h.set.installDir, QStringLiteral("--script"), script.fileName()});
        QVERIFY(other.waitForFinished(60000));
        const QByteArray output = other.readAllStandardOutput() + other.readAllStandardError();
        QVERIFY2(other.exitCode() <= 1 && !output.contains("[错误]") &&
                     !output.contains("[提示]") && !output.contains("[脚本错误]"),
                 output.constData());
    }
    static void otherWorkstationSets(DialogHarness& h, const QString& box, const QString& text) {
        otherWorkstationRuns(h, QStringLiteral("set %1 %2\nclick btnSave\n").arg(box, text));
    }

    // Both workstations start a module the dialog showed as not started: the
    // second start writes nothing and says where the module stands.
    static void startedOnceOnly(DialogHarness& h, const QString& yearBox, const QString& periodBox,
                                int answers, const QString& said) {
        const int year = h.c<zx::frame::IntText3D>(yearBox)->Value();
        QString script =
            QStringLiteral("set %1 %2\nset %3 3\n").arg(yearBox).arg(year).arg(periodBox);
        for (int i = 0; i < answers; ++i) script += QStringLiteral("answer yes\n");
        otherWorkstationRuns(h, script + QStringLiteral("click btnSave\n"));
        if (QTest::currentTestFailed()) return;
        const auto before = h.stored();
        const QString currency = currencyRow(h);

        h.c<zx::frame::IntText3D>(periodBox)->setValue(5);
        for (int i = 0; i < answers; ++i) h.answerYes();
        QVERIFY(!h.dialog->SaveProfiles());

        QCOMPARE(DialogHarness::differing(before, h.stored()), QStringList());
        QCOMPARE(currencyRow(h), currency);
        const QString expected =
            said + QStringLiteral("已由其他用户启用（启用期间：%1年第3期）").arg(year);
        const QStringList messages = h.shownOf("message");
        QVERIFY2(messages.size() == 1 && messages.first().startsWith(expected),
                 qPrintable(h.shown.join('\n')));
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.dialog->Tag(), QString());
    }

    static QString currencyRow(DialogHarness& h) {
        auto rs = h.set.db->nativeQuery(
            "SELECT FNumber || '|' || FName || '|' || FScale FROM t_Currency WHERE FCurrencyID = "
            "1");
        rs->MoveFirst();
        return rs->Field(0).toString();
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

    // Another workstation saves while this save waits on its way to the lock
    // (here: the notice about the tax kind): the look under the lock refuses
    // what both changed, although the look before the notice found nothing.
    void aSaveMeanwhileOnTheWayToTheLock() {
        std::unique_ptr<DialogHarness> h(open());
        h->c<QRadioButton>(h->param("General", "TaxType") == "1" ? "rdoTaxType(0)"
                                                                 : "rdoTaxType(1)")
            ->click();
        h->c<QLineEdit>("txtFax")->setText(QStringLiteral("021-3333"));
        bool ran = false;
        h->set.host->setAnswerHook([&](const QString& text, zx::host::MsgButtons,
                                       zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
            if (!ran && text.contains(QStringLiteral("纳税性质"))) {
                ran = true;
                otherWorkstationSets(*h, QStringLiteral("txtFax"), QStringLiteral("021-2222"));
            }
            return zx::host::MsgResult::Ok;
        });
        const auto before = h->stored();
        QVERIFY(!h->dialog->SaveProfiles());
        QVERIFY(ran);
        QVERIFY2(h->shownOf("message").join('\n').contains(QStringLiteral("已被其他用户修改")),
                 qPrintable(h->shown.join('\n')));
        QCOMPARE(DialogHarness::differing(before, h->stored()), QStringList{"General/Fax"});
        QCOMPARE(h->param("General", "Fax"), QString("021-2222"));
        QVERIFY(h->dialog->IsChanged());
    }

    // A parameter file applied by another process is another workstation's
    // save: what both changed is refused, what only it changed survives.
    void anApplyMeanwhileIsAnotherSave() {
        std::unique_ptr<DialogHarness> h(open());
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(R"({"format": "systemsetting-parameters", "version": 1, "parameters": [
            {"category": "General", "key": "Fax", "text": "021-7777"},
            {"category": "General", "key": "EMail", "text": "apply@example.com"}]})");
        file.close();
        QProcess other;
        other.start(QStringLiteral(SYSTEMSETTING_BIN),
                    {QStringLiteral("apply"), file.fileName(), QStringLiteral("--db"),
                     h->set.location(), QStringLiteral("--install"), h->set.installDir});
        QVERIFY(other.waitForFinished(60000));
        QVERIFY2(other.exitCode() == 0,
                 other.readAllStandardOutput() + other.readAllStandardError());

        h->c<QLineEdit>("txtFax")->setText(QStringLiteral("021-3333"));
        QVERIFY(!h->dialog->SaveProfiles());
        QVERIFY2(h->shownOf("message").value(0).contains(QStringLiteral("已被其他用户修改")),
                 qPrintable(h->shown.join('\n')));
        QCOMPARE(h->param("General", "Fax"), QString("021-7777"));

        h->open();
        h->c<QLineEdit>("txtCompanyPhone")->setText(QStringLiteral("021-4444"));
        QVERIFY(h->dialog->SaveProfiles());
        QCOMPARE(h->param("General", "EMail"), QString("apply@example.com"));
        QCOMPARE(h->param("General", "CompanyPhone"), QString("021-4444"));
    }

    // The closing options: another workstation's save of one option is kept
    // when this one saves another, and refused when this one changed it too.
    void closingOptionsSavedMeanwhile() {
        std::unique_ptr<DialogHarness> h(open());
        zx::closing::frmICSystemProfiles closing;
        closing.show();
        closing.Form_Activate();
        auto box = [&closing](const char* key) {
            return closing.findChild<QCheckBox*>(QStringLiteral("chkHS_") + QLatin1String(key));
        };
        // The options open from the business page once bills are checked.
        h->setParam("IC", "CheckBillPosted", "1");
        auto otherSets = [&h](const char* key, int value) {
            otherWorkstationRuns(*h, QStringLiteral("click Stab(7)\nclick cmdSetCheckItem\n"
                                                    "expect-window frmICSystemProfiles\n"
                                                    "set chkHS_%1 %2\nclick btnOK\n")
                                         .arg(QLatin1String(key))
                                         .arg(value));
        };
        otherSets("UnCheckBillByRedSaleFP", 1);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(h->param("IC", "UnCheckBillByRedSaleFP"), QString("1"));

        box("UnCheckBillByRedSaleFP")->click();  // on and off again: no change
        box("UnCheckBillByRedSaleFP")->click();
        box("UnCheckBillByPrevSaleFP")->click();
        closing.findChild<QPushButton*>("btnSave")->click();
        QCOMPARE(h->param("IC", "UnCheckBillByRedSaleFP"), QString("1"));
        QCOMPARE(h->param("IC", "UnCheckBillByPrevSaleFP"), QString("1"));
        QVERIFY(!closing.IsChanged());

        otherSets("UnCheckBillByRedSaleFP", 0);
        if (QTest::currentTestFailed()) return;
        box("UnCheckBillByRedSaleFP")->click();
        box("UnCheckBillByPeriodSaleFP")->click();
        closing.findChild<QPushButton*>("btnSave")->click();
        QVERIFY2(h->shownOf("message").value(0).contains(QStringLiteral("已被其他用户修改")),
                 qPrintable(h->shown.join('\n')));
        QCOMPARE(h->param("IC", "UnCheckBillByPeriodSaleFP"), QString());
        QVERIFY(closing.IsChanged());
    }

    void aModuleStartsOnceOnly_data() {
        QTest::addColumn<QString>("module");
        QTest::newRow("ledger") << "ledger";
        QTest::newRow("business") << "business";
        QTest::newRow("cashier") << "cashier";
    }
    void aModuleStartsOnceOnly() {
        QFETCH(QString, module);
        if (module == "ledger") {
            DialogHarness h;
            startedOnceOnly(h, "txtStartYear", "txtStartPeriod", 1, "总账");
            return;
        }
        if (module == "business") {
            // The ledger runs in period 1, the business system not yet.
            std::unique_ptr<DialogHarness> h(
                new DialogHarness("administrator", [](DialogHarness& d) {
                    refhost::startDemoModules(*d.set.db);
                    d.setParam("GL", "CurrentPeriod", "1");
                }));
            startedOnceOnly(*h, "txtIC_StartYear", "txtIC_StartPeriod", 2, "业务系统");
            return;
        }
        std::unique_ptr<DialogHarness> h(new DialogHarness("administrator", [](DialogHarness& d) {
            refhost::startDemoModules(*d.set.db);
            d.setParam("GL", "CurrentPeriod", "1");
            d.setParam("CN", "CN_INIT_DONE", "0");
            for (const char* key :
                 {"CN_START_YEAR", "CN_START_PERIOD", "CN_CURRENT_YEAR", "CN_CURRENT_PERIOD"}) {
                d.removeParam("CN", key);
            }
        }));
        startedOnceOnly(*h, "txtCnStartYear", "txtCnStartPeriod", 1, "出纳");
    }
};

QTEST_MAIN(ConcurrentTest)
#include "test_concurrent.moc"
