#include "zx/frame/DialogFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "zx/frame/IntText3D.h"
#include "zx/host/Environment.h"
#include "zx/session/Session.h"

namespace zx::frame {

using host::HostError;

std::function<void(DialogFrame&)> DialogFrame::onLoaded;

QString noRightNotice() {
    return QStringLiteral("只读：您没有修改系统参数的权限。");
}

QString loadErrorNotice() {
    return QStringLiteral("参数读取出错，本次不能保存修改。");
}

DialogFrame::DialogFrame(const FrameSetup& setup, QWidget* parent)
    : QDialog(parent), setup_(setup) {
    setObjectName(setup.objectName);
    setWindowTitle(setup.title);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("lblReadOnlyNotice"));
    QPalette warning = notice_->palette();
    warning.setColor(QPalette::Window, QColor(0xff, 0xf3, 0xc4));
    notice_->setPalette(warning);
    notice_->setAutoFillBackground(true);
    notice_->setMargin(4);
    notice_->hide();
    layout->addWidget(notice_);
    body_ = new QVBoxLayout;
    layout->addLayout(body_, 1);

    auto* buttons = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    buttons->addWidget(status_, 1);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setEnabled(false);
        return b;
    };
    btnOK_ = button("btnOK", setup.ok);
    btnSave_ = button("btnSave", setup.save);
    btnClose_ = button("btnClose", setup.close);
    btnClose_->setEnabled(true);
    const QList<QPushButton*> order =
        setup.saveFirst ? QList{btnSave_, btnOK_, btnClose_} : QList{btnOK_, btnSave_, btnClose_};
    for (QPushButton* b : order) buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(btnOK_, &QPushButton::clicked, this, [this] { attempt([this] { btnOK_Click(); }); });
    connect(btnSave_, &QPushButton::clicked, this,
            [this] { attempt([this] { btnSave_Click(); }); });
    connect(btnClose_, &QPushButton::clicked, this,
            [this] { attempt([this] { btnClose_Click(); }); });
}

DialogFrame::~DialogFrame() {
    qApp->removeEventFilter(this);
}

bool DialogFrame::guarded(const std::function<bool()>& work) {
    // A lost connection goes on to the outermost guard: the save between
    // them starts over, rather than a part of it being told of the loss.
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(++d) {}
        ~Depth() { --depth; }
    } depth(guardDepth_);
    try {
        return work();
    } catch (const HostError& e) {
        if (e.number() == host::kConnectionLost && guardDepth_ > 1) throw;
        host::env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        host::env().dialogService().ShowError(
            HostError(host::kGenericError, objectName(), QString::fromLocal8Bit(e.what())), {});
    }
    return false;
}

bool DialogFrame::refuse(const Refusal& refusal) {
    if (refusal.page >= 0) showPage(refusal.page);
    if (!refusal.message.isEmpty()) host::env().dialogService().ShowMessage(refusal.message);
    if (!refusal.focus.isEmpty() && controls_.has(refusal.focus)) {
        controls_.widget(refusal.focus)->setFocus();
    }
    return false;
}

void DialogFrame::SetChanged(bool changed) {
    if ((loading_ || readOnly()) && changed) return;
    if (changed) {
        forced_ = true;
        status_->clear();
    } else {
        forced_ = false;
        loaded_ = valuesNow();
        differing_.clear();
        ruleChanges_.clear();
    }
    updateButtons();
    markChangedPages();
}

void DialogFrame::updateButtons() {
    btnSave_->setEnabled(canModify_ && IsChanged() && !readOnly());
    if (!firstActivate_) btnOK_->setEnabled(canModify_ && !readOnly());
}

QHash<QWidget*, QVariant> DialogFrame::valuesNow() const {
    QHash<QWidget*, QVariant> values;
    values.reserve(marked_.size());
    for (QWidget* w : marked_) values.insert(w, Controls::valueOf(w));
    return values;
}

