// The master-volume mixer against a private sound server: values reach the
// default output, in order, quickly; no server means a quick failure.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "audio_test_support.h"
#include "platform/media/mixer_pulse.h"

using namespace scenova::platform;
using namespace scenova::testing;

class TestMixer : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;

  // The sink's channel volumes as pactl reports them.
  QList<quint32> sinkVolumes() {
    const auto [ok, text] =
        pulse_.pactl({QStringLiteral("get-sink-volume"), QStringLiteral("test_sink")});
    QList<quint32> out;
    static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (auto it = channel.globalMatch(text.section(QLatin1Char('\n'), 0, 0)); it.hasNext();) {
      out << it.next().captured(1).toUInt();
    }
    return out;
  }

  // Waits until the loudest channel shows `value`.
  bool sinkReaches(quint32 value, int timeoutMs = 1000) {
    QElapsedTimer t;
    t.start();
    do {
      const QList<quint32> v = sinkVolumes();
      if (!v.isEmpty() && *std::max_element(v.begin(), v.end()) == value) return true;
      QTest::qWait(20);  // polling
    } while (t.elapsed() < timeoutMs);
    return false;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    pulse_.usePulse();
  }

  void setsTheDefaultOutput_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("half") << 32768u << 32768u;
    QTest::newRow("silent") << 0u << 0u;
    QTest::newRow("full") << 65536u << 65536u;
    QTest::newRow("above full is full") << 200000u << 65536u;
  }
  void setsTheDefaultOutput() {
    QFETCH(quint32, value);
    QFETCH(quint32, expected);
    PulseMixer m;
    QVERIFY(m.open());
    QCOMPARE(m.maximum(), 65536u);
    QVERIFY(m.setValue(value));
    QVERIFY(sinkReaches(expected));
    QCOMPARE(m.readValue(), std::optional<quint32>(expected));
  }

  // Setting the master volume keeps the balance the user chose.
  void keepsTheBalance() {
    QVERIFY(pulse_
                .pactl({QStringLiteral("set-sink-volume"), QStringLiteral("test_sink"),
                        QStringLiteral("32768"), QStringLiteral("65536")})
                .first);
    PulseMixer m;
    QVERIFY(m.open());
    QVERIFY(m.setValue(32768));
    QVERIFY(sinkReaches(32768));
    const QList<quint32> v = sinkVolumes();
    QCOMPARE(v.size(), 2);
    QVERIFY2(v[0] > 16000 && v[0] < 16800, qPrintable(QString::number(v[0])));
  }

  // A fade sends a value every 10 ms: each call returns at once and the last
  // value wins.
  void fadeStepsAreFastAndOrdered() {
    PulseMixer m;
    QVERIFY(m.open());
    QElapsedTimer t;
    t.start();
    for (quint32 v = 65536; v >= 655; v -= 655) QVERIFY(m.setValue(v));
    QVERIFY(m.setValue(1234));
    QVERIFY2(t.elapsed() < 100, qPrintable(QString::number(t.elapsed())));
    QVERIFY(sinkReaches(1234));
  }

  void noServerFailsQuickly() {
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(dir_.filePath(QStringLiteral("nothing"))));
    PulseMixer m;
    QElapsedTimer t;
    t.start();
    QVERIFY(!m.open());
    QVERIFY(t.elapsed() < PulseMixer::kConnectTimeoutMs + 500);
    QCOMPARE(m.maximum(), 0u);
    QVERIFY(!m.setValue(100));
    qputenv("PULSE_SERVER", saved);
  }

  // When the server restarts, the latest value reaches it once it is back.
  void serverRestartIsFollowed() {
    PulseMixer m;
    QVERIFY(m.open());
    pulse_.stop();
    QTRY_VERIFY(!m.setValue(1000));
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    QElapsedTimer t;
    t.start();
    bool applied = false;
    while (!applied && t.elapsed() < 4000) {
      m.setValue(4321);  // what a running fade would keep doing
      QTest::qWait(10);  // polling
      const QList<quint32> v = sinkVolumes();
      applied = !v.isEmpty() && v.first() == 4321;
    }
    QVERIFY(applied);
  }

  // A server that restarts while nothing is set (no fade, no knob moved):
  // its output, back at its own default, is set to the last value again.
  void restartedServerGetsTheLastValue() {
    PulseMixer m;
    QVERIFY(m.open());
    QVERIFY(m.setValue(0));  // the knob at 0 after a fade-out
    QVERIFY(sinkReaches(0));
    pulse_.stop();
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    QVERIFY2(sinkReaches(0, 5000), qPrintable(QString::number(sinkVolumes().value(0))));
  }
};

QTEST_GUILESS_MAIN(TestMixer)
#include "test_mixer.moc"
