// The projector while the monitors change under the running program: the
// test X server's second output placed beside, below-right, left of and
// above the primary, switched off and on and given another resolution with
// xrandr, as a theatre's projector is plugged in, moved and unplugged. The
// layout of scripts/test-env.sh (two 1024x768 monitors side by side) comes
// back after each case, and at the end also when a check fails, so that the
// display tests after this one find it.

#include "audio/transport_rig.h"
#include "platform/media/media_player.h"
#include "platform/monitors.h"
#include "support/form_fixture.h"
#include "support/sink_recorder.h"
#include "video/projector_window.h"
#include "video/video_panel.h"
#include "video/zoom_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <csignal>
#include <cstdlib>

using namespace scenova;

namespace {

const QRect kPrimary(0, 0, 1024, 768);
const QRect kSecond(1024, 0, 1024, 768);

// The X server now and then refuses a change of layout while it still
// applies the one before: asked again, it takes it.
bool xrandr(const QStringList& args) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    QProcess p;
    p.start(QStringLiteral("xrandr"), args);
    if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
      return true;
    qWarning("xrandr %s: %s", qUtf8Printable(args.join(u' ')),
             p.readAllStandardError().trimmed().constData());
  }
  return false;
}

bool layout(const QString& args) {
  return xrandr(args.split(u' '));
}

// As scripts/test-env.sh sets the test X server up.
void restoreLayout() {
  layout(
      QStringLiteral("--output DUMMY0 --mode 1024x768 --pos 0x0 --primary "
                     "--output DUMMY1 --mode 1024x768 --pos 1024x0"));
}

