// What a bookkeeper relies on beyond the values: stored values the dialog
// must not lose (stored start years, a load that failed, texts as long as
// their columns), the wheel scrolls and changes nothing, every control a rule
// disables says which rule, the window keeps its size and place, display-only
// controls mark nothing, which boxes go to the host on focus, and the pages
// each product variant shows.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/frame/DialogFrame.h"
#include "zx/frame/IntText3D.h"
#include "zx/frame/TextBox.h"

using zx::frame::IntText3D;

namespace {

void wheel(QWidget* w) {
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

}  // namespace

class TrustTest : public QObject {
    Q_OBJECT

private slots:
    void theWheelChangesNothing() {
        DialogHarness h;
        auto* list = h.c<QComboBox>("cmbIC_IsBatchNoAutoFillType");
        auto* days = h.c<IntText3D>("txt_AlarmDateCount(2)");
        const int index = list->currentIndex();
        const QString text = days->Text();
        wheel(list);
        wheel(days);
        QCOMPARE(list->currentIndex(), index);
        QCOMPARE(days->Text(), text);
        QVERIFY(!h.dialog->IsChanged());
    }

    void everyControlARuleDisablesSaysWhy() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        QStringList silent;
        int disabled = 0;
        for (const zx::params::Param* p : h.dialog->parameters()) {
            for (QWidget* w : h.dialog->controls().widgets(*p)) {
                if (w->isEnabled()) continue;
                ++disabled;
                if (w->toolTip().isEmpty()) silent << w->objectName();
            }
        }
        QVERIFY(disabled > 5);
        QVERIFY2(silent.isEmpty(), qPrintable(silent.join(' ')));
    }

    // Where a user left the window it opens again, unless that does not fit
    // the screen or the dialog; the dialog's own fitting is never stored.
    void theWindowKeepsItsSize() {
        DialogHarness h;
        auto stored = [&h] {
            auto rs = h.set.db->nativeQuery(QStringLiteral(
                "SELECT FKey, FValue FROM t_UserProfile WHERE FKey LIKE 'Form%' ORDER BY FKey"));
            QStringList rows;
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
                rows << rs->Field(0).toString() + u'=' + rs->Field(1).toString();
            }
            return rows.join(u' ');
        };
        // Without a screen nothing is stored, whatever the window did.
        h.dialog->resize(700, 500);
        h.dialog->btnClose_Click();
        QCOMPARE(stored(), QString());

        zx::frame::DialogFrame::keepGeometry(true);
        h.open();
        const QSize fitted = h.dialog->size();  // the screen's room, not the user's choice
        h.dialog->btnClose_Click();
        QCOMPARE(stored(), QString());
        h.open();
        h.dialog->resize(700, 500);
        h.dialog->btnClose_Click();
        h.open();
        QCOMPARE(h.dialog->size(), QSize(700, 500));
        // Opened and closed untouched, it stays where it was: no creeping.
        const QPoint place = h.dialog->pos();
        const QString before = stored();
        h.dialog->btnClose_Click();
        h.open();
        QCOMPARE(h.dialog->pos(), place);
        h.dialog->btnClose_Click();
        QCOMPARE(stored(), before);

