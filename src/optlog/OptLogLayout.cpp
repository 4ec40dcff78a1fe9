// The change-log viewer's layout: remembered window size and column widths,
// the report font size, default widths and the layout on resize. All sizes
// here are twips; see frmOptLog.h for how they become pixels.

#include <QFontMetricsF>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QTableView>
#include <cmath>

#include "zx/optlog/OptLogModel.h"
#include "zx/optlog/frmOptLog.h"
#include "zx/session/Session.h"
#include "zx/store/Store.h"

namespace zx::optlog {

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kListLeft = 20;    // the grid's margin left and right
constexpr double kExitRight = 90;   // gap right of 退出
constexpr double kRowPadding = 80;  // added to the text height of a row
constexpr double kFontMin = 9;
constexpr double kFontMax = 18;
constexpr double kFontDefault = 9;

const QString kFontFamily = QStringLiteral("宋体");
const QString kFormWidth = QStringLiteral("FormWidth");
const QString kFormHeight = QStringLiteral("FormHeight");
const QString kGridColWidth = QStringLiteral("GridColWidth");

// Default widths in units of the width of "字".
constexpr int kDefaultUnits[OptLogModel::kColumns] = {3, 0, 10, 5, 0, 0, 40, 15, 15, 10, 8};
constexpr int kDescription = 6;  // the column of long texts
constexpr int kOldValue = 7;
constexpr int kNewValue = 8;

}  // namespace

double frmOptLog::twipsPerPixel() const {
    const int dpi = logicalDpiX();
    return kTwipsPerInch / (dpi > 0 ? dpi : 96);
}

int frmOptLog::toPixels(double twips) const {
    return int(std::lround(twips / twipsPerPixel()));
}

double frmOptLog::toTwips(int pixels) const {
    return pixels * twipsPerPixel();
}

// "宋体" where it is installed, else the dialog's own (CJK) font: the grid
// and the width unit use the same one.
QFont frmOptLog::listFont(double pointSize) const {
    QFont font = fpList_->font();
    font.setFamilies(QStringList{kFontFamily} + font.families());
    font.setPointSizeF(pointSize > 0 ? pointSize : kFontDefault);
    return font;
}

// ----- Window size ---------------------------------------------------------

void frmOptLog::RestoreWindowSize() {
    // A stored size outside [minimum, screen] is ignored: the designed size stays.
    const QScreen* scr = screen();
    const QSize screenSize = scr ? scr->geometry().size() : QSize();
    const double w =
        Val(GetUserProfileValue(kComponent, kForm, kFormWidth, store::numberText(toTwips(width())))
                .toString());
    if (w >= kMinWidth && w <= toTwips(screenSize.width())) resize(toPixels(w), height());
    const double h = Val(
        GetUserProfileValue(kComponent, kForm, kFormHeight, store::numberText(toTwips(height())))
            .toString());
    if (h >= kMinHeight && h <= toTwips(screenSize.height())) resize(width(), toPixels(h));
}

void frmOptLog::SaveWindowSize() {
    // A maximized or minimized viewer keeps the size saved before.
    if (isMinimized() || isMaximized()) return;
    SetUserProfileValue(kComponent, kForm, kFormWidth, store::numberText(toTwips(width())));
    SetUserProfileValue(kComponent, kForm, kFormHeight, store::numberText(toTwips(height())));
}

// ----- Font ----------------------------------------------------------------

void frmOptLog::ApplyFontSize() {
    const double size = GetUserSetting(GetUserID(), QStringLiteral("RptFontSize"), kFontDefault);
    if (!(size >= kFontMin && size <= kFontMax)) return;  // the designed fonts stay

    picCtrl_->setFont(listFont(size));
    fpList_->setFont(listFont(size));

    const double rowTwips =
        QFontMetricsF(picCtrl_->font()).height() * twipsPerPixel() + kRowPadding;
    fpList_->verticalHeader()->setDefaultSectionSize(toPixels(rowTwips));
    fpList_->horizontalHeader()->setFixedHeight(toPixels(rowTwips * 1.5));
}

// ----- Column widths -------------------------------------------------------

double frmOptLog::colWidth(int column) const {
    if (fpList_->isColumnHidden(column)) return 0;
    return toTwips(fpList_->horizontalHeader()->sectionSize(column));
}

void frmOptLog::setColWidth(int column, double twips) {
    if (column < 0 || column >= OptLogModel::kColumns || fpList_->isColumnHidden(column)) return;
    const bool outer = sizing_;
    sizing_ = true;
    fpList_->horizontalHeader()->resizeSection(column, std::max(0, toPixels(twips)));
    sizing_ = outer;
}

