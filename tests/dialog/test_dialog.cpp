// The dialog's frame (change tracking, the three buttons and their
// questions, rights, the help key) and its load on chosen stored values:
// shown as stored, beyond the typing limits too, with the controls the
// account set's state locks.

#include <QCheckBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"
#include "zx/params/Declared.h"

using zx::frame::IntText3D;

namespace {

DialogHarness::Prepare params(QList<QStringList> rows) {
    return [rows](DialogHarness& h) {
        for (const QStringList& r : rows) h.setParam(r[0], r[1], r[2]);
    };
}

// What a control shows: a number or text box its text, a box or option 1 or 0.
QString shownText(DialogHarness& h, const QString& name) {
    QWidget* w = h.c<QWidget>(name);
    if (auto* number = qobject_cast<IntText3D*>(w)) return number->Text();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
    return qobject_cast<QAbstractButton*>(w)->isChecked() ? "1" : "0";
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    // A stored number too large to read stops the load with a message that
    // names it as the user finds it: page, caption, category/key and text.
    void aValueTooLargeToReadIsNamed_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("named");
        QTest::newRow("start year") << "GL"
                                    << "StartYear"
                                    << "【会计期间】启用会计年度（GL/StartYear）";
        QTest::newRow("company type") << "General"
                                      << "CompanyType"
                                      << "【系统信息】单位性质（General/CompanyType）";
        QTest::newRow("account type") << "GL"
                                      << "AccountType"
                                      << "科目体系类型";
        QTest::newRow("industry version") << "IC"
                                          << "IndustryVersion"
                                          << "行业版本";
    }
    void aValueTooLargeToReadIsNamed() {
        QFETCH(QString, category);
        QFETCH(QString, key);
        QFETCH(QString, named);
        DialogHarness h("administrator", params({{category, key, "99999999999"}}));
        const QStringList errors = h.shownOf("error");
        QVERIFY(!errors.isEmpty());
        for (const QString& e : errors) {
            QVERIFY2(e.contains(named) && e.contains(category + '/' + key + "）：“99999999999”") &&
                         e.contains("账套没有被改动"),
                     qPrintable(e));
        }
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
    }

    // Filling the pages is no change: nothing to save, and neither Close nor
    // OK asks anything.
    void anUntouchedDialogClosesWithoutAsking() {
        DialogHarness h;
        QVERIFY(h.dialog->CanModify());
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(h.c<QPushButton>("btnOK")->isEnabled());
        for (const char* button : {"btnClose", "btnOK"}) {
            h.dialog->show();
            h.c<QPushButton>(button)->click();
            QVERIFY(!h.dialog->isVisible());
        }
        QVERIFY2(h.shown.isEmpty(), qPrintable(h.shown.join('\n')));
    }

