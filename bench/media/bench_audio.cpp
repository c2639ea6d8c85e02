// Audio command device and mixer: open of a five-minute MP3, cue latency
// from "play wav1" to the first sound at the sink's monitor, volume response
// of the mixer, position accuracy after a seek and while playing, and the
// idle CPU of a loaded, stopped device.
//
// Plays to a private PulseAudio server with a null sink (so other programs
// neither disturb nor hear it); needs pulseaudio, parec and ffmpeg. Timed
// figures are counters over all iterations: median_ms, worst_ms.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "audio_test_support.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/mixer_pulse.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures {
  std::vector<double> values;
  void add(double v) { values.push_back(v); }
  void report(benchmark::State& state, const std::string& prefix = {}) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    state.counters[prefix + "median_ms"] = values[values.size() / 2];
    state.counters[prefix + "worst_ms"] = values.back();
    state.counters[prefix + "samples"] = double(values.size());
  }
};

// Latencies are dated by the arrival of the recorded block that holds the
// first sound (or silence): an upper bound, as capture and the pipe add a
// little.

// Runs the GUI thread's event loop for a while, as the program would.
void idle(int milliseconds) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < milliseconds) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// The time at which sample `index` was heard: its block's arrival, less the
// samples that followed it in the block (an upper bound, as capture and the
// pipe add a little).
Clock::time_point heardAt(const SinkRecorder& r, qint64 index) {
  qint64 end = index + 1;
  const Clock::time_point at = r.arrival(index);
  while (end < r.sampleCount() && r.arrival(end) == at) ++end;
  return at - std::chrono::microseconds((end - 1 - index) * 1000000 / SinkRecorder::kRate);
}

// Shared fixture: the private server, the recorder and the media files.
struct Rig {
  QTemporaryDir dir;
  PrivatePulse pulse;
  SinkRecorder recorder;
  QString tone, song;
  QString error;

  Rig() {
    if (!pulse.start(dir.filePath(QStringLiteral("pulse")))) {
      error = QStringLiteral("pulseaudio did not start");
      return;
    }
    pulse.usePulse();
    if (!recorder.start(pulse.server())) error = QStringLiteral("parec recorded nothing");
    tone = dir.filePath(QStringLiteral("tone.wav"));
    writeBytes(tone, segmentedWav({{10000, 1000}}));
    song = dir.filePath(QStringLiteral("five minutes.mp3"));
    QProcess ff;
    ff.start(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
         QStringLiteral("lavfi"), QStringLiteral("-i"),
         QStringLiteral("sine=frequency=440:duration=300:sample_rate=44100"), QStringLiteral("-ac"),
         QStringLiteral("2"), QStringLiteral("-b:a"), QStringLiteral("192k"), song});
    if (!ff.waitForFinished(120000) || ff.exitCode() != 0) error = QStringLiteral("no ffmpeg");
  }
  static Rig& get() {
    static Rig rig;
    return rig;
  }
};

QString openText(const QString& path) {
  return QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1");
}

bool ready(benchmark::State& state) {
  if (!Rig::get().error.isEmpty()) {
    state.SkipWithError(Rig::get().error.toUtf8().constData());
    return false;
  }
  return true;
}

void BM_OpenFiveMinuteMp3(benchmark::State& state) {
  if (!ready(state)) return;
  MpvAudioDevice d;
  Figures f;
  for (auto _ : state) {
    d.sendString(QStringLiteral("close all"));
    const auto t0 = Clock::now();
    if (d.sendString(openText(Rig::get().song)) != 0) state.SkipWithError("open failed");
    QString length;
    d.sendString(QStringLiteral("status wav1 length"), &length);
    const double took = ms(Clock::now() - t0);
    state.SetIterationTime(took / 1000);
    f.add(took);
    benchmark::DoNotOptimize(length);
  }
  f.report(state);
}
BENCHMARK(BM_OpenFiveMinuteMp3)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

// From "play wav1" on a loaded, stopped file to its first sound at the monitor.
void BM_CueLatency(benchmark::State& state) {
  if (!ready(state)) return;
  Rig& rig = Rig::get();
  MpvAudioDevice d;
  d.sendString(openText(rig.tone));
  Figures f;
  for (auto _ : state) {
    d.sendString(QStringLiteral("seek wav1 to start"));
    idle(150);
    const qint64 mark = rig.recorder.sampleCount();
    const auto t0 = Clock::now();
    d.sendString(QStringLiteral("play wav1"));
    qint64 onset = -1;
    for (int i = 0; i < 1000 && onset < 0; ++i) {
      idle(1);
      onset = rig.recorder.firstLoud(mark);
    }
    if (onset < 0) {
      state.SkipWithError("no sound");
      break;
    }
    idle(20);  // let the block after the onset arrive
    // Dated by the arrival of its block: an upper bound (capture adds a little).
    const double latency = ms(rig.recorder.arrival(onset) - t0);
    state.SetIterationTime(latency / 1000);
    f.add(latency);
    d.sendString(QStringLiteral("stop wav1"));
  }
  f.report(state);
}
BENCHMARK(BM_CueLatency)->UseManualTime()->Iterations(25)->Unit(benchmark::kMillisecond);

