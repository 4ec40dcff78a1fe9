// The save as the dialog's buttons run it: Close answered Yes, Save with its
// reload, the first use of a new account set up to the ledger start; what a
// save writes (only what changed, by the rules of each kind of control, free
// text as typed, the function lock guarding the writes and never outliving
// the save); and saves that are refused (the company and currency checks,
// the period calendar, the start-up question and its business and cashier
// limits, the ledger start's own period checks), showing one message and
// writing nothing.

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "SaveSupport.h"
#include "demo/Demo.h"
#include "windows/PeriodSetup.h"
#include "zx/frame/IntText3D.h"
#include "zx/params/Declared.h"
#include "zx/session/MNetControl.h"

using zx::frame::IntText3D;

namespace {

QString itemMasterRate(DialogHarness& h, int itemClass) {
    auto rs = h.set.db->nativeQuery(
        "SELECT FDefaultValue FROM t_ItemPropDesc WHERE FItemClassID = ?", {itemClass});
    rs->MoveFirst();
    return rs->Field(0).toString();
}

// The stored business precisions as the page shows them, so that an
// untouched page has nothing of its own to write.
void storePrecisions(DialogHarness& d) {
    d.setParam("IC", "PrecisionOfDiscountRate", "2");
    d.setParam("IC", "SInvoiceDecimal", "4");
}

// Free-text boxes, each named "txt" and its parameter's key.
const char* const kFreeTextKeys[] = {
    "CompanyAddress", "CompanyPhone", "CompanyTax", "CompanyYHAccount", "PostNum", "Fax", "EMail"};

}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

