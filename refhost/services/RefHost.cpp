#include "RefHost.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSysInfo>
#include <QTextBrowser>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>

#include "PropsString.h"
#include "lock/LockServices.h"
#include "sql/Database.h"
#include "sql/Dialect.h"
#include "windows/HelpWindow.h"

using zx::host::HostError;
using zx::host::MsgButtons;
using zx::host::MsgIcon;
using zx::host::MsgResult;
using zx::host::ServicePtr;

namespace refhost {

namespace {

const QString kTitle = QStringLiteral("Zentrix提示");
const QString kCjkFamily = QStringLiteral("WenQuanYi Zen Hei");

// The answer a box gets when nobody can click it: the button that changes nothing.
MsgResult defaultAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::OkCancel:
            return MsgResult::Cancel;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::YesNoCancel:
            return MsgResult::Cancel;
    }
    return MsgResult::Ok;
}

QString answerText(MsgResult result) {
    switch (result) {
        case MsgResult::Ok:
            return QStringLiteral("确定");
        case MsgResult::Cancel:
            return QStringLiteral("取消");
        case MsgResult::Yes:
            return QStringLiteral("是");
        case MsgResult::No:
            return QStringLiteral("否");
    }
    return QString();
}

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgResult fromQt(int button, MsgButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        case QMessageBox::Cancel:
            return MsgResult::Cancel;
        default:
            return defaultAnswer(buttons);  // closed by Esc or the close box
    }
}

// A plain window icon drawn once, for installations without an icon file.
QIcon builtinIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1f, 0x6f, 0xb5));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("Z"));
    painter.end();
    return QIcon(pixmap);
}

// The page for a help file, topic and context: <help>/<file without .chm>/
// <topic>.<context>.html, else <topic>.html, matched without regard to case,
// else that folder's index.html.
QString helpPage(const QString& installDir, const QString& file, const QString& topic,
                 qint32 context) {
    QString base = QFileInfo(file).fileName();
    if (base.endsWith(QLatin1String(".chm"), Qt::CaseInsensitive)) base.chop(4);
    if (base.isEmpty()) return QString();
    QDir help(QDir(installDir).filePath(QStringLiteral("Help")));
    QString folder;
    for (const QString& entry : help.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.compare(base, Qt::CaseInsensitive) == 0) folder = entry;
    }
    if (folder.isEmpty()) return QString();
    QDir dir(help.filePath(folder));
    const QString inContext = QStringLiteral("%1.%2.html").arg(topic).arg(context);
    const QString wanted = topic + QStringLiteral(".html");
    QString general;
    QString index;
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (topic.isEmpty()) break;
        if (context != 0 && entry.compare(inContext, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) general = dir.filePath(entry);
    }
    if (!general.isEmpty()) return general;
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(QLatin1String("index.html"), Qt::CaseInsensitive) == 0) {
            index = dir.filePath(entry);
        }
    }
    return index;
}

}  // namespace

RefHost::RefHost(std::shared_ptr<Database> db, QString installDir)
    : db_(std::move(db)), installDir_(std::move(installDir)) {
    zx::host::setEnvironment(this);
    // While a lost server connection is made again the user waits.
    db_->setReconnectWatcher([](bool reconnecting) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
        if (reconnecting) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QGuiApplication::restoreOverrideCursor();
        }
    });
    // Every window of the host writes Chinese: its font is the process's,
    // so a form takes it when it is made rather than being re-fonted whole.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QFont font = QApplication::font();
        if (!font.families().contains(kCjkFamily)) {
            font.setFamilies({kCjkFamily});
            QApplication::setFont(font);
        }
    }
}

RefHost::~RefHost() {
    db_->setReconnectWatcher(nullptr);
    delete helpWindow_;
    if (pointer_ != zx::host::kPointerDefault) setMousePointer(zx::host::kPointerDefault);
    zx::host::setEnvironment(nullptr);
}

