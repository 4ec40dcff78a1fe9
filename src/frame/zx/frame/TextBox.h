#pragma once

#include <QLineEdit>

namespace zx::frame {

// A text box whose typing limit binds the user only. A text set by code (a
// stored value, however long) is shown whole; what the user types, pastes
// or drops stops at the limit, and a text already longer than the limit may
// be shortened but never grows.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(int typingLimit, QWidget* parent = nullptr);

    // The most characters the user may type (0: no limit).
    int typingLimit() const { return limit_; }
    // Whether the user could turn the current text into `text`: within the
    // limit, or only shortened.
    bool typable(const QString& text) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TypedLimit;
    class Typing;

    int limit_;
    // The text before the user's current action; null while code sets it.
    QString before_;
    bool typing_ = false;
};

}  // namespace zx::frame
