// The host's environment: session properties, object creation, message
// boxes without a screen, dialog helpers, cursor, registry and help.

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include "DemoSet.h"
#include "lock/LockServices.h"
#include "services/IniFile.h"
#include "services/PropsString.h"
#include "sql/Dialect.h"
#include "zx/host/Environment.h"

using namespace zx::host;

class EnvironmentTest : public QObject {
    Q_OBJECT

private slots:
    void propertiesOfThisProcessOnly() {
        DemoSet set(true, QStringLiteral("viewer"));
        auto share = createObject<ShareProps>();
        const qint32 pid = env().processId();
        const QString text = share->GetProperty(pid, QStringLiteral("PropsString")).toString();
        QVERIFY(text.endsWith(QLatin1Char(';')));
        const refhost::PropsString props(text);
        QCOMPARE(props.dataSource(), set.db->location());
        const QString dbms = set.db->dialect().name();
        const QMap<QString, QString> expected = {
            {"ConnectString",
             QStringLiteral("Provider=%1;Data Source=%2").arg(dbms, set.db->location())},
            {"username", "viewer"},
            {"UserID", QString::number(set.host->user().id)},
            {"SubID", "1"},
            {"AcctName", "演示账套"},
            {"Language", "chs"},
            {"DBMS Name", dbms}};
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QCOMPARE(props.value(it.key()), it.value());
            if (it.key() == "UserID" || it.key() == "AcctName")  // also one by one
                QCOMPARE(share->GetProperty(pid, it.key()).toString(), it.value());
        }
        // Another process sees nothing of this one.
        QVERIFY(!share->GetProperty(pid + 1, QStringLiteral("PropsString")).isValid());
        QCOMPARE(createObject<LangInfo>()->CurrentLanguage(), QStringLiteral("chs"));

