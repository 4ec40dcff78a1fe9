// The host's audit: every write of a parameter, and every cell of the
// register and item-master rows a save changes, with the text before and
// after, who wrote it and through which window.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "../save/SaveSupport.h"
#include "DialogHarness.h"
#include "services/Audit.h"
#include "sql/Schema.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/IntText3D.h"

using refhost::AuditRow;

namespace {

using Stored = QHash<QString, QString>;  // "Category/Key" -> stored text

Stored storedParameters(DialogHarness& h) {
    Stored out;
    auto rs = h.set.db->nativeQuery("SELECT FCategory, FKey, FValue FROM t_SystemProfile");
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        out.insert((rs->Field(0).toString() + u'/' + rs->Field(1).toString()).toLower(),
                   rs->Field(2).toString());
    }
    return out;
}

qint64 lastAuditId(DialogHarness& h) {
    const QList<AuditRow> all = refhost::readAudit(*h.set.db);
    return all.isEmpty() ? 0 : all.last().id;
}

QList<AuditRow> auditSince(DialogHarness& h, qint64 id) {
    refhost::AuditFilter filter;
    filter.afterId = id;
    return refhost::readAudit(*h.set.db, filter);
}

QString shown(const std::optional<QString>& v) {
    return v ? u'"' + *v + u'"' : QStringLiteral("(none)");
}

bool isTable(const AuditRow& r) {
    return r.category.startsWith(QLatin1String("t_"));
}

// The trigger's record of the values written, in order.
QStringList writtenValues(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery("SELECT FValue FROM t_TestWrites ORDER BY FNo");
    QStringList out;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) out << rs->Field(0).toString();
    return out;
}

}  // namespace

class AuditTest : public QObject {
    Q_OBJECT

private slots:
    void everyWriteOfAnOrdinarySaveIsAudited() {
        DialogHarness h;
        recordWrites(h);
        const Stored before = storedParameters(h);
        const qint64 from = lastAuditId(h);
        h.c<QLineEdit>("txtCompanyName")->setText("审计科技有限公司");
        h.c<zx::frame::IntText3D>("txtTaxRate")->setValue(6);
        h.c<QCheckBox>("chkSettle")->setChecked(true);
        h.c<QRadioButton>("optHS_CalculateType(1)")->setChecked(true);
        h.c<QComboBox>("cmbIC_BOMType")->setCurrentIndex(1);
        h.c<QComboBox>("cmbIC_AuxSpaceMark")->setCurrentIndex(2);

        QVERIFY(h.dialog->SaveProfiles());

        const QList<AuditRow> rows = auditSince(h, from);
        // Every parameter write, in the order written, with the text it
        // replaced (none for a parameter that had no row) and the text written.
        const QStringList keys = writtenKeys(h, QStringLiteral(""));
        const QStringList values = writtenValues(h);
        Stored now = before;
        QStringList audited;
        for (const AuditRow& r : rows) {
            if (isTable(r)) continue;
            const QString id = (r.category + u'/' + r.key).toLower();
            const qsizetype i = audited.size();
            audited << id;
            QVERIFY2(i < keys.size() && keys.at(i).toLower() == id,
                     qPrintable(id + " " + keys.join(",")));
            QCOMPARE(shown(r.before), now.contains(id) ? shown(now.value(id)) : shown({}));
            QCOMPARE(shown(r.after), shown(values.at(i)));
            now.insert(id, values.at(i));
        }
        QCOMPARE(audited.size(), keys.size());
        QVERIFY(audited.contains("ic/calculatetype"));
        QVERIFY(audited.contains("general/auxspacemark"));
        QCOMPARE(storedParameters(h), now);

        // The register row and the item master's default rates the save changed.
        QStringList cells;
        for (const AuditRow& r : rows) {
            if (isTable(r)) {
                cells << r.category + u'/' + r.key + u'=' + r.before.value_or("-") + u'>' +
                             r.after.value_or("-");
            }
        }
        cells.sort();
        QCOMPARE(
            cells,
            (QStringList{
                "t_ItemPropDesc/FDefaultValue[FItemClassID=1,FSQLColumnName=FValueAddRate]=0>6",
                "t_ItemPropDesc/FDefaultValue[FItemClassID=4,FSQLColumnName=FTaxRate]=0>6",
                "t_ad_zxAccount_gl/FCompanyName[FAcctID=1]=演示科技有限公司>审计科技有限公司"}));

        // Who, where and which program: no modal window is open here.
        for (const AuditRow& r : rows) {
            QCOMPARE(r.userName, QString("administrator"));
            QCOMPARE(r.userId, h.set.host->user().id);
            QCOMPARE(r.machine, h.set.host->computerName().value_or(QString()).toUpper());
            QCOMPARE(r.program, QCoreApplication::applicationName());
            QVERIFY(r.time.size() >= 19);
        }
    }

