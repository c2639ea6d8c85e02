#pragma once

#include <QPixmap>

namespace scenova::ui {

// The picture of toolbar button `index` (0..16), drawn for the given size in
// logical pixels and device pixel ratio. Buttons 4 to 7 stay empty: their
// letters are labels of their own.
QPixmap toolbarIcon(int index, int size, qreal dpr);

}  // namespace scenova::ui
