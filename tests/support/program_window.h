#pragma once

// The program's main window under the test X server, found and measured
// with xdotool, and where the lines of its script are. The end-to-end
// scripts are written in Arial 48 pt (\fs96), one cue a paragraph.

#include "support/sink_recorder.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QPoint>
#include <QTest>

namespace scenova::test {

struct ProgramWindow {
  QString id;  // empty: no window came up
  int x = 0, y = 0, width = 0, height = 0;
  double menuHeight = 0, lineHeight = 0;

  // Waits up to 20 s for the first visible window of process `pid` whose
  // title matches `title` (both: xdotool's search takes either by default,
  // which finds another program's window when two run side by side), then
  // half a second for it to lay itself out.
  bool find(qint64 pid, const QString& title) {
    id.clear();
    for (int i = 0; i < 200 && id.isEmpty(); ++i) {
      id = run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title})
               .section(QLatin1Char('\n'), 0, 0);
      if (id.isEmpty()) QTest::qWait(100);
    }
    if (id.isEmpty()) return false;
    QTest::qWait(500);
    const QString shell = run(QStringLiteral("xdotool"),
                              {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    for (const QString& l : shell.split(QLatin1Char('\n'))) {
      const int v = l.section(QLatin1Char('='), 1).toInt();
      if (l.startsWith(QLatin1StringView("X="))) x = v;
      if (l.startsWith(QLatin1StringView("Y="))) y = v;
      if (l.startsWith(QLatin1StringView("WIDTH="))) width = v;
      if (l.startsWith(QLatin1StringView("HEIGHT="))) height = v;
    }
    QMenuBar bar;
    bar.addMenu(QStringLiteral("&File"));
    menuHeight = bar.sizeHint().height();
    lineHeight = QFontMetricsF(QFont(QStringLiteral("Arial"), 48)).lineSpacing();
    return width > 0;
  }

  // The middle of script line n (from 0), a few characters in.
  QPoint line(int n) const {
    return {x + 12 + 50, y + static_cast<int>(menuHeight + 46 + 6 + (n + 0.5) * lineHeight)};
  }
};

}  // namespace scenova::test
