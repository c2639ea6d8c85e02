// Volume fades: the real duration of the fast, normal and slow fade from one
// end of the track to the other in the program's event loop (nominally 1 s,
// 2 s and 10 s), and the CPU time of one fade tick.
//
// The knob and the percentage label are real widgets; the mixer is the real
// PulseAudio one on a private server with a null sink when pulseaudio is
// installed (else a stand-in that records values). Timed figures: the manual
// time of each repetition is the fade's wall time; process_cpu_ms_per_tick
// counts everything the fade costs the process, repaints included.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

#include "audio/volume_control.h"
#include "audio_test_support.h"
#include "fakes/media/fake_media_player.h"
#include "fakes/media/fake_mixer.h"
#include "platform/media/mixer_pulse.h"

using namespace scenova;

namespace {

constexpr double kTwipsPerPixel = 15;

// The slider's controls as widgets on a panel, geometry kept in twips.
class WidgetView final : public audio::VolumeView {
 public:
  WidgetView() {
    panel_.resize(213, 210);
    track_ = new QLabel(&panel_);
    track_->setStyleSheet(QStringLiteral("background: #c9d1db;"));
    track_->setGeometry(75, 17, 6, 80);
    knob_ = new QLabel(&panel_);
    knob_->setStyleSheet(QStringLiteral("background: #3b4a5c;"));
    label_ = new QLabel(QStringLiteral("100"), &panel_);
    label_->setGeometry(19, 40, 35, 22);
    place();
    panel_.show();
  }
  double knobLeft() const override { return left_; }
  double knobTop() const override { return top_; }
  double knobWidth() const override { return 375; }
  double knobHeight() const override { return 195; }
  void setKnobLeft(double v) override { left_ = v, place(); }
  void setKnobTop(double v) override { top_ = v, place(); }
  double trackLeft() const override { return 1125; }
  double trackTop() const override { return 255; }
  double trackWidth() const override { return 90; }
  double trackHeight() const override { return 1200; }
  QString knobTag() const override { return tag_; }
  void setKnobTag(const QString& t) override { tag_ = t; }
  QString percentCaption() const override { return label_->text(); }
  void setPercentCaption(const QString& c) override { label_->setText(c); }
  bool projectorTicked() const override { return true; }

 private:
  void place() {
    knob_->setGeometry(qRound(left_ / kTwipsPerPixel), qRound(top_ / kTwipsPerPixel), 25, 13);
  }
  QWidget panel_;
  QLabel *track_, *knob_, *label_;
  double left_ = 990, top_ = 1125;
  QString tag_;
};

struct Bench {
  QTemporaryDir dir;
  testing::PrivatePulse pulse;
  std::unique_ptr<platform::PulseMixer> pulseMixer;
  platform::FakeMixer fakeMixer;
  platform::FakeMediaPlayer wmp2, wmp1;
  QTimer timer2, timer3;
  WidgetView* view = nullptr;
  std::unique_ptr<audio::VolumeControl> v;

  Bench() {
    platform::Mixer* mixer = &fakeMixer;
    if (!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() &&
        pulse.start(dir.filePath(QStringLiteral("pulse")))) {
      pulse.usePulse();
      pulseMixer = std::make_unique<platform::PulseMixer>();
      mixer = pulseMixer.get();
    }
    audio::VolumeParts parts;
    auto widgets = std::make_unique<WidgetView>();
    view = widgets.get();
    parts.view = std::move(widgets);
    parts.dragTimer = &timer2;
    parts.fadeTimer = &timer3;
    parts.mixer = mixer;
    parts.mainPlayer = [this] { return &wmp2; };
    parts.projectorPlayer = [this] { return &wmp1; };
    v = std::make_unique<audio::VolumeControl>(std::move(parts));
    v->OpenMixer();
    v->LayoutVolumeKnob();
  }
  bool realMixer() const { return pulseMixer && v->mixerMax() > 0; }
  // Puts the knob on the end a fade of this button starts from.
  void toStartOf(int button) {
    v->Image3_MouseUp(1, 0, 45, button < 3 ? 1200 : 0);
    v->Image3_Click();
  }
};

Bench& bench() {
  static Bench b;
  return b;
}

// Keeps the event loop busy for a while 300 ms from now, as a slow handler
// elsewhere in the program would.
void stallLater(int ms) {
  if (ms <= 0) return;
  QTimer::singleShot(300, [ms] {
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < ms) {
    }
  });
}

double processCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// One fade from end to end in the event loop; the fade's wall time.
void BM_FadeDuration(benchmark::State& state) {
  Bench& b = bench();
  const int button = static_cast<int>(state.range(0));
  const int stall = static_cast<int>(state.range(1));
  double ticks = 0, cpu = 0;
  for (auto _ : state) {
    b.toStartOf(button);
    QApplication::processEvents();
    const double cpu0 = processCpuMs();
    QElapsedTimer t;
    t.start();
    b.v->fadeButtonClick(button);
    stallLater(stall);
    while (b.v->fading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.SetIterationTime(t.nsecsElapsed() / 1e9);
    cpu += processCpuMs() - cpu0;
    ticks += static_cast<double>(b.v->fadeTicker().ticksRun());
  }
  state.counters["ticks"] = ticks / static_cast<double>(state.iterations());
  state.counters["process_cpu_ms_per_tick"] = cpu / ticks;
  state.counters["real_mixer"] = b.realMixer();
}
BENCHMARK(BM_FadeDuration)
    ->ArgNames({"button", "stall_ms"})
    ->Args({3, 0})  // fast, nominally 1 s
    ->Args({4, 0})  // normal, 2 s
    ->Args({5, 0})  // slow, 10 s
    ->Args({0, 0})  // fast up
    ->Args({3, 80})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// For comparison: 101 timeouts of a plain 10 ms precise QTimer, one tick
// each, as a fade would take without catching up.
void BM_PlainTimer101Ticks(benchmark::State& state) {
  for (auto _ : state) {
    stallLater(static_cast<int>(state.range(0)));
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (++ticks == 101) timer.stop();
    });
    QElapsedTimer t;
    t.start();
    timer.start(10);
    while (timer.isActive()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.SetIterationTime(t.nsecsElapsed() / 1e9);
  }
}
BENCHMARK(BM_PlainTimer101Ticks)
    ->ArgName("stall_ms")
    ->Arg(0)
    ->Arg(80)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// One fade tick on its own: knob, value, label, mixer and both players.
void BM_FadeTick(benchmark::State& state) {
  Bench& b = bench();
  b.toStartOf(3);
  b.v->fadeButtonClick(3);
  int direction = 3;
  for (auto _ : state) {
    b.v->Timer3_Timer();
    if (!b.v->fading()) {
      direction = direction == 3 ? 0 : 3;
      b.v->fadeButtonClick(direction);
    }
  }
  b.v->Image3_Click();
  state.counters["real_mixer"] = b.realMixer();
}
// A bounded number of ticks: each one is a message to the sound server.
BENCHMARK(BM_FadeTick)->Iterations(5000)->Repetitions(3)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
