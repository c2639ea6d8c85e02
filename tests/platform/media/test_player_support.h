#pragma once

// Media fixtures written at test time (a tone WAV, small MIDI songs, videos
// made with ffmpeg) and probes for leaked threads and files, shared by the
// player tests and benchmarks. Header-only.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace scenova::testing {

inline void appendLe(QByteArray& out, quint32 v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(char((v >> (8 * i)) & 0xff));
}

// A mono 16-bit WAV holding a sine tone.
inline QByteArray toneWav(double seconds, double frequency = 440, int rate = 44100,
                          double amplitude = 0.5) {
  const quint32 frames = quint32(std::lround(seconds * rate));
  QByteArray out("RIFF");
  appendLe(out, 36 + frames * 2, 4);
  out.append("WAVEfmt ");
  appendLe(out, 16, 4);
  appendLe(out, 1, 2);
  appendLe(out, 1, 2);
  appendLe(out, quint32(rate), 4);
  appendLe(out, quint32(rate * 2), 4);
  appendLe(out, 2, 2);
  appendLe(out, 16, 2);
  out.append("data");
  appendLe(out, frames * 2, 4);
  for (quint32 i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
    appendLe(out, quint32(quint16(qint16(std::lround(v * 32767)))), 2);
  }
  return out;
}

inline QByteArray vlq(quint32 v) {
  QByteArray out(1, char(v & 0x7f));
  while (v >>= 7) out.prepend(char(0x80 | (v & 0x7f)));
  return out;
}

inline QByteArray midiChunk(const char* id, const QByteArray& body) {
  QByteArray out(id, 4);
  for (int i = 3; i >= 0; --i) out.append(char((body.size() >> (8 * i)) & 0xff));
  return out + body;
}

inline QByteArray midiHeader(int format, int tracks, int division) {
  const char body[] = {char(format >> 8), char(format),        char(tracks >> 8),
                       char(tracks),      char(division >> 8), char(division)};
  return midiChunk("MThd", QByteArray(body, 6));
}

// One track: a tempo (microseconds per quarter), then `notes` piano notes of
// `noteTicks` each, one after another, then the end of the track.
inline QByteArray midiTrack(int notes, int noteTicks, int tempo = 500000, int key = 60) {
  QByteArray ev;
  ev += vlq(0) + QByteArray("\xff\x51\x03", 3);
  ev += char(tempo >> 16), ev += char(tempo >> 8), ev += char(tempo);
  ev += vlq(0) + QByteArray("\xc0\x00", 2);  // acoustic grand piano
  for (int i = 0; i < notes; ++i) {
    ev += vlq(0) + QByteArray("\x90", 1) + char(key + i % 12) + char(100);
    ev += vlq(quint32(noteTicks)) + QByteArray("\x80", 1) + char(key + i % 12) + char(0);
  }
  ev += vlq(0) + QByteArray("\xff\x2f\x00", 3);
  return midiChunk("MTrk", ev);
}

// A format-0 song of `seconds` whole seconds at 120 bpm (two notes a second).
inline QByteArray midiSong(int seconds) {
  return midiHeader(0, 1, 480) + midiTrack(seconds * 2, 480);
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline bool haveFfmpeg() {
  return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

// Runs ffmpeg with lavfi inputs, e.g. {"color=c=red:size=320x240:rate=25"}.
inline bool makeVideo(const QString& path, const QStringList& lavfiInputs, double seconds,
                      const QStringList& extra = {}) {
  QStringList args{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
  for (const QString& in : lavfiInputs)
    args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i") << in;
  args << QStringLiteral("-t") << QString::number(seconds) << QStringLiteral("-pix_fmt")
       << QStringLiteral("yuv420p") << extra << path;
  QProcess ff;
  ff.start(QStringLiteral("ffmpeg"), args);
  return ff.waitForFinished(60000) && ff.exitStatus() == QProcess::NormalExit &&
         ff.exitCode() == 0 && QFile::exists(path);
}

inline int countEntries(const QString& dir) {
  return int(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}
inline int threadCount() {
  return countEntries(QStringLiteral("/proc/self/task"));
}
inline int openFileCount() {
  return countEntries(QStringLiteral("/proc/self/fd"));
}

}  // namespace scenova::testing
