#include "Automation.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "services/RefHost.h"
#include "zx/frame/IntText3D.h"
#include "zx/frame/ParamHistory.h"
#include "zx/frame/TextBox.h"
#include "zx/profiles/frmSystemProfiles.h"

using zx::frame::IntText3D;
using zx::profiles::frmSystemProfiles;

namespace app {

namespace {

bool isOwnName(const QString& name) {
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
           !name.startsWith(QLatin1String("Scroll"));
}

// The index of the main tab set's page holding the widget, -1 for none.
int pageOf(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget()) {
        QWidget* parent = p->parentWidget();
        if (!parent) break;
        // A page sits in the tab widget's stack, whose parent is the tab widget.
        if (auto* tabs = qobject_cast<QTabWidget*>(parent->parentWidget())) {
            if (tabs->objectName() == QLatin1String("Stab")) return tabs->indexOf(p);
        }
    }
    return -1;
}

// Whether a user sees the control once the pages holding it are shown: a tab
// set hides the pages it is not showing, but the user reaches those by their
// tab; anything else hidden on the way up hides the control.
bool shownToUser(const QWidget* w) {
    const QWidget* window = w->window();
    for (const QWidget* p = w; p && p != window; p = p->parentWidget()) {
        const QWidget* parent = p->parentWidget();
        if (qobject_cast<const QStackedWidget*>(parent)) {
            if (auto* tabs = qobject_cast<const QTabWidget*>(parent->parentWidget())) {
                const int index = tabs->indexOf(const_cast<QWidget*>(p));
                if (index >= 0) {
                    if (!tabs->isTabVisible(index)) return false;
                    continue;
                }
            }
        }
        if (p->isHidden()) return false;
    }
    return true;
}

QJsonArray rectArray(const QRect& r) {
    return QJsonArray{r.x(), r.y(), r.width(), r.height()};
}

QJsonArray tableRows(const QTableView* view) {
    QJsonArray rows;
    const QAbstractItemModel* model = view->model();
    if (!model) return rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (view->isRowHidden(r)) continue;
        QJsonArray row;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (!view->isColumnHidden(c)) row.append(model->index(r, c).data().toString());
        }
        rows.append(row);
    }
    return rows;
}

QJsonArray tableHeaders(const QTableView* view) {
    QJsonArray headers;
    const QAbstractItemModel* model = view->model();
    if (!model) return headers;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (!view->isColumnHidden(c)) {
            headers.append(model->headerData(c, Qt::Horizontal).toString());
        }
    }
    return headers;
}

// Check boxes, options and buttons; false for any other control.
bool describeButton(QWidget* w, QJsonObject& o) {
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("check");
        o[QStringLiteral("caption")] = box->text();
        o[QStringLiteral("value")] = zx::frame::Controls::checkValue(box);
    } else if (auto* opt = qobject_cast<QRadioButton*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("option");
        o[QStringLiteral("caption")] = opt->text();
        o[QStringLiteral("value")] = opt->isChecked();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("button");
        o[QStringLiteral("caption")] = button->text();
    } else {
        return false;
    }
    return true;
}

// A numeric box: its value, what it shows (an empty box holds no number)
// and its bounds.
void describeNumber(QJsonObject& o, double value, const QString& text, double min, double max) {
    o[QStringLiteral("kind")] = QStringLiteral("number");
    o[QStringLiteral("value")] = value;
    o[QStringLiteral("text")] = text;
    o[QStringLiteral("min")] = min;
    o[QStringLiteral("max")] = max;
}

// The boxes a user picks or types a value in; `locked` when one takes no
// typing. False for any other control.
bool describeEntry(QWidget* w, QJsonObject& o, bool& locked) {
    if (auto* cmb = qobject_cast<QComboBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("combo");
        o[QStringLiteral("index")] = cmb->currentIndex();
        o[QStringLiteral("text")] = cmb->currentText();
        QJsonArray items;
        for (int i = 0; i < cmb->count(); ++i) items.append(cmb->itemText(i));
        o[QStringLiteral("items")] = items;
    } else if (auto* box = qobject_cast<IntText3D*>(w)) {
        describeNumber(o, box->Value(), box->Text(), box->Min(), box->Max());
        locked = box->Locked();
    } else if (auto* num = qobject_cast<QSpinBox*>(w)) {
        describeNumber(o, num->value(), num->text(), num->minimum(), num->maximum());
        locked = num->isReadOnly();
    } else if (auto* date = qobject_cast<QDateEdit*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("date");
        o[QStringLiteral("text")] = date->date().toString(Qt::ISODate);
        locked = date->isReadOnly();
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("text");
        o[QStringLiteral("text")] = edit->text();
        locked = edit->isReadOnly();
    } else {
        return false;
    }
    return true;
}