// Compared with the load on every change, so that a change undone by hand
// leaves the dialog as unchanged as it was.
void DialogFrame::refreshChanged() {
    if (loading_ || readOnly()) return;
    const bool was = IsChanged();
    differing_.clear();
    for (QWidget* w : marked_) {
        if (Controls::valueOf(w) != loaded_.value(w)) differing_ << w;
    }
    if (IsChanged() && !was) status_->clear();
    updateButtons();
    markChangedPages();
}

// Every tab set marks the pages that hold a changed control, and keeps their
// indexes in the property "changedPages" for the automation.
void DialogFrame::markChangedPages() {
    static const QIcon mark = [] {
        QPixmap dot(10, 10);
        dot.fill(Qt::transparent);
        QPainter painter(&dot);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xe0, 0x6c, 0x00));
        painter.drawEllipse(1, 1, 8, 8);
        return QIcon(dot);
    }();
    for (QTabWidget* tabs : findChildren<QTabWidget*>()) {
        QVariantList pages;
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            const bool holds = std::any_of(differing_.cbegin(), differing_.cend(),
                                           [page](QWidget* w) { return page->isAncestorOf(w); });
            if (holds) pages << i;
            if (holds != !tabs->tabIcon(i).isNull()) tabs->setTabIcon(i, holds ? mark : QIcon());
        }
        tabs->setProperty("changedPages", pages);
    }
}

void DialogFrame::react(const QList<QWidget*>& cause, const std::function<void()>& rule) {
    // The load sets what it read; only what happens afterwards is a change.
    if (loading_ || cause.isEmpty() || reacting_ > 8) {
        rule();
        return;
    }
    ++reacting_;
    const QHash<QWidget*, QVariant> before = valuesNow();
    rule();
    const bool causeAsLoaded = std::all_of(cause.cbegin(), cause.cend(), [this](QWidget* w) {
        return Controls::valueOf(w) == loaded_.value(w);
    });
    if (causeAsLoaded) {
        // What the rule does as the cause comes back stays (a limit it
        // keeps); what it did while the cause went away comes back.
        restoreAfter(cause.first());
    } else {
        auto& changes = ruleChanges_[cause.first()];
        for (QWidget* w : marked_) {
            if (cause.contains(w) || before.value(w) == Controls::valueOf(w)) continue;
            const bool known = std::any_of(changes.cbegin(), changes.cend(),
                                           [w](const auto& c) { return c.first == w; });
            if (!known) changes.append({w, before.value(w)});
        }
    }
    --reacting_;
}

// The cause is back where the load left it: so is what its rule changed. A
// control a rule keeps disabled now is not given back a value the user could
// not choose there; it waits for a rule that frees it (another reaction to
// the same change, or a control restored here).
void DialogFrame::restoreAfter(QWidget* cause) {
    auto pending = ruleChanges_.take(cause);
    for (bool progress = true; progress && !pending.isEmpty();) {
        progress = false;
        for (qsizetype i = 0; i < pending.size();) {
            QWidget* w = pending.at(i).first;
            if (w && !w->isEnabled()) {
                ++i;
                continue;
            }
            if (w) Controls::setValueOf(w, pending.at(i).second);
            pending.removeAt(i);
            progress = true;
        }
    }
    if (!pending.isEmpty()) ruleChanges_[cause] += pending;
}

void DialogFrame::setModifyRight() {
    auto security = host::createService<host::SecurityInfo>();
    canModify_ = security->IsAdministrator(GetPropsString());
    if (canModify_) return;
    try {
        security->AccessCheck(GetPropsString(), 18, 0, 2097152, true, QStringLiteral("修改"));
        canModify_ = true;
    } catch (const HostError& e) {
        // The rights service answers "no right" by raising; what it says is
        // what the dialog tells the user.
        canModify_ = false;
        noRight_ = e.description();
    }
}

void DialogFrame::finishFace(const QStringList& unmarked) {
    controls_.index(this);
    marked_.clear();
    for (QWidget* w : controls_.valueControls()) {
        if (unmarked.contains(w->objectName())) continue;
        marked_ << w;
        controls_.onValueChange(w, this, [this] { refreshChanged(); });
    }
}

