#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "zx/host/HostError.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zx::store {
class ChangeLog;
}

namespace zx::profiles {

class IntText3D;

// The system parameter dialog: nine tabbed pages of company, period, ledger,
// cashier, business, fixed-asset, payroll and manufacturing parameters.
// Member routines are spread over one source per page group.
class frmSystemProfiles : public QDialog {
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

    // The completion marker ("OK" once a module start-up was completed).
    QString Tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Called once the first activation has filled the pages (scripts, tests).
    static std::function<void(frmSystemProfiles&)> onShown;

    // Dialog state.
    bool IsChanged = false;
    bool Loading = false;
    bool IsFirstActivate = true;
    bool CanModify = false;
    qint32 NoDeprAtStart = 0;
    bool EarnAcctChanged = false;
    bool EarnAssignAcctChanged = false;
    QString AutoInvoiceSnapshot;
    bool LedgerStarted = false;
    bool InitBalancesClosed = false;
    bool PublicSectorBooks = false;
    qint32 CompanyTypeValue = 1;
    QString OrigTaxType;

    store::ChangeLog& changeLog() { return *changeLog_; }

    // Shell
    void SetChanged(bool changed);
    void btnOK_Click();
    void btnSave_Click();
    void btnClose_Click();
    void cmdOptHistory_Click();
    void Form_Activate();
    void AuditAutoInvoice();
    void TakeAutoInvoiceSnapshot();

    // Page loads and saves
    void LoadProfiles();  // general and ledger load, then the other pages
    bool SaveProfiles();
    bool CheckCompanyName();
    void ApplyCaptions();
    void FillBusinessLists();
    void FillPeriodTree();
    void ShowYearPeriods(QTreeWidgetItem* node);
    void ApplyStartBounds();
    // Period page and ledger start (PeriodsProfile.cpp).
    void cmdSetPeriod_Click();
    bool CheckTransCheckStartLevel();  // raises for a group-controlled write-off switch
    bool ApplyTransCheckStart();
    void HighlightUnsetStartPeriods();
    void LoadEarnAccounts();
    bool ValidateEarnAcct();
    // Profit accounts (ProfitAccountsProfile.cpp).
    bool ValidateEarnAssignAcct();
    bool HasItemClasses(const QString& number);
    void btnEarnAcct_Click();
    void btnEarnAssignAcct_Click();
    void LoadFixedAssets();
    void LoadCashier();
    void LoadPayroll();
    void LoadBusiness();
    // Page saves called by SaveProfiles, in its order.
    bool SavePayroll();
    bool SaveFixedAssets();
    bool SaveCashier();
    bool SaveBusiness();

    // Fixed assets, payroll and cashier (FixedAssetsProfile.cpp, PayrollProfile.cpp,
    // CashierProfile.cpp).
    bool CheckPayrollSave();      // before SavePayroll: the payroll service can be made
    bool CashierStarted = false;  // CN "CN_INIT_DONE" is 1
    // -1, 0 or 1 as (y1, p1) lies before, at or after (y2, p2).
    static int ComparePeriods(qint32 y1, qint32 p1, qint32 y2, qint32 p2);

    // Business start-up and control interlocks (BusinessStartProfile.cpp).
    bool BusinessStarted = false;     // IC "CurrentYear" is not 0
    bool ReTickVoucherCheck = false;  // the approval guard is ticking its box again
    void connectBusinessHandlers();
    void ShowBusinessStartState(bool started);
    void ShowBusinessStartPeriodState();
    void ApplySecQtyIsMustState();
    void ApplyCheckItemButton();
    void ApplyNegativeStockBases();
    void ApplyBatchNoPreset(bool atLoad);
    void LoadMOQtyCheck(const std::function<QString()>& readStored);
    void FillAlertMOList(bool auditWording);
    bool BusinessStartUp();
    void cmdSetCheckItem_Click();

    // Controls by system name; raise when the name is unknown.
    QWidget* control(const QString& name);
    template <class T>
    T* C(const QString& name) {
        QWidget* w = control(name);
        auto* typed = qobject_cast<T*>(w);
        if (!typed) throw wrongKind(name);
        return typed;
    }
    bool hasControl(const QString& name) const { return controls_.contains(name); }
    QTabWidget* Stab() { return stab_; }

    // Check-box values as the pages store them: 0 unchecked, 1 checked, 2 greyed.
    static int checkValue(const QCheckBox* box);
    static void setCheckValue(QCheckBox* box, int value);
    // Option arrays "Name(i)": the selected index, or -1 for none.
    int optionIndex(const QString& array);
    void setOptionIndex(const QString& array, int index);
    // Clears an option button even when it is the checked member of its group.
    static void clearOption(QRadioButton* button);
    void setOptionChecked(const QString& name, bool on);
    void setCaption(const QString& name, const QString& text);
    // Pixels of a length the layout gives in twips (1/1440 inch at 96 dpi).
    static int twips(int value) { return value / 15; }

    // Runs a handler of a control; an error reaching it is shown, never
    // thrown through the event loop.
    void guard(const std::function<void()>& handler);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFace();
    void indexControls();
    void connectChangeHandlers();
    void showPage(int index);
    void connectPageHandlers();
    void connectProfitHandlers();
    void connectPeriodHandlers();
    zx::host::HostError wrongKind(const QString& name) const;

    QString tag_;
    std::unique_ptr<store::ChangeLog> changeLog_;
    QTabWidget* stab_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QHash<QString, QPointer<QWidget>> controls_;
    QString periodTreeKey_;  // the tree's remembered key
};

}  // namespace zx::profiles
