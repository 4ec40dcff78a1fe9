#pragma once

// Process-wide state of the session module that more than one of its sources
// touches. Not part of the public surface.

namespace zx::session_detail {

// Forgets the live wait cursors without touching the pointer.
void resetWaitCursorCount();

}  // namespace zx::session_detail
