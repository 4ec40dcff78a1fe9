// Builds every page face and checks what a user and a script rely on: each
// declared control stands with its object name and caption, each control
// name is unique, and option buttons of one array sit in one group.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "zx/profiles/Faces.h"

using namespace zx::profiles;
namespace face = zx::frame::face;
namespace P = zx::params;

class FacesTest : public QObject {
    Q_OBJECT

private:
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
    void everyControlStandsOnceWithNameAndCaption() {
        auto root = std::make_unique<QWidget>();
        face::build(face::tabs(QStringLiteral("Stab"), faces::allPages()), root.get());
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

        // Names are unique (Qt names the parts of its own widgets, tab-bar
        // scroll arrows and the like), and the members of one option array
        // exclude each other, so they need one parent.
        static const QRegularExpression member(QStringLiteral("^(.+)\\((\\d+)\\)$"));
        QSet<QString> seen;
        QHash<QString, QWidget*> parentOf;
        for (QWidget* w : root->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
                name.startsWith(QLatin1String("Scroll")))
                continue;
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
            const auto m = member.match(name);
            if (!qobject_cast<QRadioButton*>(w) || !m.hasMatch()) continue;
            QVERIFY2(parentOf.value(m.captured(1), w->parentWidget()) == w->parentWidget(),
                     qPrintable(name));
            parentOf.insert(m.captured(1), w->parentWidget());
        }
    }
};

QTEST_MAIN(FacesTest)
#include "test_faces.moc"
