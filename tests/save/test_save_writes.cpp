// What a save writes: only what changed, by the rules of each kind of
// control, with a few parameters on every save; free text arrives as typed;
// the function lock guards the writes and never outlives the save.

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "zx/frame/IntText3D.h"
#include "zx/session/MNetControl.h"

using zx::frame::IntText3D;

namespace {

QString itemMasterRate(DialogHarness& h, int itemClass) {
    auto rs = h.set.db->nativeQuery(
        "SELECT FDefaultValue FROM t_ItemPropDesc WHERE FItemClassID = ?", {itemClass});
    rs->MoveFirst();
    return rs->Field(0).toString();
}

QString registeredName(DialogHarness& h) {
    auto rs = h.set.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
    rs->MoveFirst();
    return rs->Field(0).toString();
}

// The stored business precisions as the page shows them, so that an
// untouched page has nothing of its own to write.
void storePrecisions(DialogHarness& d) {
    d.setParam("IC", "PrecisionOfDiscountRate", "2");
    d.setParam("IC", "SInvoiceDecimal", "4");
}

const char* const kFreeTextBoxes[][2] = {
    {"txtCompanyAddress", "CompanyAddress"},
    {"txtCompanyPhone", "CompanyPhone"},
    {"txtCompanyTax", "CompanyTax"},
    {"txtCompanyYHAccount", "CompanyYHAccount"},
    {"txtPostNum", "PostNum"},
    {"txtFax", "Fax"},
    {"txtEMail", "EMail"},
};

}  // namespace

class SaveWritesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::MNetControl::LockHandle() = 0; }
    void cleanup() { QCOMPARE(zx::MNetControl::LockHandle(), 0); }  // no save keeps the lock

    void changedControlsAreWrittenByTheirKind() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            storePrecisions(d);
            d.setParam("GL", "NoOverYtdBudType", "2");  // shows as cumulative
            d.setParam("GL", "CheckBeforePost", "1");
        });
        recordWrites(h);
        h.c<QCheckBox>("chkSettle")->setChecked(true);
        h.c<QCheckBox>("chkCheckBeforePost")->setChecked(false);
        h.c<IntText3D>("intVchInPutMothDiff")->setValue(-3);
        h.c<QRadioButton>("OptBud(2)")->setChecked(true);
        zx::frame::Controls::clearOption(h.c<QRadioButton>("OptSignBud(0)"));
        h.c<QRadioButton>("OptByall")->setChecked(true);
        h.c<IntText3D>("txtZKLScale")->setValue(5);
        h.c<IntText3D>("txtTaxRate")->setText("17.5");

        QVERIFY(h.dialog->SaveProfiles());

        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QCOMPARE(h.param("GL", "CheckBeforePost"), QString("0"));
        QCOMPARE(h.param("GL", "VchInPutMothDiff"), QString("-3"));
        QCOMPARE(h.param("GL", "NoOverBud"), QString("2"));
        QCOMPARE(h.param("GL", "NoOverSignBud"), QString("3"));  // none selected: the count
        QCOMPARE(h.param("GL", "ContrastSendType"), QString("2"));
        QCOMPARE(h.param("GL", "NoOverYtdBudType"), QString("2"));  // never rewritten
        QCOMPARE(h.param("IC", "PrecisionOfDiscountRate"), QString("5"));
        QCOMPARE(zx::host::env().sharedDictionary()->value("RatioDecPlaces").toInt(), 5);
        QCOMPARE(h.param("General", "TaxRate"), QString("17.5"));
        QCOMPARE(itemMasterRate(h, 4), QString("17.5"));
        QCOMPARE(itemMasterRate(h, 1), QString("17.5"));
        QCOMPARE(writtenKeys(h, "GL"),
                 (QStringList{"GL/CheckBeforePost", "GL/VoucherSettleType", "GL/VchInPutMothDiff",
                              "GL/ContrastSendType", "GL/NoOverBud", "GL/NoOverSignBud"}));
        QVERIFY(!writtenKeys(h, "IC").contains("IC/SInvoiceDecimal"));
        QVERIFY(!writtenKeys(h, "General").contains("General/TaxType"));
    }

    void changingTheTaxpayerKindSaysSoOnce() {
        DialogHarness h;
        h.dialog->show();
        h.c<QRadioButton>("rdoTaxType(1)")->click();
        h.c<QPushButton>("btnSave")->click();
        const QString notice = "修改公司纳税性质设置后，请调整核算项目-物料中的税率设置";
        QCOMPARE(h.shownOf("message"), QStringList{notice});
        QCOMPARE(h.param("General", "TaxType"), QString("1"));
        QCOMPARE(h.param("General", "TaxRate"), QString("3"));  // the rate of the kind
        QCOMPARE(h.dialog->OrigTaxType(), QString("1"));

        h.shown.clear();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
    }

    // The write-off switch changes only when the ledger agrees.
    void writeOffSwitch_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("shown");  // "message:..." or "error:..."; empty: none
        QTest::addColumn<QString>("after");  // the stored value after the save
        const char* const cases[][5] = {
            {"allowed", "0", "", "", "1"},
            {"written-off business", "1", "writeoffs",
             "message:已经有业务数据进行了核销，不能取消已启用的往来业务核销。", "1"},
            {"closed initial balances", "0", "initclosed",
             "message:不能改变初始化数据，‘启用往来业务核销’不能改变。", "0"},
            {"group controlled", "0", "group", "error:集团控制参数【启用往来业务核销】不能修改！",
             "0"}};
        for (const auto& c : cases) QTest::newRow(c[0]) << c[1] << c[2] << c[3] << c[4];
    }
    void writeOffSwitch() {
        QFETCH(QString, stored);
        QFETCH(QString, situation);
        QFETCH(QString, shown);
        QFETCH(QString, after);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            storePrecisions(d);
            d.setParam("GL", "TransCheckStart", stored);
            if (situation == "writeoffs")
                d.set.db->nativeExec("INSERT INTO t_TransCheck DEFAULT VALUES");
            if (situation == "initclosed") d.setParam("GL", "InitClosed", "1");
            if (situation == "group")
                d.set.db->nativeExec(
                    "UPDATE t_SystemProfile SET FLevel = 8 WHERE FKey = "
                    "'TransCheckStart'");
        });
        auto* box = h.c<QCheckBox>("chkTransCheckStart");
        box->setChecked(stored != "1");
        h.c<QCheckBox>("chkSysNum")->setChecked(true);  // comes after the switch

        const bool saved = h.dialog->SaveProfiles();

        QCOMPARE(h.shown, shown.isEmpty() ? QStringList() : QStringList{shown});
        QCOMPARE(h.param("GL", "TransCheckStart"), after);
        QCOMPARE(saved, situation != "group");  // only the group's error ends the save
        QCOMPARE(h.param("GL", "SysNum"), saved ? QString("1") : QString());
        if (situation == "writeoffs" || situation == "initclosed") {
            QCOMPARE(box->isChecked(), after == "1");  // set back to what is stored
        }
    }

    // Apostrophes, semicolons, comment dashes and Chinese text are data.
    void freeTextIsStoredAsTyped() {
        DialogHarness h;
        h.dialog->show();
        const QString tricky = QStringLiteral("O'Neil; DROP TABLE t_User -- 上海'路");
        for (const auto& row : kFreeTextBoxes) typeText(h.c<QLineEdit>(row[0]), tricky);
        // Only blanks are trimmed from the name; an ideographic space is text.
        const QString name = QStringLiteral("\u3000演示;--科技 (上海)\u3000");
        typeText(h.c<QLineEdit>("txtCompanyName"), name + "  ");

        QVERIFY(h.dialog->SaveProfiles());

        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        for (const auto& row : kFreeTextBoxes) QCOMPARE(h.param("General", row[1]), tricky);
        QCOMPARE(h.param("General", "CompanyName"), name);
        QCOMPARE(registeredName(h), name);
    }

    void aWriteFailingMidwayStopsTheSave() {
        DialogHarness h("administrator", storePrecisions);
        failWritesOf(h, "EndVoucherDate");
        h.dialog->show();
        h.c<QLineEdit>("txtCompanyAddress")->setText("新地址");  // written before
        h.c<QCheckBox>("chkSettle")->click();                    // written before
        h.c<IntText3D>("IntEndVoucherDate")->setValue(25);       // fails
        h.c<QCheckBox>("chkSysNum")->click();                    // would come after

        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("error").size(), 1);
        QCOMPARE(h.param("General", "CompanyAddress"), QString("新地址"));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QCOMPARE(h.param("GL", "EndVoucherDate"), QString());
        QCOMPARE(h.param("GL", "SysNum"), QString());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.c<IntText3D>("IntEndVoucherDate")->Value(), 25);
        QCOMPARE(zx::MNetControl::LockHandle(), 0);
        QVERIFY(lockIsFree(0, 0));
    }

    void aLockHeldElsewhereStopsTheSaveBeforeWriting() {
        DialogHarness h("administrator", storePrecisions);
        recordWrites(h);
        QProcess holder;
        holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder.start(QStringLiteral(ZX_LOCKHOLDER_PATH),
                     {h.set.location(), "0", "0"});  // the ledger's current period
        QVERIFY(holder.waitForStarted(20000));
        QVERIFY(holder.waitForReadyRead(20000));
        QVERIFY(holder.readLine().startsWith("LOCKED"));

        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("error"),
                 QStringList{"当前使用的功能与当前或其他用户有冲突,可能无法使用! "
                             "请在软件的【系统工具】--【网络控制工具】中进行处理。"});
        QCOMPARE(writtenKeys(h), QStringList());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(zx::MNetControl::LockHandle(), 0);

        holder.write("commit\n");
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitCode(), 0);

        h.shown.clear();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QVERIFY(lockIsFree(0, 0));
    }
};

QTEST_MAIN(SaveWritesTest)
#include "test_save_writes.moc"
