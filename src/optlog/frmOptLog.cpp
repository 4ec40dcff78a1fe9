// The change-log viewer: form load, the query and its fill, show and unload.
// Sizes, fonts and column widths are in OptLogLayout.cpp.

#include "zx/optlog/frmOptLog.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include "zx/host/Environment.h"
#include "zx/optlog/OptLogModel.h"
#include "zx/session/Session.h"

using namespace zx::host;

namespace zx::optlog {

namespace {

constexpr int kGenericError = 5;

// Designed sizes, twips: wide enough that the time, the user, the
// description and both values show at the default column widths.
constexpr double kDesignWidth = 19200;
constexpr double kDesignHeight = 9000;
constexpr double kFilterHeight = 540;
constexpr double kCtrlHeight = 600;
constexpr double kButtonLeft = 120;
constexpr double kButtonTop = 90;

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kCrLf = QStringLiteral("\r\n");

// Every slot runs here, so no error crosses the event loop.
void guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const HostError& e) {
        env().dialogService().ShowError(e, {});
    } catch (const std::exception& e) {
        env().dialogService().ShowError(
            HostError(kGenericError, QStringLiteral("frmOptLog"), QString::fromLocal8Bit(e.what())),
            {});
    }
}

}  // namespace

const QString frmOptLog::kComponent = QStringLiteral("GLSystemSetting");
const QString frmOptLog::kForm = QStringLiteral("frmOptLog");
std::function<void(frmOptLog&)> frmOptLog::onShown;

frmOptLog::frmOptLog(QWidget* parent) : QDialog(parent) {
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("参数修改日志"));
    buildFace();
    Form_Load();
}

frmOptLog::~frmOptLog() = default;

void frmOptLog::buildFace() {
    picFilter_ = new QWidget(this);
    picFilter_->setObjectName(QStringLiteral("picFilter"));
    auto* filter = new QHBoxLayout(picFilter_);
    filter->setContentsMargins(toPixels(kButtonLeft), 0, toPixels(kButtonLeft), 0);
    lblFrom_ = new QLabel(QStringLiteral("操作时间：从"), picFilter_);
    lblFrom_->setObjectName(QStringLiteral("lblCaption(0)"));
    dtpBegin_ = new QDateEdit(picFilter_);
    dtpBegin_->setObjectName(QStringLiteral("dtpBegin"));
    lblTo_ = new QLabel(QStringLiteral("到:"), picFilter_);
    lblTo_->setObjectName(QStringLiteral("lblCaption(1)"));
    dtpEnd_ = new QDateEdit(picFilter_);
    dtpEnd_->setObjectName(QStringLiteral("dtpEnd"));
    cmdOk_ = new QPushButton(QStringLiteral("确定(&O)"), picFilter_);
    cmdOk_->setObjectName(QStringLiteral("cmdOk"));
    cmdOk_->setAutoDefault(false);
    for (QDateEdit* picker : {dtpBegin_, dtpEnd_}) picker->setCalendarPopup(true);
    filter->addWidget(lblFrom_);
    filter->addWidget(dtpBegin_);
    filter->addWidget(lblTo_);
    filter->addWidget(dtpEnd_);
    filter->addWidget(cmdOk_);
    filter->addStretch(1);

    model_ = new OptLogModel(this);
    fpList_ = new QTableView(this);
    fpList_->setObjectName(QStringLiteral("fpList"));
    fpList_->setModel(model_);

    picCtrl_ = new QWidget(this);
    picCtrl_->setObjectName(QStringLiteral("picCtrl"));
    cmdSetDefColWidth_ = new QPushButton(QStringLiteral("设置默认列宽(&D)"), picCtrl_);
    cmdSetDefColWidth_->setObjectName(QStringLiteral("cmdSetDefColWidth"));
    cmdExit_ = new QPushButton(QStringLiteral("退出(&X)"), picCtrl_);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    for (QPushButton* b : {cmdSetDefColWidth_, cmdExit_}) {
        b->setAutoDefault(false);
        b->resize(b->sizeHint());
    }
    cmdSetDefColWidth_->move(toPixels(kButtonLeft), toPixels(kButtonTop));
    cmdExit_->move(0, toPixels(kButtonTop));

    picFilter_->resize(toPixels(kDesignWidth), toPixels(kFilterHeight));
    picCtrl_->resize(toPixels(kDesignWidth), toPixels(kCtrlHeight));
    setMinimumSize(toPixels(kMinWidth), toPixels(kMinHeight));
    // Never wider or taller than the screen has room for.
    const QScreen* scr = screen();
    const QSize room = scr ? scr->availableGeometry().size() - QSize(8, 40) : QSize(1016, 728);
    resize(std::min(toPixels(kDesignWidth), room.width()),
           std::min(toPixels(kDesignHeight), room.height()));

    // An empty range says so instead of showing an empty grid.
    lblEmpty_ = new QLabel(QStringLiteral("没有修改记录"), fpList_->viewport());
    lblEmpty_->setObjectName(QStringLiteral("lblEmpty"));
    lblEmpty_->setAlignment(Qt::AlignCenter);
    lblEmpty_->hide();

    connect(cmdOk_, &QPushButton::clicked, this, [this] { guarded([this] { cmdOk_Click(); }); });
    connect(cmdSetDefColWidth_, &QPushButton::clicked, this,
            [this] { guarded([this] { cmdSetDefColWidth_Click(); }); });
    connect(cmdExit_, &QPushButton::clicked, this,
            [this] { guarded([this] { cmdExit_Click(); }); });
}

