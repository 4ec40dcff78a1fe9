#pragma once

// systemsetting revert SAVE: undoes one save of the parameters, key by key,
// as a save of its own.

namespace app {

// Runs the command on the arguments after the program's name (the first is
// "revert") and returns its exit code.
int runRevert(int argc, char* argv[]);

}  // namespace app
