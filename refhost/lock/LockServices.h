#pragma once

namespace refhost {

class RefHost;

// Registers NetMutex with the host, backed by the account set's function lock.
// With `withLoginObject` the host also publishes a login object ("QORLogin")
// offering the same lock.
void installLockServices(RefHost& host, bool withLoginObject = false);

}  // namespace refhost
