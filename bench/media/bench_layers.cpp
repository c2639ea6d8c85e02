// Sound layers as the operator meets them, in the real window under the test
// X server and sound server (scripts/test-env.sh):
//
//   click to sound: a click on "[[Sound tone.wav]]" to the first loud block
//     at the null sink's monitor, 20 trials (the click is the XTest button
//     event, timed as it leaves for the X server), each ended by a click on
//     "[[Stop Sounds]]". Beside it, on the same WAV in the same run, the bare
//     libmpv references: a player loaded and paused, unpaused (the engine
//     alone, as the audio panel's click-to-sound benchmark has it), and an
//     idle player told to load and play the file (what a layer whose file
//     was not loaded ahead has to do; the script's layer files wait loaded);
//   CPU with eight layers playing (eight loops started by clicks): the
//     program's CPU time over 10 s, the monitor recorder stopped first;
//   memory per layer: the program's resident memory before and with the
//     eight layers, divided by eight.
//
// Run: build/bench/media/bench_layers (with DISPLAY and PULSE_SERVER set,
// SCENOVA_EXECUTABLE naming the program, SCENOVA_SOURCE_DIR the tree).

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <mpv/client.h>
#include <clocale>
#include <cstdio>
#include <thread>

#include "../support/show_trials.h"

using namespace scenova::bench;
using scenova::testing::segmentedWav;

namespace {

constexpr int kLoops = 8;

// Resident memory in MB.
double residentMb(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/status").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& l : f.readAll().split('\n'))
    if (l.startsWith("VmRSS:")) return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
  return 0;
}

// A bare libmpv player with the settings a plain user of the library would
// pick.
class BareMpv {
 public:
  BareMpv() : h_(mpv_create()) {
    for (auto [k, v] : {std::pair{"vid", "no"},
                        {"ao", "pulse"},
                        {"idle", "yes"},
                        {"keep-open", "yes"},
                        {"load-scripts", "no"}}) {
      mpv_set_option_string(h_, k, v);
    }
    mpv_initialize(h_);
  }
  ~BareMpv() { mpv_terminate_destroy(h_); }
  void load(const QString& file, bool paused) {
    mpv_set_property_string(h_, "pause", paused ? "yes" : "no");
    const QByteArray path = file.toUtf8();
    const char* cmd[] = {"loadfile", path.constData(), nullptr};
    mpv_command_async(h_, 0, cmd);
  }
  void setPause(bool on) { mpv_set_property_string(h_, "pause", on ? "yes" : "no"); }
  void stop() {
    const char* cmd[] = {"stop", nullptr};
    mpv_command(h_, cmd);
  }

 private:
  mpv_handle* h_;
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
  folder.write(QStringLiteral("tone.wav"), segmentedWav({{5000, 440}}));
  QByteArray script =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 [[Sound tone.wav]]\\par "
      "[[Stop Sounds]]\\par ";
  for (int i = 0; i < kLoops; ++i) {
    const QString name = QStringLiteral("loop%1.wav").arg(i);
    folder.write(name, segmentedWav({{30000, 300.0 + 50 * i}}));
    script += "[[Loop " + name.toUtf8() + "]]\\par ";
  }
  if (!show.start(script + "}", 24)) return 1;
  SinkRecorder& rec = show.recorder();
  QProcess& program = show.program();
  auto click = [&](int line) { return show.click(line); };

  std::vector<double> ours, bareUnpause, bareLoad;
  BareMpv bare;
  const QString tone = folder.file(QStringLiteral("tone.wav"));
  for (int trial = 0; trial < 20; ++trial) {
    show.trial(ours, [&] { return click(0); });
    click(1);
    QTest::qWait(400);

    bare.load(tone, true);
    QTest::qWait(300);
    show.trial(bareUnpause, [&] {
      const Clock::time_point t = Clock::now();
      bare.setPause(false);
      return t;
    });
    bare.stop();
    QTest::qWait(300);

    show.trial(bareLoad, [&] {
      const Clock::time_point t = Clock::now();
      bare.load(tone, false);
      return t;
    });
    bare.stop();
    QTest::qWait(300);
  }
  report("click on a layer cue to sound", ours, 34);
  report("bare libmpv unpause to sound", bareUnpause, 34);
  report("bare libmpv load and play to sound", bareLoad, 34);

  rec.stop();
  const auto idle = [](int msecs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(msecs));
  };
  QTest::qWait(1000);
  const double before = residentMb(program.processId());
  double cpuBefore = cpuSeconds(program.processId());
  idle(5000);
  const double idleCpu = (cpuSeconds(program.processId()) - cpuBefore) / 5.0 * 100;
  for (int i = 0; i < kLoops; ++i) {
    click(2 + i);
    QTest::qWait(300);
  }
  QTest::qWait(2000);
  const double with = residentMb(program.processId());
  cpuBefore = cpuSeconds(program.processId());
  idle(10000);
  const double cpu = (cpuSeconds(program.processId()) - cpuBefore) / 10.0 * 100;
  std::printf("CPU with %d layers playing: %.2f %% of a core (the idle window: %.2f %%)\n", kLoops,
              cpu, idleCpu);
  std::printf("memory: %.1f MB before, %.1f MB with %d layers: %.2f MB per layer\n", before, with,
              kLoops, (with - before) / kLoops);
  click(1);
  QTest::qWait(2000);
  std::printf("memory after Stop Sounds: %.1f MB\n", residentMb(program.processId()));
  return 0;
}
