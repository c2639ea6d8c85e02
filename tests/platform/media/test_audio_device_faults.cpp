// The audio command device against an unlucky show: starts recorded at the
// test sink must be one unbroken tone, a short file played to its end again
// and again must start every time, and a sound server that hangs (SIGSTOP)
// or dies must neither hold the caller up nor leave the device unusable
// once it is back. Needs PulseAudio (skips without PULSE_SERVER).

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <numbers>

#include "audio_test_support.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/mpv_session.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

// 500 Hz: one period is exactly 96 samples at 48 kHz.
constexpr double kHz = 500;
constexpr int kPeriod = 96;
constexpr int kAmplitude = 16383;

QString openText(const QString& path) {
  return QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1");
}

// Why the recorded tone from `onset` on is not one unbroken sine of kHz
// over `periods` periods (a jump steeper than the sine's own, a change of
// phase or a gap); empty when it is.
QString breakIn(const std::vector<qint16>& s, size_t onset, int periods) {
  if (s.size() < onset + size_t(periods) * kPeriod) return QStringLiteral("too little recorded");
  const double steepest = kAmplitude * 2 * std::numbers::pi * kHz / SinkRecorder::kRate;
  for (size_t i = onset + 2; i < onset + size_t(periods) * kPeriod; ++i) {
    if (std::abs(s[i] - s[i - 1]) > 1.5 * steepest + 60)
      return QStringLiteral("jump of %1 at %2 ms")
          .arg(s[i] - s[i - 1])
          .arg(double(i - onset) * 1000 / SinkRecorder::kRate);
  }
  // The phase of every whole period against the first.
  double firstPhase = 0;
  for (int k = 0; k < periods; ++k) {
    double re = 0, im = 0;
    for (int n = 0; n < kPeriod; ++n) {
      const double x = s[onset + size_t(k * kPeriod + n)];
      re += x * std::cos(2 * std::numbers::pi * n / kPeriod);
      im += x * std::sin(2 * std::numbers::pi * n / kPeriod);
    }
    const double amplitude = 2 * std::hypot(re, im) / kPeriod;
    if (k == 0) continue;  // the first may start mid-period
    if (amplitude < kAmplitude * 0.8)
      return QStringLiteral("gap (amplitude %1) at period %2").arg(amplitude).arg(k);
    const double phase = std::atan2(im, re);
    if (k == 1) firstPhase = phase;
    const double drift = std::remainder(phase - firstPhase, 2 * std::numbers::pi);
    if (std::abs(drift) > 0.15)
      return QStringLiteral("phase moved %1 at period %2").arg(drift).arg(k);
  }
  return {};
}

}  // namespace

