#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QPushButton;

namespace zx::host {
class GLData;
class SystemProfile;
}  // namespace zx::host

namespace zx::closing {

// The closing options of inventory costing: which kinds of invoices the
// period-end closing may leave unchecked. Reads and writes its four
// parameters itself, with its own change tracking, rights and buttons.
class frmICSystemProfiles : public QDialog {
    Q_OBJECT

public:
    // Receives the dialog's tag text when it unloads.
    QString ResultTag;

    explicit frmICSystemProfiles(QWidget* parent = nullptr);
    ~frmICSystemProfiles() override;

    // The first activation loads the values (scripts and tests call it
    // directly instead of showing the dialog).
    void Form_Activate();

    bool IsChanged() const { return changed_; }
    bool CanModify() const { return canModify_; }

    void btnSave_Click();
    void btnOK_Click();
    void btnClose_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void LoadProfiles();
    bool SaveProfiles();
    void SetChanged(bool changed);
    void resetLedgerObjects();
    void unload();

    QCheckBox* boxes_[4] = {};
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QString tag_;
    bool loading_ = false;
    bool changed_ = false;
    bool canModify_ = false;
    bool firstActivate_ = true;
    std::shared_ptr<host::GLData> glData_;
    std::shared_ptr<host::SystemProfile> profile_;
};

}  // namespace zx::closing
