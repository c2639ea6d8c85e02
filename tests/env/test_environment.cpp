// The test environment itself: two monitors side by side, and a sound
// server whose null sink can be recorded back.

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <cmath>

namespace {

// The loudest of the 16-bit samples.
int peakOf(const QByteArray& pcm) {
  int peak = 0;
  for (qsizetype i = 0; i + 1 < pcm.size(); i += 2) {
    qint16 s;
    memcpy(&s, pcm.constData() + i, 2);
    peak = std::max(peak, std::abs(int(s)));
  }
  return peak;
}

}  // namespace

class TestEnvironment : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void twoMonitorsSideBySide() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
    QScreen* second =
        screens.at(0) == QGuiApplication::primaryScreen() ? screens.at(1) : screens.at(0);
    QCOMPARE(second->geometry(), QRect(1024, 0, 1024, 768));
  }

  void toneComesBackFromTheNullSink() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the test sound server");
    QProcess rec;
    rec.start(QStringLiteral("parec"),
              {QStringLiteral("-d"), QStringLiteral("test_sink.monitor"),
               QStringLiteral("--latency-msec=5"), QStringLiteral("--format=s16le"),
               QStringLiteral("--rate=48000"), QStringLiteral("--channels=1")});
    QVERIFY(rec.waitForStarted());
    // The monitor delivers (silence) before the tone is played.
    QTRY_VERIFY_WITH_TIMEOUT(rec.bytesAvailable() > 0, 5000);
    // Half a second of a 440 Hz tone.
    QByteArray tone;
    for (int i = 0; i < 24000; ++i) {
      const auto s = static_cast<qint16>(12000 * std::sin(2 * M_PI * 440 * i / 48000.0));
      tone.append(reinterpret_cast<const char*>(&s), 2);
    }
    QProcess play;
    play.start(QStringLiteral("pacat"),
               {QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                QStringLiteral("--channels=1"), QStringLiteral("-d"), QStringLiteral("test_sink")});
    QVERIFY(play.waitForStarted());
    play.write(tone);
    play.closeWriteChannel();
    // The event loop goes on reading the recording meanwhile.
    QTRY_COMPARE_WITH_TIMEOUT(play.state(), QProcess::NotRunning, 10000);
    // The tone comes back through the monitor.
    QByteArray recorded;
    const auto loudest = [&] {
      recorded += rec.readAllStandardOutput();
      return peakOf(recorded);
    };
    QTRY_VERIFY2_WITH_TIMEOUT(
        loudest() > 3000,
        qPrintable(
            QStringLiteral("peak %1 in %2 bytes").arg(peakOf(recorded)).arg(recorded.size())),
        5000);
    rec.terminate();
    rec.waitForFinished(5000);
  }
};

QTEST_MAIN(TestEnvironment)
#include "test_environment.moc"
