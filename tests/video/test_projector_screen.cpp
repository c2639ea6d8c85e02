// The projector and the picture window on real windows: the test X server
// has two 1024x768 monitors side by side; the video's sound goes to the
// null sink.

#include "audio/transport_rig.h"
#include "platform/media/media_player.h"
#include "platform/monitors.h"
#include "support/sink_recorder.h"
#include "video/monitor_list.h"
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
#include <QtEndian>

using namespace scenova;

namespace {

const QRect kSecond(1024, 0, 1024, 768);

QImage grab(const QRect& r) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels that are not (nearly) black.
QRect litArea(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) > 40) box |= QRect(x, y, 1, 1);
  return box;
}

// Whether the picture holds the pure colour bars of the test pattern.
int barColours(const QImage& img) {
  // The upper bars of the SMPTE pattern, at 75 %.
  const QList<QRgb> bars = {qRgb(191, 0, 0),   qRgb(0, 191, 0),   qRgb(0, 0, 191),
                            qRgb(191, 191, 0), qRgb(0, 191, 191), qRgb(191, 0, 191)};
  int found = 0;
  for (QRgb bar : bars) {
    bool seen = false;
    for (int y = 100; y < img.height() * 3 / 5 && !seen; y += 16)
      for (int x = 0; x < img.width() && !seen; x += 8) {
        const QRgb p = img.pixel(x, y);
        seen = std::abs(qRed(p) - qRed(bar)) < 50 && std::abs(qGreen(p) - qGreen(bar)) < 50 &&
               std::abs(qBlue(p) - qBlue(bar)) < 50;
      }
    found += seen;
  }
  return found;
}

// Whether the null sink plays a sample louder than `above` within `ms`
// milliseconds; it answers as soon as one is heard.
bool sinkHears(int above, int ms) {
  test::SinkRecorder rec;
  return rec.start() && QTest::qWaitFor([&] { return rec.firstLoud(0, above) >= 0; }, ms);
}

// The loudest sample the null sink plays during ms milliseconds: it listens
// for that long on purpose, to tell that nothing sounds in it.
int sinkPeak(int ms) {
  QProcess rec;
  rec.start(QStringLiteral("parec"),
            {QStringLiteral("-d"), QStringLiteral("test_sink.monitor"), QStringLiteral("--raw"),
             QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
             QStringLiteral("--rate=8000")});
  if (!rec.waitForStarted(3000)) return -1;
  QTest::qWait(ms);  // listens for that long on purpose
  rec.terminate();
  rec.waitForFinished(3000);
  const QByteArray pcm = rec.readAllStandardOutput();
  int peak = 0;
  for (qsizetype i = 0; i + 1 < pcm.size(); i += 2)
    peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(pcm.constData() + i))));
  return peak;
}

}  // namespace

