// Accounting periods on the period page: the year tree, the period grid and
// the bounds of the start boxes of the ledger, cashier and business modules.

#include <QDate>
#include <QHeaderView>
#include <QStyle>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include "zx/host/Environment.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {
constexpr int kMaxYearsInTree = 50;
const int kKeyRole = Qt::UserRole + 1;

QString nodeKey(const QTreeWidgetItem* node) { return node->data(0, kKeyRole).toString(); }

// Grid width units of the period grid are characters of the grid's font.
int gridUnits(const QWidget* grid, int units) {
    return grid->fontMetrics().horizontalAdvance(QLatin1Char('0')) * units + 8;
}
}  // namespace

void frmSystemProfiles::FillPeriodTree() {
    auto* tree = C<QTreeWidget>(QStringLiteral("tvwPeriod"));
    const double current = Val(C<QLineEdit>(QStringLiteral("txtCurYear"))->text());
    const bool hasCurrent = current > 2000;
    const qint64 firstYear =
        hasCurrent ? qint64(current)
                   : qint64(Val(C<IntText3D>(QStringLiteral("txtStartYear"))->Text()));

    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral(" SELECT distinct FYear  FROM t_perioddate where FYear>= ") +
        QString::number(firstYear) + QStringLiteral(" order by FYear"));

    tree->clear();
    auto* root = new QTreeWidgetItem(tree, QStringList{QStringLiteral("会计期间")});
    root->setData(0, kKeyRole, QStringLiteral("All"));
    root->setIcon(0, style()->standardIcon(QStyle::SP_DirHomeIcon));
    int added = 0;
    if (rs) {
        for (rs->MoveFirst(); !rs->Eof() && added < kMaxYearsInTree; rs->MoveNext(), ++added) {
            const QString year = rs->Field(0).toString().trimmed();
            auto* node = new QTreeWidgetItem(root, QStringList{year});
            node->setData(0, kKeyRole, year + QLatin1Char('a'));
            node->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
        }
    }
    root->setExpanded(true);
    periodTreeKey_.clear();

    QString wanted;
    if (!hasCurrent) {
        if (added >= 1) wanted = C<IntText3D>(QStringLiteral("txtStartYear"))->Text() + u'a';
    } else {
        wanted = C<QLineEdit>(QStringLiteral("txtCurYear"))->text() + u'a';
    }
    QTreeWidgetItem* chosen = nullptr;
    for (int i = 0; i < root->childCount(); ++i) {
        if (nodeKey(root->child(i)) == wanted) chosen = root->child(i);
    }

    auto* grid = C<QTableWidget>(QStringLiteral("pp"));
    for (int c = 0; c < grid->columnCount(); ++c) grid->setColumnWidth(c, gridUnits(grid, 14));
    // The first column numbers the periods; a second row header would repeat it.
    grid->verticalHeader()->hide();
    grid->setColumnWidth(0, gridUnits(grid, 15) / 2);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    if (chosen) {
        tree->scrollToItem(chosen);
        tree->setCurrentItem(chosen);
        ShowYearPeriods(chosen);
    }
}

void frmSystemProfiles::ShowYearPeriods(QTreeWidgetItem* node) {
    if (!node) return;
    const QString key = nodeKey(node);
    if (key == periodTreeKey_) return;
    periodTreeKey_ = key;

    auto* tree = C<QTreeWidget>(QStringLiteral("tvwPeriod"));
    QTreeWidgetItem* root = tree->topLevelItemCount() ? tree->topLevelItem(0) : nullptr;
    if (!root || root->childCount() == 0) return;
    if (key.toUpper() == QLatin1String("ALL")) {
        QTreeWidgetItem* first = root->child(0);
        tree->setCurrentItem(first);
        ShowYearPeriods(first);
        return;
    }
    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral("select fperiod ,convert(varchar(10),FStartDate,120)  from t_perioddate "
                       "where FYear='") +
        key.left(4) + QStringLiteral("'"));
    if (!rs || rs->RecordCount() == 0) return;

    auto* grid = C<QTableWidget>(QStringLiteral("pp"));
    grid->setRowCount(rs->RecordCount());
    int row = 0;
    for (rs->MoveFirst(); !rs->Eof() && row < grid->rowCount(); rs->MoveNext(), ++row) {
        grid->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        grid->setItem(row, 1, new QTableWidgetItem(rs->Field(1).toString()));
    }
}

// The start year only moves forward, and no module starts before the ledger.
void frmSystemProfiles::ApplyStartBounds() {
    auto profile = GetGLProfile();
    const double storedYear = Val(profile->Item(QStringLiteral("GL"), QStringLiteral("StartYear")));
    auto* startYear = C<IntText3D>(QStringLiteral("txtStartYear"));
    const qint32 minYear = storedYear != 0 ? store::roundToInt32(storedYear)
                                           : QDate::currentDate().year();
    startYear->setMinimum(minYear);
    const qint32 periods = profile->glgetperiodcount();
    for (const char* name : {"txtStartPeriod", "txtCnStartPeriod", "txtIC_StartPeriod"}) {
        if (hasControl(QString::fromLatin1(name)) && periods > 0) {
            C<IntText3D>(QString::fromLatin1(name))->setMaximum(periods);
        }
    }
    for (const char* name : {"txtCnStartYear", "txtIC_StartYear"}) {
        if (hasControl(QString::fromLatin1(name))) {
            C<IntText3D>(QString::fromLatin1(name))->setMinimum(minYear);
        }
    }
}

// A start period that is not set yet stands out, so the user sees what the
// start-up still needs.
void frmSystemProfiles::HighlightUnsetStartPeriods() {
    for (const char* name : {"txtStartPeriod", "txtCnStartPeriod", "txtIC_StartPeriod"}) {
        if (!hasControl(QString::fromLatin1(name))) continue;
        auto* box = C<IntText3D>(QString::fromLatin1(name));
        box->setStyleSheet(box->Value() <= 0 && box->isEnabled()
                               ? QStringLiteral("QSpinBox { background: #fff6c8; }")
                               : QString());
    }
}

}  // namespace zx::profiles

namespace zx::profiles {

// The ledger start comes with the save.
bool frmSystemProfiles::CloseInit() { return false; }

}  // namespace zx::profiles
