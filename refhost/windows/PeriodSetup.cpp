#include "windows/PeriodSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "services/ProfileSnapshot.h"
#include "services/ProfileStore.h"
#include "services/RefHost.h"
#include "sql/Database.h"
#include "zx/host/HostError.h"

namespace refhost {

namespace {

using zx::host::HostError;
using zx::host::kGenericError;

const QString kSource = QStringLiteral("UpdatePeriodDate");
const QString kGL = QStringLiteral("GL");
const QString kDateForm = QStringLiteral("yyyy-MM-dd");
// t_perioddate keeps dates as the host writes every date-time.
const QString kStoredDateForm = QStringLiteral("yyyy-MM-dd 00:00:00");

constexpr int kFirstValidYear = 1901;
constexpr int kLastValidYear = 9999;
constexpr int kDaysPerFourWeeks = 28;
constexpr int kDefaultYears = 5;

[[noreturn]] void refuse(const QString& message) {
    throw HostError(kGenericError, kSource, message);
}

qint32 storedNumber(Database& db, const QString& key) {
    const double value = leadingNumber(readProfile(db, kGL, key).value_or(QString()));
    return std::isfinite(value) && std::fabs(value) < 1e9 ? qint32(std::lround(value)) : 0;
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

}  // namespace

// ----- The calendar -------------------------------------------------------------

QDate PeriodCalendar::startOf(int year) const {
    if (!firstStart) return QDate(year, 1, 1);
    return firstStart->addYears(year - firstYear);
}

bool PeriodCalendar::periodsAreMonths() const {
    return periodCount == 12 && startOf(firstYear) == QDate(firstYear, 1, 1);
}

int PeriodCalendar::yearDifference() const {
    return firstStart ? firstYear - firstStart->year() : 0;
}

void validateCalendar(const PeriodCalendar& calendar) {
    if (calendar.periodCount != 12 && calendar.periodCount != 13) {
        refuse(QStringLiteral("每年的会计期间数只能是12或13。"));
    }
    if (calendar.years < 1 || calendar.years > kMaxCalendarYears) {
        refuse(QStringLiteral("生成的会计年度数必须在1到%1之间。").arg(kMaxCalendarYears));
    }
    if (calendar.firstYear < kFirstValidYear ||
        calendar.firstYear + calendar.years > kLastValidYear) {
        refuse(QStringLiteral("会计年度必须在%1年到%2年之间。")
                   .arg(kFirstValidYear)
                   .arg(kLastValidYear - 1));
    }
    if (calendar.firstStart) {
        if (!calendar.firstStart->isValid()) {
            refuse(QStringLiteral("第一期的开始日期不是有效的日期。"));
        }
        if (std::abs(calendar.yearDifference()) > 1) {
            refuse(QStringLiteral("第一期的开始日期(%1)与第一个会计年度(%2)相差超过一年。")
                       .arg(calendar.firstStart->toString(kDateForm))
                       .arg(calendar.firstYear));
        }
    }
}

QList<CalendarPeriod> calendarPeriods(const PeriodCalendar& calendar) {
    validateCalendar(calendar);
    QList<CalendarPeriod> out;
    out.reserve(calendar.years * calendar.periodCount);
    for (int year = calendar.firstYear; year < calendar.firstYear + calendar.years; ++year) {
        const QDate first = calendar.startOf(year);
        const QDate next = calendar.startOf(year + 1);
        for (int period = 1; period <= calendar.periodCount; ++period) {
            // Each start is counted from the year's first day, so a short month
            // shortens one period only.
            const QDate start = calendar.periodCount == 12
                                    ? first.addMonths(period - 1)
                                    : first.addDays(qint64(kDaysPerFourWeeks) * (period - 1));
            if (!out.isEmpty() && out.last().year == year) out.last().end = start.addDays(-1);
            out.append({year, period, start, next.addDays(-1)});
        }
    }
    return out;
}

QString periodDatesText(const PeriodCalendar& calendar) {
    const QDate first = calendar.startOf(calendar.firstYear);
    if (first == QDate(calendar.firstYear, 1, 1)) return QString::number(calendar.periodCount);
    return QString::number(calendar.periodCount) + QLatin1Char(',') + first.toString(kDateForm);
}

bool readPeriodDates(const QString& text, int& periodCount, std::optional<QDate>& firstStart) {
    const QStringList parts = text.trimmed().split(QLatin1Char(','));
    if (parts.size() > 2) return false;
    bool ok = false;
    const int count = parts.at(0).trimmed().toInt(&ok);
    if (!ok || (count != 12 && count != 13)) return false;
    std::optional<QDate> start;
    if (parts.size() == 2) {
        const QDate date = QDate::fromString(parts.at(1).trimmed(), kDateForm);
        if (!date.isValid()) return false;
        start = date;
    }
    periodCount = count;
    firstStart = start;
    return true;
}

PeriodCalendar storedCalendar(Database& db) {
    PeriodCalendar calendar;
    const qint32 count = storedNumber(db, QStringLiteral("PeriodCount"));
    calendar.periodCount = count == 13 ? 13 : 12;

    int ignoredCount = 0;
    std::optional<QDate> start;
    const bool known = readPeriodDates(
        readProfile(db, kGL, QStringLiteral("PeriodDates")).value_or(QStringLiteral("12")),
        ignoredCount, start);
    // The year the stored first day belongs to.
    const int startYear =
        known && start ? start->year() + storedNumber(db, QStringLiteral("YearDifference")) : 0;

    const auto rows =
        db.nativeQuery(QStringLiteral("SELECT MIN(FYear), MAX(FYear), COUNT(*) FROM t_perioddate"));
    rows->MoveFirst();
    if (rows->Field(2).toInt() > 0) {
        calendar.firstYear = rows->Field(0).toInt();
        calendar.years =
            std::clamp(rows->Field(1).toInt() - calendar.firstYear + 1, 1, kMaxCalendarYears);
    } else {
        calendar.firstYear = startYear > 0 ? startYear : QDate::currentDate().year();
        calendar.years = kDefaultYears;
    }
    // Later years begin on the same day, so the first stored year's day follows.
    if (known && start) calendar.firstStart = start->addYears(calendar.firstYear - startYear);
    return calendar;
}

bool ledgerStarted(Database& db) {
    return storedNumber(db, QStringLiteral("Closed")) == 1;
}

void buildPeriodCalendar(Database& db, const PeriodCalendar& calendar) {
    const QList<CalendarPeriod> periods = calendarPeriods(calendar);
    db.transaction([&] {
        // Vouchers and balances are counted in the periods of a started
        // ledger: its calendar can no longer move.
        if (ledgerStarted(db)) refuse(QStringLiteral("账务系统已经启用, 不能重新设置会计期间。"));
        db.nativeExec(QStringLiteral("DELETE FROM t_perioddate"));
        for (const CalendarPeriod& p : periods) {
            db.nativeExec(QStringLiteral("INSERT INTO t_perioddate (FYear, FPeriod, FStartDate, "
                                         "FEndDate) VALUES (?, ?, ?, ?)"),
                          {p.year, p.period, p.start.toString(kStoredDateForm),
                           p.end.toString(kStoredDateForm)});
        }
        upsertProfile(db, kGL, QStringLiteral("PeriodCount"), QString::number(calendar.periodCount),
                      false);
        upsertProfile(db, kGL, QStringLiteral("PeriodByMonth"),
                      calendar.periodsAreMonths() ? QStringLiteral("1") : QStringLiteral("0"),
                      false);
        upsertProfile(db, kGL, QStringLiteral("PeriodDates"), periodDatesText(calendar), false);
        upsertProfile(db, kGL, QStringLiteral("YearDifference"),
                      QString::number(calendar.yearDifference()), false);
    });
}

// ----- The window ---------------------------------------------------------------

std::function<void(PeriodSetupWindow&)> PeriodSetupWindow::onShown;

PeriodSetupWindow::PeriodSetupWindow(RefHost& host, QWidget* parent)
    : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("frmPeriodSetup"));
    setWindowTitle(QStringLiteral("会计期间设置"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildCountBox());
    layout->addWidget(buildYearBox());
    buildPreview(layout);
    QPushButton* cmdCancel = buildButtons(layout);

    readOnly_ = ledgerStarted(host_.db());
    if (readOnly_) cmdCancel->setText(QStringLiteral("关闭"));
    setCalendar(storedCalendar(host_.db()));
    followEntries();
    fillShownYears();
    resize(480, 620);
}

QGroupBox* PeriodSetupWindow::buildCountBox() {
    auto* countBox = new QGroupBox(QStringLiteral("每年会计期间数"), this);
    countBox->setObjectName(QStringLiteral("fraPeriodCount"));
    optCount12_ = new QRadioButton(QStringLiteral("12个会计期间(按月)"), countBox);
    optCount12_->setObjectName(QStringLiteral("optCount12"));
    optCount13_ = new QRadioButton(QStringLiteral("13个会计期间(每期四周)"), countBox);
    optCount13_->setObjectName(QStringLiteral("optCount13"));
    auto* countLayout = new QHBoxLayout(countBox);
    countLayout->addWidget(optCount12_);
    countLayout->addWidget(optCount13_);
    return countBox;
}

QGroupBox* PeriodSetupWindow::buildYearBox() {
    auto* yearBox = new QGroupBox(QStringLiteral("会计年度"), this);
    yearBox->setObjectName(QStringLiteral("fraYear"));
    optNaturalYear_ = new QRadioButton(QStringLiteral("自然年度(1月1日开始)"), yearBox);
    optNaturalYear_->setObjectName(QStringLiteral("optNaturalYear"));
    optStartDate_ = new QRadioButton(QStringLiteral("第一期开始日期："), yearBox);
    optStartDate_->setObjectName(QStringLiteral("optStartDate"));
    dtpStartDate_ = new QDateEdit(yearBox);
    dtpStartDate_->setObjectName(QStringLiteral("dtpStartDate"));
    dtpStartDate_->setDisplayFormat(kDateForm);
    dtpStartDate_->setCalendarPopup(true);
    dtpStartDate_->setDateRange(QDate(kFirstValidYear - 1, 1, 1), QDate(kLastValidYear, 12, 31));
    txtFirstYear_ = new QSpinBox(yearBox);
    txtFirstYear_->setObjectName(QStringLiteral("txtFirstYear"));
    txtFirstYear_->setRange(kFirstValidYear, kLastValidYear - 1);
    txtYears_ = new QSpinBox(yearBox);
    txtYears_->setObjectName(QStringLiteral("txtYears"));
    txtYears_->setRange(1, kMaxCalendarYears);
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(optStartDate_);
    startRow->addWidget(dtpStartDate_, 1);
    auto* yearLayout = new QFormLayout(yearBox);
    yearLayout->addRow(optNaturalYear_);
    yearLayout->addRow(startRow);
    auto* lblFirstYear = new QLabel(QStringLiteral("第一个会计年度："), yearBox);
    lblFirstYear->setObjectName(QStringLiteral("lblFirstYear"));
    auto* lblYears = new QLabel(QStringLiteral("生成的年度数："), yearBox);
    lblYears->setObjectName(QStringLiteral("lblYears"));
    yearLayout->addRow(lblFirstYear, txtFirstYear_);
    yearLayout->addRow(lblYears, txtYears_);
    return yearBox;
}

// The year to look at, the periods it would get and the note below them.
void PeriodSetupWindow::buildPreview(QVBoxLayout* layout) {
    grdPeriods_ = new QTableWidget(0, 3, this);
    grdPeriods_->setObjectName(QStringLiteral("grdPeriods"));
    grdPeriods_->setHorizontalHeaderLabels(
        {QStringLiteral("期间"), QStringLiteral("开始日期"), QStringLiteral("结束日期")});
    grdPeriods_->verticalHeader()->hide();
    grdPeriods_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPeriods_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grdPeriods_->setMinimumHeight(grdPeriods_->verticalHeader()->defaultSectionSize() * 14);

    // Every year of the calendar can be looked at, not only the first.
    auto* showRow = new QHBoxLayout;
    auto* lblShowYear = new QLabel(QStringLiteral("查看年度："), this);
    lblShowYear->setObjectName(QStringLiteral("lblShowYear"));
    cmbShowYear_ = new QComboBox(this);
    cmbShowYear_->setObjectName(QStringLiteral("cmbShowYear"));
    showRow->addWidget(lblShowYear);
    showRow->addWidget(cmbShowYear_);
    showRow->addStretch(1);

    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);

