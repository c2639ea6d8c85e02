// The show itself, end to end: the real program under the test X server,
// cues clicked with xdotool, the sound taken from the null sink's monitor.
//
// The tone is three seconds long, one pitch per second (440, 660, 880 Hz),
// so that the sound tells where playback stands. The counter and the play
// button are compared as screen pictures between states that must look the
// same (loaded, stopped, rewound at the end).

#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/sink_recorder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

extern char** environ;

using namespace scenova;
using test::Clock;

namespace {

using test::kRate;
using test::run;
using test::SinkRecorder;
using test::xdotool;

// A 16-bit mono WAV: one second each of 440, 660 and 880 Hz.
QByteArray toneWav() {
  QByteArray pcm;
  for (int i = 0; i < 3 * kRate; ++i) {
    const double f = (i / kRate == 0) ? 440 : (i / kRate == 1) ? 660 : 880;
    test::appendSample(pcm, 12000 * std::sin(2 * M_PI * f * i / kRate));
  }
  return test::wavFile(pcm);
}

// Lets time pass on purpose, to show that something does not happen in it
// (no sound, a counter standing still).
void letTimePass(int ms) {
  QTest::qWait(ms);  // on purpose
}

constexpr std::chrono::milliseconds operator""_ms(unsigned long long ms) {
  return std::chrono::milliseconds(ms);
}

}  // namespace

class TestCuesEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;

  QPoint line(int n) const { return window_.line(n); }
  // Screen areas of the audio panel: the panel keeps 320 twips from the
  // window's right edge and 600 twips from the top of the client area.
  QRect panelArea(int left, int top, int width, int height) const {
    const int panelLeft = static_cast<int>((window_.width * 15.0 - 3195 - 320) / 15);
    const int panelTop = static_cast<int>(window_.menuHeight + 40);
    return {window_.x + panelLeft + left, window_.y + panelTop + top, width, height};
  }
  QImage grab(const QRect& r) const {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage();
  }
  QImage counter() const { return grab(panelArea(12, 178, 189, 16)); }
  QImage playButton() const { return grab(panelArea(68, 134, 32, 32)); }

  Clock::time_point click(int n, int times = 1) {
    const QPoint p = line(n);
    xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    const Clock::time_point t = Clock::now();
    if (times == 1)
      xdotool({QStringLiteral("click"), QStringLiteral("1")});
    else
      xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
               QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
    return t;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"xdotool", "parec"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool and parec");

    QVERIFY(test::installTestProgram(folder_));
    folder_.write(QStringLiteral("tone.wav"), toneWav());
    folder_.write(
        QStringLiteral("show.rtf"),
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par [[Play Audio]]\\par "
        "[[Pause Audio]]\\par [[Seek Audio 2]]\\par [[Stop Audio]]\\par}");

    // Questions at the close go to the log, never to a window.
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

  void theShow() {
    SinkRecorder sound;
    QVERIFY(sound.start());
    const QImage empty = counter();

    // The media cue loads the tone stopped: nothing sounds.
    Clock::time_point t = click(0);
    QTRY_VERIFY(counter() != empty);  // the track's length is shown
    letTimePass(500);
    QCOMPARE(sound.loudMs(t, Clock::now()), 0.0);
    const QImage loaded = counter(), offersPlay = playButton();

    // Play Audio: the tone from its start. How soon is the click-to-sound
    // benchmark's figure (bench/media/bench_show_audio), not this test's.
    t = click(1);
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "Play Audio made no sound", 3000);
    const double onset = sound.onsetMsAfter(t);
    qInfo("Play Audio sounded %.1f ms after the click began", onset);
    const auto heard = t + std::chrono::microseconds(static_cast<qint64>(onset * 1000));
    QTRY_VERIFY(sound.reached(heard + 250_ms));
    const double low = sound.pitch(heard + 50_ms, heard + 250_ms);
    QVERIFY2(std::abs(low - 440) < 40, qPrintable(QStringLiteral("pitch %1").arg(low)));
    QTRY_VERIFY(playButton() != offersPlay);  // it offers Pause now

    // Pause Audio: silence, and the counter stands still.
    click(2);
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(300_ms), 3000);
    QTRY_COMPARE(playButton(), offersPlay);
    const QImage paused = counter();
    t = Clock::now();
    letTimePass(400);
    QCOMPARE(counter(), paused);
    QCOMPARE(sound.loudMs(t, Clock::now()), 0.0);

    // Seek Audio 2 while paused: it stays paused at second 2 (moving a
    // stopped device means playing from the target and stopping at once,
    // which may let a few milliseconds through)...
    t = click(3);
    QTRY_VERIFY(counter() != paused);  // the counter shows second 2
    letTimePass(400);
    QVERIFY(sound.loudMs(t, Clock::now()) < 10);
    QVERIFY(sound.quietFor(300_ms));
    QCOMPARE(playButton(), offersPlay);
    // ...which the next Play Audio proves: the third second's pitch.
    t = click(1);
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "Play Audio made no sound", 3000);
    Clock::time_point from =
        t + 50_ms + std::chrono::microseconds(qint64(sound.onsetMsAfter(t) * 1000));
    QTRY_VERIFY(sound.reached(from + 200_ms));
    const double high = sound.pitch(from, from + 200_ms);
    QVERIFY2(std::abs(high - 880) < 60, qPrintable(QStringLiteral("pitch %1").arg(high)));

    // Played to its end, the track rewinds and the button offers Play again.
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(300_ms), 3000);
    QTRY_COMPARE(counter(), loaded);
    QTRY_COMPARE(playButton(), offersPlay);

    // Stop Audio while playing: silence, back at the start.
    t = click(1);
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "Play Audio made no sound", 3000);
    click(4);
    // Quiet well before the three-second tone would end by itself.
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(300_ms), 1500);
    QTRY_COMPARE(counter(), loaded);
    QTRY_COMPARE(playButton(), offersPlay);

    // A double-click on the media cue loads it and starts it.
    t = click(0, 2);
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "the double-click started nothing", 3000);
    from = t + 50_ms + std::chrono::microseconds(qint64(sound.onsetMsAfter(t) * 1000));
    QTRY_VERIFY(sound.reached(from + 200_ms));
    const double start = sound.pitch(from, from + 200_ms);
    QVERIFY2(std::abs(start - 440) < 40, qPrintable(QStringLiteral("pitch %1").arg(start)));
    // Played to its end: rewound.
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(300_ms), 5000);
    QTRY_COMPARE(counter(), loaded);
    QTRY_COMPARE(playButton(), offersPlay);
  }

  // Real pointer moves over the audio buttons: one lit at a time, and a
  // Stop by cue leaves the play button offering Play, never a lit Pause.
  void buttonsLightUnderThePointer() {
    // Loading lights the play button (it offers the next step); the pointer
    // rests on the script.
    // (The show above ended loaded and stopped, as a load leaves it.)
    const QImage loaded = counter();
    click(0);
    QTRY_COMPARE(counter(), loaded);
    const QRect playArea = panelArea(68, 134, 32, 32), stopArea = panelArea(112, 134, 32, 32);
    auto stopButton = [&] { return grab(stopArea); };
    const QImage stopNormal = stopButton();
    auto moveTo = [](const QPoint& p) {
      xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
    };
    moveTo(stopArea.center());
    QTRY_VERIFY(stopButton() != stopNormal);
    const QImage stopLit = stopButton(), playNormal = playButton();
    moveTo(playArea.center());
    QTRY_VERIFY(playButton() != playNormal);
    const QImage playLit = playButton();
    QTRY_COMPARE(stopButton(), stopNormal);
    QVERIFY(stopLit != stopNormal);
    // Play pressed with the pointer on it, then Stop Audio from the script.
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QTRY_VERIFY(playButton() != playLit);  // it offers Pause now
    click(4);
    QTRY_COMPARE(playButton(), playLit);
    QTRY_COMPARE(stopButton(), stopNormal);
  }
};

int main(int argc, char** argv) {
  // Without the X server the test skips itself; it needs an application to
  // get that far.
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestCuesEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_cues_e2e.moc"
