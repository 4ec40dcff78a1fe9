#include "zx/frame/Face.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "zx/frame/IntText3D.h"
#include "zx/frame/TextBox.h"

namespace zx::frame::face {

using params::text;
namespace P = params;

namespace {

// A list or number box that does not have the focus leaves the wheel to the
// page, which scrolls: turning the wheel never changes a setting by itself.
class WheelGuard : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel) {
            auto* w = static_cast<QWidget*>(watched);
            if (!w->hasFocus()) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
};

WheelGuard* wheelGuard() {
    static WheelGuard guard;
    return &guard;
}

bool isField(const Node& n) {
    if (n.kind != Kind::Control || !n.control.caption) return false;
    switch (n.control.kind) {
        case P::Kind::Combo:
        case P::Kind::Text:
        case P::Kind::Number:
        case P::Kind::Decimal:
        case P::Kind::Display:
        case P::Kind::Date:
            return true;
        default:
            return false;
    }
}

int charWidth(const QWidget* w, int chars) {
    // Every box of a dialog has the dialog's font: measure it once.
    static QFont measured;
    static int width = 0;
    if (width == 0 || w->font() != measured) {
        measured = w->font();
        width = w->fontMetrics().horizontalAdvance(QStringLiteral("字"));
    }
    return width * chars + 12;
}

// Every box of numbers has one width, spin buttons or not: room for six
// digits and the buttons. The read-only boxes of numbers match it.
int numberWidth(const QWidget* w) {
    return charWidth(w, 5) + 22;
}

// A page that scrolls when the window is too small for it. It is laid out
// when it is first shown: laying out every page at construction would cost
// the opening of the dialog as much again.
class PageScroll : public QScrollArea {
public:
    explicit PageScroll(QWidget* parent) : QScrollArea(parent) {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
    }
    // Where the page is built, before it is handed to the scroll area.
    QWidget* home() const { return viewport(); }
    void setPage(QWidget* page) { pending_ = page; }

protected:
    void showEvent(QShowEvent* event) override {
        if (pending_) setWidget(std::exchange(pending_, nullptr));
        QScrollArea::showEvent(event);
    }

private:
    QWidget* pending_ = nullptr;
};

// What a list shows of an entry: the label before the blanks that hide a
// field name.
QString shownEntry(const QString& entry) {
    const qsizetype gap = entry.indexOf(QStringLiteral("   "));
    return gap < 0 ? entry : entry.left(gap);
}

QLineEdit* makeTextBox(const P::Control& c, QWidget* parent) {
    // The typing limit binds the user: a longer stored text shows whole.
    QLineEdit* edit =
        c.kind == P::Kind::Text ? new TextBox(c.maxLength, parent) : new QLineEdit(parent);
    if (c.chars > 0) edit->setMinimumWidth(charWidth(edit, c.chars));
    if (c.kind == P::Kind::Display) {
        edit->setFixedWidth(numberWidth(edit));
        // Shown, selectable, never typed into: it looks like a label's box.
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        edit->setProperty("display", true);
        QPalette shown = edit->palette();
        shown.setColor(QPalette::Base, shown.color(QPalette::Window));
        edit->setPalette(shown);
    }
    return edit;
}

QWidget* makeControl(const P::Control& c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c.kind) {
        case P::Kind::Check:
            w = new QCheckBox(text(c.caption), parent);
            break;
        case P::Kind::Combo: {
            auto* box = new QComboBox(parent);
            // As wide as its longest entry, measured when it is first shown.
            for (int i = 0; i < P::itemCount(c); ++i) box->addItem(shownEntry(text(c.items[i])));
            box->setCurrentIndex(-1);
            box->setFocusPolicy(Qt::StrongFocus);
            box->installEventFilter(wheelGuard());
            w = box;
            break;
        }
        case P::Kind::Text:
        case P::Kind::Display:
            w = makeTextBox(c, parent);
            break;
        case P::Kind::Number:
        case P::Kind::Decimal: {
            auto* box = new IntText3D(parent);
            box->setBounds(c.lower, c.upper);
            box->setSpinButtons(c.spin);
            box->setDecimals(c.kind == P::Kind::Decimal);
            box->setFixedWidth(numberWidth(box));
            w = box;
            break;
        }
        case P::Kind::Date: {
            auto* edit = new QDateEdit(parent);
            edit->setCalendarPopup(true);
            edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            w = edit;
            break;
        }
        case P::Kind::Label:
            w = new QLabel(text(c.caption), parent);
            break;
        case P::Kind::Button:
            w = new QPushButton(text(c.caption), parent);
            static_cast<QPushButton*>(w)->setAutoDefault(false);
            break;
        case P::Kind::Tree: {
            auto* tree = new QTreeWidget(parent);
            tree->setHeaderHidden(true);
            w = tree;
            break;
        }
        case P::Kind::Grid: {
            QStringList headers;
            for (int i = 0; i < P::itemCount(c); ++i) headers << text(c.items[i]);
            auto* table = new QTableWidget(0, int(headers.size()), parent);
            table->setHorizontalHeaderLabels(headers);
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->horizontalHeader()->setStretchLastSection(true);
            w = table;
            break;
        }
        default:
            return nullptr;
    }
    w->setObjectName(QString::fromLatin1(c.name));
    return w;
}

