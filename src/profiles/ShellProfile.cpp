// The dialog's frame: pages, state, change tracking, OK / Save / Close, help
// key, change history and the auto-invoice audit.

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "zx/entry/SystemSetting.h"
#include "zx/host/Environment.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/ChangeLog.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {
const QString kTopic = QStringLiteral("GLSystemSetting.frmSystemProfiles");
const QString kTitle = QStringLiteral("Zentrix提示");
}  // namespace

std::function<void(frmSystemProfiles&)> frmSystemProfiles::onShown;

frmSystemProfiles::frmSystemProfiles(QWidget* parent)
    : QDialog(parent), changeLog_(std::make_unique<store::ChangeLog>()) {
    setObjectName(QStringLiteral("frmSystemProfiles"));
    setWindowTitle(QStringLiteral("系统参数"));
    setModal(true);
    buildFace();

    // Form load, in its order. Errors of the caption step are its own business.
    ApplyCaptions();
    RegisterHelpWindow(kTopic, qint32(winId()));
    changeLog_->clear();
    FillBusinessLists();
    env().dialogService().PrepareForm(this);
    tag_.clear();
    IsFirstActivate = true;
    stab_->setCurrentIndex(0);
    if (auto* gl = findChild<QTabWidget*>(QStringLiteral("stabGl"))) gl->setCurrentIndex(0);
    for (const char* name : {"fraXj", "fraYh"}) {
        if (QWidget* w = controls_.value(QString::fromLatin1(name))) w->hide();
    }
    if (hasControl(QStringLiteral("IntQtyDefNum")))
        C<IntText3D>(QStringLiteral("IntQtyDefNum"))->setMaximum(8);
    if (hasControl(QStringLiteral("IntPriceDefNum")))
        C<IntText3D>(QStringLiteral("IntPriceDefNum"))->setMaximum(8);
    connectChangeHandlers();
}

frmSystemProfiles::~frmSystemProfiles() {
    qApp->removeEventFilter(this);
    ResultTag = tag_;
}

void frmSystemProfiles::buildFace() {
    auto* layout = new QVBoxLayout(this);
    QWidget* tabs = face::build(face::tabs(QStringLiteral("Stab"), faces::allPages()), this);
    stab_ = qobject_cast<QTabWidget*>(tabs);
    layout->addWidget(tabs, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK_ = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnSave_ = new QPushButton(QStringLiteral("保存修改(&S)"), this);
    btnSave_->setObjectName(QStringLiteral("btnSave"));
    btnClose_ = new QPushButton(QStringLiteral("关闭(&X)"), this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* b : {btnOK_, btnSave_, btnClose_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    btnSave_->setEnabled(false);
    btnOK_->setEnabled(false);

    connect(btnOK_, &QPushButton::clicked, this, [this] { guard([this] { btnOK_Click(); }); });
    connect(btnSave_, &QPushButton::clicked, this, [this] { guard([this] { btnSave_Click(); }); });
    connect(btnClose_, &QPushButton::clicked, this,
            [this] { guard([this] { btnClose_Click(); }); });
    indexControls();
    connectPageHandlers();
    resize(1200, 760);
}

void frmSystemProfiles::indexControls() {
    controls_.clear();
    for (QWidget* w : findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) controls_.insert(name, w);
    }
}

QWidget* frmSystemProfiles::control(const QString& name) {
    QWidget* w = controls_.value(name);
    if (!w) {
        throw HostError(340, QStringLiteral("frmSystemProfiles"),
                        QStringLiteral("控件不存在: %1").arg(name));
    }
    return w;
}

HostError frmSystemProfiles::wrongKind(const QString& name) const {
    return HostError(13, QStringLiteral("frmSystemProfiles"),
                     QStringLiteral("控件类型不符: %1").arg(name));
}

// Every value control marks the dialog changed. Code that sets a control
// raises the same signal a click does; the Loading flag keeps the page loads
// from counting.
void frmSystemProfiles::connectChangeHandlers() {
    auto changed = [this] { SetChanged(true); };
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        QWidget* w = it.value();
        if (auto* box = qobject_cast<QCheckBox*>(w)) {
            connect(box, &QCheckBox::stateChanged, this, changed);
        } else if (auto* opt = qobject_cast<QRadioButton*>(w)) {
            connect(opt, &QRadioButton::toggled, this, [this](bool on) {
                if (on) SetChanged(true);
            });
        } else if (auto* cmb = qobject_cast<QComboBox*>(w)) {
            connect(cmb, &QComboBox::currentIndexChanged, this, changed);
            connect(cmb, &QComboBox::editTextChanged, this, changed);
        } else if (auto* num = qobject_cast<IntText3D*>(w)) {
            connect(num, &QSpinBox::valueChanged, this, changed);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->parent() && qobject_cast<QAbstractSpinBox*>(edit->parent())) continue;
            connect(edit, &QLineEdit::textChanged, this, changed);
        } else if (auto* dateEdit = qobject_cast<QDateEdit*>(w)) {
            connect(dateEdit, &QDateEdit::dateChanged, this, changed);
        }
    }
    // The text boxes that hand themselves to the host when they get the focus.
    for (const char* name :
         {"txtCompanyName", "txtCompanyAddress", "txtCompanyPhone", "txtCyName", "txtCyNumber"}) {
        if (QWidget* w = controls_.value(QString::fromLatin1(name))) w->installEventFilter(this);
    }
}

