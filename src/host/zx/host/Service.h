#pragma once

#include <QMetaType>
#include <QString>
#include <memory>

namespace zx::host {

// Every host service derives from Service and names its class identifier in
// a static member `classId`, the name the host creates it by.
class Service {
public:
    virtual ~Service() = default;
};

using ServicePtr = std::shared_ptr<Service>;

}  // namespace zx::host

// Session properties may hold objects (the login object); they travel in a QVariant.
Q_DECLARE_METATYPE(zx::host::ServicePtr)
