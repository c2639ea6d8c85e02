#pragma once

// For tests of the real program under the test X server and the null sink:
// the sink's monitor recorded on its own thread with arrival times, a tone
// file, and xdotool.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

extern char** environ;

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

// Records the sink's monitor on its own thread, each chunk stamped on arrival
// (another sink's monitor when given, e.g. "test_sink2.monitor").
class Recorder {
 public:
  explicit Recorder(const char* source = "test_sink.monitor") {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const char* args[] = {"parec",        "--raw",        "--format=s16le",
                          "--rate=48000", "--channels=1", "--latency-msec=5",
                          "-d",           source,         nullptr};
    if (posix_spawnp(&pid_, "parec", &actions, nullptr, const_cast<char**>(args), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    fd_ = fds[0];
    reader_ = std::thread([this] { read(); });
  }
  ~Recorder() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (reader_.joinable()) reader_.join();
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    if (fd_ >= 0) close(fd_);
  }

  // When the first sample louder than the threshold came after t, or -1 ms.
  double onsetMsAfter(Clock::time_point t) const {
    std::lock_guard lock(mutex_);
    for (const Sample& s : samples_)
      if (s.at >= t && std::abs(s.value) > kLoud)
        return std::chrono::duration<double, std::milli>(s.at - t).count();
    return -1;
  }
  // Milliseconds of loud samples between the two times.
  double loudMs(Clock::time_point from, Clock::time_point to) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Sample& s : samples_)
      if (s.at >= from && s.at < to && std::abs(s.value) > kLoud) ++n;
    return n * 1000.0 / kRate;
  }
  // The largest sample value between the two times.
  double peak(Clock::time_point from, Clock::time_point to) const {
    std::lock_guard lock(mutex_);
    int most = 0;
    for (const Sample& s : samples_)
      if (s.at >= from && s.at < to) most = std::max(most, std::abs(int(s.value)));
    return most;
  }
  // The pitch between the two times, from its zero crossings.
  double pitch(Clock::time_point from, Clock::time_point to) const {
    std::lock_guard lock(mutex_);
    int crossings = 0, n = 0;
    int previous = 0;
    for (const Sample& s : samples_) {
      if (s.at < from || s.at >= to) continue;
      ++n;
      const int sign = s.value > 0 ? 1 : s.value < 0 ? -1 : 0;
      if (sign != 0 && previous != 0 && sign != previous) ++crossings;
      if (sign != 0) previous = sign;
    }
    return n ? crossings / 2.0 / (static_cast<double>(n) / kRate) : 0;
  }
  // Whether the last `span` was silent: samples arrived up to at least half
  // of it ago, and none of that span is loud. The condition tests wait for
  // once the sound should have stopped.
  bool quietFor(Clock::duration span) const {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mutex_);
    if (samples_.empty() || samples_.back().at < now - span / 2) return false;
    for (auto s = samples_.rbegin(); s != samples_.rend() && s->at >= now - span; ++s)
      if (std::abs(s->value) > kLoud) return false;
    return true;
  }
  bool running() const { return pid_ > 0; }
  // The samples heard between the two times, in order and without a gap:
  // from the first one stamped at `from` or later, up to the first one at
  // `to`. (The stamps of a chunk that arrived late overlap the chunk before,
  // so picking each sample by its own stamp would drop some and cut the
  // sound where it has no cut.)
  std::vector<qint16> between(Clock::time_point from, Clock::time_point to) const {
    std::lock_guard lock(mutex_);
    std::vector<qint16> out;
    size_t i = 0;
    while (i < samples_.size() && samples_[i].at < from) ++i;
    for (; i < samples_.size() && samples_[i].at < to; ++i) out.push_back(samples_[i].value);
    return out;
  }

 private:
  static constexpr int kLoud = 300;
  struct Sample {
    Clock::time_point at;
    qint16 value;
  };
  void read() {
    char buffer[960];
    while (true) {
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got <= 0) return;
      const Clock::time_point now = Clock::now();
      const ssize_t count = got / 2;
      std::lock_guard lock(mutex_);
      for (ssize_t i = 0; i < count; ++i) {
        qint16 v;
        std::memcpy(&v, buffer + 2 * i, 2);
        // The last sample of a chunk is the one heard just now.
        const auto back = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>((count - 1 - i) / double(kRate)));
        samples_.push_back({now - back, v});
      }
    }
  }
  pid_t pid_ = -1;
  int fd_ = -1;
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<Sample> samples_;
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

}  // namespace scenova::test