// A tab set: the page shown, the captions and, in the window, the places
// of the tabs a user sees (hidden ones are empty).
void describeTabs(QTabWidget* tabs, QJsonObject& o) {
    o[QStringLiteral("kind")] = QStringLiteral("tabs");
    o[QStringLiteral("index")] = tabs->currentIndex();
    QJsonArray items;
    QJsonArray rects;
    for (int i = 0; i < tabs->count(); ++i) {
        const bool shown = tabs->isTabVisible(i);
        items.append(shown ? tabs->tabText(i) : QString());
        const QRect r = tabs->tabBar()->tabRect(i);
        rects.append(
            shown ? rectArray(QRect(tabs->tabBar()->mapTo(tabs->window(), r.topLeft()), r.size()))
                  : QJsonArray());
    }
    o[QStringLiteral("items")] = items;
    o[QStringLiteral("tabRects")] = rects;
    // The pages that hold unsaved changes, as the dialog marks them.
    o[QStringLiteral("changed")] =
        QJsonArray::fromVariantList(tabs->property("changedPages").toList());
}

// Labels, frames, tab sets, trees and grids; false for any other control.
bool describeView(QWidget* w, QJsonObject& o) {
    if (auto* lbl = qobject_cast<QLabel*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("label");
        o[QStringLiteral("caption")] = lbl->text();
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("frame");
        o[QStringLiteral("caption")] = frame->title();
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        describeTabs(tabs, o);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("tree");
        o[QStringLiteral("text")] = tree->currentItem() ? tree->currentItem()->text(0) : QString();
        QJsonArray items;
        for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            items.append((*it)->text(0));
        }
        o[QStringLiteral("items")] = items;
    } else if (auto* grid = qobject_cast<QTableView*>(w)) {
        o[QStringLiteral("kind")] = QStringLiteral("grid");
        o[QStringLiteral("columns")] = tableHeaders(grid);
        o[QStringLiteral("items")] = tableRows(grid);
    } else {
        return false;
    }
    return true;
}

QJsonObject describe(QWidget* w) {
    QJsonObject o;
    o[QStringLiteral("name")] = w->objectName();
    o[QStringLiteral("enabled")] = w->isEnabled();
    o[QStringLiteral("visible")] = shownToUser(w);
    bool locked = false;
    if (!describeButton(w, o) && !describeEntry(w, o, locked) && !describeView(w, o)) {
        o[QStringLiteral("kind")] = QStringLiteral("page");
    }
    // Boxes, options and lists of a read-only dialog ignore the mouse and the focus.
    if (w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->focusPolicy() == Qt::NoFocus) {
        locked = true;
    }
    o[QStringLiteral("locked")] = locked;
    o[QStringLiteral("tooltip")] = w->toolTip();
    o[QStringLiteral("page")] = pageOf(w);
    // Only what is on screen now has a place a user could point at.
    if (w->isVisible()) {
        o[QStringLiteral("rect")] =
            rectArray(QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()));
    }
    return o;
}

// The buttons that answer a message; a "details" button does not.
QList<QAbstractButton*> answerButtons(const QMessageBox* box) {
    QList<QAbstractButton*> out;
    for (QAbstractButton* b : box->buttons()) {
        if (box->standardButton(b) != QMessageBox::NoButton) out << b;
    }
    return out;
}

bool isQuestion(const QMessageBox* box) {
    return answerButtons(box).size() > 1;
}

// A message with only 确定: read, and confirmed.
void confirm(QMessageBox* box) {
    const QList<QAbstractButton*> buttons = answerButtons(box);
    if (!buttons.isEmpty()) buttons.constFirst()->click();
}