void RefHost::login(const QString& userName) {
    auto rows = db_->nativeQuery(
        QStringLiteral(
            "SELECT FUserID, FName, FAdministrator, FForbidden FROM t_User WHERE FName = ?"),
        {userName});
    if (!rows || rows->RecordCount() == 0) {
        throw HostError(zx::host::kGenericError, QStringLiteral("RefHost"),
                        QStringLiteral("用户不存在: %1").arg(userName));
    }
    if (rows->Field(QStringLiteral("FForbidden")).toInt() != 0) {
        throw HostError(zx::host::kGenericError, QStringLiteral("RefHost"),
                        QStringLiteral("用户已被禁用: %1").arg(userName));
    }
    user_.id = rows->Field(QStringLiteral("FUserID")).toInt();
    user_.name = rows->Field(QStringLiteral("FName")).toString();
    user_.administrator = rows->Field(QStringLiteral("FAdministrator")).toInt() != 0;
    acct_.reset();
}

void RefHost::loadAccountSet() const {
    if (acct_) return;
    // One account set per database file: its register row, if any.
    auto rows = db_->nativeQuery(
        QStringLiteral("SELECT FAcctID, FAcctName FROM t_ad_zxAccount_gl ORDER BY FAcctID"));
    if (rows && rows->RecordCount() > 0) {
        acct_ = std::make_pair(rows->Field(QStringLiteral("FAcctID")).toString(),
                               rows->Field(QStringLiteral("FAcctName")).toString());
    } else {
        acct_ = std::make_pair(QString(), QFileInfo(db_->location()).completeBaseName());
    }
}

QString RefHost::acctName() const {
    loadAccountSet();
    return acct_->second;
}

QString RefHost::acctId() const {
    loadAccountSet();
    return acct_->first;
}

QString RefHost::propsString() const {
    // A server's URL is no path: cleaning it would merge its "//".
    const QString source = db_->onServer() ? db_->location() : QDir::cleanPath(db_->location());
    const QString connect = QStringLiteral("Provider=%1;Data Source=%2")
                                .arg(db_->dialect().name(), PropsString::encodeSource(source));
    return PropsString::pair(QStringLiteral("ConnectString"), connect) +
           PropsString::pair(QStringLiteral("UserName"), user_.name) +
           PropsString::pair(QStringLiteral("UserID"), QString::number(user_.id)) +
           PropsString::pair(QStringLiteral("SubID"), acctId()) +
           PropsString::pair(QStringLiteral("AcctName"), acctName()) +
           QStringLiteral("Language=chs;") +
           PropsString::pair(QStringLiteral("DBMS Name"), db_->dialect().name());
}

bool RefHost::readOnly() const {
    return db_->readOnly() || !readOnlyReason_.isEmpty();
}

QString RefHost::readOnlyNotice() const {
    if (!readOnly()) return QString();
    return QStringLiteral("账套 %1 只能读取 (%2): 系统参数可以查看, 不能修改和保存。")
        .arg(db_->location(), db_->readOnly() ? db_->readOnlyReason() : readOnlyReason_);
}

QString RefHost::program() const {
    return program_.isEmpty() ? QCoreApplication::applicationName() : program_;
}

void RefHost::checkProps(const QString& props, const QString& source) const {
    const QString wanted = PropsString(props).dataSource();
    if (wanted.isEmpty()) {
        throw HostError(zx::host::kGenericError, source,
                        QStringLiteral("会话属性串中没有账套的数据源, 无法访问数据库。"));
    }
    if (!sameLocation(wanted, db_->location())) {
        throw HostError(zx::host::kGenericError, source,
                        QStringLiteral("会话属性串指向另一个账套(%1), 当前账套是 %2。")
                            .arg(wanted, db_->location()));
    }
}

void RefHost::registerFactory(const QString& classId, Factory factory) {
    factories_.insert(classId, std::move(factory));
}

ServicePtr RefHost::createObject(const QString& classId) {
    auto it = factories_.constFind(classId);
    if (it == factories_.constEnd()) {
        throw HostError(429, classId, QStringLiteral("无法创建对象: %1").arg(classId));
    }
    ServicePtr service = it.value()();
    if (!service) throw HostError(429, classId, QStringLiteral("无法创建对象: %1").arg(classId));
    return service;
}

