#pragma once

// The face of a page written as data: frames, tab sets and controls with
// their system names and captions. One builder turns it into widgets, so a
// page file lists what the page holds and nothing about how widgets are made.

#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace zx::profiles::face {

enum class Kind {
    Column,       // children top to bottom
    Row,          // children left to right
    Frame,        // captioned group box; children flow into `columns` columns
    Tabs,         // tab set; children are Page nodes
    Page,         // one page of a tab set
    OptionGroup,  // mutually exclusive option buttons (an unnamed container)
    Check,
    Option,
    Combo,
    Text,
    Number,  // IntText3D
    Date,
    Label,
    Button,
    Tree,
    Grid,
    Stretch,
};

struct Node {
    Kind kind = Kind::Column;
    QString name;       // objectName; control-array members as "Name(3)"
    QString caption;    // frame title, tab caption, check/option/button/label text
    QString label;      // caption of the label in front of a field
    QString labelName;  // objectName of that label when it has a system name
    QStringList items;  // combo entries; grid column headers
    int lower = 0;
    int upper = 0;
    bool spin = false;      // numeric box with spin buttons
    bool readOnly = false;  // text box shown read-only by design
    bool hidden = false;    // hidden by design
    bool editable = false;  // combo box accepting typed text
    int chars = 0;          // preferred width of a field, in characters (0: default)
    int columns = 1;        // Frame/Column: number of columns the children flow into
    std::vector<Node> children;
};

using Nodes = std::vector<Node>;

// Containers
Node column(Nodes children, int columns = 1);
Node row(Nodes children);
Node frame(const QString& name, const QString& caption, Nodes children, int columns = 1);
Node tabs(const QString& name, Nodes pages);
Node page(const QString& name, const QString& caption, Nodes children);
Node options(Nodes optionButtons, bool vertical = false);

// Controls
Node check(const QString& name, const QString& caption);
Node option(const QString& name, const QString& caption);
Node combo(const QString& name, const QString& label, const QStringList& items = {},
           const QString& labelName = {});
Node text(const QString& name, const QString& label, const QString& labelName = {}, int chars = 0);
Node number(const QString& name, const QString& label, int lower, int upper, bool spin,
            const QString& labelName = {});
Node date(const QString& name, const QString& label, const QString& labelName = {});
Node label(const QString& name, const QString& caption);
Node button(const QString& name, const QString& caption);
Node tree(const QString& name);
Node grid(const QString& name, const QStringList& headers);
Node stretch();

// Modifiers
Node hidden(Node node);
Node readOnly(Node node);

// Name of a control-array member: arrayName("OptBud", 2) == "OptBud(2)".
QString arrayName(const QString& name, int index);

// Builds the widgets of `node` into `parent` (which gets a layout when it has
// none) and returns the top widget made.
QWidget* build(const Node& node, QWidget* parent);

}  // namespace zx::profiles::face