void frmSystemProfiles::SetChanged(bool changed) {
    if (Loading && changed) return;
    IsChanged = changed;
    btnSave_->setEnabled(CanModify && changed);
}

void frmSystemProfiles::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
    if (IsFirstActivate) {
        // Activation comes after the window is on screen, as the host's does.
        QTimer::singleShot(0, this, [this] { guard([this] { Form_Activate(); }); });
    }
}

void frmSystemProfiles::Form_Activate() {
    if (!IsFirstActivate) return;
    LoadProfiles();
    if (hasControl(QStringLiteral("chkNoDepr"))) {
        NoDeprAtStart = checkValue(C<QCheckBox>(QStringLiteral("chkNoDepr")));
    }
    IsFirstActivate = false;
    EarnAcctChanged = false;
    EarnAssignAcctChanged = false;
    btnOK_->setEnabled(CanModify);
    TakeAutoInvoiceSnapshot();
    if (onShown) onShown(*this);
}

void frmSystemProfiles::btnOK_Click() {
    if (IsChanged) {
        if (SaveProfiles()) hide();
        AuditAutoInvoice();
    } else {
        hide();
    }
}

void frmSystemProfiles::btnSave_Click() {
    if (SaveProfiles()) LoadProfiles();
    AuditAutoInvoice();
}

void frmSystemProfiles::btnClose_Click() {
    if (IsChanged && CanModify) {
        const MsgResult answer =
            env().messageBox(QStringLiteral("退出前是否保存修改?"), MsgButtons::YesNo,
                             MsgIcon::Question, kTitle, this);
        if (answer == MsgResult::Yes) {
            if (SaveProfiles()) hide();
        } else {
            SetChanged(false);
            hide();
        }
        return;
    }
    hide();
}

void frmSystemProfiles::closeEvent(QCloseEvent* event) {
    // The close box unloads without asking; the marker must survive it.
    ResultTag = tag_;
    QDialog::closeEvent(event);
}

void frmSystemProfiles::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        btnClose_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The dialog sees every key before its controls (for F1), and hands the
// company and currency boxes to the host when they get the focus.
bool frmSystemProfiles::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* w = qobject_cast<QWidget*>(watched);
            w && w->window() == this && controls_.value(w->objectName()) == w) {
            env().dialogService().TextFocus(w);
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || w->window() != this || !isVisible()) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        qint16 code = key->key() == Qt::Key_F1 ? 112 : qint16(key->key() & 0x7fff);
        try {
            if (ShowHelpKey(code, kTopic)) return true;
        } catch (const HostError& e) {
            env().dialogService().ShowError(e, {});
            return true;
        }
    }
    return false;
}

void frmSystemProfiles::cmdOptHistory_Click() {
    // A fresh viewer each time, released when it closes.
    auto viewer = std::make_unique<optlog::frmOptLog>();
    viewer->ShowOptLog();
}

bool frmSystemProfiles::IsValidIDNew(const QString& strValue) {
    const QString value = strValue.trimmed();
    if (value.isEmpty()) return false;
    for (QChar c : value) {
        if (c == u'\'' || c == u'\\' || c == u'$' || c == u'"') return false;
    }
    return true;
}

bool frmSystemProfiles::IsHasInitGLData() {
    return SystemSetting().IsHasInitGLData();
}

int frmSystemProfiles::checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

void frmSystemProfiles::setCheckValue(QCheckBox* box, int value) {
    if (value == 2) {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setCheckState(value ? Qt::Checked : Qt::Unchecked);
    }
}

int frmSystemProfiles::optionIndex(const QString& array) {
    for (int i = 0; i < 32; ++i) {
        auto* b = qobject_cast<QRadioButton*>(controls_.value(face::arrayName(array, i)));
        if (!b) {
            if (i > 0) break;
            continue;
        }
        if (b->isChecked()) return i;
    }
    return -1;
}