// The services of the business layer, which the object factory makes; the
// component creates every other service directly by its class identifier.
ServicePtr RefHost::CreateObject(const QString& classId) {
    static const QStringList businessLayer = {
        QStringLiteral("SecurityInfo"),      QStringLiteral("BaseSystemProfile"),
        QStringLiteral("AcctMgr"),           QStringLiteral("AccountInfo"),
        QStringLiteral("InitializeBalance"), QStringLiteral("MonthEndInfo"),
        QStringLiteral("MonthEndUpdate"),    QStringLiteral("BalUpdate"),
        QStringLiteral("FAPublicInfo"),      QStringLiteral("CashierSysInfo"),
        QStringLiteral("UserDictMgr")};
    if (!businessLayer.contains(classId)) {
        throw HostError(429, classId,
                        QStringLiteral("无法创建对象: %1 不是业务层服务").arg(classId));
    }
    return createObject(classId);
}

// ----- Message boxes ---------------------------------------------------------

bool RefHost::headless() const {
    if (interactive_) return !*interactive_;
    if (qEnvironmentVariable("ZX_NONINTERACTIVE") == QLatin1String("1")) return true;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void RefHost::tell(const QString& kind, const QString& text) const {
    if (messageSink_) messageSink_(kind, text);
}

MsgResult RefHost::box(const QString& kind, const QString& text, MsgButtons buttons, MsgIcon icon,
                       const QString& title, const QString& detail, QWidget* parent,
                       const QString& details) {
    // `details`: the part of `detail` worth telling whoever reads along.
    tell(kind, text);
    if (!details.isEmpty()) tell(QStringLiteral("details"), details);
    if (answerHook_) {
        if (auto answer = answerHook_(text, buttons, icon)) return *answer;
    }
    if (headless()) {
        const MsgResult answer = defaultAnswer(buttons);
        if (buttons != MsgButtons::Ok) tell(QStringLiteral("answer"), answerText(answer));
        return answer;
    }
    QMessageBox box(qtIcon(icon), title, text, qtButtons(buttons), parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setDetailedText(detail);
    const QList<std::pair<QMessageBox::StandardButton, QString>> captions = {
        {QMessageBox::Yes, QStringLiteral("是")},
        {QMessageBox::No, QStringLiteral("否")},
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")}};
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* b = box.button(button)) b->setText(caption);
    }
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) {
        // A question that changes the books for good (a start-up, dropping
        // a control) waits for a deliberate 是; Enter keeps things as they
        // are. Only the question before leaving offers to keep the changes.
        const bool keepsChanges = text.contains(QStringLiteral("是否保存"));
        box.setDefaultButton(keepsChanges ? QMessageBox::Yes : QMessageBox::No);
    }
    if (buttons != MsgButtons::Ok) {
        box.setEscapeButton(buttons == MsgButtons::YesNo ? QMessageBox::No : QMessageBox::Cancel);
    }
    PrepareForm(&box);
    return fromQt(box.exec(), buttons);
}

MsgResult RefHost::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                              const QString& title, QWidget* parent) {
    const bool question = buttons != MsgButtons::Ok;
    return box(question ? QStringLiteral("question") : QStringLiteral("message"), text, buttons,
               icon, title.isEmpty() ? kTitle : title, QString(), parent);
}

bool RefHost::Confirm(const QString& question, bool) {
    return box(QStringLiteral("question"), question, MsgButtons::YesNo, MsgIcon::Question, kTitle,
               QString(), nullptr) == MsgResult::Yes;
}

bool RefHost::ConfirmDetailed(const QString& question, const QString& details) {
    return box(QStringLiteral("question"), question, MsgButtons::YesNo, MsgIcon::Question, kTitle,
               details, nullptr, details) == MsgResult::Yes;
}

void RefHost::ShowError(const HostError& error, const QVariantList&) {
    QString detail = QStringLiteral("错误号: %1\n来源: %2").arg(error.number()).arg(error.source());
    if (!error.details().isEmpty()) detail += u'\n' + error.details();
    box(QStringLiteral("error"), describeError(*this, error), MsgButtons::Ok, MsgIcon::Critical,
        kTitle, detail, nullptr, error.details());
}

