// Long MIDI songs in the media player. For a song of one hour and one of
// three hours (a piano melody over held string chords): the process's memory
// while the song is opened, played and sought (growth of the resident set
// over a player that has already played a short song, and its peak), the time
// from setUrl to loaded, from play to the first sound at the null sink's
// monitor, and from a seek to playing on from the new place; then the time
// the synthesiser alone takes to seek in the three-hour song. Then the
// one-hour song played through mpv as fast as it can be synthesised (the
// resident set's peak growth over the whole hour).
//
// The player figures need the test sound server (run under the env file of
// scripts/test-env.sh); any argument skips them. One line per figure.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/media/audio_test_support.h"
#include "platform/media/midi_file.h"
#include "platform/media/midi_render.h"
#include "platform/media/midi_stream.h"
#include "platform/media/mpv_player.h"
#include "platform/media/mpv_session.h"
#include "platform/media/test_player_support.h"

using namespace scenova::platform;
using namespace scenova::testing;

namespace {

// A value of /proc/self/status in MiB (VmRSS, VmHWM).
double statusMiB(const char* key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(qsizetype(strlen(key)) + 1).trimmed().split(' ')[0].toDouble() / 1024;
  return -1;
}

// Sets the peak resident set back to the current one.
void resetPeak() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

void pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(1000);
  }
}

// A format-1 song: a piano note every half second, a three-note string
// chord held for four seconds, over and over.
QByteArray longSong(int seconds) {
  QByteArray chords = vlq(0) + QByteArray("\xc1\x30", 2);
  const int roots[] = {48, 53, 55, 50};
  for (int i = 0; i < seconds / 4; ++i) {
    const int root = roots[i % 4];
    for (int k : {0, 4, 7}) chords += vlq(0) + QByteArray("\x91", 1) + char(root + k) + char(80);
    for (int j = 0; j < 3; ++j)
      chords += vlq(j ? 0 : 480 * 8) + QByteArray("\x81", 1) +
                char(root + (j == 0   ? 0
                             : j == 1 ? 4
                                      : 7)) +
                char(0);
  }
  chords += vlq(0) + QByteArray("\xff\x2f\x00", 3);
  return midiHeader(1, 2, 480) + midiTrack(seconds * 2, 480, 500000, 67) +
         midiChunk("MTrk", chords);
}

// Pumps until the monitor hears a sample above threshold; ms or -1.
double untilHeard(const SinkRecorder& mon, int limitMs, int threshold = 200) {
  const qint64 from = mon.sampleCount();
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < limitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    if (mon.firstLoud(from, threshold) >= 0) return double(t.nsecsElapsed()) / 1e6;
  }
  return -1;
}

void measure(MpvMediaPlayer& player, const QString& file, int seconds) {
  const char* name = seconds >= 3 * 3600 ? "3 h" : "1 h";
  SinkRecorder mon;
  mon.start();
  pump(300);
  resetPeak();
  const double before = statusMiB("VmRSS:");
  QElapsedTimer t;
  t.start();
  player.setUrl(file);
  while (!player.hasMedia() && t.elapsed() < 10000) pump(1);
  std::printf("%s: setUrl to loaded %.0f ms, duration %.3f s (song %d s + 1 s tail)\n", name,
              double(t.nsecsElapsed()) / 1e6, player.duration(), seconds);
  pump(500);
  int quiet = 0;
  for (const qint16 v : mon.samples()) quiet = std::max(quiet, std::abs(int(v)));
  t.restart();
  player.play();
  const double heard = untilHeard(mon, 3000);
  std::printf("%s: play to first sound at the sink %.0f ms (peak before play %d)\n", name, heard,
              quiet);
  pump(3000);
  for (double fraction : {0.25, 0.5, 0.95, 0.999, 0.01}) {
    const double target = std::min(fraction * seconds, player.duration() - 0.5);
    t.restart();
    player.setCurrentPosition(target);
    while (player.currentPosition() < target + 0.02 && t.elapsed() < 5000) pump(1);
    std::printf("%s: seek to %.0f s, playing on from there after %.0f ms\n", name, target,
                double(t.nsecsElapsed()) / 1e6 - 20);
    pump(1500);
  }
  player.setCurrentPosition(player.duration() - 1.5);
  t.restart();
  while (player.currentPosition() < player.duration() && t.elapsed() < 5000) pump(5);
  std::printf("%s: end reported %s (position %.3f of %.3f), %lld frames synthesised\n", name,
              player.currentPosition() >= player.duration() ? "yes" : "NO",
              player.currentPosition(), player.duration(), player.midiFramesRendered());
  std::printf("%s: resident set growth %.1f MiB, peak growth %.1f MiB (before %.1f MiB)\n", name,
              statusMiB("VmRSS:") - before, statusMiB("VmHWM:") - before, before);
  player.close();
}

