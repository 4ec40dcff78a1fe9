#pragma once

// Commands on the parameters of account sets that work through the dialog
// without showing it: export, diff, apply, and the host's audit.

#include <optional>

namespace app {

// Runs the command the first argument names ("export", "diff", "apply",
// "audit") and returns its exit code; nullopt when the first argument names
// none of them and the dialog is to open as usual.
std::optional<int> runParameterCommand(int argc, char* argv[]);

}  // namespace app
