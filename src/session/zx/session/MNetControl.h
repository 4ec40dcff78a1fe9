#pragma once

// The network function lock: registers the running function with the host's
// network control so that two users cannot change the same things at once.

#include <QString>
#include <QVariant>
#include <optional>

namespace zx::MNetControl {

// The conflict raised when the host refuses the lock.
inline constexpr qint32 kConflictError = 16390;

// Takes the lock through the host's login object, or through a NetMutex when
// the host publishes none. Returns the handle (1 or more); raises HostError
// kConflictError when the host refuses.
qint32 ExecFunc(qint32 taskId, const QString& functionCode, qint16 year, qint16 period,
                std::optional<QVariant> extra = std::nullopt);

// Releases the lock. A handle of 0 makes no host call and gives false. When
// the host releases it the handle becomes 0; any error gives false and leaves
// the handle as it was.
bool CommitTask(qint32& handle);

// The workstation name the lock is registered under; "NoName" when the
// system cannot tell.
QString GetLockMachineName();

// The process-wide handle of the lock held by a save; 0 when none is held.
qint32& LockHandle();

}  // namespace zx::MNetControl
