#pragma once

#include <QDialog>

class QTextBrowser;
class QToolButton;

namespace refhost {

// The host's help window: a page of the bundled help with its title in the
// window's caption, back and forward through the pages followed, the
// contents of its help file one click away, and Esc to close it.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows `page` (an HTML file); the pages seen before stay a step back.
    void showPage(const QString& page);
    QTextBrowser* browser() const { return browser_; }

private:
    void followed();

    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* contents_ = nullptr;
};

}  // namespace refhost
