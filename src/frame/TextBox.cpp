#include "zx/frame/TextBox.h"

#include <QValidator>

namespace zx::frame {

namespace {

// How `after` came from `before`: it kept `head` characters of its start and
// as many of its end as it could; what lies between them was added.
qsizetype addedChars(const QString& before, const QString& after, qsizetype& head) {
    const qsizetype most = std::min(before.size(), after.size());
    head = 0;
    while (head < most && after[head] == before[head]) ++head;
    qsizetype tail = 0;
    while (tail < most - head &&
           after[after.size() - 1 - tail] == before[before.size() - 1 - tail]) {
        ++tail;
    }
    return after.size() - head - tail;
}

}  // namespace

// Cuts what the user adds beyond the limit; leaves alone what code sets.
class TypedLimit : public QValidator {
public:
    explicit TypedLimit(TextBox* box) : QValidator(box), box_(box) {}

    State validate(QString& input, int& pos) const override {
        const qsizetype limit = box_->limit_;
        if (!box_->typing_ || input.size() <= limit) return Acceptable;
        qsizetype head = 0;
        const qsizetype added = addedChars(box_->before_, input, head);
        if (added <= 0) return Acceptable;  // a longer text shortened
        const qsizetype excess = input.size() - limit;
        if (excess > added) return Invalid;
        // The last characters added go.
        const qsizetype end = head + added - excess;
        input.remove(end, excess);
        pos = int(std::min<qsizetype>(pos, end));
        return Acceptable;
    }

private:
    TextBox* box_;
};

// Marks one action of the user: the text before it is what may not grow.
class TextBox::Typing {
public:
    explicit Typing(TextBox* box) : box_(box), outer_(box->typing_) {
        if (outer_) return;
        box_->typing_ = true;
        box_->before_ = box_->text();
    }
    ~Typing() {
        if (!outer_) box_->typing_ = false;
    }
    Typing(const Typing&) = delete;
    Typing& operator=(const Typing&) = delete;

private:
    TextBox* box_;
    bool outer_;
};

TextBox::TextBox(int typingLimit, QWidget* parent) : QLineEdit(parent), limit_(typingLimit) {
    if (limit_ > 0) setValidator(new TypedLimit(this));
}

bool TextBox::typable(const QString& text) const {
    if (limit_ <= 0 || text.size() <= limit_) return true;
    qsizetype head = 0;
    return addedChars(this->text(), text, head) <= 0;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    const Typing typing(this);
    QLineEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    const Typing typing(this);
    QLineEdit::inputMethodEvent(event);
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's paste runs while the menu is open.
    const Typing typing(this);
    QLineEdit::contextMenuEvent(event);
}

void TextBox::dropEvent(QDropEvent* event) {
    const Typing typing(this);
    QLineEdit::dropEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection on X11.
    const Typing typing(this);
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace zx::frame
