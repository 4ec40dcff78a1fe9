#include "ScriptedHost.h"

#include <QWidget>

using namespace zx::host;

namespace zxtest {

namespace {

class ScriptedShareProps : public ShareProps {
public:
    explicit ScriptedShareProps(ScriptedHost& host) : host_(host) {}
    QVariant GetProperty(qint32 processId, const QString& name) override {
        host_.record(QStringLiteral("GetProperty:%1:%2").arg(processId).arg(name));
        return host_.properties.value(name);
    }

private:
    ScriptedHost& host_;
};

QString iconName(MsgIcon icon) {
    static const char* const names[] = {"none", "critical", "question", "exclamation",
                                        "information"};
    return QString::fromLatin1(names[int(icon)]);
}

// A unit of writes that only records what it is asked.
class ScriptedWriteScope : public WriteScope {
public:
    explicit ScriptedWriteScope(ScriptedHost& host) : host_(host) {}
    void Begin() override { host_.record(QStringLiteral("WriteScope:Begin")); }
    void Commit() override { host_.record(QStringLiteral("WriteScope:Commit")); }
    void Rollback() override { host_.record(QStringLiteral("WriteScope:Rollback")); }

private:
    ScriptedHost& host_;
};

}  // namespace

ScriptedHost::ScriptedHost() {
    provide(QStringLiteral("ShareProps"),
            [this] { return std::make_shared<ScriptedShareProps>(*this); });
    provide(QString::fromLatin1(WriteScope::classId),
            [this] { return std::make_shared<ScriptedWriteScope>(*this); });
    setEnvironment(this);
}

ScriptedHost::~ScriptedHost() {
    setEnvironment(nullptr);
}

void ScriptedHost::provide(const QString& classId, Factory factory) {
    factories_.insert(classId, std::move(factory));
}

int ScriptedHost::count(const QString& prefix) const {
    int n = 0;
    for (const QString& call : calls) n += call.startsWith(prefix) ? 1 : 0;
    return n;
}

ServicePtr ScriptedHost::make(const QString& classId) {
    auto it = factories_.find(classId);
    if (it == factories_.end()) {
        throw HostError(429, classId, QStringLiteral("无法创建对象: %1").arg(classId));
    }
    return it.value()();
}

ServicePtr ScriptedHost::createObject(const QString& classId) {
    record(QStringLiteral("create:") + classId);
    return make(classId);
}

// Like a real host, the factory makes the business layer's services only.
ServicePtr ScriptedHost::CreateObject(const QString& classId) {
    record(QStringLiteral("factory:") + classId);
    static const QStringList businessLayer = {
        QStringLiteral("SecurityInfo"),      QStringLiteral("BaseSystemProfile"),
        QStringLiteral("AcctMgr"),           QStringLiteral("AccountInfo"),
        QStringLiteral("InitializeBalance"), QStringLiteral("MonthEndInfo"),
        QStringLiteral("MonthEndUpdate"),    QStringLiteral("BalUpdate"),
        QStringLiteral("FAPublicInfo"),      QStringLiteral("CashierSysInfo"),
        QStringLiteral("UserDictMgr")};
    if (!businessLayer.contains(classId)) {
        throw HostError(429, classId, QStringLiteral("不是业务层服务: %1").arg(classId));
    }
    return make(classId);
}

MsgResult ScriptedHost::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                   const QString& title, QWidget*) {
    record(QStringLiteral("msgbox:%1:%2:%3").arg(iconName(icon), title, text));
    messages << text;
    const bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ||
                          buttons == MsgButtons::OkCancel;
    if (!question) return MsgResult::Ok;
    if (messageAnswers.isEmpty()) {
        ++unansweredQuestions;
        return buttons == MsgButtons::OkCancel ? MsgResult::Cancel : MsgResult::No;
    }
    return messageAnswers.dequeue();
}

int ScriptedHost::ReadTcp(const QString&, QString& address) {
    record(QStringLiteral("ReadTcp"));
    if (readTcpResult == 1) address = ipAddress;
    return readTcpResult;
}

void ScriptedHost::setMousePointer(int code) {
    pointer = code;
    pointerHistory << code;
}

void ScriptedHost::PrepareForm(QWidget* form) {
    record(QStringLiteral("PrepareForm:") + (form ? form->objectName() : QString()));
}

bool ScriptedHost::Confirm(const QString& question, bool) {
    record(QStringLiteral("Confirm:") + question);
    messages << question;
    if (confirmAnswers.isEmpty()) {
        ++unansweredQuestions;
        return false;
    }
    return confirmAnswers.dequeue();
}

void ScriptedHost::ShowError(const HostError& error, const QVariantList&) {
    record(QStringLiteral("ShowError:%1:%2:%3")
               .arg(error.number())
               .arg(error.source(), error.description()));
    messages << error.description();
}

void ScriptedHost::ShowMessage(const QString& text) {
    record(QStringLiteral("ShowMessage:") + text);
    messages << text;
}

void ScriptedHost::TextFocus(QWidget* textBox) {
    record(QStringLiteral("TextFocus:") + (textBox ? textBox->objectName() : QString()));
}

bool ScriptedHost::IsBlank(const QString& text) {
    record(QStringLiteral("IsBlank:") + text);
    return text.trimmed().isEmpty();
}

}  // namespace zxtest
