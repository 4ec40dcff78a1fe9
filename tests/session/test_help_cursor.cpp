// The help key, the hourglass and the cached ledger services.

#include <QtTest>

#include "SessionFakes.h"
#include "zx/session/Session.h"

using namespace zxtest;

class HelpCursorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::ResetSessionCaches(); }
    void cleanup() { zx::ResetSessionCaches(); }

    void f1ShowsTheTopicsHelpFile_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("shown");  // empty: nothing shown
        QTest::newRow("initial balances") << "glinitbal.initbal"
                                          << "";
        QTest::newRow("cash-flow balances") << "GLInitBal.InitCashFlowBal"
                                            << "";
        QTest::newRow("cash flow") << "GLCashFlow.CashFlow"
                                   << "mxs.chm";
        QTest::newRow("cash voucher") << "glcashflow.cashvoucher"
                                      << "mxs.chm";
        QTest::newRow("cash flow tables") << "gltcashflow.tcashflow"
                                          << "mxs.chm";
        QTest::newRow("cash flow sheet") << "glfcashflow.fcashflow"
                                         << "mxs.chm";
        QTest::newRow("system parameters") << "GLSystemSetting.frmSystemProfiles"
                                           << "mainhelp.chm";
        QTest::newRow("closing options") << "GLSystemSetting.frmICSystemProfiles"
                                         << "QORV12.chm";
    }
    void f1ShowsTheTopicsHelpFile() {
        QFETCH(QString, topic);
        QFETCH(QString, shown);
        ScriptedHost host;
        host.provide<zx::host::CHMHelp>(std::make_shared<FakeHelp>(host));
        qint16 key = 112;
        QVERIFY(zx::ShowHelpKey(key, topic));
        QCOMPARE(key, qint16(0));  // consumed in every case
        const QStringList expected =
            shown.isEmpty() ? QStringList() : QStringList{"ShowHELP:" + shown + "|" + topic + "|0"};
        QStringList helpCalls = host.calls.filter("ShowHELP:");
        QCOMPARE(helpCalls, expected);
    }

    void otherKeysPassThrough() {
        ScriptedHost host;
        host.provide<zx::host::CHMHelp>(std::make_shared<FakeHelp>(host));
        for (qint16 code : {qint16(13), qint16(27), qint16(113), qint16(0)}) {
            qint16 key = code;
            QVERIFY(!zx::ShowHelpKey(key, "GLSystemSetting.frmSystemProfiles"));
            QCOMPARE(key, code);
        }
        QVERIFY(host.calls.isEmpty());
    }

    void helpObjectIsCreatedOnce() {
        ScriptedHost host;
        host.provide<zx::host::CHMHelp>(std::make_shared<FakeHelp>(host));
        zx::RegisterHelpWindow("GLSystemSetting.frmSystemProfiles", 4711);
        zx::RegisterHelpWindow("GLSystemSetting.frmICSystemProfiles", 4712);
        qint16 key = 112;
        zx::ShowHelpKey(key, "x.y");
        QCOMPARE(host.count("create:CHMHelp"), 1);
        QVERIFY(host.calls.contains("SETVBProjectID:GLSystemSetting.frmSystemProfiles|4711"));
    }

    void nestedWaitCursorsKeepTheHourglass() {
        ScriptedHost host;
        {
            zx::WaitCursor outer;
            {
                zx::WaitCursor inner;
                QCOMPARE(host.pointer, 11);
            }
            QCOMPARE(host.pointer, 11);
        }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 0}));
        { zx::WaitCursor again; }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 0, 11, 0}));
    }

    void waitCursorCountBelowZeroRaises() {
        ScriptedHost host;
        auto* cursor = new zx::WaitCursor;
        zx::ResetSessionCaches();
        try {
            delete cursor;
            QFAIL("the count fell below zero without an error");
        } catch (const zx::host::HostError& error) {
            QCOMPARE(error.number(), 1);
        }
        // Counting starts afresh.
        { zx::WaitCursor fresh; }
        QCOMPARE(host.pointerHistory, (QList<int>{11, 11, 0}));
    }

    void ledgerServicesAreCachedUntilReleased() {
        ScriptedHost host;
        auto first = std::make_shared<FakeGLData>();
        auto second = std::make_shared<FakeGLData>();
        int made = 0;
        host.provide("GLData",
                     [&]() -> zx::host::ServicePtr { return ++made == 1 ? first : second; });
        host.provide("GLView", [] { return std::make_shared<FakeGLView>(); });

        QCOMPARE(zx::GetGLData().get(), first.get());
        QCOMPARE(zx::GetGLProfile().get(), first->profile.get());
        QCOMPARE(zx::GetGLProfile().get(), first->profile.get());
        const auto view = zx::GetGLView();
        QCOMPARE(zx::GetGLView(), view);
        QCOMPARE(made, 1);
        QCOMPARE(first->profileRequests, 1);

        zx::ReleaseGLObjects();
        QCOMPARE(zx::GetGLProfile().get(), second->profile.get());
        QVERIFY(zx::GetGLView() != view);
        QCOMPARE(host.count("create:GLData"), 2);
        QCOMPARE(host.count("create:GLView"), 2);
    }
};

QTEST_GUILESS_MAIN(HelpCursorTest)
#include "test_help_cursor.moc"