void frmSystemProfiles::setOptionIndex(const QString& array, int index) {
    for (int i = 0; i < 32; ++i) {
        auto* b = qobject_cast<QRadioButton*>(controls_.value(face::arrayName(array, i)));
        if (!b) {
            if (i > 0) break;
            continue;
        }
        if (i == index) {
            b->setChecked(true);
        } else if (b->isChecked()) {
            clearOption(b);
        }
    }
}

void frmSystemProfiles::clearOption(QRadioButton* button) {
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(exclusive);
}

void frmSystemProfiles::showPage(int index) {
    stab_->setCurrentIndex(index);
}

void frmSystemProfiles::setOptionChecked(const QString& name, bool on) {
    auto* button = C<QRadioButton>(name);
    if (on) {
        button->setChecked(true);
    } else {
        clearOption(button);
    }
}

void frmSystemProfiles::guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
    }
}

// Handlers of controls with logic of their own.
void frmSystemProfiles::connectPageHandlers() {
    auto onClick = [this](const char* name, std::function<void()> handler) {
        if (auto* b = qobject_cast<QAbstractButton*>(controls_.value(QString::fromLatin1(name)))) {
            connect(b, &QAbstractButton::clicked, this, [this, handler] { guard(handler); });
        }
    };
    onClick("cmdOptHistory", [this] { cmdOptHistory_Click(); });
    connectProfitHandlers();
    connectBusinessHandlers();
    connectPeriodHandlers();
    if (auto* tree = qobject_cast<QTreeWidget*>(controls_.value(QStringLiteral("tvwPeriod")))) {
        connect(tree, &QTreeWidget::itemClicked, this,
                [this](QTreeWidgetItem* node) { guard([this, node] { ShowYearPeriods(node); }); });
    }
}

// ---- auto-invoice audit --------------------------------------------------

void frmSystemProfiles::TakeAutoInvoiceSnapshot() {
    try {
        auto chk = [this](const char* n) {
            return QString::number(checkValue(C<QCheckBox>(QString::fromLatin1(n))));
        };
        auto cmb = [this](const char* n) {
            return C<QComboBox>(QString::fromLatin1(n))->currentText();
        };
        AutoInvoiceSnapshot = QStringList{chk("chkIC_AutoMakeInvoiceCG"),
                                          cmb("cmbIC_AutoMakeInvoiceCG"),
                                          chk("chkIC_AutoHookAfterCheckPurVachour"),
                                          chk("chkIC_AutoMakeInvoiceXS"),
                                          cmb("cmbIC_AutoMakeInvoiceXS"),
                                          chk("chkIC_AutoHookAfterCheckSalVachour")}
                                  .join(u',');
    } catch (const std::exception&) {
        // Pages without the auto-invoice options keep the old snapshot.
    }
}

void frmSystemProfiles::AuditAutoInvoice() {
    try {
        const QStringList fields = AutoInvoiceSnapshot.split(u',');
        auto field = [&fields](int i) { return i < fields.size() ? fields.at(i) : QString(); };
        auto nowOn = [this](const char* n) {
            return checkValue(C<QCheckBox>(QString::fromLatin1(n))) == 1;
        };
        QStringList events;
        auto invoiceEvent = [&](int flag, int type, const char* box, const char* special,
                                const char* common) {
            if (field(flag) != QLatin1String("0") || !nowOn(box)) return;
            if (field(type) == QStringLiteral("专用发票")) {
                events << QString::fromLatin1(special);
            } else if (field(type) == QStringLiteral("普通发票")) {
                events << QString::fromLatin1(common);
            }
        };
        invoiceEvent(0, 1, "chkIC_AutoMakeInvoiceCG", "CheckCGAutoInvSpe", "CheckCGAutoInvCom");
        invoiceEvent(3, 4, "chkIC_AutoMakeInvoiceXS", "CheckXSAutoInvSpe", "CheckXSAutoInvCom");
        if (field(2) == QLatin1String("0") && nowOn("chkIC_AutoHookAfterCheckPurVachour"))
            events << QStringLiteral("CheckCGAutoHook");
        if (field(5) == QLatin1String("0") && nowOn("chkIC_AutoHookAfterCheckSalVachour"))
            events << QStringLiteral("CheckXSAutoHook");
        for (const QString& event : events) {
            try {
                auto frameData = createObject<FrameData>();
                frameData->setPropString(GetPropsString());
                frameData->WriteMGLog(QStringLiteral("C001C039"), event);
            } catch (const std::exception&) {
                // One event that cannot be recorded does not stop the others.
            }
        }
        TakeAutoInvoiceSnapshot();
    } catch (const std::exception&) {
        // The audit never disturbs the user.
    }
}

}  // namespace zx::profiles
