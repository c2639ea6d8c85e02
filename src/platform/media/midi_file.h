#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace scenova::platform {

// The timing of a Standard MIDI File: what the synthesiser needs checked
// before it is given the file, and the tick/second conversions that its own
// player does not offer. Only metrical (ticks per quarter note) files are
// accepted, as the synthesiser plays no others.
class MidiTiming {
 public:
  struct Tempo {
    qint64 tick = 0;
    qint64 microsPerQuarter = 500000;
    double seconds = 0;  // time at which this tempo starts
  };

  // More tempo changes than this (a tempo every 20 ms for three hours) are
  // refused: the map is kept while the song plays.
  static constexpr qsizetype kMaxTempoChanges = 500000;

  // Reads the header and every track, walking every event so that a file the
  // synthesiser would reject (or play wrongly) is refused here. On failure
  // returns nothing and, when error is given, says why.
  static std::optional<MidiTiming> parse(QByteArrayView file, QString* error = nullptr);

  int format() const { return format_; }
  int trackCount() const { return tracks_; }
  int division() const { return division_; }  // ticks per quarter note
  qint64 lastTick() const { return lastTick_; }
  bool hasNotes() const { return hasNotes_; }
  const QList<Tempo>& tempoMap() const { return tempos_; }

  double secondsAt(qint64 tick) const;
  qint64 tickAt(double seconds) const;
  // The time of the last event of the longest track.
  double durationSeconds() const { return secondsAt(lastTick_); }

 private:
  int format_ = 0;
  int tracks_ = 0;
  int division_ = 0;
  qint64 lastTick_ = 0;
  bool hasNotes_ = false;
  QList<Tempo> tempos_;
};

// The channel and system exclusive events of a Standard MIDI File, all
// tracks merged in time order (at one tick: by track, then as written).
// Meta events are skipped: timing comes from MidiTiming. The reader keeps a
// cursor per track, never a list of events, so a song of any length takes
// the same memory. The file must outlive the reader; bytes that do not
// parse end the track they are in.
class MidiEventReader {
 public:
  struct Event {
    qint64 tick = 0;
    int status = 0;  // 0x80..0xef, or 0xf0 for system exclusive
    int data1 = 0;
    int data2 = 0;
    QByteArrayView sysex;  // after the 0xf0, without the closing 0xf7
  };

  explicit MidiEventReader(QByteArrayView file);
  // Back to the start of the song.
  void rewind();
  // The next event; false at the end of the song.
  bool next(Event* out);

 private:
  struct Track {
    qsizetype begin = 0, end = 0;
    qsizetype pos = 0;
    qint64 tick = 0;  // of the event at pos
    int running = 0;
  };
  bool advance(Track& t);  // reads the next delta time; false at the track's end
  bool readEvent(Track& t, Event* out);
  void pushTrack(int index);

  QByteArrayView file_;
  std::vector<Track> tracks_;
  std::vector<std::pair<qint64, int>> heap_;  // (tick, track), smallest first
};

}  // namespace scenova::platform
