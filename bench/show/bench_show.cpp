// Show mode: GO on a 10 MB script (find the next command cue, fire it
// through the click handling, mark the one after it: under 0.2 ms), moving
// the next-cue mark (under 1 ms), and marking the broken cues of a script
// with 2,000 media cues on the real file system (under 200 ms).
//
// Run: bench_show (on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise)

#include "audio/volume_operations.h"
#include "fakes/media/fake_audio_device.h"
#include "platform/rtb/rtb.h"
#include "script/broken_cues.h"
#include "script/cue_engine.h"
#include "script/cue_marks.h"
#include "script/cue_sheet.h"
#include "support/quiet_cue_host.h"
#include "support/widget_bench_main.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace scenova;

namespace {

// About `chars` characters of prose in paragraphs with a cue every few
// dozen words, the cue made by cue(n) for the n-th one.
template <typename Cue>
QString scriptText(int chars, int wordsPerCue, Cue cue) {
  static const char* const words[] = {"the", "actor", "enters", "slowly", "light", "fades",
                                      "and", "music", "stage",  "left",   "door",  "voice"};
  QRandomGenerator rng(42);
  QString s;
  s.reserve(chars + 64);
  int wordsLeft = 20, cues = 0;
  while (s.size() < chars) {
    s += QLatin1StringView(words[rng.bounded(12)]) + QLatin1Char(' ');
    if (rng.bounded(wordsPerCue) == 0) s += cue(cues++) + QLatin1Char(' ');
    if (--wordsLeft == 0) {
      s += QStringLiteral("\r\n");
      wordsLeft = rng.bounded(5, 40);
    }
  }
  return s;
}

struct Show : bench::CueRig {
  std::unique_ptr<script::ScriptMarks> marks;
  std::unique_ptr<script::NextCue> next;

  explicit Show(const QString& text) {
    engine->connectControls();
    editor->SetText(text);
    editor->setReadOnly(true);
    window.resize(1100, 760);
    window.show();
    editor->resize(700, 600);
    marks = std::make_unique<script::ScriptMarks>(*editor);
    next = std::make_unique<script::NextCue>(*editor, *marks, engine->activation());
    editor->SetSelStart(editor->TextLength() / 2);
    next->start();
  }
};

std::unique_ptr<Show> tenMegabytes;

Show& bigShow() {
  if (!tenMegabytes)
    tenMegabytes = std::make_unique<Show>(scriptText(10'000'000, 25, [](int n) {
      return n % 2 ? QStringLiteral("[[FadeIn]]") : QStringLiteral("[[FadeOut Slow]]");
    }));
  return *tenMegabytes;
}

void BM_GoCommandCue(benchmark::State& state) {
  Show& s = bigShow();
  const int before = s.volume.fades;
  for (auto _ : state) {
    if (!s.next->go()) state.SkipWithError("the end of the script was reached");
  }
  if (s.volume.fades - before != static_cast<int>(state.iterations()))
    state.SkipWithError("a GO fired nothing");
}
BENCHMARK(BM_GoCommandCue)->Unit(benchmark::kMicrosecond);

void BM_MoveMark(benchmark::State& state) {
  Show& s = bigShow();
  bool down = true;
  for (auto _ : state) {
    if (down)
      s.next->next();
    else
      s.next->previous();
    down = !down;
  }
  if (!s.next->mark()) state.SkipWithError("the mark was lost");
}
BENCHMARK(BM_MoveMark)->Unit(benchmark::kMicrosecond);

void BM_MarkBrokenCues(benchmark::State& state) {
  // 2,000 media cues, every fourth one missing, in about 400 KB of script.
  QTemporaryDir dir;
  const QString folder = dir.path();
  for (int n = 0; n < 2000; ++n)
    if (n % 4 != 0) QFile(folder + QStringLiteral("/cue%1.wav").arg(n)).open(QIODevice::WriteOnly);
  int made = 0;
  const QString text = scriptText(400'000, 25, [&made](int) {
    return made < 2000 ? QStringLiteral("[[cue%1.wav]]").arg(made++) : QStringLiteral("[[FadeIn]]");
  });
  Show s(text);
  script::BrokenCues broken(*s.editor, *s.marks, [folder](QStringView content) {
    return script::describeCue(content, folder, folder).kind == QLatin1StringView("missing");
  });
  int found = 0;
  for (auto _ : state) found = broken.check(false);
  if (made != 2000 || found != 500) state.SkipWithError("not the expected cues");
  state.counters["broken"] = found;
}
BENCHMARK(BM_MarkBrokenCues)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv, [] { tenMegabytes.reset(); });
}
