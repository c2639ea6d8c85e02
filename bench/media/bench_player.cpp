// Media player control: latency from play to the first sound at the null
// sink's monitor (a loaded video, a loaded MIDI file), the time a load takes,
// from volume 0 to silence, and the idle CPU of an empty and of a loaded,
// stopped player.
//
// Needs the test sound server (PULSE_SERVER, a sink "test_sink"); runs under
// the test X server when DISPLAY is set, else on Qt's offscreen platform.
// Latency figures are reported as counters: median_ms, worst_ms (over all
// iterations), plays.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "../../tests/platform/media/test_player_support.h"
#include "platform/media/mpv_player.h"

using namespace scenova::platform;
using namespace scenova::testing;
using Clock = std::chrono::steady_clock;

namespace {

// parec on the sink's monitor, read on a thread; each chunk is stamped with
// the time it arrived.
class Monitor {
 public:
  static constexpr int kRate = 48000;
  struct Chunk {
    Clock::time_point arrived;
    std::vector<qint16> samples;
  };

  bool start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], 1);
      close(fds[0]);
      execlp("parec", "parec", "-d", "test_sink.monitor", "--raw", "--format=s16le", "--rate=48000",
             "--channels=1", "--latency-msec=2", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    fd_ = fds[0];
    reader_ = std::thread([this] { run(); });
    return pid_ > 0;
  }
  ~Monitor() {
    if (pid_ > 0) kill(pid_, SIGTERM), waitpid(pid_, nullptr, 0);
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
  }

  // When the first sample louder than threshold came back after t0. The
  // sink renders in blocks, so the arrival of the chunk that holds it is
  // taken (an upper bound: it includes the monitor's own delivery).
  std::optional<double> firstLoudMs(Clock::time_point t0, int threshold) {
    std::lock_guard lock(mutex_);
    for (const Chunk& c : chunks_) {
      if (c.arrived < t0) continue;
      for (qint16 v : c.samples)
        if (std::abs(int(v)) > threshold) return ms(c.arrived - t0);
    }
    return std::nullopt;
  }
  // When the last chunk holding a loud sample came back after t0 (0 when
  // none did).
  double lastLoudMs(Clock::time_point t0, int threshold) {
    std::lock_guard lock(mutex_);
    double last = 0;
    for (const Chunk& c : chunks_) {
      if (c.arrived < t0) continue;
      for (qint16 v : c.samples)
        if (std::abs(int(v)) > threshold) {
          last = ms(c.arrived - t0);
          break;
        }
    }
    return last;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    chunks_.clear();
  }

 private:
  static double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  }
  void run() {
    char buf[4096];
    QByteArray carry;
    for (;;) {
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) return;
      const auto now = Clock::now();
      carry.append(buf, int(n));
      Chunk c{now, std::vector<qint16>(size_t(carry.size() / 2))};
      memcpy(c.samples.data(), carry.constData(), c.samples.size() * 2);
      carry.remove(0, int(c.samples.size() * 2));
      std::lock_guard lock(mutex_);
      chunks_.push_back(std::move(c));
    }
  }

  pid_t pid_ = -1;
  int fd_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::vector<Chunk> chunks_;
};

void pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
  }
}

struct Fixtures {
  QTemporaryDir dir;
  QString video, midi;
  Fixtures() {
    video = dir.filePath(QStringLiteral("tone.mp4"));
    midi = dir.filePath(QStringLiteral("song.mid"));
    makeVideo(
        video,
        {QStringLiteral("testsrc=size=640x360:rate=25"), QStringLiteral("sine=frequency=440")}, 10);
    writeFile(midi, midiSong(10));
  }
};

Fixtures& fixtures() {
  static Fixtures f;
  return f;
}

std::unique_ptr<MpvMediaPlayer> makePlayer(QWidget* window) {
  auto p = createMediaPlayer({}, window);
  return std::unique_ptr<MpvMediaPlayer>(static_cast<MpvMediaPlayer*>(p.release()));
}

