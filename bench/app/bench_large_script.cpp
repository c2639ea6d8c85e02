// Open and Save of a 100 MB script through the window's own commands: the
// time of each and the memory the save takes at its peak on top of what the
// open script holds. Target: the save's peak under three times the
// script's size ("save_peak_ratio" < 3); both show their progress in the
// window while they last. "peak_mb" is the process's highest resident
// memory during the command (the kernel's high-water mark, reset just
// before it), "extra_mb" that peak less the resident memory just before.

#include "app/document_commands.h"
#include "platform/rtb/script_layout.h"
#include "support/form_fixture.h"
#include "support/widget_bench_main.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace scenova;

namespace {

// formatted: runs of bold, italic, colour, underline and size in every
// paragraph; otherwise plain paragraphs (the RTF is then mostly text).
QByteArray makeScript(qsizetype targetBytes, bool formatted) {
  static const char* const words[] = {"Enter", "the", "stage", "slowly", "[[thunder.wav]]",
                                      "light", "cue", "fade",  "actor",  "door"};
  static const char* const formats[] = {"", "\\b", "\\i\\cf1", "\\ul", "\\fs28"};
  QByteArray rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\n";
  rtf.reserve(targetBytes + 1024);
  quint32 state = 1;
  auto next = [&state](quint32 n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  while (rtf.size() < targetBytes) {
    rtf += "\\pard\\sa120\\f0\\fs24 ";
    for (int run = 0; run < 4; ++run) {
      rtf += QByteArray("{") + (formatted ? formats[next(5)] : "") + ' ';
      for (int w = 0; w < 4; ++w) rtf += QByteArray(words[next(10)]) + ' ';
      rtf += "}\n";
    }
    rtf += "\\par\n";
  }
  return rtf + '}';
}

// A line of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double statusMb(const char* field) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toDouble() / 1024;
  return 0;
}

// Starts a new high-water mark at the present resident memory.
void resetPeak() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

struct Rig {
  QTemporaryDir state;
  test::FormFixture f{{}, nullptr, state.path()};
  QString path;
  double fileMb = 0;
  explicit Rig(bool formatted)
      : path(f.folder.file(formatted ? QStringLiteral("formatted.snv")
                                     : QStringLiteral("plain.snv"))) {
    const QByteArray script = makeScript(100 * 1024 * 1024, formatted);
    fileMb = script.size() / 1048576.0;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(script);
  }
};

// One rig at a time: each holds a 100 MB script open.
Rig& rig(bool formatted) {
  static std::unique_ptr<Rig> r;
  static bool kind = false;
  if (!r || kind != formatted) {
    r.reset();
    r = std::make_unique<Rig>(formatted);
    kind = formatted;
  }
  return *r;
}

struct Memory {
  double before = 0;
  void start() {
    before = statusMb("VmRSS");
    resetPeak();
  }
  double peak() const { return statusMb("VmHWM"); }
};

// Argument 1: a formatted script; 0: plain paragraphs.
void BM_OpenHundredMegabytes(benchmark::State& s) {
  Rig& r = rig(s.range(0) != 0);
  Memory m;
  for (auto _ : s) {
    r.f.form->doc().Modified = 0;
    r.f.dialogs.fileAnswers.push_back(r.path);
    m.start();
    r.f.form->subsystems().documents.Open();
  }
  s.counters["file_mb"] = r.fileMb;
  s.counters["peak_mb"] = m.peak();
  s.counters["extra_mb"] = m.peak() - m.before;
}
BENCHMARK(BM_OpenHundredMegabytes)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_SaveHundredMegabytes(benchmark::State& s) {
  Rig& r = rig(s.range(0) != 0);
  if (r.f.rtb().TextLength() == 0) r.f.form->subsystems().documents.openScript(r.path);
  if (auto* layout = qobject_cast<platform::ScriptLayout*>(r.f.rtb().document()->documentLayout()))
    layout->layoutAll();
  Memory m;
  for (auto _ : s) {
    r.f.form->doc().Modified = 1;
    m.start();
    r.f.form->subsystems().documents.Save();
  }
  s.counters["file_mb"] = r.fileMb;
  s.counters["peak_mb"] = m.peak();
  s.counters["extra_mb"] = m.peak() - m.before;
  s.counters["save_peak_ratio"] = (m.peak() - m.before) / r.fileMb;
}
BENCHMARK(BM_SaveHundredMegabytes)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_OpenHundredMegabytes)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_SaveHundredMegabytes)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench::runWidgetBenchmarks(argc, argv);
}