    layout->addLayout(showRow);
    layout->addWidget(grdPeriods_, 1);
    layout->addWidget(lblNote_);
}

// 确定 and 取消; returns 取消, which reads 关闭 when the window only shows.
QPushButton* PeriodSetupWindow::buildButtons(QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("picButtons"));
    cmdOK_ = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    auto* cmdCancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PeriodSetupWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PeriodSetupWindow::reject);
    layout->addWidget(buttons);
    return cmdCancel;
}

// The preview follows every entry; connected once the stored calendar is shown.
void PeriodSetupWindow::followEntries() {
    for (QRadioButton* option : {optCount12_, optCount13_, optNaturalYear_, optStartDate_}) {
        connect(option, &QRadioButton::toggled, this, [this] { refresh(); });
    }
    connect(dtpStartDate_, &QDateEdit::dateChanged, this, [this] { showPreview(); });
    connect(txtFirstYear_, &QSpinBox::valueChanged, this, [this] { fillShownYears(); });
    connect(txtYears_, &QSpinBox::valueChanged, this, [this] { fillShownYears(); });
    connect(cmbShowYear_, &QComboBox::currentIndexChanged, this, [this] { showPreview(); });
    // A number box or list the user is not working in leaves the wheel alone.
    for (QWidget* w :
         std::initializer_list<QWidget*>{txtFirstYear_, txtYears_, dtpStartDate_, cmbShowYear_}) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->installEventFilter(this);
    }
}

