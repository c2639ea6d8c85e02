// Script editor speed: position mapping and Mid(pos, 260) on scripts of
// 10 KB, 1 MB and 10 MB of text (must stay flat, in microseconds), Text(),
// and typing one character at the end and in the middle of a script,
// including the Change event (under 1 ms at 1 MB).
//
// Run: bench_rtb (on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise)

#include "platform/rtb/rtb.h"
#include "platform/rtb/script_layout.h"
#include "platform/rtb/script_text.h"
#include "support/widget_bench_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

#include <map>
#include <memory>

using scenova::platform::RTB;
using scenova::platform::ScriptText;

namespace {

// A script of about `chars` characters: paragraphs of 5 to 40 words, a cue
// now and then, the formatting changing every few words.
void fillScript(QTextDocument& doc, int chars) {
  static const char* const words[] = {
      "the",   "actor", "enters", "[[Play Audio]]",   "slowly",  "light", "fades", "and",
      "music", "stage", "left",   "[[FadeOut Slow]]", "curtain", "voice", "door"};
  QRandomGenerator rng(42);
  QTextCursor c(&doc);
  c.beginEditBlock();
  QTextCharFormat plain, bold, blue;
  bold.setFontWeight(QFont::Bold);
  blue.setForeground(Qt::blue);
  const QTextCharFormat* formats[] = {&plain, &bold, &plain, &blue};
  int written = 0, untilChange = 3, format = 0, wordsLeft = 20;
  while (written < chars) {
    if (--untilChange == 0) {
      format = (format + 1) % 4;
      untilChange = rng.bounded(2, 6);
    }
    const QString w = QString::fromLatin1(words[rng.bounded(15)]) + u' ';
    c.insertText(w, *formats[format]);
    written += static_cast<int>(w.size());
    if (--wordsLeft == 0) {
      c.insertBlock();
      written += 2;
      wordsLeft = rng.bounded(5, 40);
    }
  }
  c.endEditBlock();
}

int sizeOf(const benchmark::State& state) {
  return static_cast<int>(state.range(0));
}

// Documents are built once per size and kept (building 10 MB takes a while).
struct Script {
  QTextDocument doc;
  ScriptText text;
};
Script& scriptOf(int chars) {
  static std::map<int, std::unique_ptr<Script>> scripts;
  auto& s = scripts[chars];
  if (!s) {
    s = std::make_unique<Script>();
    // The editor's own layout: Qt's would move every paragraph on each edit.
    s->doc.setDocumentLayout(new scenova::platform::ScriptLayout(&s->doc));
    fillScript(s->doc, chars);
    s->text.attach(&s->doc);
  }
  return *s;
}

std::vector<int> randomPositions(int length) {
  QRandomGenerator rng(1);
  std::vector<int> positions(4096);
  for (int& p : positions) p = rng.bounded(length);
  return positions;
}

void BM_ProgramToDocument(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  const std::vector<int> positions = randomPositions(s.text.length());
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.text.toDocument(positions[i++ % positions.size()]));
  }
}

void BM_DocumentToProgram(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  const std::vector<int> positions = randomPositions(s.doc.characterCount() - 1);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.text.toProgram(positions[i++ % positions.size()]));
  }
}

void BM_Mid260(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  const std::vector<int> positions = randomPositions(s.text.length());
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.text.mid(positions[i++ % positions.size()] - 130, 260));
  }
}

void BM_TextLength(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  for (auto _ : state) benchmark::DoNotOptimize(s.text.length());
}

// A one-character change and Text() right after it, as the program's undo
// snapshot takes it; earlier snapshots stay alive, so the text is copied.
void BM_ChangeAndText(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  QTextCursor c(&s.doc);
  c.setPosition(s.doc.characterCount() / 2);
  QString snapshot = s.text.text();
  for (auto _ : state) {
    c.insertText(QStringLiteral("x"));
    QString next = s.text.text();
    benchmark::DoNotOptimize(next.constData());
    state.PauseTiming();
    c.deletePreviousChar();
    snapshot = s.text.text();
    state.ResumeTiming();
  }
}

// Text() built from scratch (after a load, or a change of many paragraphs).
void BM_TextFromScratch(benchmark::State& state) {
  Script& s = scriptOf(sizeOf(state));
  for (auto _ : state) benchmark::DoNotOptimize(scenova::platform::programText(s.doc));
}

// One keystroke (press and release) into the shown editor, with a Change
// handler connected; the caret at the end (0) or in the middle (1). A
// Backspace after each, outside the timing, keeps the paragraph as it was.
void BM_Typing(benchmark::State& state) {
  RTB rtb;
  rtb.resize(800, 600);
  fillScript(*rtb.document(), sizeOf(state));
  rtb.show();
  int changes = 0;
  QObject::connect(&rtb, &RTB::Change, [&] { ++changes; });
  rtb.SetSelStart(state.range(1) == 0 ? rtb.TextLength() : rtb.TextLength() / 2);
  QCoreApplication::processEvents();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  for (auto _ : state) {
    QCoreApplication::sendEvent(&rtb, &press);
    QCoreApplication::sendEvent(&rtb, &release);
    state.PauseTiming();
    QCoreApplication::sendEvent(&rtb, &back);
    state.ResumeTiming();
  }
  if (changes != 2 * static_cast<int>(state.iterations())) state.SkipWithError("Change missed");
  state.counters["chars"] = rtb.TextLength();
}

constexpr int kSizes[] = {10'000, 1'000'000, 10'000'000};

void sizes(benchmark::internal::Benchmark* b) {
  for (const int n : kSizes) b->Arg(n);
}

}  // namespace

BENCHMARK(BM_ProgramToDocument)->Apply(sizes);
BENCHMARK(BM_DocumentToProgram)->Apply(sizes);
BENCHMARK(BM_Mid260)->Apply(sizes);
BENCHMARK(BM_TextLength)->Apply(sizes);
BENCHMARK(BM_ChangeAndText)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextFromScratch)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Typing)
    ->Args({10'000, 0})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({10'000'000, 1})
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv);
}
