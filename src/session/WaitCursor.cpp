#include <exception>

#include "SessionState.h"
#include "zx/host/Environment.h"
#include "zx/session/Session.h"

namespace zx {

namespace {
// Live WaitCursor objects of the process.
int g_waitCount = 0;
}  // namespace

namespace session_detail {
void resetWaitCursorCount() {
    g_waitCount = 0;
}
}  // namespace session_detail

WaitCursor::WaitCursor() {
    // The pointer is set before counting so that a host failure leaves the
    // count as it was (the object then never exists).
    if (g_waitCount == 0 && host::hasEnvironment()) {
        host::env().setMousePointer(host::kPointerHourglass);
    }
    ++g_waitCount;
}

WaitCursor::~WaitCursor() noexcept(false) {
    if (g_waitCount <= 0) {
        // Only possible after the count was reset under live cursors. While
        // unwinding another error a second one would end the process.
        if (std::uncaught_exceptions() > 0) return;
        throw host::HostError(1, QStringLiteral("WaitCursor"),
                              QStringLiteral("等待光标计数小于零"));
    }
    --g_waitCount;
    if (g_waitCount == 0 && host::hasEnvironment()) {
        host::env().setMousePointer(host::kPointerDefault);
    }
}

}  // namespace zx
