// Save ids and `systemsetting revert`: every save's audit rows share one id;
// a revert puts back what that save replaced, key by key, as a save of its
// own, leaves alone what was changed again since and the one-way starts,
// and makes the item master follow a restored tax rate. The revert runs in a
// second process while the dialog is open in this one. On SQLite, and on a
// server with ZX_TEST_PG.

#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <QtTest>

#include "DialogHarness.h"
#include "services/Audit.h"

namespace {

struct Run {
    int exitCode = -1;
    QString out;
};

Run systemsetting(DialogHarness& h, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(SYSTEMSETTING_BIN),
            args + QStringList{"--db", h.set.location(), "--install", h.set.installDir});
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

// Another workstation saves General parameters ("Key=text" each) through
// the dialog's save: an apply of a file that lists only them. The save id it
// names, 0 when none.
qint64 otherSaves(DialogHarness& h, const QStringList& values) {
    QStringList lines;
    for (const QString& v : values) {
        lines << QStringLiteral(R"({"category": "General", "key": "%1", "text": "%2"})")
                     .arg(v.section(u'=', 0, 0), v.section(u'=', 1));
    }
    QTemporaryFile file;
    if (!file.open()) return 0;
    file.write(QStringLiteral(R"({"format": "systemsetting-parameters", "version": 1, )"
                              R"("parameters": [%1]})")
                   .arg(lines.join(u','))
                   .toUtf8());
    file.close();
    const Run r = systemsetting(h, {"apply", file.fileName()});
    if (r.exitCode != 0) qWarning("%s", qPrintable(r.out));
    static const QRegularExpression saveId(QStringLiteral("保存编号 (\\d+)"));
    return saveId.match(r.out).captured(1).toLongLong();
}

QList<refhost::AuditRow> auditAfter(DialogHarness& h, qint64 id) {
    refhost::AuditFilter filter;
    filter.afterId = id;
    return refhost::readAudit(*h.set.db, filter);
}

qint64 lastRow(DialogHarness& h) {
    const QList<refhost::AuditRow> all = refhost::readAudit(*h.set.db);
    return all.isEmpty() ? 0 : all.last().id;
}

QSet<qint64> saveIds(const QList<refhost::AuditRow>& rows) {
    QSet<qint64> ids;
    for (const refhost::AuditRow& r : rows) ids.insert(r.saveId);
    return ids;
}

QString itemDefault(DialogHarness& h, int itemClass) {
    auto rs = h.set.db->nativeQuery(
        "SELECT FDefaultValue FROM t_ItemPropDesc WHERE FItemClassID = ?", {itemClass});
    rs->MoveFirst();
    return rs->Field(0).toString();
}

}  // namespace

class RevertTest : public QObject {
    Q_OBJECT

private slots:
    // One save is one id; its revert restores every key and the item
    // master, as a save of its own that the open dialog then sees as another
    // workstation's.
    void aRevertUndoesOneSaveWhileADialogIsOpen() {
        DialogHarness h;
        const QString fax = h.param("General", "Fax");
        qint64 from = lastRow(h);
        const qint64 save = otherSaves(h, {"TaxRate=6", "Fax=021-7777"});
        QVERIFY(save > 0);
        QCOMPARE(saveIds(auditAfter(h, from)), QSet<qint64>{save});
        QCOMPARE(itemDefault(h, 4), QString("6"));

        from = lastRow(h);
        const Run r = systemsetting(h, {"revert", QString::number(save)});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        QCOMPARE(h.param("General", "TaxRate"), QString("13"));
        QCOMPARE(h.param("General", "Fax"), fax);
        QCOMPARE(itemDefault(h, 4), QString("13"));
        QCOMPARE(itemDefault(h, 1), QString("13"));
        const QList<refhost::AuditRow> undone = auditAfter(h, from);
        QVERIFY(!undone.isEmpty());
        QCOMPARE(saveIds(undone), QSet<qint64>{undone.first().id});
        QVERIFY(r.out.contains(QStringLiteral("撤销作为保存 %1 写入").arg(undone.first().id)));
        for (const refhost::AuditRow& row : undone) {
            QCOMPARE(row.program, QString("systemsetting revert"));
        }

        // The dialog open since before both saves keeps what they left.
        h.c<QLineEdit>("txtEMail")->setText("revert@example.com");
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("General", "EMail"), QString("revert@example.com"));
        QCOMPARE(h.param("General", "TaxRate"), QString("13"));
        QCOMPARE(h.param("General", "Fax"), fax);
    }

    // A key saved again since is named and left; without --force nothing
    // is written, with it the others are restored.
    void aKeyChangedAgainStaysAndNeedsForce() {
        DialogHarness h;
        const qint64 save = otherSaves(h, {"TaxRate=6", "Fax=021-7777"});
        QVERIFY(otherSaves(h, {"Fax=021-8888"}) > save);

        const qint64 from = lastRow(h);
        for (const QStringList& args : {QStringList{"--dry-run"}, QStringList{}}) {
            const Run r = systemsetting(h, QStringList{"revert", QString::number(save)} + args);
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.out.contains("General/Fax") && r.out.contains("021-8888"),
                     qPrintable(r.out));
        }
        QCOMPARE(lastRow(h), from);
        QCOMPARE(h.param("General", "TaxRate"), QString("6"));

        const Run forced = systemsetting(h, {"revert", QString::number(save), "--force"});
        QVERIFY2(forced.exitCode == 0, qPrintable(forced.out));
        QCOMPARE(h.param("General", "TaxRate"), QString("13"));
        QCOMPARE(h.param("General", "Fax"), QString("021-8888"));
    }

    // A dialog save that started the ledger: the start stays, the rest goes back.
    void aStartIsNotReverted() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("GL", "StartYear", "2025");  // as the period set-up leaves it
        });
        const QString company = h.param("General", "CompanyName");
        const qint64 from = lastRow(h);
        h.c<QLineEdit>("txtCompanyName")->setText("启用科技有限公司");
        h.c<zx::frame::IntText3D>("txtStartYear")->setValue(2025);
        h.c<zx::frame::IntText3D>("txtStartPeriod")->setValue(1);
        h.answerYes();
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.param("GL", "Closed"), QString("1"));
        // The dialog's save is one save: one id on all its rows, the start's included.
        const QList<refhost::AuditRow> rows = auditAfter(h, from);
        QVERIFY(!rows.isEmpty());
        QCOMPARE(saveIds(rows), QSet<qint64>{rows.first().id});

        const Run r = systemsetting(h, {"revert", QString::number(rows.first().saveId)});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        QVERIFY2(r.out.contains(QStringLiteral("启用不能撤销")), qPrintable(r.out));
        QCOMPARE(h.param("GL", "Closed"), QString("1"));
        QCOMPARE(h.param("GL", "StartPeriod"), QString("1"));
        QCOMPARE(h.param("FA", "StartYear"), QString("2025"));
        QCOMPARE(h.param("General", "CompanyName"), company);
    }

    // What stands in the way: no such save, a user who may only view, a
    // save id that is no number.
    void refusals() {
        DialogHarness h;
        QCOMPARE(systemsetting(h, {"revert", "999999"}).exitCode, 1);
        QCOMPARE(systemsetting(h, {"revert", "abc"}).exitCode, 2);
        const qint64 save = otherSaves(h, {"Fax=021-7777"});
        const Run viewer = systemsetting(h, {"revert", QString::number(save), "--user", "viewer"});
        QCOMPARE(viewer.exitCode, 1);
        QCOMPARE(h.param("General", "Fax"), QString("021-7777"));
    }
};

QTEST_MAIN(RevertTest)
#include "test_revert.moc"
