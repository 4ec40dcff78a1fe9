// Accounting periods: the period set-up, the year tree, the period grid, the
// start boxes of the ledger and their bounds, the ledger start and the guard
// of the write-off switch.

#include "PeriodsPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>

#include "zx/frame/IntText3D.h"
#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/params/Business.h"
#include "zx/params/Ledger.h"
#include "zx/profiles/Faces.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {

using frame::IntText3D;
using namespace params::periods;
namespace business = params::business;
namespace cashier = params::cashier;

constexpr int kMaxYearsInTree = 50;
const int kKeyRole = Qt::UserRole + 1;

QString L(const char* s) {
    return QString::fromLatin1(s);
}

QString nodeKey(const QTreeWidgetItem* node) {
    return node->data(0, kKeyRole).toString();
}

// Width units of the period grid are characters of its font.
int gridUnits(const QWidget* grid, int units) {
    return grid->fontMetrics().horizontalAdvance(QLatin1Char('0')) * units + 8;
}

// The three small pictures of the year tree: the root, a closed year and the
// open year. Drawn, so the tree costs no image decoding.
QIcon treeIcon(const char* key) {
    QPixmap closed(16, 16);
    closed.fill(Qt::transparent);
    QPainter p(&closed);
    const bool root = qstrcmp(key, "All") == 0;
    p.setPen(QColor(0x8a, 0x6d, 0x1f));
    p.setBrush(root ? QColor(0x6a, 0x9f, 0xd8) : QColor(0xf2, 0xc9, 0x4c));
    p.drawRect(1, 4, 13, 10);
    p.drawRect(1, 2, 6, 2);
    p.end();
    QIcon icon(closed);
    if (root) return icon;
    QPixmap open = closed;
    QPainter q(&open);
    q.setPen(QColor(0x8a, 0x6d, 0x1f));
    q.setBrush(QColor(0xfb, 0xe3, 0x8e));
    q.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
    q.end();
    icon.addPixmap(open, QIcon::Selected);
    return icon;
}

QString shown(qint32 v) {
    return v == 0 ? QString() : QString::number(v);
}

// A start period as shown: empty where none is set.
QString unsetShown(const QString& stored) {
    const QString text = stored.trimmed();
    return text == QLatin1String("0") || text == QLatin1String("-1") ? QString() : stored;
}

// The start period takes digits and editing keys only; Enter is dropped too.
class StartPeriodKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() != 1) return false;  // keys that type no character
        const QChar c = typed.at(0);
        if (c >= u'0' && c <= u'9') return false;
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
        return !(control && c != u'\r');
    }
};

}  // namespace

PeriodsPage::PeriodsPage(Shared& shared) : Page(shared) {}

void PeriodsPage::connectReactions() {
    QObject::connect(get<QAbstractButton>(ui::cmdSetPeriod), &QAbstractButton::clicked, &s.dialog,
                     [this] { s.dialog.attempt([this] { cmdSetPeriod_Click(); }); });
    QObject::connect(get<QTreeWidget>(ui::tvwPeriod), &QTreeWidget::itemClicked, &s.dialog,
                     [this](QTreeWidgetItem* node) {
                         s.dialog.attempt([this, node] { ShowYearPeriods(node); });
                     });
    auto* box = get<IntText3D>(StartPeriod.control);
    auto* filter = new StartPeriodKeys(box);
    box->installEventFilter(filter);
    if (QLineEdit* edit = box->findChild<QLineEdit*>()) edit->installEventFilter(filter);
    for (const params::Param* p : {&StartPeriod, &cashier::StartPeriod, &business::StartPeriod}) {
        QObject::connect(get<IntText3D>(p->control), &IntText3D::textChanged, &s.dialog,
                         [this] { highlightUnsetStartPeriods(); });
    }
}

void PeriodsPage::loadStructure(SystemProfile& profile) {
    const qint32 count = profile.glgetperiodcount();
    s.c.setState(PeriodCount, {{count == 12 ? 0 : (count == 13 ? 1 : -1)}, {}});
    remember(PeriodCount, profile.GetSystemProfile(L("GL"), L("PeriodCount"), L("0")));
    enableByRule(PeriodCount, false);
}

void PeriodsPage::loadByMonth(SystemProfile& profile) {
    setTicked(PeriodByMonth, profile.GLGetPeriodByMonth());
    remember(PeriodByMonth, profile.GetSystemProfile(L("GL"), L("PeriodByMonth"), L("1")));
    enableByRule(PeriodByMonth, false);
}

