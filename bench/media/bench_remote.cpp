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
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <thread>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/support/osc_client.h"
#include "../../tests/support/program_folder.h"

// Last: Xlib defines macros (None, Bool...) that clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

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

double cpuSeconds(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray line = f.readAll();
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) {
    std::printf("%-28s no sound\n", what);
    return;
  }
  std::printf("%-28s median %6.1f ms  worst %6.1f ms  best %6.1f ms  (n=%zu)\n", what,
              v[v.size() / 2], v.back(), v.front(), v.size());
}

double onsetAfter(SinkRecorder& rec, qint64 mark, Clock::time_point t) {
  QTest::qWait(400);
  const qint64 i = rec.firstLoud(mark, 1000);
  return i < 0 ? -1 : ms(rec.arrival(i) - t);
}

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
               "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par [[Play "
               "Audio]]\\par [[Stop Audio]]\\par}");

  SinkRecorder rec;
  if (!rec.start({}, 1)) return 1;
  const quint16 port = scenova::test::OscClient::freePort();
  QProcess program;
  program.setWorkingDirectory(folder.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_STATE_HOME"), folder.file(QStringLiteral("state")));
  program.setProcessEnvironment(env);
  program.start(exe, {QStringLiteral("--remote"), QString::number(port),
                      folder.file(QStringLiteral("show.rtf"))});
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
  const double lineHeight = QFontMetricsF(QFont(QStringLiteral("Arial"), 48)).lineSpacing();
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
  click(0);  // load the tone
  QTest::qWait(800);

  std::vector<double> viaOsc, viaClick;
  for (int trial = 0; trial < 20; ++trial) {
    // The mark on Play Audio, everything before the GO carried out.
    osc.send(port, "/scenova/first");
    osc.send(port, "/scenova/next");
    osc.roundTrip(port);
    QTest::qWait(100);
    qint64 mark = rec.sampleCount();
    Clock::time_point t = Clock::now();
    osc.send(port, "/scenova/go");
    double o = onsetAfter(rec, mark, t);
    if (o >= 0) viaOsc.push_back(o);
    osc.send(port, "/scenova/stop");
    QTest::qWait(300);

    mark = rec.sampleCount();
    t = click(1);
    o = onsetAfter(rec, mark, t);
    if (o >= 0) viaClick.push_back(o);
    click(2);
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
  XCloseDisplay(display);
  program.kill();
  program.waitForFinished(5000);
  return 0;
}