QJsonObject describeWindow(QWidget* window) {
    QJsonObject o;
    o[QStringLiteral("name")] = window->objectName();
    o[QStringLiteral("caption")] = window->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        o[QStringLiteral("kind")] = QStringLiteral("message");
        o[QStringLiteral("text")] = box->text();
        o[QStringLiteral("details")] = box->detailedText();
        QJsonArray buttons;
        for (QAbstractButton* b : answerButtons(box)) buttons.append(b->text());
        o[QStringLiteral("items")] = buttons;
    } else {
        o[QStringLiteral("kind")] = QStringLiteral("window");
    }
    o[QStringLiteral("rect")] = rectArray(QRect(QPoint(0, 0), window->size()));
    return o;
}

QString json(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

}  // namespace

QStringList dumpControls(QWidget* window) {
    QStringList out{json(describeWindow(window))};
    if (qobject_cast<QMessageBox*>(window)) return out;  // its parts have no names
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!isOwnName(w->objectName())) continue;
        // The line edit inside a numeric box is part of the box.
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget())) continue;
        out << json(describe(w));
    }
    return out;
}

namespace {
// A size change climbs the widget tree one posted layout request per level,
// scroll bars show or hide on a posted call, and each pass only delivers
// what was posted before it.
void settleLayouts() {
    for (int pass = 0; pass < 12; ++pass) QCoreApplication::sendPostedEvents();
}
}  // namespace

QPixmap grabWhole(QWidget* window) {
    const QSize original = window->size();
    QHash<QScrollArea*, QSize> minima;  // what the inner areas asked for before
    // An outer scroll area gets what its content needs when the window grows;
    // an inner one (a tab set of scrolled pages inside a page) when it asks
    // for more room itself, which in turn grows the area around it. Repeat
    // until no shown area scrolls.
    for (int round = 0; round < 16; ++round) {
        settleLayouts();
        QSize grow(0, 0);
        bool asked = false;
        for (QScrollArea* area : window->findChildren<QScrollArea*>()) {
            if (!area->widget() || !area->isVisibleTo(window)) continue;
            const QSize missing(area->horizontalScrollBar()->maximum(),
                                area->verticalScrollBar()->maximum());
            if (missing.width() <= 0 && missing.height() <= 0) continue;
            bool inner = false;
            for (QWidget* p = area->parentWidget(); p && p != window; p = p->parentWidget()) {
                inner = inner || qobject_cast<QScrollArea*>(p);
            }
            if (inner) {
                if (!minima.contains(area)) minima.insert(area, area->minimumSize());
                area->setMinimumSize(area->size() + missing.expandedTo(QSize(0, 0)));
                asked = true;
            } else {
                grow = grow.expandedTo(missing);
            }
        }
        if (grow.isNull() && !asked) break;
        if (!grow.isNull()) window->resize(window->size() + grow.expandedTo(QSize(0, 0)));
    }
    settleLayouts();
    const QPixmap picture = window->grab();
    for (auto it = minima.cbegin(); it != minima.cend(); ++it) it.key()->setMinimumSize(it.value());
    if (window->size() != original || !minima.isEmpty()) {
        window->resize(original);
        settleLayouts();
    }
    return picture;
}

QStringList takeScreenshots(frmSystemProfiles& dialog, const QString& dir) {
    if (!QDir().mkpath(dir)) {
        throw std::runtime_error(QStringLiteral("无法创建目录 %1").arg(dir).toStdString());
    }
    QStringList written;
    auto save = [&](const QString& file) {
        QCoreApplication::processEvents();
        const QString path = QDir(dir).filePath(file);
        if (!grabWhole(&dialog).save(path)) {
            throw std::runtime_error(QStringLiteral("无法写入 %1").arg(path).toStdString());
        }
        written << path;
    };
    QTabWidget* stab = dialog.Stab();
    const int current = stab->currentIndex();
    for (int i = 0; i < stab->count(); ++i) {
        if (!stab->isTabVisible(i)) continue;
        stab->setCurrentIndex(i);
        save(QStringLiteral("page%1.png").arg(i));
        for (QTabWidget* inner : stab->widget(i)->findChildren<QTabWidget*>()) {
            const int innerCurrent = inner->currentIndex();
            for (int j = 0; j < inner->count(); ++j) {
                if (!inner->isTabVisible(j)) continue;
                inner->setCurrentIndex(j);
                save(QStringLiteral("page%1_%2_%3.png").arg(i).arg(inner->objectName()).arg(j));
            }
            inner->setCurrentIndex(innerCurrent);
        }
    }
    stab->setCurrentIndex(current);
    return written;
}

