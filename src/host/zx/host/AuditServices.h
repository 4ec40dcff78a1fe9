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
    qint64 id = 0;  // its place in the audit: a later change has a greater one
    QString time;   // the server's time, "yyyy-MM-dd HH:mm:ss"
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
    // The recorded changes of one parameter, newest first: at most `count` of
    // those older than `olderThan` (0: from the newest). A long history is
    // read a page at a time, and a change recorded meanwhile does not shift
    // the pages. The category and the key are compared without regard to
    // case. Raises HostError when the user may not see them.
    virtual QList<ParamChange> Changes(const QString& props, const QString& category,
                                       const QString& key, qint64 olderThan, int count) = 0;
    // How many recorded changes of the parameter are not newer than `upTo`.
    virtual qint64 ChangeCount(const QString& props, const QString& category, const QString& key,
                               qint64 upTo) = 0;
};

}  // namespace zx::host
