// What counts as a change: only a control that shows another value than the
// load left it. A change undone by hand (and what a rule changed because of
// it) is no change: nothing is written, closing asks nothing, no page is
// marked. With real changes, leaving asks to save, not to save, or to stay.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/frame/IntText3D.h"
#include "zx/params/Param.h"

using zx::frame::IntText3D;
using zx::host::MsgResult;
using zx::params::Param;

namespace {

QList<int> changedPages(QTabWidget* tabs) {
    QList<int> out;
    for (const QVariant& v : tabs->property("changedPages").toList()) out << v.toInt();
    return out;
}

void tick(QCheckBox* box, bool on) {
    box->setChecked(on);
}

// The rows a save wrote, but those every save writes whatever the user did
// (the payroll checks the page turns off, the fixed assets' link).
QString written(const QMap<QString, QString>& before, const QMap<QString, QString>& after) {
    QStringList rows = DialogHarness::differing(before, after);
    rows.removeIf([](const QString& row) {
        return row.startsWith(QLatin1String("PA/")) || row == QLatin1String("FA/FALinkedGL");
    });
    return rows.join(u' ');
}

QString describe(const QStringList& shown) {
    return shown.join(u'\n');
}

}  // namespace

class ChangesTest : public QObject {
    Q_OBJECT

private slots:
    // Ticking and unticking, typing and typing the stored text again: the
    // dialog is as unchanged as it was, and says so on its buttons and tabs.
    void undoneByHandIsNoChange() {
        DialogHarness h;
        auto* save = h.c<QPushButton>("btnSave");
        auto* stab = h.dialog->Stab();
        auto* gl = h.c<QTabWidget>("stabGl");
        QCOMPARE(changedPages(stab), QList<int>());

        auto* settle = h.c<QCheckBox>("chkSettle");  // ledger page, inner page 1
        const bool was = settle->isChecked();
        tick(settle, !was);
        QVERIFY(h.dialog->IsChanged());
        QVERIFY(save->isEnabled());
        QCOMPARE(changedPages(stab), QList<int>{2});
        QCOMPARE(changedPages(gl), QList<int>{1});
        QVERIFY(!stab->tabIcon(2).isNull());

        auto* fax = h.c<QLineEdit>("txtFax");  // company page
        const QString stored = fax->text();
        fax->setText(stored + QStringLiteral("9"));
        QCOMPARE(changedPages(stab), (QList<int>{0, 2}));
        fax->setText(stored);
        QCOMPARE(changedPages(stab), QList<int>{2});

        tick(settle, was);
        QVERIFY(!h.dialog->IsChanged());
        QVERIFY(!save->isEnabled());
        QCOMPARE(changedPages(stab), QList<int>());
        QCOMPARE(changedPages(gl), QList<int>());
        QVERIFY(stab->tabIcon(2).isNull());

        // Nothing to ask and nothing to write on leaving.
        const auto before = h.stored();
        h.dialog->btnClose_Click();
        QVERIFY2(h.shown.isEmpty(), qPrintable(describe(h.shown)));
        QCOMPARE(h.stored(), before);
    }

    // The mark goes once the change is saved.
    void savedChangesLeaveNoMark() {
        DialogHarness h;
        h.dialog->show();
        auto* settle = h.c<QCheckBox>("chkSettle");
        tick(settle, !settle->isChecked());
        QCOMPARE(changedPages(h.dialog->Stab()), QList<int>{2});
        h.dialog->btnSave_Click();
        QVERIFY2(!h.dialog->IsChanged(), qPrintable(describe(h.shown)));
        QCOMPARE(changedPages(h.dialog->Stab()), QList<int>());
        QCOMPARE(changedPages(h.c<QTabWidget>("stabGl")), QList<int>());
    }

