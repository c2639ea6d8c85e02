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
#include <QTest>

#include <clocale>
#include <cstdio>

#include "../support/show_trials.h"

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/keysym.h>

using namespace scenova::bench;

namespace {

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
  ShowTrials show;
  show.folder().write(QStringLiteral("tone.wav"), scenova::testing::segmentedWav({{20000, 440}}));
  if (!show.start("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 [[Vol 20]]\\par [[tone.wav]] + "
                  "[[Vol 100]] + [[Play Audio]]\\par [[Stop Audio]]\\par [[tone.wav]] + [[Play "
                  "Audio]]\\par [[Stop Audio]]\\par [[Play Audio]]\\par [[Stop Audio]]\\par}",
                  12))
    return 1;
  SinkRecorder& rec = show.recorder();
  run(QStringLiteral("xdotool"),
      {QStringLiteral("windowfocus"), QStringLiteral("--sync"), show.windowId()});
  auto key = [&](unsigned long sym) { return show.key(sym); };
  key(XK_F12);  // show mode
  QTest::qWait(500);

  std::vector<double> full, first, withoutLevel, loaded;
  int quiet = 0;
  // GO, and its onset (the first sample louder than 300) into `into`.
  auto go = [&](std::vector<double>& into) {
    show.trial(
        into, [&] { return key(XK_space); }, 500, 300);
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
    const double atFull = show.onsetAfter(mark, t, 500, kFullLevel);
    const double loud = show.onsetAfter(mark, t, 0, 300);
    if (loud >= 0) first.push_back(loud);
    if (atFull >= 0)
      full.push_back(atFull);
    else
      ++quiet;
    stop();
    go(withoutLevel);
    stop();
    go(loaded);
    stop();
  }
  report("GO on the group to full level", full, 34);
  report("GO on the group to any sound", first, 34);
  report("  without the level cue", withoutLevel, 34);
  report("  Play Audio, the file loaded", loaded, 34);
  if (quiet > 0) std::printf("trials never at full level: %d\n", quiet);
  return 0;
}
