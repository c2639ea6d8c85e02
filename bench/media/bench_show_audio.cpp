// The audio cue as the operator meets it, in the real window under the test
// X server and sound server (scripts/test-env.sh):
//
//   click to sound: a click on "[[Play Audio]]" to the first loud block at
//     the null sink's monitor, 20 trials. The click is the XTest button event
//     that xdotool sends, timed as it leaves for the X server; the same click
//     through a whole xdotool run (process start included) is reported too.
//     Beside it, references on the same WAV in the same run: a bare libmpv
//     player, loaded and paused, unpaused by the same click on a plain X
//     window of its own (the program's own share is the difference of the
//     medians) and unpaused by a direct call (the engine alone), and paplay
//     started as a process;
//   click on "[[Stop Audio]]" to the last loud block at the monitor;
//   CPU while playing: the program's CPU time over 10 s of a playing cue,
//     beside paplay playing the same file alone and beside the program's
//     own audio device (the media engine with the program's settings)
//     playing it inside this otherwise idle process. The monitor recorder is
//     stopped first: its 5 ms reads drive the null sink faster than a sound
//     card would and cost every player wake-ups of its own.
//
// Run: build/bench/media/bench_show_audio (with DISPLAY and PULSE_SERVER
// set, SCENOVA_EXECUTABLE naming the program, SCENOVA_SOURCE_DIR the tree).

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

#include <mpv/client.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "../support/show_trials.h"
#include "platform/media/audio_device_mpv.h"

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace scenova::testing;
using namespace scenova::bench;

namespace {

// A bare libmpv player: the file loaded and paused, then unpaused on demand.
class BareMpv {
 public:
  explicit BareMpv(const QString& file) : h_(mpv_create()) {
    for (auto [k, v] : {std::pair{"vid", "no"},
                        {"ao", "pulse"},
                        {"pause", "yes"},
                        {"keep-open", "yes"},
                        {"load-scripts", "no"}}) {
      mpv_set_option_string(h_, k, v);
    }
    mpv_initialize(h_);
    const QByteArray path = file.toUtf8();
    const char* cmd[] = {"loadfile", path.constData(), nullptr};
    mpv_command(h_, cmd);
  }
  ~BareMpv() { mpv_terminate_destroy(h_); }
  void setPause(bool on) { mpv_set_property_string(h_, "pause", on ? "yes" : "no"); }
  // Paused again at the start.
  void reset() {
    setPause(true);
    const char* cmd[] = {"seek", "0", "absolute", nullptr};
    mpv_command(h_, cmd);
  }

 private:
  mpv_handle* h_;
};

// The bare reference for a click: a plain X window on a thread of its own
// whose button press unpauses a bare libmpv player.
class BareClickPlayer {
 public:
  BareClickPlayer(BareMpv& player, int x, int y)
      : player_(player), display_(XOpenDisplay(nullptr)) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.event_mask = ButtonPressMask;
    window_ =
        XCreateWindow(display_, DefaultRootWindow(display_), x, y, 200, 200, 0, CopyFromParent,
                      InputOutput, nullptr, CWOverrideRedirect | CWEventMask, &a);
    XMapRaised(display_, window_);
    XSync(display_, False);
    thread_ = std::thread([this] { run(); });
  }
  ~BareClickPlayer() {
    running_ = false;
    thread_.join();
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }

 private:
  void run() {
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    while (running_) {
      while (XPending(display_)) {
        XEvent e;
        XNextEvent(display_, &e);
        if (e.type == ButtonPress) player_.setPause(false);
      }
      poll(&fd, 1, 50);
    }
  }