void restoreOnSignal(int sig) {
  restoreLayout();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

QList<QRect> screens() {
  QList<QRect> out;
  for (const QScreen* s : QGuiApplication::screens()) out << s->geometry();
  return out;
}

// Waits until Qt has seen the layout: the primary first, then the others.
bool screensAre(const QList<QRect>& expected) {
  for (int i = 0; i < 100; ++i) {
    QList<QRect> now = screens();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && now.removeOne(primary->geometry()) && expected.first() == primary->geometry()) {
      QList<QRect> rest = expected.mid(1);
      std::sort(now.begin(), now.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
      std::sort(rest.begin(), rest.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
      if (now == rest) return true;
    }
    QTest::qWait(50);  // polling
  }
  return false;
}

QImage grab(const QRect& r) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect desktop = screen->virtualGeometry();
  return screen->grabWindow(0, r.x() - desktop.x(), r.y() - desktop.y(), r.width(), r.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// Whether the null sink plays a sample louder than `above` within `ms`
// milliseconds; it answers as soon as one is heard.
bool sinkHears(int above, int ms) {
  test::SinkRecorder rec;
  return rec.start() && QTest::qWaitFor([&] { return rec.firstLoud(0, above) >= 0; }, ms);
}

// The video panel on the real screens and real players.
struct Panel {
  test::PanelRig rig{new QWidget};
  platform::QtMonitorSystem screens;
  QTimer timer4;
  QStringList notices;
  std::unique_ptr<platform::MediaPlayer> wmp2 = platform::createMediaPlayer({});
  std::unique_ptr<video::VideoPanel> panel;

  Panel() {
    panel = std::make_unique<video::VideoPanel>(video::VideoParts{
        .ui = rig.ui,
        .lang = rig.lang,
        .Timer4 = timer4,
        .WMP2 = *wmp2,
        .monitorSystem = screens,
        .createPlayer =
            [](const platform::PlayerSettings& s) { return platform::createMediaPlayer(s); },
        .currentCue = [this] { return rig.ui.Label2[15]->Tag; },
        .notice = [this](const QString& t) { notices << t; },
        .programFolder = rig.folder.path(),
    });
    panel->connectControls();
    panel->Form_Load();
    rig.window.setGeometry(100, 100, 800, 600);
    rig.window.show();
    rig.ui.Picture3->show();
  }
  // "Projector On", the video cue, "Play Video".
  void playOnProjector(const QString& clip) {
    rig.ui.Check1->setChecked(true);
    rig.ui.Label2[15]->Tag = clip;
    panel->projectorPlayer()->setUrl(clip);
    rig.ui.Label2[15]->Tag = QStringLiteral("Play Video");
    rig.ui.cmdPlayV->Tag = rig.lang[7];
    panel->cmdPlayV_Click();
  }
};

}  // namespace

class TestProjectorMonitors : public QObject {
  Q_OBJECT
  QTemporaryDir media_;
  QString clip_;

  bool makeClip(const QString& path, const QString& source, int seconds) {
    QProcess ff;
    ff.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source,
         QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-t"),
         QString::number(seconds), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
    return ff.waitForFinished(60000) && ff.exitCode() == 0;
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"ffmpeg", "parec", "xrandr"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs ffmpeg, parec and xrandr");
    QVERIFY(screensAre({kPrimary, kSecond}));
    clip_ = media_.filePath(QStringLiteral("white.mp4"));
    QVERIFY(makeClip(clip_, QStringLiteral("color=c=white:size=640x360:rate=25"), 20));
  }

  void cleanup() {
    restoreLayout();
    QVERIFY(screensAre({kPrimary, kSecond}));
  }

  void placedByGeometry_data() {
    QTest::addColumn<QString>("xrandrArgs");
    QTest::addColumn<QRect>("primary");
    QTest::addColumn<QRect>("projector");
    QTest::newRow("below-right (bottom-aligned, smaller)")
        << QStringLiteral("--output DUMMY1 --mode 800x600 --pos 1024x168") << kPrimary
        << QRect(1024, 168, 800, 600);
    QTest::newRow("left of the primary")
        << QStringLiteral("--output DUMMY1 --mode 1024x768 --pos 0x0 --output DUMMY0 --pos 1024x0")
        << QRect(1024, 0, 1024, 768) << QRect(0, 0, 1024, 768);
    QTest::newRow("above the primary")
        << QStringLiteral("--output DUMMY1 --mode 1024x768 --pos 0x0 --output DUMMY0 --pos 0x768")
        << QRect(0, 768, 1024, 768) << QRect(0, 0, 1024, 768);
  }
  void placedByGeometry() {
    QFETCH(QString, xrandrArgs);
    QFETCH(QRect, primary);
    QFETCH(QRect, projector);
    QVERIFY(layout(xrandrArgs));
    QVERIFY(screensAre({primary, projector}));
    Panel p;
    p.rig.ui.Check1->setChecked(true);
    QVERIFY2(p.notices.isEmpty(), qPrintable(p.notices.join(u'|')));
    QVERIFY(p.rig.ui.Check1->isChecked());
    video::ProjectorWindow& form2 = p.panel->Form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QTRY_COMPARE_WITH_TIMEOUT(form2.frameGeometry(), projector, 3000);
    form2.hide();
  }

  // The program started with the projector unplugged; the projector is
  // plugged in, changes its resolution during a video, and is unplugged
  // while the video plays.
  void pluggedInAfterStartAndUnpluggedMidShow() {
    QVERIFY(layout(QStringLiteral("--output DUMMY1 --off")));
    QVERIFY(screensAre({kPrimary}));
    Panel p;
    p.rig.ui.Check1->setChecked(true);
    QVERIFY(!p.rig.ui.Check1->isChecked());
    QCOMPARE(p.notices, QStringList{p.rig.lang[124]});
    p.notices.clear();

    QVERIFY(layout(QStringLiteral("--output DUMMY1 --mode 1024x768 --right-of DUMMY0")));
    QVERIFY(screensAre({kPrimary, kSecond}));
    p.playOnProjector(clip_);
    QVERIFY2(p.notices.isEmpty(), qPrintable(p.notices.join(u'|')));
    QVERIFY(p.rig.ui.Check1->isChecked());
    video::ProjectorWindow& form2 = p.panel->Form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QTRY_COMPARE_WITH_TIMEOUT(form2.frameGeometry(), kSecond, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(p.panel->projectorPlayer()->currentPosition() > 0.5, 6000);

    // Another resolution: the picture follows the monitor.
    const QRect smaller(1024, 0, 800, 600);
    QVERIFY(layout(QStringLiteral("--output DUMMY1 --mode 800x600")));
    QVERIFY(screensAre({kPrimary, smaller}));
    QTRY_COMPARE_WITH_TIMEOUT(form2.frameGeometry(), smaller, 3000);
    QVERIFY(form2.isVisible());
    // White 640x360 on 800x600: 800x450 from y 75, black above and below.
    QTRY_VERIFY_WITH_TIMEOUT(qGray(grab(smaller).pixel(400, 300)) > 200, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(qGray(grab(smaller).pixel(790, 520)) > 200, 3000);
    QVERIFY(qGray(grab(smaller).pixel(400, 30)) < 40);
    QVERIFY(p.notices.isEmpty());

    // Unplugged mid-video: the window goes, the operator is told, and the
    // video goes on in the main window, with its sound.
    const double before = p.panel->projectorPlayer()->currentPosition();
    QVERIFY(layout(QStringLiteral("--output DUMMY1 --off")));
    QVERIFY(screensAre({kPrimary}));
    QTRY_VERIFY(form2.isHidden());
    QCOMPARE(p.notices, QStringList{p.rig.lang[208]});
    QVERIFY(!p.rig.ui.Check1->isChecked());
    QCOMPARE(p.wmp2->url(), clip_);
    QTRY_VERIFY_WITH_TIMEOUT(p.wmp2->currentPosition() > before + 0.3, 6000);
    QVERIFY(p.rig.ui.WMP2->isVisible());
    QVERIFY2(sinkHears(200, 3000), "no sound at the null sink");
    p.panel->cmdStopV_Click();
  }

  // A wide clip on the 4:3 projector keeps its proportions on black.
  void wideClipOnBlack() {
    Panel p;
    p.playOnProjector(clip_);
    video::ProjectorWindow& form2 = p.panel->Form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QTRY_COMPARE_WITH_TIMEOUT(form2.frameGeometry(), kSecond, 3000);
    // 640x360 on 1024x768: 1024x576 from y 96.
    QTRY_VERIFY_WITH_TIMEOUT(qGray(grab(kSecond).pixel(512, 384)) > 200, 6000);
    const QImage shot = grab(kSecond);
    if (qEnvironmentVariableIsSet("SCENOVA_KEEP_SHOTS"))
      shot.save(QStringLiteral("/tmp/projector-bars.png"));
    for (int x : {10, 512, 1013}) {
      QVERIFY2(qGray(shot.pixel(x, 40)) < 40, "no black bar above the picture");
      QVERIFY2(qGray(shot.pixel(x, 727)) < 40, "no black bar below the picture");
      QVERIFY(qGray(shot.pixel(x, 100)) > 200);
      QVERIFY(qGray(shot.pixel(x, 667)) > 200);
    }
    p.panel->cmdStopV_Click();
  }

  // A .png cue clicked in the script comes up on the projector.
  void pngCueOnTheProjector() {
    test::FormFixture f;
    app::Form1& w = *f.form;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QImage slide(400, 300, QImage::Format_RGB32);
    slide.fill(QColor(0, 200, 0));
    QVERIFY(slide.save(f.folder.file(QStringLiteral("slide.png")), "PNG"));
    platform::RTB& rtb = f.rtb();
    const QString script = QStringLiteral("Act one [[slide.png]] the lights go down");
    rtb.SetText(script);
    QTextCursor at(rtb.document());
    at.setPosition(int(script.indexOf(QLatin1StringView("lide"))));
    QTest::mouseClick(rtb.viewport(), Qt::LeftButton, {}, rtb.cursorRect(at).center());
    // 400x300 fills the 1024x768 monitor.
    QTRY_VERIFY_WITH_TIMEOUT(qGreen(grab(kSecond).pixel(512, 384)) > 150, 5000);
    const QRgb centre = grab(kSecond).pixel(512, 384);
    QVERIFY(qRed(centre) < 60 && qBlue(centre) < 60);
    QVERIFY2(w.ui().Label11->isHidden(), qPrintable(w.ui().Label11->caption()));
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->objectName() == QLatin1StringView("frmZoom")) top->hide();
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool withX = !qEnvironmentVariableIsEmpty("DISPLAY") &&
                     !QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty();
  if (withX) {
    std::atexit(restoreLayout);
    for (int sig : {SIGABRT, SIGSEGV, SIGTERM, SIGINT}) std::signal(sig, restoreOnSignal);
  }
  int status = 0;
  {
    QApplication app(argc, argv);
    TestProjectorMonitors test;
    status = QTest::qExec(&test, argc, argv);
  }
  if (withX) restoreLayout();
  return status;
}

#include "test_projector_monitors.moc"
