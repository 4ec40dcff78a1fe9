#pragma once

#include <QHash>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

#include "zx/host/Environment.h"

namespace refhost {

class Database;

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

    // Services by class identifier; the same factory serves ObjectFactory and
    // direct creation.
    void registerFactory(const QString& classId, Factory factory);

    // The optional login object published as "QORLogin" (nullptr: none).
    void setLoginObject(zx::host::ServicePtr login) { login_ = std::move(login); }
    zx::host::ServicePtr loginObject() const { return login_; }

    void setAnswerHook(AnswerHook hook) { answerHook_ = std::move(hook); }
    void setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

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
    void ShowError(const zx::host::HostError& error, const QVariantList& args) override;
    void ShowMessage(const QString& text) override;
    void TextFocus(QWidget* textBox) override;
    bool IsBlank(const QString& text) override;

private:
    std::shared_ptr<Database> db_;
    QString installDir_;
    SessionUser user_;
    QHash<QString, Factory> factories_;
    zx::host::ServicePtr login_;
    AnswerHook answerHook_;
    MessageSink messageSink_;
    QVariantMap shared_;
    int pointer_ = 0;
};

}  // namespace refhost
