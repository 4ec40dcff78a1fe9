#pragma once

namespace refhost {

class RefHost;

// Registers GLData (with its SystemProfile), BaseSystemProfile,
// GLSystemProfile, PASystemProfile and StringBuilder with the host.
//
// Readers (the SystemProfile of GLData, GLSystemProfile) hold a snapshot of
// the whole t_SystemProfile: the first read after a Refresh loads it in one
// query and every later read is answered from memory, so writes show only
// after the next Refresh. Category and key are compared without regard to
// case. SpecItem reads installation overrides from
// <installDir>/Common/SpecItems.ini ([Category] Key=number); -1 when none.
//
// Writers store values as text ("1"/"0" for Booleans, plain decimals for
// numbers), each write with its row in the host's audit (Audit.h). The
// optional fifth argument of Setprofile, when True, marks the parameter
// read-only (FReadonly = 1) as a start-up setting; later writes without it
// still store the value and keep the mark. A session property string that
// does not name this host's account set is refused.
void installProfileServices(RefHost& host);

}  // namespace refhost