void synthesisSeeks(const QString& file, bool effects) {
  QFile f(file);
  f.open(QIODevice::ReadOnly);
  const QByteArray smf = f.readAll();
  const auto timing = MidiTiming::parse(smf);
  const auto song = MidiSong::make(smf, *timing, defaultSoundFont(), effects);
  MidiSynthesis synthesis(song);
  std::atomic<bool> no{false};
  std::vector<qint16> out(MidiSong::kSampleRate * 2);
  synthesis.render(out.data(), 4096, no);  // the synthesiser is up
  for (double fraction : {0.1, 0.5, 0.99}) {
    const qint64 before = song->framesRendered();
    QElapsedTimer t;
    t.start();
    synthesis.seek(qint64(fraction * double(song->frames())), no);
    std::printf("3 h: synthesiser seek to %.0f%%%s: %.1f ms (%.1f s rendered silently)\n",
                fraction * 100, effects ? "" : " without effects", double(t.nsecsElapsed()) / 1e6,
                double(song->framesRendered() - before) / MidiSong::kSampleRate);
  }
}

// The whole song through mpv as fast as it can be synthesised (a null
// audio output that does not wait): the peak growth of the resident set over
// every hour of it.
void playThrough(const QString& file, const char* name) {
  QFile f(file);
  f.open(QIODevice::ReadOnly);
  const QByteArray smf = f.readAll();
  const auto timing = MidiTiming::parse(smf);
  MidiStreams streams;
  MpvSession session({{"config", "no"},
                      {"idle", "yes"},
                      {"keep-open", "yes"},
                      {"vo", "null"},
                      {"ao", "null"},
                      {"ao-null-untimed", "yes"}});
  streams.install(session.handle());
  const QByteArray url = streams.add(MidiSong::make(smf, *timing, defaultSoundFont()));
  pump(200);
  resetPeak();
  const double before = statusMiB("VmRSS:");
  QElapsedTimer t;
  t.start();
  session.commandAsync({"loadfile", url, "replace"});
  for (;;) {
    pump(250);
    const auto eof = session.getFlag("eof-reached");
    if ((eof.first && eof.second) || t.elapsed() > 600000) break;
  }
  std::printf("%s played through in %.1f s: peak resident set growth %.1f MiB (before %.1f MiB)\n",
              name, double(t.elapsed()) / 1000, statusMiB("VmHWM:") - before, before);
  session.command({"stop"});
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const QString shortSong = dir.filePath(QStringLiteral("short.mid"));
  const QString hour = dir.filePath(QStringLiteral("hour.mid"));
  const QString three = dir.filePath(QStringLiteral("three.mid"));
  writeFile(shortSong, longSong(8));
  writeFile(hour, longSong(3600));
  writeFile(three, longSong(3 * 3600));
  std::printf("files: 1 h %lld bytes, 3 h %lld bytes\n", QFile(hour).size(), QFile(three).size());
  if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || argc > 1) {
    std::printf("player figures skipped (they need the test sound server, PULSE_SERVER)\n");
  } else {
    auto made = createMediaPlayer({});
    auto* player = static_cast<MpvMediaPlayer*>(made.get());
    player->setVolume(100);
    // Warm: the core, the sound server's stream, the synthesiser and its font.
    player->setUrl(shortSong);
    for (int i = 0; i < 1000 && !player->hasMedia(); ++i) pump(5);
    player->play();
    pump(1500);
    player->close();
    measure(*player, hour, 3600);
    measure(*player, three, 3 * 3600);
  }
  playThrough(hour, "1 h");
  synthesisSeeks(three, true);
  synthesisSeeks(three, false);
  return 0;
}
