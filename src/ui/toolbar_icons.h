#pragma once

#include <QPixmap>

namespace scenova::ui {

// The picture of toolbar button `index` (0..16), drawn for the given size in
// logical pixels and device pixel ratio. Buttons 4 to 7 stay empty: their
// letters are labels of their own.
// onDark: for a dark toolbar (a dark desktop palette), drawn in light ink.
QPixmap toolbarIcon(int index, int size, qreal dpr, bool onDark = false);

}  // namespace scenova::ui