void frmOptLog::SetDefaultColWidths() {
    // The unit is the width of "字" at the grid's font size, in whole twips,
    // measured in the font the grid shows. In "宋体" a "字" is two digits
    // wide; a font whose digits are wider counts them, so that a time still
    // fits its ten units.
    picCtrl_->setFont(listFont(fpList_->font().pointSizeF()));
    const QFontMetricsF metrics(fpList_->font());
    const double glyph = std::max(metrics.horizontalAdvance(QStringLiteral("字")),
                                  2 * metrics.horizontalAdvance(QStringLiteral("0")));
    const double unit = store::roundToInt32(glyph * twipsPerPixel());
    for (int c = 0; c < OptLogModel::kColumns; ++c) setColWidth(c, kDefaultUnits[c] * unit);
    defaultWidths_ = true;
    fitColWidths();
}

// The description gives way so that the old and new values after it show
// without scrolling; the machine and its address may run on to the right on
// a small screen.
void frmOptLog::fitColWidths() {
    if (!defaultWidths_ || model_->rowCount() == 0) return;
    const QFontMetrics cells(fpList_->font());
    const QHeaderView* header = fpList_->horizontalHeader();
    // What a cell adds to its text: the delegate's margins and a little air.
    const int pad = 2 * (fpList_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) +
                    cells.horizontalAdvance(QLatin1Char('0'));
    const int room = fpList_->width() - 2 * fpList_->frameWidth() -
                     fpList_->verticalScrollBar()->sizeHint().width();
    const int rowHeight = std::max(1, fpList_->verticalHeader()->defaultSectionSize());
    const int rows = std::min(model_->rowCount(), fpList_->height() / rowHeight + 1);
    int px[OptLogModel::kColumns] = {};
    int before = 0;  // what the shown columns up to the new value take, but the description
    for (int c = 0; c < OptLogModel::kColumns; ++c) {
        if (fpList_->isColumnHidden(c)) continue;
        px[c] = header->sectionSizeHint(c);
        for (int r = 0; r < rows; ++r) {
            px[c] = std::max(px[c], cells.horizontalAdvance(model_->text(r, c)) + pad);
        }
        if (c == kOldValue || c == kNewValue) px[c] = std::min(px[c], std::max(room / 4, pad));
        if (c != kDescription && c <= kNewValue) before += px[c];
    }
    px[kDescription] =
        std::max(std::min(px[kDescription], room - before), header->sectionSizeHint(kDescription));
    for (int c = 0; c < OptLogModel::kColumns; ++c) setColWidth(c, toTwips(px[c]));
    defaultWidths_ = true;
}

void frmOptLog::RestoreColWidths() {
    const QString text =
        GetUserProfileValue(kComponent, kForm, kGridColWidth, QString()).toString();
    if (text.isEmpty()) {
        SetDefaultColWidths();
        return;
    }
    // Entries by name, in any order and letter case; a missing one gives 0.
    defaultWidths_ = false;
    for (int c = 0; c < OptLogModel::kColumns; ++c) {
        if (fpList_->isColumnHidden(c)) continue;
        setColWidth(c, Val(GetConnectValue(text, OptLogModel::columnName(c), QStringLiteral(";"))));
    }
    bool anyData = false;
    for (int c = 1; c < OptLogModel::kColumns; ++c) anyData = anyData || colWidth(c) > 0;
    if (!anyData) SetDefaultColWidths();
}

QString frmOptLog::ColWidthText() const {
    QStringList entries;
    for (int c = 0; c < OptLogModel::kColumns; ++c) {
        entries << OptLogModel::columnName(c) + QStringLiteral("= ") +
                       store::numberText(colWidth(c));
    }
    return entries.join(QLatin1Char(';'));
}

void frmOptLog::SaveColWidths() {
    SetUserProfileValue(kComponent, kForm, kGridColWidth, ColWidthText());
}

// ----- Layout --------------------------------------------------------------

void frmOptLog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutControls();
}

void frmOptLog::layoutControls() {
    try {
        if (isMinimized()) return;
        // The minimum size also holds the window manager back; this catches
        // a size set past it.
        if (width() < toPixels(kMinWidth)) {
            resize(toPixels(kMinWidth), height());
            return;
        }
        if (height() < toPixels(kMinHeight)) {
            resize(width(), toPixels(kMinHeight));
            return;
        }
        picFilter_->setGeometry(0, 0, width(), picFilter_->height());
        picCtrl_->setGeometry(0, height() - picCtrl_->height(), width() - 2 * picCtrl_->x(),
                              picCtrl_->height());
        const int left = toPixels(kListLeft);
        const int top = picFilter_->y() + picFilter_->height();
        fpList_->setGeometry(left, top, width() - 2 * left, std::max(0, picCtrl_->y() - top));
        layoutButtons();
    } catch (const std::exception& e) {
        // A layout that fails leaves the controls where they were.
        qWarning("change-log viewer layout: %s", e.what());
    }
}

void frmOptLog::layoutButtons() {
    // 退出 keeps to the right edge; 设置默认列宽 keeps its designed place.
    cmdExit_->move(picCtrl_->width() - cmdExit_->width() - toPixels(kExitRight), cmdExit_->y());
}

}  // namespace zx::optlog
