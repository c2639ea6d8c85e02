#pragma once

// Where the main window's controls stand: the panels keep their sizes and
// only the editor grows and shrinks with the window.

#include <QSize>

namespace scenova::ui {

struct MainControls;

// The window's least and first sizes for a screen whose free area is
// available (empty: no screen known), given the menu bar's height.
struct WindowSizes {
  QSize least;  // of the client area below the menu bar
  QSize first;  // of the window
};
WindowSizes mainWindowSizes(QSize available, int menuHeight);

// Lays the controls out over a client area of that size in pixels.
void layoutMainControls(MainControls& ui, QSize client);

// The letters over toolbar buttons 4 to 7 stand on their buttons.
void placeToolbarLetters(MainControls& ui);

}  // namespace scenova::ui
