// Loading and saving a large script: a 5 MB RTF file with about 1 MB of text,
// a formatting change every few words and a paragraph every few lines.
// Targets: load under 1 s, save under 0.5 s.

#include "platform/rtf/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

using namespace scenova::platform;

namespace {

QByteArray makeScript(qsizetype targetBytes, qsizetype* textChars) {
  static const char* const words[] = {
      "Enter",     "the",  "stage", "slowly", "light", "cue",          "sound",
      "music",     "fade", "actor", "door",   "opens", "d\\'e9j\\'e0", "\\u1055?\\u1088?",
      "[[a.wav]]", "exit"};
  static const char* const formats[] = {"",           "\\b",         "\\i\\cf1", "\\ul",
                                        "\\f1\\fs28", "\\cf2\\b\\i", "\\strike", "\\highlight3"};
  QByteArray rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
      "{\\f1\\froman\\fcharset0 Times New Roman;}}{\\colortbl;\\red255\\green0\\blue0;"
      "\\red0\\green0\\blue255;\\red255\\green255\\blue0;}\\viewkind4\\uc1\n";
  rtf.reserve(targetBytes + 4096);
  quint32 state = 12345;
  auto next = [&state](quint32 n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  qsizetype chars = 0;
  while (rtf.size() < targetBytes) {
    rtf += "\\pard\\plain\\sa120\\sl276\\slmult1\\f0\\fs24\\lang1040 ";
    for (int run = 0, runs = 2 + static_cast<int>(next(8)); run < runs; ++run) {
      rtf += "{\\insrsid1234567\\charrsid7654321";
      rtf += formats[next(8)];
      rtf += ' ';
      for (int w = 0, n = 2 + static_cast<int>(next(3)); w < n; ++w) {
        rtf += words[next(16)];
        rtf += ' ';
        chars += 7;
      }
      rtf += "}\n";
    }
    rtf += "\\par\n";
  }
  rtf += '}';
  *textChars = chars;
  return rtf;
}

const QByteArray& script() {
  static qsizetype chars = 0;
  static const QByteArray bytes = makeScript(5 * 1024 * 1024, &chars);
  return bytes;
}

void BM_LoadScript(benchmark::State& state) {
  const QByteArray& bytes = script();
  for (auto _ : state) {
    QTextDocument doc;
    benchmark::DoNotOptimize(rtf::readDocument(bytes, doc));
    state.counters["text_chars"] = doc.characterCount();
    state.counters["paragraphs"] = doc.blockCount();
  }
  state.counters["rtf_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadScript)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveScript(benchmark::State& state) {
  QTextDocument doc;
  rtf::readDocument(script(), doc);
  qsizetype size = 0;
  for (auto _ : state) {
    const QByteArray out = rtf::writeDocument(doc);
    size = out.size();
    benchmark::DoNotOptimize(out.constData());
  }
  state.counters["rtf_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_SaveScript)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reader alone, without building the document.
void BM_ParseScript(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(rtf::plainText(script()).size());
}
BENCHMARK(BM_ParseScript)->Unit(benchmark::kMillisecond)->Iterations(3);

// Hostile shape: 20000 fonts and 20000 colours, each run in its own.
// QTextDocument's format lookup degrades when formats differ only in
// properties it does not hash; this must stay linear.
void BM_LoadDistinctFormats(benchmark::State& state) {
  const int n = 20000;
  QByteArray rtf = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < n; ++i)
    rtf += "{\\f" + QByteArray::number(i) + " F" + QByteArray::number(i) + ";}";
  rtf += "}{\\colortbl;";
  for (int i = 0; i < n; ++i)
    rtf += "\\red" + QByteArray::number(i % 256) + "\\green" + QByteArray::number(i / 256) +
           "\\blue0;";
  rtf += '}';
  for (int i = 0; i < n; ++i)
    rtf += "\\f" + QByteArray::number(i) + "\\cf" + QByteArray::number(n - i) + " x";
  rtf += '}';
  for (auto _ : state) {
    QTextDocument doc;
    benchmark::DoNotOptimize(rtf::readDocument(rtf, doc));
  }
}
BENCHMARK(BM_LoadDistinctFormats)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
