// Every declared parameter, generated from the dialog's own declarations:
// its control is on the page with the declared name and caption, and a
// change of it marks the dialog changed, is saved and shown again after a
// reload (the load, the save and the codec agree).

#include <QAbstractButton>
#include <QLabel>
#include <QtTest>

#include "DialogHarness.h"
#include "demo/Demo.h"
#include "zx/frame/IntText3D.h"
#include "zx/params/Codec.h"

using zx::params::Codec;
using zx::params::Kind;
using zx::params::Param;
using zx::params::State;
using zx::params::Write;

namespace {

// Another state the user could choose.
State another(const Param& p, State s) {
    auto next = [](int v, int count) { return (std::max(v, 0) + 1) % std::max(count, 2); };
    const int count = zx::params::itemCount(p.control);
    if (p.second.name) {
        // A box and its list: the list's choice is kept only while the box is ticked.
        s.values[0] = 1;
        s.values[1] = next(s.values[1], zx::params::itemCount(p.second));
        return s;
    }
    switch (p.control.kind) {
        case Kind::Check:
            s.values[0] = s.values[0] == 0 ? 1 : 0;
            break;
        case Kind::Checks:
            s.values[0] = s.values[0] == 0 ? 1 : 0;
            break;
        case Kind::Options:
        case Kind::Combo:
            for (int& v : s.values) v = next(v, count);
            if (p.second.name) s.values[1] = 1;
            break;
        case Kind::Number: {
            const qint64 v = zx::Val(s.text);
            s.text = QString::number(v < p.control.upper ? std::max<qint64>(v + 1, p.control.lower)
                                                         : p.control.lower);
            break;
        }
        case Kind::Decimal:
            s.text = QStringLiteral("3.5");
            break;
        default:
            s.text = QStringLiteral("新") + s.text.left(20);
            break;
    }
    return s;
}

bool changeable(const Param& p, const zx::frame::Controls& c) {
    if (p.write == Write::Never || p.codec == Codec::Page) return false;
    // The auto-fill type presets these whenever the dialog loads.
    const QByteArray name(p.control.name);
    if (name.startsWith("cmbIC_BatchNo") || name == "chkIC_IsBatchNoAutoFill") return false;
    // The balances service decides whether write-off (and the business number
    // that needs it) may be switched.
    if (name == "chkTransCheckStart" || name == "ChkTransNo") return false;
    // Fixed assets are always saved linked to the ledger.
    if (name == "ChkFAtoGL") return false;
    for (QWidget* w : c.widgets(p)) {
        if (!w->isEnabled()) return false;
    }
    return true;
}

}  // namespace

class DeclarationsTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlIsOnItsPage() {
        DialogHarness h;
        const auto params = h.dialog->parameters();
        QVERIFY(params.size() > 150);
        for (const Param* p : params) {
            const QList<QWidget*> widgets = h.dialog->controls().widgets(*p);
            QVERIFY2(!widgets.isEmpty(), p->key);
            if (p->control.kind == Kind::Check) {
                auto* box = qobject_cast<QAbstractButton*>(widgets.first());
                QVERIFY2(box && box->text() == zx::params::text(p->control.caption), p->key);
            }
            if (p->control.labelName) {
                QVERIFY2(h.dialog->findChild<QLabel*>(p->control.labelName), p->control.labelName);
            }
        }
    }

    void everyChangeIsSavedAndShownAgain() {
        DialogHarness h("administrator",
                        [](DialogHarness& d) { refhost::startDemoModules(*d.set.db); });
        QStringList failures;
        const auto params = h.dialog->parameters();
        for (const Param* p : params) {
            const zx::frame::Controls& c = h.dialog->controls();
            if (!changeable(*p, c)) continue;
            c.setState(*p, another(*p, c.state(*p)));
            const State chosen = c.state(*p);
            if (!h.dialog->IsChanged()) failures << QStringLiteral("%1: no change").arg(p->key);
            for (int i = 0; i < 3; ++i) h.answerYes();  // the approval guard, start questions
            if (!h.dialog->SaveProfiles()) {
                failures << QStringLiteral("%1: not saved %2").arg(p->key, h.shown.join(u';'));
                h.open();
                continue;
            }
            h.answers.clear();
            h.open();
            if (h.dialog->controls().state(*p) != chosen) {
                failures << QStringLiteral("%1: shown %2 after saving %3")
                                .arg(p->key, h.param(zx::params::categoryName(p->cat),
                                                     zx::params::keyOf(*p)))
                                .arg(chosen.values.isEmpty()
                                         ? chosen.text
                                         : QString::number(chosen.values.first()));
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    }
};

QTEST_MAIN(DeclarationsTest)
#include "test_declarations.moc"
