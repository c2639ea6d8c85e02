// The sixteenth layer: while fifteen layers play (a steady 440 Hz tone on one,
// silence on fourteen, all looping), a sixteenth starts; the tone must go
// on at its level without a gap. The null sink's monitor is recorded from
// half a second before the start to a second after it and cut into windows
// of 5 ms (two cycles of the tone): a window whose peak falls below half the
// tone's usual peak is a break. Each trial starts the sixteenth twice: a
// file loaded ahead (a cue of the script) and one that was not.
//
// Run: tests/with-full-volume.sh build/bench/media/bench_layer_count (with PULSE_SERVER
// set, as scripts/test-env.sh sets it; the sink at full volume).

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "platform/media/audio_test_support.h"
#include "platform/media/sound_voices_mpv.h"

using namespace scenova::testing;

namespace {

constexpr int kTrials = 5;
constexpr int kWindow = SinkRecorder::kRate / 200;  // 5 ms

struct Breaks {
  int windows = 0;  // windows below half the usual peak
  int trials = 0;
  double lowest = 1;  // the lowest window peak over the usual one
  void add(const std::vector<qint16>& s) {
    std::vector<int> peaks;
    for (size_t at = 0; at + kWindow <= s.size(); at += kWindow) {
      int peak = 0;
      for (size_t i = at; i < at + kWindow; ++i) peak = std::max(peak, std::abs(int(s[i])));
      peaks.push_back(peak);
    }
    if (peaks.empty()) return;
    std::vector<int> sorted = peaks;
    std::sort(sorted.begin(), sorted.end());
    const double usual = std::max(1, sorted[sorted.size() / 2]);
    for (size_t w = 0; w < peaks.size(); ++w) {
      lowest = std::min(lowest, peaks[w] / usual);
      if (peaks[w] >= usual / 2) continue;
      ++windows;
      // The sixteenth starts 500 ms into the recording.
      std::printf("  a break %d ms after the start\n", int(w) * 5 - 500);
    }
    ++trials;
  }
  void report(const char* what) const {
    std::printf("%-40s breaks %d windows of 5 ms in %d trials, lowest window %.0f %% of the tone\n",
                what, windows, trials, lowest * 100);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    std::fputs("needs the test sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  QTemporaryDir dir;
  auto write = [&dir](const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
  };
  const QString tone = dir.filePath(QStringLiteral("tone.wav"));
  if (!write(QStringLiteral("tone.wav"), segmentedWav({{4000, 440}}))) return 1;
  const QByteArray silence = segmentedWav({{4000, 0}});
  for (const char* name : {"quiet.wav", "ready.wav", "cold.wav"})
    if (!write(QLatin1StringView(name), silence)) return 1;

  SinkRecorder rec;
  if (!rec.start({}, 5)) return 1;
  scenova::platform::MpvSoundVoices voices;
  Breaks ready, cold;
  for (int trial = 0; trial < kTrials; ++trial) {
    voices.prepare({dir.filePath(QStringLiteral("ready.wav"))});
    QList<int> playing;
    QString why;
    playing << voices.start(tone, true, 100, &why);
    for (int i = 0; i < 14; ++i)
      playing << voices.start(dir.filePath(QStringLiteral("quiet.wav")), true, 100, &why);
    if (playing.contains(0)) {
      std::fprintf(stderr, "a layer did not start: %s\n", qPrintable(why));
      return 1;
    }
    QTest::qWait(1500);
    for (auto [name, breaks] : {std::pair{"ready.wav", &ready}, std::pair{"cold.wav", &cold}}) {
      const qint64 mark = rec.sampleCount();
      QTest::qWait(500);
      const int sixteenth = voices.start(dir.filePath(QLatin1StringView(name)), true, 100, &why);
      QTest::qWait(1000);
      breaks->add(rec.samples(mark));
      voices.stop(sixteenth);
      QTest::qWait(500);
    }
    for (const int v : std::as_const(playing)) voices.stop(v);
    QTest::qWait(1000);
  }
  ready.report("a 16th layer loaded ahead");
  cold.report("a 16th layer not loaded ahead");
  return 0;
}
