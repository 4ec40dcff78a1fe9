// The closing-options dialog: four checks that inventory-costing closing may
// skip, read and written independently of the main parameter dialog.

#include "zx/closing/frmICSystemProfiles.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "zx/host/Environment.h"
#include "zx/session/MNetControl.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::closing {

namespace {

const QString kTopic = QStringLiteral("GLSystemSetting.frmICSystemProfiles");
const QString kTitle = QStringLiteral("Zentrix提示");
const QString kCategory = QStringLiteral("IC");

struct ClosingOption {
    const char* control;
    const char* key;
    const char* caption;
};

// In the order they are shown, read and written; each defaults to "0".
const ClosingOption kOptions[4] = {
    {"chkHS_UnCheckBillByPeriodSaleFP", "UnCheckBillByPeriodSaleFP",
     "结账不检查已进行对等核销的分期收款销售发票单据"},
    {"chkHS_UnCheckBillByRedSaleFP", "UnCheckBillByRedSaleFP",
     "结账不检查红字分期收款销售发票单据"},
    {"chkHS_UnCheckBillByPrevPurchanceFP", "UnCheckBillByPrevPurchanceFP",
     "结账不检查往期采购发票单据"},
    {"chkHS_UnCheckBillByPrevSaleFP", "UnCheckBillByPrevSaleFP", "结账不检查往期销售发票单据"},
};

QString U(const char* s) {
    return QString::fromUtf8(s);
}

void showError(const std::exception& error) {
    if (const auto* host = dynamic_cast<const HostError*>(&error)) {
        env().dialogService().ShowError(*host, {});
    } else {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmICSystemProfiles"),
                      QString::fromLocal8Bit(error.what())),
            {});
    }
}

}  // namespace

frmICSystemProfiles::frmICSystemProfiles(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmICSystemProfiles"));
    setWindowTitle(QStringLiteral("系统参数"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(QStringLiteral("结账检查参数"), this);
    frame->setObjectName(QStringLiteral("framSet"));
    auto* column = new QVBoxLayout(frame);
    for (int i = 0; i < 4; ++i) {
        boxes_[i] = new QCheckBox(U(kOptions[i].caption), frame);
        boxes_[i]->setObjectName(U(kOptions[i].control));
        column->addWidget(boxes_[i]);
        connect(boxes_[i], &QCheckBox::stateChanged, this, [this] { SetChanged(true); });
    }
    layout->addWidget(frame);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* b = new QPushButton(U(caption), this);
        b->setObjectName(U(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    btnSave_ = button("btnSave", "保存修改");
    btnOK_ = button("btnOK", "确定");
    btnClose_ = button("btnClose", "关闭");
    layout->addLayout(buttons);
    btnSave_->setEnabled(false);
    btnOK_->setEnabled(false);
    connect(btnSave_, &QPushButton::clicked, this, [this] { btnSave_Click(); });
    connect(btnOK_, &QPushButton::clicked, this, [this] { btnOK_Click(); });
    connect(btnClose_, &QPushButton::clicked, this, [this] { btnClose_Click(); });

    // Every key reaches the help first, whichever control has the focus.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    try {
        RegisterHelpWindow(kTopic, qint32(winId()));
        env().dialogService().PrepareForm(this);
    } catch (const std::exception& e) {
        showError(e);
    }
    tag_.clear();
    firstActivate_ = true;
}

frmICSystemProfiles::~frmICSystemProfiles() {
    ResultTag = tag_;
}

void frmICSystemProfiles::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstActivate_) QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmICSystemProfiles::Form_Activate() {
    if (!firstActivate_) return;
    LoadProfiles();
    firstActivate_ = false;
    btnOK_->setEnabled(canModify_);
}

void frmICSystemProfiles::resetLedgerObjects() {
    profile_.reset();
    glData_.reset();
    glData_ = createObject<GLData>();
    profile_ = glData_->SystemProfile();
}

void frmICSystemProfiles::LoadProfiles() {
    loading_ = true;
    try {
        resetLedgerObjects();
        auto security = createService<SecurityInfo>();
        canModify_ = security->IsAdministrator(GetPropsString());
        if (!canModify_) {
            try {
                security->AccessCheck(GetPropsString(), 18, 0, 2097152, true,
                                      QStringLiteral("修改"));
                canModify_ = true;
            } catch (const std::exception&) {
                canModify_ = false;
            }
        }
        profile_->Refresh();
        for (int i = 0; i < 4; ++i) {
            const bool on = store::readFlag(*profile_, kCategory, U(kOptions[i].key));
            boxes_[i]->setCheckState(on ? Qt::Checked : Qt::Unchecked);
            boxes_[i]->setEnabled(canModify_);
        }
        // This product variant closes without these checks.
        if (GetAppInfo().appType == 1) {
            for (QCheckBox* box : boxes_) {
                box->setVisible(false);
                box->setCheckState(Qt::Unchecked);
            }
        }
    } catch (const std::exception& e) {
        showError(e);
    }
    loading_ = false;
    SetChanged(false);
}

void frmICSystemProfiles::SetChanged(bool changed) {
    if (loading_ && changed) return;
    changed_ = changed;
    btnSave_->setEnabled(canModify_ && changed_);
}

bool frmICSystemProfiles::SaveProfiles() {
    try {
        QCoreApplication::processEvents();
        auto writer = createService<BaseSystemProfile>();
        for (int i = 0; i < 4; ++i) {
            store::writeValue(*writer, kCategory, U(kOptions[i].key),
                              QVariant::fromValue(store::encodeFlag(boxes_[i]->checkState())));
        }
        resetLedgerObjects();
        SetChanged(false);
        // A save of the main dialog may still hold the function lock: these
        // parameters are stored, so let it go.
        MNetControl::CommitTask(MNetControl::LockHandle());
        return true;
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
}

void frmICSystemProfiles::btnSave_Click() {
    if (SaveProfiles()) LoadProfiles();
}

void frmICSystemProfiles::btnOK_Click() {
    if (changed_ && !SaveProfiles()) return;
    unload();
}

void frmICSystemProfiles::btnClose_Click() {
    if (changed_ && canModify_) {
        const MsgResult answer =
            env().messageBox(QStringLiteral("退出前是否保存修改?"), MsgButtons::YesNo,
                             MsgIcon::Question, kTitle, this);
        if (answer == MsgResult::Yes) {
            if (SaveProfiles()) unload();
        } else {
            SetChanged(false);
            unload();
        }
        return;
    }
    unload();
}

void frmICSystemProfiles::unload() {
    done(QDialog::Rejected);
}

void frmICSystemProfiles::done(int result) {
    ResultTag = tag_;
    QDialog::done(result);
}

bool frmICSystemProfiles::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    qint16 code = key->key() == Qt::Key_F1 ? 112 : qint16(key->key() & 0x7fff);
    try {
        return ShowHelpKey(code, kTopic);
    } catch (const std::exception& e) {
        showError(e);
        return true;
    }
}

}  // namespace zx::closing
