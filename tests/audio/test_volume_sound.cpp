// The volume slider on a real sound server: a fast fade-out takes a playing
// tone down to silence in about a second, and "Vol 50" puts the master
// volume at half.

#include "platform/media/audio_test_support.h"
#include "platform/media/mixer_pulse.h"
#include "volume_test_support.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace scenova;
using namespace scenova::testing;
using namespace Qt::StringLiterals;
using test::Slider;

class TestVolumeSound : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;

  quint32 sinkVolume() {
    const auto [ok, text] = pulse_.pactl({u"get-sink-volume"_s, u"test_sink"_s});
    static const QRegularExpression channel(u":\\s*(\\d+)\\s*/"_s);
    const QRegularExpressionMatch m = channel.match(text);
    return ok && m.hasMatch() ? m.captured(1).toUInt() : 0xffffffff;
  }
  bool sinkReaches(quint32 value) {
    return QTest::qWaitFor([&] { return sinkVolume() == value; }, 2000);
  }

  // A slider on the real mixer, the knob at the top of the track.
  struct RealSlider {
    platform::PulseMixer mixer;
    QTimer timer2, timer3;
    platform::FakeMediaPlayer wmp2, wmp1;  // the players follow the knob too
    test::MemoryVolumeView* view = nullptr;
    std::unique_ptr<audio::VolumeControl> v;
    RealSlider() {
      audio::VolumeParts parts;
      auto memory = std::make_unique<test::MemoryVolumeView>();
      view = memory.get();
      parts.view = std::move(memory);
      parts.dragTimer = &timer2;
      parts.fadeTimer = &timer3;
      parts.mixer = &mixer;
      parts.mainPlayer = [this] { return &wmp2; };
      parts.projectorPlayer = [this] { return &wmp1; };
      v = std::make_unique<audio::VolumeControl>(std::move(parts));
      v->OpenMixer();
      v->LayoutVolumeKnob();
      v->Image3_MouseUp(1, 0, 45, view->kHeight / 2);
    }
  };

  // The loudest sample in [from, to).
  static int peak(const std::vector<qint16>& s, size_t from, size_t to) {
    int p = 0;
    for (size_t i = from; i < std::min(to, s.size()); ++i) p = std::max(p, std::abs(int{s[i]}));
    return p;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(dir_.filePath(u"pulse"_s)));
    pulse_.usePulse();
  }

  void fadeOutFastSilencesTheToneInASecond() {
    RealSlider s;
    QCOMPARE(s.v->mixerMax(), 65536u);
    QVERIFY(sinkReaches(65536));
    const QString wav = dir_.filePath(u"tone.wav"_s);
    QVERIFY(writeBytes(wav, segmentedWav({{4000, 440}})));
    SinkRecorder recorder;
    QVERIFY(recorder.start(pulse_.server()));
    QProcess player;
    player.start(u"paplay"_s, {u"--server="_s + pulse_.server(), wav});
    QVERIFY(QTest::qWaitFor([&] { return recorder.firstLoud(0) >= 0; }, 3000));
    // A fifth of a second of the tone at full volume recorded before the fade.
    const qint64 toneFrom = recorder.firstLoud(0);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.sampleCount() >= toneFrom + SinkRecorder::kRate / 5, 3000);

    const qint64 fadeFrom = recorder.sampleCount();
    const auto start = Clock::now();
    s.v->Image7_Click();
    QElapsedTimer sinkClock;
    sinkClock.start();
    qint64 silentAfterMs = -1;
    while (sinkClock.elapsed() < 3000 && silentAfterMs < 0) {
      if (sinkVolume() == 0)
        silentAfterMs = sinkClock.elapsed();
      else
        QTest::qWait(5);  // polling
    }
    const double fadeSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    // Three tenths of a second recorded after the sink went silent.
    const qint64 silentFrom = recorder.sampleCount();
    QTRY_VERIFY_WITH_TIMEOUT(recorder.sampleCount() >= silentFrom + SinkRecorder::kRate * 3 / 10,
                             3000);
    recorder.stop();
    player.kill();
    player.waitForFinished();

    QVERIFY(!s.v->fading());
    QCOMPARE(s.view->caption, u" 0"_s);
    QVERIFY2(silentAfterMs >= 900 && silentAfterMs <= 1300,
             qPrintable(QString::number(silentAfterMs)));
    QVERIFY2(fadeSeconds < 1.4, qPrintable(QString::number(fadeSeconds)));
    // The recorded tone dies away: loud before, quieter half-way, silent after.
    const std::vector<qint16> rec = recorder.samples();
    const size_t from = size_t(fadeFrom), tenth = SinkRecorder::kRate / 10;
    const int before = peak(rec, from - tenth, from);
    const int halfWay = peak(rec, from + 5 * tenth, from + 6 * tenth);
    const int after = peak(rec, rec.size() - tenth, rec.size());
    qInfo("sink at 0 after %lld ms; tone peaks %d before, %d half-way, %d after", silentAfterMs,
          before, halfWay, after);
    QVERIFY2(before > 10000 && halfWay < before / 2 && halfWay > 100 && after < 50,
             qPrintable(u"%1 %2 %3"_s.arg(before).arg(halfWay).arg(after)));
  }

  // "Vol 50": the knob half-way, its value by the knob rule, then applied.
  void volFiftyHalvesTheSink() {
    RealSlider s;
    const double low = std::nearbyint(s.view->tTop + s.view->tHeight - s.view->kHeight);
    s.view->kTop = low - (low - std::nearbyint(s.view->tTop)) / 100 * 50;
    s.view->tag = QString::number(s.v->knobValueFor(s.view->kTop));
    s.v->ApplyVolume();
    QCOMPARE(s.view->tag, u"32768"_s);
    QCOMPARE(s.view->caption, u" 50"_s);
    QVERIFY(sinkReaches(32768));
  }
};

QTEST_MAIN(TestVolumeSound)
#include "test_volume_sound.moc"
