#include "zx/profiles/frmSystemProfiles.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zx::profiles {

std::function<void(frmSystemProfiles&)> frmSystemProfiles::onShown;

frmSystemProfiles::frmSystemProfiles(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSystemProfiles"));
    setWindowTitle(QStringLiteral("系统参数"));

    auto* label = new QLabel(QStringLiteral("系统参数的各页正在建设中。"), this);
    label->setObjectName(QStringLiteral("lblPlaceholder"));
    auto* cmdClose = new QPushButton(QStringLiteral("关闭"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttons);

    // Load: the marker starts empty.
    tag_.clear();
}

frmSystemProfiles::~frmSystemProfiles() = default;

void frmSystemProfiles::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_ || !onShown) return;
    shownOnce_ = true;
    // Queued so that the hook runs inside the modal loop, not before it.
    QTimer::singleShot(0, this, [this] {
        if (onShown) onShown(*this);
    });
}

void frmSystemProfiles::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmSystemProfiles::Form_Unload() {
    ResultTag = tag_;
}

}  // namespace zx::profiles
