// Firing cues: a click on a command cue (the search around the caret, the
// interpreter and the caret put back, no media I/O) on scripts of 10 KB and
// 10 MB, which must stay well under 0.2 ms and flat; one Timer1 tick of the
// audio counter while playing, against the fake device (under 0.1 ms CPU).
//
// Run: bench_cues (on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise)

#include "audio/volume_operations.h"
#include "fakes/media/fake_audio_device.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "support/quiet_cue_host.h"
#include "support/widget_bench_main.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QTimer>

#include <map>
#include <memory>

using namespace scenova;

namespace {

// A script of about `chars` characters: prose in paragraphs, a command cue
// every few dozen words.
QString scriptText(int chars) {
  static const char* const words[] = {
      "the",   "actor", "enters",     "slowly",         "light",
      "fades", "and",   "music",      "stage",          "left",
      "door",  "voice", "[[FadeIn]]", "[[Stop Audio]]", "[[FadeOut Slow]]"};
  QRandomGenerator rng(42);
  QString s;
  s.reserve(chars + 64);
  int wordsLeft = 20;
  while (s.size() < chars) {
    s += QLatin1StringView(words[rng.bounded(15)]) + QLatin1Char(' ');
    if (--wordsLeft == 0) {
      s += QStringLiteral("\r\n");
      wordsLeft = rng.bounded(5, 40);
    }
  }
  return s;
}

struct Show : bench::CueRig {
  explicit Show(int chars) {
    ui::twips::setWidth(ui.lblContatore, ui::twips::width(ui.Shape2));
    if (chars > 0) editor->SetText(scriptText(chars));
  }
};

// Built once per size (a 10 MB script takes a while) and dropped before the
// application goes.
std::map<int, std::unique_ptr<Show>> shows;

Show& showOf(int chars) {
  auto& s = shows[chars];
  if (!s) s = std::make_unique<Show>(chars);
  return *s;
}

void BM_ClickCommandCue(benchmark::State& state) {
  Show& s = showOf(static_cast<int>(state.range(0)));
  // A cue in the middle of the script, clicked a few characters in.
  const int middle = s.editor->TextLength() / 2;
  int at = -1;
  for (int p = middle; at < 0; ++p)
    if (s.editor->Mid(p, 10) == QStringLiteral("[[FadeIn]]")) at = p + 4;
  s.editor->SetSelStart(at);
  s.engine->activation().RTB_Click();  // the first click makes the cue canonical
  const int before = s.volume.fades;
  for (auto _ : state) {
    s.editor->SetSelStart(at);
    s.engine->activation().RTB_Click();
  }
  if (s.volume.fades - before != static_cast<int>(state.iterations()))
    state.SkipWithError("the cue did not fire");
}
BENCHMARK(BM_ClickCommandCue)->Arg(10'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_Timer1Tick(benchmark::State& state) {
  Show& s = showOf(0);
  s.device.lengthMs = 36'000'000;
  s.device.sendString(QStringLiteral("close all"));
  s.device.sendString(QStringLiteral("open \"a.wav\" ALIAS wav1"));
  s.engine->transport().cmdPlayA_Click();
  std::size_t n = 0;
  for (auto _ : state) {
    s.device.advance(10);
    s.engine->transport().Timer1_Timer();
    // The fake keeps every command; let the list not grow without end.
    if (++n % 4096 == 0) s.device.commands.clear();
  }
  s.device.commands.clear();
}
BENCHMARK(BM_Timer1Tick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv, [] { shows.clear(); });
}
