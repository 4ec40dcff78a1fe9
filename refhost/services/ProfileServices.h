#pragma once

namespace refhost {

class RefHost;

// Registers GLData (with its SystemProfile), GLView, BaseSystemProfile,
// GLSystemProfile, PASystemProfile and StringBuilder with the host.
void installProfileServices(RefHost& host);

}  // namespace refhost
