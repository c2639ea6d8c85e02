// Start-up time of the real program: from process start to the main window
// shown, under the X server named by DISPLAY. It runs the test program (the
// program's own start-up, whose dialogs answer by themselves), which says
// "shown" on its standard output at that moment.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString installCopy(const QTemporaryDir& dir) {
  const QString build = QStringLiteral(SCENOVA_BUILD_DIR);
  const QString to = dir.path();
  QFile::copy(QStringLiteral(SCENOVA_TEST_PROGRAM), to + QStringLiteral("/scenova"));
  QFile::setPermissions(to + QStringLiteral("/scenova"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  for (const char* sub : {"Lang", "Files"}) {
    QDir().mkpath(to + QLatin1Char('/') + QLatin1StringView(sub));
    const QDir from(build + QLatin1Char('/') + QLatin1StringView(sub));
    for (const QString& f : from.entryList(QDir::Files))
      QFile::copy(from.filePath(f),
                  to + QLatin1Char('/') + QLatin1StringView(sub) + QLatin1Char('/') + f);
  }
  QFile ini(to + QStringLiteral("/Scenova.ini"));
  if (ini.open(QIODevice::WriteOnly)) ini.write("English.lng\r\n");
  return to + QStringLiteral("/scenova");
}

void BM_StartupToWindowShown(benchmark::State& state) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    state.SkipWithError("needs an X server (DISPLAY)");
    return;
  }
  QTemporaryDir dir;
  const QString exe = installCopy(dir);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("SCENOVA_STARTUP_PROBE"), QStringLiteral("1"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  for (auto _ : state) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(exe, {});
    bool shown = false;
    while (!shown && p.waitForReadyRead(10000)) shown = p.readAllStandardOutput().contains("shown");
    const double seconds = t.nsecsElapsed() / 1e9;
    p.kill();
    p.waitForFinished();
    if (!shown) {
      state.SkipWithError("the window was not shown");
      return;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_StartupToWindowShown)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
