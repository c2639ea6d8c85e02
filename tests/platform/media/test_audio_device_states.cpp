// The audio command device's changes of state that a show depends on,
// against the real engine at a null sink of a private sound server: a start
// taken back before it reached the engine, a start asked for while the file
// still loads, a file that fails to open, and a file played to its end and
// then played again. Needs PulseAudio (skips without PULSE_SERVER).

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "audio_test_support.h"
#include "platform/media/audio_device_mpv.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

constexpr qint64 kToneLength = 1500;

QString openText(const QString& path) {
  return QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1");
}

}  // namespace

class TestAudioDeviceStates : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  SinkRecorder recorder_;
  QString tone_, notAudio_;

  QString path(const QString& name) const { return dir_.filePath(name); }

  static qint64 position(MpvAudioDevice& d) {
    QString reply;
    if (d.sendString(QStringLiteral("status wav1 position"), &reply) != 0) return -1;
    return reply.toLongLong();
  }
  // The length once a load that "open" left to the background has ended
  // (the code of a failed load otherwise).
  static quint32 loaded(MpvAudioDevice& d) {
    quint32 rc = code(MciError::Timeout);
    QElapsedTimer t;
    t.start();
    while ((rc = d.sendString(QStringLiteral("status wav1 length"))) == code(MciError::Timeout) &&
           t.elapsed() < 3000)
      QTest::qWait(5);  // polling
    return rc;
  }
  // Whether anything reaches the sink after `mark` within `ms`.
  bool heardWithin(qint64 mark, int ms) {
    return QTest::qWaitFor([&] { return recorder_.firstLoud(mark) >= 0; }, ms);
  }
  // Lets the event loop turn often enough for a deferred start to have
  // reached the engine and its sound the sink: the sink's clock, not ours.
  void letTheSinkRun(qint64 samples) {
    const qint64 until = recorder_.sampleCount() + samples;
    QVERIFY(QTest::qWaitFor([&] { return recorder_.sampleCount() >= until; }, 3000));
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(path(QStringLiteral("pulse"))));
    QVERIFY(recorder_.start(pulse_.server()));
    pulse_.usePulse();
    tone_ = path(QStringLiteral("tone.wav"));
    QVERIFY(writeBytes(tone_, segmentedWav({{int(kToneLength), 500}})));
    notAudio_ = path(QStringLiteral("notes.wav"));
    QVERIFY(writeBytes(notAudio_, QByteArray("RIFF but nothing a player could read.\n")));
  }

  // "play" primes the device and a "stop" or a rewind follows before the
  // event loop turns: the start never reaches the engine, nothing is heard,
  // the position stays, and the next "play" sounds.
  void startTakenBackIsNeverHeard_data() {
    QTest::addColumn<QString>("takeBack");
    QTest::newRow("stop") << QStringLiteral("stop wav1");
    QTest::newRow("rewind") << QStringLiteral("seek wav1 to start");
  }
  void startTakenBackIsNeverHeard() {
    QFETCH(QString, takeBack);
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(loaded(d), 0u);
    letTheSinkRun(SinkRecorder::kRate / 20);
    const qint64 mark = recorder_.sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QCOMPARE(d.sendString(takeBack), 0u);
    letTheSinkRun(SinkRecorder::kRate / 4);
    QCOMPARE(recorder_.firstLoud(mark), qint64(-1));
    QCOMPARE(position(d), 0);

    const qint64 again = recorder_.sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QVERIFY(heardWithin(again, 2000));
    QTRY_VERIFY(position(d) > 0);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
  }

  // "play" while the engine still loads the file (it waits on a sound
  // server that has stopped answering): the file starts once it has
  // loaded, from its start; a "stop" after the "play" keeps it silent, and
  // the next "play" sounds.
  void startAskedForWhileLoading_data() {
    QTest::addColumn<bool>("takenBack");
    QTest::newRow("play") << false;
    QTest::newRow("play, stop") << true;
  }
  void startAskedForWhileLoading() {
    QFETCH(bool, takenBack);
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(loaded(d), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY(position(d) > 0);
    // With the server stopped under a sounding file, the engine waits for
    // it on "close all", and the next file's load waits behind that.
    const pid_t server = pid_t(pulse_.pid());
    QCOMPARE(::kill(server, SIGSTOP), 0);
    const auto resume = qScopeGuard([server] { ::kill(server, SIGCONT); });
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QVERIFY2(d.sendString(QStringLiteral("status wav1 length")) == code(MciError::Timeout),
             "the load did not wait for the sound server");
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    if (takenBack) QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    QCOMPARE(::kill(server, SIGCONT), 0);
    QCOMPARE(loaded(d), 0u);

    if (takenBack) {
      letTheSinkRun(SinkRecorder::kRate / 4);
      QCOMPARE(position(d), 0);
      const qint64 mark = recorder_.sampleCount();
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
      QVERIFY(heardWithin(mark, 2000));
    } else {
      const qint64 mark = recorder_.sampleCount();
      QVERIFY(heardWithin(mark, 2000));
    }
    QTRY_VERIFY(position(d) > 0);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
  }

  // A file the engine cannot read fails the open (or, when its load
  // outlasts the open, every command after it, with the failure reported):
  // never a silent success. "close all" clears it, and the next cue with
  // the same alias opens and plays as always.
  void failedOpenLeavesTheNextCueUntouched() {
    MpvAudioDevice d;
    QList<AudioDevice::Event> events;
    d.setEventHandler([&events](AudioDevice::Event e, quint32) { events << e; });
    const quint32 opened = d.sendString(openText(notAudio_));
    if (opened == 0) {
      QCOMPARE(loaded(d), code(MciError::UnsupportedFormat));
      QVERIFY(events.contains(AudioDevice::Event::LoadFailed));
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), code(MciError::UnsupportedFormat));
    } else {
      QCOMPARE(opened, code(MciError::UnsupportedFormat));
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), code(MciError::NoSuchAlias));
    }
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);

    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(loaded(d), 0u);
    const qint64 mark = recorder_.sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QVERIFY(heardWithin(mark, 2000));
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
  }

  // Played to its end the file stays there: "play" has nothing left to
  // play, but "play ... from" an earlier point sounds again from there,
  // and a stop then keeps the new position.
  void playedToTheEndThenPlayedFromEarlier() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(tone_)), 0u);
    QCOMPARE(loaded(d), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(kToneLength - 150)),
             0u);
    QTRY_COMPARE_WITH_TIMEOUT(position(d), kToneLength, 3000);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    letTheSinkRun(SinkRecorder::kRate / 5);
    QCOMPARE(position(d), kToneLength);

    const qint64 mark = recorder_.sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 300")), 0u);
    QVERIFY(heardWithin(mark, 2000));
    QTRY_VERIFY(position(d) > 300);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    const qint64 stoppedAt = position(d);
    QVERIFY2(stoppedAt > 300 && stoppedAt < kToneLength, qPrintable(QString::number(stoppedAt)));
    letTheSinkRun(SinkRecorder::kRate / 10);
    QCOMPARE(position(d), stoppedAt);
  }
};

QTEST_GUILESS_MAIN(TestAudioDeviceStates)
#include "test_audio_device_states.moc"
