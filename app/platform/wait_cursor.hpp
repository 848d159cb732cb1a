// The hourglass cursor for the length of a long operation (a calculation, a file import).
#pragma once

namespace kalidos::app {

// Shown from construction to destruction, so an early return or exception restores the cursor.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace kalidos::app