    // Close, the close box and Esc ask the same question; cancel keeps the
    // dialog open with its changes, no leaves without writing, yes saves.
    void leavingAsksWithThreeAnswers_data() {
        QTest::addColumn<int>("how");  // 0 Close, 1 the close box, 2 Esc
        QTest::newRow("close button") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("escape") << 2;
    }
    void leavingAsksWithThreeAnswers() {
        QFETCH(int, how);
        DialogHarness h;
        h.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.dialog.get()));
        auto leave = [&] {
            if (how == 0) h.c<QPushButton>("btnClose")->click();
            if (how == 1) h.dialog->close();
            if (how == 2) QTest::keyClick(h.dialog.get(), Qt::Key_Escape);
        };
        auto* settle = h.c<QCheckBox>("chkSettle");
        const bool was = settle->isChecked();
        tick(settle, !was);
        const auto before = h.stored();

        h.answer(MsgResult::Cancel);
        leave();
        QCOMPARE(h.shownOf("question"), QStringList{QStringLiteral("退出前是否保存修改?")});
        QVERIFY(h.dialog->isVisible());
        QVERIFY(h.dialog->IsChanged());
        QCOMPARE(settle->isChecked(), !was);
        QCOMPARE(h.stored(), before);

        h.answerYes();
        leave();
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.param("GL", "VoucherSettleType"), QString::number(was ? 0 : 1));

        h.open();
        h.dialog->show();
        const auto saved = h.stored();
        tick(h.c<QCheckBox>("chkSettle"), was);
        h.answerNo();
        leave();
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.stored(), saved);
    }

    // Every rule declared with a parameter ("needs that box ticked"): the
    // box it needs unticked and ticked again gives the parameter back as it
    // was loaded, and the dialog is unchanged.
    void declaredNeedsRestoreTheirDependent() {
        DialogHarness probe;
        QList<const Param*> dependents;
        for (const Param* p : probe.dialog->parameters()) {
            if (p->lock == zx::params::Lock::Needs) dependents << p;
        }
        probe.dialog.reset();
        QVERIFY(dependents.size() >= 4);
        for (const Param* p : dependents) {
            DialogHarness h("administrator", [&](DialogHarness& d) {
                for (const Param* q : {p->needs, p}) {
                    d.setParam(zx::params::categoryName(q->cat), zx::params::keyOf(*q), "1");
                }
            });
            const auto before = h.stored();
            auto* cause = h.c<QCheckBox>(QString::fromLatin1(p->needs->control.name));
            auto* dependent = h.c<QCheckBox>(QString::fromLatin1(p->control.name));
            QVERIFY2(cause->isChecked() && dependent->isChecked(), p->key);
            tick(cause, false);
            QVERIFY2(!dependent->isEnabled(), p->key);
            tick(cause, true);
            QVERIFY2(dependent->isEnabled(), p->key);
            QVERIFY2(dependent->isChecked(), p->key);
            QVERIFY2(!h.dialog->IsChanged(), p->key);
            h.c<QCheckBox>("chkSettle")->toggle();
            QVERIFY2(h.dialog->SaveProfiles(), qPrintable(describe(h.shown)));
            QCOMPARE(written(before, h.stored()), QStringLiteral("GL/VoucherSettleType"));
        }
    }

    // The rules written by hand: the taxpayer kind and its usual rate, the
    // write-off pair, the two bases of the negative-stock check, the batch
    // auto-fill type and its presets.
    void handWrittenRulesRestoreTheirDependents_data() {
        QTest::addColumn<QString>("rule");
        QTest::newRow("tax rate") << "tax";
        QTest::newRow("write-off") << "writeoff";
        QTest::newRow("negative stock bases") << "bases";
        QTest::newRow("batch auto-fill presets") << "batch";
    }
    void handWrittenRulesRestoreTheirDependents() {
        QFETCH(QString, rule);
        DialogHarness h("administrator", [](DialogHarness& d) {
            d.setParam("General", "TaxType", "0");
            d.setParam("General", "TaxRate", "17");
            d.setParam("GL", "TransNo", "0");
            d.setParam("GL", "TransCheckStart", "0");
            d.setParam("IC", "ShowUnderCalcType", "1");
            d.setParam("IC", "ShowUnderCalcTypeAInv", "1");
            d.setParam("IC", "ShowUnderCalcTypeByPeriod", "0");
            d.setParam("IC", "IsBatchNoAutoFillType", "1");
            d.setParam("IC", "IsBatchNoAutoFill", "1");
        });
        const auto before = h.stored();
        if (rule == "tax") {
            auto* rate = h.c<IntText3D>("txtTaxRate");
            QCOMPARE(rate->Text(), QStringLiteral("17"));
            h.c<QRadioButton>("rdoTaxType(1)")->click();
            QVERIFY(rate->Text() != QStringLiteral("17"));
            h.c<QRadioButton>("rdoTaxType(0)")->click();
            QCOMPARE(rate->Text(), QStringLiteral("17"));
        } else if (rule == "writeoff") {
            auto* start = h.c<QCheckBox>("chkTransCheckStart");
            h.c<QCheckBox>("ChkTransNo")->setChecked(true);
            QVERIFY(start->isChecked());
            h.c<QCheckBox>("ChkTransNo")->setChecked(false);
            QVERIFY(!start->isChecked());
        } else if (rule == "bases") {
            auto* inv = h.c<QCheckBox>("chkIC_ShowUnderCalcTypeAndInv");
            auto* basis = h.c<QCheckBox>("chkIC_ShowUnderCalcType");
            h.c<QCheckBox>("chkIC_ShowUnderCalcTypeByPeriod")->setChecked(true);
            QVERIFY(!basis->isChecked() && !inv->isChecked());
            h.c<QCheckBox>("chkIC_ShowUnderCalcTypeByPeriod")->setChecked(false);
            QVERIFY(basis->isChecked() && inv->isChecked() && inv->isEnabled());
            basis->setChecked(false);
            QVERIFY(!inv->isChecked() && !inv->isEnabled());
            basis->setChecked(true);
            QVERIFY(inv->isChecked() && inv->isEnabled());
        } else {
            // What the user chose before the rule acted comes back, and
            // only that is still a change.
            auto* type = h.c<QComboBox>("cmbIC_IsBatchNoAutoFillType");
            auto* first = h.c<QComboBox>("cmbIC_BatchNoFieldName(0)");
            auto* second = h.c<QComboBox>("cmbIC_BatchNoFieldName(1)");
            QCOMPARE(first->currentIndex(), 7);
            first->setCurrentIndex(3);
            type->setCurrentIndex(2);
            QCOMPARE(first->currentIndex(), 1);
            QCOMPARE(second->currentIndex(), 0);
            type->setCurrentIndex(1);
            QCOMPARE(first->currentIndex(), 3);
            QCOMPARE(second->currentIndex(), 1);
            QVERIFY(h.dialog->IsChanged());
            first->setCurrentIndex(7);
        }
        QVERIFY2(!h.dialog->IsChanged(),
                 qPrintable(h.dialog->changedControls().isEmpty()
                                ? QString()
                                : h.dialog->changedControls().first()->objectName()));
        h.c<QCheckBox>("chkSettle")->toggle();
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(describe(h.shown)));
        QCOMPARE(written(before, h.stored()), QStringLiteral("GL/VoucherSettleType"));
    }
};

QTEST_MAIN(ChangesTest)
#include "test_changes.moc"
