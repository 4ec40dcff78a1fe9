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

namespace {
const QString kRegistryKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZENTRIX\\QORPRODUCT");
}

class EnvironmentTest : public QObject {
    Q_OBJECT

private slots:
    void propertyStringReadsBackWhole() {
        DemoSet set(true, QStringLiteral("viewer"));
        auto share = createObject<ShareProps>();
        const qint32 pid = env().processId();
        const QString text = share->GetProperty(pid, QStringLiteral("PropsString")).toString();
        QVERIFY(text.endsWith(QLatin1Char(';')));

        const refhost::PropsString props(text);
        QCOMPARE(props.value(QStringLiteral("ConnectString")),
                 QStringLiteral("Provider=%1;Data Source=%2")
                     .arg(set.db->dialect().name(), set.db->location()));
        QCOMPARE(props.dataSource(), set.db->location());
        QCOMPARE(props.value(QStringLiteral("username")), QStringLiteral("viewer"));
        QCOMPARE(props.value(QStringLiteral("UserID")).toInt(), set.host->user().id);
        QCOMPARE(props.value(QStringLiteral("SubID")), QStringLiteral("1"));
        QCOMPARE(props.value(QStringLiteral("AcctName")), QStringLiteral("演示账套"));
        QCOMPARE(props.value(QStringLiteral("Language")), QStringLiteral("chs"));
        QCOMPARE(props.value(QStringLiteral("DBMS Name")), set.db->dialect().name());

        QCOMPARE(share->GetProperty(pid, QStringLiteral("UserID")).toInt(), set.host->user().id);
        QCOMPARE(share->GetProperty(pid, QStringLiteral("AcctName")).toString(),
                 QStringLiteral("演示账套"));
        // Another process sees nothing of this one.
        QVERIFY(!share->GetProperty(pid + 1, QStringLiteral("PropsString")).isValid());
        QCOMPARE(createObject<LangInfo>()->CurrentLanguage(), QStringLiteral("chs"));
    }