  BareMpv& player_;
  Display* display_;
  Window window_ = 0;
  std::atomic<bool> running_{true};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    std::fputs("needs the test X server and sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  ShowTrials show;
  scenova::test::ProgramFolder& folder = show.folder();
  folder.write(QStringLiteral("tone.wav"), segmentedWav({{20000, 440}}));
  if (!show.start("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par [[Play "
                  "Audio]]\\par [[Stop Audio]]\\par}",
                  48))
    return 1;
  SinkRecorder& rec = show.recorder();
  QProcess& program = show.program();
  auto clickAt = [&](int cx, int cy) { return show.clickAt(cx, cy); };
  auto click = [&](int line, bool throughXdotool = false) {
    return show.click(line, throughXdotool);
  };

  click(0);  // load the cue
  QTest::qWait(800);
  std::vector<double> ours, viaXdotool, bareClick, bare, reference, stops;
  auto bareMpv = std::make_unique<BareMpv>(folder.file(QStringLiteral("tone.wav")));
  // On the second monitor, away from the program's window.
  const int bareX = show.screenWidth() - 400, bareY = 200;
  auto bareClickPlayer = std::make_unique<BareClickPlayer>(*bareMpv, bareX, bareY);
  QTest::qWait(500);
  // One reference trial: `start` starts the sound and says when it was asked
  // for; its onset goes to `into`; `silence` ends it.
  auto measure = [&](std::vector<double>& into, const std::function<Clock::time_point()>& start,
                     const std::function<void()>& silence) {
    show.trial(into, start);
    silence();
    QTest::qWait(300);
  };
  for (int trial = 0; trial < 20; ++trial) {
    for (bool xdotool : {false, true}) {
      const double o = show.trial(xdotool ? viaXdotool : ours, [&] { return click(1, xdotool); });
      // Stop: how long the sound goes on after the click.
      const qint64 stopMark = rec.sampleCount();
      const Clock::time_point stopAt = click(2);
      QTest::qWait(300);
      const qint64 last = rec.lastLoud(stopMark);
      if (o >= 0 && !xdotool) stops.push_back(last < 0 ? 0 : ms(rec.arrival(last) - stopAt));
    }

    measure(
        bareClick, [&] { return clickAt(bareX + 100, bareY + 100); }, [&] { bareMpv->reset(); });
    measure(
        bare,
        [&] {
          const Clock::time_point t = Clock::now();
          bareMpv->setPause(false);
          return t;
        },
        [&] { bareMpv->reset(); });
    QProcess paplay;
    measure(
        reference,
        [&] {
          const Clock::time_point t = Clock::now();
          paplay.start(QStringLiteral("paplay"), {folder.file(QStringLiteral("tone.wav"))});
          return t;
        },
        [&] {
          paplay.kill();
          paplay.waitForFinished(2000);
        });
  }
  report("click to sound (program)", ours);
  report("  the click by xdotool", viaXdotool);
  report("click on Stop to silence", stops);
  report("bare click to sound", bareClick);
  report("bare libmpv unpause to sound", bare);
  report("paplay start to sound", reference);
  if (!ours.empty() && !bareClick.empty()) {
    std::sort(ours.begin(), ours.end());
    std::sort(bareClick.begin(), bareClick.end());
    std::printf("the program's own share (median difference to the bare click): %.1f ms\n",
                ours[ours.size() / 2] - bareClick[bareClick.size() / 2]);
  }

  // CPU while playing, 10 s each, without the recorder or the bare players,
  // and with this process asleep (not turning an event loop) meanwhile.
  rec.stop();
  bareClickPlayer.reset();
  bareMpv.reset();
  const auto idle = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  click(1);
  idle(500);
  double before = cpuSeconds(program.processId());
  idle(10000);
  const double programCpu = (cpuSeconds(program.processId()) - before) / 10.0 * 100;
  click(2);
  QProcess paplay;
  paplay.start(QStringLiteral("paplay"), {folder.file(QStringLiteral("tone.wav"))});
  paplay.waitForStarted();
  idle(500);
  before = cpuSeconds(paplay.processId());
  idle(10000);
  const double paplayCpu = (cpuSeconds(paplay.processId()) - before) / 10.0 * 100;
  paplay.kill();
  paplay.waitForFinished(2000);
  double engineCpu = 0;
  {
    scenova::platform::MpvAudioDevice device;
    device.sendString(QStringLiteral("open \"") + folder.file(QStringLiteral("tone.wav")) +
                      QStringLiteral("\" alias wav1"));
    device.sendString(QStringLiteral("play wav1"));
    QTest::qWait(500);  // the load's and the start's events come through the event loop
    before = cpuSeconds(QCoreApplication::applicationPid());
    idle(10000);
    engineCpu = (cpuSeconds(QCoreApplication::applicationPid()) - before) / 10.0 * 100;
    device.sendString(QStringLiteral("close all"));
  }
  std::printf(
      "CPU while playing: program %.2f %% of a core, its audio engine alone %.2f %%, paplay alone "
      "%.2f %%\n",
      programCpu, engineCpu, paplayCpu);
  return 0;
}
