// Printing a long script to PDF: a 300-page script (bold red headings,
// plain lines) laid out and written page by page. Target: under 10 s.
// PrintJobKeepsTheWindowAlive prints as the window does (a copy of the
// script printed on a worker) and reports the longest stall of the
// window's thread: the largest gap between two turns of its event loop
// (a 1 ms timer) from the print command to the job's end.
// PrintLongScriptToPdf prints on the calling thread, for comparison: its
// gap is the longest time between two pages.
//
// Run: bench_print (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "platform/dialogs.h"
#include "support/widget_bench_main.h"
#include "tools/print_job.h"
#include "tools/print_script.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

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

void PrintJobKeepsTheWindowAlive(benchmark::State& state) {
  QTextEdit editor;
  editor.setHtml(longScript(static_cast<int>(state.range(0))));
  QTemporaryDir dir;
  int pages = 0;
  qint64 longestStallMs = 0;
  for (auto _ : state) {
    scenova::platform::PrintChoice choice;
    choice.file = dir.filePath(QStringLiteral("script.pdf"));
    tools::PrintJob job(60000);
    QEventLoop loop;
    QObject::connect(&job, &tools::PrintJob::progress, [&](int page, int) { pages = page; });
    QObject::connect(&job, &tools::PrintJob::finished, &loop, &QEventLoop::quit);
    QElapsedTimer gap;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestStallMs = std::max(longestStallMs, gap.restart()); });
    gap.start();
    tick.start();
    job.start(editor, choice);  // the copy of the script is part of the stall
    loop.exec();
    longestStallMs = std::max(longestStallMs, gap.restart());
  }
  state.counters["pages"] = pages;
  state.counters["longest_stall_ms"] = static_cast<double>(longestStallMs);
}
BENCHMARK(PrintJobKeepsTheWindowAlive)
    ->Arg(310)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return scenova::bench::runWidgetBenchmarks(argc, argv);
}
