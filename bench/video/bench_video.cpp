// The video panel's costs: one counter tick of the main window's player
// (CPU), a 12-megapixel picture cue to shown on the projector, Play on the
// projector to its first frame drawn (a loaded 720p H.264 file), and the
// frames dropped while 30 s of 720p25 and 1080p25 play on the projector.
//
// The first frame is read back from the screen (a pixel of the second
// monitor turning from the clip's black first frame to its red second one),
// so it counts what the viewer sees, whatever draws the picture.
//
// Run under the test X server (scripts/test-env.sh: two monitors) with its
// sound server; the test media are made with ffmpeg in a temporary folder.
// Latencies are counters: median_ms, worst_ms; drops as dropped.

#include <benchmark/benchmark.h>

#include "../../tests/audio/transport_rig.h"
#include "platform/media/mpv_player.h"
#include "platform/monitors.h"
#include "video/monitor_list.h"
#include "video/projector_window.h"
#include "video/show_window.h"
#include "video/video_panel.h"
#include "video/zoom_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace scenova;

namespace {

QTemporaryDir* media = nullptr;

QString makeClip(const char* name, const char* size, int seconds) {
  const QString path = media->filePath(QLatin1StringView(name));
  if (QFile::exists(path)) return path;
  QProcess ff;
  ff.start(QStringLiteral("ffmpeg"),
           {QStringLiteral("-loglevel"),
            QStringLiteral("error"),
            QStringLiteral("-y"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("testsrc2=size=%1:rate=25").arg(QLatin1StringView(size)),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440"),
            QStringLiteral("-t"),
            QString::number(seconds),
            QStringLiteral("-c:v"),
            QStringLiteral("libx264"),
            QStringLiteral("-preset"),
            QStringLiteral("veryfast"),
            QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"),
            path});
  ff.waitForFinished(600000);
  return path;
}

// The video panel over the window's controls with real players.
struct Panel {
  test::PanelRig rig{new QWidget};
  platform::QtMonitorSystem screens;
  QTimer timer4;
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
        .notice = [](const QString&) {},
        .programFolder = rig.folder.path(),
    });
    panel->connectControls();
    panel->Form_Load();
    rig.window.show();
    rig.ui.Picture3->show();
  }
  platform::MpvMediaPlayer* wmp1() {
    return static_cast<platform::MpvMediaPlayer*>(panel->projectorPlayer());
  }
};

void report(benchmark::State& state, std::vector<double> ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["worst_ms"] = ms.back();
}

void BM_Timer4Tick(benchmark::State& state) {
  Panel p;
  p.wmp2->setUrl(makeClip("720.mp4", "1280x720", 30));
  QTest::qWait(500);
  p.panel->cmdPlayV_Click();
  p.timer4.stop();  // ticked here by hand
  QTest::qWait(500);
  for (auto _ : state) p.panel->Timer4_Timer();
  p.panel->cmdStopV_Click();
}
BENCHMARK(BM_Timer4Tick);

void BM_PictureCue12MP(benchmark::State& state) {
  Panel p;
  QImage img(4000, 3000, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
  const QString path = media->filePath(QStringLiteral("12mp.jpg"));
  img.save(path, "JPG", 90);
  std::vector<double> ms;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    p.panel->loadPicture(path);
    p.panel->frmZoom().repaint();
    ms.push_back(t.nsecsElapsed() / 1e6);
    state.SetIterationTime(ms.back() / 1000);
    p.panel->frmZoom().hide();
    QTest::qWait(50);
  }
  report(state, ms);
}
BENCHMARK(BM_PictureCue12MP)->UseManualTime()->Iterations(10);

// A 720p clip whose first frame is black and every later one red, with a
// tone: paused on its start the projector shows black, and the first frame
// after Play turns the screen red.
QString blackThenRed() {
  const QString path = media->filePath(QStringLiteral("blackred.mp4"));
  if (QFile::exists(path)) return path;
  QProcess ff;
  ff.start(QStringLiteral("ffmpeg"),
           {QStringLiteral("-loglevel"),
            QStringLiteral("error"),
            QStringLiteral("-y"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("color=c=black:size=1280x720:rate=25:duration=0.04"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("color=c=red:size=1280x720:rate=25:duration=10"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:duration=10.04"),
            QStringLiteral("-filter_complex"),
            QStringLiteral("[0:v][1:v]concat=n=2:v=1:a=0[v]"),
            QStringLiteral("-map"),
            QStringLiteral("[v]"),
            QStringLiteral("-map"),
            QStringLiteral("2:a"),
            QStringLiteral("-c:v"),
            QStringLiteral("libx264"),
            QStringLiteral("-preset"),
            QStringLiteral("veryfast"),
            QStringLiteral("-pix_fmt"),
            QStringLiteral("yuv420p"),
            path});
  ff.waitForFinished(600000);
  return path;
}

// The colour on the screen at a point of the virtual desktop.
QRgb screenPixel(QPoint at) {
  QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) return 0;
  const QPoint local = at - screen->geometry().topLeft();
  return screen->grabWindow(0, local.x(), local.y(), 1, 1).toImage().pixel(0, 0);
}

bool isRed(QRgb c) {
  return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
}

// From the click on Play to the first new frame on the second monitor, as
// read back from the X server.
void BM_PlayToFirstFrameOnProjector(benchmark::State& state) {
  Panel p;
  p.rig.ui.Check1->setChecked(true);
  const QString clip = blackThenRed();
  const video::clsMonitors list(p.screens);
  const video::clsMonitor* monitor = list.ProjectorMonitor();
  if (!monitor) return state.SkipWithError("needs a second monitor");
  const QPoint centre((monitor->Left + monitor->Right) / 2, (monitor->Top + monitor->Bottom) / 2);
  std::vector<double> ms;
  for (auto _ : state) {
    p.panel->cmdStopV_Click();
    p.rig.ui.Label2[15]->Tag = clip;
    p.panel->Form2().show();
    QTest::qWait(300);
    if (p.wmp1()->url() != clip) p.wmp1()->setUrl(clip);
    p.wmp1()->pause();
    p.wmp1()->setCurrentPosition(0);
    QTest::qWait(500);
    if (isRed(screenPixel(centre))) return state.SkipWithError("the first frame is not on screen");
    QElapsedTimer t;
    t.start();
    p.panel->cmdPlayV_Click();
    while (!isRed(screenPixel(centre)) && t.elapsed() < 3000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    ms.push_back(t.nsecsElapsed() / 1e6);
    state.SetIterationTime(ms.back() / 1000);
  }
  p.panel->cmdStopV_Click();
  report(state, ms);
}
BENCHMARK(BM_PlayToFirstFrameOnProjector)->UseManualTime()->Iterations(9);

void BM_DroppedFrames(benchmark::State& state) {
  const bool hd = state.range(0) == 1080;
  Panel p;
  p.rig.ui.Check1->setChecked(true);
  const QString clip =
      hd ? makeClip("1080.mp4", "1920x1080", 30) : makeClip("720.mp4", "1280x720", 30);
  for (auto _ : state) {
    p.rig.ui.Label2[15]->Tag = clip;
    p.panel->cmdPlayV_Click();
    // Drops while the picture starts (the output opening on the projector)
    // and while it plays on.
    QTest::qWait(2000);
    const double starting = double(p.wmp1()->droppedFrames());
    QTest::qWait(29000);
    state.counters["dropped"] = double(p.wmp1()->droppedFrames());
    state.counters["dropped_first_2s"] = starting;
    p.panel->cmdStopV_Click();
  }
}
BENCHMARK(BM_DroppedFrames)->Arg(720)->Arg(1080)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  media = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
