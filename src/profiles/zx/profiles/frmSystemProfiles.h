#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "zx/frame/DialogFrame.h"
#include "zx/rules/Rules.h"

class QTabWidget;

namespace zx::store {
class ChangeLog;
}
namespace zx::params {
struct Param;
}

namespace zx::profiles {

struct Shared;
class GeneralPage;
class PeriodsPage;
class ProfitPage;
class AssetsPage;
class PayrollPage;
class CashierPage;
class BusinessPage;
class Finder;

// The system parameter dialog: nine tabbed pages of company, period, ledger,
// cashier, business, fixed-asset, payroll and manufacturing parameters, each
// page group a class of its own on the shared dialog frame.
class frmSystemProfiles : public frame::DialogFrame {
    Q_OBJECT

public:
    // Public members, in the order the host knows them.
    QString ResultTag;
    bool CloseInit();
    bool AllowSetStartYearPeriod();
    void GetMaxPeriod(qint32& lngYear, qint32& lngPeriod, bool blnIncludeNextPeriod = false);
    bool IsValidIDNew(const QString& strValue);
    bool IsHasInitGLData();

    explicit frmSystemProfiles(QWidget* parent = nullptr);
    ~frmSystemProfiles() override;

    // Called once the first activation has filled the pages (scripts, tests).
    static std::function<void(frmSystemProfiles&)> onShown;

    // The save of OK and Save: validates and writes every page; false when
    // it stopped (a refusal shown, a question declined, an error shown).
    bool SaveProfiles();

    // Routines of the pages the Parts name.
    bool ValidateEarnAcct();
    bool ValidateEarnAssignAcct();
    bool HasItemClasses(const QString& number);
    bool CheckTransCheckStartLevel();
    bool ApplyTransCheckStart();
    static int ComparePeriods(qint32 y1, qint32 p1, qint32 y2, qint32 p2);

    // Dialog state the Parts name, read only.
    bool LedgerStarted() const;
    bool InitBalancesClosed() const;
    bool PublicSectorBooks() const;
    bool BusinessStarted() const;
    bool CashierStarted() const;
    QString OrigTaxType() const;
    qint32 NoDeprAtStart() const;
    const store::ChangeLog& changeLog() const;
    QTabWidget* Stab() const { return stab_; }
    // The declared parameters the last load read, in its order, and the
    // stored text each was read as.
    QList<const params::Param*> parameters() const;
    QString loadedText(const params::Param& p) const;

protected:
    void loadValues() override;
    bool saveValues() override;
    void afterSave() override;
    void firstLoaded() override;
    QString savedNote() override;
    void showPage(int index) override;
    qint32 helpContext() const override;
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void formLoad();
    void applyCaptions();
    bool askLedgerStart(bool& start);
    bool ledgerStartStands();
    rules::LedgerStart ledgerStartFacts();
    bool writeValues();
    std::optional<rules::Refusal> unreadableNumber();
    bool checkConflicts();
    void rebase();
    void focusFirstField();
    void takeAutoInvoiceSnapshot();
    void auditAutoInvoice();

    std::unique_ptr<Shared> shared_;
    std::unique_ptr<GeneralPage> general_;
    std::unique_ptr<PeriodsPage> periods_;
    std::unique_ptr<ProfitPage> profit_;
    std::unique_ptr<AssetsPage> assets_;
    std::unique_ptr<PayrollPage> payroll_;
    std::unique_ptr<CashierPage> cashier_;
    std::unique_ptr<BusinessPage> business_;
    QTabWidget* stab_ = nullptr;
    Finder* finder_ = nullptr;
};

}  // namespace zx::profiles
