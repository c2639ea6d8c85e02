// The sound layers' voices on the real media engine: sound and MIDI files
// start and end by themselves, files that cannot play are refused or end
// with a reason, and without a sound server nothing hangs or crashes.

#include "audio_test_support.h"
#include "platform/media/sound_voices_mpv.h"
#include "test_player_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace scenova;
using namespace scenova::testing;

namespace {

struct Ends {
  QList<int> voices;
  QStringList reasons;
};

// The largest step between two neighbouring samples in [from, to).
int largestStep(const std::vector<qint16>& s, size_t from, size_t to) {
  int step = 0;
  for (size_t i = std::max<size_t>(from, 1); i < std::min(to, s.size()); ++i)
    step = std::max(step, std::abs(int(s[i]) - int(s[i - 1])));
  return step;
}

void watch(platform::SoundVoices& v, Ends& ends) {
  v.setEndHandler([&ends](int voice, const QString& why) {
    ends.voices << voice;
    ends.reasons << why;
  });
}

}  // namespace

class TestSoundVoices : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString file(const char* name) const { return dir_.filePath(QLatin1StringView(name)); }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(writeFile(file("one.wav"), toneWav(1.0)));
    QVERIFY(writeFile(file("song.mid"), midiSong(2)));
    QVERIFY(writeFile(file("noise.wav"), QByteArray(4096, 'x')));
  }

  // A one-shot ends by itself after its length; a second voice plays beside
  // it; every call returns at once.
  void soundAndMidi() {
    platform::MpvSoundVoices voices;
    Ends ends;
    watch(voices, ends);
    QString why;
    QElapsedTimer clock;
    clock.start();
    const int wav = voices.start(file("one.wav"), false, 80, &why);
    const int midi = voices.start(file("song.mid"), true, 100, &why);
    QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(wav > 0 && midi > 0 && midi != wav, qPrintable(why));
    QCOMPARE(voices.playing(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(voices.status(midi).lengthSeconds > 1.5, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ends.voices, QList<int>{wav}, 5000);
    QCOMPARE(ends.reasons, QStringList{QString()});
    // The looping song goes on past its end until stopped.
    QTRY_VERIFY_WITH_TIMEOUT(voices.status(midi).positionSeconds > 0.3, 5000);
    voices.setLevel(midi, 20);
    voices.stop(midi);
    QCOMPARE(voices.playing(), 0);
    QTest::qWait(400);                       // time let pass on purpose: no end may be reported
    QCOMPARE(ends.voices, QList<int>{wav});  // a stopped voice is not reported
  }

  // Files named ahead wait loaded: a start plays the file from its start at
  // the level and repeat asked for, the file is made ready again for the
  // next start, a file changed or gone since is not played as it was, and
  // files dropped from the list are let go.
  void filesReadyAhead() {
    platform::MpvSoundVoices voices;
    Ends ends;
    watch(voices, ends);
    QVERIFY(writeFile(file("a.wav"), toneWav(1.0)));
    QVERIFY(writeFile(file("b.wav"), toneWav(1.0)));
    QVERIFY(writeFile(file("c.wav"), toneWav(1.0)));
    voices.prepare({file("a.wav"), file("song.mid"), file("b.wav"), file("a.wav"), file("c.wav")});
    QTRY_COMPARE_WITH_TIMEOUT(voices.readyCount(), 3, 5000);
    QString why;
    const int a = voices.start(file("a.wav"), true, 100, &why);
    QVERIFY2(a > 0, qPrintable(why));
    QCOMPARE(voices.readyCount(), 2);
    // It plays (not left paused) and goes round past its end: the position
    // (what is heard, so it lags the engine by the output's buffer) drops
    // back after it has come a good way.
    double furthest = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          const double at = voices.status(a).positionSeconds;
          furthest = std::max(furthest, at);
          return furthest > 0.4 && at < furthest - 0.3;
        }(),
        5000);
    QVERIFY(ends.voices.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(voices.readyCount(), 3, 5000);
    // b.wav is rewritten three times as long: the start finds the new file.
    QVERIFY(writeFile(file("b.wav"), toneWav(3.0)));
    const int b = voices.start(file("b.wav"), false, 100, &why);
    QVERIFY(b > 0);
    QTRY_VERIFY_WITH_TIMEOUT(voices.status(b).lengthSeconds > 2.5, 5000);
    QVERIFY(QFile::remove(file("c.wav")));
    QCOMPARE(voices.start(file("c.wav"), false, 100, &why), 0);
    voices.stop(a);
    voices.stop(b);
    voices.prepare({file("b.wav")});
    QTRY_COMPARE_WITH_TIMEOUT(voices.readyCount(), 1, 5000);
  }

  // A stop fades the sound out without a click: on the way down no step
  // between two samples is larger than the tone's own, wherever in its loop
  // and in whichever round the voice is stopped (also just before the loop
  // point, where the engine already works on the next round). Heard at the
  // sink.
  void stoppingNeverClicks() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the test sound server");
    // One second of 440 Hz: whole periods, so the loop point has no step.
    QVERIFY(writeFile(file("loop.wav"), segmentedWav({{1000, 440}})));
    SinkRecorder rec;
    QVERIFY(rec.start());
    platform::MpvSoundVoices voices;
    voices.prepare({file("loop.wav")});
    QTRY_COMPARE_WITH_TIMEOUT(voices.readyCount(), 1, 5000);
    for (const int stopAfterMs : {400, 2780, 2940}) {
      const qint64 before = rec.sampleCount();
      QString why;
      const int v = voices.start(file("loop.wav"), true, 100, &why);
      QVERIFY2(v > 0, qPrintable(why));
      qint64 onset = -1;
      QTRY_VERIFY_WITH_TIMEOUT((onset = rec.firstLoud(before)) >= 0, 5000);
      // Stopped once the given part of the loop has been heard.
      const qint64 stopAt = onset + stopAfterMs * SinkRecorder::kRate / 1000;
      QTRY_VERIFY_WITH_TIMEOUT(rec.sampleCount() >= stopAt, 5000);
      voices.stop(v);
      QTRY_VERIFY_WITH_TIMEOUT(rec.quietFor(std::chrono::milliseconds(300)), 5000);
      const std::vector<qint16> s = rec.samples(before);
      const size_t stopIndex = size_t(stopAt - before);
      const int tone = largestStep(s, size_t(onset - before) + 48, stopIndex);
      const int down = largestStep(s, stopIndex, s.size());
      QVERIFY2(tone > 500, qPrintable(QString::number(tone)));
      QVERIFY2(down <= tone + tone / 4,
               qPrintable(QStringLiteral("stopped %1 ms into the loop: a step "
                                         "of %2 against the tone's %3")
                              .arg(stopAfterMs)
                              .arg(down)
                              .arg(tone)));
    }
  }

  // Files that cannot play: refused at once, or ended with a reason.
  void filesThatCannotPlay() {
    platform::MpvSoundVoices voices;
    Ends ends;
    watch(voices, ends);
    QString why;
    QCOMPARE(voices.start(file("gone.wav"), false, 100, &why), 0);
    QVERIFY(!why.isEmpty());
    QCOMPARE(voices.start(dir_.path(), false, 100, &why), 0);
    why.clear();
    QVERIFY(writeFile(file("bad.mid"), "MThd but not a song"));
    QCOMPARE(voices.start(file("bad.mid"), false, 100, &why), 0);
    QVERIFY(!why.isEmpty());
    const int noise = voices.start(file("noise.wav"), false, 100, &why);
    QVERIFY(noise > 0);
    QTRY_COMPARE_WITH_TIMEOUT(ends.voices, QList<int>{noise}, 5000);
    QVERIFY(!ends.reasons.first().isEmpty());
  }

  // Without a sound server a voice plays to no output: it still ends in its
  // time, and stopping and ending the voices does not hang.
  void noSoundServer() {
    qputenv("PULSE_SERVER", "unix:/nonexistent/scenova-test");
    {
      platform::MpvSoundVoices voices;
      Ends ends;
      watch(voices, ends);
      QString why;
      const int one = voices.start(file("one.wav"), false, 100, &why);
      const int loop = voices.start(file("one.wav"), true, 100, &why);
      QVERIFY2(one > 0 && loop > 0, qPrintable(why));
      QTRY_COMPARE_WITH_TIMEOUT(ends.voices, QList<int>{one}, 6000);
      voices.stop(loop);
      // Left playing: the voices end with their owner.
      QVERIFY(voices.start(file("one.wav"), true, 100, &why) > 0);
    }
  }
};

QTEST_GUILESS_MAIN(TestSoundVoices)
#include "test_sound_voices.moc"