void DialogFrame::setReadOnly(const QString& reason) {
    readOnlyReason_ = reason;
    notice_->setText(reason);
    notice_->setVisible(!reason.isEmpty());
    if (!reason.isEmpty()) applyReadOnly();
    updateButtons();
}

// Every value control is locked alike: its value stays readable (and a text
// selectable), but nothing the user does changes it.
void DialogFrame::applyReadOnly() {
    for (QWidget* w : controls_.valueControls()) {
        if (auto* number = qobject_cast<IntText3D*>(w)) {
            number->setLocked(true);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setReadOnly(true);
        } else {
            w->setAttribute(Qt::WA_TransparentForMouseEvents, true);
            w->setFocusPolicy(Qt::NoFocus);
        }
        if (w->toolTip().isEmpty()) w->setToolTip(readOnlyReason_);
    }
}

void DialogFrame::showStatus(const QString& text) {
    status_->setText(text);
}

namespace {
const QString kComponent = QStringLiteral("GLSystemSetting");
// Room the window manager takes around a window: title bar and borders.
constexpr int kTitleBar = 40;
constexpr int kBorders = 8;
const char* const kGeometryKeys[] = {"FormLeft", "FormTop", "FormWidth", "FormHeight"};
}  // namespace

std::optional<bool> DialogFrame::geometryKept_;

void DialogFrame::keepGeometry(std::optional<bool> keep) {
    geometryKept_ = keep;
}

// A run without a screen (the offscreen or minimal platform) fits the window
// to a screen nobody sees: that is no size the user chose.
bool DialogFrame::geometryKept() {
    if (geometryKept_) return *geometryKept_;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void DialogFrame::restoreGeometryOr(const QSize& size) {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize usable(room.width() - kBorders, room.height() - kTitleBar);
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    QRect wanted(QPoint(-1, -1), size);
    ignoringErrors("window size", [&] {
        for (int i = 0; i < 4; ++i) {
            const QString text =
                GetUserProfileValue(kComponent, objectName(), QString::fromLatin1(kGeometryKeys[i]),
                                    QString())
                    .toString();
            storedGeometry_[i] = text.isEmpty() ? kNone : int(Val(text));
        }
        // A stored size this screen cannot hold, or one smaller than the
        // dialog needs, is no place to open at: the dialog's own size is.
        const QSize stored(storedGeometry_[2], storedGeometry_[3]);
        const bool fits = stored.width() <= usable.width() && stored.height() <= usable.height();
        if (!fits || stored.width() < least.width() || stored.height() < least.height()) return;
        wanted.setSize(stored);
        if (storedGeometry_[0] != kNone && storedGeometry_[1] != kNone) {
            wanted.moveTopLeft(QPoint(storedGeometry_[0], storedGeometry_[1]));
        }
    });
    const QSize fit = wanted.size().boundedTo(usable);
    resize(fit);
    const QRect placed(wanted.topLeft(), fit);
    if (room.contains(placed)) {
        move(placed.topLeft());
    } else {
        const QPoint centred =
            room.center() - QPoint(fit.width() / 2, (fit.height() + kTitleBar) / 2);
        move(std::max(centred.x(), room.left()), std::max(centred.y(), room.top()));
    }
    placedGeometry_ = {pos().x(), pos().y(), width(), height()};
}

// Only what the user moved is written: opening and closing the dialog
// writes nothing, nor does the dialog's own fitting to the screen. The
// place is the frame's, as move() takes it, so that it does not creep.
void DialogFrame::saveGeometry() {
    if (isMinimized() || isMaximized() || !geometryKept()) return;
    ignoringErrors("window size", [this] {
        const int now[4] = {pos().x(), pos().y(), width(), height()};
        for (int i = 0; i < 4; ++i) {
            if (now[i] == storedGeometry_[i] || now[i] == placedGeometry_[i]) continue;
            SetUserProfileValue(kComponent, objectName(), QString::fromLatin1(kGeometryKeys[i]),
                                QString::number(now[i]));
            storedGeometry_[i] = now[i];
        }
    });
}

void DialogFrame::explained(const std::function<void()>& work) {
    try {
        work();
    } catch (const HostError& e) {
        throw explainLoadError(e);
    }
}

void DialogFrame::loadPart(const std::function<void()>& work) {
    if (!attempt([&] { explained(work); })) loadFailed_ = true;
}

void DialogFrame::runLoad() {
    readOnlyReason_.clear();
    loadFailed_ = false;
    loading_ = true;
    const bool loaded = attempt([this] { explained([this] { loadValues(); }); }) && !loadFailed_;
    loading_ = false;
    SetChanged(false);
    if (!loaded) {
        setReadOnly(loadErrorNotice());
    } else if (!canModify_) {
        setReadOnly(noRight_.isEmpty() ? noRightNotice() : QStringLiteral("只读：") + noRight_);
    } else {
        setReadOnly(QString());
    }
}

bool DialogFrame::runSave() {
    if (readOnly()) return false;
    return attempt([this] { return saveValues(); });
}

void DialogFrame::Form_Activate() {
    if (!firstActivate_) return;
    runLoad();
    firstActivate_ = false;
    updateButtons();
    firstLoaded();
    if (onLoaded) onLoaded(*this);
}

void DialogFrame::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
    if (firstActivate_) {
        // Activation comes after the window is on screen, as the host's does.
        QTimer::singleShot(0, this, [this] { Form_Activate(); });
    }
}

