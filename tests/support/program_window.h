#pragma once

// The program's main window under the test X server, found and measured
// with xdotool, and where the lines of its script are. The end-to-end
// scripts are written in Arial 48 pt (\fs96), one cue a paragraph.

#include "support/sink_recorder.h"

#include <QElapsedTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

namespace scenova::test {

struct ProgramWindow {
  QString id;  // empty: no window came up
  int x = 0, y = 0, width = 0, height = 0;
  double menuHeight = 0, lineHeight = 0;

  // What a program started for find() needs in its environment: the test
  // program then says "shown" on its standard output once its window is
  // shown and laid out (its event loop has handled the first events).
  static void announceShown(QProcessEnvironment& env) {
    env.insert(QStringLiteral("SCENOVA_STARTUP_PROBE"), QStringLiteral("1"));
  }

  // Waits up to `ms` for the program (started with announceShown) to say
  // that its window is shown.
  static bool waitUntilShown(QProcess& program, int ms = 20000) {
    if (!program.waitForStarted(ms)) return false;
    QByteArray said;
    QElapsedTimer t;
    t.start();
    while (!said.contains("shown\n") && t.elapsed() < ms && program.state() == QProcess::Running) {
      program.waitForReadyRead(100);
      said += program.readAllStandardOutput();
    }
    return said.contains("shown\n");
  }

  // Waits up to 20 s for the program (started with announceShown) to say
  // its window is shown, then for the window of its process whose title
  // matches `title` to be visible (both: xdotool's search takes either by
  // default, which finds another program's window when two run side by
  // side), and measures it.
  bool find(QProcess& program, const QString& title) {
    id.clear();
    QElapsedTimer t;
    t.start();
    if (!waitUntilShown(program)) return false;
    while (id.isEmpty() && t.elapsed() < 20000) {
      id = run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--pid"), QString::number(program.processId()), QStringLiteral("--name"),
                title})
               .section(QLatin1Char('\n'), 0, 0);
      if (id.isEmpty()) QTest::qWait(50);  // polling: the X server maps it
    }
    if (id.isEmpty()) return false;
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
