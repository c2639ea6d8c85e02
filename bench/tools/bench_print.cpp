// Printing a long script to PDF: a 300-page script (bold red headings,
// plain lines) laid out and written page by page. Target: under 10 s.
// Also reports how long the window went without repainting (the largest
// gap between two progress calls, where the window runs its events).
//
// Run: bench_print (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "tools/print_script.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextEdit>

namespace tools = scenova::tools;

namespace {

QString longScript(int scenes) {
  QString html;
  for (int s = 0; s < scenes; ++s) {
    html += QStringLiteral("<p><b><span style=\"color:#c00000\">SCENE %1</span></b></p>").arg(s);
    for (int i = 0; i < 40; ++i)
      html +=
          QStringLiteral("<p>HAMLET. Line %1 of scene %2, to be or not to be [[Play Audio]]</p>")
              .arg(i)
              .arg(s);
  }
  return html;
}

void PrintLongScriptToPdf(benchmark::State& state) {
  QTextEdit editor;
  editor.setHtml(longScript(static_cast<int>(state.range(0))));
  QTemporaryDir dir;
  int pages = 0;
  qint64 longestGapMs = 0;
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("script.pdf")));
    QElapsedTimer gap;
    gap.start();
    tools::SelPrint(editor, printer, [&](int page, int) {
      pages = page;
      longestGapMs = std::max(longestGapMs, gap.restart());
      QCoreApplication::processEvents();
    });
  }
  state.counters["pages"] = pages;
  state.counters["longest_gap_ms"] = static_cast<double>(longestGapMs);
}
BENCHMARK(PrintLongScriptToPdf)->Arg(310)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
