#pragma once

#include <QString>
#include <QtGlobal>

#include "zx/host/HostError.h"

namespace refhost {

class RefHost;

// The number of the component's error for a function lock the host refused.
inline constexpr qint32 kLockRefusedError = 16390;

// The text the host shows for an error: for a refused function lock, what
// the host knows about it (the function by name, who holds it on which
// workstation since when, and the command that releases it) in place of a
// menu this host does not have; any other error's own description.
QString describeError(RefHost& host, const zx::host::HostError& error);

// Registers NetMutex with the host, backed by the account set's function lock.
// With `withLoginObject` the host also publishes a login object ("QORLogin")
// offering the same lock.
void installLockServices(RefHost& host, bool withLoginObject = false);

}  // namespace refhost
