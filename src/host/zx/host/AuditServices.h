#pragma once

// The host's record of who changed a parameter, when and from where: its
// audit of every parameter write, read back for one parameter.

#include <QList>
#include <QString>
#include <optional>

#include "zx/host/Service.h"

namespace zx::host {

// One recorded change of a parameter.
struct ParamChange {
    QString time;  // the server's time, "yyyy-MM-dd HH:mm:ss"
    QString userName;
    QString machine;
    QString address;
    std::optional<QString> before;  // none: the parameter did not exist yet
    std::optional<QString> after;   // none: the parameter was removed
    QString saveId;                 // the save that wrote it; empty when none is recorded
};

class ParamAudit : public Service {
public:
    static constexpr auto classId = "ParamAudit";
    // The recorded changes of one parameter, newest first; the category and
    // the key are compared without regard to case. Raises HostError when the
    // user may not see them.
    virtual QList<ParamChange> Changes(const QString& props, const QString& category,
                                       const QString& key) = 0;
};

}  // namespace zx::host
