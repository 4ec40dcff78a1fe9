// What a bookkeeper relies on beyond the values: the wheel scrolls and
// changes nothing, a view-only dialog is locked alike and says why, every
// control a rule disables says which rule, the window keeps its size.

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/frame/IntText3D.h"

using zx::frame::IntText3D;

namespace {

void wheel(QWidget* w) {
    QWheelEvent event(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// Whether the user can change the control: locked controls keep their
// value readable but take no input.
bool locked(QWidget* w) {
    if (auto* number = qobject_cast<IntText3D*>(w)) return number->Locked();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->isReadOnly();
    return w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->focusPolicy() == Qt::NoFocus;
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

    void aViewerSeesEverythingLocked() {
        DialogHarness h("viewer");
        auto* notice = h.c<QLabel>("lblReadOnlyNotice");
        QVERIFY(notice->isVisibleTo(h.dialog.get()));
        QVERIFY(notice->text().startsWith(QStringLiteral("只读")));
        QStringList open;
        for (QWidget* w : h.dialog->controls().valueControls()) {
            if (!locked(w)) open << w->objectName();
        }
        QVERIFY2(open.isEmpty(), qPrintable(open.join(' ')));
        QVERIFY(!h.c<QPushButton>("btnSave")->isEnabled());
        QVERIFY(!h.c<QPushButton>("btnOK")->isEnabled());
        h.c<QLineEdit>("txtFax")->setText("1");  // code may, the user may not
        h.dialog->btnClose_Click();
        QVERIFY(h.shownOf("question").isEmpty());
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

    void theWindowKeepsItsSize() {
        DialogHarness h;
        h.dialog->resize(700, 500);
        h.dialog->btnClose_Click();
        h.open();
        QCOMPARE(h.dialog->size(), QSize(700, 500));
        // Opened and closed untouched, it stays where it was: no creeping.
        const QPoint place = h.dialog->pos();
        auto stored = [&h] {
            auto rs = h.set.db->nativeQuery(QStringLiteral(
                "SELECT FKey, FValue FROM t_UserProfile WHERE FKey LIKE 'Form%' ORDER BY FKey"));
            QStringList rows;
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
                rows << rs->Field(0).toString() + u'=' + rs->Field(1).toString();
            }
            return rows;
        };
        const QStringList before = stored();
        h.dialog->btnClose_Click();
        h.open();
        QCOMPARE(h.dialog->pos(), place);
        h.dialog->btnClose_Click();
        QCOMPARE(stored().join(u' '), before.join(u' '));
    }
};

QTEST_MAIN(TrustTest)
#include "test_trust.moc"
