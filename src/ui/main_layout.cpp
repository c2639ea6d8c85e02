#include "ui/main_layout.h"

#include "ui/main_controls.h"

#include <algorithm>

namespace scenova::ui {

namespace {
// Room left around the window for its frame and title bar.
constexpr int kFrameAllowance = 30;
}  // namespace

WindowSizes mainWindowSizes(QSize available, int menuHeight) {
  QSize least(twips::toPixels(design::kMinWidth), twips::toPixels(design::kMinHeight));
  QSize first(std::max(least.width(), 1100), std::max(least.height(), 760));
  if (available.isValid()) {
    // The first size fits the screen's free area with the window frame
    // (a large scale factor leaves few pixels): the editor gives way,
    // never the window's edge. Where the screen allows, an operator wants
    // to see as much of the script as possible.
    const QSize avail = available - QSize(kFrameAllowance, 2 * kFrameAllowance);
    least = least.boundedTo(avail);
    first = first.boundedTo(avail);
  }
  return {QSize(least.width(), least.height() - menuHeight), first};
}

void layoutMainControls(MainControls& ui, QSize client) {
  // The client area stands for the window; the panels keep their sizes and
  // only the editor grows and shrinks.
  const double W = client.width() * kTwipsPerPixel;
  const double H = client.height() * kTwipsPerPixel;
  // The panels sit 320 twips from the right edge; the editor frame ends
  // 120 twips before them so the two never overlap.
  twips::setLeft(ui.Picture2, W - twips::width(ui.Picture2) - 320);
  twips::setWidth(ui.Label1, twips::left(ui.Picture2) - 120 - twips::left(ui.Label1));
  // The menu bar and the window frame lie outside the client area, so the
  // bottom margin only leaves room for the notice line.
  twips::setHeight(ui.Label1, H - twips::top(ui.Label1) - 480);
  const double mx = twips::left(ui.RTB) - twips::left(ui.Label1);
  const double my = twips::top(ui.RTB) - twips::top(ui.Label1);
  twips::setWidth(ui.RTB, twips::width(ui.Label1) - 2 * mx);
  twips::setHeight(ui.RTB, twips::height(ui.Label1) - 2 * my);
  twips::setLeft(ui.Picture3, twips::left(ui.Picture2));
  twips::setWidth(ui.Line1, W);
  twips::setWidth(ui.Line2, W);
  twips::setTop(ui.WMP2, twips::top(ui.Picture3) + design::kVideoPreviewOffset);
  twips::setLeft(ui.WMP2, twips::left(ui.Picture3));
  twips::setWidth(ui.WMP2, twips::width(ui.Picture3));
  // The notice sits under the editor frame, across its width.
  twips::setGeometry(ui.Label11, twips::left(ui.Label1),
                     twips::top(ui.Label1) + twips::height(ui.Label1) + 60, twips::width(ui.Label1),
                     360);
}

void placeToolbarLetters(MainControls& ui) {
  for (size_t i = 0; i < ui.Label3.size(); ++i) {
    Control* letter = ui.Label3[i];
    const Control* button = ui.Label2[i + 4];
    twips::setLeft(letter, twips::left(button));
    twips::setTop(letter, twips::top(button) + (i == 0 ? 90 : 80) - 30);
    letter->raise();
  }
}

}  // namespace scenova::ui
