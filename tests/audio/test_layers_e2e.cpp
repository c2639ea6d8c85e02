// Sound layers in the real program under the test X server: cues clicked
// with xdotool, the sound taken from the null sink's monitor and looked at
// by pitch. A loop (660 Hz, one second of whole cycles) and a one-shot
// (1000 Hz) play together; the loop's fade, Stop Sounds and the audio
// panel's transport (440 Hz) are told apart by their pitches.

#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/program_window.h"
#include "support/sink_recorder.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <chrono>
#include <cmath>

using namespace scenova;
using test::Clock;
using test::kRate;

namespace {

constexpr double kLoopHz = 660, kShotHz = 1000, kTransportHz = 440;
constexpr double kFadeSeconds = 2;

Clock::duration ms(double v) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(v));
}

// The largest step away from a pure tone of hz: a sine obeys
// x[n] = 2 cos(w) x[n-1] - x[n-2], so a gap or a jump in phase stands out.
double largestJump(const std::vector<qint16>& x, double hz, size_t* where = nullptr) {
  const double c = 2 * std::cos(2 * M_PI * hz / kRate);
  double worst = 0;
  for (size_t n = 2; n < x.size(); ++n) {
    const double d = std::abs(x[n] - c * x[n - 1] + x[n - 2]);
    if (d > worst && where) *where = n;
    worst = std::max(worst, d);
  }
  return worst;
}

// Where (in samples, from 0) the level of hz in 100 ms windows first falls
// below `below`; -1 when it never does.
qint64 firstBelow(const std::vector<qint16>& x, double hz, double below) {
  const size_t window = kRate / 10, hop = kRate / 100;
  for (size_t at = 0; at + window <= x.size(); at += hop) {
    const std::vector<qint16> part(x.begin() + static_cast<qint64>(at),
                                   x.begin() + static_cast<qint64>(at + window));
    if (test::amplitudeAt(part, hz) < below) return static_cast<qint64>(at + window / 2);
  }
  return -1;
}

}  // namespace

class TestLayersEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;

  Clock::time_point click(int line) {
    const QPoint p = window_.line(line);
    test::xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    const Clock::time_point t = Clock::now();
    test::xdotool({QStringLiteral("click"), QStringLiteral("1")});
    return t;
  }
  static double level(const test::SinkRecorder& r, Clock::time_point from, double lengthMs,
                      double hz) {
    return test::amplitudeAt(r.between(from, from + ms(lengthMs)), hz);
  }
  // The level of hz over the last quarter second heard.
  static double levelNow(const test::SinkRecorder& r, double hz) {
    return level(r, Clock::now() - ms(280), 250, hz);
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"xdotool", "parec"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool and parec");
    QVERIFY(test::installTestProgram(folder_));
    folder_.write(QStringLiteral("loop.wav"), test::toneWav(kLoopHz, 1));
    folder_.write(QStringLiteral("shot.wav"), test::toneWav(kShotHz, 6));
    folder_.write(QStringLiteral("tone.wav"), test::toneWav(kTransportHz, 20));
    folder_.write(QStringLiteral("show.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[loop loop.wav]]\\par "
                  "[[SOUND shot.wav]]\\par [[Fade loop.wav 2]]\\par [[Stop Sounds]]\\par "
                  "[[tone.wav]]\\par [[Play Audio]]\\par [[Stop Audio]]\\par}");
    program_ = test::startProgram(folder_, {folder_.file(QStringLiteral("show.rtf"))});
    QVERIFY(program_->waitForStarted());
    QVERIFY2(window_.find(*program_, QStringLiteral("^Scenova - show")),
             "the program's window did not come up");
  }

  void cleanupTestCase() {
    if (!program_) return;
    program_->kill();
    program_->waitForFinished(5000);
  }

  void loopAndOneShotTogether() {
    test::SinkRecorder sound;
    QVERIFY(sound.start());

    // The loop alone, across its loop point (the file lasts one second).
    const Clock::time_point loopAt = click(0);
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(loopAt) >= 0, "the loop made no sound", 5000);
    const auto heard = loopAt + ms(sound.onsetMsAfter(loopAt));
    QTRY_VERIFY_WITH_TIMEOUT(!sound.between(heard + ms(1400), heard + ms(1500)).empty(), 5000);
    const std::vector<qint16> alone = sound.between(heard + ms(100), heard + ms(1400));
    QVERIFY(alone.size() > kRate);
    const double loopLevel = test::amplitudeAt(alone, kLoopHz);
    QVERIFY2(loopLevel > 1000, qPrintable(QStringLiteral("loop level %1").arg(loopLevel)));
    size_t jumpAt = 0;
    const double jump = largestJump(alone, kLoopHz, &jumpAt);
    QVERIFY2(jump < 0.05 * loopLevel,
             qPrintable(QStringLiteral("a jump of %1 in a tone of %2, %3 ms after the onset")
                            .arg(jump)
                            .arg(loopLevel)
                            .arg(100 + 1000.0 * double(jumpAt) / kRate)));

    // The one-shot beside it: both pitches in one spectrum.
    click(1);
    QTRY_VERIFY_WITH_TIMEOUT(levelNow(sound, kShotHz) > 1000, 5000);
    // Measured once it is well under way.
    const Clock::time_point both = Clock::now() + ms(100);
    QTRY_VERIFY(sound.reached(both + ms(300)));
    const double shotLevel = level(sound, both, 300, kShotHz);
    QVERIFY2(shotLevel > 1000, qPrintable(QStringLiteral("one-shot level %1").arg(shotLevel)));
    const double loopBeside = level(sound, both, 300, kLoopHz);

    QVERIFY2(std::abs(loopBeside - loopLevel) < 0.1 * loopLevel,
             qPrintable(QStringLiteral("loop %1 beside the one-shot, %2 alone")
                            .arg(loopBeside)
                            .arg(loopLevel)));

    // The loop's fade: its own level down the volume knob's curve (cubic in
    // amplitude) to silence over the fade's time; the one-shot keeps its
    // level.
    const Clock::time_point fadeAt = click(2);
    QTRY_VERIFY_WITH_TIMEOUT(sound.reached(fadeAt + ms(kFadeSeconds * 1000 + 900)),
                             static_cast<int>(kFadeSeconds * 1000) + 5000);
    // Timed on the sink's own clock (the samples), not on when they reached
    // the recorder: from 80 % of the level (a fifth of the fade's time) to
    // 0.8 % (four fifths) is three fifths of the fade.
    const std::vector<qint16> fading =
        sound.between(fadeAt, fadeAt + ms(kFadeSeconds * 1000 + 900));
    const qint64 from = firstBelow(fading, kLoopHz, 0.512 * loopLevel);
    const qint64 to = firstBelow(fading, kLoopHz, 0.008 * loopLevel);
    QVERIFY2(from > 0 && to > from, "the loop did not fade");
    const double fadeSeconds = double(to - from) / kRate / 0.6;
    QVERIFY2(std::abs(fadeSeconds - kFadeSeconds) < 0.1 * kFadeSeconds,
             qPrintable(QStringLiteral("the fade took %1 s").arg(fadeSeconds)));
    // Half-way (three tenths after the fifth), an eighth of the level; a
    // little after the end, nothing; the one-shot meanwhile as before.
    auto at = [&](double seconds, double lengthMs, double hz) {
      const auto first = fading.begin() + from + static_cast<qint64>(seconds * kRate);
      const auto count = static_cast<qint64>(lengthMs * kRate / 1000);
      if (first + count > fading.end()) return -1.0;
      return test::amplitudeAt(std::vector<qint16>(first, first + count), hz);
    };
    const double half = at(0.3 * kFadeSeconds - 0.05, 100, kLoopHz);
    QVERIFY2(half > 0.06 * loopLevel && half < 0.25 * loopLevel,
             qPrintable(QStringLiteral("half-way %1 of %2").arg(half).arg(loopLevel)));
    const double after = at(0.8 * kFadeSeconds + 0.15, 200, kLoopHz);
    QVERIFY2(after >= 0 && after < 0.002 * loopLevel,
             qPrintable(QStringLiteral("after the fade: %1 of %2").arg(after).arg(loopLevel)));
    const double shotDuring = at(0.3 * kFadeSeconds - 0.05, 100, kShotHz);
    QVERIFY2(std::abs(shotDuring - shotLevel) < 0.1 * shotLevel,
             qPrintable(QStringLiteral("one-shot %1 during the fade, %2 before")
                            .arg(shotDuring)
                            .arg(shotLevel)));
  }

  void stopSoundsLeavesTheTransport() {
    test::SinkRecorder sound;
    QVERIFY(sound.start());
    click(4);  // tone.wav into the audio panel
    click(5);  // Play Audio
    QTRY_VERIFY_WITH_TIMEOUT(levelNow(sound, kTransportHz) > 1000, 5000);
    click(0);  // the loop again
    click(1);  // and the one-shot
    QTRY_VERIFY_WITH_TIMEOUT(levelNow(sound, kLoopHz) > 1000 && levelNow(sound, kShotHz) > 1000,
                             5000);
    QVERIFY(levelNow(sound, kTransportHz) > 1000);

    click(3);  // Stop Sounds
    QTRY_VERIFY2_WITH_TIMEOUT(levelNow(sound, kLoopHz) < 30 && levelNow(sound, kShotHz) < 30,
                              "the layers went on after Stop Sounds", 5000);
    QVERIFY2(levelNow(sound, kTransportHz) > 1000, "Stop Sounds stopped the transport");
    click(6);  // Stop Audio
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(std::chrono::milliseconds(300)), 5000);
  }
};

QTEST_MAIN(TestLayersEndToEnd)
#include "test_layers_e2e.moc"
