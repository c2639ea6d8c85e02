// The stand-ins other parts are tested against: FakeAudioDevice must answer
// like the real device, FakeMixer must record what it was given.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "platform/media/fake_audio_device.h"
#include "platform/media/fake_mixer.h"

using namespace scenova::platform;

class TestAudioFakes : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

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

  // Refusals carry the real device's codes and change nothing.
  void refusals_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("beyond the end")
        << QStringLiteral("play wav1 from 3001") << code(MciError::OutOfRange);
    QTest::newRow("other alias") << QStringLiteral("play wav2") << code(MciError::NoSuchAlias);
    QTest::newRow("from without number")
        << QStringLiteral("play wav1 from ") << code(MciError::MissingPosition);
    QTest::newRow("second open") << openText(QStringLiteral("/b.wav"))
                                 << code(MciError::AliasInUse);
    QTest::newRow("nonsense") << QStringLiteral("eject wav1") << code(MciError::UnknownCommand);
  }
  void refusals() {
    QFETCH(QString, command);
    FakeAudioDevice d;
    d.lengthMs = 3000;
    QCOMPARE(d.sendString(openText(QStringLiteral("/a.wav"))), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 1200")), 0u);
    QTEST(d.sendString(command), "expected");
    QCOMPARE(d.positionMs, 1200);
    QVERIFY(d.playing);
    QCOMPARE(d.path, QStringLiteral("/a.wav"));
  }

  void closedDeviceRefusesEverythingButOpenAndClose() {
    FakeAudioDevice d;
    QString reply = QStringLiteral("stale");
    QCOMPARE(d.sendString(QStringLiteral("status wav1 position"), &reply),
             code(MciError::NoSuchAlias));
    QVERIFY(reply.isEmpty());
    QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), code(MciError::NoSuchAlias));
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
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

  // With checkFiles the fake looks at the disk exactly like the real device.
  void checksFilesLikeTheDevice_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("good") << QStringLiteral("Tone.wav") << 0u;
    QTest::newRow("name in lower case") << QStringLiteral("tone.wav") << 0u;
    QTest::newRow("missing") << QStringLiteral("none.wav") << code(MciError::FileNotFound);
    QTest::newRow("folder") << QStringLiteral("folder") << code(MciError::IsFolder);
    QTest::newRow("empty") << QStringLiteral("empty.wav") << code(MciError::EmptyFile);
    QTest::newRow("unreadable") << QStringLiteral("locked.wav") << code(MciError::Unreadable);
  }
  void checksFilesLikeTheDevice() {
    QFETCH(QString, name);
    QFETCH(quint32, expected);
    QVERIFY(dir_.isValid());
    const QDir d(dir_.path());
    QFile(d.filePath(QStringLiteral("empty.wav"))).open(QIODevice::WriteOnly);
    for (const char* n : {"Tone.wav", "locked.wav"}) {
      QFile f(d.filePath(QString::fromUtf8(n)));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("RIFF....");
    }
    d.mkpath(QStringLiteral("folder"));
    QFile::setPermissions(d.filePath(QStringLiteral("locked.wav")), QFileDevice::Permissions());
    if (name == QStringLiteral("locked.wav") && geteuid() == 0) {
      QSKIP("root reads every file");
    }
    FakeAudioDevice fake;
    fake.checkFiles = true;
    QCOMPARE(fake.sendString(openText(d.filePath(name))), expected);
    QCOMPARE(fake.isOpen(), expected == 0);
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
