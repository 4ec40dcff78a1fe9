// The server restarts while the dialog is open: the next action finds the
// connection lost, makes it again and goes on, so the user's save goes
// through; while the server stays away the save says so, writes nothing and
// the dialog keeps the user's changes. The server is a throwaway of this
// test alone (restarting the suite's shared one would break the tests that
// run beside it). Runs when ZX_TEST_PG says server tests are wanted.

#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QtTest>
#include <memory>

#include "DialogHarness.h"
#include "services/Audit.h"

namespace {

// A server of this test in a folder of its own, reachable on its socket.
class PrivateServer {
public:
    PrivateServer()
        : dir_(QStringLiteral("/tmp/zx-pgrestart-%1").arg(QCoreApplication::applicationPid())) {
        url_ = QString::fromUtf8(script({"start"}).trimmed());
    }
    ~PrivateServer() { script({"stop"}); }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    QString url() const { return url_; }
    void restart() { script({"restart"}); }
    void halt() { script({"halt"}); }

private:
    QByteArray script(const QStringList& command) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(ZX_PGSERVER_SH), command + QStringList{dir_});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            qWarning("pgserver.sh %s failed", qPrintable(command.join(' ')));
        }
        return p.readAllStandardOutput();
    }

    QString dir_;
    QString url_;
};

}  // namespace

class PgRestartTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateServer> server_;

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("ZX_TEST_PG")) QSKIP("ZX_TEST_PG names no server");
        server_ = std::make_unique<PrivateServer>();
        QVERIFY(!server_->url().isEmpty());
        // Every account set of this test lives on the private server.
        qputenv("ZX_TEST_PG", server_->url().toUtf8());
    }
    void cleanupTestCase() { server_.reset(); }

    void aSaveAfterARestartGoesThrough() {
        DialogHarness h;
        h.c<QLineEdit>("txtFax")->setText("021-5550");
        server_->restart();
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("General", "Fax"), QString("021-5550"));
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        // The reload after the save read on the new connection too.
        QCOMPARE(h.c<QLineEdit>("txtFax")->text(), QString("021-5550"));
    }

    void whileTheServerStaysAwayNothingIsSavedAndTheChangesStay() {
        DialogHarness h;
        const QString fax = h.param("General", "Fax");
        h.c<QLineEdit>("txtFax")->setText("021-5551");
        server_->halt();
        QVERIFY(!h.dialog->SaveProfiles());
        const QStringList errors = h.shownOf("error");
        QVERIFY2(errors.size() == 1 && errors.first().contains(QStringLiteral("连接不上")) &&
                     errors.first().contains(QStringLiteral("没有在账套中写入任何内容")),
                 qPrintable(h.shown.join('\n')));
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.c<QLineEdit>("txtFax")->text(), QString("021-5551"));

        server_->restart();
        QCOMPARE(h.param("General", "Fax"), fax);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("General", "Fax"), QString("021-5551"));
    }

    // The connection is lost between two writes of the save: that attempt
    // leaves nothing behind, and the save starts over and is made once.
    void aConnectionLostWhileWritingStartsTheSaveOver() {
        DialogHarness h;
        for (const char* sql :
             {"CREATE SEQUENCE zx_test_kill",
              "CREATE FUNCTION zx_test_kill() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
              "IF nextval('zx_test_kill') = 2 THEN PERFORM pg_terminate_backend(pg_backend_pid()); "
              "END IF; RETURN NEW; END $$",
              "CREATE TRIGGER zx_test_kill AFTER INSERT OR UPDATE ON t_SystemProfile "
              "FOR EACH ROW EXECUTE FUNCTION zx_test_kill()"}) {
            h.set.db->nativeExec(QString::fromLatin1(sql));
        }
        const QList<refhost::AuditRow> before = refhost::readAudit(*h.set.db);
        h.c<QLineEdit>("txtFax")->setText("021-5552");
        h.c<QLineEdit>("txtEMail")->setText("lost@example.com");
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("General", "Fax"), QString("021-5552"));
        QCOMPARE(h.param("General", "EMail"), QString("lost@example.com"));
        refhost::AuditFilter filter;
        filter.afterId = before.isEmpty() ? 0 : before.last().id;
        QStringList keys;
        QSet<qint64> saves;
        for (const refhost::AuditRow& r : refhost::readAudit(*h.set.db, filter)) {
            keys << r.key;
            saves << r.saveId;
        }
        keys.sort();
        QCOMPARE(keys, (QStringList{"EMail", "Fax"}));
        QCOMPARE(saves.size(), 1);
    }
};

QTEST_MAIN(PgRestartTest)
#include "tst_pgrestart.moc"