void report(benchmark::State& state, std::vector<double> v) {
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  state.counters["median_ms"] = v[v.size() / 2];
  state.counters["worst_ms"] = v.back();
  state.counters["plays"] = double(v.size());
}

bool soundServer(benchmark::State& state) {
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    state.SkipWithError("needs the test sound server (PULSE_SERVER)");
    return false;
  }
  return true;
}

// From play on a loaded, stopped file to the first sound heard.
void BM_PlayLatency(benchmark::State& state, bool midi) {
  if (!soundServer(state)) return;
  QWidget window;
  window.resize(640, 360);
  auto player = makePlayer(&window);
  window.show();
  player->setVolume(100);
  player->setUrl(midi ? fixtures().midi : fixtures().video);
  if (!player->hasMedia()) return state.SkipWithError("the file did not load");
  Monitor mon;
  if (!mon.start()) return state.SkipWithError("parec did not start");
  std::vector<double> latencies;
  for (auto _ : state) {
    player->stop();
    pump(300);  // stopped, sought to the start, audio ready
    mon.clear();
    const auto quiet = Clock::now();
    pump(100);
    if (mon.firstLoudMs(quiet, 100)) return state.SkipWithError("not silent before play");
    const auto t0 = Clock::now();
    player->play();
    std::optional<double> heard;
    for (int i = 0; i < 200 && !heard; ++i) {
      pump(5);
      heard = mon.firstLoudMs(t0, midi ? 200 : 500);
    }
    if (!heard) return state.SkipWithError("nothing was heard");
    latencies.push_back(*heard);
    state.SetIterationTime(*heard / 1000);
  }
  report(state, latencies);
}

// From volume 0 on a playing file to the last sound heard.
void BM_VolumeToSilence(benchmark::State& state) {
  if (!soundServer(state)) return;
  QWidget window;
  auto player = makePlayer(&window);
  player->setUrl(fixtures().video);
  if (!player->hasMedia()) return state.SkipWithError("the file did not load");
  Monitor mon;
  if (!mon.start()) return state.SkipWithError("parec did not start");
  player->play();
  std::vector<double> delays;
  for (auto _ : state) {
    player->setVolume(100);
    if (player->currentPosition() > 8) player->setCurrentPosition(0);
    pump(200);
    mon.clear();
    const auto t0 = Clock::now();
    player->setVolume(0);
    pump(250);
    const double last = mon.lastLoudMs(t0, 100);
    delays.push_back(last);
    state.SetIterationTime(last / 1000);
  }
  report(state, delays);
}

// setUrl until the file is loaded and its length known.
void BM_Load(benchmark::State& state, bool midi) {
  QWidget window;
  auto player = makePlayer(&window);
  std::vector<double> times;
  for (auto _ : state) {
    player->close();
    QElapsedTimer t;
    t.start();
    player->setUrl(midi ? fixtures().midi : fixtures().video);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (!player->hasMedia()) return state.SkipWithError("the file did not load");
    times.push_back(ms);
    state.SetIterationTime(ms / 1000);
  }
  report(state, times);
}

// CPU used by the process while a player sits idle.
void BM_IdleCpu(benchmark::State& state, bool loaded) {
  QWidget window;
  auto player = makePlayer(&window);
  window.show();
  if (loaded) {
    player->setUrl(fixtures().video);
    player->stop();
  }
  pump(500);
  double cpuPercent = 0;
  for (auto _ : state) {
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    const double cpuMs = (b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6;
    cpuPercent = 100.0 * cpuMs / double(wall.elapsed());
    state.SetIterationTime(cpuMs / 1000);
  }
  state.counters["cpu_percent"] = cpuPercent;
}

}  // namespace

BENCHMARK_CAPTURE(BM_PlayLatency, video, false)
    ->Iterations(25)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlayLatency, midi, true)
    ->Iterations(25)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, video, false)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Load, midi, true)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeToSilence)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IdleCpu, empty, false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IdleCpu, loaded_stopped, true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  fixtures();  // the files are made before any timing
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
