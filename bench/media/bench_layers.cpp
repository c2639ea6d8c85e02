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
#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

#include <mpv/client.h>
#include <unistd.h>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <thread>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/support/program_folder.h"

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace scenova::testing;

namespace {

constexpr int kLoops = 8;

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
  return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Resident memory in MB.
double residentMb(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/status").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& l : f.readAll().split('\n'))
    if (l.startsWith("VmRSS:")) return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
  return 0;
}

void report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return;
  std::printf("%-34s median %6.1f ms  worst %6.1f ms  best %6.1f ms  (n=%zu)\n", what,
              v[v.size() / 2], v.back(), v.front(), v.size());
}

double onsetAfter(SinkRecorder& rec, qint64 mark, Clock::time_point t) {
  QTest::qWait(400);
  const qint64 i = rec.firstLoud(mark, 1000);
  return i < 0 ? -1 : ms(rec.arrival(i) - t);
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
  scenova::test::ProgramFolder folder;
  const QString exe = folder.file(QStringLiteral("scenova"));
  QFile::copy(qEnvironmentVariable("SCENOVA_EXECUTABLE"), exe);
  QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  folder.write(QStringLiteral("tone.wav"), segmentedWav({{5000, 440}}));
  QByteArray script = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 [[Sound tone.wav]]\\par "
                      "[[Stop Sounds]]\\par ";
  for (int i = 0; i < kLoops; ++i) {
    const QString name = QStringLiteral("loop%1.wav").arg(i);
    folder.write(name, segmentedWav({{30000, 300.0 + 50 * i}}));
    script += "[[Loop " + name.toUtf8() + "]]\\par ";
  }
  folder.write(QStringLiteral("show.rtf"), script + "}");

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
  QTest::qWait(800);
  int x = 0, y = 0;
  for (const QString& l : run(QStringLiteral("xdotool"),
                              {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id})
                              .split(QLatin1Char('\n'))) {
    if (l.startsWith(QLatin1StringView("X="))) x = l.mid(2).toInt();
    if (l.startsWith(QLatin1StringView("Y="))) y = l.mid(2).toInt();
  }
  QMenuBar bar;
  bar.addMenu(QStringLiteral("&File"));
  const double menu = bar.sizeHint().height();
  const double lineHeight = QFontMetricsF(QFont(QStringLiteral("Arial"), 24)).lineSpacing();
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  auto click = [&](int line) {
    XTestFakeMotionEvent(display, -1, x + 62, y + int(menu + 46 + 6 + (line + 0.5) * lineHeight),
                         CurrentTime);
    XSync(display, False);
    QTest::qWait(50);
    const Clock::time_point t = Clock::now();
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    return t;
  };

  std::vector<double> ours, bareUnpause, bareLoad;
  BareMpv bare;
  const QString tone = folder.file(QStringLiteral("tone.wav"));
  for (int trial = 0; trial < 20; ++trial) {
    qint64 mark = rec.sampleCount();
    const double o = onsetAfter(rec, mark, click(0));
    if (o >= 0) ours.push_back(o);
    click(1);
    QTest::qWait(400);

    bare.load(tone, true);
    QTest::qWait(300);
    mark = rec.sampleCount();
    Clock::time_point t = Clock::now();
    bare.setPause(false);
    if (const double b = onsetAfter(rec, mark, t); b >= 0) bareUnpause.push_back(b);
    bare.stop();
    QTest::qWait(300);

    mark = rec.sampleCount();
    t = Clock::now();
    bare.load(tone, false);
    if (const double b = onsetAfter(rec, mark, t); b >= 0) bareLoad.push_back(b);
    bare.stop();
    QTest::qWait(300);
  }
  report("click on a layer cue to sound", ours);
  report("bare libmpv unpause to sound", bareUnpause);
  report("bare libmpv load and play to sound", bareLoad);

  rec.stop();
  const auto idle = [](int msecs) { std::this_thread::sleep_for(std::chrono::milliseconds(msecs)); };
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
  XCloseDisplay(display);
  program.kill();
  program.waitForFinished(5000);
  return 0;
}
