// The sound server's outputs against a private server with a second null
// sink: the list and its changes, the mixer on the chosen output, and the
// audio device's and the player's sound moving to it, also while playing.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "audio_test_support.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/mixer_pulse.h"
#include "platform/media/mpv_player.h"
#include "platform/media/sound_outputs_pulse.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

const QString kSecond = QStringLiteral("second_sink");
const QString kSecondDescription = QStringLiteral("Second test output");

bool hasOutput(const QList<SoundOutput>& list, const QString& name) {
  return std::any_of(list.begin(), list.end(),
                     [&](const SoundOutput& o) { return o.name == name; });
}

}  // namespace

class TestSoundOutputs : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  QString module_;  // the second sink's module index
  // Recorders that keep both sinks awake and hear them.
  std::unique_ptr<SinkRecorder> first_, second_;

  bool loadSecond() {
    const auto [ok, index] = pulse_.pactl(
        {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
         QStringLiteral("sink_name=") + kSecond, QStringLiteral("rate=48000"),
         QStringLiteral("sink_properties=\"device.description='%1'\"").arg(kSecondDescription)});
    module_ = index.trimmed();
    return ok;
  }
  bool unloadSecond() {
    second_.reset();
    return pulse_.pactl({QStringLiteral("unload-module"), module_}).first;
  }
  bool record() {
    first_ = std::make_unique<SinkRecorder>();
    second_ = std::make_unique<SinkRecorder>();
    return first_->start(pulse_.server()) &&
           second_->start(pulse_.server(), 5, kSecond + QStringLiteral(".monitor"));
  }

  static qint64 position(MpvAudioDevice& d) {
    QString reply;
    if (d.sendString(QStringLiteral("status wav1 position"), &reply) != 0) return -1;
    return reply.toLongLong();
  }

  quint32 sinkVolume(const QString& sink) {
    const auto [ok, text] = pulse_.pactl({QStringLiteral("get-sink-volume"), sink});
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    const QRegularExpressionMatch m = channel.match(text);
    return m.hasMatch() ? m.captured(1).toUInt() : 0;
  }

  // Whether the recorder hears a steady sound from sample `from` on (waits
  // up to timeoutMs for it).
  static bool hears(SinkRecorder& r, qint64 from, int timeoutMs = 2000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
      if (r.firstLoud(from) >= 0) return true;
      QTest::qWait(10);  // polling
    }
    return false;
  }
  // Whether the recorder stays silent for ms from now on.
  static bool staysSilent(SinkRecorder& r, int ms) {
    const qint64 from = r.sampleCount();
    QTest::qWait(ms);  // time let pass on purpose: nothing may sound in it
    return r.firstLoud(from) < 0;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    pulse_.usePulse();
    QVERIFY(loadSecond());
    QVERIFY(writeBytes(dir_.filePath(QStringLiteral("tone.wav")), segmentedWav({{8000, 440}})));
  }

  // Descriptions as the server shows them; an output that comes or goes is
  // reported and read again.
  void listsAndWatchesTheOutputs() {
    PulseSoundOutputs outputs;
    QSignalSpy changed(&outputs, &SoundOutputs::changed);
    outputs.start();
    const QList<SoundOutput> list = outputs.list(2000);
    QVERIFY(outputs.known());
    QVERIFY(hasOutput(list, QStringLiteral("test_sink")));
    QVERIFY(list.contains(SoundOutput{kSecond, kSecondDescription}));

    QVERIFY(unloadSecond());
    QTRY_VERIFY(!hasOutput(outputs.list(0), kSecond));
    QTRY_VERIFY(changed.count() >= 2);  // the first list, then the one without it
    QVERIFY(loadSecond());
    QTRY_VERIFY(hasOutput(outputs.list(0), kSecond));
  }

  // Volume changes (every step of a fade) are no change of the outputs.
  void volumeChangesAreNoChange() {
    PulseSoundOutputs outputs;
    QSignalSpy first(&outputs, &SoundOutputs::changed);
    outputs.start();
    QTRY_COMPARE(first.count(), 1);  // the first list
    QSignalSpy changed(&outputs, &SoundOutputs::changed);
    PulseMixer m;
    QVERIFY(m.open());
    for (quint32 v = 30000; v < 30100; v += 10) m.setValue(v);
    QTRY_COMPARE(sinkVolume(QStringLiteral("test_sink")), 30090u);
    QTest::qWait(100);  // time let pass on purpose: no change may be reported
    QCOMPARE(changed.count(), 0);
  }

  // Without a server the list is empty at once: the window never waits.
  void noServerNoWait() {
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir_.filePath(QStringLiteral("none"))));
    PulseSoundOutputs outputs;
    outputs.start();
    QElapsedTimer t;
    t.start();
    QVERIFY(outputs.list(3000).isEmpty());
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!outputs.known());
    qputenv("PULSE_SERVER", saved);
  }

  // The knob acts on the chosen output: its last value goes there at once,
  // and the default output keeps its own volume.
  void mixerActsOnTheChosenOutput() {
    QVERIFY(pulse_
                .pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test_sink"),
                        QStringLiteral("65536")})
                .first);
    QVERIFY(
        pulse_.pactl({QStringLiteral("set-sink-volume"), kSecond, QStringLiteral("65536")}).first);
    PulseMixer m;
    QVERIFY(m.open());
    QVERIFY(m.setValue(40000));
    QTRY_COMPARE(sinkVolume(QStringLiteral("test_sink")), 40000u);
    m.setOutput(kSecond);
    QTRY_COMPARE(sinkVolume(kSecond), 40000u);
    QVERIFY(m.setValue(20000));
    QTRY_COMPARE(sinkVolume(kSecond), 20000u);
    QCOMPARE(m.readValue(), std::optional<quint32>(20000u));
    QCOMPARE(sinkVolume(QStringLiteral("test_sink")), 40000u);
    m.setOutput({});
    QVERIFY(m.setValue(10000));
    QTRY_COMPARE(sinkVolume(QStringLiteral("test_sink")), 10000u);
    QCOMPARE(sinkVolume(kSecond), 20000u);
    pulse_.pactl(
        {QStringLiteral("set-sink-volume"), QStringLiteral("test_sink"), QStringLiteral("65536")});
    pulse_.pactl({QStringLiteral("set-sink-volume"), kSecond, QStringLiteral("65536")});
  }

  // A cue opened after the choice plays there; one that plays moves there,
  // and back; when the output goes away the server's default takes it.
  void audioDeviceFollowsTheOutput() {
    QVERIFY(record());
    MpvAudioDevice d;
    d.setOutput(kSecond);
    const QString open =
        QStringLiteral("open \"%1\" alias wav1").arg(dir_.filePath(QStringLiteral("tone.wav")));
    QCOMPARE(d.sendString(open), 0u);
    qint64 from1 = first_->sampleCount(), from2 = second_->sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QVERIFY(hears(*second_, from2));
    QVERIFY(first_->firstLoud(from1) < 0);

    // Back to the default while it plays; the position runs on.
    from1 = first_->sampleCount();
    const qint64 before = position(d);
    d.setOutput({});
    QVERIFY(hears(*first_, from1));
    QVERIFY2(position(d) > before,
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(position(d))));
    QVERIFY(staysSilent(*second_, 300));

    // And to the second one again.
    from2 = second_->sampleCount();
    d.setOutput(kSecond);
    QVERIFY(hears(*second_, from2));
    QVERIFY(staysSilent(*first_, 300));
    d.sendString(QStringLiteral("close all"));
  }

  // The media player (video and MIDI sound) likewise.
  void playerFollowsTheOutput() {
    QVERIFY(record());
    PlayerSettings settings;
    settings.volume = 100;
    MpvMediaPlayer p(settings, MpvMediaPlayer::VideoOutput::None, nullptr);
    p.setAudioOutput(kSecond);
    p.setUrl(dir_.filePath(QStringLiteral("tone.wav")));
    QTRY_VERIFY(p.hasMedia());
    const qint64 from1 = first_->sampleCount(), from2 = second_->sampleCount();
    p.play();
    QVERIFY(hears(*second_, from2));
    QVERIFY(first_->firstLoud(from1) < 0);
    const qint64 back = first_->sampleCount();
    p.setAudioOutput({});
    QVERIFY(hears(*first_, back));
    QVERIFY(staysSilent(*second_, 300));
    p.close();
  }
};

QTEST_MAIN(TestSoundOutputs)
#include "test_sound_outputs.moc"