// A field: its label and its box, for a grid or a row to place.
std::pair<QLabel*, QWidget*> makeField(const Node& n, QWidget* parent) {
    auto* label = new QLabel(text(n.control.caption), parent);
    if (n.control.labelName) label->setObjectName(QString::fromLatin1(n.control.labelName));
    QWidget* box = makeControl(n.control, parent);
    label->setBuddy(box);
    if (n.hidden) {
        label->hide();
        box->hide();
    }
    return {label, box};
}

// What a node becomes: a widget, or a layout of the widget it is built in.
// Rows and columns are layouts, so the page holds no widget that only groups.
struct Made {
    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
};

Made make(const Node& n, QWidget* owner);

void fillGrid(QGridLayout* grid, const Nodes& children, int columns, QWidget* owner) {
    columns = std::max(columns, 1);
    int r = 0;
    int c = 0;
    for (const Node& child : children) {
        if (child.kind == Kind::Stretch) {
            grid->setRowStretch(r + (c > 0 ? 1 : 0), 1);
            continue;
        }
        if (isField(child)) {
            auto [label, box] = makeField(child, owner);
            grid->addWidget(label, r, c * 2);
            // A box of fixed width stands right after its label.
            const bool fixed = box->sizePolicy().horizontalPolicy() == QSizePolicy::Fixed;
            grid->addWidget(box, r, c * 2 + 1, fixed ? Qt::AlignLeft : Qt::Alignment());
        } else {
            const Made m = make(child, owner);
            if (m.widget) grid->addWidget(m.widget, r, c * 2, 1, 2);
            if (m.layout) grid->addLayout(m.layout, r, c * 2, 1, 2);
        }
        if (++c == columns) {
            c = 0;
            ++r;
        }
    }
    for (int i = 0; i < columns; ++i) grid->setColumnStretch(i * 2 + 1, 1);
}

QBoxLayout* fillRow(const Nodes& children, QWidget* owner) {
    auto* layout = new QHBoxLayout;
    for (const Node& child : children) {
        if (child.kind == Kind::Stretch) {
            layout->addStretch(1);
        } else if (isField(child)) {
            auto [label, box] = makeField(child, owner);
            layout->addWidget(label);
            layout->addWidget(box);
        } else {
            const Made m = make(child, owner);
            if (m.widget) layout->addWidget(m.widget);
            if (m.layout) layout->addLayout(m.layout);
        }
    }
    return layout;
}

QWidget* makeOptions(const Node& n, QWidget* owner) {
    // Option buttons sharing a parent exclude each other, as a group should.
    auto* w = new QWidget(owner);
    QBoxLayout* layout =
        n.columns == 1 ? static_cast<QBoxLayout*>(new QVBoxLayout(w)) : new QHBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < P::itemCount(n.control); ++i) {
        auto* option = new QRadioButton(text(n.control.items[i]), w);
        option->setObjectName(P::memberName(n.control, i));
        layout->addWidget(option);
    }
    if (n.columns != 1) layout->addStretch(1);
    return w;
}

// Whether `w` sits on a page that scrolls.
bool scrolled(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (qobject_cast<const QScrollArea*>(w)) return true;
    }
    return false;
}

// The pages of a tab set scroll. A tab set on such a page does not: its
// page scrolls it whole, so it is as tall as its tallest inner page (what
// stands below it never moves when another inner page is chosen) and no
// scroll bar hides inside another.
QTabWidget* makeTabs(const Node& n, QWidget* owner) {
    auto* tabSet = new QTabWidget(owner);
    const bool inner = scrolled(owner);
    for (const Node& p : n.children) {
        PageScroll* scroll = inner ? nullptr : new PageScroll(tabSet);
        auto* content = new QWidget(scroll ? scroll->home() : tabSet);
        content->setObjectName(p.name);
        Nodes children = p.children;
        children.push_back(stretch());  // the page keeps its controls at the top
        fillGrid(new QGridLayout(content), children, 1, content);
        if (scroll) scroll->setPage(content);
        tabSet->addTab(scroll ? static_cast<QWidget*>(scroll) : content, p.caption);
    }
    return tabSet;
}

