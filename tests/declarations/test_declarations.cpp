// Generated over every declaration of the headers (the list is made from
// them when the build is configured): each declared parameter has a control
// on its dialog, is loaded, is saved when the user changes it, is in an
// export, and a rule that disables it says why. A declaration that one of
// the walks leaves out fails here, whatever list it was left out of.

#include <QCheckBox>
#include <QProcess>
#include <QtTest>

#include "DialogHarness.h"
#include "zx/closing/frmICSystemProfiles.h"
#include "zx/params/Declared.h"

using zx::params::Declared;
using zx::params::Param;

namespace {

QString idOf(const Param& p) {
    return zx::params::categoryName(p.cat) + u'/' + zx::params::keyOf(p);
}

bool isClosing(const Declared& d) {
    return d.group == std::string_view("closing");
}

}  // namespace

class DeclarationsTest : public QObject {
    Q_OBJECT

private slots:
    void everyDeclarationHasAFaceALoadAndARuleCase() {
        QVERIFY(zx::params::declared().size() > 150);
        DialogHarness h;
        const QList<const Param*> loaded = h.dialog->parameters();
        zx::closing::frmICSystemProfiles closing;
        QStringList missing;
        for (const Declared& d : zx::params::declared()) {
            const Param& p = *d.param;
            const auto& controls = isClosing(d) ? closing.controls() : h.dialog->controls();
            try {
                if (controls.widgets(p).isEmpty()) missing << idOf(p) + QStringLiteral(": no face");
            } catch (const zx::host::HostError& e) {
                missing << idOf(p) + QStringLiteral(": no face (") + e.description() + u')';
            }
            if (!isClosing(d) && !loaded.contains(&p)) {
                missing << idOf(p) + QStringLiteral(": not loaded");
            }
            const bool ruled = p.lock != zx::params::Lock::Free && p.lock != zx::params::Lock::Page;
            if (ruled && zx::params::lockReason(p).isEmpty()) {
                missing << idOf(p) + QStringLiteral(": its rule has no reason");
            }
            if (p.lock == zx::params::Lock::Needs) {
                const bool declared =
                    std::any_of(zx::params::declared().begin(), zx::params::declared().end(),
                                [&p](const Declared& o) { return o.param == p.needs; });
                if (!declared) missing << idOf(p) + QStringLiteral(": needs an undeclared box");
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n')));
    }

    // Every declared check box the generic save writes, turned over at once
    // where the user can reach it: each one that still shows the change is
    // stored changed.
    void everyDeclaredBoxChangedIsSaved() {
        DialogHarness h;
        const auto before = h.stored();
        QList<const Param*> turned;
        for (const Declared& d : zx::params::declared()) {
            const Param& p = *d.param;
            // The cashier's options are saved only once its start is settled
            // (not in the demo set); the cashier tests cover them.
            if (isClosing(d) || d.group == std::string_view("cashier") ||
                p.write != zx::params::Write::Changed ||
                p.control.kind != zx::params::Kind::Check) {
                continue;
            }
            auto* box = h.c<QCheckBox>(QString::fromLatin1(p.control.name));
            if (!box->isEnabled() || box->isHidden()) continue;
            box->setChecked(!box->isChecked());
            turned << &p;
        }
        QVERIFY(turned.size() > 60);
        QVERIFY2(h.dialog->SaveProfiles(), qPrintable(h.shown.join(u'\n')));
        const QStringList written = DialogHarness::differing(before, h.stored());
        QStringList unsaved;
        for (const Param* p : turned) {
            const bool shownChanged =
                h.dialog->controls().state(*p) != zx::params::decode(*p, before.value(idOf(*p)));
            if (shownChanged && !written.contains(idOf(*p))) unsaved << idOf(*p);
        }
        QVERIFY2(unsaved.isEmpty(), qPrintable(unsaved.join(u'\n')));
    }

#ifdef SYSTEMSETTING_BIN
    void everyDeclarationIsExported() {
        DemoSet set;
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.start(SYSTEMSETTING_BIN,
                  {"export", "--db", set.location(), "--install", set.dir.filePath("install")});
        QVERIFY(app.waitForFinished(120000));
        QCOMPARE(app.exitCode(), 0);
        const QString file = QString::fromUtf8(app.readAllStandardOutput());
        QStringList missing;
        for (const Declared& d : zx::params::declared()) {
            if (isClosing(d)) continue;
            const QString entry =
                QStringLiteral("\"category\": \"%1\", \"key\": \"%2\"")
                    .arg(zx::params::categoryName(d.param->cat), zx::params::keyOf(*d.param));
            if (!file.contains(entry)) missing << idOf(*d.param);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n') + u'\n' + file.left(400)));
    }
#endif
};

QTEST_MAIN(DeclarationsTest)
#include "test_declarations.moc"