// ----- Script --------------------------------------------------------------------

namespace {
// How often the script looks whether its next line can run.
constexpr int kTickMs = 10;
// Time the watchdog leaves the program to report a late line and close its
// windows: a quarter of the limit, at least half a second, at most two.
std::chrono::milliseconds graceFor(std::chrono::milliseconds timeout) {
    return std::clamp(timeout / 4, std::chrono::milliseconds(500), std::chrono::milliseconds(2000));
}

bool skipped(const QString& line) {
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(u'#');
}

// Lines that look at an open message instead of confirming it first. An
// `answer` confirms it first as well: it is meant for a question to come.
bool looksAtWindow(const QString& line) {
    const QString verb = line.trimmed().section(u' ', 0, 0);
    return verb == QLatin1String("dump") || verb == QLatin1String("shot") ||
           verb == QLatin1String("expect-window");
}

// ----- Setting a control as a user would; each returns what stands in the
// way, empty when the value is set.

QString setCheck(QCheckBox* box, const QString& value) {
    bool ok = true;
    const int v = value.toInt(&ok);
    if (!ok || v < 0 || v > 2) return QStringLiteral("复选框的值只能是 0、1 或 2: %1").arg(value);
    if (v == 2) box->setTristate(true);
    box->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    return {};
}

QString setOption(QRadioButton* opt, const QString& value) {
    if (value.trimmed() != QLatin1String("1")) {
        return QStringLiteral("选项按钮只能设为 1: %1").arg(value);
    }
    opt->setChecked(true);
    return {};
}

// An index, or the text of an entry.
QString setCombo(QComboBox* cmb, const QString& value) {
    bool ok = true;
    const int index = value.toInt(&ok);
    const int found = ok ? index : cmb->findText(value);
    if (found < 0 || found >= cmb->count()) return QStringLiteral("列表中没有: %1").arg(value);
    cmb->setCurrentIndex(found);
    return {};
}

QString outOfRange(const QString& name, const QString& value, qint64 min, qint64 max) {
    return QStringLiteral("数值框 %1 不接受 %2 (范围 %3 至 %4)").arg(name, value).arg(min).arg(max);
}

// As typed: a number within the box's limits (a decimal where it takes one),
// or what a user can leave in the box on the way to one ("-", "-."), which
// the save must then refuse.
QString setNumber(IntText3D* box, const QString& name, const QString& value) {
    QString typed = value.trimmed();
    bool ok = true;
    const double v = box->decimals() ? typed.toDouble(&ok) : double(typed.toLongLong(&ok));
    int end = int(typed.size());
    const bool unfinished = !ok && box->validate(typed, end) != QValidator::Invalid;
    if (!typed.isEmpty() &&
        (box->Locked() || (!unfinished && (!ok || v < box->Min() || v > box->Max())))) {
        return outOfRange(name, value, box->Min(), box->Max());
    }
    box->setText(typed);
    return {};
}

QString setSpin(QSpinBox* num, const QString& name, const QString& value) {
    bool ok = true;
    const qint64 v = value.trimmed().toLongLong(&ok);
    if (!ok || v < num->minimum() || v > num->maximum() || num->isReadOnly()) {
        return outOfRange(name, value, num->minimum(), num->maximum());
    }
    num->setValue(int(v));
    return {};
}

QString setDate(QDateEdit* date, const QString& value) {
    const QDate d = QDate::fromString(value.trimmed(), Qt::ISODate);
    if (!d.isValid() || d < date->minimumDate() || d > date->maximumDate()) {
        return QStringLiteral("日期格式应为 yyyy-MM-dd, 且在 %1 至 %2 之间: %3")
            .arg(date->minimumDate().toString(Qt::ISODate),
                 date->maximumDate().toString(Qt::ISODate), value);
    }
    date->setDate(d);
    return {};
}

QString setText(QLineEdit* edit, const QString& name, const QString& value) {
    if (edit->isReadOnly()) return QStringLiteral("文本框只读: %1").arg(name);
    // As typed: within the typing limit (a longer stored text may be shortened).
    auto* box = qobject_cast<zx::frame::TextBox*>(edit);
    if (box && !box->typable(value)) {
        return QStringLiteral("文本框 %1 最多输入 %2 个字符: %3")
            .arg(name)
            .arg(box->typingLimit())
            .arg(value);
    }
    edit->setText(value);
    return {};
}

// A node by its text, chosen as by a click.
QString setTree(QTreeWidget* tree, const QString& value) {
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItem* item : tree->findItems(value, Qt::MatchExactly | Qt::MatchRecursive)) {
        if (!item->isHidden() && !found) found = item;
    }
    if (!found) return QStringLiteral("树中没有: %1").arg(value);
    tree->setCurrentItem(found);
    emit tree->itemClicked(found, 0);
    return {};
}

