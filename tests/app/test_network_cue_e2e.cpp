// A show spread over two machines, in the private environment: two
// programs side by side from two portable program folders. A network cue
// fired in the first ([[OSC 127.0.0.1:PORT /scenova/go]]) fires GO in the
// second, whose tone is heard at the null sink.

#include "support/osc_client.h"
#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/program_window.h"
#include "support/sink_recorder.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using test::Clock;
using test::xdotool;

namespace {

// One program from a portable folder of its own, taking remote control.
struct Program {
  test::ProgramFolder folder;
  std::unique_ptr<QProcess> process;
  test::ProgramWindow window;
  quint16 port = 0;

  bool prepare(const QByteArray& script) {
    if (!test::installTestProgram(folder)) return false;
    folder.write(QStringLiteral("Files/Portable.ini"), "");
    folder.write(QStringLiteral("tone.wav"), test::toneWav(440, 8));
    folder.write(QStringLiteral("show.rtf"),
                 "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 " + script + "}");
    return true;
  }
  bool start() {
    port = test::OscClient::freePort();
    process = test::startProgram(folder, {QStringLiteral("--remote"), QString::number(port),
                                          folder.file(QStringLiteral("show.rtf"))});
    return process->waitForStarted() && window.find(*process, QStringLiteral("^Scenova - show"));
  }
  QString title() const {
    return test::run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window.id});
  }
  // Show mode on, from the keyboard of its window (F12 again only when the
  // title does not say show mode: there is no window manager to hand the
  // focus over at once).
  bool showMode() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window.id});
      xdotool({QStringLiteral("key"), QStringLiteral("F12")});
      if (QTest::qWaitFor([&] { return title().endsWith(QStringLiteral("[SHOW]")); }, 2000))
        return true;
    }
    return false;
  }
  ~Program() {
    if (!process) return;
    process->kill();
    process->waitForFinished(5000);
  }
};

QString nextCue(test::OscClient& c) {
  const platform::OscMessage m = c.last("/scenova/state");
  return m.args.size() == 5 ? m.args[0].text : QStringLiteral("(none)");
}

}  // namespace

class TestNetworkCueEndToEnd : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void aNetworkCueFiresGoInTheOtherProgram() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"xdotool", "parec"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool and parec");
    test::SinkRecorder sound;
    QVERIFY(sound.start());

    // The second machine: the sound, in show mode, the tone loaded and the
    // mark on Play Audio.
    Program second;
    QVERIFY(second.prepare("[[tone.wav]]\\par [[Play Audio]]\\par [[Stop Audio]]\\par"));
    QVERIFY2(second.start(), "the second program's window did not come up");
    test::OscClient watch;
    QVERIFY(watch.roundTrip(second.port, 10000) >= 0);
    watch.send(second.port, "/scenova/subscribe");
    QVERIFY2(second.showMode(), "the second program did not go into show mode");
    QTRY_COMPARE(nextCue(watch), QStringLiteral("tone.wav"));
    watch.send(second.port, "/scenova/go");
    QTRY_COMPARE(nextCue(watch), QStringLiteral("Play Audio"));

    // The first machine: its only cue sends GO to the second.
    Program first;
    QVERIFY(first.prepare("[[osc 127.0.0.1:" + QByteArray::number(second.port) +
                          " /scenova/go]]\\par"));
    QVERIFY2(first.start(), "the first program's window did not come up");
    test::OscClient desk;
    QVERIFY(desk.roundTrip(first.port, 10000) >= 0);
    QVERIFY2(first.showMode(), "the first program did not go into show mode");
    desk.send(first.port, "/scenova/subscribe");
    QTRY_COMPARE(nextCue(desk), QStringLiteral("osc 127.0.0.1:%1 /scenova/go").arg(second.port));
    QTest::qWait(300);  // time let pass on purpose: nothing may sound in it
    QCOMPARE(sound.loudMs(Clock::now() - std::chrono::milliseconds(300), Clock::now()), 0.0);

    // GO in the first program: the second plays.
    const Clock::time_point t = Clock::now();
    desk.send(first.port, "/scenova/go");
    QTRY_VERIFY(sound.onsetMsAfter(t) >= 0);
    QTRY_COMPARE(nextCue(watch), QStringLiteral("Stop Audio"));
    QTRY_COMPARE(nextCue(desk), QString());  // past the first program's last cue
  }
};

QTEST_MAIN(TestNetworkCueEndToEnd)
#include "test_network_cue_e2e.moc"
