// The audio command device through a show's sequence of cues, heard at a
// test sink of its own: a playlist among the cues (named .m3u, or a .wav
// that really is one) is refused and the next cue plays as always, and a
// show without a sound server says so on every cue and reaches the server
// once it is there. Needs PulseAudio (skips without PULSE_SERVER).

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "audio_test_support.h"
#include "platform/media/audio_device_mpv.h"

using namespace scenova::platform;
using namespace scenova::testing;

class TestAudioDeviceCues : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  SinkRecorder recorder_;
  QString tone_;

  QString path(const QString& name) const { return dir_.filePath(name); }
  static QString openText(const QString& file) {
    return QStringLiteral("open \"") + file + QStringLiteral("\" ALIAS wav1");
  }
  // The length query once the load has ended (a load may outlast "open").
  static quint32 loaded(MpvAudioDevice& d) {
    quint32 rc = code(MciError::Timeout);
    for (int i = 0; i < 1000 && rc == code(MciError::Timeout); ++i) {
      rc = d.sendString(QStringLiteral("status wav1 length"));
      if (rc == code(MciError::Timeout)) QTest::qWait(5);  // polling
    }
    return rc;
  }
  // A cue as the transport plays it: close, open, play; true once its
  // sound reaches the sink.
  bool cueHeard(MpvAudioDevice& d, const QString& file) {
    if (d.sendString(QStringLiteral("close all")) != 0) return false;
    if (d.sendString(openText(file)) != 0 || loaded(d) != 0) return false;
    const qint64 mark = recorder_.sampleCount();
    if (d.sendString(QStringLiteral("play wav1")) != 0) return false;
    const bool heard = QTest::qWaitFor([&] { return recorder_.firstLoud(mark, 300) >= 0; }, 3000);
    d.sendString(QStringLiteral("stop wav1"));
    return heard;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(path(QStringLiteral("pulse"))));
    QVERIFY(recorder_.start(pulse_.server()));
    pulse_.usePulse();
    tone_ = path(QStringLiteral("tone.wav"));
    QVERIFY(writeBytes(tone_, segmentedWav({{3000, 500}})));
  }

  // A good cue, a playlist, two good cues: the playlist is refused (at
  // "open" or as a failed load), plays nothing, and every cue after it
  // plays as before.
  void playlistBetweenGoodCuesIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const QByteArray entry = QFile::encodeName(path(QStringLiteral("tone.wav")));
    QTest::newRow("m3u") << QStringLiteral("list.m3u") << QByteArray(entry + "\n");
    QTest::newRow("extended m3u named .wav")
        << QStringLiteral("list.wav") << QByteArray("#EXTM3U\n#EXTINF:3,tone\n" + entry + "\n");
    QTest::newRow("two entries") << QStringLiteral("two.m3u")
                                 << QByteArray(entry + "\n" + entry + "\n");
  }
  void playlistBetweenGoodCuesIsRefused() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString list = path(name);
    QVERIFY(writeBytes(list, content));
    MpvAudioDevice d;
    QList<quint32> failures;
    d.setEventHandler([&failures](AudioDevice::Event e, quint32 c) {
      if (e == AudioDevice::Event::LoadFailed) failures << c;
    });
    QVERIFY2(cueHeard(d, tone_), "the first good cue");

    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    const quint32 opened = d.sendString(openText(list));
    const quint32 refused = opened != 0 ? opened : loaded(d);
    QCOMPARE(refused, code(MciError::UnsupportedFormat));
    QVERIFY(d.sendString(QStringLiteral("play wav1")) != 0);
    const qint64 mark = recorder_.sampleCount();
    QTest::qWait(400);  // time let pass on purpose: nothing may sound in it
    QVERIFY2(recorder_.firstLoud(mark, 300) < 0, "the playlist's entry was played");

    for (int i = 0; i < 2; ++i) QVERIFY2(cueHeard(d, tone_), qPrintable(QString::number(i)));
    QVERIFY(failures.size() <= 1);
  }

  // No sound server: every cue says so (its counter would run silently),
  // and once the server is there the next cue is heard, without a notice.
  void noServerIsSaidOnEveryCueUntilItIsThere() {
    int noOutput = 0;
    auto said = [&noOutput](AudioDevice::Event e, quint32) {
      if (e == AudioDevice::Event::NoOutput) ++noOutput;
    };
    qputenv("PULSE_SERVER",
            QFile::encodeName(QStringLiteral("unix:") + path(QStringLiteral("no-server"))));
    auto back = qScopeGuard([this] { pulse_.usePulse(); });
    MpvAudioDevice d;
    d.setEventHandler(said);
    for (int cue = 1; cue <= 3; ++cue) {
      QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
      QCOMPARE(d.sendString(openText(tone_)), 0u);
      QCOMPARE(loaded(d), 0u);
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
      QTRY_COMPARE_WITH_TIMEOUT(noOutput, cue, 3000);
    }
    pulse_.usePulse();
    QVERIFY2(cueHeard(d, tone_), "the server that started is not reached");
    QTest::qWait(200);  // time let pass on purpose: no further notice may come
    QCOMPARE(noOutput, 3);
  }
};

QTEST_GUILESS_MAIN(TestAudioDeviceCues)
#include "test_audio_device_cues.moc"