        // The login object is published only once the lock services are installed.
        QVERIFY(!share->GetProperty(pid, QStringLiteral("QORLogin")).isValid());
        refhost::installLockServices(*set.host, true);
        const QVariant login = share->GetProperty(pid, QStringLiteral("QORLogin"));
        QVERIFY(std::dynamic_pointer_cast<LoginObject>(login.value<ServicePtr>()));
    }

    void unknownClassIdRaises429() {
        DemoSet set;
        for (auto create :
             {+[] { env().createObject(QStringLiteral("NoSuch.Service")); },
              +[] { env().objectFactory().CreateObject(QStringLiteral("NoSuch")); }}) {
            try {
                create();
                QFAIL("created an unknown service");
            } catch (const HostError& e) {
                QCOMPARE(e.number(), 429);
                QVERIFY(e.description().startsWith(QStringLiteral("无法创建对象: NoSuch")));
            }
        }
    }

    void boxesWithoutScreenTakeTheDefaultUnlessTheHookAnswers() {
        DemoSet set;
        QStringList told;
        set.host->setMessageSink(
            [&](const QString& kind, const QString& text) { told << kind + u':' + text; });
        auto& dialogs = env().dialogService();
        QVERIFY(set.host->headless());  // the tests run offscreen
        QVERIFY(!dialogs.Confirm(QStringLiteral("确认启用?"), true));
        QCOMPARE(
            env().messageBox("继续?", MsgButtons::YesNo, MsgIcon::Question, "Zentrix提示", nullptr),
            MsgResult::No);
        QCOMPARE(env().messageBox("放弃?", MsgButtons::OkCancel, MsgIcon::Exclamation, QString(),
                                  nullptr),
                 MsgResult::Cancel);
        QCOMPARE(env().messageBox("完成", MsgButtons::Ok, MsgIcon::Information, QString(), nullptr),
                 MsgResult::Ok);
        dialogs.ShowMessage(QStringLiteral("请输入公司名称!"));
        dialogs.ShowError(HostError(70, QStringLiteral("SecurityInfo"), QStringLiteral("没有权限")),
                          {});
        QCOMPARE(told, QStringList({"question:确认启用?", "answer:否", "question:继续?",
                                    "answer:否", "question:放弃?", "answer:取消", "message:完成",
                                    "message:请输入公司名称!", "error:没有权限"}));

        QStringList asked;
        set.host->setAnswerHook(
            [&](const QString& text, MsgButtons, MsgIcon icon) -> std::optional<MsgResult> {
                asked << text;
                if (text.contains(QStringLiteral("跳过"))) return std::nullopt;
                return icon == MsgIcon::Question ? MsgResult::Yes : MsgResult::Ok;
            });
        QVERIFY(dialogs.Confirm(QStringLiteral("确认?"), true));
        // A hook that passes falls back to the default answer.
        QVERIFY(!dialogs.Confirm(QStringLiteral("跳过?"), true));
        QCOMPARE(asked, QStringList({"确认?", "跳过?"}));
    }

    void blankTextFocusAndHourglass() {
        DemoSet set;
        auto& dialogs = env().dialogService();
        QVERIFY(dialogs.IsBlank(QString()));
        QVERIFY(dialogs.IsBlank(QStringLiteral(" \t\u3000 ")));
        QVERIFY(!dialogs.IsBlank(QStringLiteral("\u3000公司\u3000")));
        QVERIFY(!dialogs.IsBlank(QStringLiteral(".")));
        QLineEdit edit(QStringLiteral("演示科技"));
        edit.deselect();
        dialogs.TextFocus(&edit);
        QCOMPARE(edit.selectedText(), QStringLiteral("演示科技"));
        dialogs.TextFocus(nullptr);  // nothing to select, no crash

        // The hourglass is not stacked.
        env().setMousePointer(kPointerHourglass);
        env().setMousePointer(kPointerHourglass);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        env().setMousePointer(kPointerDefault);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(set.host->mousePointer(), kPointerDefault);
    }

    void registryAndSchemeFiles() {
        DemoSet set;
        const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT");
        auto registry = createObject<RegistryReader>();
        QCOMPARE(registry->GetKeyValue(key, "Path", "1"), set.installDir);
        refhost::writeIniValue(set.installDir + "/registry.ini", key.toLower(), "path",
                               "/opt/zentrix");
        QCOMPARE(registry->GetKeyValue(key, "Path", "1"), QStringLiteral("/opt/zentrix"));
        // A value that is not there is the installation directory.
        QCOMPARE(registry->GetKeyValue(key, "Other", "1"), set.installDir);

        // Changing one key of the scheme keeps the others; the installer
        // leaves an existing scheme alone.
        const QString scheme = set.installDir + QStringLiteral("/Common/QORBaseScheme.ini");
        QCOMPARE(refhost::readIniValue(scheme, "Version", "AppType"), QStringLiteral("0"));
        refhost::writeIniValue(scheme, "Version", "AppType", "1");
        refhost::ensureInstallDir(set.installDir);
        QCOMPARE(refhost::readIniValue(scheme, "version", "apptype"), QStringLiteral("1"));
        QCOMPARE(refhost::readIniValue(scheme, "Version", "AppName"),
                 QStringLiteral("Zentrix 财务业务一体化"));
        QCOMPARE(refhost::readIniValue(scheme, "Version", "HangYeType"), QStringLiteral("0"));
    }

    void serviceKeptPastItsHostRaises() {
        std::shared_ptr<CHMHelp> help;
        std::shared_ptr<ShareProps> share;
        {
            DemoSet set;
            help = createObject<CHMHelp>();
            share = createObject<ShareProps>();
        }
        QVERIFY_THROWS_EXCEPTION(HostError, help->ShowHELP("mainhelp.chm", "x", 0));
        QVERIFY_THROWS_EXCEPTION(HostError, share->GetProperty(0, QStringLiteral("UserID")));
    }

    void helpMapsToTheBundledPages() {
        DemoSet set;
        QStringList told;
        set.host->setMessageSink([&](const QString& kind, const QString&) { told << kind; });
        auto help = createObject<CHMHelp>();
        help->SETVBProjectID(QStringLiteral("GLSystemSetting.frmSystemProfiles"), 0);
        QCOMPARE(set.host->helpTopic(), QStringLiteral("GLSystemSetting.frmSystemProfiles"));
        help->ShowHELP("mainhelp.chm", "GLSystemSetting.frmSystemProfiles", 0);
        help->ShowHELP("MAINHELP.CHM", "glsystemsetting.frmsystemprofiles", 0);
        help->ShowHELP("QORV12.chm", "GLSystemSetting.NoSuchForm", 7);
        help->ShowHELP("mxs.chm", "glcashflow.cashflow", 0);

        const auto& requests = set.host->helpRequests();
        QCOMPARE(requests.size(), 4);
        const QString page =
            set.installDir + "/Help/mainhelp/GLSystemSetting.frmSystemProfiles.html";
        QCOMPARE(requests.at(0).page, page);
        QCOMPARE(requests.at(1).page, page);
        QVERIFY(QFileInfo::exists(page));
        QCOMPARE(requests.at(2).page, set.installDir + QStringLiteral("/Help/QORV12/index.html"));
        QCOMPARE(requests.at(2).context, 7);
        QVERIFY(requests.at(3).page.isEmpty());                         // no pages for that file
        for (const auto& request : requests) QVERIFY(!request.opened);  // no display
        QCOMPARE(told.size(), 4);
    }
};

QTEST_MAIN(EnvironmentTest)
#include "tst_environment.moc"
