#pragma once

// Helpers for the audio device and mixer tests and benchmarks: tone files
// written at test time and a sound server of the test's own. The recorder of
// a sink's monitor is the shared one in tests/support/sink_recorder.h.
// Header-only.

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

#include "../../support/sink_recorder.h"

namespace scenova::testing {

using test::Clock;
using test::SinkRecorder;

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
      std::this_thread::sleep_for(std::chrono::milliseconds(50));  // polling
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
