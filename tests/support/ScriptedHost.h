#pragma once

#include <QHash>
#include <QQueue>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "zx/host/Environment.h"

namespace zxtest {

// A host whose every service is scripted by the test. It records each call
// it sees in `calls`, answers message boxes and confirmations from queues,
// and creates services from factories the test registers.
class ScriptedHost : public zx::host::Environment,
                     public zx::host::ObjectFactory,
                     public zx::host::DialogService {
public:
    using Factory = std::function<zx::host::ServicePtr()>;

    ScriptedHost();            // installs itself as the environment
    ~ScriptedHost() override;  // uninstalls itself

    // Services by class identifier, for both creation routes. A factory that
    // throws makes the creation fail.
    void provide(const QString& classId, Factory factory);
    template <class T>
    void provide(std::shared_ptr<T> instance) {
        provide(QString::fromLatin1(T::classId), [instance] { return instance; });
    }

    // Session properties served by the built-in ShareProps.
    QVariantMap properties;

    // Answers, taken in order; when a queue is empty a question is answered
    // No (and recorded as unanswered).
    QQueue<zx::host::MsgResult> messageAnswers;
    QQueue<bool> confirmAnswers;
    int unansweredQuestions = 0;

    // Operating-system facts.
    qint32 pid = 4242;
    std::optional<QString> machineName = QStringLiteral("ws-test");
    int readTcpResult = 1;
    QString ipAddress = QStringLiteral("192.0.2.10");
    std::optional<QVariantMap> shared;  // nullopt: the host publishes no dictionary
    QList<int> pointerHistory;
    int pointer = zx::host::kPointerDefault;

    // Every call seen, e.g. "factory:SecurityInfo", "msgbox:...", "ShowError:...".
    QStringList calls;
    QStringList messages;  // texts of message boxes and ShowMessage, in order
    void record(const QString& call) { calls << call; }
    int count(const QString& prefix) const;

    // Environment
    ObjectFactory& objectFactory() override { return *this; }
    DialogService& dialogService() override { return *this; }
    zx::host::ServicePtr createObject(const QString& classId) override;
    zx::host::MsgResult messageBox(const QString& text, zx::host::MsgButtons buttons,
                                   zx::host::MsgIcon icon, const QString& title,
                                   QWidget* parent) override;
    qint32 processId() override { return pid; }
    std::optional<QString> computerName() override { return machineName; }
    int ReadTcp(const QString& adapter, QString& address) override;
    void setMousePointer(int code) override;
    QVariantMap* sharedDictionary() override { return shared ? &*shared : nullptr; }

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
    zx::host::ServicePtr make(const QString& classId);
    QHash<QString, Factory> factories_;
};

}  // namespace zxtest
