// Builds every page face and checks what a user and a script rely on: each
// declared control stands with its object name and caption, each control
// name is unique, and option buttons of one array sit in one group. With
// ZX_SCREENSHOT_DIR set, it also writes one PNG per page for a person to look at.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>

#include "zx/profiles/Faces.h"

using namespace zx::profiles;
namespace face = zx::frame::face;
namespace P = zx::params;

class FacesTest : public QObject {
    Q_OBJECT

private:
    static QWidget* buildAll() {
        auto* root = new QWidget;
        root->resize(1280, 800);
        face::build(face::tabs(QStringLiteral("Stab"), faces::allPages()), root);
        return root;
    }

    // Every declared control of the face tree, with the name it must carry.
    static void declared(const face::Node& n, QList<std::pair<QString, P::Control>>& out) {
        if (n.kind == face::Kind::Control) {
            const QString name = n.control.name ? QString::fromLatin1(n.control.name) : n.name;
            if (!name.isEmpty()) out.append({name, n.control});
        } else if (n.kind == face::Kind::OptionGroup) {
            for (int i = 0; i < P::itemCount(n.control); ++i) {
                P::Control member{.kind = P::Kind::Options, .caption = n.control.items[i]};
                out.append({P::memberName(n.control, i), member});
            }
        }
        for (const face::Node& child : n.children) declared(child, out);
    }

private slots:
    void declaredControlsStandWithNameAndCaption() {
        std::unique_ptr<QWidget> root(buildAll());
        QList<std::pair<QString, P::Control>> controls;
        for (const face::Node& page : faces::allPages()) declared(page, controls);
        QVERIFY2(controls.size() > 200, qPrintable(QString::number(controls.size())));
        for (const auto& [name, c] : controls) {
            QWidget* w = root->findChild<QWidget*>(name);
            QVERIFY2(w, qPrintable(name));
            const QString caption = P::text(c.caption);
            switch (c.kind) {
                case P::Kind::Check:
                case P::Kind::Options:
                case P::Kind::Button:
                    QVERIFY2(qobject_cast<QAbstractButton*>(w), qPrintable(name));
                    QCOMPARE(qobject_cast<QAbstractButton*>(w)->text(), caption);
                    break;
                case P::Kind::Label:
                    QCOMPARE(qobject_cast<QLabel*>(w)->text(), caption);
                    break;
                case P::Kind::Combo:
                    QCOMPARE(qobject_cast<QComboBox*>(w)->count(), P::itemCount(c));
                    [[fallthrough]];
                case P::Kind::Text:
                case P::Kind::Number:
                case P::Kind::Decimal:
                case P::Kind::Display: {
                    if (caption.isEmpty()) break;
                    // A field's label stands in front of it, the box its buddy.
                    const auto labels = root->findChildren<QLabel*>();
                    const bool labelled = std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
                        return l->buddy() == w && l->text() == caption;
                    });
                    QVERIFY2(labelled, qPrintable(name));
                    break;
                }
                default:
                    break;
            }
        }
    }

    void controlNamesAreUnique() {
        std::unique_ptr<QWidget> root(buildAll());
        QSet<QString> seen;
        QStringList duplicates;
        for (QWidget* w : root->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            // Qt names the parts of its own widgets (tab-bar scroll arrows and the like).
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
                name.startsWith(QLatin1String("Scroll")))
                continue;
            if (seen.contains(name)) duplicates << name;
            seen.insert(name);
        }
        QVERIFY2(duplicates.isEmpty(), qPrintable(duplicates.join(u',')));
    }

    void optionArraysShareOneGroup() {
        // Members of one option array must exclude each other, so they need one parent.
        std::unique_ptr<QWidget> root(buildAll());
        static const QRegularExpression member(QStringLiteral("^(.+)\\((\\d+)\\)$"));
        QHash<QString, QWidget*> parentOf;
        for (QRadioButton* b : root->findChildren<QRadioButton*>()) {
            const auto m = member.match(b->objectName());
            if (!m.hasMatch()) continue;
            QWidget* p = parentOf.value(m.captured(1), nullptr);
            if (!p) {
                parentOf.insert(m.captured(1), b->parentWidget());
            } else {
                QVERIFY2(p == b->parentWidget(), qPrintable(b->objectName()));
            }
        }
    }

    void pagesRenderForALook() {
        const QString dir = qEnvironmentVariable("ZX_SCREENSHOT_DIR");
        if (dir.isEmpty()) QSKIP("set ZX_SCREENSHOT_DIR to write page images");
        std::unique_ptr<QWidget> root(buildAll());
        root->show();
        auto* tabs = root->findChild<QTabWidget*>(QStringLiteral("Stab"));
        QVERIFY(tabs);
        tabs->resize(1280, 800);
        QDir().mkpath(dir);
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QCoreApplication::processEvents();
            tabs->grab().save(QStringLiteral("%1/page%2.png").arg(dir).arg(i));
            const auto inner = tabs->widget(i)->findChildren<QTabWidget*>();
            for (QTabWidget* t : inner) {
                for (int j = 0; j < t->count(); ++j) {
                    t->setCurrentIndex(j);
                    QCoreApplication::processEvents();
                    tabs->grab().save(QStringLiteral("%1/page%2_%3_%4.png")
                                          .arg(dir)
                                          .arg(i)
                                          .arg(t->objectName())
                                          .arg(j));
                }
            }
        }
    }
};

QTEST_MAIN(FacesTest)
#include "test_faces.moc"
