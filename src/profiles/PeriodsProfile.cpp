// Accounting periods on the period page: the period set-up, the year tree,
// the period grid, the bounds of the start boxes of the ledger, cashier and
// business modules, the ledger start and the guard of the write-off switch.

#include <QAbstractButton>
#include <QCheckBox>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>

#include "zx/host/Environment.h"
#include "zx/host/LedgerServices.h"
#include "zx/profiles/IntText3D.h"
#include "zx/profiles/frmSystemProfiles.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

using namespace zx::host;

namespace zx::profiles {

namespace {
constexpr int kMaxYearsInTree = 50;
const int kKeyRole = Qt::UserRole + 1;

QString nodeKey(const QTreeWidgetItem* node) {
    return node->data(0, kKeyRole).toString();
}

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
    const qint32 minYear =
        storedYear != 0 ? store::roundToInt32(storedYear) : QDate::currentDate().year();
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

namespace {

QString L(const char* s) {
    return QString::fromLatin1(s);
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

void frmSystemProfiles::connectPeriodHandlers() {
    if (auto* button = qobject_cast<QAbstractButton*>(controls_.value(L("cmdSetPeriod")))) {
        connect(button, &QAbstractButton::clicked, this,
                [this] { guard([this] { cmdSetPeriod_Click(); }); });
    }
    if (QWidget* box = controls_.value(L("txtStartPeriod"))) {
        auto* filter = new StartPeriodKeys(box);
        box->installEventFilter(filter);
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(box)) {
            if (QLineEdit* edit = spin->findChild<QLineEdit*>()) edit->installEventFilter(filter);
        }
    }
}

void frmSystemProfiles::cmdSetPeriod_Click() {
    createService<UpdatePeriodDate>()->WinShow(GetPropsString());
    // A started ledger's calendar is only viewed.
    if (LedgerStarted) return;

    auto profile = GetGLProfile();
    profile->Refresh();
    const QString storedYear = profile->Item(L("GL"), L("StartYear"));
    const qint32 year = store::roundToInt32(Val(storedYear));
    const qint32 thisYear = QDate::currentDate().year();

    auto* startYear = C<IntText3D>(L("txtStartYear"));
    auto* startPeriod = C<IntText3D>(L("txtStartPeriod"));
    startYear->setMinimum(year != 0 ? year : thisYear);
    const qint32 periods = profile->glgetperiodcount();
    for (const char* name : {"txtStartPeriod", "txtCnStartPeriod", "txtIC_StartPeriod"}) {
        C<IntText3D>(L(name))->setMaximum(periods);
    }
    for (const char* name : {"txtCnStartYear", "txtIC_StartYear"}) {
        C<IntText3D>(L(name))->setMinimum(startYear->Min());
    }
    startYear->setText(year != 0 ? storedYear : QString::number(thisYear));
    startYear->setEnabled(CanModify && !LedgerStarted);
    startPeriod->setText(profile->Item(L("GL"), L("StartPeriod")));
    startPeriod->setEnabled(CanModify && !InitBalancesClosed && !IsHasInitGLData());
    auto shown = [](qint32 v) { return v == 0 ? QString() : QString::number(v); };
    C<QLineEdit>(L("txtCurYear"))->setText(shown(profile->GLGetCurrentYear()));
    C<QLineEdit>(L("txtCurPeriod"))->setText(shown(profile->GLGetCurrentPeriod()));
    const qint32 wholeYear = store::roundToInt32(Val(startYear->Text()));
    for (const char* name : {"txtIC_StartYear", "txtCnStartYear"}) {
        C<IntText3D>(L(name))->setValue(wholeYear);
    }
    setCheckValue(C<QCheckBox>(L("chkPeriodByMonth")), profile->GLGetPeriodByMonth() ? 1 : 0);
    setOptionChecked(L("optPeriod12"), periods == 12);
    setOptionChecked(L("optPeriod13"), periods == 13);

    FillPeriodTree();
    auto* grid = C<QTableWidget>(L("pp"));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    createService<SessionUserProfile>()->SetVoucherType(16394);
}

bool frmSystemProfiles::CloseInit() {
    try {
        auto base = createService<BaseSystemProfile>();
        const QString props = GetPropsString();
        auto read = [&](const char* category, const char* key, const char* def) {
            const QString value = base->GetProfile(props, L(category), L(key));
            return value.isEmpty() ? L(def) : value;
        };
        auto& dialogs = env().dialogService();

        const qint16 periodCount = store::roundToInt16(Val(read("GL", "PeriodCount", "0")));
        if (periodCount != 12 && periodCount != 13) {
            dialogs.ShowMessage(QStringLiteral("会计期间未设置!"));
            return false;
        }
        auto* startYearBox = C<IntText3D>(L("txtStartYear"));
        auto* startPeriodBox = C<IntText3D>(L("txtStartPeriod"));
        const double typedPeriod = Val(startPeriodBox->Text());
        if (typedPeriod > 13 || typedPeriod < 0) {
            dialogs.ShowMessage(QStringLiteral("会计期间设置错误!"));
            return false;
        }
        const qint16 startYear = store::roundToInt16(Val(startYearBox->Text()));
        const qint32 startPeriod = store::roundToInt32(typedPeriod);
        const qint16 yearDifference = store::roundToInt16(Val(read("GL", "YearDifference", "0")));
        const QString periodDates = read("GL", "PeriodDates", "12");
        const qint16 periodByMonth = store::roundToInt16(Val(read("GL", "PeriodByMonth", "1")));
        if (startPeriod < 1 || startPeriod > periodCount) {
            dialogs.ShowMessage(QStringLiteral("启用会计期间不正确!"));
            return false;
        }

        setTag(QStringLiteral("OK"));
        auto* scale = C<IntText3D>(L("txtCyScale"));
        base->UpdateSMPrecision(props, store::roundToInt32(Val(scale->Text())));

        struct Write {
            const char* category;
            const char* key;
            QVariant value;
            bool flag;
        };
        auto writeAll = [&](std::initializer_list<Write> writes) {
            for (const Write& w : writes) {
                base->Setprofile(GetPropsString(), L(w.category), L(w.key), w.value, w.flag);
            }
        };
        writeAll({{"GL", "CurrentYear", startYear, true},
                  {"GL", "CurrentPeriod", startPeriod, true},
                  {"GL", "StartYear", startYear, true},
                  {"GL", "StartPeriod", startPeriod, true},
                  {"GL", "Closed", L("1"), true}});

        startYearBox->setEnabled(false);
        startPeriodBox->setEnabled(false);
        C<QLineEdit>(L("txtCurYear"))->setText(startYearBox->Text());
        C<QLineEdit>(L("txtCurPeriod"))->setText(startPeriodBox->Text());

        // Payroll and fixed assets start with the ledger, on its calendar.
        writeAll({{"PA", "CurrentYear", startYear, true},
                  {"PA", "CurrentPeriod", startPeriod, true},
                  {"PA", "StartYear", startYear, true},
                  {"PA", "StartPeriod", startPeriod, true},
                  {"FA", "YearDifference", yearDifference, true},
                  {"FA", "CheckBeforeClosed", L("0"), false},
                  {"FA", "StartYear", startYear, true},
                  {"FA", "StartPeriod", startPeriod, true},
                  {"FA", "PeriodCount", periodCount, true},
                  {"FA", "PeriodByMonth", periodByMonth, true},
                  {"FA", "PeriodDates", periodDates, true},
                  {"FA", "Closed", L("0"), false},
                  {"FA", "NoVoucher", L("0"), false},
                  {"FA", "FALinkedGL", L("1"), false},
                  {"FA", "NoDepr", L("0"), false},
                  {"FA", "WithoutDepr", L("0"), false},
                  {"FA", "CurrentYear", startYear, true},
                  {"FA", "CurrentPeriod", startPeriod, true},
                  {"FA", "StartDate", QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")),
                   false}});

        // The base currency is fixed from now on; its texts go in as typed.
        createService<AppConnection>()->Execute(
            QStringLiteral("Update t_Currency Set FName = ") +
            SqlQuote(C<QLineEdit>(L("txtCyName"))->text(), true, false) +
            QStringLiteral(", FNumber = ") +
            SqlQuote(C<QLineEdit>(L("txtCyNumber"))->text(), true, false) +
            QStringLiteral(", FScale=") + QString::number(scale->Value()) +
            QStringLiteral("  Where FCurrencyID =1"));
        return true;
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmSystemProfiles"),
                      QString::fromLocal8Bit(e.what())),
            {});
    }
    return false;
}

// Raises for a parameter the group controls; its error ends the save.
bool frmSystemProfiles::CheckTransCheckStartLevel() {
    auto rs = GetGLData()->getanyrecordset(
        QStringLiteral(" Select FReadonly, FLevel From t_SystemProfile  Where FCategory = 'GL' "
                       "and FKey = 'TransCheckStart'"));
    if (rs && rs->RecordCount() > 0) {
        rs->MoveFirst();
        QString level = rs->Field(QStringLiteral("FLevel")).toString();
        if (level.isEmpty()) level = L("2");
        if (level == QLatin1String("8")) {
            throw HostError(5, QStringLiteral("系统参数"),
                            QStringLiteral("集团控制参数【启用往来业务核销】不能修改！"));
        }
    }
    return true;
}

// The balances service decides whether write-off may be switched now.
bool frmSystemProfiles::ApplyTransCheckStart() {
    try {
        const qint32 oldFlag = store::roundToInt32(
            Val(GetGLProfile()->GetSystemProfile(L("GL"), L("TransCheckStart"), L("0"))));
        const qint32 newFlag = checkValue(C<QCheckBox>(L("chkTransCheckStart"))) == 1 ? 1 : 0;
        if (oldFlag == newFlag) return true;
        QVariantMap flags{{L("OldFlag"), oldFlag}, {L("NewFlag"), newFlag}, {L("SuccessFlag"), 0}};
        if (createService<InitializeBalance>()->SetInitTransCheck(GetPropsString(), flags)) {
            return true;
        }
        switch (flags.value(L("SuccessFlag"), 0).toInt()) {
            case -1:
                env().dialogService().ShowMessage(
                    QStringLiteral("已经有业务数据进行了核销，不能取消已启用的往来业务核销。"));
                return false;
            case 0:
                env().dialogService().ShowMessage(
                    QStringLiteral("不能改变初始化数据，‘启用往来业务核销’不能改变。"));
                return false;
            default:
                return true;
        }
    } catch (const std::exception& e) {
        env().dialogService().ShowMessage(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

}  // namespace zx::profiles
