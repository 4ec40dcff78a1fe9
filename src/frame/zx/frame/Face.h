#pragma once

// The face of a page written as data: frames, tab sets and the declared
// controls they place. One builder turns it into widgets, so a page lists
// what it holds and where, and nothing about how widgets are made.

#include <QString>
#include <QStringList>
#include <vector>

#include "zx/params/Param.h"

class QWidget;

namespace zx::frame::face {

enum class Kind {
    Column,       // children in a grid of `columns` columns
    Row,          // children left to right
    Frame,        // captioned group box; children flow into `columns` columns
    Tabs,         // tab set; children are Page nodes
    Page,         // one page of a tab set
    OptionGroup,  // mutually exclusive option buttons
    Control,      // a declared control
    Stretch,
};

struct Node {
    Kind kind = Kind::Column;
    QString name;     // objectName of a container
    QString caption;  // frame title, tab caption
    params::Control control{};
    const params::Param* param = nullptr;  // the parameter a placed control stands for
    int columns = 1;
    bool hidden = false;
    std::vector<Node> children;
};

using Nodes = std::vector<Node>;

Node column(Nodes children, int columns = 1);
Node row(Nodes children);
Node group(const QString& name, const QString& caption, Nodes children, int columns = 1);
Node group(const params::Control& c, Nodes children, int columns = 1);
Node tabs(const QString& name, Nodes pages);
Node page(const QString& name, const QString& caption, Nodes children);
Node stretch();
Node hidden(Node node);

// A declared control: a box with its caption, a field with its label, an
// option group with its options, a button, a tree, a grid.
Node place(const params::Control& c);
// A parameter's control (and the list beside it, if any).
Node place(const params::Param& p);
// The parameters placed in `n` and below it, in the order of the face.
void collectParams(const Node& n, QList<const params::Param*>& out);
// The members of a control array, each on its own.
Nodes members(const params::Control& c);
// An option group without its label, its options side by side or stacked.
Node optionsOf(const params::Control& c, bool vertical = false);

// Builds the widgets of `node` into `parent` and returns the top widget made.
QWidget* build(const Node& node, QWidget* parent);

}  // namespace zx::frame::face