        // Too large for this screen, or too small for the dialog: its own size.
        for (const char* size : {"5000", "10"}) {
            h.set.db->nativeExec(QStringLiteral("UPDATE t_UserProfile SET FValue = '%1' WHERE "
                                                "FKey = 'FormWidth'")
                                     .arg(QLatin1String(size)));
            h.open();
            QCOMPARE(h.dialog->size(), fitted);
            h.dialog->btnClose_Click();
        }
        zx::frame::DialogFrame::keepGeometry(std::nullopt);
    }

    // Opening and closing, by a user who may only look as by one who may
    // save, writes nothing: not the correction of a stored value, not the
    // window's size, not a log row.
    void openingWritesNothing_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("autoFill");  // IC IsBatchNoAutoFill as stored
        QTest::newRow("viewer") << "viewer"
                                << "1";
        QTest::newRow("editor") << "editor"
                                << "0";
        QTest::newRow("administrator, started modules") << "administrator"
                                                        << "0";
    }
    void openingWritesNothing() {
        QFETCH(QString, user);
        QFETCH(QString, autoFill);
        auto everything = [](DialogHarness& d) {
            QStringList out;
            for (const char* table : {"t_SystemProfile", "t_SystemProfile_Log", "t_UserProfile",
                                      "t_SystemProfile_Audit", "t_UserSetting", "t_NetLock",
                                      "t_MGLog", "t_Currency", "t_ItemPropDesc"}) {
                auto rs = d.set.db->nativeQuery(QStringLiteral("SELECT * FROM ") + table);
                for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
                    QStringList row{QString::fromLatin1(table)};
                    for (int i = 0; i < rs->FieldCount(); ++i) row << rs->Field(i).toString();
                    out << row.join(u'|');
                }
            }
            out.sort();
            return out;
        };
        QStringList before;
        zx::frame::DialogFrame::keepGeometry(true);
        DialogHarness h(user, [&](DialogHarness& d) {
            refhost::startDemoModules(*d.set.db);
            d.setParam("IC", "IsBatchNoAutoFillType", "0");
            d.setParam("IC", "IsBatchNoAutoFill", autoFill);
            before = everything(d);
        });
        h.dialog->show();
        QVERIFY(!h.c<QCheckBox>("chkIC_IsBatchNoAutoFill")->isChecked());  // shown corrected
        h.dialog->btnClose_Click();
        zx::frame::DialogFrame::keepGeometry(std::nullopt);
        QCOMPARE(everything(h), before);
    }

    // Set when the account set is made or in the period set-up: shown here only.
    void displayOnlyControlsMarkNothing() {
        DialogHarness h;
        for (const char* name : {"CompanyType(1)", "chkPeriodByMonth", "optPeriod13"}) {
            QWidget* w = h.c<QWidget>(name);
            QVERIFY2(!w->isEnabled() && !w->toolTip().isEmpty(), name);
        }
        h.c<QRadioButton>("CompanyType(1)")->setChecked(true);
        h.c<QCheckBox>("chkPeriodByMonth")->toggle();
        QVERIFY(!h.dialog->IsChanged());
    }

    void onlyTheCompanyAndAccountBoxesGoToTheHostOnFocus() {
        DialogHarness h;
        h.dialog->show();
        for (const auto& [name, handed] : {std::pair{"txtCompanyName", true},
                                           {"txtFax", false},
                                           {"txtEarnAcct", true},
                                           {"txtCompanyTax", false}}) {
            auto* box = h.c<QLineEdit>(name);
            box->setText(QStringLiteral("3131"));
            box->deselect();
            QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
            QApplication::sendEvent(box, &in);
            QVERIFY2(box->hasSelectedText() == handed, name);
        }
        h.dialog->hide();
    }

    void theVoucherAuditOptionStaysWithoutTheAssetFrame() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            QSettings(QDir(d.set.installDir).filePath("Common/QORBaseScheme.ini"),
                      QSettings::IniFormat)
                .setValue("Version/AppType", 2);
        });
        QVERIFY(!h.c<QWidget>("framFix")->isVisibleTo(h.dialog.get()));
        QVERIFY(h.c<QWidget>("chkVouchSingle")->isVisibleTo(h.c<QWidget>("stabGl(1)")));
    }

    void thePeriodPage() {
        DialogHarness h;
        // Present, but withdrawn: nothing fills it and it has no caption.
        QVERIFY(!h.c<QWidget>("txtPeriodCount")->isVisibleTo(h.c<QWidget>("Stab(1)")));
        auto* grid = h.c<QTableWidget>("pp");
        QVERIFY(grid->columnWidth(0) > grid->columnWidth(1));
        auto* tree = h.c<QTreeWidget>("tvwPeriod");
        QTreeWidgetItem* year = tree->topLevelItem(0)->child(0);
        const QIcon icon = year->icon(0);
        QVERIFY(icon.pixmap(16, QIcon::Normal).toImage() !=
                icon.pixmap(16, QIcon::Selected).toImage());
    }

    // The cashier's closing calendar is kept (not a declared parameter, so
    // checked here), and it says why its period box may be locked.
    void theCashierKeepsItsClosingCalendar() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        auto* subSys = h.c<QCheckBox>("chkSubSys");
        const bool synch = subSys->isChecked();
        subSys->setChecked(!synch);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(h.dialog->SaveProfiles());
        h.open();
        QCOMPARE(h.c<QCheckBox>("chkSubSys")->isChecked(), !synch);
        QVERIFY(!h.c<QCheckBox>("ChkPeriod")->toolTip().isEmpty());
    }

    void storedStartYearsAreShown() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("CN", "CN_START_YEAR", "2025");
            d.setParam("CN", "CN_START_PERIOD", "1");
            d.setParam("CN", "CN_CURRENT_YEAR", "2025");
            d.setParam("CN", "CN_CURRENT_PERIOD", "3");
            d.removeParam("GL", "StartYear");
        });
        QCOMPARE(h.c<IntText3D>("txtCnStartYear")->Text(), QString("2025"));
        // The ledger may not start after the cashier it would contradict.
        h.c<IntText3D>("txtStartPeriod")->setText("1");
        h.answerYes();
        QVERIFY(!h.dialog->SaveProfiles());
        QVERIFY2(h.shownOf("message").contains(
                     QStringLiteral("出纳系统启用年度必须大于等于账务系统当前年度！")),
                 qPrintable(h.shown.join('\n')));
        QCOMPARE(h.param("GL", "Closed"), QString("0"));
    }

    // The error names what could not be read.
    void aFailedLoadCannotBeSaved_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        const char* const cases[][4] = {
            {"ledger page", "GL", "QtyDefNum", "99999999999"},
            {"business page", "IC", "PurchaseAlarmDateCount", "3000000000"},
            {"precision", "IC", "SInvoiceDecimal", "abc"}};
        for (const auto& c : cases) QTest::newRow(c[0]) << c[1] << c[2] << c[3];
    }
    void aFailedLoadCannotBeSaved() {
        QFETCH(QString, category);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        DialogHarness h("administrator", [&](DialogHarness& d) {
            refhost::startDemoModules(*d.set.db);
            d.setParam(category, key, stored);
        });
        const QStringList errors = h.shownOf("error");
        QVERIFY2(errors.size() == 1 && errors.first().contains(category + u'/' + key) &&
                     errors.first().contains(stored),
                 qPrintable(h.shown.join('\n')));
        QVERIFY(!h.dialog->Loading());
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisibleTo(h.dialog.get()));
        QCOMPARE(notice->text(), QStringLiteral("参数读取出错，本次不能保存修改。"));
        QVERIFY(h.locked("txtFax"));
        h.c<QLineEdit>("txtFax")->setText("1");
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        const auto before = h.stored();
        QVERIFY(!h.dialog->SaveProfiles());
        QCOMPARE(h.stored(), before);
    }

    void aFailedLoadOfTheClosingOptionsCannotBeSaved() {
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("IC", "UnCheckBillByPrevSaleFP", QString(400, u'9'));
            d.setParam("IC", "UnCheckBillByRedSaleFP", "1");
        });
        zx::closing::frmICSystemProfiles closing;
        closing.Form_Activate();
        QVERIFY(closing.readOnly());
        closing.findChild<QCheckBox*>("chkHS_UnCheckBillByRedSaleFP")->setChecked(false);
        QVERIFY(!closing.IsChanged());
        closing.btnOK_Click();
        QCOMPARE(h.param("IC", "UnCheckBillByRedSaleFP"), QString("1"));
    }

    // What the user types stops at what the column holds.
    void textsAreAsLongAsTheirColumns() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        auto typeOver = [&h](const char* name, const QString& text) {
            auto* box = h.c<QLineEdit>(name);
            box->selectAll();
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(box, &commit);
            return box->text().size();
        };
        const QString longName = QString(300, u'公');
        QCOMPARE(typeOver("txtCompanyName", longName), 255);
        QCOMPARE(typeOver("txtIC_Item4Name", QString(100, u'货')), 20);
        QCOMPARE(h.c<zx::frame::TextBox>("txtCyName")->typingLimit(), 40);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join('\n')));
        auto rs = h.set.db->nativeQuery("SELECT FCompanyName FROM t_ad_zxAccount_gl");
        rs->MoveFirst();
        QCOMPARE(rs->Field(0).toString(), longName.left(255));
        QCOMPARE(h.param("IC", "Item4Name"), QString(20, u'货'));
    }
};

QTEST_MAIN(TrustTest)
#include "test_trust.moc"
