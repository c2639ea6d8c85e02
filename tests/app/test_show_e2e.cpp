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

  bool start(const QString& script = QStringLiteral("show")) {
    program_ = test::startProgram(folder_, {folder_.file(script + QStringLiteral(".rtf"))});
    if (!program_->waitForStarted()) return false;
    if (!window_.find(*program_, QStringLiteral("^Scenova - ") + script)) return false;
    // The keys go to the window (there is no window manager to give it the
    // focus); the caret stays at the start of the script.
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_.id});
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
  // File, Exit (its last item), from the keyboard, once the menu is open.
  void exit() {
    const QSet<QString> before = test::visibleWindowsOf(program_->processId());
    key("alt+f");
    QTRY_VERIFY2(!(test::visibleWindowsOf(program_->processId()) - before).isEmpty(),
                 "Alt+F opened no menu");
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
    // A short sound and a long one at another pitch, for the waits.
    QByteArray shortTone, longTone;
    for (int i = 0; i < test::kRate * 3 / 10; ++i)
      test::appendSample(shortTone, 12000 * std::sin(2 * M_PI * 440 * i / test::kRate));
    for (int i = 0; i < test::kRate * 2; ++i)
      test::appendSample(longTone, 12000 * std::sin(2 * M_PI * 660 * i / test::kRate));
    folder_.write(QStringLiteral("a.wav"), test::wavFile(shortTone));
    folder_.write(QStringLiteral("b.wav"), test::wavFile(longTone));
    folder_.write(QStringLiteral("group.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 [[Vol 20]]\\par "
                  "[[tone.wav]] + [[Vol 100]] + [[Play Audio]]\\par [[Stop Audio]]\\par "
                  "[[a.wav]] + [[Play Audio]] + [[Wait 1]] + [[b.wav]] + [[Play Audio]]\\par}");
  }

  void cleanup() { stop(); }

  void theShowRunsFromTheKeyboard() {
    QVERIFY2(start(), "the program's window did not come up");
    test::SinkRecorder sound;
    QVERIFY(sound.start());
    const Clock::time_point listening = Clock::now();
    const QString plainTitle = title();
    QCOMPARE(markedLine(), -1);

    key("F12");
    QTRY_COMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));
    key("Home");
    QTRY_COMPARE(markedLine(), 0);

    // GO 1: the tone loads, silent until GO 2 plays it: nothing is heard
    // from the start of the show (the file may wait loaded from when the mark
    // reaches its cue), for 300 ms after the key (a stretch listened to on
    // purpose), up to the key of GO 2.
    const Clock::time_point loaded = key("space");
    QTRY_COMPARE(markedLine(), 1);
    QTRY_VERIFY(sound.reached(loaded + std::chrono::milliseconds(300)));

    // GO 2: Play Audio, heard. How soon is the click-to-sound benchmark's
    // figure (bench/media/bench_show_audio), not this test's.
    Clock::time_point t = key("space");
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "GO on Play Audio made no sound", 3000);
    qInfo("Play Audio sounded %.1f ms after the key", sound.onsetMsAfter(t));
    QCOMPARE(sound.loudArrivedBefore(listening, t), 0.0);
    QTRY_COMPARE(markedLine(), 2);

    // GO 3: the fast fade takes the sink down.
    const int before = sinkVolume();
    QVERIFY(before > 0);
    key("space");
    QTRY_VERIFY(sinkVolume() < before);
    const int during = sinkVolume();
    QVERIFY(during >= 0);
    QTRY_COMPARE(markedLine(), 3);

    // GO 4: Stop Audio, silence.
    key("space");
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(std::chrono::milliseconds(300)), 3000);
    QTRY_COMPARE(markedLine(), 4);

    // Typing changes nothing in the script. The keys go in order: once the
    // highlight has gone down and back up, the program has read them all.
    const QImage shown = script();
    xdotool({QStringLiteral("type"), QStringLiteral("x]]")});
    for (const char* k : {"Return", "BackSpace", "Delete", "ctrl+v", "ctrl+x", "ctrl+z", "Down"})
      key(k);
    QTRY_COMPARE(markedLine(), 5);
    key("Up");
    QTRY_COMPARE(markedLine(), 4);
    QCOMPARE(script(), shown);

    // Vol 100 and Play Audio again; Escape stops the tone and the window
    // stays.
    key("KP_Enter");
    QTRY_VERIFY(sinkVolume() > during);
    QTRY_COMPARE(markedLine(), 5);
    t = key("space");
    QTRY_VERIFY_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, 3000);
    const int full = sinkVolume();
    key("space");  // FadeOut Slow
    QTRY_VERIFY(sinkVolume() < full);
    key("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(sound.quietFor(std::chrono::milliseconds(300)), 3000);
    const int stopped = sinkVolume();
    QVERIFY(stopped > 0);
    QCOMPARE(program_->state(), QProcess::Running);
    QCOMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));

    // Show mode off: the word goes, and closing asks nothing: the show did
    // not change the script. The fade ended where it stood.
    key("F12");
    QTRY_COMPARE(title(), plainTitle);
    QCOMPARE(markedLine(), -1);
    QCOMPARE(sinkVolume(), stopped);
    exit();
    QVERIFY(program_->waitForFinished(5000));
    QVERIFY2(!log().contains(QStringLiteral("message")), qPrintable(log()));
  }

  // One GO on a cue group: the file, its level and its start together; a
  // wait inside a group, and Escape during it.
  void oneGoFiresACueGroup() {
    QVERIFY2(start(QStringLiteral("group")), "the program's window did not come up");
    test::SinkRecorder sound;
    QVERIFY(sound.start());
    const QString plainTitle = title();
    key("F12");
    QTRY_COMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));
    key("Home");  // the program reads the keys in order: Home before the GO below
    const int full = sinkVolume();
    key("space");  // Vol 20
    QTRY_VERIFY_WITH_TIMEOUT(sinkVolume() < full, 3000);

    // [[tone.wav]] + [[Vol 100]] + [[Play Audio]]: heard, at full level
    // from its first samples (how soon is bench_group_go's figure).
    Clock::time_point t = key("space");
    QTRY_VERIFY2_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, "GO on the group made no sound", 3000);
    qInfo("the group sounded %.1f ms after the key", sound.onsetMsAfter(t));
    QCOMPARE(sinkVolume(), 65536);  // the sound server's 100 %
    const Clock::time_point heard = t + std::chrono::milliseconds(int(sound.onsetMsAfter(t)));
    QTRY_VERIFY_WITH_TIMEOUT(Clock::now() > heard + std::chrono::milliseconds(300), 2000);
    const double peak = sound.peak(heard, heard + std::chrono::milliseconds(50));
    qInfo("peak at the sink %.0f of 12000", peak);
    QVERIFY2(peak > 12000 * 0.9, qPrintable(QString::number(peak)));
    key("space");  // Stop Audio
    QTRY_VERIFY_WITH_TIMEOUT(
        sound.loudMs(Clock::now() - std::chrono::milliseconds(200), Clock::now()) == 0, 3000);

    // [[a.wav]] + [[Play Audio]] + [[Wait 1]] + [[b.wav]] + [[Play Audio]]:
    // the second sound a second after the first.
    t = key("space");
    QTRY_VERIFY_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, 3000);
    const Clock::time_point first =
        t + std::chrono::microseconds(static_cast<qint64>(sound.onsetMsAfter(t) * 1000));
    const Clock::time_point later = first + std::chrono::milliseconds(500);
    QTRY_VERIFY_WITH_TIMEOUT(sound.onsetMsAfter(later) >= 0, 4000);
    const double gap = 500 + sound.onsetMsAfter(later);
    qInfo("the second sound came %.1f ms after the first", gap);
    QVERIFY2(std::abs(gap - 1000) <= 50, qPrintable(QStringLiteral("%1 ms").arg(gap)));
    QTRY_VERIFY_WITH_TIMEOUT(Clock::now() > later + std::chrono::milliseconds(950), 2000);
    QVERIFY(sound.pitch(later + std::chrono::milliseconds(600),
                        later + std::chrono::milliseconds(900)) > 600);  // b.wav

    // Again, and Escape during the wait: the second sound never comes.
    key("Escape");
    key("Up");
    t = key("space");
    QTRY_VERIFY_WITH_TIMEOUT(sound.onsetMsAfter(t) >= 0, 3000);
    key("Escape");
    const Clock::time_point quietFrom =
        t + std::chrono::milliseconds(int(sound.onsetMsAfter(t)) + 400);
    QTRY_VERIFY_WITH_TIMEOUT(Clock::now() > quietFrom + std::chrono::milliseconds(1200), 3000);
    QCOMPARE(sound.loudMs(quietFrom, Clock::now()), 0.0);
    QCOMPARE(program_->state(), QProcess::Running);
  }

  void theScriptIsEditableAgainAfterTheShow() {
    QVERIFY2(start(), "the program's window did not come up");
    const QString plainTitle = title();
    key("F12");
    QTRY_COMPARE(title(), plainTitle + QStringLiteral(" [SHOW]"));
    key("Home");
    QTRY_COMPARE(markedLine(), 0);
    const QImage shown = script();
    xdotool({QStringLiteral("type"), QStringLiteral("zzz")});
    // Read in order: the highlight going down and up again follows the typing.
    key("Down");
    QTRY_COMPARE(markedLine(), 1);
    key("Up");
    QTRY_COMPARE(markedLine(), 0);
    QCOMPARE(script(), shown);
    key("F12");
    QTRY_COMPARE(title(), plainTitle);
    key("ctrl+Home");
    xdotool({QStringLiteral("type"), QStringLiteral("zzz")});
    QTRY_VERIFY(script() != shown);
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
