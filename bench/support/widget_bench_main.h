#pragma once

// The main() of a benchmark program that needs widgets: the registered
// benchmarks run inside a QApplication, on Qt's offscreen platform unless
// QT_QPA_PLATFORM names another. atEnd runs before the application goes
// (for widgets a benchmark kept between runs).

#include <QApplication>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <functional>

namespace scenova::bench {

inline int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& atEnd = {}) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (atEnd) atEnd();
  return 0;
}

}  // namespace scenova::bench
