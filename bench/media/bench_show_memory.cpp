// Memory over a long show: 1,000 cues through the program's own media
// engine (the audio command device and a video player in a window),
// cycling through a WAV, a video with sound, a picture, an MP3 under a
// fade, and reporting the process's resident memory every 100 cues. The
// show keeps under 200 MB.
//
// The program sets malloc up at start-up (few arenas, large blocks in
// mappings of their own; this benchmark does the same) and the engine
// hands freed memory back after files are closed; --unlimited-arenas runs
// the same show without the start-up settings, for comparison. Each line
// also says what one release costs the GUI thread at that point.
//
// Measured on the 2-core test machine: 73 MB at the start; with the
// start-up settings 175-179 MB from the 100th cue on (peak 188 MB, 152 MB
// after the show), one release 0.4-1 ms; without them 379 MB after 100
// cues and 459 MB after 1,000.
//
// Run: build/bench/media/bench_show_memory [--unlimited-arenas] [CUES] (with
// DISPLAY and PULSE_SERVER of the test environment, scripts/test-env.sh).

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>

#include "../../tests/platform/media/audio_test_support.h"
#include "../../tests/platform/media/test_player_support.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/engine_memory.h"
#include "platform/media/media_player.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

constexpr double kLimitMb = 200;

double residentMb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
  }
  return 0;
}

void pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
  }
}

struct Media {
  QTemporaryDir dir;
  QString wav, mp3, video, picture;
  bool make() {
    wav = dir.filePath(QStringLiteral("tone.wav"));
    mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    video = dir.filePath(QStringLiteral("clip.mp4"));
    picture = dir.filePath(QStringLiteral("slide.png"));
    QImage slide(1920, 1080, QImage::Format_RGB32);
    slide.fill(Qt::darkBlue);
    return writeBytes(wav, segmentedWav({{3000, 440}})) &&
           makeVideo(mp3, {QStringLiteral("sine=frequency=660")}, 3, {}) &&
           makeVideo(video,
                     {QStringLiteral("testsrc=size=640x360:rate=25"),
                      QStringLiteral("sine=frequency=440")},
                     3) &&
           slide.save(picture);
  }
};

bool audioCue(MpvAudioDevice& d, const QString& file, MediaPlayer* fadeOn) {
  d.sendString(QStringLiteral("close all"));
  if (d.sendString(QStringLiteral("open \"") + file + QStringLiteral("\" ALIAS wav1")) != 0)
    return false;
  d.sendString(QStringLiteral("play wav1"));
  for (int step = 0; step < 10; ++step) {
    if (fadeOn) fadeOn->setVolume(100 - step * 10);
    pump(25);
  }
  d.sendString(QStringLiteral("stop wav1"));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool asBefore = argc > 1 && qstrcmp(argv[1], "--unlimited-arenas") == 0;
  const int cues = argc > 1 + int(asBefore) ? std::atoi(argv[1 + int(asBefore)]) : 1000;
  if (!asBefore) limitMemoryArenas();
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fputs("needs the test X server and sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  QApplication app(argc, argv);
  Media media;
  if (!media.make()) {
    std::fputs("the media files could not be made (ffmpeg)\n", stderr);
    return 1;
  }
  QWidget window;
  window.resize(800, 480);
  auto player = createMediaPlayer({}, &window);
  player->widget()->setGeometry(0, 0, 640, 360);
  QLabel picture(&window);
  picture.setGeometry(640, 0, 160, 90);
  window.show();
  MpvAudioDevice device;
  pump(300);

  std::printf("%s: %d cues (audio, video, picture, audio under a fade)\n",
              asBefore ? "malloc arenas unlimited" : "the program's settings", cues);
  std::printf("%6s %10s %8s %14s\n", "cues", "RSS MB", "seconds", "one release ms");
  std::printf("%6d %10.1f %8.1f\n", 0, residentMb(), 0.0);
  QElapsedTimer clock;
  clock.start();
  double peak = 0;
  int failed = 0;
  for (int cue = 1; cue <= cues; ++cue) {
    switch (cue % 4) {
      case 0:
        failed += !audioCue(device, media.wav, nullptr);
        break;
      case 1:
        player->setUrl(media.video);
        player->play();
        pump(250);
        player->stop();
        break;
      case 2: {
        const QImage image(media.picture);
        failed += image.isNull();
        picture.setPixmap(QPixmap::fromImage(image.scaled(picture.size(), Qt::KeepAspectRatio)));
        pump(20);
        break;
      }
      default:
        failed += !audioCue(device, media.mp3, player.get());
        break;
    }
    const double rss = residentMb();
    peak = std::max(peak, rss);
    if (cue % 100 == 0) {
      // What a release costs the GUI thread at this point of the show.
      QElapsedTimer release;
      release.start();
      releaseFreedMemory();
      const double releaseMs = double(release.nsecsElapsed()) / 1e6;
      std::printf("%6d %10.1f %8.1f %14.2f\n", cue, rss, double(clock.elapsed()) / 1000.0,
                  releaseMs);
    }
    std::fflush(stdout);
  }
  device.sendString(QStringLiteral("close all"));
  player->close();
  pump(kReleaseDelayMs + 500);
  std::printf("peak %.1f MB, after the show %.1f MB, %d cues failed; limit %.0f MB: %s\n", peak,
              residentMb(), failed, kLimitMb, peak < kLimitMb ? "kept" : "EXCEEDED");
  return peak < kLimitMb && failed == 0 ? 0 : 1;
}
