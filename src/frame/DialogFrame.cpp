#include "zx/frame/DialogFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

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
    changed_ = changed;
    if (changed) status_->clear();
    updateButtons();
}

void DialogFrame::updateButtons() {
    btnSave_->setEnabled(canModify_ && changed_ && !readOnly());
    if (!firstActivate_) btnOK_->setEnabled(canModify_ && !readOnly());
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
    for (QWidget* w : controls_.valueControls()) {
        if (unmarked.contains(w->objectName())) continue;
        controls_.onValueChange(w, this, [this] { SetChanged(true); });
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
    if (!changed_) {
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

void DialogFrame::btnClose_Click() {
    if (changed_ && canModify_) {
        const host::MsgResult answer =
            host::env().messageBox(QStringLiteral("退出前是否保存修改?"), host::MsgButtons::YesNo,
                                   host::MsgIcon::Question, QStringLiteral("Zentrix提示"), this);
        if (answer == host::MsgResult::Yes) {
            if (runSave()) hideDialog();
        } else {
            SetChanged(false);
            hideDialog();
        }
        return;
    }
    hideDialog();
}

void DialogFrame::closeEvent(QCloseEvent* event) {
    // The close box unloads without asking.
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
