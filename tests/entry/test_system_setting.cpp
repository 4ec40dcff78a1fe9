// The public class: the view right, the modal dialog and its completion
// marker, and the two data questions.

#include <QPushButton>
#include <QtTest>

#include "DemoSet.h"
#include "ScriptedHost.h"
#include "zx/entry/SystemSetting.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

using namespace zxtest;
using zx::host::HostError;
using zx::profiles::frmSystemProfiles;

namespace {

const QString kProps = "Data Source=acct1;SubID=ACC07;";

struct FakeSecurity : zx::host::SecurityInfo {
    ScriptedHost& host;
    std::function<void()> refuse;  // throws when set
    explicit FakeSecurity(ScriptedHost& h) : host(h) {}
    QVariant AccessCheck(const QString& props, qint16 subsystem, qint16 object, qint32 mask,
                         bool raise, const QString& right) override {
        host.record(QString("AccessCheck:%1|%2|%3|%4|%5|%6")
                        .arg(props)
                        .arg(subsystem)
                        .arg(object)
                        .arg(mask)
                        .arg(raise ? "True" : "False", right));
        if (refuse) refuse();
        return true;
    }
    bool IsAdministrator(const QString&) override { return false; }
};

struct FakeClassInfo : zx::host::ClassInfo {
    ScriptedHost& host;
    int rows = -1;  // -1: no record set, -2: the connection fails
    explicit FakeClassInfo(ScriptedHost& h) : host(h) {}
    zx::host::RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host.record("GetData:" + props + "|" + sql);
        if (rows == -2) throw HostError(-2147467259, "ClassInfo", "连接已断开");
        if (rows < 0) return nullptr;
        auto records =
            std::make_shared<zx::host::MemoryRecordSet>(QStringList{"C"}, QList<QVariantList>{});
        for (int i = 0; i < rows; ++i) records->addRow({1});
        return records;
    }
};

struct EntryHost {
    ScriptedHost host;
    std::shared_ptr<FakeSecurity> security = std::make_shared<FakeSecurity>(host);
    std::shared_ptr<FakeClassInfo> classInfo = std::make_shared<FakeClassInfo>(host);
    int dialogsShown = 0;
    EntryHost() {
        host.properties["PropsString"] = kProps;
        host.provide<zx::host::SecurityInfo>(security);
        host.provide<zx::host::ClassInfo>(classInfo);
        // A dialog that is shown closes at once instead of blocking the test.
        frmSystemProfiles::onShown = [this](frmSystemProfiles& dialog) {
            ++dialogsShown;
            dialog.close();
        };
    }
    ~EntryHost() { frmSystemProfiles::onShown = nullptr; }
};

}  // namespace

class SystemSettingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }

    void viewRightDecidesOverTheDialog_data() {
        QTest::addColumn<QString>("props");
        QTest::addColumn<QString>("error");  // empty: the dialog is shown
        QTest::newRow("granted") << kProps << QString();
        QTest::newRow("no view right") << kProps << "ShowError:70:SecurityInfo:没有查看权限";
        QTest::newRow("foreign error") << kProps << "ShowError:5:SystemSetting:bad alloc";
        QTest::newRow("duplicate session key") << "SubID=1;subid=2;"
                                               << "ShowError:457:";
    }
    void viewRightDecidesOverTheDialog() {
        QFETCH(QString, props);
        QFETCH(QString, error);
        EntryHost h;
        h.host.properties["PropsString"] = props;
        if (error.contains("SecurityInfo")) {
            h.security->refuse = [] { throw HostError(70, "SecurityInfo", "没有查看权限"); };
        } else if (error.contains("bad alloc")) {
            h.security->refuse = [] { throw std::runtime_error("bad alloc"); };
        }
        QVERIFY(!zx::SystemSetting().ShowSystemSetting());
        QCOMPARE(h.dialogsShown, error.isEmpty() ? 1 : 0);
        if (!error.isEmpty()) {
            QCOMPARE(h.host.count("ShowError:"), 1);
            QCOMPARE(h.host.count(error), 1);
            return;
        }
        // Checked through the factory with fixed arguments.
        QCOMPARE(h.host.calls.filter("SecurityInfo"), QStringList{"factory:SecurityInfo"});
        QCOMPARE(h.host.calls.filter("AccessCheck:"),
                 QStringList{"AccessCheck:" + kProps + "|18|0|1048576|True|查看"});
        QCOMPARE(zx::GetSubID(), "ACC07");  // the session collection was rebuilt
    }

    void completionMarker_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("expected");
        QTest::newRow("closed without saving") << "close" << false;
        QTest::newRow("marker then Close") << "tag-close" << true;
        QTest::newRow("marker then close box") << "tag-closebox" << true;
        QTest::newRow("marker then hidden") << "tag-hide" << true;
        QTest::newRow("result field then hidden") << "result-hide" << true;
        QTest::newRow("result field overwritten on unload") << "result-closebox" << false;
        QTest::newRow("marker in other case") << "lower-close" << false;
    }
    void completionMarker() {
        // The real dialog on a demo account set: it loads, the user acts, it goes.
        QFETCH(QString, how);
        QFETCH(bool, expected);
        DemoSet set(true, "administrator");
        int shown = 0;
        QString title;
        QStringList errors;
        set.host->setMessageSink([&](const QString& kind, const QString& text) {
            if (kind.contains("error", Qt::CaseInsensitive)) errors << text;
        });
        frmSystemProfiles::onShown = [&](frmSystemProfiles& dialog) {
            ++shown;
            title = dialog.windowTitle();
            QVERIFY(dialog.Tag().isEmpty());
            if (how.startsWith("tag")) dialog.setTag("OK");
            if (how.startsWith("lower")) dialog.setTag("ok");
            if (how.startsWith("result")) dialog.ResultTag = "OK";
            if (how.endsWith("hide")) {
                dialog.hide();
            } else if (how.endsWith("closebox")) {
                dialog.close();
            } else {
                dialog.findChild<QPushButton*>("btnClose")->click();
            }
        };
        const bool result = zx::SystemSetting().ShowSystemSetting();
        frmSystemProfiles::onShown = nullptr;
        zx::ResetSessionCaches();
        QCOMPARE(result, expected);
        QCOMPARE(shown, 1);
        QCOMPARE(title, "系统参数");
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    }

    void dataQuestions_data() {
        QTest::addColumn<int>("rows");  // -1: no record set, -2: the connection fails
        QTest::addColumn<bool>("expected");
        QTest::newRow("no record set") << -1 << false;
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one row") << 1 << true;
        QTest::newRow("connection lost") << -2 << false;
    }
    void dataQuestions() {
        QFETCH(int, rows);
        QFETCH(bool, expected);
        EntryHost h;
        h.classInfo->rows = rows;
        zx::SystemSetting setting;
        if (rows == -2) {
            // The caller gets the error; nothing is shown.
            QVERIFY_THROWS_EXCEPTION(HostError, setting.IsHasInitGLData());
            QVERIFY_THROWS_EXCEPTION(HostError, setting.IsHasVoucher(2024, 1));
            QVERIFY(h.host.calls.filter(QRegularExpression("^(ShowError|msgbox)")).isEmpty());
            return;
        }
        QCOMPARE(setting.IsHasInitGLData(), expected);
        QCOMPARE(setting.IsHasVoucher(2024, 3), expected);
        QCOMPARE(setting.IsHasVoucher(-1, -12), expected);
        QCOMPARE(h.host.calls.filter("GetData:"),
                 (QStringList{"GetData:" + kProps +
                                  "|Select top 1 1 from t_balance union select top 1 1 from "
                                  "t_InitCashFlowBal Union select top 1 1 from t_FAAlter ",
                              "GetData:" + kProps +
                                  "|Select top 1 1 from t_Voucher where FYear<2024 or "
                                  "(FYear=2024 and FPeriod<3)",
                              "GetData:" + kProps +
                                  "|Select top 1 1 from t_Voucher where FYear<-1 or "
                                  "(FYear=-1 and FPeriod<-12)"}));
    }
};

QTEST_MAIN(SystemSettingTest)
#include "test_system_setting.moc"