    void theClosingOptionsAreNamedByTheirWindow() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkHS_CheckBillPosted")->setChecked(true);
        const qint64 from = lastAuditId(h);
        QTimer::singleShot(0, [] {
            auto* closing =
                qobject_cast<zx::closing::frmICSystemProfiles*>(QApplication::activeModalWidget());
            QVERIFY(closing);
            closing->Form_Activate();  // loaded before the user acts, as on screen
            closing->findChild<QCheckBox*>("chkHS_UnCheckBillByRedSaleFP")->setChecked(true);
            closing->findChild<QPushButton*>("btnSave")->click();
            closing->findChild<QPushButton*>("btnClose")->click();
        });
        h.c<QPushButton>("cmdSetCheckItem")->click();

        const QList<AuditRow> rows = auditSince(h, from);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).key, QString("UnCheckBillByRedSaleFP"));
        QCOMPARE(shown(rows.at(0).before), shown({}));
        QCOMPARE(shown(rows.at(0).after), shown("1"));
        QCOMPARE(rows.at(0).program,
                 QCoreApplication::applicationName() + QStringLiteral("/frmICSystemProfiles"));
    }

    // A save that changes nothing writes nothing: no parameter, no audit
    // row, no change-log row. A payroll check the page does not show is
    // turned off by the first save that finds it on, and the ledger link
    // waits for a fixed-asset option the user changes.
    void aSaveThatChangesNothingWritesNothing() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("PA", "ChkPrnPARpt", "1");
            d.setParam("FA", "FALinkedGL", "0");
        });
        const int logRows = h.set.count("t_SystemProfile_Log");
        qint64 from = lastAuditId(h);
        h.dialog->SetChanged(true);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QList<AuditRow> rows = auditSince(h, from);
        QStringList written;
        for (const AuditRow& r : rows) written << r.category + '/' + r.key;
        QVERIFY2(rows.size() == 1, qPrintable(written.join(' ')));
        QCOMPARE(rows.at(0).category + '/' + rows.at(0).key, QString("PA/ChkPrnPARpt"));
        QCOMPARE(shown(rows.at(0).after), shown("0"));

        h.open();
        const auto before = h.stored();
        from = lastAuditId(h);
        h.dialog->SetChanged(true);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        QCOMPARE(auditSince(h, from).size(), 0);
        QCOMPARE(h.stored(), before);
        QCOMPARE(h.param("FA", "FALinkedGL"), QString("0"));
        QCOMPARE(h.set.count("t_SystemProfile_Log"), logRows);
    }

    // A host that only reads refuses a write, and records none.
    void aHostThatOnlyReadsWritesNothing() {
        DemoSet set(true, "administrator");
        set.host->setReadOnly("只读取参数的命令");
        const int params = set.count("t_SystemProfile");
        auto writer = zx::host::createService<zx::host::BaseSystemProfile>();
        QVERIFY_THROWS_EXCEPTION(
            zx::host::HostError,
            writer->Setprofile(set.host->propsString(), "GL", "Audited", 1, std::nullopt));
        QCOMPARE(set.count("t_SystemProfile"), params);
        QCOMPARE(set.count("t_SystemProfile_Audit"), 0);
    }

    // An account set made before the audit gets its table when it is next
    // opened, and is audited from then on; the audit is read by key, where
    // "_" is no wildcard and case does not count, and by time.
    void anOlderSetIsAuditedFromItsNextOpening() {
        DemoSet set(true, "administrator");
        set.db->nativeExec("DROP TABLE t_SystemProfile_Audit");
        set.db->nativeExec("UPDATE t_SchemaVersion SET FVersion = 1");
        auto reopened = refhost::Database::open(set.location());
        QCOMPARE(refhost::schemaVersion(*reopened), refhost::kSchemaVersion);
        QCOMPARE(set.count("t_SystemProfile_Audit"), 0);

        auto writer = zx::host::createService<zx::host::BaseSystemProfile>();
        for (const char* key : {"CN_START_YEAR", "CNXSTARTXYEAR", "CN_START_YEAR"}) {
            writer->Setprofile(set.host->propsString(), "CN", key, 2024, std::nullopt);
        }
        QCOMPARE(set.count("t_SystemProfile_Audit"), 3);
        refhost::AuditFilter filter;
        filter.key = "cn_start_year";
        const QList<AuditRow> rows = refhost::readAudit(*set.db, filter);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(shown(rows.at(0).before), shown({}));
        QCOMPARE(shown(rows.at(1).before), shown("2024"));
        // The escape character itself is no wildcard either, before a "_"
        // of a column's key ("Key[...]") as anywhere.
        for (const char* key : {"K!_1[FID=1]", "K!A1[FID=1]"}) {
            writer->Setprofile(set.host->propsString(), "CN", key, 1, std::nullopt);
        }
        refhost::AuditFilter escaped;
        escaped.key = "K!_1";
        QCOMPARE(refhost::readAudit(*set.db, escaped).size(), 1);
        filter.since = QDate::currentDate().addDays(1).toString("yyyy-MM-dd");
        QCOMPARE(refhost::readAudit(*set.db, filter).size(), 0);
        filter.since = QDate::currentDate().addDays(-1).toString("yyyy-MM-dd");
        QCOMPARE(refhost::readAudit(*set.db, filter).size(), 2);
    }

    // An audit made before save ids: opening the set and the dialog leaves it
    // as it is, its rows show no save, and the first write adds the column
    // and gives its save an id.
    void anAuditWithoutSaveIdsGetsThemAtItsFirstWrite() {
        DemoSet set(true, "administrator");
        set.db->nativeExec("ALTER TABLE t_SystemProfile_Audit DROP COLUMN FSaveID");
        set.db->nativeExec(
            "INSERT INTO t_SystemProfile_Audit (FTime, FCategory, FKey, FNewValue) "
            "VALUES ('2024-01-01 00:00:00', 'GL', 'Older', '1')");
        auto reopened = refhost::Database::open(set.location());
        {
            zx::ResetSessionCaches();
            zx::profiles::frmSystemProfiles dialog;
            dialog.Form_Activate();
        }
        QVERIFY(!refhost::columnNames(*reopened, "t_SystemProfile_Audit").contains("fsaveid"));
        QCOMPARE(refhost::readAudit(*reopened).first().saveId, 0);

        auto writer = zx::host::createService<zx::host::BaseSystemProfile>();
        writer->Setprofile(set.host->propsString(), "GL", "Newer", 1, std::nullopt);
        const QList<AuditRow> rows = refhost::readAudit(*reopened);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).saveId, 0);
        QCOMPARE(rows.at(1).saveId, rows.at(1).id);
        zx::ResetSessionCaches();
    }
};

QTEST_MAIN(AuditTest)
#include "test_audit.moc"
