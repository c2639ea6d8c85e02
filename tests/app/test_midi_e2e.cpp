// MIDI input end to end: the real program with remote control on, in the
// private environment's JACK server (dummy backend); MIDI Show Control and
// notes sent from this test to the program's input port "Scenova" fire GO,
// Stop all and move the mark, heard at the null sink and followed through
// an OSC subscription. Outside show mode they change nothing.

#include "support/osc_client.h"
#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/program_window.h"
#include "support/sink_recorder.h"

#include <RtMidi.h>

#include <QFile>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using test::Clock;
using test::xdotool;

namespace {

QString state(test::OscClient& c) {
  const platform::OscMessage m = c.last("/scenova/state");
  if (m.args.size() != 5) return QStringLiteral("(none)");
  return m.args[0].text + QLatin1Char('|') + QString::number(m.args[2].i);
}

}  // namespace

class TestMidiEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;
  quint16 port_ = 0;
  std::unique_ptr<RtMidiOut> midi_;

  void send(std::vector<unsigned char> bytes) { midi_->sendMessage(&bytes); }

  bool showMode() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_.id});
      xdotool({QStringLiteral("key"), QStringLiteral("F12")});
      if (QTest::qWaitFor(
              [&] {
                return test::run(QStringLiteral("xdotool"),
                                 {QStringLiteral("getwindowname"), window_.id})
                    .endsWith(QStringLiteral("[SHOW]"));
              },
              2000))
        return true;
    }
    return false;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    if (qEnvironmentVariableIsEmpty("SCENOVA_TEST_JACK")) QSKIP("needs the test JACK server");
    for (const char* tool : {"xdotool", "parec"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool and parec");
    QVERIFY(test::installTestProgram(folder_));
    folder_.write(QStringLiteral("tone.wav"), test::toneWav(440, 8));
    folder_.write(QStringLiteral("show.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par "
                  "[[Play Audio]]\\par [[Stop Audio]]\\par}");
    port_ = test::OscClient::freePort();
    program_ = test::startProgram(folder_, {QStringLiteral("--remote"), QString::number(port_),
                                            folder_.file(QStringLiteral("show.rtf"))});
    QVERIFY(program_->waitForStarted());
    QVERIFY2(window_.find(*program_, QStringLiteral("^Scenova - show")),
             "the program's window did not come up");

    // This test's own JACK client, connected to the program's input port.
    midi_ = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "scenova-test");
    int found = -1;
    for (int tries = 0; tries < 100 && found < 0; ++tries) {
      for (unsigned i = 0; i < midi_->getPortCount(); ++i)
        if (midi_->getPortName(i).find("Scenova:Scenova") != std::string::npos) found = int(i);
      if (found < 0) QTest::qWait(100);  // polling: the port comes up
    }
    QVERIFY2(found >= 0, "the program's MIDI input port did not come up");
    midi_->openPort(unsigned(found), "to-scenova");
  }

  void cleanupTestCase() {
    midi_.reset();
    if (!program_) return;
    program_->kill();
    program_->waitForFinished(5000);
  }

  void showControlAndNotesRunTheShow() {
    test::SinkRecorder sound;
    QVERIFY(sound.start());
    test::OscClient watch;
    QVERIFY(watch.roundTrip(port_, 10000) >= 0);
    watch.send(port_, "/scenova/subscribe");
    QTRY_COMPARE(state(watch), QStringLiteral("|0"));

    // Outside show mode: MSC GO and note 60 change nothing.
    Clock::time_point t = Clock::now();
    send({0xf0, 0x7f, 0x7f, 0x02, 0x01, 0x01, 0xf7});
    send({0x90, 60, 100});
    send({0x90, 62, 100});
    // Time let pass on purpose: nothing may sound or change in it.
    QTest::qWait(500);  // on purpose
    QCOMPARE(sound.loudMs(t, Clock::now()), 0.0);
    QCOMPARE(state(watch), QStringLiteral("|0"));

    QVERIFY2(showMode(), "the program did not go into show mode");
    QTRY_COMPARE(state(watch), QStringLiteral("tone.wav|0"));

    // MSC GO (device 0x7f, format "all") loads the tone; Note On 60 on
    // channel 5 plays it.
    send({0xf0, 0x7f, 0x7f, 0x02, 0x7f, 0x01, 0xf7});
    QTRY_COMPARE(state(watch), QStringLiteral("Play Audio|0"));
    t = Clock::now();
    send({0x94, 60, 90});
    QTRY_VERIFY(sound.onsetMsAfter(t) >= 0);
    QTRY_COMPARE(state(watch), QStringLiteral("Stop Audio|1"));

    // Note 61: Stop all.
    send({0x90, 61, 64});
    QTRY_COMPARE(state(watch), QStringLiteral("Stop Audio|0"));

    // MSC RESET to the first cue, note 62 one on; MSC STOP also stops.
    send({0xf0, 0x7f, 0x01, 0x02, 0x10, 0x0a, 0xf7});
    QTRY_COMPARE(state(watch), QStringLiteral("tone.wav|0"));
    send({0x90, 62, 64});
    QTRY_COMPARE(state(watch), QStringLiteral("Play Audio|0"));
    send({0x90, 60, 64});
    QTRY_COMPARE(state(watch), QStringLiteral("Stop Audio|1"));
    send({0xf0, 0x7f, 0x01, 0x02, 0x10, 0x02, 0xf7});
    QTRY_COMPARE(state(watch), QStringLiteral("Stop Audio|0"));
  }
};

QTEST_MAIN(TestMidiEndToEnd)
#include "test_midi_e2e.moc"