bool PeriodSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
        event->ignore();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The years the list can show: those stored for a started ledger, else
// those the entries would build.
void PeriodSetupWindow::fillShownYears() {
    const QString wanted = cmbShowYear_->currentText();
    const QSignalBlocker quiet(cmbShowYear_);
    cmbShowYear_->clear();
    if (readOnly_) {
        const auto rows = host_.db().nativeQuery(
            QStringLiteral("SELECT DISTINCT FYear FROM t_perioddate ORDER BY FYear"));
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            cmbShowYear_->addItem(rows->Field(0).toString());
        }
    } else {
        for (int y = txtFirstYear_->value(); y < txtFirstYear_->value() + txtYears_->value(); ++y) {
            cmbShowYear_->addItem(QString::number(y));
        }
    }
    const int index = cmbShowYear_->findText(wanted);
    cmbShowYear_->setCurrentIndex(index >= 0 ? index : 0);
    showPreview();
}

PeriodCalendar PeriodSetupWindow::calendar() const {
    PeriodCalendar out;
    out.periodCount = optCount13_->isChecked() ? 13 : 12;
    if (optStartDate_->isChecked()) out.firstStart = dtpStartDate_->date();
    out.firstYear = txtFirstYear_->value();
    out.years = txtYears_->value();
    return out;
}

