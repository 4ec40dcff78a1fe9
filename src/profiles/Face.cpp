#include "zx/profiles/Face.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
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

#include "zx/profiles/IntText3D.h"

namespace zx::profiles::face {

namespace {

Node make(Kind kind, const QString& name, const QString& caption = {}) {
    Node n;
    n.kind = kind;
    n.name = name;
    n.caption = caption;
    return n;
}

bool isField(const Node& n) {
    return (n.kind == Kind::Combo || n.kind == Kind::Text || n.kind == Kind::Number ||
            n.kind == Kind::Date) &&
           !n.label.isEmpty();
}

int fieldWidth(const QWidget* w, int chars) {
    return w->fontMetrics().horizontalAdvance(QStringLiteral("字")) * chars + 12;
}

QWidget* buildControl(const Node& n, QWidget* parent);

// Lays children into a grid of `columns` field columns; a field with a label
// takes a label cell and a control cell, anything else spans both.
void fillGrid(QGridLayout* grid, const Nodes& children, int columns, QWidget* parent) {
    columns = std::max(columns, 1);
    int r = 0;
    int c = 0;
    for (const Node& child : children) {
        if (child.kind == Kind::Stretch) {
            grid->setRowStretch(r + (c > 0 ? 1 : 0), 1);
            continue;
        }
        if (isField(child)) {
            auto* lbl = new QLabel(child.label, parent);
            if (!child.labelName.isEmpty()) lbl->setObjectName(child.labelName);
            QWidget* control = buildControl(child, parent);
            lbl->setBuddy(control);
            grid->addWidget(lbl, r, c * 2);
            grid->addWidget(control, r, c * 2 + 1);
            if (child.hidden) lbl->setHidden(true);
        } else {
            QWidget* w = build(child, parent);
            grid->addWidget(w, r, c * 2, 1, 2);
        }
        if (++c == columns) {
            c = 0;
            ++r;
        }
    }
    for (int i = 0; i < columns; ++i) grid->setColumnStretch(i * 2 + 1, 1);
}

QWidget* buildControl(const Node& n, QWidget* parent) {
    QWidget* w = nullptr;
    switch (n.kind) {
        case Kind::Check:
            w = new QCheckBox(n.caption, parent);
            break;
        case Kind::Option:
            w = new QRadioButton(n.caption, parent);
            break;
        case Kind::Combo: {
            auto* box = new QComboBox(parent);
            box->addItems(n.items);
            box->setEditable(n.editable);
            box->setCurrentIndex(-1);
            if (n.chars > 0) {
                // Entries may carry hidden field names after blanks; show the text only.
                box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
                box->setMinimumContentsLength(n.chars);
            } else {
                box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            }
            w = box;
            break;
        }
        case Kind::Text: {
            auto* edit = new QLineEdit(parent);
            edit->setReadOnly(n.readOnly);
            if (n.chars > 0) edit->setMinimumWidth(fieldWidth(edit, n.chars));
            w = edit;
            break;
        }
        case Kind::Number: {
            auto* box = new IntText3D(parent);
            box->setBounds(n.lower, n.upper);
            box->setSpinButtons(n.spin);
            box->setValue(std::clamp(0, n.lower, n.upper));
            box->setMinimumWidth(fieldWidth(box, n.chars > 0 ? n.chars : 5));
            w = box;
            break;
        }
        case Kind::Date: {
            auto* edit = new QDateEdit(parent);
            edit->setCalendarPopup(true);
            edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
            w = edit;
            break;
        }
        case Kind::Label: {
            auto* lbl = new QLabel(n.caption, parent);
            lbl->setWordWrap(false);
            w = lbl;
            break;
        }
        case Kind::Button:
            w = new QPushButton(n.caption, parent);
            break;
        case Kind::Tree: {
            auto* tree = new QTreeWidget(parent);
            tree->setHeaderHidden(true);
            w = tree;
            break;
        }
        case Kind::Grid: {
            auto* table = new QTableWidget(0, int(n.items.size()), parent);
            table->setHorizontalHeaderLabels(n.items);
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->horizontalHeader()->setStretchLastSection(true);
            w = table;
            break;
        }
        default:
            break;
    }
    if (w) {
        w->setObjectName(n.name);
        if (n.hidden) w->setHidden(true);
    }
    return w;
}

}  // namespace

Node column(Nodes children, int columns) {
    Node n = make(Kind::Column, {});
    n.children = std::move(children);
    n.columns = columns;
    return n;
}

Node row(Nodes children) {
    Node n = make(Kind::Row, {});
    n.children = std::move(children);
    return n;
}

Node frame(const QString& name, const QString& caption, Nodes children, int columns) {
    Node n = make(Kind::Frame, name, caption);
    n.children = std::move(children);
    n.columns = columns;
    return n;
}

Node tabs(const QString& name, Nodes pages) {
    Node n = make(Kind::Tabs, name);
    n.children = std::move(pages);
    return n;
}

Node page(const QString& name, const QString& caption, Nodes children) {
    Node n = make(Kind::Page, name, caption);
    n.children = std::move(children);
    return n;
}

Node options(Nodes optionButtons, bool vertical) {
    Node n = make(Kind::OptionGroup, {});
    n.children = std::move(optionButtons);
    n.columns = vertical ? 1 : 0;
    return n;
}

Node check(const QString& name, const QString& caption) {
    return make(Kind::Check, name, caption);
}
Node option(const QString& name, const QString& caption) {
    return make(Kind::Option, name, caption);
}

Node combo(const QString& name, const QString& label, const QStringList& items,
           const QString& labelName) {
    Node n = make(Kind::Combo, name);
    n.label = label;
    n.labelName = labelName;
    n.items = items;
    return n;
}

Node text(const QString& name, const QString& label, const QString& labelName, int chars) {
    Node n = make(Kind::Text, name);
    n.label = label;
    n.labelName = labelName;
    n.chars = chars;
    return n;
}

Node number(const QString& name, const QString& label, int lower, int upper, bool spin,
            const QString& labelName) {
    Node n = make(Kind::Number, name);
    n.label = label;
    n.labelName = labelName;
    n.lower = lower;
    n.upper = upper;
    n.spin = spin;
    return n;
}

Node date(const QString& name, const QString& label, const QString& labelName) {
    Node n = make(Kind::Date, name);
    n.label = label;
    n.labelName = labelName;
    return n;
}

Node label(const QString& name, const QString& caption) {
    return make(Kind::Label, name, caption);
}
Node button(const QString& name, const QString& caption) {
    return make(Kind::Button, name, caption);
}
Node tree(const QString& name) {
    return make(Kind::Tree, name);
}

Node grid(const QString& name, const QStringList& headers) {
    Node n = make(Kind::Grid, name);
    n.items = headers;
    return n;
}

Node stretch() {
    return make(Kind::Stretch, {});
}

Node hidden(Node node) {
    node.hidden = true;
    return node;
}

Node readOnly(Node node) {
    node.readOnly = true;
    return node;
}

QString arrayName(const QString& name, int index) {
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

QWidget* build(const Node& n, QWidget* parent) {
    QWidget* w = nullptr;
    switch (n.kind) {
        case Kind::Column: {
            w = new QWidget(parent);
            auto* grid = new QGridLayout(w);
            grid->setContentsMargins(0, 0, 0, 0);
            fillGrid(grid, n.children, n.columns, w);
            break;
        }
        case Kind::Frame: {
            auto* box = new QGroupBox(n.caption, parent);
            auto* grid = new QGridLayout(box);
            fillGrid(grid, n.children, n.columns, box);
            w = box;
            break;
        }
        case Kind::Row: {
            w = new QWidget(parent);
            auto* layout = new QHBoxLayout(w);
            layout->setContentsMargins(0, 0, 0, 0);
            for (const Node& child : n.children) {
                if (child.kind == Kind::Stretch) {
                    layout->addStretch(1);
                } else if (isField(child)) {
                    auto* lbl = new QLabel(child.label, w);
                    if (!child.labelName.isEmpty()) lbl->setObjectName(child.labelName);
                    QWidget* control = buildControl(child, w);
                    lbl->setBuddy(control);
                    if (child.hidden) lbl->setHidden(true);
                    layout->addWidget(lbl);
                    layout->addWidget(control);
                } else {
                    layout->addWidget(build(child, w));
                }
            }
            break;
        }
        case Kind::OptionGroup: {
            // Option buttons sharing a parent exclude each other, as a group should.
            w = new QWidget(parent);
            QBoxLayout* layout =
                n.columns == 1 ? static_cast<QBoxLayout*>(new QVBoxLayout(w)) : new QHBoxLayout(w);
            layout->setContentsMargins(0, 0, 0, 0);
            for (const Node& child : n.children) layout->addWidget(build(child, w));
            if (n.columns != 1) layout->addStretch(1);
            break;
        }
        case Kind::Tabs: {
            auto* tabSet = new QTabWidget(parent);
            for (const Node& p : n.children) {
                auto* scroll = new QScrollArea(tabSet);
                scroll->setWidgetResizable(true);
                scroll->setFrameShape(QFrame::NoFrame);
                auto* content = new QWidget(scroll);
                content->setObjectName(p.name);
                auto* layout = new QVBoxLayout(content);
                for (const Node& child : p.children) {
                    if (child.kind == Kind::Stretch) {
                        layout->addStretch(1);
                    } else {
                        layout->addWidget(build(child, content));
                    }
                }
                layout->addStretch(1);
                scroll->setWidget(content);
                tabSet->addTab(scroll, p.caption);
            }
            w = tabSet;
            break;
        }
        case Kind::Page: {
            // A page outside a tab set: a plain column.
            Node c = column(n.children);
            w = build(c, parent);
            break;
        }
        case Kind::Stretch:
            w = new QWidget(parent);
            break;
        default: {
            if (isField(n)) {
                Node r = row({n});
                return build(r, parent);
            }
            w = buildControl(n, parent);
            break;
        }
    }
    if (w) {
        if (!n.name.isEmpty()) w->setObjectName(n.name);
        if (n.hidden) w->setHidden(true);
    }
    return w;
}

}  // namespace zx::profiles::face
