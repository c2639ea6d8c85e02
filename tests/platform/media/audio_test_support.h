#pragma once

// Helpers for the audio device and mixer tests and benchmarks: tone files
// written at test time and a recorder of the test sink's monitor that knows
// when each sample arrived. Header-only.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <numbers>
#include <thread>
#include <utility>
#include <vector>

namespace scenova::testing {

using Clock = std::chrono::steady_clock;

// A stretch of a test tone: a sine of `hz` (0 for silence) lasting `ms`.
struct ToneSegment {
  int ms;
  double hz;
};

// A mono 16-bit 48 kHz WAV made of the given segments (amplitude 0.5).
inline QByteArray segmentedWav(const QList<ToneSegment>& segments) {
  constexpr int kRate = 48000;
  QByteArray pcm;
  double phase = 0;
  for (const ToneSegment& s : segments) {
    const int frames = s.ms * kRate / 1000;
    for (int i = 0; i < frames; ++i) {
      const qint16 v = s.hz > 0 ? qint16(std::lround(16383 * std::sin(phase))) : 0;
      phase += 2 * std::numbers::pi * s.hz / kRate;
      pcm.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
    }
  }
  auto le = [](quint32 v, int bytes) {
    QByteArray b;
    for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xff));
    return b;
  };
  return "RIFF" + le(quint32(36 + pcm.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
         le(kRate, 4) + le(kRate * 2, 4) + le(2, 2) + le(16, 2) + "data" +
         le(quint32(pcm.size()), 4) + pcm;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A PulseAudio server of the test's own, with a null sink "test_sink" as its
// default output, so that playing, recording and volume changes neither
// disturb nor hear other tests. Point libpulse at it with usePulse().
class PrivatePulse {
 public:
  ~PrivatePulse() { stop(); }

  // Starts the server in `dir` and returns once it answers.
  bool start(const QString& dir) {
    dir_ = dir;
    QDir().mkpath(dir + QStringLiteral("/home"));
    QDir().mkpath(dir + QStringLiteral("/run"));
    QFile::setPermissions(dir + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString config = dir + QStringLiteral("/pulse.pa");
    const QString script = QStringLiteral(
                               "load-module module-native-protocol-unix auth-anonymous=1 "
                               "socket=%1/run/native\n"
                               "load-module module-null-sink sink_name=test_sink rate=48000\n"
                               "set-default-sink test_sink\n")
                               .arg(dir);
    if (!writeBytes(config, script.toUtf8())) return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir + QStringLiteral("/run"));
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir + QStringLiteral("/run"));
    proc_.setProcessEnvironment(env);
    proc_.start(
        QStringLiteral("pulseaudio"),
        {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
         QStringLiteral("-n"), QStringLiteral("-F"), config, QStringLiteral("--use-pid-file=no"),
         QStringLiteral("--log-target=file:") + dir + QStringLiteral("/pulse.log")});
    if (!proc_.waitForStarted(3000)) return false;
    for (int i = 0; i < 100; ++i) {
      if (pactl({QStringLiteral("info")}).first) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    return false;
  }

  void stop() {
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.terminate();
    if (!proc_.waitForFinished(3000)) {
      proc_.kill();
      proc_.waitForFinished(3000);
    }
  }

  // The server's process id (0 when it is not running), for signals that
  // stop, continue or kill it.
  qint64 pid() const { return proc_.processId(); }

  QString server() const { return QStringLiteral("unix:") + dir_ + QStringLiteral("/run/native"); }
  // Makes libpulse in this process (and programs started later) use it.
  void usePulse() const { qputenv("PULSE_SERVER", server().toUtf8()); }

  // Runs pactl against this server: (succeeded, standard output).
  std::pair<bool, QString> pactl(const QStringList& args) const {
    QProcess p;
    p.start(QStringLiteral("pactl"), QStringList{QStringLiteral("--server=") + server()} + args);
    const bool ok =
        p.waitForFinished(3000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return {ok, QString::fromUtf8(p.readAllStandardOutput())};
  }

 private:
  QProcess proc_;
  QString dir_;
};

// Records the test sink's monitor (s16le, 48 kHz, mono) with parec on a
// thread of its own, noting when each block of samples arrived.
class SinkRecorder {
 public:
  static constexpr int kRate = 48000;

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
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop();
    return false;
  }

  void stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }

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

 private:
  struct Block {
    qint64 end;  // one past the last sample of the block
    Clock::time_point at;
  };

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
      blocks_.push_back({qint64(samples_.size()), at});
    }
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

// The frequency of a steady tone in samples [from, from + count), by counting
// rising zero crossings; 0 for silence.
inline double toneFrequency(const std::vector<qint16>& s, size_t from, size_t count) {
  int crossings = 0;
  const size_t end = std::min(s.size(), from + count);
  for (size_t i = from + 1; i < end; ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) ++crossings;
  }
  return end > from ? crossings * double(SinkRecorder::kRate) / double(end - from) : 0;
}

}  // namespace scenova::testing
