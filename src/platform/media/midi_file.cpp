#include "midi_file.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace scenova::platform {

namespace {

// Sequential reader over the file's bytes; every read checks the bounds.
class Reader {
 public:
  Reader(QByteArrayView data, qsizetype begin, qsizetype end) : d_(data), pos_(begin), end_(end) {}

  bool atEnd() const { return pos_ >= end_; }
  qsizetype pos() const { return pos_; }
  qsizetype left() const { return end_ - pos_; }

  bool u8(int* out) {
    if (pos_ >= end_) return false;
    *out = static_cast<unsigned char>(d_[pos_++]);
    return true;
  }
  bool u16(int* out) {
    int hi = 0, lo = 0;
    if (!u8(&hi) || !u8(&lo)) return false;
    *out = (hi << 8) | lo;
    return true;
  }
  bool u32(quint32* out) {
    quint32 v = 0;
    for (int i = 0; i < 4; ++i) {
      int b = 0;
      if (!u8(&b)) return false;
      v = (v << 8) | quint32(b);
    }
    *out = v;
    return true;
  }
  // A variable-length quantity: at most four bytes, seven bits each.
  bool vlq(quint32* out) {
    quint32 v = 0;
    for (int i = 0; i < 4; ++i) {
      int b = 0;
      if (!u8(&b)) return false;
      v = (v << 7) | quint32(b & 0x7f);
      if (!(b & 0x80)) {
        *out = v;
        return true;
      }
    }
    return false;
  }
  bool tag(const char (&id)[5]) {
    if (left() < 4) return false;
    const bool same = d_.sliced(pos_, 4) == QByteArrayView(id, 4);
    pos_ += 4;
    return same;
  }
  bool skip(qint64 n) {
    if (n < 0 || n > left()) return false;
    pos_ += qsizetype(n);
    return true;
  }
  bool bytes(qint64 n, QByteArrayView* out) {
    if (n < 0 || n > left()) return false;
    *out = d_.sliced(pos_, qsizetype(n));
    pos_ += qsizetype(n);
    return true;
  }

 private:
  QByteArrayView d_;
  qsizetype pos_;
  qsizetype end_;
};

int channelDataBytes(int status) {
  const int kind = status & 0xf0;
  return (kind == 0xc0 || kind == 0xd0) ? 1 : 2;
}

struct TrackResult {
  qint64 lastTick = 0;
  bool hasNotes = false;
};

// Walks one track's events. Tempo changes go to tempos.
bool readTrack(Reader& r, TrackResult* out, QList<MidiTiming::Tempo>* tempos, QString* error) {
  qint64 tick = 0;
  int running = 0;
  while (!r.atEnd()) {
    quint32 delta = 0;
    int status = 0;
    if (!r.vlq(&delta) || !r.u8(&status)) {
      *error = QStringLiteral("an event runs past the end of its track");
      return false;
    }
    tick += delta;
    if (status == 0xff) {
      int type = 0;
      quint32 len = 0;
      QByteArrayView data;
      if (!r.u8(&type) || !r.vlq(&len) || !r.bytes(len, &data)) {
        *error = QStringLiteral("a meta event runs past the end of its track");
        return false;
      }
      running = 0;
      if (type == 0x51) {
        if (len != 3) {
          *error = QStringLiteral("a tempo event is not three bytes long");
          return false;
        }
        const qint64 us =
            (qint64(uchar(data[0])) << 16) | (qint64(uchar(data[1])) << 8) | qint64(uchar(data[2]));
        if (us == 0) {
          *error = QStringLiteral("a tempo of zero");
          return false;
        }
        if (tempos->size() >= MidiTiming::kMaxTempoChanges) {
          *error = QStringLiteral("more than %1 tempo changes").arg(MidiTiming::kMaxTempoChanges);
          return false;
        }
        tempos->append({tick, us, 0});
      } else if (type == 0x2f) {
        break;  // end of track; anything after it is ignored
      }
    } else if (status == 0xf0 || status == 0xf7) {
      quint32 len = 0;
      if (!r.vlq(&len) || !r.skip(len)) {
        *error = QStringLiteral("a system exclusive message runs past the end of its track");
        return false;
      }
      running = 0;
    } else if (status >= 0xf0) {
      *error = QStringLiteral("a system message that does not belong in a file");
      return false;
    } else {
      int first = status;
      if (status < 0x80) {
        if (!running) {
          *error = QStringLiteral("a data byte without a status byte");
          return false;
        }
        status = running;
      } else {
        running = status;
        if (!r.u8(&first)) {
          *error = QStringLiteral("a channel message runs past the end of its track");
          return false;
        }
      }
      int second = 0;
      if (channelDataBytes(status) == 2 && !r.u8(&second)) {
        *error = QStringLiteral("a channel message runs past the end of its track");
        return false;
      }
      if (first > 0x7f || second > 0x7f) {
        *error = QStringLiteral("a data byte above 127");
        return false;
      }
      if ((status & 0xf0) == 0x90 && second > 0) out->hasNotes = true;
    }
  }
  out->lastTick = tick;
  return true;
}

}  // namespace

