// The audio cue as the operator meets it, in the real window under the test
// X server and sound server (scripts/test-env.sh):
//
//   click to sound: an xdotool click on "[[Play Audio]]" to the first loud
//     block at the null sink's monitor, 20 trials, beside paplay started the
//     same way (a process started at the same moment) on the same WAV, so
//     that the program's own share is the difference of the medians;
//   CPU while playing: the program's CPU time over 10 s of a playing cue,
//     beside paplay playing the same file alone and beside the program's
//     own audio device (the media engine with the program's settings)
//     playing it inside this otherwise idle process.
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

#include <unistd.h>
#include <algorithm>
#include <cstdio>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/support/program_folder.h"
#include "platform/media/audio_device_mpv.h"

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

// The CPU time (user + system) a process has used, in seconds.
double cpuSeconds(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray line = f.readAll();
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  // utime and stime are fields 14 and 15 of the line, 12 and 13 after ")".
  return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

void report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return;
  std::printf("%-28s median %6.1f ms  worst %6.1f ms  best %6.1f ms  (n=%zu)\n", what,
              v[v.size() / 2], v.back(), v.front(), v.size());
}

// When sound first reached the monitor after `t`, in ms (-1: none in 1 s).
double onsetAfter(SinkRecorder& rec, qint64 mark, Clock::time_point t) {
  QTest::qWait(400);
  const qint64 i = rec.firstLoud(mark, 1000);
  return i < 0 ? -1 : ms(rec.arrival(i) - t);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
  if (!rec.start()) return 1;
  QProcess program;
  program.setWorkingDirectory(folder.path());
  // A state folder of its own: the recovery copy of an earlier run, killed
  // at its end, would otherwise greet this one with the restore question.
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
  const double lineHeight = QFontMetricsF(QFont(QStringLiteral("Arial"), 48)).lineSpacing();
  auto click = [&](int line) {
    const int cy = y + int(menu + 46 + 6 + (line + 0.5) * lineHeight);
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(x + 62), QString::number(cy)});
    QTest::qWait(50);
    const Clock::time_point t = Clock::now();
    run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
    return t;
  };

  click(0);  // load the cue
  QTest::qWait(800);
  std::vector<double> ours, reference;
  for (int trial = 0; trial < 20; ++trial) {
    qint64 mark = rec.sampleCount();
    Clock::time_point t = click(1);
    const double o = onsetAfter(rec, mark, t);
    if (o >= 0) ours.push_back(o);
    click(2);
    QTest::qWait(300);

    mark = rec.sampleCount();
    t = Clock::now();
    QProcess paplay;
    paplay.start(QStringLiteral("paplay"), {folder.file(QStringLiteral("tone.wav"))});
    const double r = onsetAfter(rec, mark, t);
    if (r >= 0) reference.push_back(r);
    paplay.kill();
    paplay.waitForFinished(2000);
    QTest::qWait(300);
  }
  report("click to sound (program)", ours);
  report("paplay start to sound", reference);

  // CPU while playing, 10 s each.
  click(1);
  QTest::qWait(500);
  double before = cpuSeconds(program.processId());
  QTest::qWait(10000);
  const double programCpu = (cpuSeconds(program.processId()) - before) / 10.0 * 100;
  click(2);
  QProcess paplay;
  paplay.start(QStringLiteral("paplay"), {folder.file(QStringLiteral("tone.wav"))});
  paplay.waitForStarted();
  QTest::qWait(500);
  before = cpuSeconds(paplay.processId());
  QTest::qWait(10000);
  const double paplayCpu = (cpuSeconds(paplay.processId()) - before) / 10.0 * 100;
  paplay.kill();
  paplay.waitForFinished(2000);
  double engineCpu = 0;
  {
    scenova::platform::MpvAudioDevice device;
    device.sendString(QStringLiteral("open \"") + folder.file(QStringLiteral("tone.wav")) +
                      QStringLiteral("\" alias wav1"));
    device.sendString(QStringLiteral("play wav1"));
    QTest::qWait(500);
    before = cpuSeconds(QCoreApplication::applicationPid());
    QTest::qWait(10000);
    engineCpu = (cpuSeconds(QCoreApplication::applicationPid()) - before) / 10.0 * 100;
    device.sendString(QStringLiteral("close all"));
  }
  std::printf(
      "CPU while playing: program %.2f %% of a core, its audio engine alone %.2f %%, paplay alone "
      "%.2f %%\n",
      programCpu, engineCpu, paplayCpu);
  program.kill();
  program.waitForFinished(5000);
  return 0;
}