// The start boxes show what is stored; an unset start year proposes this year.
void PeriodsPage::showStart(SystemProfile& profile) {
    const QString year = profile.Item(L("GL"), L("StartYear"));
    const QString period = profile.Item(L("GL"), L("StartPeriod"));
    get<IntText3D>(StartYear.control)
        ->setText(Val(year) != 0 ? year : QString::number(QDate::currentDate().year()));
    get<IntText3D>(StartPeriod.control)->setText(period);
    remember(StartYear, year);
    remember(StartPeriod, period);
    get<QLineEdit>(CurrentYear.control)->setText(shown(profile.GLGetCurrentYear()));
    get<QLineEdit>(CurrentPeriod.control)->setText(shown(profile.GLGetCurrentPeriod()));
    remember(CurrentYear, profile.GetSystemProfile(L("GL"), L("CurrentYear"), L("0")));
    remember(CurrentPeriod, profile.GetSystemProfile(L("GL"), L("CurrentPeriod"), L("0")));
}

void PeriodsPage::loadStart(SystemProfile& profile) {
    showStart(profile);
    s.HasInitGLData = s.dialog.IsHasInitGLData();
    enableByRule(StartYear, !s.LedgerStarted);
    enableByRule(StartPeriod, !s.InitBalancesClosed && !s.HasInitGLData);
    // The base currency is fixed with the ledger's start.
    for (const params::Control* c : {&ui::txtCyNumber, &ui::txtCyName, &ui::txtCyScale}) {
        QWidget* w = s.c.widget(*c);
        w->setEnabled(!s.LedgerStarted);
        w->setToolTip(s.LedgerStarted ? lockReason(StartYear) : QString());
    }
    s.c.widget(ui::cmdSetPeriod)->setEnabled(s.dialog.CanModify());
}

// A year or period not set shows one way everywhere: an empty box, whether
// the set holds 0, -1 or nothing.
void PeriodsPage::clearEmptyCurrent() {
    for (const params::Param* p :
         {&CurrentYear, &CurrentPeriod, &business::CurrentYear, &business::CurrentPeriod}) {
        auto* box = get<QLineEdit>(p->control);
        if (Val(box->text()) == 0) box->clear();
    }
    for (const params::Param* p : {&StartPeriod, &business::StartPeriod, &cashier::StartPeriod}) {
        auto* box = get<IntText3D>(p->control);
        box->setText(unsetShown(box->Text()));
    }
}

// The start year only moves forward, and no module starts before the ledger:
// limits of what may be typed, never of what is shown.
void PeriodsPage::applyStartBounds(SystemProfile& profile) {
    const double storedYear = Val(profile.Item(L("GL"), L("StartYear")));
    const qint32 minYear =
        storedYear != 0 ? store::roundToInt32(storedYear) : QDate::currentDate().year();
    get<IntText3D>(StartYear.control)->setMinimum(minYear);
    for (const params::Param* p : {&cashier::StartYear, &business::StartYear}) {
        get<IntText3D>(p->control)->setMinimum(minYear);
    }
    const qint32 periods = profile.glgetperiodcount();
    if (periods <= 0) return;
    for (const params::Param* p : {&StartPeriod, &cashier::StartPeriod, &business::StartPeriod}) {
        get<IntText3D>(p->control)->setMaximum(periods);
    }
}

// A start period not set yet stands out, so the user sees what a start
// still needs; the mark follows what is typed.
void PeriodsPage::highlightUnsetStartPeriods() {
    for (const params::Param* p : {&StartPeriod, &cashier::StartPeriod, &business::StartPeriod}) {
        auto* box = get<IntText3D>(p->control);
        const bool unset = box->Value() <= 0 && box->isEnabled();
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base,
                         unset ? QColor(0xff, 0xf6, 0xc8)
                               : box->style()->standardPalette().color(QPalette::Base));
        box->setPalette(palette);
        box->setProperty("unsetStart", unset);
        if (unset && box->toolTip().isEmpty()) {
            box->setToolTip(QStringLiteral("尚未设置启用期间：输入启用期间并保存后启用。"));
        }
    }
}

void PeriodsPage::formatGrid() {
    auto* grid = get<QTableWidget>(ui::pp);
    for (int c = 0; c < grid->columnCount(); ++c) grid->setColumnWidth(c, gridUnits(grid, 14));
    grid->setColumnWidth(0, gridUnits(grid, 15));
    // The period column numbers the rows; a row header would repeat it.
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A whole year of thirteen periods is seen without scrolling.
    const int row = grid->fontMetrics().height() + 6;
    grid->verticalHeader()->setDefaultSectionSize(row);
    const int height =
        grid->horizontalHeader()->sizeHint().height() + 13 * row + 2 * grid->frameWidth();
    grid->setMinimumHeight(height);
    get<QTreeWidget>(ui::tvwPeriod)->setMinimumHeight(height);
}