std::optional<MidiTiming> MidiTiming::parse(QByteArrayView file, QString* error) {
  QString why;
  auto fail = [&](const QString& text) -> std::optional<MidiTiming> {
    if (error) *error = text;
    return std::nullopt;
  };
  Reader r(file, 0, file.size());
  quint32 headerLen = 0;
  if (!r.tag("MThd") || !r.u32(&headerLen) || headerLen < 6 || headerLen > quint32(r.left()))
    return fail(QStringLiteral("not a MIDI file (no valid MThd header)"));
  MidiTiming t;
  int tracks = 0, division = 0;
  r.u16(&t.format_);
  r.u16(&tracks);
  r.u16(&division);
  r.skip(headerLen - 6);
  if (t.format_ > 2) return fail(QStringLiteral("unknown MIDI file format %1").arg(t.format_));
  if (tracks == 0) return fail(QStringLiteral("the file holds no tracks"));
  if (division & 0x8000) return fail(QStringLiteral("SMPTE time division is not supported"));
  if (division == 0) return fail(QStringLiteral("a time division of zero"));
  t.tracks_ = tracks;
  t.division_ = division;

  QList<Tempo> tempos;
  for (int found = 0; found < tracks;) {
    if (r.left() < 8)
      return fail(QStringLiteral("track %1 of %2 is missing").arg(found + 1).arg(tracks));
    const bool isTrack = r.tag("MTrk");
    quint32 len = 0;
    r.u32(&len);
    if (len > quint32(r.left()))
      return fail(QStringLiteral("track %1 is cut short").arg(found + 1));
    if (!isTrack) {  // unknown chunks are skipped
      r.skip(len);
      continue;
    }
    Reader track(file, r.pos(), r.pos() + qsizetype(len));
    TrackResult result;
    if (!readTrack(track, &result, &tempos, &why))
      return fail(QStringLiteral("track %1: %2").arg(found + 1).arg(why));
    t.lastTick_ = std::max(t.lastTick_, result.lastTick);
    t.hasNotes_ = t.hasNotes_ || result.hasNotes;
    r.skip(len);
    ++found;
  }

  // One tempo map for the whole song, starting at the default 120 bpm; a
  // later change at the same tick wins, as it is applied last.
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
  t.tempos_.append({0, 500000, 0});
  for (const Tempo& change : tempos) {
    Tempo& last = t.tempos_.last();
    if (change.tick == last.tick) {
      last.microsPerQuarter = change.microsPerQuarter;
      continue;
    }
    const double at = last.seconds + double(change.tick - last.tick) *
                                         double(last.microsPerQuarter) / 1e6 / division;
    t.tempos_.append({change.tick, change.microsPerQuarter, at});
  }
  return t;
}

double MidiTiming::secondsAt(qint64 tick) const {
  if (tempos_.isEmpty() || division_ <= 0) return 0;
  tick = std::max<qint64>(tick, 0);
  auto it = std::upper_bound(tempos_.begin(), tempos_.end(), tick,
                             [](qint64 value, const Tempo& t) { return value < t.tick; });
  const Tempo& seg = *(it - 1);
  return seg.seconds + double(tick - seg.tick) * double(seg.microsPerQuarter) / 1e6 / division_;
}

