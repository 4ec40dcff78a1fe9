#pragma once

#include <QString>
#include <memory>

#include "zx/frame/DialogFrame.h"
#include "zx/params/Baseline.h"

namespace zx::host {
class GLData;
class SystemProfile;
}  // namespace zx::host

namespace zx::closing {

// The closing options of inventory costing: which kinds of invoices the
// period-end closing may leave unchecked. Reads and writes its four
// parameters itself, on the same frame as the main dialog.
class frmICSystemProfiles : public frame::DialogFrame {
    Q_OBJECT

public:
    // Receives the dialog's tag text when it unloads.
    QString ResultTag;

    explicit frmICSystemProfiles(QWidget* parent = nullptr);
    ~frmICSystemProfiles() override;

protected:
    void loadValues() override;
    bool saveValues() override;
    void done(int result) override;

private:
    void resetLedgerObjects();

    params::Baseline baseline_;
    std::shared_ptr<host::GLData> glData_;
    std::shared_ptr<host::SystemProfile> profile_;
};

}  // namespace zx::closing
