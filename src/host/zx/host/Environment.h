#pragma once

#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

#include "zx/host/HostError.h"
#include "zx/host/Service.h"
#include "zx/host/Services.h"

class QWidget;

namespace zx::host {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Yes, No };

// Mouse pointer codes of the screen.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Everything the component takes from the process that hosts it: the host's
// two global objects, direct service creation, and the few operating-system
// facilities it uses. A scripted host replaces all of it in tests.
class Environment {
public:
    virtual ~Environment() = default;

    virtual ObjectFactory& objectFactory() = 0;
    virtual DialogService& dialogService() = 0;
    // Creates a service directly by its class identifier. Raises HostError
    // for an unknown identifier.
    virtual ServicePtr createObject(const QString& classId) = 0;

    // The component's plain message boxes go through here so that a scripted
    // host can answer them.
    virtual MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title, QWidget* parent) = 0;

    virtual qint32 processId() = 0;
    // The workstation's name; nullopt when the system cannot tell.
    virtual std::optional<QString> computerName() = 0;
    // The host support library's address reader: returns 1 and fills
    // `address` on success.
    virtual int ReadTcp(const QString& adapter, QString& address) = 0;
    virtual void setMousePointer(int code) = 0;
    // The dictionary the host shares with this process, or nullptr.
    virtual QVariantMap* sharedDictionary() = 0;
};

// The environment installed by the host; raises HostError when none is.
Environment& env();
void setEnvironment(Environment* environment);
bool hasEnvironment();

// Casts a created service to its interface, raising when it does not fit.
template <class T>
std::shared_ptr<T> serviceAs(const ServicePtr& created, const QString& classId) {
    auto typed = std::dynamic_pointer_cast<T>(created);
    if (!typed) {
        throw HostError(429, classId, QStringLiteral("无法创建对象: %1").arg(classId));
    }
    return typed;
}

// A business-layer service made through ObjectFactory.
template <class T>
std::shared_ptr<T> createService() {
    const QString id = QString::fromLatin1(T::classId);
    return serviceAs<T>(env().objectFactory().CreateObject(id), id);
}

// A service created directly by class identifier.
template <class T>
std::shared_ptr<T> createObject() {
    const QString id = QString::fromLatin1(T::classId);
    return serviceAs<T>(env().createObject(id), id);
}

}  // namespace zx::host
