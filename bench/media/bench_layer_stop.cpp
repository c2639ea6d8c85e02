// A layer's stop as heard at the null sink's monitor: a 440 Hz tone plays
// on a layer and is stopped, 10 trials. Reported: from the stop to the last
// sample above 1 % of the tone (the sink's own delay included), and the
// largest step between two neighbouring samples on the way down beside the
// largest the tone itself has (a step well above it is a click).
//
// Run: tests/with-full-volume.sh build/bench/media/bench_layer_stop (with PULSE_SERVER
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

constexpr int kTrials = 10;
constexpr int kAmplitude = 16383;

int largestStep(const std::vector<qint16>& s, size_t from, size_t to) {
  int step = 0;
  for (size_t i = from + 1; i < std::min(to, s.size()); ++i)
    step = std::max(step, std::abs(int(s[i]) - int(s[i - 1])));
  return step;
}

void report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return;
  std::printf("%-44s median %6.1f  worst %6.1f  best %6.1f  (n=%zu)\n", what, v[v.size() / 2],
              v.back(), v.front(), v.size());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
    std::fputs("needs the test sound server (scripts/test-env.sh)\n", stderr);
    return 77;
  }
  QTemporaryDir dir;
  const QString tone = dir.filePath(QStringLiteral("tone.wav"));
  {
    QFile f(tone);
    const QByteArray wav = segmentedWav({{4000, 440}});
    if (!f.open(QIODevice::WriteOnly) || f.write(wav) != wav.size()) return 1;
  }
  SinkRecorder rec;
  if (!rec.start({}, 5)) return 1;
  scenova::platform::MpvSoundVoices voices;
  voices.prepare({tone});
  QTest::qWait(1000);
  std::vector<double> silentAfter, steps, toneSteps;
  for (int trial = 0; trial < kTrials; ++trial) {
    QString why;
    const int v = voices.start(tone, true, 100, &why);
    if (v <= 0) return 1;
    QTest::qWait(600);
    const qint64 before = rec.sampleCount();
    QTest::qWait(200);
    const qint64 mark = rec.sampleCount();
    const Clock::time_point t = Clock::now();
    voices.stop(v);
    QTest::qWait(600);
    const std::vector<qint16> s = rec.samples(before);
    const size_t stopAt = size_t(mark - before);
    const qint64 last = rec.lastLoud(mark, kAmplitude / 100);
    if (last < 0) continue;
    silentAfter.push_back(std::chrono::duration<double, std::milli>(rec.arrival(last) - t).count());
    toneSteps.push_back(largestStep(s, 0, stopAt));
    steps.push_back(largestStep(s, stopAt, size_t(last - before) + 2));
  }
  report("stop to silence (ms)", silentAfter);
  report("largest step on the way down", steps);
  report("largest step of the tone itself", toneSteps);
  return 0;
}
