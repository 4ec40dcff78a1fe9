#pragma once

// systemsetting locks: the network control tool from the command line.

#include <QStringList>

namespace app {

// Lists the function locks held on an account set, releases one, or opens
// the window frmNetControl. `args` are the arguments after "locks". Exit
// code 0 when done, 1 when a release was refused or not needed, 2 for bad
// arguments, an unusable database or an unknown user.
int runLocks(const QStringList& args);

}  // namespace app
