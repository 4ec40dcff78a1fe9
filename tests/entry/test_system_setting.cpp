// The public class: the view right, the modal dialog and its completion
// marker, and the two data questions.

#include <QPushButton>
#include <QtTest>

#include "ScriptedHost.h"
#include "zx/entry/SystemSetting.h"
#include "zx/host/MemoryRecordSet.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"

using namespace zxtest;
using zx::host::HostError;
using zx::profiles::frmSystemProfiles;

namespace {

const QString kProps = QStringLiteral("Data Source=acct1;SubID=ACC07;");

class FakeSecurity : public zx::host::SecurityInfo {
public:
    explicit FakeSecurity(ScriptedHost& host) : host_(host) {}
    std::function<void()> refuse;  // throws when set
    QVariant AccessCheck(const QString& props, qint16 subsystem, qint16 object, qint32 mask,
                         bool raise, const QString& rightName) override {
        host_.record(QStringLiteral("AccessCheck:%1|%2|%3|%4|%5|%6")
                         .arg(props)
                         .arg(subsystem)
                         .arg(object)
                         .arg(mask)
                         .arg(raise ? "True" : "False", rightName));
        if (refuse) refuse();
        return true;
    }
    bool IsAdministrator(const QString&) override { return false; }

private:
    ScriptedHost& host_;
};

class FakeClassInfo : public zx::host::ClassInfo {
public:
    explicit FakeClassInfo(ScriptedHost& host) : host_(host) {}
    zx::host::RecordSetPtr result;
    bool fail = false;
    zx::host::RecordSetPtr GetData(const QString& props, const QString& sql) override {
        host_.record(QStringLiteral("GetData:%1|%2").arg(props, sql));
        if (fail) throw HostError(-2147467259, "ClassInfo", "连接已断开");
        return result;
    }

private:
    ScriptedHost& host_;
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
    }
    // What the user does in the dialog once it is on screen.
    void whenShown(std::function<void(frmSystemProfiles&)> act) {
        frmSystemProfiles::onShown = [this, act](frmSystemProfiles& dialog) {
            ++dialogsShown;
            act(dialog);
        };
    }
    ~EntryHost() { frmSystemProfiles::onShown = nullptr; }
};

void clickClose(frmSystemProfiles& dialog) {
    auto* close = dialog.findChild<QPushButton*>("cmdClose");
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("关闭"));
    close->click();
}

zx::host::RecordSetPtr rowsOf(int count) {
    auto records =
        std::make_shared<zx::host::MemoryRecordSet>(QStringList{"C"}, QList<QVariantList>{});
    for (int i = 0; i < count; ++i) records->addRow({1});
    return records;
}

}  // namespace

class SystemSettingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }

    void withoutViewRightNoDialog() {
        EntryHost h;
        h.security->refuse = [] { throw HostError(70, "SecurityInfo", "没有查看系统参数的权限"); };
        h.whenShown([](frmSystemProfiles& dialog) { dialog.close(); });
        QVERIFY(!zx::SystemSetting().ShowSystemSetting());
        QCOMPARE(h.dialogsShown, 0);
        QCOMPARE(h.host.calls.filter("ShowError:"),
                 QStringList{"ShowError:70:SecurityInfo:没有查看系统参数的权限"});
    }

    void foreignErrorsAreShownToo() {
        EntryHost h;
        h.security->refuse = [] { throw std::runtime_error("bad alloc"); };
        h.whenShown([](frmSystemProfiles& dialog) { dialog.close(); });
        QVERIFY(!zx::SystemSetting().ShowSystemSetting());
        QCOMPARE(h.dialogsShown, 0);
        QCOMPARE(h.host.count("ShowError:5:SystemSetting:bad alloc"), 1);
    }

    void rightCheckedThroughTheFactoryWithFixedArguments() {
        EntryHost h;
        h.whenShown([](frmSystemProfiles& dialog) { clickClose(dialog); });
        zx::SystemSetting().ShowSystemSetting();
        QCOMPARE(h.host.calls.filter("SecurityInfo"), QStringList{"factory:SecurityInfo"});
        QCOMPARE(h.host.calls.filter("AccessCheck:"),
                 QStringList{"AccessCheck:" + kProps + "|18|0|1048576|True|查看"});
        // The session collection is rebuilt from the current property string.
        QCOMPARE(zx::GetSubID(), QStringLiteral("ACC07"));
    }

    void duplicateSessionKeyEndsTheCall() {
        EntryHost h;
        h.host.properties["PropsString"] = "SubID=1;subid=2;";
        h.whenShown([](frmSystemProfiles& dialog) { dialog.close(); });
        QVERIFY(!zx::SystemSetting().ShowSystemSetting());
        QCOMPARE(h.dialogsShown, 0);
        QCOMPARE(h.host.count("ShowError:457:"), 1);
    }

    void completionMarker_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("expected");
        QTest::newRow("closed without saving") << "close" << false;
        QTest::newRow("marker then Close button") << "tag-close" << true;
        QTest::newRow("marker then hidden") << "tag-hide" << true;
        QTest::newRow("result field set, hidden") << "result" << true;
        QTest::newRow("marker in other case") << "lower" << false;
    }
    void completionMarker() {
        QFETCH(QString, how);
        QFETCH(bool, expected);
        EntryHost h;
        QString titleSeen;
        h.whenShown([&](frmSystemProfiles& dialog) {
            titleSeen = dialog.windowTitle();
            QVERIFY(dialog.Tag().isEmpty());
            if (how == "tag-close" || how == "tag-hide") dialog.setTag("OK");
            if (how == "lower") dialog.setTag("ok");
            if (how == "result") dialog.ResultTag = "OK";
            if (how == "tag-hide" || how == "result") {
                dialog.hide();
            } else {
                clickClose(dialog);
            }
        });
        QCOMPARE(zx::SystemSetting().ShowSystemSetting(), expected);
        QCOMPARE(h.dialogsShown, 1);
        QCOMPARE(titleSeen, QStringLiteral("系统参数"));
        QCOMPARE(h.host.count("ShowError:"), 0);
    }

    void eachCallHasAFreshDialog() {
        EntryHost h;
        h.whenShown([](frmSystemProfiles& dialog) {
            if (dialog.Tag().isEmpty()) dialog.setTag("OK");
            clickClose(dialog);
        });
        QVERIFY(zx::SystemSetting().ShowSystemSetting());
        QVERIFY(zx::SystemSetting().ShowSystemSetting());
        QCOMPARE(h.dialogsShown, 2);
    }

    void unloadCopiesTheMarker() {
        frmSystemProfiles dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("frmSystemProfiles"));
        dialog.setTag("OK");
        QVERIFY(dialog.ResultTag.isEmpty());
        dialog.close();
        QCOMPARE(dialog.ResultTag, QStringLiteral("OK"));
    }

    void initialData_data() {
        QTest::addColumn<int>("rows");  // -1: no record set at all
        QTest::addColumn<bool>("expected");
        QTest::newRow("no record set") << -1 << false;
        QTest::newRow("empty") << 0 << false;
        QTest::newRow("one row") << 1 << true;
        QTest::newRow("several rows") << 3 << true;
    }
    void initialData() {
        QFETCH(int, rows);
        QFETCH(bool, expected);
        EntryHost h;
        h.classInfo->result = rows < 0 ? nullptr : rowsOf(rows);
        QCOMPARE(zx::SystemSetting().IsHasInitGLData(), expected);
        QCOMPARE(h.host.calls.filter("GetData:"),
                 QStringList{"GetData:" + kProps +
                             "|Select top 1 1 from t_balance union select top 1 1 from "
                             "t_InitCashFlowBal Union select top 1 1 from t_FAAlter "});

        h.host.calls.clear();
        QCOMPARE(zx::SystemSetting().IsHasVoucher(2024, 3), expected);
        QCOMPARE(h.host.calls.filter("GetData:"),
                 QStringList{"GetData:" + kProps +
                             "|Select top 1 1 from t_Voucher where FYear<2024 or (FYear=2024 "
                             "and FPeriod<3)"});
    }

    void voucherQueryWritesPlainNumbers() {
        EntryHost h;
        h.classInfo->result = rowsOf(0);
        zx::SystemSetting().IsHasVoucher(-1, -12);
        zx::SystemSetting().IsHasVoucher(100000, 13);
        const QStringList queries = h.host.calls.filter("GetData:");
        QVERIFY(queries.at(0).endsWith("FYear<-1 or (FYear=-1 and FPeriod<-12)"));
        QVERIFY(queries.at(1).endsWith("FYear<100000 or (FYear=100000 and FPeriod<13)"));
    }

    void dataErrorsReachTheCaller() {
        EntryHost h;
        h.classInfo->fail = true;
        QVERIFY_THROWS_EXCEPTION(HostError, zx::SystemSetting().IsHasInitGLData());
        QVERIFY_THROWS_EXCEPTION(HostError, zx::SystemSetting().IsHasVoucher(2024, 1));
        QCOMPARE(h.host.count("ShowError:"), 0);
        QVERIFY(h.host.messages.isEmpty());
    }
};

QTEST_MAIN(SystemSettingTest)
#include "test_system_setting.moc"