void PeriodsPage::FillPeriodTree() {
    auto* tree = get<QTreeWidget>(ui::tvwPeriod);
    const QString current = get<QLineEdit>(CurrentYear.control)->text();
    const bool hasCurrent = Val(current) > 2000;
    const qint64 firstYear =
        hasCurrent ? qint64(Val(current)) : qint64(Val(get<IntText3D>(StartYear.control)->Text()));
    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral(" SELECT distinct FYear  FROM t_perioddate where FYear>= ") +
        QString::number(firstYear) + QStringLiteral(" order by FYear"));

    tree->clear();
    auto* root = new QTreeWidgetItem(tree, QStringList{QStringLiteral("会计期间")});
    root->setData(0, kKeyRole, QStringLiteral("All"));
    root->setIcon(0, treeIcon("All"));
    // A year shows a closed folder, and an open one while it is selected.
    const QIcon yearIcon = treeIcon("Closed");
    int added = 0;
    if (rs) {
        for (rs->MoveFirst(); !rs->Eof() && added < kMaxYearsInTree; rs->MoveNext(), ++added) {
            const QString year = rs->Field(0).toString().trimmed();
            auto* node = new QTreeWidgetItem(root, QStringList{year});
            node->setData(0, kKeyRole, year + QLatin1Char('a'));
            node->setIcon(0, yearIcon);
        }
    }
    root->setExpanded(true);
    treeKey_.clear();
    formatGrid();

    const QString wanted =
        (hasCurrent ? current : get<IntText3D>(StartYear.control)->Text()) + u'a';
    if (!hasCurrent && added < 1) return;
    for (int i = 0; i < root->childCount(); ++i) {
        if (nodeKey(root->child(i)) != wanted) continue;
        tree->scrollToItem(root->child(i));
        tree->setCurrentItem(root->child(i));
        ShowYearPeriods(root->child(i));
        return;
    }
}

void PeriodsPage::ShowYearPeriods(QTreeWidgetItem* node) {
    if (!node) return;
    const QString key = nodeKey(node);
    if (key == treeKey_) return;
    treeKey_ = key;

    auto* tree = get<QTreeWidget>(ui::tvwPeriod);
    QTreeWidgetItem* root = tree->topLevelItemCount() ? tree->topLevelItem(0) : nullptr;
    if (!root || root->childCount() == 0) return;
    if (key.toUpper() == QLatin1String("ALL")) {
        tree->setCurrentItem(root->child(0));
        ShowYearPeriods(root->child(0));
        return;
    }
    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral("select fperiod ,convert(varchar(10),FStartDate,120)  from t_perioddate "
                       "where FYear='") +
        key.left(4) + QStringLiteral("'"));
    if (!rs || rs->RecordCount() == 0) return;

    auto* grid = get<QTableWidget>(ui::pp);
    grid->setRowCount(rs->RecordCount());
    int row = 0;
    for (rs->MoveFirst(); !rs->Eof() && row < grid->rowCount(); rs->MoveNext(), ++row) {
        grid->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        grid->setItem(row, 1, new QTableWidgetItem(rs->Field(1).toString()));
    }
}

void PeriodsPage::cmdSetPeriod_Click() {
    createObject<UpdatePeriodDate>()->WinShow(GetPropsString());
    // A started ledger's calendar is only viewed.
    if (s.LedgerStarted) return;

    auto profile = GetGLProfile();
    profile->Refresh();
    applyStartBounds(*profile);
    const QString storedYear = profile->Item(L("GL"), L("StartYear"));
    const qint32 year = store::roundToInt32(Val(storedYear));
    auto* startYear = get<IntText3D>(StartYear.control);
    startYear->setText(year != 0 ? storedYear : QString::number(QDate::currentDate().year()));
    enableByRule(StartYear, !s.LedgerStarted);
    get<IntText3D>(StartPeriod.control)
        ->setText(unsetShown(profile->Item(L("GL"), L("StartPeriod"))));
    enableByRule(StartPeriod, !s.InitBalancesClosed && !s.dialog.IsHasInitGLData());
    get<QLineEdit>(CurrentYear.control)->setText(shown(profile->GLGetCurrentYear()));
    get<QLineEdit>(CurrentPeriod.control)->setText(shown(profile->GLGetCurrentPeriod()));
    const qint32 wholeYear = store::roundToInt32(Val(startYear->Text()));
    for (const params::Param* p : {&business::StartYear, &cashier::StartYear}) {
        get<IntText3D>(p->control)->setValue(wholeYear);
    }
    setTicked(PeriodByMonth, profile->GLGetPeriodByMonth());
    const qint32 periods = profile->glgetperiodcount();
    s.c.setState(PeriodCount, {{periods == 12 ? 0 : (periods == 13 ? 1 : -1)}, {}});

    FillPeriodTree();
    createObject<SessionUserProfile>()->SetVoucherType(16394);
}

QString PeriodsPage::startYear() const {
    return get<IntText3D>(StartYear.control)->Text();
}
QString PeriodsPage::startPeriod() const {
    return get<IntText3D>(StartPeriod.control)->Text();
}
QString PeriodsPage::currentYear() const {
    return get<QLineEdit>(CurrentYear.control)->text();
}
QString PeriodsPage::currentPeriod() const {
    return get<QLineEdit>(CurrentPeriod.control)->text();
}
bool PeriodsPage::startYearOpen() const {
    return s.c.widget(StartYear.control)->isEnabled();
}
bool PeriodsPage::startPeriodChanged() const {
    return changed(StartPeriod);
}

}  // namespace zx::profiles
