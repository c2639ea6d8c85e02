// libFuzzer target for the MIDI file reader: the timing check the player
// makes before it accepts a file, and the event reader the synthesiser plays
// from. Besides crashes, hangs and memory errors it checks that the events
// come in time order, within the song's length, with valid bytes, and the
// same again after a rewind.

#include "platform/media/midi_file.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace scenova::platform;

namespace {

[[noreturn]] void fault(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// Reads every event; returns how many there were.
qint64 walk(MidiEventReader& reader, QByteArrayView file, const MidiTiming* timing) {
  MidiEventReader::Event e;
  qint64 count = 0, lastTick = 0;
  double lastSeconds = 0;
  while (reader.next(&e)) {
    if (++count > file.size()) fault("more events than bytes");
    if (e.tick < lastTick) fault("events out of time order");
    lastTick = e.tick;
    if (e.status < 0x80 || e.status > 0xf0 || e.data1 < 0 || e.data1 > 0x7f || e.data2 < 0 ||
        e.data2 > 0x7f)
      fault("a byte out of range");
    if (!e.sysex.isEmpty() && (e.sysex.data() < file.data() ||
                               e.sysex.data() + e.sysex.size() > file.data() + file.size()))
      fault("system exclusive data outside the file");
    if (timing) {
      if (e.tick > timing->lastTick()) fault("an event after the song's end");
      const double seconds = timing->secondsAt(e.tick);
      if (!std::isfinite(seconds) || seconds < lastSeconds) fault("time runs backwards");
      lastSeconds = seconds;
    }
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString why;
  const auto timing = MidiTiming::parse(file, &why);
  if (!timing && why.isEmpty()) fault("refused without a reason");
  if (timing) {
    const double duration = timing->durationSeconds();
    if (!std::isfinite(duration) || duration < 0) fault("a duration that is not a time");
    if (timing->tickAt(duration) > timing->lastTick() + 1 && duration < 1e12)
      fault("the tick at the end lies after the last tick");
  }
  // The event reader also runs on files the timing check refused: it must
  // stay inside them.
  MidiEventReader reader(file);
  const qint64 first = walk(reader, file, timing ? &*timing : nullptr);
  reader.rewind();
  if (walk(reader, file, timing ? &*timing : nullptr) != first) fault("a rewind changed the song");
  return 0;
}
