#include "Finder.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

namespace zx::profiles {

// A frame drawn around the control found (and its label); it follows the
// control when the layout moves it and lets every click through.
class FoundMark : public QWidget {
public:
    explicit FoundMark(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

    void follow(QWidget* target, QWidget* label) {
        for (QWidget* w : {target_.data(), label_.data()}) {
            if (w) w->removeEventFilter(this);
        }
        target_ = target;
        label_ =
            label && target && label->parentWidget() == target->parentWidget() ? label : nullptr;
        if (!target_) {
            hide();
            return;
        }
        setParent(target_->parentWidget());
        for (QWidget* w : {target_.data(), label_.data()}) {
            if (w) w->installEventFilter(this);
        }
        place();
        show();
        raise();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
                place();
                break;
            default:
                break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xe6, 0x7e, 0x00), 2));
        p.setBrush(QColor(0xff, 0xc1, 0x07, 48));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }

private:
    void place() {
        if (!target_) return;
        QRect r = target_->geometry();
        if (label_ && !label_->isHidden()) r |= label_->geometry();
        setGeometry(r.adjusted(-4, -3, 4, 3));
        setVisible(!target_->isHidden());
        raise();
    }

    QPointer<QWidget> target_;
    QPointer<QWidget> label_;
};

namespace {

// The caption as the user reads it: without accelerator marks and the colon
// a label ends with.
QString readable(const QString& caption) {
    QString out = caption;
    out.remove(u'&');
    while (out.endsWith(u'：') || out.endsWith(u':')) out.chop(1);
    return out.trimmed();
}

}  // namespace

QString Finder::comparable(const QString& caption) {
    // Full-width letters, digits and blanks become their plain forms first.
    const QString plain = caption.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(plain.size());
    for (QChar c : plain) {
        if (!c.isSpace() && c != u'&') out += c;
    }
    return out.toCaseFolded();
}

Finder::Finder(QWidget* dialog, QTabWidget* pages) : QObject(dialog), pages_(pages) {
    bar_ = new QWidget(dialog);
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("查找(&F)："), bar_);
    box_ = new QLineEdit(bar_);
    box_->setObjectName(QStringLiteral("txtFind"));
    // A search is no setting: it never marks the dialog changed and stays
    // open to a user who may only view.
    box_->setProperty("holdsNoValue", true);
    box_->setPlaceholderText(QStringLiteral("设置的名称，回车找下一个"));
    box_->setClearButtonEnabled(true);
    box_->setMinimumWidth(box_->fontMetrics().horizontalAdvance(QStringLiteral("字")) * 18);
    label->setBuddy(box_);
    status_ = new QLabel(bar_);
    status_->setObjectName(QStringLiteral("lblFind"));
    QPalette quiet = status_->palette();
    quiet.setColor(QPalette::WindowText, quiet.color(QPalette::PlaceholderText));
    status_->setPalette(quiet);
    row->addWidget(label);
    row->addWidget(box_);
    row->addWidget(status_, 1);
    mark_ = new FoundMark(bar_);

    connect(box_, &QLineEdit::textChanged, this, [this] { search(); });
    box_->installEventFilter(this);
    auto* shortcut = new QShortcut(QKeySequence::Find, dialog);
    connect(shortcut, &QShortcut::activated, this, [this] {
        box_->setFocus(Qt::ShortcutFocusReason);
        box_->selectAll();
    });
}

Finder::~Finder() = default;

bool Finder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            next(key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void Finder::search() {
    const QString wanted = comparable(box_->text());
    hits_.clear();
    current_ = -1;
    if (!wanted.isEmpty()) hits_ = hits(wanted);
    if (hits_.empty()) {
        if (mark_) mark_->follow(nullptr, nullptr);
        // Said quietly beside the box: a search that finds nothing is no error.
        status_->setText(wanted.isEmpty()
                             ? QString()
                             : QStringLiteral("没有找到“%1”").arg(box_->text().trimmed()));
        return;
    }
    show(0);
}

void Finder::next(int step) {
    if (hits_.empty()) {
        search();
        return;
    }
    const int n = int(hits_.size());
    show(((current_ + step) % n + n) % n);
}

void Finder::show(int index) {
    current_ = index;
    const Hit& hit = hits_[size_t(index)];
    if (!hit.target) return;
    pages_->setCurrentIndex(hit.page);
    if (hit.inner) hit.inner->setCurrentIndex(hit.innerPage);
    if (mark_) mark_->follow(hit.target, hit.label);
    QString text = QStringLiteral("%1/%2：%3").arg(index + 1).arg(hits_.size()).arg(hit.caption);
    if (!hit.target->isEnabled()) {
        QString why = hit.target->toolTip().trimmed();
        if (why.endsWith(u'。')) why.chop(1);
        text += why.isEmpty() ? QStringLiteral("（不可用）")
                              : QStringLiteral("（不可用：%1）").arg(why);
    }
    status_->setText(text);
    status_->setToolTip(text);
    // Scrolled into view once the page shown has been laid out.
    QTimer::singleShot(0, this, [target = hit.target] {
        if (!target) return;
        for (QWidget* w = target->parentWidget(); w; w = w->parentWidget()) {
            if (auto* area = qobject_cast<QScrollArea*>(w))
                area->ensureWidgetVisible(target, 40, 40);
        }
    });
}

// Every control of the pages shown whose caption holds `wanted`, page by
// page in the order the pages place them: boxes, options and buttons by
// their text, fields by their label, frames by their title.
std::vector<Finder::Hit> Finder::hits(const QString& wanted) const {
    std::vector<Hit> out;
    for (int i = 0; i < pages_->count(); ++i) {
        if (!pages_->isTabVisible(i)) continue;
        for (QWidget* w : pages_->widget(i)->findChildren<QWidget*>()) {
            Hit hit;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                hit.caption = label->text();
                hit.target = label->buddy() ? label->buddy() : label;
                if (label->buddy()) hit.label = label;
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                hit.caption = button->text();
                hit.target = button;
            } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
                hit.caption = frame->title();
                hit.target = frame;
            } else {
                continue;
            }
            if (hit.caption.isEmpty() || !comparable(hit.caption).contains(wanted)) continue;
            if (!reachable(w, i, hit) || !reachable(hit.target, i, hit)) continue;
            hit.caption = readable(hit.caption);
            hit.page = i;
            out.push_back(hit);
        }
    }
    return out;
}

// Whether a user could see `w` on page `page`: nothing on the way up is
// hidden, but for the inner pages a tab shows; notes that inner page.
bool Finder::reachable(QWidget* w, int page, Hit& hit) const {
    QWidget* top = pages_->widget(page);
    for (QWidget* x = w; x && x != top; x = x->parentWidget()) {
        auto* stack = qobject_cast<QStackedWidget*>(x->parentWidget());
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs) {
            const int index = tabs->indexOf(x);
            if (index < 0 || !tabs->isTabVisible(index)) return false;
            hit.inner = tabs;
            hit.innerPage = index;
        } else if (x->isHidden()) {
            return false;
        }
    }
    return true;
}

}  // namespace zx::profiles
