// Remote control as a stage manager's desk meets it, in the real window
// under the test X server and sound server (scripts/test-env.sh):
//
//   OSC GO to sound: the program started with --remote PORT in show mode,
//     the next-cue mark on "[[Play Audio]]", one /scenova/go packet sent on
//     the loopback address, to the first loud block at the null sink's
//     monitor; 20 trials (targets: median under 5 ms, worst under 10 ms);
//   click to sound: beside it in the same run, the XTest click on the same
//     cue as bench_show_audio makes it;
//   CPU while listening: the program's CPU time over 10 s with remote
//     control on, the script open, no traffic and nothing loaded (target
//     0.0 %); and again after the trials, in show mode with the track
//     loaded and stopped (what the audio panel costs, remote control or not).
//
// Run: build/bench/media/bench_remote (with DISPLAY and PULSE_SERVER set,
// SCENOVA_EXECUTABLE naming the program, SCENOVA_SOURCE_DIR the tree).

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <clocale>
#include <cstdio>
#include <thread>

#include "../../tests/support/osc_client.h"
#include "../support/show_trials.h"

using namespace scenova::bench;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    std::fputs("needs the test X server and sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  ShowTrials show;
  show.folder().write(QStringLiteral("tone.wav"), scenova::testing::segmentedWav({{20000, 440}}));
  const quint16 port = scenova::test::OscClient::freePort();
  if (!show.start("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par [[Play "
                  "Audio]]\\par [[Stop Audio]]\\par}",
                  48, {QStringLiteral("--remote"), QString::number(port)}))
    return 1;
  SinkRecorder& rec = show.recorder();
  QProcess& program = show.program();
  const QString& id = show.windowId();
  // Printed as before: a row for no sound at all too.
  auto report = [](const char* what, const std::vector<double>& v) {
    scenova::bench::report(what, v, 28, "no sound");
  };

  scenova::test::OscClient osc;
  if (osc.roundTrip(port, 10000) < 0) {
    std::fputs("the program does not answer on its remote port\n", stderr);
    return 1;
  }
  // Listening, nothing else: the window shown, the script open, no traffic.
  const auto cpuOver10s = [&program] {
    const double before = cpuSeconds(program.processId());
    std::this_thread::sleep_for(std::chrono::seconds(10));
    return (cpuSeconds(program.processId()) - before) / 10.0 * 100;
  };
  QTest::qWait(2000);
  const double listening = cpuOver10s();
  run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
  run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("F12")});
  QTest::qWait(500);
  show.click(0);  // load the tone
  QTest::qWait(800);

  std::vector<double> viaOsc, viaClick;
  for (int trial = 0; trial < 20; ++trial) {
    // The mark on Play Audio, everything before the GO carried out.
    osc.send(port, "/scenova/first");
    osc.send(port, "/scenova/next");
    osc.roundTrip(port);
    QTest::qWait(100);
    show.trial(viaOsc, [&] {
      const Clock::time_point t = Clock::now();
      osc.send(port, "/scenova/go");
      return t;
    });
    osc.send(port, "/scenova/stop");
    QTest::qWait(300);

    show.trial(viaClick, [&] { return show.click(1); });
    show.click(2);
    QTest::qWait(300);
  }
  report("OSC GO to sound", viaOsc);
  report("click to sound", viaClick);

  rec.stop();
  osc.send(port, "/scenova/stop");
  QTest::qWait(1000);
  const double afterShow = cpuOver10s();
  std::printf("CPU while listening with no traffic: %.2f %% of a core\n", listening);
  std::printf("  after the trials (show mode on, the track loaded and stopped): %.2f %%\n",
              afterShow);
  return 0;
}