QString setControl(QWidget* w, const QString& name, const QString& value) {
    if (auto* box = qobject_cast<QCheckBox*>(w)) return setCheck(box, value);
    if (auto* opt = qobject_cast<QRadioButton*>(w)) return setOption(opt, value);
    if (auto* cmb = qobject_cast<QComboBox*>(w)) return setCombo(cmb, value);
    if (auto* box = qobject_cast<IntText3D*>(w)) return setNumber(box, name, value);
    if (auto* num = qobject_cast<QSpinBox*>(w)) return setSpin(num, name, value);
    if (auto* date = qobject_cast<QDateEdit*>(w)) return setDate(date, value);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return setText(edit, name, value);
    if (auto* tree = qobject_cast<QTreeWidget*>(w)) return setTree(tree, value);
    return QStringLiteral("无法设置: %1").arg(name);
}
}  // namespace

ScriptRunner::ScriptRunner(refhost::RefHost& host, QStringList lines, Print print, Options options)
    : host_(host),
      lines_(std::move(lines)),
      print_(std::move(print)),
      options_(std::move(options)) {
    // The script plays the user: every window and message opens and waits
    // for its lines, also without a screen.
    host_.setInteractive(true);
    host_.setAnswerHook([this](const QString&, zx::host::MsgButtons buttons,
                               zx::host::MsgIcon) -> std::optional<zx::host::MsgResult> {
        if (buttons == zx::host::MsgButtons::Ok || answers_.isEmpty()) return std::nullopt;
        const Answer answer = answers_.takeFirst();
        print_(QStringLiteral("[回答] %1").arg(answerWord(answer)));
        if (answer == Answer::Cancel) return zx::host::MsgResult::Cancel;
        const bool yes = answer == Answer::Yes;
        if (buttons == zx::host::MsgButtons::OkCancel) {
            return yes ? zx::host::MsgResult::Ok : zx::host::MsgResult::Cancel;
        }
        return yes ? zx::host::MsgResult::Yes : zx::host::MsgResult::No;
    });
    // The clock runs from here: a dialog that never opens counts as well.
    deadline_ = std::chrono::steady_clock::now() + options_.timeout;
    watchdog_ = std::thread([this] { watch(); });
    // From the start: a message shown while the dialog opens (a notice, a
    // refusal, an error of the load) is the script's first window.
    ticking_ = true;
    QTimer::singleShot(0, this, [this] { tick(); });
}

ScriptRunner::~ScriptRunner() {
    stopWatching();
    host_.setAnswerHook({});
    host_.setInteractive(std::nullopt);
}

void ScriptRunner::start(frmSystemProfiles& dialog) {
    dialog_ = &dialog;
    started_ = true;
    progress();
}

QWidget* ScriptRunner::topWindow() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return dialog_ && dialog_->isVisible() ? dialog_.data() : nullptr;
}

int ScriptRunner::currentLine() const {
    return running_.isEmpty() ? int(next_) + 1 : running_.last().line;
}

