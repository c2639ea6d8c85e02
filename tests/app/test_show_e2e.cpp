// Show mode end to end: the real program under the test X server, keys
// pressed with xdotool, the sound taken from the null sink's monitor and the
// sink's volume read with pactl.

#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/sink_recorder.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using test::Clock;
using test::run;
using test::xdotool;

namespace {

void pause(int ms) {
  QTest::qWait(ms);
}

// The test sink's volume (0..65536), or -1.
int sinkVolume() {
  const QString text = run(QStringLiteral("pactl"),
                           {QStringLiteral("get-sink-volume"), QStringLiteral("test_sink")});
  static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
  const QRegularExpressionMatch m = channel.match(text);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The next-cue highlight's colour.
bool isMarkColour(QRgb c) {
  return std::abs(qRed(c) - 0xff) < 12 && std::abs(qGreen(c) - 0xd5) < 12 &&
         std::abs(qBlue(c) - 0x4f) < 12;
}

}  // namespace

class TestShowEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;

  QString log() const { return QString::fromUtf8(folder_.read(QStringLiteral("dialogs.log"))); }

  bool start() {
    program_ = test::startProgram(folder_, {folder_.file(QStringLiteral("show.rtf"))});
    if (!program_->waitForStarted()) return false;
    if (!window_.find(*program_, QStringLiteral("^Scenova - show"))) return false;
    // The keys go to the window (there is no window manager to give it the
    // focus); the caret stays at the start of the script.
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_.id});
    pause(200);
    return true;
  }
  void stop() {
    if (!program_) return;
    program_->kill();
    program_->waitForFinished(5000);
    program_.reset();
  }

  QPoint line(int n) const { return window_.line(n); }
  QImage grab(const QRect& r) const {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage();
  }
  // The script's visible lines.
  QImage script() const {
    const QPoint top = line(0);
    return grab(QRect(top.x() - 40, top.y() - static_cast<int>(window_.lineHeight / 2), 400,
                      static_cast<int>(window_.lineHeight * 8)));
  }
  // Which script line the next-cue highlight is on; -1 for none.
  int markedLine() const {
    const QImage s = script();
    int found = -1;
    for (int n = 0; n < 8; ++n) {
      const int y = static_cast<int>((n + 0.5) * window_.lineHeight);
      int hits = 0;
      for (int x = 0; x < s.width(); x += 2)
        if (isMarkColour(s.pixel(x, y))) ++hits;
      if (hits > 10) {
        if (found >= 0) return -2;  // more than one
        found = n;
      }
    }
    return found;
  }
  Clock::time_point key(const char* name) {
    const Clock::time_point t = Clock::now();
    xdotool({QStringLiteral("key"), QLatin1StringView(name)});
    return t;
  }
  // File, Exit (its last item), from the keyboard.
  void exit() {
    key("alt+f");
    pause(300);
    key("Up");
    key("Return");
  }
  QString title() const {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window_.id});
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"xdotool", "parec", "pactl"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool, parec and pactl");
    QVERIFY(test::installTestProgram(folder_));
    folder_.write(QStringLiteral("tone.wav"), test::toneWav(440, 8));
    folder_.write(QStringLiteral("show.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[tone.wav]]\\par "
                  "[[Play Audio]]\\par [[FadeOut Fast]]\\par [[Stop Audio]]\\par [[Vol 100]]\\par "
                  "[[Play Audio]]\\par [[FadeOut Slow]]\\par}");
  }

  void cleanup() { stop(); }

  void theShowRunsFromTheKeyboard() {
    QVERIFY2(start(), "the program's window did not come up");
    test::Recorder sound;
    QVERIFY(sound.running());
    const QString plainTitle = title();
    QCOMPARE(markedLine(), -1);

    key("F12");
    pause(300);
    QCOMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));
    key("Home");
    pause(200);
    QCOMPARE(markedLine(), 0);

    // GO 1: the tone loads, silent.
    Clock::time_point t = key("space");
    pause(600);
    QCOMPARE(sound.loudMs(t, Clock::now()), 0.0);
    QCOMPARE(markedLine(), 1);

    // GO 2: Play Audio, heard at once (another try after Stop all and Up
    // when the machine was busy).
    double latency = 1e9;
    for (int attempt = 0; attempt < 3 && latency >= 20; ++attempt) {
      if (attempt > 0) {
        key("Escape");
        pause(300);
        key("Up");
        pause(200);
      }
      t = key("space");
      pause(400);
      const double onset = sound.onsetMsAfter(t);
      QVERIFY2(onset >= 0, "GO on Play Audio made no sound");
      qInfo("Play Audio sounded %.1f ms after the key", onset);
      latency = std::min(latency, onset);
    }
    QVERIFY2(latency < 20, qPrintable(QStringLiteral("%1 ms").arg(latency)));
    QCOMPARE(markedLine(), 2);

    // GO 3: the fast fade takes the sink down.
    const int before = sinkVolume();
    QVERIFY(before > 0);
    key("space");
    pause(300);
    const int during = sinkVolume();
    QVERIFY2(during >= 0 && during < before,
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(during)));
    QCOMPARE(markedLine(), 3);

    // GO 4: Stop Audio, silence.
    t = key("space");
    pause(400);
    QCOMPARE(sound.loudMs(t + std::chrono::milliseconds(100), Clock::now()), 0.0);
    QCOMPARE(markedLine(), 4);

    // Typing changes nothing in the script.
    const QImage shown = script();
    xdotool({QStringLiteral("type"), QStringLiteral("x]]")});
    for (const char* k : {"Return", "BackSpace", "Delete", "ctrl+v", "ctrl+x", "ctrl+z"}) key(k);
    pause(300);
    QCOMPARE(script(), shown);

    // Vol 100 and Play Audio again; Escape stops the tone and the window
    // stays.
    key("KP_Enter");
    pause(300);
    QVERIFY(sinkVolume() > during);
    key("space");
    pause(400);
    key("space");  // FadeOut Slow
    pause(300);
    t = key("Escape");
    pause(400);
    QCOMPARE(sound.loudMs(t + std::chrono::milliseconds(100), Clock::now()), 0.0);
    const int stopped = sinkVolume();
    pause(500);
    QCOMPARE(sinkVolume(), stopped);  // the fade ended where it stood
    QVERIFY(stopped > 0);
    QCOMPARE(program_->state(), QProcess::Running);
    QCOMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));

    // Show mode off: the word goes, and closing asks nothing: the show did
    // not change the script.
    key("F12");
    pause(300);
    QCOMPARE(title(), plainTitle);
    QCOMPARE(markedLine(), -1);
    exit();
    QVERIFY(program_->waitForFinished(5000));
    QVERIFY2(!log().contains(QStringLiteral("message")), qPrintable(log()));
  }

  void theScriptIsEditableAgainAfterTheShow() {
    QVERIFY2(start(), "the program's window did not come up");
    key("F12");
    pause(300);
    const QImage shown = script();
    xdotool({QStringLiteral("type"), QStringLiteral("zzz")});
    pause(300);
    QCOMPARE(script(), shown);
    key("F12");
    pause(300);
    key("ctrl+Home");
    xdotool({QStringLiteral("type"), QStringLiteral("zzz")});
    pause(300);
    QVERIFY(script() != shown);
    exit();  // asks about the changed script (the test answers Cancel)
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("message")), 3000);
    QCOMPARE(program_->state(), QProcess::Running);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestShowEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_show_e2e.moc"
