#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "zx/host/Environment.h"

class QDialog;

namespace refhost {

class Database;
class HelpWindow;

// The logged-in user of this process.
struct SessionUser {
    qint32 id = 0;
    QString name;
    bool administrator = false;
};

// The reference host: one account set (a Database), one logged-in user, the
// host's global objects and the services it creates by class identifier.
// Installing it makes it the component's environment.
class RefHost : public zx::host::Environment,
                public zx::host::ObjectFactory,
                public zx::host::DialogService {
public:
    using Factory = std::function<zx::host::ServicePtr()>;
    // Answers a message box or confirmation instead of a window (scripts,
    // tests). Returns nullopt to fall back to the window.
    using AnswerHook = std::function<std::optional<zx::host::MsgResult>(
        const QString& text, zx::host::MsgButtons buttons, zx::host::MsgIcon icon)>;
    // Sees every text the host shows to the user (messages, errors, questions).
    using MessageSink = std::function<void(const QString& kind, const QString& text)>;

    // installDir: the installation directory (holds Common/QORBaseScheme.ini
    // and the help pages).
    RefHost(std::shared_ptr<Database> db, QString installDir);
    ~RefHost() override;

    // Logs the named user in; raises zx::host::HostError for an unknown user.
    void login(const QString& userName);
    const SessionUser& user() const { return user_; }

    Database& db() { return *db_; }
    std::shared_ptr<Database> sharedDb() { return db_; }
    const QString& installDir() const { return installDir_; }

    // The session property string published as "PropsString".
    QString propsString() const;
    QString acctName() const;
    // The account set's id in its register ("SubID"); empty when unregistered.
    QString acctId() const;

    // True when the account set was opened read-only (see
    // Database::readOnlyReason): the user then holds no right that would
    // change it, an administrator included.
    bool readOnly() const;
    // Tells the user why the parameters can only be viewed; empty when the
    // account set can be written.
    QString readOnlyNotice() const;
    // Makes this host only read, whatever the account set allows: for
    // commands that report on a set and must leave it as it is.
    void setReadOnly(const QString& reason) { readOnlyReason_ = reason; }

    // The program that writes through this host, as the audit records it:
    // the executable names it ("systemsetting apply"); by default the
    // application's name.
    void setProgram(const QString& program) { program_ = program; }
    QString program() const;

    // Raises HostError unless `props` names this host's account set (its
    // "Data Source"). `source` names the service for the error.
    void checkProps(const QString& props, const QString& source) const;

    // A token that expires with this host: services the component may keep
    // past the host's life hold it instead of a plain reference.
    std::weak_ptr<RefHost* const> token() const { return token_; }

    // Services by class identifier; the same factory serves ObjectFactory and
    // direct creation.
    void registerFactory(const QString& classId, Factory factory);

    // The optional login object published as "QORLogin" (nullptr: none).
    void setLoginObject(zx::host::ServicePtr login) { login_ = std::move(login); }
    zx::host::ServicePtr loginObject() const { return login_; }

    void setAnswerHook(AnswerHook hook) { answerHook_ = std::move(hook); }
    void setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

    // True when boxes are answered with their default button instead of being
    // shown, and the host's own windows (period set-up, account selection) are
    // not opened: ZX_NONINTERACTIVE=1, an offscreen or minimal platform, or no
    // widget application. setInteractive overrides the detection; a script
    // that plays the user sets it to true, so every window opens and waits for
    // the script even without a screen.
    bool headless() const;
    void setInteractive(std::optional<bool> interactive) { interactive_ = interactive; }

    // The screen's mouse pointer code as last set (0 default, 11 hourglass).
    int mousePointer() const { return pointer_; }

    // Help requests seen by CHMHelp, newest last.
    struct HelpRequest {
        QString file;
        QString topic;
        qint32 context = 0;
        QString page;  // the bundled page chosen; empty when none exists
        bool opened = false;
    };
    const QList<HelpRequest>& helpRequests() const { return helpRequests_; }
    const QString& helpTopic() const { return helpTopic_; }
    void setHelpTopic(const QString& topic) { helpTopic_ = topic; }
    // Maps the help file and topic to a bundled page, records the request and
    // opens the page when a display exists.
    void showHelp(const QString& file, const QString& topic, qint32 context);

    // Environment
    ObjectFactory& objectFactory() override { return *this; }
    DialogService& dialogService() override { return *this; }
    zx::host::ServicePtr createObject(const QString& classId) override;
    zx::host::MsgResult messageBox(const QString& text, zx::host::MsgButtons buttons,
                                   zx::host::MsgIcon icon, const QString& title,
                                   QWidget* parent) override;
    qint32 processId() override;
    std::optional<QString> computerName() override;
    int ReadTcp(const QString& adapter, QString& address) override;
    void setMousePointer(int code) override;
    QVariantMap* sharedDictionary() override { return &shared_; }

    // ObjectFactory
    zx::host::ServicePtr CreateObject(const QString& classId) override;

    // DialogService
    void PrepareForm(QWidget* form) override;
    bool Confirm(const QString& question, bool flag) override;
    bool ConfirmDetailed(const QString& question, const QString& details) override;
    void ShowError(const zx::host::HostError& error, const QVariantList& args) override;
    void ShowMessage(const QString& text) override;
    void TextFocus(QWidget* textBox) override;
    bool IsBlank(const QString& text) override;

private:
    bool openHelpWindow(const QString& page);
    zx::host::MsgResult box(const QString& kind, const QString& text, zx::host::MsgButtons buttons,
                            zx::host::MsgIcon icon, const QString& title, const QString& detail,
                            QWidget* parent, const QString& details = QString());
    void tell(const QString& kind, const QString& text) const;
    void loadAccountSet() const;

    std::shared_ptr<Database> db_;
    QString installDir_;
    SessionUser user_;
    QHash<QString, Factory> factories_;
    zx::host::ServicePtr login_;
    AnswerHook answerHook_;
    MessageSink messageSink_;
    QVariantMap shared_;
    int pointer_ = 0;
    std::optional<bool> interactive_;
    QList<HelpRequest> helpRequests_;
    QPointer<HelpWindow> helpWindow_;
    QString helpTopic_;
    mutable std::optional<std::pair<QString, QString>> acct_;  // (id, name)
    QString readOnlyReason_;
    QString program_;
    std::shared_ptr<RefHost* const> token_ = std::make_shared<RefHost* const>(this);
};

// Qt's own texts (the details button of a message box, the standard buttons)
// in Chinese, from the system's Qt translations; false when none is installed.
bool installChineseTranslations();

}  // namespace refhost
