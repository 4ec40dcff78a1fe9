#pragma once

// The rules between the pages of the parameter dialog, over plain values:
// when the ledger, the cashier and the business system may start and what
// stops them, the tax rate of a kind of taxpayer, and the write-off pair.

#include <QString>
#include <optional>

namespace zx::rules {

// Why an operation stopped short: the message shown (empty when the user
// declined a question), and where to take the user.
struct Refusal {
    QString message;
    int page = -1;    // page of the main tab set to show, -1 for none
    QString focus{};  // control to put the focus in, empty for none
};

// Pages of the main tab set the rules send the user to.
inline constexpr int kCompanyPage = 0;
inline constexpr int kPeriodPage = 1;
inline constexpr int kLedgerPage = 2;
inline constexpr int kCashierPage = 3;
inline constexpr int kBusinessBasePage = 4;

// ----- Ledger start ---------------------------------------------------------

struct LedgerStart {
    int appType = 0;
    bool hasInitData = false;         // the ledger holds initial data
    bool initClosed = false;          // initial balances are closed
    bool started = false;             // the ledger was started (at load or by this save)
    bool startPeriodChanged = false;  // the user changed the start period since the load
    QString startYear, startPeriod;   // the ledger start boxes as typed
    // The business start: its year box enabled (not yet started), its values.
    bool businessYearOpen = true;
    qint32 businessYear = 0;
    QString businessYearText, businessPeriod;
    // The cashier: its current period box as shown, its start.
    QString cashierCurrentPeriod;
    qint32 cashierYear = 0;
    QString cashierPeriod;
};

// Whether the save asks to start the ledger. Once started, only a changed
// start period of a ledger without initial data asks again.
bool ledgerStartDue(const LedgerStart& s);
// The question the save asks before starting the ledger.
QString ledgerStartQuestion(const LedgerStart& s);
// Application type 1 starts with the business system: without its start
// year and period the save stops here.
std::optional<Refusal> ledgerStartNeedsBusiness(const LedgerStart& s);
// After the user confirmed: a business system or cashier already started
// may not begin before the ledger. `hasVoucher` answers for the start period.
std::optional<Refusal> ledgerStartConflict(const LedgerStart& s,
                                           bool (*hasVoucher)(qint32 year, qint32 period));

// ----- Cashier start --------------------------------------------------------

struct CashierStart {
    bool open = false;                   // the start boxes are enabled (not started, may modify)
    QString ledgerYear, ledgerPeriod;    // the ledger's current year and period as shown
    QString currentYear, currentPeriod;  // the cashier's current period as shown
    QString startYear, startPeriod;      // the cashier start boxes as typed
    qint32 startYearValue = 0, startPeriodValue = 0;
};

enum class CashierStep {
    Options,  // no start: save the journal options
    Nothing,  // no start period: save nothing of the cashier page
    Ask,      // ask to start, then save the options
};
CashierStep cashierStartStep(const CashierStart& s);
std::optional<Refusal> cashierStartRefusal(const CashierStart& s);

// ----- Business start -------------------------------------------------------

struct BusinessStart {
    int appType = 0;
    bool periodOpen = false;           // the start period box is enabled
    QString period;                    // the start period as typed
    bool ledgerStartOpen = false;      // the ledger's start year box is still enabled
    QString ledgerYear, ledgerPeriod;  // the ledger's current year and period as shown
    qint32 year = 0;                   // the business start year
};

bool businessStartDue(const BusinessStart& s);
std::optional<Refusal> businessStartBlocked(const BusinessStart& s);
QString businessStartQuestion(int appType);
std::optional<Refusal> businessStartRefusal(const BusinessStart& s);

// ----- Small rules ----------------------------------------------------------

// The usual tax rate of a kind of taxpayer (0 general, 1 small-scale).
QString taxRateFor(int taxKind);

// The write-off switch and the business number that needs it: the state of
// the pair after the user set one of them.
struct WriteOff {
    bool enabled;   // 启用往来业务核销
    bool numbered;  // 往来业务必须录入业务编号
};
WriteOff afterWriteOffChange(WriteOff now, bool changedEnabled);

}  // namespace zx::rules
