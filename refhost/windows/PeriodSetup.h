#pragma once

// The host's period set-up window and the period calendar it builds.

#include <QDate>
#include <QDialog>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QDateEdit;
class QGroupBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace refhost {

class Database;
class RefHost;

inline constexpr int kMaxCalendarYears = 50;

// The rule of a period calendar.
//
// Every accounting year lasts one calendar year from its first day. The first
// day of the first accounting year is 1 January of that year (the natural
// year) or a chosen date at most one year away from it; later years begin on
// the same day of the month, one year after another.
//
// A year of 12 periods runs in months: period p starts p - 1 months after the
// year's first day (a day that a month lacks becomes that month's last day).
// A year of 13 periods has twelve periods of four weeks and a 13th period
// that runs to the end of the year (29 or 30 days).
struct PeriodCalendar {
    int periodCount = 12;             // 12 or 13
    std::optional<QDate> firstStart;  // nullopt: the natural year
    int firstYear = 0;                // the first accounting year
    int years = 1;                    // how many years, 1 to kMaxCalendarYears

    // The first day of an accounting year.
    QDate startOf(int year) const;
    // GL "PeriodByMonth": the periods are the months of the natural year.
    bool periodsAreMonths() const;
    // GL "YearDifference": the accounting year minus the calendar year of its first day.
    int yearDifference() const;
};

struct CalendarPeriod {
    int year = 0;
    int period = 0;
    QDate start;
    QDate end;  // the day before the next period starts
};

// Raises zx::host::HostError with a message for the user when the rule
// cannot be built.
void validateCalendar(const PeriodCalendar& calendar);

// Every period of the calendar, year by year. Validates first.
QList<CalendarPeriod> calendarPeriods(const PeriodCalendar& calendar);

// GL "PeriodDates": the period count alone for a natural-year calendar ("12",
// "13"), else the count and the first day of the first accounting year,
// "12,2023-10-01". The stored default "12" thus reads as the twelve months of
// the natural year.
QString periodDatesText(const PeriodCalendar& calendar);

// Reads that form back: the count and the first day (nullopt for the natural
// year). Returns false for a text of another form.
bool readPeriodDates(const QString& text, int& periodCount, std::optional<QDate>& firstStart);

// The calendar as the account set holds it: count and first day from the GL
// parameters, first year and number of years from t_perioddate. Without
// stored periods: twelve months of the natural year, from the current year, 5 years.
PeriodCalendar storedCalendar(Database& db);

// True while the ledger is started (GL "Closed" is 1): its calendar stays.
bool ledgerStarted(Database& db);

// Replaces the calendar in one transaction: every row of t_perioddate
// (FYear, FPeriod, FStartDate, FEndDate) and GL "PeriodCount",
// "PeriodByMonth", "PeriodDates", "YearDifference". Raises
// zx::host::HostError, changing nothing, for an invalid rule or a started ledger.
void buildPeriodCalendar(Database& db, const PeriodCalendar& calendar);

// The period set-up window. 确定 builds the calendar entered; a refusal is
// shown as a message and the window stays open with the entries. For a
// started ledger the window only shows the calendar.
class PeriodSetupWindow : public QDialog {
    Q_OBJECT

public:
    explicit PeriodSetupWindow(RefHost& host, QWidget* parent = nullptr);

    // Called once the window is on screen. In a headless host the window does
    // not wait for a user: the hook fills it and presses 确定 or 取消 (or runs
    // exec() itself); a window still open after the hook counts as cancelled.
    // Without a hook a headless host does not open the window at all.
    static std::function<void(PeriodSetupWindow&)> onShown;

    // The calendar as entered.
    PeriodCalendar calendar() const;
    void setCalendar(const PeriodCalendar& calendar);
    bool readOnly() const { return readOnly_; }

    void accept() override;

private:
    QGroupBox* buildCountBox();
    QGroupBox* buildYearBox();
    void buildPreview(QVBoxLayout* layout);
    QPushButton* buildButtons(QVBoxLayout* layout);
    void followEntries();
    void refresh();
    void showPreview();

    RefHost& host_;
    bool readOnly_ = false;
    QRadioButton* optCount12_ = nullptr;
    QRadioButton* optCount13_ = nullptr;
    QRadioButton* optNaturalYear_ = nullptr;
    QRadioButton* optStartDate_ = nullptr;
    QDateEdit* dtpStartDate_ = nullptr;
    QSpinBox* txtFirstYear_ = nullptr;
    QSpinBox* txtYears_ = nullptr;
    QTableWidget* grdPeriods_ = nullptr;
    QLabel* lblNote_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QComboBox* cmbShowYear_ = nullptr;  // which year of the calendar the list shows
    void fillShownYears();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Opens the window on the host's account set and waits for it (see
// PeriodSetupWindow::onShown for a headless host). True when a calendar was built.
bool showPeriodSetup(RefHost& host);

}  // namespace refhost