private slots:
    void init() { zx::MNetControl::LockHandle() = 0; }
    void cleanup() { QCOMPARE(zx::MNetControl::LockHandle(), 0); }  // no save keeps the lock

    void closeAnsweredYesClosesOnlyAfterASave() {
        DialogHarness h;
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<QLineEdit>("txtCyName")->clear();  // the save will refuse this
        h.answerYes();
        h.c<QPushButton>("btnClose")->click();
        QCOMPARE(h.shownOf("message"), QStringList{"请设置本位币名称"});
        QVERIFY(h.dialog->isVisible());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());

        h.c<QLineEdit>("txtCyName")->setText("人民币");
        h.answerYes();
        h.c<QPushButton>("btnClose")->click();
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
    }

    void firstUseStartsTheLedger() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("GL", "StartYear", "2025");  // as the period set-up leaves it
        });
        h.dialog->show();
        QVERIFY(h.c<IntText3D>("txtStartYear")->isEnabled());
        typeText(h.c<QLineEdit>("txtCompanyName"), "新道演示有限公司");
        h.c<IntText3D>("txtStartYear")->setValue(2025);
        h.c<IntText3D>("txtStartPeriod")->setValue(1);
        typeText(h.c<QLineEdit>("txtCyNumber"), "R'MB;--");
        typeText(h.c<QLineEdit>("txtCyName"), "人民币'元; --");
        h.c<IntText3D>("txtCyScale")->setValue(3);
        h.answerYes();

        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("question"),
                 QStringList{"请确认账务初始参数(启用年度：2025、启用期间：1)和本位币的设置，"
                             "系统将不允许再次修改，是否确认启用！"});
        QVERIFY2(h.shownOf("error").isEmpty() && h.shownOf("message").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        const QString expected =
            "GL/Closed=1 GL/StartYear=2025 GL/StartPeriod=1 GL/CurrentYear=2025 GL/CurrentPeriod=1 "
            "PA/StartYear=2025 PA/StartPeriod=1 PA/CurrentYear=2025 PA/CurrentPeriod=1 "
            "FA/YearDifference=0 FA/CheckBeforeClosed=0 FA/StartYear=2025 FA/StartPeriod=1 "
            "FA/PeriodCount=12 FA/PeriodByMonth=1 FA/PeriodDates=12 FA/NoVoucher=0 "
            "FA/FALinkedGL=1 FA/WithoutDepr=0 FA/CurrentYear=2025 FA/CurrentPeriod=1 "
            "FA/StartDate=" +
            today + " General/CompanyName=新道演示有限公司";
        QCOMPARE(storedAs(h, expected), expected);
        QCOMPARE(baseCurrency(h), QStringLiteral("R'MB;--|人民币'元; --|3"));

        // The reload shows a started ledger (what it locks is the load's business).
        QVERIFY(h.dialog->LedgerStarted());
        QVERIFY(!h.c<IntText3D>("txtStartYear")->isEnabled());
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), QString("2025"));
        QCOMPARE(h.dialog->Tag(), QString("OK"));

        // Started once: a later save leaves the start alone and asks nothing,
        // and its reload shows what changed behind the dialog's back.
        h.shown.clear();
        h.c<QCheckBox>("chkSettle")->click();
        h.setParam("GL", "CurrentPeriod", "2");
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QCOMPARE(h.param("GL", "StartPeriod"), QString("1"));
        QVERIFY(h.dialog->isVisible());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QCOMPARE(h.c<QLineEdit>("txtCurPeriod")->text(), QString("2"));
        QVERIFY(h.c<QCheckBox>("chkSettle")->isChecked());
    }

    // Each one-way start's question shows in its details what the start
    // writes: every key with its value, the base currency, and what cannot
    // be changed afterwards. The save then stores exactly that.
    void eachStartShowsWhatItWrites_data() {
        QTest::addColumn<QString>("module");
        QTest::newRow("ledger") << "ledger";
        QTest::newRow("business") << "business";
        QTest::newRow("cashier") << "cashier";
    }
    void eachStartShowsWhatItWrites() {
        QFETCH(QString, module);
        DialogHarness h("administrator", [&module](DialogHarness& d) {
            if (module == "ledger") {
                d.setParam("GL", "StartYear", "2025");
                return;
            }
            refhost::startDemoModules(*d.set.db);
            d.setParam("GL", "CurrentPeriod", "1");
            if (module == "business") return;
            d.setParam("CN", "CN_INIT_DONE", "0");
            for (const char* key :
                 {"CN_START_YEAR", "CN_START_PERIOD", "CN_CURRENT_YEAR", "CN_CURRENT_PERIOD"}) {
                d.removeParam("CN", key);
            }
        });
        h.dialog->show();
        const QString prefix = module == "ledger"     ? "txt"
                               : module == "business" ? "txtIC_"
                                                      : "txtCn";
        auto* yearBox = h.c<IntText3D>(prefix + "StartYear");
        yearBox->setValue(yearBox->Value());
        h.c<IntText3D>(prefix + "StartPeriod")->setValue(module == "ledger" ? 2 : 3);
        if (module == "ledger") h.c<IntText3D>("txtCyScale")->setValue(3);
        for (int i = 0; i < (module == "business" ? 2 : 1); ++i) h.answerYes();
        const auto before = h.stored();

        h.c<QPushButton>("btnSave")->click();

        QVERIFY2(h.shownOf("error").isEmpty() && h.shownOf("message").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        const QStringList lines = h.shownOf("details").value(0).split(u'\n');
        static const QRegularExpression write("^  (\\w+)/(\\w+) = ([^（]*)");
        QStringList shown;
        QString locks;
        for (const QString& line : lines) {
            if (const auto m = write.match(line); m.hasMatch()) {
                shown << m.captured(1) + u'/' + m.captured(2);
                QCOMPARE(m.captured(1) + u'/' + m.captured(2) + u'=' +
                             h.param(m.captured(1), m.captured(2)),
                         m.captured(1) + u'/' + m.captured(2) + u'=' + m.captured(3));
            } else if (line.startsWith("本位币固定为：")) {
                QCOMPARE(line, QStringLiteral("本位币固定为：代码 %1，名称 %2，小数位数 %3")
                                   .arg(baseCurrency(h).split(u'|').value(0),
                                        baseCurrency(h).split(u'|').value(1),
                                        baseCurrency(h).split(u'|').value(2)));
            } else if (line.startsWith("业务系统的金额精度设为：")) {
                shown << "General/SMPrecision";
                QCOMPARE(line.mid(12).section(u' ', 0, 0), h.param("General", "SMPrecision"));
            } else if (line.startsWith("启用后不能再修改：")) {
                locks = line.mid(9);
            }
        }
        QVERIFY2(shown.size() >= 4, qPrintable(lines.join('\n')));
        // Nothing of the start goes unannounced.
        for (const QString& key : DialogHarness::differing(before, h.stored())) {
            QVERIFY2(shown.contains(key, Qt::CaseInsensitive), qPrintable(key));
        }
        QCOMPARE(module == "ledger", lines.join('\n').contains("本位币固定为："));
        // What it says is fixed is fixed once the dialog shows the started module.
        QCOMPARE(locks.isEmpty(), module == "cashier");
        int fixed = 0;
        for (const zx::params::Declared& d : zx::params::declared()) {
            const QString named =
                QStringLiteral("%1（%2/%3）")
                    .arg(zx::params::captionOf(*d.param), zx::params::categoryName(d.param->cat),
                         zx::params::keyOf(*d.param));
            if (!locks.split(QStringLiteral("、")).contains(named)) continue;
            ++fixed;
            const QString name = QString::fromLatin1(d.param->control.name);
            auto* w = h.dialog->findChild<QWidget*>(name);
            if (!w) w = h.c<QWidget>(name + "(0)");  // options: the first of them
            QVERIFY2(!w->isEnabled() || DialogHarness::locked(w), d.param->control.name);
        }
        QCOMPARE(fixed, locks.isEmpty() ? 0 : int(locks.split(QStringLiteral("、")).size()));
    }

    // What the ledger start writes changes after its question was answered
    // (another workstation sets the fixed assets' year difference): the
    // start is not made other than shown, and nothing of the save is written.
    void aLedgerStartChangedAfterItsQuestionIsNotWritten() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { d.setParam("GL", "StartYear", "2025"); });
        h.dialog->show();
        h.c<IntText3D>("txtStartPeriod")->setValue(2);
        h.c<QCheckBox>("chkSettle")->click();
        h.set.host->setAnswerHook([&h](const QString& text, zx::host::MsgButtons,
                                       zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
            if (text.startsWith("请确认账务初始参数")) h.setParam("GL", "YearDifference", "1");
            return zx::host::MsgResult::Yes;
        });
        const auto before = h.stored();
        QVERIFY(!h.dialog->SaveProfiles());
        QVERIFY2(h.shownOf("message").value(0).startsWith("总账启用要写入的内容在确认之后有了变化"),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(DialogHarness::differing(before, h.stored()), QStringList{"GL/YearDifference"});
        QVERIFY(!h.dialog->LedgerStarted());
        QVERIFY(h.dialog->IsChanged());
    }

    void periodSetUpRefreshesThePage() {
        refhost::PeriodSetupWindow::onShown = [](refhost::PeriodSetupWindow& w) {
            refhost::PeriodCalendar calendar;
            calendar.periodCount = 13;
            calendar.firstYear = QDate::currentDate().year();
            calendar.years = 2;
            w.setCalendar(calendar);
            w.accept();
        };
        DialogHarness h;
        h.dialog->show();
        h.c<QPushButton>("cmdSetPeriod")->click();
        refhost::PeriodSetupWindow::onShown = nullptr;

        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        QVERIFY(h.dialog->findChild<QAbstractButton*>("optPeriod13")->isChecked());
        for (const char* box : {"txtStartPeriod", "txtCnStartPeriod", "txtIC_StartPeriod"}) {
            QVERIFY2(h.c<IntText3D>(box)->Max() == 13, box);
        }
        QCOMPARE(h.c<IntText3D>("txtIC_StartYear")->Value(), QDate::currentDate().year());
        auto rs = h.set.db->nativeQuery(
            "SELECT FValue FROM t_UserSetting WHERE FCategory = 'Session' AND FKey = "
            "'VoucherType'");
        QCOMPARE(rs->RecordCount(), 1);
        rs->MoveFirst();
        QCOMPARE(rs->Field(0).toString(), QString("16394"));
    }

    // Number boxes take digits only, within their limits, and keep Enter.
    void numberBoxesTakeDigitsWithinTheirLimits() {
        DialogHarness h;
        h.dialog->show();
        auto* box = h.c<IntText3D>("txtStartPeriod");
        box->setFocus();
        box->selectAll();
        QSignalSpy finished(box, &QAbstractSpinBox::editingFinished);
        QTest::keyClicks(box, "1x.");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, "2");
        QCOMPARE(finished.count(), 0);  // Enter never reached the box
        QCOMPARE(box->Value(), 12);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->Value(), 1);

        auto* day = h.c<IntText3D>("IntEndVoucherDate");  // a day beyond 31 is refused
        day->setFocus();
        day->setText("");
        QTest::keyClicks(day, "45");
        QCOMPARE(day->Text(), QString("4"));
    }

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
        h.c<IntText3D>("txtTaxRate")->setText("17.12345");
        // Stored 2 shows as cumulative: switched to per period by the user, it
        // is still no switch between the stored states 0 and 1.
        h.c<QRadioButton>("OptYtd(0)")->setChecked(true);

        QVERIFY(h.dialog->SaveProfiles());

        // No sign-budget option selected saves the option count; the
        // year-to-date type is only rewritten between 0 and 1; a rate keeps
        // all its digits.
        const QString expected =
            "GL/VoucherSettleType=1 GL/CheckBeforePost=0 GL/VchInPutMothDiff=-3 GL/NoOverBud=2 "
            "GL/NoOverSignBud=3 GL/ContrastSendType=2 GL/NoOverYtdBudType=2 "
            "IC/PrecisionOfDiscountRate=5 General/TaxRate=17.12345";
        QCOMPARE(storedAs(h, expected), expected);
        QCOMPARE(zx::host::env().sharedDictionary()->value("RatioDecPlaces").toInt(), 5);
        QCOMPARE(itemMasterRate(h, 4), QString("17.12345"));
        QCOMPARE(itemMasterRate(h, 1), QString("17.12345"));
        QCOMPARE(writtenKeys(h, "GL"),
                 (QStringList{"GL/CheckBeforePost", "GL/VoucherSettleType", "GL/VchInPutMothDiff",
                              "GL/ContrastSendType", "GL/NoOverBud", "GL/NoOverSignBud"}));
        QVERIFY(!writtenKeys(h, "IC").contains("IC/SInvoiceDecimal"));
        QVERIFY(!writtenKeys(h, "General").contains("General/TaxType"));
    }

    // Initial balances entered before the ledger started: the start period
    // they belong to is fixed, so a save asks for no start and writes none.
    void initialBalancesKeepTheLedgerUnstarted() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("GL", "StartYear", "2025");
            d.setParam("GL", "StartPeriod", "1");
            d.set.db->nativeExec("INSERT INTO t_InitCashFlowBal DEFAULT VALUES");
        });
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        QVERIFY(h.dialog->SaveProfiles());
        QVERIFY2(h.shownOf("question").isEmpty(), qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "Closed"), QString("0"));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
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
        // And back: a general taxpayer's usual rate.
        h.c<QRadioButton>("rdoTaxType(0)")->click();
        QCOMPARE(h.c<IntText3D>("txtTaxRate")->Text(), QString("13"));
        h.c<QRadioButton>("rdoTaxType(1)")->click();

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
        for (const char* key : kFreeTextKeys)
            typeText(h.c<QLineEdit>(QString("txt") + key), tricky);
        // Only blanks are trimmed from the name; an ideographic space is text.
        const QString name = QStringLiteral("\u3000演示;--科技 (上海)\u3000");
        typeText(h.c<QLineEdit>("txtCompanyName"), name + "  ");

        QVERIFY(h.dialog->SaveProfiles());

        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        for (const char* key : kFreeTextKeys) QCOMPARE(h.param("General", key), tricky);
        QCOMPARE(h.param("General", "CompanyName"), name);
        QCOMPARE(registeredName(h), name);
    }

    // A write that fails undoes the whole save, the ledger start with it:
    // the dialog keeps the user's entries and shows the ledger not started,
    // and the next save writes them all.
    void aWriteFailingMidwayUndoesTheSave() {
        DialogHarness h("administrator", storePrecisions);
        failWritesOf(h, "EndVoucherDate");
        const auto before = h.stored();
        const QString currency = baseCurrency(h);
        h.dialog->show();
        h.c<IntText3D>("txtStartPeriod")->setValue(3);           // started before
        h.c<QLineEdit>("txtCompanyAddress")->setText("新地址");  // written before
        h.c<QCheckBox>("chkSettle")->click();                    // written before
        h.c<IntText3D>("IntEndVoucherDate")->setValue(25);       // fails
        h.c<QCheckBox>("chkSysNum")->click();                    // would come after
        h.answerYes();

        h.c<QPushButton>("btnSave")->click();

        // Told in the user's words; the driver's own text is for the details.
        const QStringList errors = h.shownOf("error");
        QVERIFY2(errors.size() == 1 && errors.first().startsWith("写入账套失败: ") &&
                     errors.first().contains("同一组写入已全部撤销") &&
                     !errors.first().contains(QRegularExpression("[A-Za-z]{3,}")),
                 qPrintable(h.shown.join('\n')));
        QVERIFY2(h.shownOf("details").last().startsWith("数据库的说明: ") &&
                     h.shownOf("details").last().contains("disk full"),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(DialogHarness::differing(before, h.stored()), QStringList());
        QCOMPARE(baseCurrency(h), currency);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(!h.dialog->LedgerStarted());
        QCOMPARE(h.dialog->Tag(), QString());
        QVERIFY(h.c<IntText3D>("txtStartPeriod")->isEnabled());
        QCOMPARE(h.c<IntText3D>("IntEndVoucherDate")->Value(), 25);
        QCOMPARE(zx::MNetControl::LockHandle(), 0);
        QVERIFY(lockIsFree(0, 0));

        h.set.db->nativeExec(h.set.db->onServer() ? "DROP TRIGGER t_TestFail ON t_SystemProfile"
                                                  : "DROP TRIGGER t_TestFail_INSERT");
        if (!h.set.db->onServer()) h.set.db->nativeExec("DROP TRIGGER t_TestFail_UPDATE");
        h.shown.clear();
        h.answerYes();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shownOf("error").isEmpty() && h.shownOf("message").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        const QString expected =
            "GL/Closed=1 GL/StartPeriod=3 General/CompanyAddress=新地址 GL/VoucherSettleType=1 "
            "GL/EndVoucherDate=25 GL/SysNum=1";
        QCOMPARE(storedAs(h, expected), expected);
        QCOMPARE(h.dialog->Tag(), QString("OK"));
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

        const QString currency = baseCurrency(h);
        h.dialog->show();
        h.c<QCheckBox>("chkSettle")->click();
        h.c<IntText3D>("txtStartPeriod")->setValue(3);  // the ledger start waits for the lock too
        h.answerYes();
        h.c<QPushButton>("btnSave")->click();

        // The refusal names the function, the holder's workstation and since
        // when, and the command that releases the lock.
        const QStringList errors = h.shownOf("error");
        QCOMPARE(errors.size(), 1);
        static const QRegularExpression refusal(QStringLiteral(
            "^现在不能保存: 功能 系统参数保存 \\(pu08\\) 正被使用: 用户 \\S+ 在工作站 "
            "HOLDER( \\(IP [^)]+\\))? 上, 自 \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 起。.*"
            "systemsetting locks"));
        QVERIFY2(refusal.match(errors.first()).hasMatch(), qPrintable(errors.first()));
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(baseCurrency(h), currency);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(!h.dialog->LedgerStarted());
        QCOMPARE(zx::MNetControl::LockHandle(), 0);

        holder.write("commit\n");
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitCode(), 0);

        h.shown.clear();
        h.answerYes();
        h.c<QPushButton>("btnSave")->click();
        QVERIFY2(h.shownOf("message").isEmpty() && h.shownOf("error").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString("1"));
        QCOMPARE(h.param("GL", "Closed"), QString("1"));
        QVERIFY(lockIsFree(0, 0));
    }

    void checksBeforeWritingRefuseAndWriteNothing_data() {
        QTest::addColumn<QString>("periodCount");  // GL PeriodCount stored before opening
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("page");  // the page shown afterwards, -1 when not moved
        const char* const badName = "设置公司名称输入了不正确的字符。";
        const std::tuple<const char*, const char*, const char*, const char*, const char*, int>
            cases[] = {{"blank name", "12", "txtCompanyName", "   ", "请输入公司名称!", 0},
                       {"ideographic blanks", "12", "txtCompanyName", "\u3000\u3000",
                        "请设置公司名称", -1},
                       {"apostrophe", "12", "txtCompanyName", "O'Brien", badName, -1},
                       {"backslash", "12", "txtCompanyName", "演示\\科技", badName, -1},
                       {"dollar", "12", "txtCompanyName", "演示$科技", badName, -1},
                       {"double quote", "12", "txtCompanyName", "演示\"科技", badName, -1},
                       {"blank currency code", "12", "txtCyNumber", "  ", "请设置本位币代码", -1},
                       {"blank currency name", "12", "txtCyName", "", "请设置本位币名称", -1},
                       {"0 periods", "0", "txtCompanyAddress", "新地址", "会计期间未设置!", 1},
                       {"11 periods", "11", "txtCompanyAddress", "新地址", "会计期间未设置!", 1},
                       {"14 periods", "14", "txtCompanyAddress", "新地址", "会计期间未设置!", 1}};
        for (const auto& [row, count, box, typed, message, page] : cases) {
            QTest::newRow(row) << count << box << QString::fromUtf8(typed) << message << page;
        }
    }
    void checksBeforeWritingRefuseAndWriteNothing() {
        QFETCH(QString, periodCount);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, page);
        DialogHarness h("administrator",
                        [&](DialogHarness& d) { d.setParam("GL", "PeriodCount", periodCount); });
        recordWrites(h);
        const QString registered = registeredName(h);
        h.dialog->show();
        h.c<QTabWidget>("Stab")->setCurrentIndex(5);
        h.c<QCheckBox>("chkSettle")->click();  // a change that a save would write
        h.c<QLineEdit>(box)->setText(typed);

        h.c<QPushButton>("btnSave")->click();

        QCOMPARE(h.shownOf("message"), QStringList{message});
        QVERIFY(h.shownOf("error").isEmpty());
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(registeredName(h), registered);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(h.c<QCheckBox>("chkSettle")->isChecked());  // the entries stay as typed
        if (page >= 0) QCOMPARE(h.c<QTabWidget>("Stab")->currentIndex(), page);
    }

    // A numeric box that does not hold a number is no 0: the save shows it,
    // names it and its page, and writes nothing of the save.
    void aBoxWithoutANumberIsRefused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");  // how the message begins
        const QString rate = "“税率(%)”（系统信息）";
        QTest::newRow("tax rate emptied") << "txtTaxRate"
                                          << "" << rate;
        QTest::newRow("tax rate unfinished") << "txtTaxRate"
                                             << "-." << rate;
        QTest::newRow("whole number unfinished") << "txtIC_FKFPreperiod"
                                                 << "-"
                                                 << "“保质期提前期（天）”（";
    }
    void aBoxWithoutANumberIsRefused() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, named);
        DialogHarness h;
        recordWrites(h);
        h.dialog->show();
        const QString rate = h.param("General", "TaxRate");
        h.c<QCheckBox>("chkSettle")->click();  // would be written first
        auto* number = h.c<IntText3D>(box);
        number->setText(text);
        h.c<QTabWidget>("Stab")->setCurrentIndex(3);  // the box is elsewhere

        QVERIFY(!h.dialog->SaveProfiles());

        const QStringList messages = h.shownOf("message");
        QVERIFY2(messages.size() == 1 && messages.first().startsWith(named) &&
                     messages.first().endsWith("须填写有效的数字，没有保存。"),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(h.param("General", "TaxRate"), rate);
        QVERIFY(number->isVisibleTo(h.dialog.get()) && number->hasFocus());
        QCOMPARE(number->Text(), text.trimmed());
        QVERIFY(h.dialog->IsChanged());
    }

    void answeringNoToTheStartUpWritesNothing() {
        DialogHarness h;
        recordWrites(h);
        h.dialog->show();
        h.c<IntText3D>("txtStartPeriod")->setValue(3);
        h.answerNo();
        h.c<QPushButton>("btnSave")->click();

        const QString year = h.c<IntText3D>("txtStartYear")->Text();
        QCOMPARE(h.shownOf("question"),
                 QStringList{"请确认账务初始参数(启用年度：" + year +
                             "、启用期间：3)和本位币的设置，系统将不允许再次修改，是否确认启用！"});
        QCOMPARE(writtenKeys(h), QStringList());
        QCOMPARE(h.param("GL", "Closed"), QString("0"));
        QCOMPARE(h.dialog->Tag(), QString());
        QVERIFY(h.dialog->IsChanged());
    }

    // Once the business or cashier modules run, the ledger may not start after them.
    void startUpLimitsOfTheOtherModules_data() {
        QTest::addColumn<int>("ledgerPeriod");        // start year is this year
        QTest::addColumn<int>("businessYearOffset");  // -99: business box left editable
        QTest::addColumn<int>("businessPeriod");
        QTest::addColumn<int>("cashierPeriod");  // 0: cashier not in use
        QTest::addColumn<bool>("voucherBefore");
        QTest::addColumn<QString>("message");  // empty: the ledger starts
        const std::tuple<const char*, int, int, int, int, bool, const char*> cases[] = {
            {"business starts a year earlier", 1, -1, 12, 0, false,
             "业务系统启用年度必须大于等于账务系统当前年度！"},
            {"business starts earlier in the year", 3, 0, 2, 0, false,
             "账务系统启用期间必须小于等于业务系统当前期间！"},
            {"vouchers before the start", 2, 0, 2, 0, true,
             "有启用期间以前的凭证,请先修改凭证日期!"},
            {"business a year later skips the voucher test", 2, 1, 1, 0, true, ""},
            {"editable business start is not compared", 5, -99, 1, 0, true, ""},
            {"cashier starts earlier in the year", 4, -99, 1, 3, false,
             "总账会计启用期间必须小于等于出纳启用会计期间！"},
            {"cashier starts in the same period", 3, -99, 1, 3, false, ""}};
        for (const auto& [row, ledger, businessYear, business, cashier, voucher, message] : cases) {
            QTest::newRow(row) << ledger << businessYear << business << cashier << voucher
                               << QString::fromUtf8(message);
        }
    }
    void startUpLimitsOfTheOtherModules() {
        QFETCH(int, ledgerPeriod);
        QFETCH(int, businessYearOffset);
        QFETCH(int, businessPeriod);
        QFETCH(int, cashierPeriod);
        QFETCH(bool, voucherBefore);
        QFETCH(QString, message);
        DialogHarness h;
        if (voucherBefore) {
            h.set.db->nativeExec("INSERT INTO t_Voucher (FYear, FPeriod) VALUES (2020, 1)");
        }
        h.dialog->show();
        const int year = h.c<IntText3D>("txtStartYear")->Value();
        h.c<IntText3D>("txtStartPeriod")->setValue(ledgerPeriod);
        if (businessYearOffset != -99) {
            auto* businessYear = h.c<IntText3D>("txtIC_StartYear");
            businessYear->setMinimum(1900);
            businessYear->setValue(year + businessYearOffset);
            businessYear->setEnabled(false);
            h.c<IntText3D>("txtIC_StartPeriod")->setValue(businessPeriod);
        }
        if (cashierPeriod > 0) {
            h.c<QLineEdit>("txtCnCurrentPeriod")->setText(QString::number(cashierPeriod));
            h.c<IntText3D>("txtCnStartYear")->setValue(year);
            h.c<IntText3D>("txtCnStartPeriod")->setValue(cashierPeriod);
        }
        h.answerYes();
        h.c<QPushButton>("btnSave")->click();

        // The ledger's question comes first; the other pages may ask their own later.
        QVERIFY(h.shownOf("question").value(0).startsWith("请确认账务初始参数"));
        if (message.isEmpty()) {
            QVERIFY2(h.shownOf("message").isEmpty(), qPrintable(h.shown.join('\n')));
            QCOMPARE(h.param("GL", "Closed"), QString("1"));
            QCOMPARE(h.param("GL", "StartPeriod"), QString::number(ledgerPeriod));
        } else {
            QCOMPARE(h.shownOf("message"), QStringList{message});
            QCOMPARE(h.param("GL", "Closed"), QString("0"));
            QVERIFY(h.dialog->IsChanged());
        }
    }

    void ledgerStartChecksItsPeriod_data() {
        QTest::addColumn<QString>("periodCount");
        QTest::addColumn<int>("startPeriod");
        QTest::addColumn<QString>("message");  // empty: the ledger starts
        const std::tuple<const char*, const char*, int, const char*> cases[] = {
            {"period 0", "12", 0, "启用会计期间不正确!"},
            {"period 14", "12", 14, "会计期间设置错误!"},
            {"period 13 of 12", "12", 13, "启用会计期间不正确!"},
            {"calendar not set", "", 1, "会计期间未设置!"},
            {"period 13 of 13", "13", 13, ""}};
        for (const auto& [row, count, period, message] : cases) {
            QTest::newRow(row) << count << period << QString::fromUtf8(message);
        }
    }
    void ledgerStartChecksItsPeriod() {
        QFETCH(QString, periodCount);
        QFETCH(int, startPeriod);
        QFETCH(QString, message);
        DialogHarness h("administrator",
                        [&](DialogHarness& d) { d.setParam("GL", "PeriodCount", periodCount); });
        recordWrites(h);
        const QString currency = baseCurrency(h);
        auto* box = h.c<IntText3D>("txtStartPeriod");
        box->setMaximum(99);  // as a host calling in directly may find it
        box->setValue(startPeriod);

        const bool started = h.dialog->CloseInit();

        QCOMPARE(started, message.isEmpty());
        QCOMPARE(h.shownOf("message"), message.isEmpty() ? QStringList() : QStringList{message});
        if (started) {
            QCOMPARE(h.dialog->Tag(), QString("OK"));
            QCOMPARE(h.param("GL", "StartPeriod"), QString("13"));
            QCOMPARE(h.param("FA", "PeriodCount"), QString("13"));
        } else {
            QCOMPARE(writtenKeys(h), QStringList());
            QCOMPARE(baseCurrency(h), currency);
            QCOMPARE(h.dialog->Tag(), QString());
            QVERIFY(box->isEnabled());
        }
    }
};

QTEST_MAIN(SaveTest)
#include "test_save.moc"
