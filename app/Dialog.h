#pragma once

// The dialog of an account set: opened for a user, or worked by
// --dump-controls, --screenshot and --script.

#include <QString>

namespace app {

// Runs the program without a command. `commands` lists the commands for
// --help. Exit code 0 when a module start-up was completed (or the
// automation ran to its end), 1 when not or when the dialog was refused, 2
// for bad arguments, an unusable account set or an unknown user, 3 when the
// automation failed.
int runDialog(int argc, char* argv[], const QString& commands);

}  // namespace app
