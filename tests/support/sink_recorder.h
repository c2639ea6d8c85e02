#pragma once

// For tests and benchmarks that listen to the test sound server's null
// sinks: the one recorder of a sink's monitor (samples in order, with the
// time each was heard), tone files, and xdotool for the test X server.

#include <QByteArray>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace scenova::test {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 48000;

// A 16-bit mono WAV at kRate holding the given samples.
inline QByteArray wavFile(const QByteArray& pcm) {
  auto u32 = [](quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return b;
  };
  auto u16 = [&](quint16 v) { return u32(v).left(2); };
  return "RIFF" + u32(36 + static_cast<quint32>(pcm.size())) + "WAVEfmt " + u32(16) + u16(1) +
         u16(1) + u32(kRate) + u32(kRate * 2) + u16(2) + u16(16) + "data" +
         u32(static_cast<quint32>(pcm.size())) + pcm;
}

// Appends one 16-bit little-endian sample.
inline void appendSample(QByteArray& pcm, double value) {
  const auto v = static_cast<qint16>(value);
  pcm.append(static_cast<char>(v & 0xff)).append(static_cast<char>((v >> 8) & 0xff));
}

// A 16-bit mono WAV of the pitch for that many seconds.
inline QByteArray toneWav(double hz, int seconds) {
  QByteArray pcm;
  for (int i = 0; i < seconds * kRate; ++i)
    appendSample(pcm, 12000 * std::sin(2 * M_PI * hz * i / kRate));
  return wavFile(pcm);
}

// Records a sink's monitor (s16le, 48 kHz, mono) with parec on a thread of
// its own. The samples are kept without a gap, in the order heard, and each
// block of them is stamped when it reached this process, so that a test can
// ask both "what was heard" and "when": the last sample of a block is taken
// as heard at its arrival, the ones before it one sample period apart.
class SinkRecorder {
 public:
  static constexpr int kRate = 48000;

  SinkRecorder() = default;
  SinkRecorder(const SinkRecorder&) = delete;
  SinkRecorder& operator=(const SinkRecorder&) = delete;
  ~SinkRecorder() { stop(); }