void ScriptRunner::tick() {
    if (!ticking_) return;
    // Each tick is a timer of its own: a timer does not fire again while its
    // own handler runs, and the handler may be inside a window's event loop.
    QTimer::singleShot(kTickMs, this, [this] { tick(); });
    QWidget* top = topWindow();
    // A window that has just opened (or come back) finishes its own start
    // before a line acts in it.
    if (top != seen_) {
        seen_ = top;
        return;
    }
    if (!top) return;  // the dialog has gone: the rest runs in finish()
    // Until the dialog has loaded, only the messages of its start are there to act in.
    if (!started_ && !qobject_cast<QMessageBox*>(top)) return;
    if (failed_) {
        // Leave nothing open: the windows close from the top down.
        if (top == dialog_) {
            dialog_->hide();
        } else {
            top->close();
        }
        return;
    }
    // The line at work has not opened a window: it is still busy.
    if (!running_.isEmpty() && running_.last().window == top) return;
    while (!done() && skipped(lines_.at(next_))) ++next_;
    if (done()) {
        endScript(top);
        return;
    }
    auto* box = qobject_cast<QMessageBox*>(top);
    if (box && !isQuestion(box) && !looksAtWindow(lines_.at(next_))) {
        confirm(box);
        return;
    }
    const int number = int(next_) + 1;
    runLine(number, lines_.at(next_++), top);
}

void ScriptRunner::endScript(QWidget* top) {
    if (auto* box = qobject_cast<QMessageBox*>(top)) {
        if (isQuestion(box)) {
            fail(currentLine(), QStringLiteral("没有准备回答的询问: %1").arg(box->text()));
        } else {
            confirm(box);
        }
    } else if (top != dialog_) {
        top->close();  // as through its close box
    } else if (running_.isEmpty()) {
        // The script is over: leave as through the close box, without questions.
        dialog_->SetChanged(false);
        dialog_->close();
    }
}

void ScriptRunner::runLine(int number, const QString& line, QWidget* top) {
    running_.append({top, number});
    progress();
    try {
        execute(number, line, top);
    } catch (const std::exception& error) {
        fail(number, QString::fromLocal8Bit(error.what()));
    }
    running_.removeLast();
    progress();
}

void ScriptRunner::finish() {
    ticking_ = false;
    dialog_ = nullptr;
    if (!started_) {
        // Refused (no right to view it): the lines meant for the dialog cannot run.
        while (!done() && skipped(lines_.at(next_))) ++next_;
        if (!done() && !failed_)
            print_(QStringLiteral("[提示] 对话框没有打开, 脚本其余的行没有执行。"));
        stopWatching();
        return;
    }
    for (; !failed_ && !done(); ++next_) {
        const QString line = lines_.at(next_);
        if (!skipped(line)) execute(int(next_) + 1, line, nullptr);
    }
    if (!answers_.isEmpty() && !failed_) {
        fail(int(lines_.size()),
             QStringLiteral("有 %1 个准备好的回答没有用到").arg(answers_.size()));
    }
    stopWatching();
}

void ScriptRunner::fail(int number, const QString& why) {
    if (failed_) return;
    failed_ = true;
    failedSeen_ = true;
    print_(QStringLiteral("[脚本错误] 第 %1 行: %2").arg(number).arg(why));
    // The windows close from the next ticks on; should that not end the
    // program, the watchdog does.
    {
        std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + graceFor(options_.timeout);
    }
    wake_.notify_all();
}

QString ScriptRunner::answerWord(Answer answer) {
    switch (answer) {
        case Answer::Yes:
            return QStringLiteral("是");
        case Answer::No:
            return QStringLiteral("否");
        case Answer::Cancel:
            return QStringLiteral("取消");
    }
    return {};
}

void ScriptRunner::answerBox(QMessageBox* box, Answer answer) {
    QList<QMessageBox::StandardButton> wanted;
    switch (answer) {
        case Answer::Yes:
            wanted = {QMessageBox::Yes, QMessageBox::Ok};
            break;
        case Answer::No:
            wanted = {QMessageBox::No, QMessageBox::Cancel};
            break;
        case Answer::Cancel:
            wanted = {QMessageBox::Cancel};
            break;
    }
    // "no" picks 否 where the question has it, else 取消.
    QAbstractButton* button = nullptr;
    for (QMessageBox::StandardButton b : wanted) {
        if (!button) button = box->button(b);
    }
    if (!button) {
        fail(currentLine(),
             QStringLiteral("提示框\"%1\"没有\"%2\"按钮").arg(box->text(), answerWord(answer)));
        return;
    }
    print_(QStringLiteral("[回答] %1").arg(answerWord(answer)));
    button->click();
}

