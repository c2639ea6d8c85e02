// Options, Audio output end to end: the real program under the test X
// server, the choice answered through the test dialogs, the sound heard at
// the monitors of the test server's two null sinks and their volumes read
// with pactl. The second sink is unloaded during a cue, as a USB interface
// is unplugged during a show.

#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/program_window.h"
#include "support/sink_recorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using namespace std::chrono_literals;
using test::Clock;
using test::run;
using test::xdotool;

namespace {

const QString kSecond = QStringLiteral("test_sink2");
const QString kSecondDescription = QStringLiteral("Second test output");

QString pactl(const QStringList& args) {
  return run(QStringLiteral("pactl"), args);
}

// The sink's volume (0..65536), or -1.
int sinkVolume(const QString& sink) {
  const QString text = pactl({QStringLiteral("get-sink-volume"), sink});
  static const QRegularExpression channel(QStringLiteral(":\\s*(\\d+)\\s*/"));
  const QRegularExpressionMatch m = channel.match(text);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The module that made the second sink; empty when it is not loaded.
QString secondModule() {
  for (const QString& line :
       pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")})
           .split(QLatin1Char('\n')))
    if (line.contains(QStringLiteral("sink_name=") + kSecond))
      return line.section(QLatin1Char('\t'), 0, 0);
  return {};
}

// The second sink, as the test environment makes it.
bool loadSecond() {
  if (!secondModule().isEmpty()) return true;
  pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
         QStringLiteral("sink_name=") + kSecond, QStringLiteral("rate=48000"),
         QStringLiteral("sink_properties=\"device.description='%1'\"").arg(kSecondDescription)});
  return !secondModule().isEmpty();
}

// Polls until the condition holds or ms pass.
template <typename F>
bool within(int ms, F condition) {
  QElapsedTimer t;
  t.start();
  while (!condition()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(20);  // polling
  }
  return true;
}

}  // namespace

class TestOutputEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;

  QString log() const { return QString::fromUtf8(folder_.read(QStringLiteral("dialogs.log"))); }

  bool start(const QString& choices) {
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("SCENOVA_TEST_DIALOG_CHOICES"), choices);
    program_ = test::startProgram(folder_, {folder_.file(QStringLiteral("show.rtf"))}, {}, extra);
    if (!program_->waitForStarted()) return false;
    if (!window_.find(*program_, QStringLiteral("^Scenova - show"))) return false;
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_.id});
    return true;
  }
  void stop() {
    if (!program_) return;
    program_->kill();
    program_->waitForFinished(5000);
    program_.reset();
  }
  Clock::time_point click(int line) {
    const QPoint p = window_.line(line);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
             QString::number(p.y())});
    const Clock::time_point t = Clock::now();
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    return t;
  }
  // Options, Audio output... from the keyboard, once the menu is open;
  // returns once the dialog has been answered.
  void chooseOutput() {
    const int before = static_cast<int>(log().count(QStringLiteral("choice\t")));
    const QSet<QString> shown = test::visibleWindowsOf(program_->processId());
    xdotool({QStringLiteral("key"), QStringLiteral("alt+o")});
    QTRY_VERIFY2_WITH_TIMEOUT(!(test::visibleWindowsOf(program_->processId()) - shown).isEmpty(),
                              "Alt+O opened no menu", 5000);
    xdotool({QStringLiteral("key"), QStringLiteral("o")});
    QVERIFY(within(3000, [&] { return log().count(QStringLiteral("choice\t")) > before; }));
  }
  // Whether the recorder hears the sound from t on within ms.
  static bool heardAfter(const test::SinkRecorder& r, Clock::time_point t, int ms = 2000) {
    return within(ms, [&] { return r.onsetMsAfter(t) >= 0; });
  }
  // Milliseconds of sound each recorder heard over the next ms.
  static std::pair<double, double> listen(const test::SinkRecorder& a, const test::SinkRecorder& b,
                                          int ms) {
    const Clock::time_point from = Clock::now();
    QTest::qWait(ms);  // listens for that long on purpose
    const Clock::time_point to = Clock::now();
    return {a.loudMs(from, to), b.loudMs(from, to)};
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sinks");
    for (const char* tool : {"xdotool", "parec", "pactl"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool, parec and pactl");
    QVERIFY2(loadSecond(), "the test sound server has no second sink");
    QVERIFY(test::installTestProgram(folder_));
    folder_.write(QStringLiteral("low.wav"), test::toneWav(440, 20));
    folder_.write(QStringLiteral("high.wav"), test::toneWav(1000, 20));
    folder_.write(QStringLiteral("show.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs96 [[low.wav]]\\par "
                  "[[Play Audio]]\\par [[high.wav]]\\par [[Play Audio]]\\par [[Vol 20]]\\par "
                  "[[Vol 100]]\\par}");
  }

  void init() {
    QVERIFY(loadSecond());
    for (const QString& sink : {QStringLiteral("test_sink"), kSecond})
      pactl({QStringLiteral("set-sink-volume"), sink, QStringLiteral("65536")});
    QFile::remove(folder_.file(QStringLiteral("dialogs.log")));
  }
  void cleanup() {
    stop();
    loadSecond();  // for the tests that come after
  }

  // A cue that plays moves to the output chosen, and so does the next one;
  // the knob acts there. Unplugged during the cue, the sound goes on at the
  // default output; chosen again once it is back, the sound goes there.
  void choosingAnOutputDuringTheShow() {
    folder_.writeSettings("English.lng\r\n");
    QVERIFY2(start(kSecondDescription + QLatin1Char('|') + kSecondDescription),
             "the program's window did not come up");
    test::SinkRecorder first, second;
    QVERIFY(first.start() && second.startOn(kSecond + QStringLiteral(".monitor")));

    click(0);
    Clock::time_point t = click(1);
    QVERIFY2(heardAfter(first, t), "Play Audio made no sound at the default output");
    QCOMPARE(second.loudMs(t, Clock::now()), 0.0);

    // Chosen while the cue plays: it moves there.
    t = Clock::now();
    chooseOutput();
    QVERIFY2(log().contains(QStringLiteral("choice\tAudio output\tDefault|")), qPrintable(log()));
    QVERIFY2(log().contains(QLatin1Char('|') + kSecondDescription), qPrintable(log()));
    QVERIFY2(heardAfter(second, t), "the playing cue did not move to the chosen output");
    auto [atFirst, atSecond] = listen(first, second, 600);
    QCOMPARE(atFirst, 0.0);
    QVERIFY2(atSecond > 500, qPrintable(QString::number(atSecond)));

    // The next cue plays there from its start, at its own pitch.
    click(2);
    t = click(3);
    QVERIFY(heardAfter(second, t));
    const Clock::time_point from = Clock::now() + 200ms;
    std::tie(atFirst, atSecond) = listen(first, second, 700);
    QCOMPARE(atFirst, 0.0);
    QVERIFY2(std::abs(second.pitch(from, Clock::now()) - 1000) < 60,
             qPrintable(QString::number(second.pitch(from, Clock::now()))));

    // The knob (Vol 20) moves the chosen output's volume, not the default's.
    const int firstVolume = sinkVolume(QStringLiteral("test_sink"));
    const int secondVolume = sinkVolume(kSecond);
    click(4);
    QVERIFY(within(2000, [&] { return sinkVolume(kSecond) != secondVolume; }));
    QVERIFY2(sinkVolume(kSecond) < 65536 && sinkVolume(kSecond) > 0,
             qPrintable(QString::number(sinkVolume(kSecond))));
    QCOMPARE(sinkVolume(QStringLiteral("test_sink")), firstVolume);

    // Full volume again (the knob now acts on whichever output is in use).
    click(5);
    QVERIFY(within(2000, [&] { return sinkVolume(kSecond) == 65536; }));

    // Unplugged while the cue plays: the sound goes on at the default output.
    t = Clock::now();
    pactl({QStringLiteral("unload-module"), secondModule()});
    QVERIFY2(heardAfter(first, t), "the sound did not go on at the default output");
    std::tie(atFirst, atSecond) = listen(first, second, 700);
    QVERIFY2(atFirst > 600, qPrintable(QString::number(atFirst)));
    QCOMPARE(program_->state(), QProcess::Running);

    // Back, and chosen again: the sound goes there again.
    QVERIFY(loadSecond());
    test::SinkRecorder again;
    QVERIFY(again.startOn(kSecond + QStringLiteral(".monitor")));
    t = Clock::now();
    chooseOutput();
    QVERIFY2(heardAfter(again, t), "chosen again, the output did not get the sound");
    std::tie(atFirst, atSecond) = listen(first, again, 600);
    QCOMPARE(atFirst, 0.0);
    QVERIFY2(atSecond > 500, qPrintable(QString::number(atSecond)));
    QVERIFY2(!log().contains(QStringLiteral("message")), qPrintable(log()));
  }

  // The output remembered from the last session is used when it is there;
  // one that is gone gives the default output.
  void rememberedOutputAtStartUp_data() {
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("atSecond");
    QTest::newRow("present") << kSecond << true;
    QTest::newRow("gone") << QStringLiteral("unplugged_interface") << false;
  }
  void rememberedOutputAtStartUp() {
    QFETCH(QString, saved);
    QFETCH(bool, atSecond);
    folder_.writeSettings(
        "English.lng\r\n\r\n\r\n0\r\n0\r\n1\r\n\r\n0\r\nAudioOutput=" + saved.toUtf8() + "\r\n");
    QVERIFY2(start({}), "the program's window did not come up");
    test::SinkRecorder first, second;
    QVERIFY(first.start() && second.startOn(kSecond + QStringLiteral(".monitor")));
    click(0);
    const Clock::time_point t = click(1);
    QVERIFY(heardAfter(atSecond ? second : first, t));
    const auto [heardFirst, heardSecond] = listen(first, second, 500);
    QCOMPARE(atSecond ? heardFirst : heardSecond, 0.0);
    QVERIFY((atSecond ? heardSecond : heardFirst) > 400);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestOutputEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_output_e2e.moc"
