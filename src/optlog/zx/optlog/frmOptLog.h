#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <functional>

class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

namespace zx::optlog {

class OptLogModel;

// The parameter change-log viewer: the changes of a date range, newest first,
// in a grid whose window size and column widths are remembered per user.
//
// Units. The layout constants and every remembered size are twips (1/1440
// inch), so a profile means the same on any screen. Qt places widgets in
// device-independent pixels; twipsPerPixel() = 1440 / the widget's logical DPI
// (15 at 96 DPI) converts between the two, and every conversion goes through
// toPixels() / toTwips().
class frmOptLog : public QDialog {
    Q_OBJECT

public:
    explicit frmOptLog(QWidget* parent = nullptr);  // runs the form load
    ~frmOptLog() override;

    // Shows the viewer modally, without an owner; returns when it is closed.
    void ShowOptLog();

    // Called after each activation of a shown viewer (scripts, tests).
    static std::function<void(frmOptLog&)> onShown;

    // Activation: font size, stored column widths, then the query.
    void Form_Activate();
    // Lists the log rows of the chosen date range.
    void QueryLog();
    // The query text for the chosen range.
    QString QueryText() const;
    void cmdOk_Click() { QueryLog(); }
    void cmdSetDefColWidth_Click() { SetDefaultColWidths(); }
    void cmdExit_Click();

    // Layout and remembered values.
    void RestoreWindowSize();
    void SaveWindowSize();
    void ApplyFontSize();
    void RestoreColWidths();
    // The defaults: each column as wide as its header and the texts of the
    // rows on screen, the description giving way so that the values after it
    // show without scrolling; with no rows, the widths of the unit table.
    void SetDefaultColWidths();
    void SaveColWidths();
    // The column-width text of the current widths.
    QString ColWidthText() const;

    // Column widths in twips; a hidden column counts 0.
    double colWidth(int column) const;
    void setColWidth(int column, double twips);

    QTableView* grid() const { return fpList_; }
    OptLogModel* model() const { return model_; }
    QDate beginDate() const;
    QDate endDate() const;
    void setRange(const QDate& begin, const QDate& end);

    double twipsPerPixel() const;
    int toPixels(double twips) const;
    double toTwips(int pixels) const;

    // Smallest window, twips.
    static constexpr double kMinWidth = 5900;
    static constexpr double kMinHeight = 3000;

    // The names under which the profile keeps this form's values.
    static const QString kComponent;
    static const QString kForm;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void buildFace();
    void Form_Load();
    void Form_Unload();
    void layoutControls();
    void layoutButtons();
    void fitColWidths();
    QFont listFont(double pointSize) const;

    QWidget* picFilter_ = nullptr;
    QLabel* lblFrom_ = nullptr;
    QLabel* lblTo_ = nullptr;
    QLabel* lblEmpty_ = nullptr;  // "没有修改记录" over an empty grid
    QDateEdit* dtpBegin_ = nullptr;
    QDateEdit* dtpEnd_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QTableView* fpList_ = nullptr;
    QWidget* picCtrl_ = nullptr;
    QPushButton* cmdSetDefColWidth_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    OptLogModel* model_ = nullptr;
    bool unloaded_ = false;
    // The widths are the defaults, fitted again to each query's rows, until
    // the user sets one (or stored ones are restored).
    bool defaultWidths_ = true;
    bool sizing_ = false;  // the viewer itself sets widths
};

}  // namespace zx::optlog