void ScriptRunner::execute(int number, const QString& raw, QWidget* top) {
    // Only the line ending goes (the "\r" of "\r\n"): a carriage return or a
    // blank inside or at the end of a value belongs to the value.
    const QString text = raw.endsWith(u'\r') ? raw.chopped(1) : raw;
    const QString line = text.trimmed();
    const QString verb = line.section(u' ', 0, 0);
    const QString rest = line.section(u' ', 1).trimmed();
    if (verb == QLatin1String("answer")) {
        answer(number, rest, top);
    } else if (verb == QLatin1String("expect-closed")) {
        if (dialog_ && dialog_->isVisible()) fail(number, QStringLiteral("对话框仍然打开"));
    } else if (looksAtWindow(verb)) {
        look(number, verb, rest, top);
    } else if (verb == QLatin1String("set") || verb == QLatin1String("click")) {
        act(number, verb, text, top);
    } else if (verb == QLatin1String("history")) {
        history(number, rest, top);
    } else {
        fail(number, QStringLiteral("不认识的命令: %1").arg(verb));
    }
}

void ScriptRunner::answer(int number, const QString& word, QWidget* top) {
    const QStringList words = {QStringLiteral("yes"), QStringLiteral("no"),
                               QStringLiteral("cancel")};
    if (!words.contains(word)) {
        fail(number, QStringLiteral("answer 只接受 yes、no 或 cancel: %1").arg(word));
        return;
    }
    const auto answer = Answer(words.indexOf(word));
    auto* box = qobject_cast<QMessageBox*>(top);
    if (box && isQuestion(box)) {
        answerBox(box, answer);
    } else {
        answers_ << answer;
    }
}

// dump, expect-window and shot: the topmost window as it is.
void ScriptRunner::look(int number, const QString& verb, const QString& rest, QWidget* top) {
    if (!top) {
        fail(number, QStringLiteral("对话框已关闭, 无法执行 %1").arg(verb));
    } else if (verb == QLatin1String("dump")) {
        for (const QString& l : dumpControls(top)) print_(l);
    } else if (verb == QLatin1String("expect-window")) {
        if (rest != top->windowTitle() && rest != top->objectName()) {
            fail(number, QStringLiteral("最上层的窗口是\"%1\"(%2), 不是\"%3\"")
                             .arg(top->windowTitle(), top->objectName(), rest));
        }
    } else if (rest.isEmpty()) {
        fail(number, QStringLiteral("shot 需要一个文件名"));
    } else {
        const QString path = QDir(options_.shotDir).filePath(rest + QStringLiteral(".png"));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !grabWhole(top).save(path)) {
            fail(number, QStringLiteral("无法写入截图 %1").arg(path));
            return;
        }
        print_(QStringLiteral("[截图] %1").arg(path));
    }
}