void RefHost::ShowMessage(const QString& text) {
    box(QStringLiteral("message"), text, MsgButtons::Ok, MsgIcon::Information, kTitle, QString(),
        nullptr);
}

// ----- Forms -------------------------------------------------------------------

void RefHost::PrepareForm(QWidget* form) {
    if (!form) return;
    // A family that is not installed falls back to the system's own.
    if (!form->font().families().contains(kCjkFamily)) {
        QFont font = form->font();
        font.setFamilies({kCjkFamily});
        form->setFont(font);
    }
    static const QIcon fallback = builtinIcon();
    QIcon icon;
    for (const QString& name : {QStringLiteral("QOR.ico"), QStringLiteral("QOR.png")}) {
        const QString path = QDir(installDir_).filePath(QStringLiteral("Common/Bmp/") + name);
        if (QFileInfo::exists(path)) {
            icon = QIcon(path);
            if (!icon.isNull()) break;
        }
    }
    form->setWindowIcon(icon.isNull() ? fallback : icon);
}

void RefHost::TextFocus(QWidget* textBox) {
    if (auto* edit = qobject_cast<QLineEdit*>(textBox)) {
        edit->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(textBox)) {
        spin->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(textBox); combo && combo->lineEdit()) {
        combo->lineEdit()->selectAll();
    }
}

bool RefHost::IsBlank(const QString& text) {
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QChar(0x3000)) return false;
    }
    return true;
}

// ----- Operating system ----------------------------------------------------

qint32 RefHost::processId() {
    return qint32(QCoreApplication::applicationPid());
}

std::optional<QString> RefHost::computerName() {
    const QString name = QSysInfo::machineHostName();
    if (name.isEmpty()) return std::nullopt;
    return name;
}

// The first IPv4 address of a working, non-loopback adapter (or of the named
// one). Read from the system directly: the network library would cost every
// start-up its own load of libraries.
int RefHost::ReadTcp(const QString& adapter, QString& address) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return 0;
    int found = 0;
    for (const ifaddrs* a = list; a && !found; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        if (!(a->ifa_flags & IFF_UP) || (a->ifa_flags & IFF_LOOPBACK)) continue;
        if (!adapter.isEmpty() && QString::fromLocal8Bit(a->ifa_name) != adapter) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
        address = QString::fromLatin1(text);
        found = 1;
    }
    freeifaddrs(list);
    return found;
}

void RefHost::setMousePointer(int code) {
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const bool hourglass = code == zx::host::kPointerHourglass;
    const bool wasHourglass = pointer_ == zx::host::kPointerHourglass;
    if (gui && hourglass && !wasHourglass) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (gui && !hourglass && wasHourglass) QGuiApplication::restoreOverrideCursor();
    pointer_ = code;
}

// ----- Help ----------------------------------------------------------------

// Help opens in a window of the host's own: no browser needed. It belongs to
// the modal dialog the user pressed F1 in, which would otherwise keep every
// click from it.
bool RefHost::openHelpWindow(const QString& page) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(owner);
        PrepareForm(helpWindow_);
    } else if (helpWindow_->parentWidget() != owner) {
        helpWindow_->setParent(owner, helpWindow_->windowFlags());
    }
    helpWindow_->showPage(page);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
    return !helpWindow_->browser()->toPlainText().isEmpty();
}

void RefHost::showHelp(const QString& file, const QString& topic, qint32 context) {
    HelpRequest request{file, topic, context, helpPage(installDir_, file, topic, context), false};
    if (request.page.isEmpty()) {
        tell(QStringLiteral("help"), QStringLiteral("没有找到帮助: %1 %2").arg(file, topic));
    } else {
        tell(QStringLiteral("help"), request.page);
        if (!headless()) request.opened = openHelpWindow(request.page);
    }
    helpRequests_.append(request);
}

bool installChineseTranslations() {
    static QTranslator qt;
    if (!qt.isEmpty()) return true;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!qt.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                 QStringLiteral("_"), dir)) {
        return false;
    }
    return QCoreApplication::installTranslator(&qt);
}

}  // namespace refhost
