#include "show_trials.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QProcessEnvironment>
#include <QTest>

#include <unistd.h>
#include <algorithm>
#include <cstdio>

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace scenova::bench {

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(10000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double cpuSeconds(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray line = f.readAll();
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  // utime and stime are fields 14 and 15 of the line, 12 and 13 after ")".
  return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void report(const char* what, std::vector<double> v, int width, const char* ifEmpty) {
  std::sort(v.begin(), v.end());
  if (v.empty()) {
    if (ifEmpty) std::printf("%-*s %s\n", width, what, ifEmpty);
    return;
  }
  std::printf("%-*s median %6.1f ms  worst %6.1f ms  best %6.1f ms  (n=%zu)\n", width, what,
              v[v.size() / 2], v.back(), v.front(), v.size());
}

struct ShowTrials::X {
  Display* display = nullptr;
  ~X() {
    if (display) XCloseDisplay(display);
  }
};

ShowTrials::ShowTrials() : x11_(std::make_unique<X>()) {}

ShowTrials::~ShowTrials() {
  x11_.reset();
  if (program_.state() != QProcess::NotRunning) {
    program_.kill();
    program_.waitForFinished(5000);
  }
}

bool ShowTrials::start(const QByteArray& script, int pointSize, const QStringList& args) {
  const QString exe = folder_.file(QStringLiteral("scenova"));
  QFile::copy(qEnvironmentVariable("SCENOVA_EXECUTABLE"), exe);
  QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  folder_.write(QStringLiteral("show.rtf"), script);
  if (!recorder_.start({}, 1)) {
    std::fputs("the monitor of the null sink cannot be recorded\n", stderr);
    return false;
  }
  program_.setWorkingDirectory(folder_.path());
  // A state folder of its own: the recovery copy of an earlier run, killed
  // at its end, would otherwise greet this one with the restore question.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_STATE_HOME"), folder_.file(QStringLiteral("state")));
  program_.setProcessEnvironment(env);
  program_.start(exe, args + QStringList{folder_.file(QStringLiteral("show.rtf"))});
  if (!program_.waitForStarted()) {
    std::fputs("the program did not start\n", stderr);
    return false;
  }
  for (int i = 0; i < 200 && id_.isEmpty(); ++i) {
    id_ = run(QStringLiteral("xdotool"),
              {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
               QString::number(program_.processId()), QStringLiteral("--name"),
               QStringLiteral("^Scenova - show")})
              .section(QLatin1Char('\n'), 0, 0);
    if (id_.isEmpty()) QTest::qWait(100);
  }
  if (id_.isEmpty()) {
    std::fputs("the program's window did not come up\n", stderr);
    return false;
  }
  QTest::qWait(800);
  for (const QString& l : run(QStringLiteral("xdotool"),
                              {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id_})
                              .split(QLatin1Char('\n'))) {
    if (l.startsWith(QLatin1StringView("X="))) x_ = l.mid(2).toInt();
    if (l.startsWith(QLatin1StringView("Y="))) y_ = l.mid(2).toInt();
  }
  QMenuBar bar;
  bar.addMenu(QStringLiteral("&File"));
  menu_ = bar.sizeHint().height();
  lineHeight_ = QFontMetricsF(QFont(QStringLiteral("Arial"), pointSize)).lineSpacing();
  x11_->display = XOpenDisplay(nullptr);
  if (!x11_->display) {
    std::fputs("the X server cannot be opened\n", stderr);
    return false;
  }
  return true;
}

Clock::time_point ShowTrials::clickAt(int x, int y, bool throughXdotool) {
  Display* display = x11_->display;
  XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
  XSync(display, False);
  QTest::qWait(50);
  const Clock::time_point t = Clock::now();
  if (throughXdotool) {
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
  } else {
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
  }
  return t;
}

Clock::time_point ShowTrials::click(int line, bool throughXdotool) {
  return clickAt(x_ + 62, y_ + int(menu_ + 46 + 6 + (line + 0.5) * lineHeight_), throughXdotool);
}

Clock::time_point ShowTrials::key(unsigned long keysym) {
  Display* display = x11_->display;
  const KeyCode code = XKeysymToKeycode(display, keysym);
  const Clock::time_point t = Clock::now();
  XTestFakeKeyEvent(display, code, True, CurrentTime);
  XFlush(display);
  XTestFakeKeyEvent(display, code, False, CurrentTime);
  XSync(display, False);
  return t;
}

int ShowTrials::screenWidth() const {
  return DisplayWidth(x11_->display, DefaultScreen(x11_->display));
}

double ShowTrials::onsetAfter(qint64 mark, Clock::time_point t, int waitMs, int threshold) {
  QTest::qWait(waitMs);
  const qint64 i = recorder_.firstLoud(mark, threshold);
  return i < 0 ? -1 : ms(recorder_.arrival(i) - t);
}

double ShowTrials::trial(std::vector<double>& into, const std::function<Clock::time_point()>& act,
                         int waitMs, int threshold) {
  const qint64 mark = recorder_.sampleCount();
  const double onset = onsetAfter(mark, act(), waitMs, threshold);
  if (onset >= 0) into.push_back(onset);
  return onset;
}

}  // namespace scenova::bench