void PeriodSetupWindow::setCalendar(const PeriodCalendar& calendar) {
    (calendar.periodCount == 13 ? optCount13_ : optCount12_)->setChecked(true);
    (calendar.firstStart ? optStartDate_ : optNaturalYear_)->setChecked(true);
    dtpStartDate_->setDate(calendar.firstStart.value_or(QDate(calendar.firstYear, 1, 1)));
    txtFirstYear_->setValue(calendar.firstYear);
    txtYears_->setValue(calendar.years);
    refresh();
}

void PeriodSetupWindow::refresh() {
    for (QWidget* input : std::initializer_list<QWidget*>{
             optCount12_, optCount13_, optNaturalYear_, optStartDate_, txtFirstYear_, txtYears_}) {
        input->setEnabled(!readOnly_);
    }
    dtpStartDate_->setEnabled(!readOnly_ && optStartDate_->isChecked());
    cmdOK_->setEnabled(!readOnly_);
    showPreview();
}

// The periods of the year chosen: as stored for a started ledger, else as
// the entries would build them.
void PeriodSetupWindow::showPreview() {
    if (!cmbShowYear_) return;
    const int year = cmbShowYear_->currentText().toInt();
    QList<CalendarPeriod> periods;
    QString note;
    if (readOnly_) {
        note = QStringLiteral("账务系统已经启用, 会计期间只能查看, 不能修改。");
        const auto rows = host_.db().nativeQuery(
            QStringLiteral("SELECT FPeriod, FStartDate, FEndDate FROM t_perioddate "
                           "WHERE FYear = ? ORDER BY FPeriod"),
            {year});
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            periods.append({year, rows->Field(0).toInt(),
                            QDate::fromString(rows->Field(1).toString().left(10), kDateForm),
                            QDate::fromString(rows->Field(2).toString().left(10), kDateForm)});
        }
    } else {
        try {
            for (const CalendarPeriod& p : calendarPeriods(calendar())) {
                if (p.year == year) periods.append(p);
            }
        } catch (const HostError& error) {
            note = error.description();
        }
    }
    lblNote_->setText(note);
    lblNote_->setVisible(!note.isEmpty());
    grdPeriods_->setRowCount(int(periods.size()));
    for (int row = 0; row < periods.size(); ++row) {
        const CalendarPeriod& p = periods.at(row);
        grdPeriods_->setItem(row, 0, cell(QString::number(p.period)));
        grdPeriods_->setItem(row, 1, cell(p.start.toString(kDateForm)));
        grdPeriods_->setItem(row, 2, cell(p.end.toString(kDateForm)));
    }
}