    void loginObjectIsPublishedOnlyWhenInstalled() {
        DemoSet set(true, QStringLiteral("administrator"));
        auto share = createObject<ShareProps>();
        QVERIFY(!share->GetProperty(env().processId(), QStringLiteral("QORLogin")).isValid());
        refhost::installLockServices(*set.host, true);
        const QVariant login = share->GetProperty(env().processId(), QStringLiteral("QORLogin"));
        QVERIFY(login.canConvert<ServicePtr>());
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

    void boxesWithoutScreenTakeTheDefaultAndAreTold() {
        DemoSet set;
        QStringList told;
        set.host->setMessageSink(
            [&](const QString& kind, const QString& text) { told << kind + u':' + text; });
        auto& dialogs = env().dialogService();

        QVERIFY(set.host->headless());  // the tests run offscreen
        QVERIFY(!dialogs.Confirm(QStringLiteral("确认启用?"), true));
        QCOMPARE(env().messageBox(QStringLiteral("继续?"), MsgButtons::YesNo, MsgIcon::Question,
                                  QStringLiteral("Zentrix提示"), nullptr),
                 MsgResult::No);
        QCOMPARE(env().messageBox(QStringLiteral("放弃?"), MsgButtons::OkCancel,
                                  MsgIcon::Exclamation, QString(), nullptr),
                 MsgResult::Cancel);
        QCOMPARE(env().messageBox(QStringLiteral("完成"), MsgButtons::Ok, MsgIcon::Information,
                                  QString(), nullptr),
                 MsgResult::Ok);
        dialogs.ShowMessage(QStringLiteral("请输入公司名称!"));
        dialogs.ShowError(HostError(70, QStringLiteral("SecurityInfo"), QStringLiteral("没有权限")),
                          {});
        QCOMPARE(told, QStringList({QStringLiteral("question:确认启用?"),
                                    QStringLiteral("answer:否"), QStringLiteral("question:继续?"),
                                    QStringLiteral("answer:否"), QStringLiteral("question:放弃?"),
                                    QStringLiteral("answer:取消"), QStringLiteral("message:完成"),
                                    QStringLiteral("message:请输入公司名称!"),
                                    QStringLiteral("error:没有权限")}));
    }

    void answerHookComesFirst() {
        DemoSet set;
        QStringList asked;
        set.host->setAnswerHook(
            [&](const QString& text, MsgButtons, MsgIcon icon) -> std::optional<MsgResult> {
                asked << text;
                if (text.contains(QStringLiteral("跳过"))) return std::nullopt;
                return icon == MsgIcon::Question ? MsgResult::Yes : MsgResult::Ok;
            });
        QVERIFY(env().dialogService().Confirm(QStringLiteral("确认?"), true));
        // A hook that passes falls back to the default answer.
        QVERIFY(!env().dialogService().Confirm(QStringLiteral("跳过?"), true));
        QCOMPARE(asked, QStringList({QStringLiteral("确认?"), QStringLiteral("跳过?")}));
    }

    void blankTextAndTextFocus() {
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
    }

    void hourglassIsNotStacked() {
        DemoSet set;
        env().setMousePointer(kPointerHourglass);
        env().setMousePointer(kPointerHourglass);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        env().setMousePointer(kPointerDefault);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(set.host->mousePointer(), kPointerDefault);
    }

    void registryValuesComeFromTheIniFile() {
        DemoSet set;
        auto registry = createObject<RegistryReader>();
        QCOMPARE(registry->GetKeyValue(kRegistryKey, QStringLiteral("Path"), QStringLiteral("1")),
                 set.installDir);
        const QString file = set.installDir + QStringLiteral("/registry.ini");
        refhost::writeIniValue(file, kRegistryKey.toLower(), QStringLiteral("path"),
                               QStringLiteral("/opt/zentrix"));
        QCOMPARE(registry->GetKeyValue(kRegistryKey, QStringLiteral("Path"), QStringLiteral("1")),
                 QStringLiteral("/opt/zentrix"));
        // A value that is not there is the installation directory.
        QCOMPARE(registry->GetKeyValue(kRegistryKey, QStringLiteral("Other"), QStringLiteral("1")),
                 set.installDir);
    }

    void schemeFileKeepsOtherKeysWhenOneChanges() {
        DemoSet set;
        const QString scheme = set.installDir + QStringLiteral("/Common/QORBaseScheme.ini");
        QCOMPARE(
            refhost::readIniValue(scheme, QStringLiteral("Version"), QStringLiteral("AppType")),
            QStringLiteral("0"));
        refhost::writeIniValue(scheme, QStringLiteral("Version"), QStringLiteral("AppType"),
                               QStringLiteral("1"));
        QCOMPARE(
            refhost::readIniValue(scheme, QStringLiteral("version"), QStringLiteral("apptype")),
            QStringLiteral("1"));
        QCOMPARE(
            refhost::readIniValue(scheme, QStringLiteral("Version"), QStringLiteral("AppName")),
            QStringLiteral("Zentrix 财务业务一体化"));
        QCOMPARE(
            refhost::readIniValue(scheme, QStringLiteral("Version"), QStringLiteral("HangYeType")),
            QStringLiteral("0"));
        // The installer leaves an existing scheme alone.
        refhost::ensureInstallDir(set.installDir);
        QCOMPARE(
            refhost::readIniValue(scheme, QStringLiteral("Version"), QStringLiteral("AppType")),
            QStringLiteral("1"));
    }

    void serviceKeptPastItsHostRaises() {
        std::shared_ptr<CHMHelp> help;
        std::shared_ptr<ShareProps> share;
        {
            DemoSet set;
            help = createObject<CHMHelp>();
            share = createObject<ShareProps>();
        }
        QVERIFY_THROWS_EXCEPTION(
            HostError, help->ShowHELP(QStringLiteral("mainhelp.chm"), QStringLiteral("x"), 0));
        QVERIFY_THROWS_EXCEPTION(HostError, share->GetProperty(0, QStringLiteral("UserID")));
    }

    void helpMapsToTheBundledPages() {
        DemoSet set;
        QStringList told;
        set.host->setMessageSink([&](const QString& kind, const QString&) { told << kind; });
        auto help = createObject<CHMHelp>();
        help->SETVBProjectID(QStringLiteral("GLSystemSetting.frmSystemProfiles"), 0);
        QCOMPARE(set.host->helpTopic(), QStringLiteral("GLSystemSetting.frmSystemProfiles"));

        help->ShowHELP(QStringLiteral("mainhelp.chm"),
                       QStringLiteral("GLSystemSetting.frmSystemProfiles"), 0);
        help->ShowHELP(QStringLiteral("MAINHELP.CHM"),
                       QStringLiteral("glsystemsetting.frmsystemprofiles"), 0);
        help->ShowHELP(QStringLiteral("QORV12.chm"), QStringLiteral("GLSystemSetting.NoSuchForm"),
                       7);
        help->ShowHELP(QStringLiteral("mxs.chm"), QStringLiteral("glcashflow.cashflow"), 0);

        const auto& requests = set.host->helpRequests();
        QCOMPARE(requests.size(), 4);
        const QString page =
            set.installDir +
            QStringLiteral("/Help/mainhelp/GLSystemSetting.frmSystemProfiles.html");
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
