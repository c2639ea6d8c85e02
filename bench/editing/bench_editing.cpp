// Undo, Replace All and Find on long scripts.
//
// Run: bench_editing (on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise). Targets: 10,000 keystrokes in the middle of a 1 MB script add
// under 5 MB of undo memory and take under 1 ms each with their undo
// record; undo and redo of one step on a 10 MB script under 5 ms; Replace
// All of 10,000 occurrences in a 1 MB script under 1 s with one repaint;
// Find Next in a 10 MB script under 50 ms.

#include "platform/rtb/rtb.h"
#include "support/widget_bench_main.h"
#include "tools/find_replace.h"
#include "tools/script_undo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <benchmark/benchmark.h>

using scenova::platform::RTB;
using scenova::tools::ScriptUndo;

namespace {

// A script of about `bytes` characters: lines of dialogue with a cue now
// and then.
QString script(qsizetype bytes, const QString& cue = QStringLiteral("[[Play Audio]]"),
               int cueEvery = 10) {
  QString s;
  s.reserve(bytes + 100);
  int line = 0;
  while (s.size() < bytes) {
    s += QStringLiteral("HAMLET. To be, or not to be, that is the question %1 ").arg(line);
    if (line % cueEvery == 0) s += cue;
    s += QStringLiteral("\r\n");
    ++line;
  }
  return s;
}

// Counts the paint events the editor's viewport receives.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// range(0): 1 with undo recording, 0 without (the editor's own cost).
void BM_KeystrokesInTheMiddleOfOneMegabyte(benchmark::State& state) {
  RTB rtb;
  rtb.SetText(script(1 << 20));
  ScriptUndo undo(rtb);
  undo.resetHistory();
  undo.history().setTracking(state.range(0) == 1);
  const int middle = rtb.TextLength() / 2;
  rtb.SetSelStart(middle);
  int typed = 0;
  for (auto _ : state) {
    rtb.SetSelText(QStringLiteral("k"));
    ++typed;
  }
  state.counters["undo_steps"] = undo.history().undoCount();
  state.counters["undo_bytes_per_step"] =
      static_cast<double>(undo.history().stepBytes()) / std::max(1, typed);
  state.counters["undo_MB_per_10000"] =
      static_cast<double>(undo.history().stepBytes()) / std::max(1, typed) * 10000 / (1 << 20);
}
BENCHMARK(BM_KeystrokesInTheMiddleOfOneMegabyte)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

// The undo record alone: a 1 MB text in a plain string, one character typed
// in the middle per iteration.
struct StringEditor final : scenova::tools::UndoEditor {
  QString text;
  int caret = 0, selected = 0;
  scenova::tools::UndoHistory* history = nullptr;
  int length() const override { return int(text.size()); }
  QString mid(int p, int n) const override { return text.mid(p, n); }
  int selStart() const override { return caret; }
  void select(int s, int n) override {
    caret = std::clamp(s, 0, length());
    selected = std::clamp(n, 0, length() - caret);
  }
  void replaceSelection(const QString& t) override {
    const int tail = length() - caret - selected;
    text.replace(caret, selected, t);
    history->noteEdit(caret, tail);
    caret += int(t.size());
    selected = 0;
    history->recordChange();
  }
  void focus() override {}
};

void BM_UndoRecordOfOneKeystrokeInOneMegabyte(benchmark::State& state) {
  StringEditor e;
  e.text = script(1 << 20);
  scenova::tools::UndoHistory history(e);
  e.history = &history;
  history.reset();
  e.select(e.length() / 2, 0);
  for (auto _ : state) e.replaceSelection(QStringLiteral("k"));
  state.counters["undo_MB_per_10000"] =
      static_cast<double>(history.stepBytes()) / state.iterations() * 10000 / (1 << 20);
}
BENCHMARK(BM_UndoRecordOfOneKeystrokeInOneMegabyte)
    ->Iterations(10000)
    ->Unit(benchmark::kMicrosecond);

void BM_UndoRedoOnTenMegabytes(benchmark::State& state) {
  RTB rtb;
  rtb.SetText(script(10 << 20));
  ScriptUndo undo(rtb);
  undo.resetHistory();
  rtb.SetSelStart(rtb.TextLength() / 2);
  rtb.SetSelText(QStringLiteral("[[Vol 75]]"));
  for (auto _ : state) {
    undo.Undo();
    undo.Redo();
  }
  state.SetLabel("one undo plus one redo");
}
BENCHMARK(BM_UndoRedoOnTenMegabytes)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllTenThousandInOneMegabyte(benchmark::State& state) {
  RTB rtb;
  rtb.resize(800, 600);
  rtb.show();
  PaintCounter counter;
  rtb.viewport()->installEventFilter(&counter);
  int paints = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rtb.SetText(script(1 << 20, QStringLiteral("[[Vol 50]]"), 2));
    ScriptUndo undo(rtb);
    undo.resetHistory();
    QApplication::processEvents();
    counter.paints = 0;
    state.ResumeTiming();
    const auto r = scenova::tools::replaceAll(rtb.Text(), rtb.SelStart(), rtb.SelLength(),
                                              QStringLiteral("vol 50"), QStringLiteral("Vol 75"));
    undo.recordAsOneStep([&] {
      scenova::tools::applyEditsToEditor(rtb, r.edits);
      rtb.SetSelStart(r.caret);
      return r.edits;
    });
    QApplication::processEvents();
    state.counters["replaced"] = r.count;
    paints = counter.paints;
  }
  state.counters["paints"] = paints;
}
BENCHMARK(BM_ReplaceAllTenThousandInOneMegabyte)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindNextInTenMegabytes(benchmark::State& state) {
  RTB rtb;
  QString text = script(10 << 20);
  text += QStringLiteral("[[FadeOut Slow]]");
  rtb.SetText(text);
  for (auto _ : state) {
    rtb.SetSelStart(1);
    benchmark::DoNotOptimize(
        rtb.Find(QStringLiteral("fadeout slow"), rtb.SelStart() + rtb.SelLength()));
  }
}
BENCHMARK(BM_FindNextInTenMegabytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv);
}