void PeriodSetupWindow::accept() {
    if (readOnly_) {
        reject();  // nothing to build: the window only showed the calendar
        return;
    }
    try {
        buildPeriodCalendar(host_.db(), calendar());
    } catch (const HostError& error) {
        host_.ShowMessage(error.description());
        return;
    } catch (const std::exception& error) {
        host_.ShowMessage(QString::fromLocal8Bit(error.what()));
        return;
    }
    QDialog::accept();
}

bool showPeriodSetup(RefHost& host) {
    const auto hook = PeriodSetupWindow::onShown;
    if (host.headless() && !hook) return false;  // nobody could close it
    PeriodSetupWindow window(host, QApplication::activeModalWidget());
    host.PrepareForm(&window);
    if (host.headless()) {
        window.show();
        hook(window);
        if (window.isVisible()) window.reject();
        return window.result() == QDialog::Accepted;
    }
    if (hook) {
        QTimer::singleShot(0, &window, [&window, &host, hook] {
            try {
                hook(window);
            } catch (const HostError& error) {
                host.ShowError(error, {});
            } catch (const std::exception& error) {
                host.ShowMessage(QString::fromLocal8Bit(error.what()));
            }
        });
    }
    return window.exec() == QDialog::Accepted;
}

}  // namespace refhost
