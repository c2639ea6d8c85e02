#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

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

}  // namespace scenova::platform