// From a mixer change to 0 while a tone plays to silence at the monitor.
void BM_MixerVolumeResponse(benchmark::State& state) {
  if (!ready(state)) return;
  Rig& rig = Rig::get();
  PulseMixer mixer;
  if (!mixer.open()) {
    state.SkipWithError("mixer did not open");
    return;
  }
  MpvAudioDevice d;
  d.sendString(openText(rig.tone));
  Figures f;
  for (auto _ : state) {
    mixer.setValue(mixer.maximum());
    d.sendString(QStringLiteral("play wav1 from 0"));
    idle(200);
    const qint64 mark = rig.recorder.sampleCount();
    const auto t0 = Clock::now();
    mixer.setValue(0);
    // The first sample of a 5 ms run of silence.
    qint64 quiet = -1;
    for (int i = 0; i < 1000 && quiet < 0; ++i) {
      idle(1);
      const std::vector<qint16> s = rig.recorder.samples(mark);
      qint64 run = 0;
      for (size_t k = 0; k < s.size(); ++k) {
        run = std::abs(s[k]) < 100 ? run + 1 : 0;
        if (run == SinkRecorder::kRate / 200) {
          quiet = mark + qint64(k) - run + 1;
          break;
        }
      }
    }
    d.sendString(QStringLiteral("stop wav1"));
    if (quiet < 0) {
      state.SkipWithError("never silent");
      break;
    }
    const double latency = ms(rig.recorder.arrival(quiet) - t0);
    state.SetIterationTime(latency / 1000);
    f.add(latency);
  }
  mixer.setValue(mixer.maximum());
  f.report(state);
}
BENCHMARK(BM_MixerVolumeResponse)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// |reported - heard| for the position: right after a seek (stopped), and
// while playing (the sound's onset dates the sought position).
void BM_PositionAccuracy(benchmark::State& state) {
  if (!ready(state)) return;
  Rig& rig = Rig::get();
  MpvAudioDevice d;
  d.sendString(openText(rig.tone));
  Figures afterSeek, playing;
  qint64 target = 500;
  for (auto _ : state) {
    QString reply;
    d.sendString(QStringLiteral("play wav1 from ") + QString::number(target));
    d.sendString(QStringLiteral("stop wav1"));
    d.sendString(QStringLiteral("status wav1 position"), &reply);
    afterSeek.add(std::abs(reply.toDouble() - double(target)));
    idle(50);
    const qint64 mark = rig.recorder.sampleCount();
    d.sendString(QStringLiteral("play wav1"));
    idle(300);
    const auto asked = Clock::now();
    d.sendString(QStringLiteral("status wav1 position"), &reply);
    const qint64 onset = rig.recorder.firstLoud(mark);
    d.sendString(QStringLiteral("stop wav1"));
    if (onset < 0) continue;
    const double heard = double(target) + ms(asked - heardAt(rig.recorder, onset));
    const double error = std::abs(reply.toDouble() - heard);
    state.SetIterationTime(error / 1000);
    playing.add(error);
    target = (target + 1237) % 8000;
  }
  afterSeek.report(state, "seek_");
  playing.report(state, "playing_");
}
BENCHMARK(BM_PositionAccuracy)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

// CPU used by this process over two seconds with a loaded, stopped device.
void BM_IdleCpuLoadedStopped(benchmark::State& state) {
  if (!ready(state)) return;
  Rig& rig = Rig::get();
  rig.recorder.stop();  // its reading thread would count against us
  MpvAudioDevice d;
  d.sendString(openText(rig.song));
  d.sendString(QStringLiteral("play wav1 from 60000"));
  d.sendString(QStringLiteral("stop wav1"));
  idle(300);
  double percent = 0;
  for (auto _ : state) {
    const std::clock_t c0 = std::clock();
    const auto t0 = Clock::now();
    QEventLoop loop;  // the program's idle state: waiting in its event loop
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC * 1000;
    percent = 100 * cpu / ms(Clock::now() - t0);
  }
  state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_IdleCpuLoadedStopped)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
