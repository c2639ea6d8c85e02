#pragma once

// The platform-neutral key, modifier and mouse-button codes the editor's
// events carry (the classic virtual-key codes): letters are their upper-case
// character codes, digits '0'..'9', F1..F24 = 112..135, Escape 27, Enter 13,
// Back 8, Tab 9, Space 32, Delete 46, Insert 45, arrows 37..40, Home 36,
// End 35, Page Up 33, Page Down 34. Modifier state: Shift 1, Ctrl 2, Alt 4.
// Mouse buttons: left 1, right 2, middle 4.

#include <Qt>

class QKeyEvent;

namespace scenova::platform {

namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                     Pause = 19, Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34,
                     End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Snapshot = 44,
                     Insert = 45, Delete = 46, F1 = 112, F9 = 120, F12 = 123;
}  // namespace vk

// The virtual-key code of a key event, 0 when the key has none.
int virtualKeyCode(const QKeyEvent& event);

// Shift 1 + Ctrl 2 + Alt 4.
int shiftState(Qt::KeyboardModifiers modifiers);

// Left 1, right 2, middle 4; 0 for other buttons.
int mouseButtonCode(Qt::MouseButton button);

}  // namespace scenova::platform
