// Pointer moves over the transport buttons: a move inside a lit button
// (nothing changes), and a move from one button to the next (two pictures
// swapped). Target: a move under 0.05 ms, and no file read after the
// buttons were made (the count is printed as a counter).
//
// Run: bench_buttons (offscreen unless QT_QPA_PLATFORM says otherwise), with
// SCENOVA_SOURCE_DIR pointing at the source tree for the pictures.

#include "audio/transport_buttons.h"
#include "support/widget_bench_main.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "ui/picture_cache.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>

using namespace scenova;

namespace {

struct Panel {
  QMainWindow window;
  ui::MainControls ui;
  ui::LanguageTable lang;
  std::unique_ptr<audio::TransportButtons> buttons;
  Panel() {
    const QString src = qEnvironmentVariable("SCENOVA_SOURCE_DIR", QStringLiteral("."));
    lang.load(src + QStringLiteral("/data/Lang/English.lng"));
    ui = ui::buildMainControls(&window, new QWidget, new QWidget);
    ui.cmdPlayA->Tag = lang[7];
    ui.cmdPlayV->Tag = lang[7];
    buttons = std::make_unique<audio::TransportButtons>(ui.transport(), lang,
                                                        src + QStringLiteral("/data"));
  }
};

Panel& panel() {
  static Panel p;
  return p;
}

void MoveInsideALitButton(benchmark::State& state) {
  Panel& p = panel();
  p.buttons->cmdPlayA_MouseMove();
  const int reads = ui::PictureCache::instance().fileReads();
  for (auto _ : state) p.buttons->cmdPlayA_MouseMove(0, 0, 10, 10);
  state.counters["file_reads"] = ui::PictureCache::instance().fileReads() - reads;
}
BENCHMARK(MoveInsideALitButton);

void MoveBetweenButtons(benchmark::State& state) {
  Panel& p = panel();
  const int reads = ui::PictureCache::instance().fileReads();
  bool stop = false;
  for (auto _ : state) {
    stop = !stop;
    if (stop)
      p.buttons->cmdStopA_MouseMove();
    else
      p.buttons->cmdPlayA_MouseMove();
  }
  state.counters["file_reads"] = ui::PictureCache::instance().fileReads() - reads;
}
BENCHMARK(MoveBetweenButtons);

void MoveOverTheBackground(benchmark::State& state) {
  Panel& p = panel();
  for (auto _ : state) p.buttons->Form_MouseMove();
}
BENCHMARK(MoveOverTheBackground);

}  // namespace

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv);
}