class TestAudioDeviceFaults : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  std::unique_ptr<SinkRecorder> recorder_;
  QString tone_;
  QString blip_;

  QString path(const QString& name) const { return dir_.filePath(name); }
  qint64 position(MpvAudioDevice& d) {
    QString reply;
    if (d.sendString(QStringLiteral("status wav1 position"), &reply) != 0) return -1;
    return reply.toLongLong();
  }
  static quint32 lengthWhenLoaded(MpvAudioDevice& d) {
    QElapsedTimer t;
    t.start();
    quint32 rc = 0;
    while ((rc = d.sendString(QStringLiteral("status wav1 length"))) == code(MciError::Timeout) &&
           t.elapsed() < 5000) {
      QTest::qWait(5);  // polling
    }
    return rc;
  }
  // Opens the tone and plays it until its position moves.
  void playTone(MpvAudioDevice& d) {
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY(position(d) > 0);
  }
  // Closes what is open, opens the tone anew and plays it: heard at the sink.
  void toneHeardAfterReopening(MpvAudioDevice& d) {
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    const qint64 mark = recorder_->sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY_WITH_TIMEOUT(recorder_->firstLoud(mark, 300) >= 0, 3000);
  }
  bool startServer() {
    if (!pulse_.start(path(QStringLiteral("pulse")))) return false;
    recorder_ = std::make_unique<SinkRecorder>();
    return recorder_->start(pulse_.server());
  }
  // Plays from what `start` sends until a second of it is recorded, and checks the
  // recording from the first loud sample on.
  // A recorder starved by a busy machine can drop a block of its own, so a
  // break is only believed when it is also in the second recording, of
  // the same start made again from the same position.
  void expectCleanStart(MpvAudioDevice& d, const QStringList& start) {
    QString why;
    for (int attempt = 0; attempt < 2; ++attempt) {
      const qint64 at = position(d);
      const qint64 mark = recorder_->sampleCount();
      for (const QString& c : start) QCOMPARE(d.sendString(c), 0u);
      // Heard, and the second that breakIn looks at recorded.
      QTRY_VERIFY_WITH_TIMEOUT(
          [&] {
            const qint64 heard = recorder_->firstLoud(mark, 300);
            return heard >= 0 && recorder_->sampleCount() > heard + SinkRecorder::kRate * 11 / 10;
          }(),
          5000);
      QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(at)), 0u);
      QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
      const qint64 onset = recorder_->firstLoud(mark, 300);
      QVERIFY2(onset >= 0, "nothing heard");
      why = breakIn(recorder_->samples(0), size_t(onset), 500);
      if (why.isEmpty()) return;
      // The second try once the recorder delivers again (a tenth of a second more).
      const qint64 recorded = recorder_->sampleCount();
      QTRY_VERIFY(recorder_->sampleCount() > recorded + SinkRecorder::kRate / 10);
    }
    QFAIL(qPrintable(start.join(QStringLiteral(", ")) + QStringLiteral(": ") + why));
  }
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(startServer());
    pulse_.usePulse();
    tone_ = path(QStringLiteral("tone.wav"));
    QVERIFY(writeBytes(tone_, segmentedWav({{4000, kHz}})));
    blip_ = path(QStringLiteral("blip.wav"));
    QVERIFY(writeBytes(blip_, segmentedWav({{300, kHz}})));
  }

  // The starts a show makes: after loading (with the priming the play
  // button sends at position 0), after Stop, and the resume after a pause
  // (which plays from the position it read, then stops).
  void startsAreOneUnbrokenTone() {
    const QString play = QStringLiteral("play wav1"), stop = QStringLiteral("stop wav1");
    for (int trial = 0; trial < 3; ++trial) {
      MpvAudioDevice d;
      QCOMPARE(d.sendString(openText(tone_)), 0u);
      QCOMPARE(lengthWhenLoaded(d), 0u);
      expectCleanStart(d, {play, stop, play});
      QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
      QTRY_COMPARE(position(d), qint64(0));
      expectCleanStart(d, {play, stop, play});

      // Pause the way the transport does, then resume: the sound goes on
      // from where it stopped (the same phase, so within a period).
      QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
      QCOMPARE(d.sendString(play), 0u);
      QTRY_VERIFY(position(d) >= 700);
      const qint64 mark = recorder_->sampleCount();
      const qint64 at = position(d);
      QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(at)), 0u);
      QCOMPARE(d.sendString(stop), 0u);
      QCOMPARE(position(d), at);
      QTest::qWait(300);  // time let pass on purpose: paused, it must not move
      QCOMPARE(position(d), at);
      const qint64 resumeMark = recorder_->sampleCount();
      expectCleanStart(d, {play});
      // Where the tone stopped and where it resumed: around the first
      // stretch of 10 ms of silence after the pause was asked for.
      const std::vector<qint16> s = recorder_->samples(0);
      // (The monitor may lag behind the pause: look from 100 ms before it.)
      const qint64 from = mark - SinkRecorder::kRate / 10;
      qint64 quiet = from, lastLoud = -1, resumed = -1;
      for (qint64 i = from; i < qint64(s.size()); ++i) {
        if (std::abs(s[size_t(i)]) >= 300) {
          if (i - quiet >= 480) {
            resumed = i;
            break;
          }
          lastLoud = i;
          quiet = i + 1;
        }
      }
      QVERIFY2(lastLoud > from + kPeriod + 2 && resumed > lastLoud, "no pause heard");
      Q_UNUSED(resumeMark);
    }
  }

  // End-of-file notices that arrive late must not make the device believe
  // a replayed file is still at its end.
  void shortFilePlayedToItsEndAgainAndAgain() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(blip_)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    for (int round = 0; round < 20; ++round) {
      const qint64 mark = recorder_->sampleCount();
      // As the transport does at the end of a track: rewind, and play.
      QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
      QElapsedTimer t;
      t.start();
      while (position(d) < 300 && t.elapsed() < 3000) QTest::qWait(5);  // polling
      QVERIFY2(position(d) == 300, qPrintable(QStringLiteral("round %1").arg(round)));
      // Played through, not taken for ended by the notice of the last end.
      QVERIFY2(t.elapsed() >= 250, qPrintable(QStringLiteral("round %1 ended at once").arg(round)));
      QTRY_VERIFY2(recorder_->firstLoud(mark, 300) >= 0,
                   qPrintable(QStringLiteral("round %1 silent").arg(round)));
    }
  }

  // The engine's notice of the last end, arriving just after the rewind and
  // the new start, belongs to the playback that ended: the new one plays on.
  void lateEndNoticeAfterTheRestart() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(blip_)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    auto* engine = d.findChild<MpvSession*>();
    QVERIFY(engine);
    QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY(position(d) > 0);
    Q_EMIT engine->propertyChanged("eof-reached", true);
    QVERIFY2(position(d) < 300, "a late end notice put the device at the end");
    QElapsedTimer t;
    t.start();
    while (position(d) < 300 && t.elapsed() < 3000) QTest::qWait(5);  // polling
    QCOMPARE(position(d), qint64(300));
    QVERIFY2(t.elapsed() >= 100, "the playback ended at once");
  }

  // A hung sound server: no command holds the caller up, the device says
  // it is not answering, and once the server goes on the next cue plays.
  void hungServerNeverHoldsTheCallerUp() {
    const int rounds = qEnvironmentVariableIntValue("SCENOVA_STALL_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("SCENOVA_STALL_ROUNDS")
                           : 2;
    MpvAudioDevice d;
    QList<AudioDevice::Event> events;
    d.setEventHandler([&events](AudioDevice::Event e, quint32) { events << e; });
    for (int round = 0; round < rounds; ++round) {
      events.clear();
      QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
      playTone(d);
      if (QTest::currentTestFailed()) return;
      QCOMPARE(::kill(pid_t(pulse_.pid()), SIGSTOP), 0);
      // The server goes on whatever this round finds.
      const auto resume = qScopeGuard([this] { ::kill(pid_t(pulse_.pid()), SIGCONT); });
      QElapsedTimer worst;
      qint64 longest = 0;
      auto timed = [&](const QString& c) {
        worst.start();
        d.sendString(c);
        longest = std::max(longest, worst.elapsed());
        QTest::qWait(20);  // one command after another, a while apart on purpose
      };
      for (const char* c : {"play wav1 from 1000", "stop wav1", "status wav1 position", "play wav1",
                            "status wav1 length", "play wav1 from 2000", "stop wav1",
                            "seek wav1 to start", "play wav1", "close all"}) {
        timed(QString::fromUtf8(c));
      }
      timed(openText(tone_));
      timed(QStringLiteral("play wav1"));
      timed(QStringLiteral("status wav1 length"));
      QTRY_VERIFY_WITH_TIMEOUT(events.contains(AudioDevice::Event::NotResponding),
                               MpvAudioDevice::kStallMs + 3000);
      QVERIFY2(longest <= 50, qPrintable(QString::number(longest)));
      QCOMPARE(::kill(pid_t(pulse_.pid()), SIGCONT), 0);

      // The cue after the stall plays.
      QTRY_VERIFY_WITH_TIMEOUT(d.isResponding(), 5000);
      toneHeardAfterReopening(d);
      if (QTest::currentTestFailed()) return;
      QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    }
  }

  // A sound server that dies under a playing file: reported, and the next
  // open after its return plays to it.
  void killedServerIsReportedAndTheNextCuePlays() {
    MpvAudioDevice d;
    QList<AudioDevice::Event> events;
    d.setEventHandler([&events](AudioDevice::Event e, quint32) { events << e; });
    playTone(d);
    if (QTest::currentTestFailed()) return;
    recorder_.reset();
    QCOMPARE(::kill(pid_t(pulse_.pid()), SIGKILL), 0);
    pulse_.stop();
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(AudioDevice::Event::ServerLost), 3000);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), code(MciError::DeviceFailed));
    QVERIFY(startServer());
    toneHeardAfterReopening(d);
  }

  // A sound server that dies while the engine loads the next file (the
  // load held up behind the stopped server): the load ends on the silent
  // output, the loss is reported, and every command but "close all"
  // answers that the device failed, never a silent success.
  void serverDiesWhileAFileLoads() {
    MpvAudioDevice d;
    QList<AudioDevice::Event> events;
    d.setEventHandler([&events](AudioDevice::Event e, quint32) { events << e; });
    playTone(d);
    if (QTest::currentTestFailed()) return;
    recorder_.reset();
    const pid_t server = pid_t(pulse_.pid());
    QCOMPARE(::kill(server, SIGSTOP), 0);
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QVERIFY2(d.sendString(QStringLiteral("status wav1 length")) == code(MciError::Timeout),
             "the load did not wait for the sound server");
    QCOMPARE(::kill(server, SIGKILL), 0);
    pulse_.stop();
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(AudioDevice::Event::ServerLost), 5000);
    for (const char* c : {"status wav1 length", "play wav1", "status wav1 position"})
      QCOMPARE(d.sendString(QString::fromUtf8(c)), code(MciError::DeviceFailed));

    QVERIFY(startServer());
    toneHeardAfterReopening(d);
  }
};

QTEST_GUILESS_MAIN(TestAudioDeviceFaults)
#include "test_audio_device_faults.moc"
