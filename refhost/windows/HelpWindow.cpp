#include "HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace refhost {

namespace {

QToolButton* tool(QWidget* parent, const char* name, const QString& caption,
                  QStyle::StandardPixmap icon, const QKeySequence& key, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setShortcut(key);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("帮助"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    back_ = tool(this, "btnBack", QStringLiteral("后退"), QStyle::SP_ArrowBack,
                 QKeySequence(Qt::ALT | Qt::Key_Left), QStringLiteral("后退 (Alt+←)"));
    forward_ = tool(this, "btnForward", QStringLiteral("前进"), QStyle::SP_ArrowForward,
                    QKeySequence(Qt::ALT | Qt::Key_Right), QStringLiteral("前进 (Alt+→)"));
    contents_ = tool(this, "btnContents", QStringLiteral("目录"), QStyle::SP_DirHomeIcon,
                     QKeySequence(Qt::ALT | Qt::Key_Home), QStringLiteral("目录 (Alt+Home)"));
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addWidget(contents_);
    bar->addStretch(1);
    layout->addLayout(bar);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("helpText"));
    browser_->setOpenExternalLinks(false);
    layout->addWidget(browser_, 1);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] { followed(); });
    // The contents of the help file shown: its folder's index page.
    connect(contents_, &QToolButton::clicked, this, [this] {
        const QFileInfo shown(browser_->source().toLocalFile());
        const QString index = shown.dir().filePath(QStringLiteral("index.html"));
        if (QFileInfo::exists(index)) browser_->setSource(QUrl::fromLocalFile(index));
    });
    resize(680, 560);
}

void HelpWindow::showPage(const QString& page) {
    const QUrl url = QUrl::fromLocalFile(page);
    if (browser_->source() != url) browser_->setSource(url);
}

// The caption names the page shown.
void HelpWindow::followed() {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("帮助")
                                   : QStringLiteral("帮助 - %1").arg(title));
}

}  // namespace refhost
