// The media player control without a picture (Qt's offscreen platform):
// loading, positions, transport, end of media, bad files, keys, leaks.

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/media/fake_media_player.h"
#include "platform/media/mpv_player.h"
#include "test_player_support.h"

using namespace scenova::platform;
using namespace scenova::testing;

class TestPlayerOffscreen : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString wav_, mid_;

  std::unique_ptr<MpvMediaPlayer> player(PlayerSettings settings = {}) {
    std::unique_ptr<MediaPlayer> p = createMediaPlayer(settings);
    return std::unique_ptr<MpvMediaPlayer>(static_cast<MpvMediaPlayer*>(p.release()));
  }
  QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    wav_ = path("tone.wav");
    mid_ = path("song.mid");
    QVERIFY(writeFile(wav_, toneWav(3.0)));
    QVERIFY(writeFile(mid_, midiSong(2)));
  }

  // The fake that other tests use behaves as the real player does where no
  // time has to pass.
  void fakeActsLikeThePlayer_data() {
    QTest::addColumn<bool>("fake");
    QTest::newRow("player") << false;
    QTest::newRow("fake") << true;
  }
  void fakeActsLikeThePlayer() {
    QFETCH(bool, fake);
    PlayerSettings projector;
    projector.autoStart = true;
    std::unique_ptr<MediaPlayer> p;
    if (fake) {
      auto f = std::make_unique<FakeMediaPlayer>(projector);
      f->mediaDuration = 3;
      f->unplayable << path("missing.mp4");
      p = std::move(f);
    } else {
      p = player(projector);
    }
    QVERIFY(p->widget());
    QCOMPARE(p->volume(), 50);
    QCOMPARE(p->currentPositionString(), QString());
    p->setUrl(wav_);
    QCOMPARE(p->url(), wav_);
    QCOMPARE(p->durationString(), QStringLiteral("00:03"));
    QVERIFY(!p->currentPositionString().isEmpty());
    p->stop();
    QCOMPARE(p->currentPosition(), 0.0);
    p->setCurrentPosition(1.5);
    QCOMPARE(p->currentPosition(), 1.5);
    p->setCurrentPosition(-1);
    QCOMPARE(p->currentPosition(), 0.0);
    p->setCurrentPosition(10);
    QTRY_COMPARE(p->currentPositionString(), p->durationString());
    p->setVolume(120);
    QCOMPARE(p->volume(), 100);
    p->setUrl(path("missing.mp4"));
    QCOMPARE(p->url(), path("missing.mp4"));
    QCOMPARE(p->currentPositionString(), QString());
    QCOMPARE(p->durationString(), QString());
    p->setUrl(wav_);
    p->close();
    QCOMPARE(p->url(), QString());
    QCOMPARE(p->duration(), 0.0);
    QCOMPARE(p->currentPositionString(), QString());
  }

  void fakeRecordsCalls() {
    FakeMediaPlayer f;
    f.setUrl(QStringLiteral("a.mp4"));
    QVERIFY(!f.playing());  // no autoStart
    f.play();
    f.advance(100);
    QVERIFY(!f.playing());  // ran to its end
    QCOMPARE(f.currentPositionString(), f.durationString());
    f.setCurrentPosition(2.5);
    f.setVolume(40);
    f.pause();
    f.stop();
    f.close();
    const QStringList expected{QStringLiteral("setUrl a.mp4"), QStringLiteral("play"),
                               QStringLiteral("seek 2.5"),     QStringLiteral("volume 40"),
                               QStringLiteral("pause"),        QStringLiteral("stop"),
                               QStringLiteral("close")};
    QCOMPARE(f.calls, expected);
  }

  void offscreenHasNoVideoOutput() {
    auto p = player();
    QVERIFY(!p->hasVideoOutput());
    QVERIFY(p->widget());
    QVERIFY(!p->hasMedia());
    QCOMPARE(p->currentPositionString(), QString());
    QCOMPARE(p->durationString(), QString());
  }

  // Both kinds of media report their length and positions the same way.
  void loadReportsDurationAndPosition_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("length");
    QTest::newRow("wav") << wav_ << 3.0;
    // Two seconds of notes and the second the last ones ring out.
    QTest::newRow("midi") << mid_ << 3.0;
  }
  void loadReportsDurationAndPosition() {
    QFETCH(QString, file);
    QFETCH(double, length);
    auto p = player();
    QElapsedTimer t;
    t.start();
    p->setUrl(file);
    QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);  // opening goes on after a brief wait
    QCOMPARE(p->url(), file);
    QVERIFY2(std::abs(p->duration() - length) < 0.05, qPrintable(QString::number(p->duration())));
    QCOMPARE(p->durationString(), QStringLiteral("00:03"));
    QCOMPARE(p->currentPositionString(), QStringLiteral("00:00"));
    QVERIFY(!p->isPlaying());  // no autoStart: waits for play

    p->setCurrentPosition(1.5);
    QCOMPARE(p->currentPosition(), 1.5);  // at once, before the seek has finished
    QTRY_VERIFY(std::abs(p->currentPosition() - 1.5) < 0.02);
    QCOMPARE(p->currentPositionString(), QStringLiteral("00:01"));

    p->play();
    QTRY_VERIFY_WITH_TIMEOUT(p->currentPosition() > 1.8, 3000);
    p->pause();
    const double paused = p->currentPosition();
    QTest::qWait(250);  // time let pass on purpose: paused, it must not move
    // Pause keeps the position (the reading taken while the sound server
    // still held some audio may lag by up to its buffer).
    QVERIFY(std::abs(p->currentPosition() - paused) < 0.06);
    p->stop();
    QCOMPARE(p->currentPosition(), 0.0);
    QTRY_COMPARE(p->currentPositionString(), QStringLiteral("00:00"));
    QVERIFY(!p->isPlaying());
  }

  // At the end the position text equals the duration text and stays there;
  // play then starts the media over.
  void endOfMedia() {
    auto p = player();
    p->setUrl(wav_);
    p->setCurrentPosition(2.6);
    p->play();
    QTRY_COMPARE_WITH_TIMEOUT(p->currentPositionString(), p->durationString(), 3000);
    QTRY_VERIFY(!p->isPlaying());
    QCOMPARE(p->currentPosition(), p->duration());
    p->play();
    QTRY_VERIFY(p->isPlaying());
    QVERIFY(p->currentPosition() < 1.0);
    // Seeking beyond the end ends the media, and back before the start is 0.
    p->setCurrentPosition(99);
    QTRY_COMPARE(p->currentPositionString(), p->durationString());
    p->setCurrentPosition(-5);
    QCOMPARE(p->currentPosition(), 0.0);
  }

  // A three-hour song loads at once with its whole length, seeks to its last
  // seconds and reports its end, having synthesised only what was played
  // and the seconds a seek renders before its target.
  void longMidiSongPlaysWithoutRenderingItAll() {
    const QString file = path("three hours.mid");
    QVERIFY(writeFile(file, midiSong(3 * 3600)));
    auto p = player();
    QElapsedTimer t;
    t.start();
    p->setUrl(file);
    QVERIFY2(t.elapsed() < 1500, qPrintable(QString::number(t.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);
    QVERIFY2(std::abs(p->duration() - (3 * 3600 + 1)) < 0.01,
             qPrintable(QString::number(p->duration())));
    QCOMPARE(p->durationString(), QStringLiteral("3:00:01"));
    p->setCurrentPosition(3 * 3600 - 2);
    p->play();
    QTRY_VERIFY_WITH_TIMEOUT(p->currentPosition() > 3 * 3600 - 1.5, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(p->currentPositionString(), p->durationString(), 6000);
    QTRY_VERIFY(!p->isPlaying());
    QCOMPARE(p->currentPosition(), p->duration());
    QVERIFY2(p->midiFramesRendered() < 44100 * 40,
             qPrintable(QString::number(p->midiFramesRendered())));
    // Play starts the song over from its beginning.
    p->play();
    QTRY_VERIFY(p->isPlaying());
    QTRY_VERIFY(p->currentPosition() > 0.2);
    QVERIFY(p->currentPosition() < 5);
  }

  void autoStartPlaysOnLoad() {
    PlayerSettings projector;
    projector.autoStart = true;
    auto p = player(projector);
    p->setUrl(mid_);
    QTRY_VERIFY(p->isPlaying());
    QTRY_VERIFY(p->currentPosition() > 0.2);
  }

  void closeEmptiesThePlayer() {
    auto p = player();
    p->setUrl(wav_);
    p->play();
    p->close();
    QVERIFY(!p->hasMedia());
    QCOMPARE(p->url(), QString());
    QCOMPARE(p->currentPositionString(), QString());
    QCOMPARE(p->durationString(), QString());
    QCOMPARE(p->duration(), 0.0);
    p->play();  // nothing to play: no effect
    QVERIFY(!p->isPlaying());
    // An empty URL empties as well; the same file loads again afterwards.
    p->setUrl(wav_);
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);  // opening goes on after a brief wait
    p->setUrl(QString());
    QVERIFY(!p->hasMedia());
  }

  void volumeIsClamped() {
    auto p = player();
    QCOMPARE(p->volume(), 50);
    p->setVolume(150);
    QCOMPARE(p->volume(), 100);
    p->setVolume(-3);
    QCOMPARE(p->volume(), 0);
  }

  // Files that cannot be played leave the player empty, quickly, and leave
  // no thread or open file behind.
  void badFilesLeaveThePlayerEmpty_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray song = midiSong(2);
    QTest::newRow("missing") << path("missing.mp4") << QByteArray();
    QTest::newRow("zero bytes") << path("empty.mp4") << QByteArray("");
    QTest::newRow("text named .mp4") << path("text.mp4") << QByteArray("hello\nworld\n");
    QTest::newRow("folder") << dir_.path() << QByteArray();
    QTest::newRow("midi, broken header") << path("broken.mid") << QByteArray("MThd\0\0\0\6", 8);
    QTest::newRow("midi, cut short") << path("short.mid") << song.left(song.size() - 10);
    QTest::newRow("midi, text") << path("text.kar") << QByteArray("not a song");
    QTest::newRow("wav header only") << path("head.wav") << toneWav(1.0).left(20);
    QTest::newRow("midi, empty") << path("empty.mid") << QByteArray("");
    QTest::newRow("midi, garbage") << path("garbage.mid") << QByteArray(3000, '\xa7');
    QTest::newRow("midi, track longer than the file")
        << path("long track.mid")
        << midiHeader(0, 1, 480) + QByteArray("MTrk\x7f\xff\xff\xff\x00\x90\x40\x40", 12);
    // A delta time of 2^28 ticks at one tick a quarter: 4 years.
    QTest::newRow("midi, years long")
        << path("years.mid")
        << midiHeader(0, 1, 1) + midiChunk("MTrk", vlq(0x0fffffff) + "\xff\x2f\x00");
    QTest::newRow("midi, slowest tempo, huge delta")
        << path("slow.mid")
        << midiHeader(0, 1, 96) + midiChunk("MTrk", QByteArray("\x00\xff\x51\x03\xff\xff\xff", 7) +
                                                        vlq(0x0fffffff) + "\xff\x2f\x00");
    QTest::newRow("midi, larger than 16 MiB")
        << path("huge.mid") << midiSong(2) + QByteArray(16 << 20, '\0');
  }
  void badFilesLeaveThePlayerEmpty() {
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    if (!bytes.isNull()) QVERIFY(writeFile(file, bytes));
    auto p = player();
    p->setUrl(wav_);  // the core is warm and a file was playing
    p->play();
    // Counted once the sound really plays: its output's threads and files
    // are open by then, and the counts are what a playing player holds.
    QTRY_VERIFY_WITH_TIMEOUT(p->isPlaying() && p->currentPosition() > 0.05, 5000);
    const int threads = threadCount(), files = openFileCount();
    QSignalSpy failed(p.get(), &MediaPlayer::loadFailed);
    for (int round = 0; round < 3; ++round) {
      QElapsedTimer t;
      t.start();
      p->setUrl(file);
      QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
      QCOMPARE(p->url(), file);
      QVERIFY(!p->hasMedia());
      QCOMPARE(p->currentPositionString(), QString());
      QCOMPARE(p->durationString(), QString());
      QCOMPARE(p->currentPosition(), 0.0);
      p->play();
      p->setCurrentPosition(1);
      QVERIFY(!p->isPlaying());
      QTest::qWait(50);  // time let pass on purpose: nothing may load meanwhile
      QVERIFY(!p->hasMedia());
      // The operator is told, once for each load.
      QTRY_COMPARE_WITH_TIMEOUT(failed.count(), round + 1, 6000);
      QVERIFY(!failed.last().at(0).toString().isEmpty());
    }
    p->setUrl(wav_);                                // the player still works
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);  // opening goes on after a brief wait
    p->close();
    QTRY_VERIFY_WITH_TIMEOUT(threadCount() <= threads, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(openFileCount() <= files, 15000);  // a 16 MiB file closes late
  }

  void truncatedVideoLoadsWhatIsThere() {
    if (!haveFfmpeg()) QSKIP("ffmpeg is not installed");
    const QString whole = path("whole.mp4"), cut = path("cut.mp4"), cutStart = path("cut2.mp4");
    QVERIFY(makeVideo(whole, {QStringLiteral("testsrc=size=160x120:rate=25")}, 3));
    QFile in(whole);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    QVERIFY(writeFile(cut, bytes.left(bytes.size() * 2 / 3)));  // index at the end: lost
    auto p = player();
    QElapsedTimer t;
    t.start();
    p->setUrl(cut);
    QVERIFY(t.elapsed() < 3000);
    QVERIFY(!p->hasMedia());
    // With the index in front, the first part plays and the end is reached.
    QVERIFY(makeVideo(whole, {QStringLiteral("testsrc=size=160x120:rate=25")}, 3,
                      {QStringLiteral("-movflags"), QStringLiteral("+faststart")}));
    QFile again(whole);
    QVERIFY(again.open(QIODevice::ReadOnly));
    const QByteArray front = again.readAll();
    QVERIFY(writeFile(cutStart, front.left(front.size() / 2)));
    p->setUrl(cutStart);
    if (p->hasMedia()) {
      p->play();
      QTRY_COMPARE_WITH_TIMEOUT(p->currentPositionString(), p->durationString(), 5000);
    }
  }

  // The open file is kept: deleting or overwriting it after the load
  // neither crashes nor hangs the player.
  void fileChangedAfterLoad() {
    const QString file = path("gone.wav");
    QVERIFY(writeFile(file, toneWav(1.0)));
    auto p = player();
    p->setUrl(file);
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);  // opening goes on after a brief wait
    QVERIFY(QFile::remove(file));
    p->play();
    QTRY_COMPARE_WITH_TIMEOUT(p->currentPositionString(), p->durationString(), 3000);

    QVERIFY(writeFile(file, toneWav(2.0)));
    p->setUrl(QString());
    p->setUrl(file);
    QVERIFY(writeFile(file, QByteArray("x")));  // truncated in place
    p->play();
    QTRY_VERIFY_WITH_TIMEOUT(!p->isPlaying(), 4000);
    p->close();
    QVERIFY(!p->hasMedia());
  }

  void pathWithQuotesAndUnicode() {
    const QString file = path("say \"hi\" caffè 'x'.wav");
    QVERIFY(writeFile(file, toneWav(1.0)));
    auto p = player();
    p->setUrl(file);
    QTRY_VERIFY_WITH_TIMEOUT(p->hasMedia(), 5000);  // opening goes on after a brief wait
    QCOMPARE(p->durationString(), QStringLiteral("00:01"));
  }

  void keysReachTheKeyEvent() {
    auto p = player();
    QSignalSpy keys(p.get(), &MediaPlayer::keyDown);
    QTest::keyClick(p->widget(), Qt::Key_Escape);
    QTest::keyClick(p->widget(), Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(p->widget(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    // Modifier keys are reported as they go down, like any other key.
    const QList<QList<QVariant>> expected{{27, 0}, {16, 1}, {65, 1}, {17, 2}, {18, 6}, {112, 6}};
    QCOMPARE(QList<QList<QVariant>>(keys.begin(), keys.end()), expected);
  }

  void playersLeaveNoThreadsBehind() {
    { auto warm = player(); }  // libraries loaded once
    QTest::qWait(100);         // on purpose: the warm-up's threads end before the count
    const int threads = threadCount();
    for (int i = 0; i < 3; ++i) {
      auto p = player();
      p->setUrl(i % 2 ? wav_ : mid_);
      p->play();
      QTest::qWait(100);  // plays a moment on purpose: deleted while playing
      QElapsedTimer t;
      t.start();
      p.reset();  // while playing
      QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    }
    QTRY_COMPARE(threadCount(), threads);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TestPlayerOffscreen test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_player_offscreen.moc"