qint64 MidiTiming::tickAt(double seconds) const {
  if (tempos_.isEmpty() || division_ <= 0 || !(seconds > 0)) return 0;
  auto it = std::upper_bound(tempos_.begin(), tempos_.end(), seconds,
                             [](double value, const Tempo& t) { return value < t.seconds; });
  const Tempo& seg = *(it - 1);
  const double ticks = (seconds - seg.seconds) * 1e6 * division_ / double(seg.microsPerQuarter);
  return seg.tick + qint64(std::llround(ticks));
}

// ---------------------------------------------------------------------------

MidiEventReader::MidiEventReader(QByteArrayView file) : file_(file) {
  Reader r(file, 0, file.size());
  quint32 headerLen = 0;
  int format = 0, tracks = 0;
  if (!r.tag("MThd") || !r.u32(&headerLen) || headerLen < 6 || !r.u16(&format) || !r.u16(&tracks) ||
      !r.skip(qint64(headerLen) - 4))
    return;
  while (int(tracks_.size()) < tracks && r.left() >= 8) {
    const bool isTrack = r.tag("MTrk");
    quint32 len = 0;
    r.u32(&len);
    const qsizetype begin = r.pos();
    const qsizetype end = begin + qsizetype(std::min<qint64>(len, r.left()));
    if (isTrack) tracks_.push_back({begin, end, begin, 0, 0});
    r.skip(end - begin);
  }
  rewind();
}

void MidiEventReader::rewind() {
  heap_.clear();
  for (int i = 0; i < int(tracks_.size()); ++i) {
    Track& t = tracks_[size_t(i)];
    t.pos = t.begin;
    t.tick = 0;
    t.running = 0;
    if (advance(t)) pushTrack(i);
  }
}

void MidiEventReader::pushTrack(int index) {
  heap_.emplace_back(tracks_[size_t(index)].tick, index);
  std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
}

bool MidiEventReader::advance(Track& t) {
  Reader r(file_, t.pos, t.end);
  for (;;) {
    quint32 delta = 0;
    int status = 0;
    if (!r.vlq(&delta)) return false;
    const qint64 tick = t.tick + delta;
    const qsizetype at = r.pos();
    if (!r.u8(&status)) return false;
    t.tick = tick;
    if (status == 0xff) {
      int type = 0;
      quint32 len = 0;
      if (!r.u8(&type) || !r.vlq(&len) || !r.skip(len) || type == 0x2f) return false;
      t.running = 0;
    } else if (status == 0xf7) {  // an escaped packet: nothing a synthesiser plays
      quint32 len = 0;
      if (!r.vlq(&len) || !r.skip(len)) return false;
      t.running = 0;
    } else {
      t.pos = at;
      return true;
    }
  }
}

bool MidiEventReader::readEvent(Track& t, Event* out) {
  Reader r(file_, t.pos, t.end);
  int status = 0, first = 0, second = 0;
  if (!r.u8(&status)) return false;
  if (status == 0xf0) {
    quint32 len = 0;
    QByteArrayView data;
    if (!r.vlq(&len) || !r.bytes(len, &data)) return false;
    if (data.endsWith('\xf7')) data.chop(1);
    t.running = 0;
    *out = {t.tick, status, 0, 0, data};
    t.pos = r.pos();
    return true;
  }
  if (status > 0xf0) return false;
  if (status < 0x80) {
    if (!t.running) return false;
    first = status;
    status = t.running;
  } else {
    t.running = status;
    if (!r.u8(&first)) return false;
  }
  if (channelDataBytes(status) == 2 && !r.u8(&second)) return false;
  if (first > 0x7f || second > 0x7f) return false;
  *out = {t.tick, status, first, second, {}};
  t.pos = r.pos();
  return true;
}

bool MidiEventReader::next(Event* out) {
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
    const int index = heap_.back().second;
    heap_.pop_back();
    Track& t = tracks_[size_t(index)];
    const bool ok = readEvent(t, out);
    if (ok && advance(t)) pushTrack(index);
    if (ok) return true;  // else the rest of that track does not parse: it ends there
  }
  return false;
}

}  // namespace scenova::platform