class TestProjectorScreen : public QObject {
  Q_OBJECT
  QTemporaryDir media_;
  QString clip_;

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs the PulseAudio null sink");
    for (const char* tool : {"ffmpeg", "parec"})
      if (QStandardPaths::findExecutable(QLatin1StringView(tool)).isEmpty())
        QSKIP("needs ffmpeg and parec");
    clip_ = media_.filePath(QStringLiteral("bars.mp4"));
    QProcess ff;
    ff.start(QStringLiteral("ffmpeg"),
             {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
              QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
              QStringLiteral("smptebars=size=640x360:rate=25"), QStringLiteral("-f"),
              QStringLiteral("lavfi"), QStringLiteral("-i"),
              QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-t"),
              QStringLiteral("8"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), clip_});
    QVERIFY(ff.waitForFinished(60000) && ff.exitCode() == 0);
  }

  void monitorListSeesBothOutputs() {
    platform::QtMonitorSystem screens;
    const video::clsMonitors list(screens);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.Monitors()[0].Left, 0);
    QCOMPARE(list.Monitors()[1].Left, 1024);
    QCOMPARE(list.Monitors()[1].Width, 1024);
  }

  void videoOnTheProjector() {
    test::PanelRig rig(new QWidget);
    platform::QtMonitorSystem screens;
    QTimer timer4;
    QStringList notices;
    std::unique_ptr<platform::MediaPlayer> wmp2 = platform::createMediaPlayer({});
    video::VideoPanel panel(video::VideoParts{
        .ui = rig.ui,
        .lang = rig.lang,
        .Timer4 = timer4,
        .WMP2 = *wmp2,
        .monitorSystem = screens,
        .createPlayer =
            [](const platform::PlayerSettings& s) { return platform::createMediaPlayer(s); },
        .currentCue = [&rig] { return rig.ui.Label2[15]->Tag; },
        .notice = [&notices](const QString& t) { notices << t; },
        .programFolder = rig.folder.path(),
    });
    panel.connectControls();
    panel.Form_Load();
    rig.window.show();

    // "Projector On", the video cue, "Play Video".
    rig.ui.Picture3->show();
    rig.ui.Check1->setChecked(true);
    rig.ui.Label2[15]->Tag = clip_;
    panel.projectorPlayer()->setUrl(clip_);
    rig.ui.Label2[15]->Tag = QStringLiteral("Play Video");
    rig.ui.cmdPlayV->Tag = rig.lang[7];
    panel.cmdPlayV_Click();
    video::ProjectorWindow& form2 = panel.Form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    QTRY_COMPARE_WITH_TIMEOUT(form2.frameGeometry(), kSecond, 3000);
    QVERIFY(form2.windowFlags() & Qt::FramelessWindowHint);
    QTRY_VERIFY_WITH_TIMEOUT(!panel.projectorPlayer()->currentPositionString().isEmpty(), 5000);
    // The bars reach the second monitor once the first frames are drawn.
    QTRY_VERIFY_WITH_TIMEOUT(barColours(grab(kSecond)) >= 5, 5000);
    const QImage shot = grab(kSecond);
    if (qEnvironmentVariableIsSet("SCENOVA_KEEP_SHOTS"))
      shot.save(QStringLiteral("/tmp/projector.png"));
    QVERIFY(litArea(shot).isValid());
    QVERIFY2(barColours(shot) >= 5, "the colour bars are not on the second monitor");
    // Nothing of the video on the operator's monitor.
    QVERIFY(barColours(grab(QRect(0, 0, 1024, 768))) < 3);
    QVERIFY2(sinkHears(200, 3000), "no sound at the null sink");
    panel.Form2_Timer1_Timer();
    QVERIFY(rig.ui.lblContatoreV->caption().endsWith(QStringLiteral(" / 00:08")));

    // Escape hides the window; the video goes on.
    QTest::keyClick(&form2, Qt::Key_Escape);
    QVERIFY(form2.isHidden());
    QVERIFY(sinkHears(200, 3000));
    panel.cmdStopV_Click();
    QCOMPARE(rig.ui.lblContatoreV->caption(), QStringLiteral("00:00 / 00:00"));
    QTRY_VERIFY_WITH_TIMEOUT(sinkPeak(400) < 30, 3000);
    QVERIFY(notices.isEmpty());

    // A picture cue fills the second monitor proportionally: 800x400 on
    // 1024x768 is 1024x512, centred.
    QImage pic(800, 400, QImage::Format_RGB32);
    pic.fill(Qt::white);
    const QString path = media_.filePath(QStringLiteral("slide.jpg"));
    QVERIFY(pic.save(path, "JPG"));
    panel.loadPicture(path);
    video::ZoomWindow& zoom = panel.frmZoom();
    QVERIFY(QTest::qWaitForWindowExposed(&zoom));
    QTRY_COMPARE_WITH_TIMEOUT(zoom.frameGeometry(), kSecond, 3000);
    QRect box;
    const auto centred = [&box] {
      box = litArea(grab(kSecond));
      return std::abs(box.left() - 0) <= 1 && std::abs(box.width() - 1024) <= 1 &&
             std::abs(box.top() - 128) <= 1 && std::abs(box.height() - 512) <= 1;
    };
    QVERIFY2(QTest::qWaitFor(centred, 3000), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                            .arg(box.left())
                                                            .arg(box.top())
                                                            .arg(box.width())
                                                            .arg(box.height())));
    zoom.hide();
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestProjectorScreen test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_projector_screen.moc"