void DialogFrame::hideDialog() {
    saveGeometry();
    done(QDialog::Rejected);
}

void DialogFrame::btnOK_Click() {
    if (!IsChanged()) {
        hideDialog();
        return;
    }
    const bool saved = runSave();
    afterSave();
    if (saved) hideDialog();
}

void DialogFrame::btnSave_Click() {
    const bool saved = runSave();
    if (saved) {
        const QString note = savedNote();
        runLoad();
        showStatus(QStringLiteral("已保存 %1").arg(QTime::currentTime().toString(u"HH:mm")) +
                   (note.isEmpty() ? QString() : QStringLiteral("，") + note));
    }
    afterSave();
}

// Save, leave without saving, or stay with the changes (Cancel, Esc on the
// question or its close box).
bool DialogFrame::confirmLeave() {
    if (!IsChanged() || !canModify_ || readOnly()) return true;
    const host::MsgResult answer =
        host::env().messageBox(QStringLiteral("退出前是否保存修改?"), host::MsgButtons::YesNoCancel,
                               host::MsgIcon::Question, QStringLiteral("Zentrix提示"), this);
    if (answer == host::MsgResult::Yes) return runSave();
    if (answer != host::MsgResult::No) return false;
    SetChanged(false);
    return true;
}

void DialogFrame::btnClose_Click() {
    if (confirmLeave()) hideDialog();
}

void DialogFrame::closeEvent(QCloseEvent* event) {
    // The close box asks like Close; a dialog already hidden just unloads.
    bool leave = !isVisible();
    if (isVisible()) attempt([this, &leave] { leave = confirmLeave(); });
    if (!leave) {
        event->ignore();
        return;
    }
    saveGeometry();
    QDialog::closeEvent(event);
}

void DialogFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        attempt([this] { btnClose_Click(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

// The dialog sees every key before its controls (for F1), and hands some
// text boxes to the host when they get the focus.
bool DialogFrame::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the process passes here: the kinds that matter first.
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this) return false;
    if (event->type() == QEvent::FocusIn && focusBoxes_.contains(w->objectName())) {
        attempt([w] { host::env().dialogService().TextFocus(w); });
        return false;
    }
    if (event->type() == QEvent::KeyPress && isVisible()) {
        // Only F1 is the help key; every other key keeps its meaning.
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1) return false;
        qint16 code = 112;
        bool consumed = false;
        attempt([&] { consumed = ShowHelpKey(code, setup_.helpTopic, helpContext()); });
        return consumed;
    }
    return false;
}

}  // namespace zx::frame
