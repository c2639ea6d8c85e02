// One GO on a cue group as the operator meets it, in the real window under
// the test X server and sound server (scripts/test-env.sh):
//
//   [[tone.wav]] + [[Vol 100]] + [[Play Audio]], fired by Space in show mode
//   after [[Vol 20]]: from the key (the XTest key event, timed as it leaves
//   for the X server) to the first sample at the null sink's monitor at
//   full level (above 90 % of the tone's amplitude), and to the first loud
//   sample at all, 20 trials. A first loud sample well before the full-level
//   one would mean the sound started before its level was set. Beside it
//   the same without the level ([[tone.wav]] + [[Play Audio]]) and a lone
//   [[Play Audio]] on the file already loaded: what the load adds.
//
// Run: build/bench/media/bench_group_go (with DISPLAY and PULSE_SERVER set,
// SCENOVA_EXECUTABLE naming the program).

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <cstdio>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/support/program_folder.h"

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace scenova::testing;

namespace {

QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(10000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return;
  std::printf("%-34s median %6.1f ms  worst %6.1f ms  best %6.1f ms  (n=%zu)\n", what,
              v[v.size() / 2], v.back(), v.front(), v.size());
}

// The tone's amplitude (segmentedWav) and what counts as full level.
constexpr int kToneAmplitude = 16383;
constexpr int kFullLevel = kToneAmplitude * 9 / 10;

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    std::fputs("needs the test X server and sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  scenova::test::ProgramFolder folder;
  const QString exe = folder.file(QStringLiteral("scenova"));
  QFile::copy(qEnvironmentVariable("SCENOVA_EXECUTABLE"), exe);
  QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  folder.write(QStringLiteral("tone.wav"), segmentedWav({{20000, 440}}));
  folder.write(QStringLiteral("show.rtf"),
               "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 [[Vol 20]]\\par [[tone.wav]] + "
               "[[Vol 100]] + [[Play Audio]]\\par [[Stop Audio]]\\par [[tone.wav]] + [[Play "
               "Audio]]\\par [[Stop Audio]]\\par [[Play Audio]]\\par [[Stop Audio]]\\par}");

  SinkRecorder rec;
  if (!rec.start({}, 1)) return 1;
  QProcess program;
  program.setWorkingDirectory(folder.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_STATE_HOME"), folder.file(QStringLiteral("state")));
  program.setProcessEnvironment(env);
  program.start(exe, {folder.file(QStringLiteral("show.rtf"))});
  if (!program.waitForStarted()) return 1;
  QString id;
  for (int i = 0; i < 200 && id.isEmpty(); ++i) {
    id = run(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
              QString::number(program.processId()), QStringLiteral("--name"),
              QStringLiteral("^Scenova - show")})
             .section(QLatin1Char('\n'), 0, 0);
    if (id.isEmpty()) QTest::qWait(100);
  }
  if (id.isEmpty()) return 1;
  run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
  QTest::qWait(800);
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  // Presses and releases the key; returns when the press left for the X server.
  auto key = [&](KeySym sym) {
    const KeyCode code = XKeysymToKeycode(display, sym);
    const Clock::time_point t = Clock::now();
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XFlush(display);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
    return t;
  };
  key(XK_F12);  // show mode
  QTest::qWait(500);

  std::vector<double> full, first, withoutLevel, loaded;
  int quiet = 0;
  // GO, and the first sample louder than `level` after it (-1: none).
  auto go = [&](int level) {
    const qint64 mark = rec.sampleCount();
    const Clock::time_point t = key(XK_space);
    QTest::qWait(500);
    const qint64 at = rec.firstLoud(mark, level);
    return at < 0 ? -1.0 : ms(rec.arrival(at) - t);
  };
  auto stop = [&] {
    key(XK_space);
    QTest::qWait(300);
  };
  for (int trial = 0; trial < 20; ++trial) {
    key(XK_Home);
    key(XK_space);  // Vol 20
    QTest::qWait(400);
    const qint64 mark = rec.sampleCount();
    const Clock::time_point t = key(XK_space);  // the group
    QTest::qWait(500);
    const qint64 loud = rec.firstLoud(mark, 300);
    const qint64 atFull = rec.firstLoud(mark, kFullLevel);
    if (loud >= 0) first.push_back(ms(rec.arrival(loud) - t));
    if (atFull >= 0)
      full.push_back(ms(rec.arrival(atFull) - t));
    else
      ++quiet;
    stop();
    if (const double o = go(300); o >= 0) withoutLevel.push_back(o);
    stop();
    if (const double o = go(300); o >= 0) loaded.push_back(o);
    stop();
  }
  report("GO on the group to full level", full);
  report("GO on the group to any sound", first);
  report("  without the level cue", withoutLevel);
  report("  Play Audio, the file loaded", loaded);
  if (quiet > 0) std::printf("trials never at full level: %d\n", quiet);
  XCloseDisplay(display);
  program.kill();
  program.waitForFinished(5000);
  return 0;
}