  // Starts parec and returns once samples flow (false if they never do).
  // server: a PulseAudio server address; empty for the one in PULSE_SERVER.
  // latencyMs: how often the monitor delivers (and so how finely arrival
  // times are known); it also sets how often the null sink renders.
  // source: the monitor recorded (another sink's, for tests of outputs).
  bool start(const QString& server = {}, int latencyMs = 5,
             const QString& source = QStringLiteral("test_sink.monitor")) {
    server_ = server;
    source_ = source;
    latencyMs_ = latencyMs;
    running_ = true;
    thread_ = std::thread([this] { run(); });
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < until && !failed_) {
      if (sampleCount() > kRate / 50) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));  // polling
    }
    stop();
    return false;
  }
  // Records another sink's monitor, e.g. "test_sink2.monitor".
  bool startOn(const QString& source) { return start({}, 5, source); }

  void stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }

  // Whether parec runs and delivers.
  bool running() const { return running_ && !failed_ && sampleCount() > 0; }

  qint64 sampleCount() const {
    std::lock_guard lock(mutex_);
    return qint64(samples_.size());
  }

  // Samples from index `from` on.
  std::vector<qint16> samples(qint64 from = 0) const {
    std::lock_guard lock(mutex_);
    if (from >= qint64(samples_.size())) return {};
    return {samples_.begin() + from, samples_.end()};
  }

  // When sample `index` reached this process (the end of its block arrived).
  Clock::time_point arrival(qint64 index) const {
    std::lock_guard lock(mutex_);
    for (const Block& b : blocks_) {
      if (index < b.end) return b.at;
    }
    return Clock::now();
  }

  // The last sample at or after `from` louder than `threshold`; -1 if none.
  qint64 lastLoud(qint64 from, int threshold = 2000) const {
    std::lock_guard lock(mutex_);
    for (qint64 i = qint64(samples_.size()) - 1; i >= from; --i) {
      if (std::abs(samples_[size_t(i)]) > threshold) return i;
    }
    return -1;
  }

  // The first sample at or after `from` louder than `threshold`; -1 if none.
  qint64 firstLoud(qint64 from, int threshold = 2000) const {
    std::lock_guard lock(mutex_);
    for (qint64 i = from; i < qint64(samples_.size()); ++i) {
      if (std::abs(samples_[size_t(i)]) > threshold) return i;
    }
    return -1;
  }

  // The samples heard between the two times, in order and without a gap:
  // from the first one heard at `from` or later up to the first one heard at
  // `to`. (A block that arrived late overlaps the one before in time, so
  // picking each sample by its own time would drop some and cut the sound
  // where it has no cut.)
  std::vector<qint16> between(Clock::time_point from, Clock::time_point to) const {
    std::lock_guard lock(mutex_);
    const qint64 a = indexAt(from), b = std::max(a, indexAt(to));
    return {samples_.begin() + a, samples_.begin() + b};
  }

  // How many milliseconds after t the first sample louder than kLoud was
  // heard, or -1 when none was heard yet.
  double onsetMsAfter(Clock::time_point t) const {
    std::lock_guard lock(mutex_);
    for (qint64 i = indexAt(t); i < qint64(samples_.size()); ++i) {
      if (std::abs(samples_[size_t(i)]) > kLoud)
        return std::max(0.0, std::chrono::duration<double, std::milli>(heardAt(i) - t).count());
    }
    return -1;
  }
  // Milliseconds of loud samples heard between the two times.
  double loudMs(Clock::time_point from, Clock::time_point to) const {
    const std::vector<qint16> s = between(from, to);
    return double(std::count_if(s.begin(), s.end(), [](qint16 v) { return std::abs(v) > kLoud; })) *
           1000.0 / kRate;
  }
  // Milliseconds of loud samples heard from `from` on that reached this
  // process before `t`: sound certainly made before t. (When a sample was
  // heard is known only to within a block: the null sink renders up to a
  // block ahead, so the first samples of a sound that starts just after t
  // can be placed a little before it, and loudMs(from, t) counts them.)
  double loudArrivedBefore(Clock::time_point from, Clock::time_point t) const {
    std::lock_guard lock(mutex_);
    const qint64 a = indexAt(from);
    qint64 b = 0;
    for (const Block& block : blocks_) {
      if (block.at >= t) break;
      b = block.end;
    }
    qint64 loud = 0;
    for (qint64 i = a; i < b; ++i) loud += std::abs(samples_[size_t(i)]) > kLoud;
    return double(loud) * 1000.0 / kRate;
  }
  // The largest sample value heard between the two times.
  double peak(Clock::time_point from, Clock::time_point to) const {
    int most = 0;
    for (const qint16 v : between(from, to)) most = std::max(most, std::abs(int(v)));
    return most;
  }
  // The pitch heard between the two times, from its zero crossings.
  double pitch(Clock::time_point from, Clock::time_point to) const {
    const std::vector<qint16> s = between(from, to);
    int crossings = 0, previous = 0;
    for (const qint16 v : s) {
      const int sign = v > 0 ? 1 : v < 0 ? -1 : 0;
      if (sign != 0 && previous != 0 && sign != previous) ++crossings;
      if (sign != 0) previous = sign;
    }
    return s.empty() ? 0 : crossings / 2.0 / (double(s.size()) / kRate);
  }
  // Whether the recording has reached t: samples heard at t or later are
  // in. What a test waits for before it looks at a stretch that ends at t.
  bool reached(Clock::time_point t) const {
    std::lock_guard lock(mutex_);
    return !blocks_.empty() && blocks_.back().at >= t;
  }
  // Whether the last `span` was silent: samples arrived up to at least half
  // of it ago, and none of that span is loud. The condition tests wait for
  // once the sound should have stopped.
  bool quietFor(Clock::duration span) const {
    const Clock::time_point now = Clock::now();
    {
      std::lock_guard lock(mutex_);
      if (blocks_.empty() || blocks_.back().at < now - span / 2) return false;
    }
    return loudMs(now - span, now + std::chrono::hours(1)) == 0;
  }

 private:
  static constexpr int kLoud = 300;
  struct Block {
    qint64 end;  // one past the last sample of the block
    Clock::time_point at;
  };

  static Clock::duration samplesLong(qint64 n) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(n) / kRate));
  }
  // When sample i was heard (mutex held).
  Clock::time_point heardAt(qint64 i) const {
    const auto b =
        std::upper_bound(blocks_.begin(), blocks_.end(), i,
                         [](qint64 index, const Block& block) { return index < block.end; });
    if (b == blocks_.end()) return Clock::now();
    return b->at - samplesLong(b->end - 1 - i);
  }
  // The first sample heard at t or later, in recording order; the sample
  // count when none was (mutex held).
  qint64 indexAt(Clock::time_point t) const {
    qint64 start = 0;
    for (const Block& b : blocks_) {
      if (b.at >= t) {
        const auto late = std::chrono::duration<double>(b.at - t).count();
        return std::max(start, b.end - 1 - qint64(std::floor(late * kRate)));
      }
      start = b.end;
    }
    return qint64(samples_.size());
  }

  void run() {
    QProcess parec;
    QStringList serverArg;
    if (!server_.isEmpty()) serverArg << QStringLiteral("--server=") + server_;
    parec.start(
        QStringLiteral("parec"),
        serverArg + QStringList{QStringLiteral("-d"), source_,
                                QStringLiteral("--latency-msec=%1").arg(latencyMs_),
                                QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                                QStringLiteral("--channels=1"), QStringLiteral("--raw")});
    if (!parec.waitForStarted(3000)) {
      failed_ = true;
      return;
    }
    QByteArray carry;
    while (running_ && parec.state() == QProcess::Running) {
      if (!parec.waitForReadyRead(20)) continue;
      const auto at = Clock::now();
      QByteArray data = carry + parec.readAllStandardOutput();
      carry = data.size() % 2 ? data.right(1) : QByteArray();
      data.chop(carry.size());
      std::lock_guard lock(mutex_);
      for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        samples_.push_back(qint16(quint8(data[i]) | (quint8(data[i + 1]) << 8)));
      }
      if (blocks_.empty() || qint64(samples_.size()) > blocks_.back().end)
        blocks_.push_back({qint64(samples_.size()), at});
    }
    if (parec.state() != QProcess::Running) failed_ = true;
    parec.terminate();
    if (!parec.waitForFinished(2000)) {
      parec.kill();
      parec.waitForFinished(2000);
    }
  }

  QString server_;
  QString source_;
  int latencyMs_ = 5;
  mutable std::mutex mutex_;
  std::vector<qint16> samples_;
  std::vector<Block> blocks_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> failed_{false};
};

// The amplitude of one pitch in the samples (Goertzel), in sample units.
inline double amplitudeAt(const std::vector<qint16>& samples, double hz) {
  if (samples.empty()) return 0;
  const double w = 2 * M_PI * hz / kRate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (const qint16 v : samples) {
    const double s0 = v + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
  return 2 * std::sqrt(std::max(0.0, power)) / static_cast<double>(samples.size());
}

inline QString run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(10000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

inline void xdotool(const QStringList& args) {
  run(QStringLiteral("xdotool"), args);
}

// The ids of the visible windows of a process (its main window, show
// windows, an open menu, a tooltip). A menu is open once an id comes that
// was not there before: counting them is not enough, as a tooltip may go
// while the menu comes.
inline QSet<QString> visibleWindowsOf(qint64 pid) {
  const QStringList ids =
      run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                      QStringLiteral("--pid"), QString::number(pid)})
          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  return {ids.begin(), ids.end()};
}

}  // namespace scenova::test
