#pragma once

// How long the window's thread takes to handle an event posted now: a frozen
// window takes as long as it is frozen.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace scenova::test {

inline qint64 roundTrip() {
  QElapsedTimer t;
  t.start();
  bool handled = false;
  QTimer::singleShot(0, qApp, [&handled] { handled = true; });
  while (!handled) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return t.elapsed();
}

}  // namespace scenova::test
