// Options, Audio output against a private sound server with a second null
// sink: the choice made in the dialog sends a playing cue there, and when
// the sink is unloaded during the cue (a USB interface unplugged) the
// notice comes and the cue goes on at the default output.

#include "audio/output_choice.h"
#include "fakes/fakes.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/audio_test_support.h"
#include "platform/media/mixer_pulse.h"
#include "platform/media/player_route.h"
#include "platform/media/sound_outputs_pulse.h"

#include <QTemporaryDir>
#include <QTest>

using namespace scenova;
using namespace scenova::testing;
using audio::OutputChoice;

namespace {

const QString kSecond = QStringLiteral("second_sink");
const QString kDescription = QStringLiteral("Second test output");

}  // namespace

class TestOutputSound : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;

  QString load() {
    const auto [ok, index] = pulse_.pactl(
        {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
         QStringLiteral("sink_name=") + kSecond, QStringLiteral("rate=48000"),
         QStringLiteral("sink_properties=\"device.description='%1'\"").arg(kDescription)});
    return ok ? index.trimmed() : QString();
  }
  static bool hears(const SinkRecorder& r, qint64 from, int timeoutMs = 2000) {
    return QTest::qWaitFor([&] { return r.firstLoud(from) >= 0; }, timeoutMs);
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    pulse_.usePulse();
    QVERIFY(writeBytes(dir_.filePath(QStringLiteral("tone.wav")), segmentedWav({{20000, 440}})));
  }

  void unpluggedDuringACue() {
    QString module = load();
    QVERIFY(!module.isEmpty());
    SinkRecorder first, second;
    QVERIFY(first.start(pulse_.server()));
    QVERIFY(second.start(pulse_.server(), 5, kSecond + QStringLiteral(".monitor")));

    platform::PulseSoundOutputs outputs;
    outputs.start();
    platform::MpvAudioDevice device;
    platform::PulseMixer mixer;
    QVERIFY(mixer.open());
    mixer.setValue(65536);
    platform::FakeDialogs dialogs;
    QStringList notices;
    platform::PlayerRoute players;  // no video here: its sound goes nowhere
    OutputChoice choice(audio::OutputParts{
        .outputs = outputs,
        .device = device,
        .mixer = mixer,
        .players = players,
        .dialogs = dialogs,
        .dialogOwner = nullptr,
        .text = {},  // the built-in texts
        .notice = [&notices](const QString& text) { notices << text; },
    });

    QCOMPARE(device.sendString(QStringLiteral("open \"%1\" alias wav1")
                                   .arg(dir_.filePath(QStringLiteral("tone.wav")))),
             0u);
    QCOMPARE(device.sendString(QStringLiteral("play wav1")), 0u);
    QVERIFY(hears(first, 0));

    dialogs.choiceAnswers.push_back(kDescription);
    qint64 from = second.sampleCount();
    choice.choose();
    QCOMPARE(choice.current(), kSecond);
    QVERIFY2(hears(second, from), "the playing cue did not move to the chosen output");

    // Unplugged: the notice, and the cue goes on at the default output.
    from = first.sampleCount();
    notices.clear();
    QVERIFY(pulse_.pactl({QStringLiteral("unload-module"), module}).first);
    QTRY_COMPARE(notices.size(), 1);
    QCOMPARE(notices[0], choice.text(OutputChoice::kLostNotice).arg(kDescription));
    QCOMPARE(choice.current(), QString());
    QVERIFY2(hears(first, from), "the cue did not go on at the default output");
    // Still sounding half a second later.
    const qint64 later = first.sampleCount() + SinkRecorder::kRate / 2;
    QTRY_VERIFY(first.sampleCount() >= later);
    QVERIFY(first.lastLoud(later - SinkRecorder::kRate / 10) >= 0);
    QCOMPARE(device.sendString(QStringLiteral("status wav1 position")), 0u);

    // Back, and chosen again.
    module = load();
    QVERIFY(!module.isEmpty());
    SinkRecorder again;
    QVERIFY(again.start(pulse_.server(), 5, kSecond + QStringLiteral(".monitor")));
    QTRY_VERIFY(!outputs.list(0).isEmpty() && outputs.list(0).size() == 2);
    dialogs.choiceAnswers.push_back(kDescription);
    from = again.sampleCount();
    choice.choose();
    QVERIFY2(hears(again, from), "chosen again, the output did not get the sound");
    device.sendString(QStringLiteral("close all"));
  }
};

QTEST_MAIN(TestOutputSound)
#include "test_output_sound.moc"