// set and click: a control of the topmost window, named as written.
void ScriptRunner::act(int number, const QString& verb, const QString& text, QWidget* top) {
    if (!top) {
        fail(number, QStringLiteral("对话框已关闭: %1").arg(text.trimmed()));
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(top)) {
        // Only a question stays open in front of such a line.
        fail(number, QStringLiteral("没有准备回答的询问: %1").arg(box->text()));
        return;
    }
    const QString name = text.trimmed().section(u' ', 1).trimmed().section(u' ', 0, 0);
    // The value is everything after the name and one blank, as written.
    const qsizetype nameAt = text.indexOf(name, text.indexOf(verb) + verb.size());
    const QString value = text.mid(nameAt + name.size() + 1);
    if (verb == QLatin1String("click") && clickPage(number, name, top)) return;
    QWidget* w = reachable(number, name, top);
    if (!w) return;
    if (verb == QLatin1String("set")) {
        setValue(number, w, name, value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->click();
    } else {
        fail(number, QStringLiteral("无法单击: %1").arg(name));
    }
}

// The recorded changes of the parameter a control shows, opened as its
// context menu opens them; a control its rule disables has them too.
void ScriptRunner::history(int number, const QString& name, QWidget* top) {
    auto* offer = top ? zx::frame::HistoryOffer::of(top) : nullptr;
    QWidget* w = offer ? top->findChild<QWidget*>(name) : nullptr;
    if (!top) {
        fail(number, QStringLiteral("对话框已关闭: history %1").arg(name));
    } else if (!offer) {
        fail(number, QStringLiteral("这个窗口的控件没有修改记录: %1").arg(name));
    } else if (!w) {
        fail(number, QStringLiteral("窗口\"%1\"中没有控件: %2").arg(top->windowTitle(), name));
    } else if (!shownToUser(w)) {
        fail(number, QStringLiteral("控件不可见: %1").arg(name));
    } else if (!offer->open(w)) {
        fail(number, QStringLiteral("控件 %1 不显示参数, 没有修改记录").arg(name));
    }
}

// A page of a tab set, "Stab(3)" or "stabGl(1)": true when the name is one.
bool ScriptRunner::clickPage(int number, const QString& name, QWidget* top) {
    static const QRegularExpression pageName(QStringLiteral("^(.+)\\((\\d+)\\)$"));
    const auto m = pageName.match(name);
    auto* tabs = m.hasMatch() ? top->findChild<QTabWidget*>(m.captured(1)) : nullptr;
    if (!tabs) return false;
    const int index = m.captured(2).toInt();
    if (index < tabs->count() && tabs->isTabVisible(index) && tabs->isTabEnabled(index) &&
        shownToUser(tabs)) {
        tabs->setCurrentIndex(index);
    } else {
        fail(number, QStringLiteral("没有这一页: %1").arg(name));
    }
    return true;
}

// The named control when a user could work it now; nullptr (and the script
// failed) when it is not there, not seen or disabled.
QWidget* ScriptRunner::reachable(int number, const QString& name, QWidget* top) {
    QWidget* w = top->objectName() == name ? top : top->findChild<QWidget*>(name);
    if (!w) {
        fail(number, QStringLiteral("窗口\"%1\"中没有控件: %2").arg(top->windowTitle(), name));
    } else if (!shownToUser(w)) {
        fail(number, QStringLiteral("控件不可见: %1").arg(name));
    } else if (!w->isEnabled()) {
        fail(number, QStringLiteral("控件不可用: %1").arg(name));
    } else {
        return w;
    }
    return nullptr;
}

// The user puts the focus in the control, changes it and leaves it.
void ScriptRunner::setValue(int number, QWidget* w, const QString& name, const QString& value) {
    QApplication::setActiveWindow(w->window());
    w->setFocus(Qt::OtherFocusReason);
    const QString why = setControl(w, name, value);
    if (!why.isEmpty()) {
        fail(number, why);
        return;
    }
    w->clearFocus();
}

// ----- Watchdog ------------------------------------------------------------------

void ScriptRunner::progress() {
    lineAtWork_ = currentLine();
    if (failed_) return;  // a failed script only has its grace left
    {
        std::lock_guard lock(mutex_);
        deadline_ = std::chrono::steady_clock::now() + options_.timeout;
    }
    wake_.notify_all();
}

// A line past its time is failed from the event loop, which closes the
// windows; a program that does not get back to its event loop in time (a
// line blocked outside it) is ended here.
void ScriptRunner::watch() {
    bool told = false;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto deadline = deadline_;
        if (wake_.wait_until(lock, deadline, [&] { return stopping_ || deadline_ != deadline; })) {
            continue;
        }
        const int line = lineAtWork_;
        const QString seconds = QString::number(double(options_.timeout.count()) / 1000.0);
        const QString why = started_ ? QStringLiteral("超过 %1 秒仍未完成").arg(seconds)
                                     : QStringLiteral("对话框 %1 秒后仍未打开").arg(seconds);
        if (!told && !failedSeen_) {
            told = true;
            deadline_ = std::chrono::steady_clock::now() + graceFor(options_.timeout);
            QMetaObject::invokeMethod(
                this, [this, line, why] { fail(line, why); }, Qt::QueuedConnection);
            continue;
        }
        if (failedSeen_) {
            print_(QStringLiteral("[脚本错误] 窗口未能及时关闭, 程序结束"));
        } else {
            print_(QStringLiteral("[脚本错误] 第 %1 行: %2, 程序结束").arg(line).arg(why));
        }
        std::fflush(nullptr);
        std::_Exit(options_.failExitCode);
    }
}

void ScriptRunner::stopWatching() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (watchdog_.joinable()) watchdog_.join();
}

}  // namespace app
