#pragma once

// Gives a shown top-level window the X focus on the test X server, as an
// operator's click on it would (the test X server has no window manager to
// do it), and waits until Qt has made it the active window: keys then go
// through Qt's shortcut handling and its focus chain as on a desktop.

#include "support/sink_recorder.h"

#include <QTest>
#include <QWidget>

namespace scenova::test {

inline bool giveFocus(QWidget* window) {
  if (!QTest::qWaitForWindowExposed(window)) return false;
  xdotool(
      {QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window->winId())});
  return QTest::qWaitForWindowActive(window);
}

}  // namespace scenova::test