    // Typing, spinning and clicking all count; Close then asks, and No discards.
    void aChangeEnablesSaveAndCloseAsks() {
        DialogHarness h;
        for (const char* name : {"txtCompanyAddress", "IntQtyDefNum", "OptBud(1)", "chkSettle"}) {
            h.open();
            h.dialog->show();
            QWidget* w = h.c<QWidget>(name);
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                edit->setFocus();
                QTest::keyClicks(edit, "x");
            } else if (auto* box = qobject_cast<IntText3D*>(w)) {
                box->stepUp();
            } else {
                qobject_cast<QAbstractButton*>(w)->click();
            }
            QVERIFY2(h.dialog->IsChanged(), name);
            QVERIFY2(h.c<QPushButton>("btnSave")->isEnabled(), name);
        }
        h.answerNo();  // discard
        h.c<QPushButton>("btnClose")->click();
        QCOMPARE(h.shownOf("question"), QStringList{"退出前是否保存修改?"});
        QVERIFY(!h.dialog->isVisible());
        QVERIFY(!h.dialog->IsChanged());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());  // nothing written
    }

    // A viewer sees every value locked and is told why; changed on screen all
    // the same (say by a script), nothing counts as a change or is saved.
    void aViewerNeverSavesAndIsNeverAsked() {
        DialogHarness h("viewer");
        h.dialog->show();
        QVERIFY(!h.dialog->CanModify());
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisible());
        QVERIFY(notice->text().startsWith(QStringLiteral("只读：")));
        QVERIFY(notice->text().contains(QStringLiteral("修改权限")));
        QStringList open;
        for (QWidget* w : h.dialog->controls().valueControls()) {
            if (!DialogHarness::locked(w)) open << w->objectName();
        }
        QVERIFY2(open.isEmpty(), qPrintable(open.join(' ')));
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        h.c<QCheckBox>("chkSettle")->setChecked(true);
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString());
        h.c<QPushButton>("btnClose")->click();
        QVERIFY(h.shownOf("question").isEmpty());
        QVERIFY(!h.dialog->isVisible());
    }

    void anEditorMayModify() {
        DialogHarness h("editor");
        h.dialog->show();
        QVERIFY(h.dialog->CanModify());
        QVERIFY(h.c<QPushButton>("btnOK")->isEnabled());
        QVERIFY(!h.c<QLabel>("lblReadOnlyNotice")->isVisible());
        QVERIFY(!h.locked("txtCompanyName"));
    }

    void f1OpensTheDialogsHelp() {
        DialogHarness h;
        h.dialog->show();
        // A key whose low bits match F1's is not the help key.
        QTest::keyClick(h.c<QLineEdit>("txtCompanyName"), Qt::Key_VolumeDown);
        QVERIFY(h.set.host->helpRequests().isEmpty());
        QTest::keyClick(h.c<QLineEdit>("txtCompanyName"), Qt::Key_F1);
        const auto requests = h.set.host->helpRequests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().file, QStringLiteral("mainhelp.chm"));
        QCOMPARE(requests.first().topic, QStringLiteral("GLSystemSetting.frmSystemProfiles"));
    }

    void anEmptyStoreShowsTheDefaults() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile");
        });
        QVERIFY2(h.shownOf("error").isEmpty(), qPrintable(h.shown.join('\n')));
        // Boxes and options show 1 or 0; an unset cashier start is empty, not 0.
        const QString expected =
            "txtCompanyName= CompanyType(0)=1 rdoTaxType(0)=0 rdoTaxType(1)=0 txtTaxRate=0 "
            "chkShowDashBoard=1 ChkAllCheck(0)=0 chkSettle=0 chkExpEachEnt=0 ChkTransNo=0 "
            "ChkUseCussent=0 chkSysNum=0 ChkVchNoViewItemClasslName=0 IntQtyDefNum=2 "
            "IntPriceDefNum=2 txtZKLScale=2 txtFPScale=4 OptBud(0)=1 OptYtdBud(0)=1 OptYtd(0)=1 "
            "OptSignBud(0)=1 OptByDebit=1 txtCurYear= txtCnStartPeriod= txtStartYear=" +
            QString::number(QDate::currentDate().year());
        QStringList shown;
        for (const QString& row : expected.split(u' ')) {
            const QString name = row.section(u'=', 0, 0);
            shown << name + u'=' + shownText(h, name);
        }
        QCOMPARE(shown.join(u' '), expected);
        QVERIFY(!h.dialog->IsChanged());
    }

    // Every parameter shows as recorded beside this test ("Category/Key<TAB>
    // values|text", this year as {year}), of an account set without
    // parameter rows (defaults.txt: a default changed by mistake shows) and
    // of one where every parameter is stored as "2" (twos.txt: a parameter
    // read by another rule shows). A new parameter is listed until the files
    // are written again with ZX_WRITE_DEFAULTS=1 set.
    void everyParameterShowsAsRecorded_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("no rows") << "";
        QTest::newRow("every parameter 2") << "2";
    }
    void everyParameterShowsAsRecorded() {
        QFETCH(QString, stored);
        DialogHarness h("administrator", [&stored](DialogHarness& d) {
            d.set.db->nativeExec("DELETE FROM t_SystemProfile");
            if (stored.isEmpty()) return;
            for (const zx::params::Declared& decl : zx::params::declared()) {
                d.setParam(zx::params::categoryName(decl.param->cat),
                           zx::params::keyOf(*decl.param), stored);
            }
        });
        const QString year = QString::number(QDate::currentDate().year());
        QMap<QString, QString> now;
        for (const zx::params::Declared& d : zx::params::declared()) {
            if (d.group == std::string_view("closing")) continue;  // a dialog of its own
            const zx::params::State state = h.dialog->controls().state(*d.param);
            QStringList values;
            for (int v : state.values) values << QString::number(v);
            now.insert(zx::params::categoryName(d.param->cat) + u'/' + zx::params::keyOf(*d.param),
                       QString(values.join(u',') + u'|' + state.text).replace(year, "{year}"));
        }
        QFile file(QStringLiteral(ZX_DIALOG_TEST_DIR "/") +
                   (stored.isEmpty() ? "defaults.txt" : "twos.txt"));
        if (qEnvironmentVariableIsSet("ZX_WRITE_DEFAULTS")) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            for (auto it = now.cbegin(); it != now.cend(); ++it) {
                file.write((it.key() + u'\t' + it.value() + u'\n').toUtf8());
            }
            return;
        }
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QStringList differing;
        QMap<QString, QString> recorded;
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            recorded.insert(line.section(u'\t', 0, 0), line.section(u'\t', 1));
        }
        for (auto it = recorded.cbegin(); it != recorded.cend(); ++it) {
            if (now.value(it.key()) != it.value()) {
                differing << it.key() + ": " + it.value() + " -> " + now.value(it.key());
            }
        }
        QVERIFY2(differing.isEmpty(), qPrintable(differing.join('\n')));
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (!recorded.contains(it.key())) qInfo("not recorded yet: %s", qPrintable(it.key()));
        }
    }

    // Texts the controls cannot type are shown as stored; only the leading
    // number of a text counts.
    void storedValuesAreShown_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("controls");  // comma-separated
        QTest::addColumn<QString>("shown");
        const char* const cases[][5] = {
            {"General", "TaxRate", "17.5", "txtTaxRate", "17.5"},
            {"General", "TaxRate", "17.00", "txtTaxRate", "17"},
            {"General", "TaxType", "1", "rdoTaxType(0),rdoTaxType(1)", "0,1"},
            {"GL", "EndVoucherDate", "40", "IntEndVoucherDate", "40"},
            {"GL", "QtyDefNum", "10", "IntQtyDefNum", "10"},
            {"IC", "PurchaseAlarmDateCount", "12000", "txt_AlarmDateCount(0)", "12000"},
            {"FA", "DeprRateScale", "12", "DeprRateScale", "12"},
            {"IC", "NoSameWareInBill", "&H1", "chkNoSameWareInBill", "0"},
            {"IC", "MoCommitQty", "1D1", "chkIC_MoCommitQty", "1"},
            {"GL", "ContrastSendType", "1", "OptByDebit,OptByCredit,OptByall", "0,1,0"},
            {"GL", "ContrastSendType", "3", "OptByDebit,OptByCredit,OptByall", "0,0,0"},
        };
        for (const auto& c : cases) {
            QTest::addRow("%s/%s=%s", c[0], c[1], c[2]) << c[0] << c[1] << c[2] << c[3] << c[4];
        }
    }
    void storedValuesAreShown() {
        QFETCH(QString, category);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, controls);
        QFETCH(QString, shown);
        DialogHarness h("administrator", params({{category, key, stored}}));
        QStringList texts;
        for (const QString& name : controls.split(u',')) texts << shownText(h, name);
        QCOMPARE(texts.join(u','), shown);
        if (key == "TaxType") QCOMPARE(h.dialog->OrigTaxType(), stored);
    }

    // Any organisation but an enterprise words its books by income and expense.
    void organisationType() {
        const char* const cases[][2] = {{"1", "0"}, {"2", "1"}, {"3", "2"}, {"4", "0"}, {"x", "0"}};
        for (const auto& [stored, option] : cases) {
            DialogHarness h("administrator", params({{"General", "CompanyType", stored}}));
            QVERIFY2(h.c<QRadioButton>(QString("CompanyType(%1)").arg(option))->isChecked(),
                     stored);
            QCOMPARE(h.c<QCheckBox>("chkMcldgCostBal")->text() ==
                         QStringLiteral("多栏账支出类科目期初余额从余额表取数"),
                     qstrcmp(stored, "1") != 0);
        }
    }

    // The installation's special items may hide and force two voucher checks.
    void specialItemsOverrideTheStoredValue() {
        const std::tuple<const char*, bool, bool> cases[] = {
            {"-1", true, true}, {"0", false, false}, {"1", false, true}};  // item, visible, checked
        for (const auto& [item, visible, isChecked] : cases) {
            DialogHarness h("administrator", [&](DialogHarness& d) {
                d.setParam("GL", "CheckBeforePost", "1");
                d.setParam("GL", "ExplanationEachEntry", "1");
                QFile ini(d.set.installDir + "/Common/SpecItems.ini");
                QVERIFY(ini.open(QIODevice::WriteOnly));
                ini.write(QString("[Options]\nCheckBeforePost=%1\n[Voucher]\nRequireBrief=%1\n")
                              .arg(item)
                              .toUtf8());
            });
            for (const char* name : {"chkCheckBeforePost", "chkExpEachEnt"}) {
                QCOMPARE(h.c<QCheckBox>(name)->isChecked(), isChecked);
                QCOMPARE(!h.c<QCheckBox>(name)->isHidden(), visible);
            }
        }
    }

    void aStartedLedgerLocksItsStartAndIsNotStartedAgain() {
        DialogHarness h("administrator", params({{"GL", "Closed", "1"},
                                                 {"GL", "StartYear", "2025"},
                                                 {"GL", "StartPeriod", "3"},
                                                 {"GL", "CurrentYear", "2025"},
                                                 {"GL", "CurrentPeriod", "4"}}));
        QVERIFY(h.dialog->LedgerStarted());
        for (const char* name : {"txtStartYear", "txtCyNumber", "txtCyName", "txtCyScale"}) {
            QVERIFY2(!h.c<QWidget>(name)->isEnabled(), name);
            QCOMPARE(h.c<QWidget>(name)->toolTip(), QString("总账系统已启用，不能再修改。"));
        }
        QVERIFY(h.c<QWidget>("txtStartPeriod")->isEnabled());
        QCOMPARE(h.c<QLineEdit>("txtCurYear")->text(), "2025");
        QCOMPARE(h.c<QLineEdit>("txtCurPeriod")->text(), "4");
        // The period tree starts at the current year and shows its periods.
        auto* tree = h.c<QTreeWidget>("tvwPeriod");
        QCOMPARE(tree->currentItem()->text(0), "2025");
        QCOMPARE(h.c<QTableWidget>("pp")->rowCount(), 12);
        QCOMPARE(h.c<QTableWidget>("pp")->item(0, 1)->text(), "2025-01-01");

        // Without initial data yet its start period may still be corrected,
        // and only that asks the start-up question again.
        const QString startDate = h.param("FA", "StartDate");
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(h.dialog->SaveProfiles());
        QVERIFY2(h.unanswered.isEmpty() && h.shownOf("question").isEmpty(),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("FA", "StartDate"), startDate);
        h.c<IntText3D>("txtStartPeriod")->setText("2");
        h.answerYes();
        QVERIFY(h.dialog->SaveProfiles());
        QCOMPARE(h.shownOf("question").size(), 1);
        QCOMPARE(h.param("GL", "StartPeriod"), QString("2"));
    }

    // Closed initial balances, or initial data already entered, lock the start period only.
    void initialDataLockTheStartPeriod() {
        DialogHarness closed("administrator", params({{"GL", "InitClosed", "1"}}));
        DialogHarness entered("administrator", [](DialogHarness& d) {
            d.set.db->nativeExec(
                "INSERT INTO t_balance(FYear, FPeriod, FAccountID) VALUES (2025, 1, 1)");
        });
        for (DialogHarness* h : {&closed, &entered}) {
            QVERIFY(!h->c<QWidget>("txtStartPeriod")->isEnabled());
            QVERIFY(!h->c<QWidget>("txtStartPeriod")->toolTip().isEmpty());
            QVERIFY(h->c<QWidget>("txtStartYear")->isEnabled());
        }
    }

    void publicSectorBooksUseTheirWording() {
        DialogHarness h("administrator", params({{"GL", "GaSystem", "1"}}));
        QCOMPARE(h.c<QLabel>("LBEarn")->text(), "结余科目：");
        QCOMPARE(h.c<QLabel>("LbCompany")->text(), "单位名称：");
        QCOMPARE(h.c<QCheckBox>("chkClosePnl")->text(), "结账要求收支类科目余额为零");
        QVERIFY(h.c<QWidget>("chkMcldgCostBal")->isHidden());
        QVERIFY(h.c<QWidget>("ChkGyVchEditStop")->isHidden());

        DialogHarness company;
        QCOMPARE(company.c<QLabel>("LbCompany")->text(), "公司名称：");
        QCOMPARE(company.c<QLabel>("LBEarn")->text(), "本年利润科目：");
        QVERIFY(!company.c<QWidget>("ChkGyVchEditStop")->isHidden());
    }

    void interCompanyOptionFollowsItsSwitch() {
        DialogHarness off;
        QVERIFY(!off.c<QWidget>("ChkNotCloseOff")->isEnabled());
        QCOMPARE(off.c<QWidget>("ChkNotCloseOff")->toolTip(),
                 QString("须先选中“启用内部往来凭证协同处理”。"));
        DialogHarness on("administrator", params({{"GL", "UseCussent", "1"}}));
        QVERIFY(on.c<QWidget>("ChkNotCloseOff")->isEnabled());
    }
};

QTEST_MAIN(DialogTest)
#include "test_dialog.moc"
