// The test environment itself: two monitors side by side, and a sound
// server whose null sink can be recorded back.

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <cmath>

class TestEnvironment : public QObject {
  Q_OBJECT
private Q_SLOTS:
  void twoMonitorsSideBySide() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
    QScreen* second = screens.at(0) == QGuiApplication::primaryScreen() ? screens.at(1) : screens.at(0);
    QCOMPARE(second->geometry(), QRect(1024, 0, 1024, 768));
  }

  void toneComesBackFromTheNullSink() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the test sound server");
    QProcess rec;
    rec.start(QStringLiteral("parec"),
              {QStringLiteral("-d"), QStringLiteral("test_sink.monitor"), QStringLiteral("--latency-msec=5"),
               QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"), QStringLiteral("--channels=1")});
    QVERIFY(rec.waitForStarted());
    QTest::qWait(200);
    // Half a second of a 440 Hz tone.
    QByteArray tone;
    for (int i = 0; i < 24000; ++i) {
      const auto s = static_cast<qint16>(12000 * std::sin(2 * M_PI * 440 * i / 48000.0));
      tone.append(reinterpret_cast<const char*>(&s), 2);
    }
    QProcess play;
    play.start(QStringLiteral("pacat"), {QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                                         QStringLiteral("--channels=1"), QStringLiteral("-d"),
                                         QStringLiteral("test_sink")});
    QVERIFY(play.waitForStarted());
    play.write(tone);
    play.closeWriteChannel();
    QVERIFY(play.waitForFinished(10000));
    QTest::qWait(300);
    rec.terminate();
    rec.waitForFinished(5000);
    const QByteArray recorded = rec.readAllStandardOutput();
    int peak = 0;
    for (qsizetype i = 0; i + 1 < recorded.size(); i += 2) {
      qint16 s;
      memcpy(&s, recorded.constData() + i, 2);
      peak = std::max(peak, std::abs(int(s)));
    }
    QVERIFY2(peak > 3000, qPrintable(QStringLiteral("peak %1 in %2 bytes").arg(peak).arg(recorded.size())));
  }
};

QTEST_MAIN(TestEnvironment)
#include "test_environment.moc"
