#pragma once

// Asks a top-level X window to close as a window manager's close button
// does: the WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol. The test
// X server runs no window manager, and xdotool's windowclose destroys the
// window instead of asking.

namespace scenova::test {

// False when the display cannot be opened.
bool askWindowToClose(unsigned long window);

}  // namespace scenova::test