void frmOptLog::Form_Load() {
    // The host's icon and font, before anything measures text.
    guarded([this] { env().dialogService().PrepareForm(this); });

    // The grid: ten data columns after the sequence number, no rows yet.
    fpList_->verticalHeader()->hide();
    // Every row has the same height: the view never measures rows one by one.
    fpList_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fpList_->verticalHeader()->setMinimumSectionSize(1);
    fpList_->horizontalHeader()->setMinimumSectionSize(0);
    fpList_->horizontalHeader()->setHighlightSections(false);
    fpList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fpList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fpList_->setWordWrap(false);
    // A width the user sets wins over the fitted defaults from then on.
    connect(fpList_->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!sizing_) defaultWidths_ = false;
    });
    model_->clear();
    for (int column : {1, 4, 5}) fpList_->setColumnHidden(column, true);
    SetDefaultColWidths();

    // The range: the last three calendar months up to the server's today.
    for (QDateEdit* picker : {dtpBegin_, dtpEnd_}) picker->setDisplayFormat(kDateFormat);
    QDate today = QDate::fromString(GetServerTime(QStringLiteral("yyyy-mm-dd")), kDateFormat);
    if (!today.isValid()) today = QDate::currentDate();  // the server did not answer
    dtpEnd_->setDate(today);
    dtpBegin_->setDate(today.addMonths(-3));

    guarded([this] { RestoreWindowSize(); });
    layoutControls();
}

void frmOptLog::ShowOptLog() {
    setParent(nullptr);
    setWindowModality(Qt::ApplicationModal);
    exec();
}

void frmOptLog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    unloaded_ = false;
    // Activation comes once the window is on screen. Switching to another
    // application and back does not count: the user's column widths and the
    // listed rows stay as they are.
    QTimer::singleShot(0, this, [this] {
        guarded([this] { Form_Activate(); });
        if (onShown) onShown(*this);
    });
}

void frmOptLog::Form_Activate() {
    ApplyFontSize();
    RestoreColWidths();
    QueryLog();
}

QDate frmOptLog::beginDate() const {
    return dtpBegin_->date();
}

QDate frmOptLog::endDate() const {
    return dtpEnd_->date();
}

void frmOptLog::setRange(const QDate& begin, const QDate& end) {
    dtpBegin_->setDate(begin);
    dtpEnd_->setDate(end);
}

QString frmOptLog::QueryText() const {
    // The upper bound is exclusive and lies on the next day, so the whole end
    // day is listed whatever time of day its rows carry.
    return QStringLiteral(
               "Select A.FID,A.FOptTime,B.FName As FUser,A.FCategory,A.FKey,A.FDesc,"
               "A.FOrigValue,A.FNewValue,A.FMachineName,A.FIpAddress") +
           kCrLf + QStringLiteral("From t_SystemProfile_Log A") + kCrLf +
           QStringLiteral("Left Join t_User B On A.FUserID=B.FUserID") + kCrLf +
           QStringLiteral("Where A.FOptTime>=") +
           SqlText(beginDate().toString(kDateFormat), true, true, true) +
           QStringLiteral(" And A.FOptTime<'") + endDate().addDays(1).toString(kDateFormat) +
           QStringLiteral("'") + kCrLf + QStringLiteral("Order By A.FID Desc");
}

void frmOptLog::QueryLog() {
    model_->clear();
    lblEmpty_->hide();
    // A failed query has shown its message already; the grid stays empty.
    const RecordSetPtr records = GetRecordset(QueryText(), QString(), true);
    if (!records) return;
    // The grid gets the record count's rows at once; each row is read from
    // the record set when it is first shown.
    model_->setRecords(records);
    fitColWidths();
    if (model_->rowCount() == 0) {
        lblEmpty_->resize(fpList_->viewport()->size());
        lblEmpty_->show();
    }
}

void frmOptLog::cmdExit_Click() {
    close();
}

void frmOptLog::closeEvent(QCloseEvent* event) {
    // A viewer that was never shown is closed without passing through done().
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmOptLog::done(int result) {
    // Escape, the window's close box and 退出 all end here.
    Form_Unload();
    QDialog::done(result);
}

void frmOptLog::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    guarded([this] { SaveColWidths(); });
    guarded([this] { SaveWindowSize(); });
}

}  // namespace zx::optlog