Made make(const Node& n, QWidget* owner) {
    Made m;
    switch (n.kind) {
        case Kind::Column:
        case Kind::Page: {
            auto* grid = new QGridLayout;
            grid->setContentsMargins(0, 0, 0, 0);
            fillGrid(grid, n.children, n.columns, owner);
            m.layout = grid;
            break;
        }
        case Kind::Row:
            m.layout = fillRow(n.children, owner);
            break;
        case Kind::Frame: {
            auto* box = new QGroupBox(n.caption, owner);
            fillGrid(new QGridLayout(box), n.children, n.columns, box);
            m.widget = box;
            break;
        }
        case Kind::OptionGroup:
            m.widget = makeOptions(n, owner);
            break;
        case Kind::Tabs:
            m.widget = makeTabs(n, owner);
            break;
        case Kind::Stretch:
            break;
        case Kind::Control:
            if (isField(n)) {
                m.layout = fillRow({n}, owner);
                return m;
            }
            m.widget = makeControl(n.control, owner);
            break;
    }
    if (m.widget) {
        if (!n.name.isEmpty()) m.widget->setObjectName(n.name);
        if (n.hidden) m.widget->hide();
    }
    return m;
}

Node node(Kind kind, const QString& name = {}, const QString& caption = {}) {
    Node n;
    n.kind = kind;
    n.name = name;
    n.caption = caption;
    return n;
}

}  // namespace

Node column(Nodes children, int columns) {
    Node n = node(Kind::Column);
    n.children = std::move(children);
    n.columns = columns;
    return n;
}

Node row(Nodes children) {
    Node n = node(Kind::Row);
    n.children = std::move(children);
    return n;
}

Node group(const QString& name, const QString& caption, Nodes children, int columns) {
    Node n = node(Kind::Frame, name, caption);
    n.children = std::move(children);
    n.columns = columns;
    return n;
}

Node group(const P::Control& c, Nodes children, int columns) {
    return group(QString::fromLatin1(c.name), text(c.caption), std::move(children), columns);
}

Node tabs(const QString& name, Nodes pages) {
    Node n = node(Kind::Tabs, name);
    n.children = std::move(pages);
    return n;
}

Node page(const QString& name, const QString& caption, Nodes children) {
    Node n = node(Kind::Page, name, caption);
    n.children = std::move(children);
    return n;
}

Node stretch() {
    return node(Kind::Stretch);
}

Node hidden(Node n) {
    n.hidden = true;
    return n;
}

Nodes members(const P::Control& c) {
    Nodes out;
    for (int i = 0; i < P::itemCount(c); ++i) {
        const QByteArray name = P::memberName(c, i).toLatin1();
        Node n = node(Kind::Control);
        n.control = {.name = nullptr,
                     .kind = c.kind == P::Kind::Checks ? P::Kind::Check : P::Kind::Label,
                     .caption = c.items[i]};
        // The member's own name outlives the node: keep it in the node.
        n.name = QString::fromLatin1(name);
        out.push_back(n);
    }
    return out;
}

Node optionsOf(const P::Control& c, bool vertical) {
    // The group has no name of its own: its options carry them.
    Node n = node(Kind::OptionGroup);
    n.control = c;
    n.columns = vertical ? 1 : 0;
    return n;
}

Node place(const P::Control& c) {
    if (c.kind == P::Kind::Options) {
        if (!c.caption) return optionsOf(c);
        Node label =
            node(Kind::Control, c.labelName ? QString::fromLatin1(c.labelName) : QString());
        label.control = {.kind = P::Kind::Label, .caption = c.caption};
        return row({label, optionsOf(c), stretch()});
    }
    if (c.kind == P::Kind::Checks) return column(members(c));
    Node n = node(Kind::Control);
    n.control = c;
    return n;
}

Node place(const P::Param& p) {
    Node n = p.second.name ? row({place(p.control), place(p.second), stretch()}) : place(p.control);
    n.param = &p;
    return n;
}

void collectParams(const Node& n, QList<const P::Param*>& out) {
    if (n.param) out << n.param;
    for (const Node& child : n.children) collectParams(child, out);
}

QWidget* build(const Node& n, QWidget* parent) {
    const bool layout = n.kind == Kind::Column || n.kind == Kind::Row || n.kind == Kind::Page ||
                        n.kind == Kind::Stretch || isField(n);
    if (!layout) return make(n, parent).widget;
    // A row or column on its own: a plain widget holds its layout.
    auto* w = new QWidget(parent);
    const Made m = make(n, w);
    if (m.layout) {
        m.layout->setContentsMargins(0, 0, 0, 0);
        w->setLayout(m.layout);
    }
    if (!n.name.isEmpty()) w->setObjectName(n.name);
    return w;
}

}  // namespace zx::frame::face
