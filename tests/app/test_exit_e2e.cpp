// Leaving the program in the middle of a show: the real program under the
// test X server, a video playing on the projector (its sound at the null
// sink) or a picture on it, and each way out an operator has: File, Exit;
// Escape in the script (answering Yes to the question); the window's close
// button (WM_DELETE_WINDOW, as a window manager sends it). The process must
// end quickly, leave no sound stream behind, and the next start must open.

#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/sink_recorder.h"
#include "support/x11_close.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using test::run;
using test::xdotool;

namespace {

// The sound streams the sound server plays.
int soundStreams() {
  const QString list =
      run(QStringLiteral("pactl"),
          {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
  return static_cast<int>(list.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}

// The visible show windows (projector, picture) of the process: frameless
// windows titled just "Scenova".
bool showWindowUp(qint64 pid) {
  return !run(QStringLiteral("xdotool"),
              {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
               QString::number(pid), QStringLiteral("--name"), QStringLiteral("^Scenova$")})
              .isEmpty();
}

}  // namespace

class TestExitEndToEnd : public QObject {
  Q_OBJECT

  test::ProgramFolder folder_;
  std::unique_ptr<QProcess> program_;
  test::ProgramWindow window_;

  QString log() const { return QString::fromUtf8(folder_.read(QStringLiteral("dialogs.log"))); }

  bool start(const QString& answers = {}) {
    program_ = test::startProgram(folder_, {folder_.file(QStringLiteral("show.rtf"))}, answers);
    if (!program_->waitForStarted()) return false;
    return window_.find(*program_, QStringLiteral("^Scenova - show"));
  }
  void stop() {
    if (!program_) return;
    program_->kill();
    program_->waitForFinished(5000);
    program_.reset();
  }
  void focusMainWindow() {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_.id});
  }
  // The font size box of the toolbar (10230 twips from the left, 75 down,
  // 840 x 390).
  void clickFontSizeBox() {
    const int x = window_.x + 682 + 28;
    const int y = window_.y + static_cast<int>(window_.menuHeight) + 5 + 13;
    // --sync returns once the pointer is there.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(x),
             QString::number(y)});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
  }
  void click(int line) {
    const QPoint p = window_.line(line);
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
             QString::number(p.y())});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"xdotool", "pactl", "ffmpeg"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs xdotool, pactl and ffmpeg");
    QVERIFY(test::installTestProgram(folder_));
    QVERIFY(test::makeClip(folder_.file(QStringLiteral("clip.mp4")),
                           QStringLiteral("smptebars=size=320x180:rate=25"), 30));
    QImage slide(640, 480, QImage::Format_RGB32);
    slide.fill(Qt::white);
    QVERIFY(slide.save(folder_.file(QStringLiteral("slide.jpg")), "JPG"));
    folder_.write(QStringLiteral("show.rtf"),
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}"
                  "\\f0\\fs96 [[clip.mp4]]\\par\\cf1 [[Projector On]]\\par [[Play Video]]\\par"
                  "\\cf0 [[slide.jpg]]\\par}");
  }

  void cleanup() { stop(); }

  void everyWayOutEndsTheProgram_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("video");
    for (const char* way : {"menu", "escape", "close"}) {
      QTest::newRow(qPrintable(QStringLiteral("%1, video").arg(QLatin1StringView(way))))
          << QString::fromLatin1(way) << true;
      QTest::newRow(qPrintable(QStringLiteral("%1, picture").arg(QLatin1StringView(way))))
          << QString::fromLatin1(way) << false;
    }
  }
  void everyWayOutEndsTheProgram() {
    QFETCH(QString, way);
    QFETCH(bool, video);
    QFile::remove(folder_.file(QStringLiteral("dialogs.log")));
    QVERIFY2(start(QStringLiteral("yes")), "the program's window did not come up");
    focusMainWindow();
    const qint64 pid = program_->processId();
    if (video) {
      click(0);  // the clip
      click(1);  // Projector On
      click(2);  // Play Video
      QTRY_VERIFY2_WITH_TIMEOUT(soundStreams() > 0, "the video's sound did not start", 10000);
    } else {
      click(3);  // the picture
    }
    QTRY_VERIFY_WITH_TIMEOUT(showWindowUp(pid), 5000);

    // The projector took the focus: the operator comes back to the script.
    focusMainWindow();
    QElapsedTimer took;
    if (way == QLatin1StringView("menu")) {
      const QSet<QString> before = test::visibleWindowsOf(pid);
      xdotool({QStringLiteral("key"), QStringLiteral("alt+f")});
      QTRY_VERIFY2_WITH_TIMEOUT(!(test::visibleWindowsOf(pid) - before).isEmpty(),
                                "Alt+F opened no menu", 5000);
      xdotool({QStringLiteral("key"), QStringLiteral("Up")});
      took.start();
      xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    } else if (way == QLatin1StringView("escape")) {
      // The script keeps its Escape; the font size box gives it up with the
      // focus, and the next Escape is the window's.
      // Both go in one stream: the program handles the first (and moves the
      // focus) before it reads the second.
      clickFontSizeBox();
      took.start();
      xdotool({QStringLiteral("key"), QStringLiteral("Escape"), QStringLiteral("Escape")});
    } else {
      took.start();
      QVERIFY(test::askWindowToClose(window_.id.toULong()));
    }
    const bool ended = program_->waitForFinished(2000);
    const qint64 ms = took.elapsed();
    if (way == QLatin1StringView("escape"))
      xdotool({QStringLiteral("keyup"), QStringLiteral("Escape")});
    QVERIFY2(ended, "the process still runs 2 s after the close");
    qInfo("%s: the process ended %lld ms after the close", qPrintable(way), ms);
    // Escape asked first (the show was going); the other ways did not.
    QVERIFY2(log().contains(QStringLiteral("message\t")) == (way == QLatin1StringView("escape")),
             qPrintable(log()));
    QTRY_COMPARE_WITH_TIMEOUT(soundStreams(), 0, 2000);

    // The next start opens: no "already running" refusal.
    program_.reset();
    QVERIFY2(start(), "the next start did not open its window");
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestExitEndToEnd test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_exit_e2e.moc"
