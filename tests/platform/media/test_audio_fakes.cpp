// The stand-ins other parts are tested against: FakeAudioDevice must answer
// like the real device, FakeMixer must record what it was given.

#include <QTest>

#include "fakes/media/fake_audio_device.h"
#include "fakes/media/fake_mixer.h"

using namespace scenova::platform;

class TestAudioFakes : public QObject {
  Q_OBJECT

  static QString openText(const QString& path) {
    return QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1");
  }

 private Q_SLOTS:
  // The transport's pause at 800 ms, resume, and the end of the track.
  void transportRoundTrip() {
    FakeAudioDevice d;
    d.lengthMs = 3000;
    QString reply;
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(QStringLiteral("/music/a.mp3"))), 0u);
    QCOMPARE(d.sendString(QStringLiteral("status wav1 length"), &reply), 0u);
    QCOMPARE(reply, QStringLiteral("3000"));
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 800")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("status wav1 position"), &reply), 0u);
    QCOMPARE(reply, QStringLiteral("800"));
    d.advance(500);  // stopped: time passes without moving
    QCOMPARE(d.positionMs, 800);
    QCOMPARE(d.sendString(QStringLiteral("PLAY WAV1")), 0u);
    d.advance(5000);  // plays to the end and stays there
    QVERIFY(!d.playing);
    QCOMPARE(d.sendString(QStringLiteral("status wav1 position"), &reply), 0u);
    QCOMPARE(reply, QStringLiteral("3000"));
    QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
    QCOMPARE(d.positionMs, 0);
    QCOMPARE(d.commands.size(), 9);
    QCOMPARE(d.commands.first(), QStringLiteral("close all"));
    QCOMPARE(d.path, QStringLiteral("/music/a.mp3"));
  }

  // A refused command changes nothing (codes are compared with the real
  // device in test_audio_device).
  void refusalChangesNothing() {
    FakeAudioDevice d;
    d.lengthMs = 3000;
    QCOMPARE(d.sendString(openText(QStringLiteral("/a.wav"))), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 1200")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 3001")), code(MciError::OutOfRange));
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from ")), code(MciError::MissingPosition));
    QCOMPARE(d.positionMs, 1200);
    QVERIFY(d.playing);
  }

  void scriptedFailures() {
    FakeAudioDevice d;
    d.failNextOpen = code(MciError::UnsupportedFormat);
    QCOMPARE(d.sendString(openText(QStringLiteral("/a.mp3"))), code(MciError::UnsupportedFormat));
    QVERIFY(!d.isOpen());
    QCOMPARE(d.sendString(openText(QStringLiteral("/a.mp3"))), 0u);
    d.brokenWith = code(MciError::MediaLost);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), code(MciError::MediaLost));
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(QStringLiteral("/a.mp3"))), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
  }

  void mixerRecordsValues() {
    FakeMixer m;
    QCOMPARE(m.maximum(), 0u);
    QVERIFY(!m.setValue(5));
    QVERIFY(m.open());
    QCOMPARE(m.maximum(), 65536u);
    QVERIFY(m.setValue(100));
    QVERIFY(m.setValue(0));
    QCOMPARE(m.values, (QList<quint32>{100, 0}));
    FakeMixer noServer;
    noServer.openSucceeds = false;
    QVERIFY(!noServer.open());
    QCOMPARE(noServer.maximum(), 0u);
  }
};

QTEST_APPLESS_MAIN(TestAudioFakes)
#include "test_audio_fakes.moc"
