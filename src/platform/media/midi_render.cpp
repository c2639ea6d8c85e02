#include "midi_render.h"

#include <QFile>

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace scenova::platform {

namespace {

// FluidSynth prints its warnings to stderr by default; keep only errors,
// routed through Qt's log.
void quietLog(int level, const char* message, void*) {
  if (level <= FLUID_ERR) qWarning("fluidsynth: %s", message);
}

void setUpLogging() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, &quietLog, nullptr);
  });
}

}  // namespace

// A synthesiser with its soundfont loaded. Reading the font's preset table
// takes 40-70 ms, so the last one used is kept for the next song.
struct FluidInstance {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  QString soundFont;
  ~FluidInstance() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

namespace {

std::unique_ptr<FluidInstance> makeSynth(const QString& soundFont) {
  auto s = std::make_unique<FluidInstance>();
  s->soundFont = soundFont;
  s->settings = new_fluid_settings();
  if (!s->settings) return nullptr;
  fluid_settings_setnum(s->settings, "synth.sample-rate", MidiSong::kSampleRate);
  // Samples of a preset are read when a program first selects it: opening the
  // 140 MB General MIDI font then takes tens of milliseconds, not a second.
  fluid_settings_setint(s->settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setint(s->settings, "synth.lock-memory", 0);
  fluid_settings_setint(s->settings, "synth.threadsafe-api", 0);
  fluid_settings_setnum(s->settings, "synth.gain", 0.5);
  s->synth = new_fluid_synth(s->settings);
  if (!s->synth) return nullptr;
  const QByteArray path = QFile::encodeName(soundFont);
  if (fluid_synth_sfload(s->synth, path.constData(), 1) == FLUID_FAILED) return nullptr;
  return s;
}

std::mutex spareMutex;
std::unique_ptr<FluidInstance> spare;  // an idle synthesiser, ready for the next song

std::unique_ptr<FluidInstance> takeSynth(const QString& soundFont) {
  {
    std::lock_guard lock(spareMutex);
    if (spare && spare->soundFont == soundFont) return std::move(spare);
  }
  return makeSynth(soundFont);
}

void giveBack(std::unique_ptr<FluidInstance> s) {
  fluid_synth_system_reset(s->synth);
  std::lock_guard lock(spareMutex);
  spare = std::move(s);
}

}  // namespace

QString defaultSoundFont() {
  return QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
}

// ---------------------------------------------------------------------------

std::shared_ptr<MidiSong> MidiSong::make(QByteArray smf, const MidiTiming& timing,
                                         QString soundFont, bool effects) {
  const double seconds = timing.durationSeconds() + kTailSeconds;
  if (!(seconds <= kMaxSeconds)) return nullptr;
  const qint64 blocks = qint64(std::ceil(seconds * kSampleRate / kBlockFrames));
  std::shared_ptr<MidiSong> song(
      new MidiSong(std::move(smf), timing, std::move(soundFont), blocks * kBlockFrames));
  song->effects_ = effects;
  return song;
}

qint64 MidiSong::frameAt(qint64 tick) const {
  const qint64 frame = std::llround(timing_.secondsAt(tick) * kSampleRate);
  return std::clamp<qint64>(frame - frame % kBlockFrames, 0, frames_);
}

// ---------------------------------------------------------------------------

namespace {

constexpr qint64 kStepFrames = 4096;  // frames per call into the synthesiser
// Real music has a few hundred events in a 64-frame block at the very most;
// a file of millions of notes at one instant would otherwise hold the reader
// for a minute (12 us a note).
constexpr int kMaxEventsPerBlock = 1024;
// How many events a walk through the file reads between looks at its cancel
// flag.
constexpr int kEventsBetweenChecks = 4096;
constexpr int kFlushBlocks = 4 * MidiSong::kSampleRate / MidiSong::kBlockFrames;  // 4 s at most

bool isNoteOn(const MidiEventReader::Event& e) {
  return (e.status & 0xf0) == 0x90 && e.data2 > 0;
}
bool isNoteOff(const MidiEventReader::Event& e) {
  return (e.status & 0xf0) == 0x80 || ((e.status & 0xf0) == 0x90 && e.data2 == 0);
}
bool isController(const MidiEventReader::Event& e, int number) {
  return (e.status & 0xf0) == 0xb0 && e.data1 == number;
}

// Controllers whose effect depends on what was sent before them (bank
// selects apply at the next program change, data entry to the selected
// parameter, channel mode messages act at once): replayed in order. Every
// other controller only leaves its last value.
bool isOrderedController(int number) {
  return number == 0 || number == 32 || number == 6 || number == 38 ||
         (number >= 96 && number <= 101) || number >= 120;
}

// The last value of each stateful message per channel, sent in one go.
class DeferredState {
 public:
  DeferredState() { clear(); }
  void clear() {
    for (Channel& c : channels_) {
      c.cc.fill(-1);
      c.keyPressure.fill(-1);
      c.pitchBend = c.pressure = -1;
      c.dirty = false;
    }
  }
  // False when the event has to be sent in order.
  bool take(const MidiEventReader::Event& e) {
    Channel& c = channels_[size_t(e.status & 0x0f)];
    switch (e.status & 0xf0) {
      case 0xb0:
        if (isOrderedController(e.data1)) return false;
        c.cc[size_t(e.data1)] = qint16(e.data2);
        break;
      case 0xe0:
        c.pitchBend = e.data1 | (e.data2 << 7);
        break;
      case 0xd0:
        c.pressure = e.data1;
        break;
      case 0xa0:
        c.keyPressure[size_t(e.data1)] = qint16(e.data2);
        break;
      default:
        return false;
    }
    c.dirty = true;
    return true;
  }
  void flush(fluid_synth_t* synth, int channel) {
    Channel& c = channels_[size_t(channel)];
    if (!c.dirty) return;
    for (int i = 0; i < 128; ++i) {
      if (c.cc[size_t(i)] >= 0) fluid_synth_cc(synth, channel, i, c.cc[size_t(i)]);
      if (c.keyPressure[size_t(i)] >= 0)
        fluid_synth_key_pressure(synth, channel, i, c.keyPressure[size_t(i)]);
    }
    if (c.pitchBend >= 0) fluid_synth_pitch_bend(synth, channel, c.pitchBend);
    if (c.pressure >= 0) fluid_synth_channel_pressure(synth, channel, c.pressure);
    c.cc.fill(-1);
    c.keyPressure.fill(-1);
    c.pitchBend = c.pressure = -1;
    c.dirty = false;
  }
  void flushAll(fluid_synth_t* synth) {
    for (int ch = 0; ch < 16; ++ch) flush(synth, ch);
  }

 private:
  struct Channel {
    std::array<qint16, 128> cc;
    std::array<qint16, 128> keyPressure;
    int pitchBend = -1, pressure = -1;
    bool dirty = false;
  };
  std::array<Channel, 16> channels_;
};

}  // namespace

MidiSynthesis::MidiSynthesis(std::shared_ptr<MidiSong> song)
    : song_(std::move(song)), events_(song_->smf()) {
  setUpLogging();
}

MidiSynthesis::~MidiSynthesis() {
  if (synth_) giveBack(std::move(synth_));
}

bool MidiSynthesis::ensureSynth() {
  if (synth_) return true;
  synth_ = takeSynth(song_->soundFont());
  if (!synth_) {
    error_ = QStringLiteral("the sound font %1 did not load").arg(song_->soundFont());
    return false;
  }
  setEffects(song_->effects());
  left_.resize(kStepFrames);
  right_.resize(kStepFrames);
  return true;
}

void MidiSynthesis::fetchEvent() {
  pendingFrame_ = events_.next(&pending_) ? song_->frameAt(pending_.tick) : -1;
}

void MidiSynthesis::send(const MidiEventReader::Event& e) {
  fluid_synth_t* s = synth_->synth;
  const int ch = e.status & 0x0f;
  switch (e.status & 0xf0) {
    case 0x80:
      fluid_synth_noteoff(s, ch, e.data1);
      break;
    case 0x90:
      fluid_synth_noteon(s, ch, e.data1, e.data2);  // velocity 0 is a note off
      break;
    case 0xa0:
      fluid_synth_key_pressure(s, ch, e.data1, e.data2);
      break;
    case 0xb0:
      fluid_synth_cc(s, ch, e.data1, e.data2);
      break;
    case 0xc0:
      fluid_synth_program_change(s, ch, e.data1);
      break;
    case 0xd0:
      fluid_synth_channel_pressure(s, ch, e.data1);
      break;
    case 0xe0:
      fluid_synth_pitch_bend(s, ch, e.data1 | (e.data2 << 7));
      break;
    case 0xf0:
      if (!e.sysex.isEmpty())
        fluid_synth_sysex(s, e.sysex.data(), int(e.sysex.size()), nullptr, nullptr, nullptr, 0);
      break;
    default:
      break;
  }
}

// Where the silent rendering before target begins: kSettleSeconds before it,
// or where the earliest note still sounding in those seconds began.
qint64 MidiSynthesis::preRollStart(qint64 target, const std::atomic<bool>& cancel) {
  const qint64 settle = target - qint64(kSettleSeconds * MidiSong::kSampleRate);
  qint64 start = settle;
  std::array<std::array<qint64, 128>, 16> heldSince;  // -1: key up
  std::array<qint64, 16> sustainedSince;              // notes kept by the pedal
  std::array<bool, 16> pedal{};
  for (auto& keys : heldSince) keys.fill(-1);
  sustainedSince.fill(-1);
  const auto release = [&](int ch, int key, qint64 at) {
    qint64& since = heldSince[size_t(ch)][size_t(key)];
    if (since < 0) return;
    if (pedal[size_t(ch)]) {
      qint64& kept = sustainedSince[size_t(ch)];
      kept = kept < 0 ? since : std::min(kept, since);
    } else if (at > settle) {
      start = std::min(start, since);
    }
    since = -1;
  };
  const auto pedalUp = [&](int ch, qint64 at) {
    qint64& kept = sustainedSince[size_t(ch)];
    if (kept >= 0 && at > settle) start = std::min(start, kept);
    kept = -1;
    pedal[size_t(ch)] = false;
  };
  events_.rewind();
  MidiEventReader::Event e;
  for (int read = 1; events_.next(&e); ++read) {
    if (read % kEventsBetweenChecks == 0 && stopped(cancel)) return -1;
    const qint64 at = song_->frameAt(e.tick);
    if (at >= target) break;
    const int ch = e.status & 0x0f;
    if (isNoteOn(e)) {
      qint64& since = heldSince[size_t(ch)][size_t(e.data1)];
      if (since < 0) since = at;
    } else if (isNoteOff(e)) {
      release(ch, e.data1, at);
    } else if (isController(e, 64)) {
      if (e.data2 >= 64)
        pedal[size_t(ch)] = true;
      else
        pedalUp(ch, at);
    } else if (isController(e, 123) || isController(e, 120) || isController(e, 121)) {
      if (!isController(e, 121))
        for (int key = 0; key < 128; ++key) release(ch, key, at);
      if (!isController(e, 123)) pedalUp(ch, at);
    }
  }
  for (int ch = 0; ch < 16; ++ch) {
    for (qint64 since : heldSince[size_t(ch)])
      if (since >= 0) start = std::min(start, since);
    if (sustainedSince[size_t(ch)] >= 0) start = std::min(start, sustainedSince[size_t(ch)]);
  }
  const qint64 earliest = target - qint64(kMaxPreRollSeconds * MidiSong::kSampleRate);
  start = std::max({start, earliest, qint64(0)});
  return start - start % MidiSong::kBlockFrames;
}

// Puts the synthesiser in the state an uninterrupted rendering has at start:
// every message before it applied (notes aside), keys still down struck again.
bool MidiSynthesis::replayStateBefore(qint64 start, const std::atomic<bool>& cancel) {
  fluid_synth_t* s = synth_->synth;
  fluid_synth_system_reset(s);
  // Voices cut by the reset still fade for a moment: let them finish off
  // the timeline, then start from a clean state.
  for (int i = 0; i < kFlushBlocks && fluid_synth_get_active_voice_count(s) > 0; ++i)
    fluid_synth_write_float(s, MidiSong::kBlockFrames, left_.data(), 0, 1, right_.data(), 0, 1);
  fluid_synth_system_reset(s);
  std::array<std::array<quint8, 128>, 16> velocity{};  // 0: key up
  DeferredState deferred;
  events_.rewind();
  fetchEvent();
  for (int read = 1; pendingFrame_ >= 0 && pendingFrame_ < start; ++read, fetchEvent()) {
    if (read % kEventsBetweenChecks == 0 && stopped(cancel)) return false;
    const MidiEventReader::Event& e = pending_;
    const int ch = e.status & 0x0f;
    if (isNoteOn(e)) {
      velocity[size_t(ch)][size_t(e.data1)] = quint8(e.data2);
    } else if (isNoteOff(e)) {
      velocity[size_t(ch)][size_t(e.data1)] = 0;
    } else if (!deferred.take(e)) {
      if (e.status == 0xf0)
        deferred.flushAll(s);
      else
        deferred.flush(s, ch);
      if (isController(e, 120) || isController(e, 123)) velocity[size_t(ch)].fill(0);
      send(e);
    }
  }
  deferred.flushAll(s);
  for (int ch = 0; ch < 16; ++ch)
    for (int key = 0; key < 128; ++key)
      if (const int v = velocity[size_t(ch)][size_t(key)]) fluid_synth_noteon(s, ch, key, v);
  return true;
}

bool MidiSynthesis::seek(qint64 frame, const std::atomic<bool>& cancel) {
  if (!ensureSynth()) return false;
  frame = std::clamp<qint64>(frame, 0, song_->frames());
  frame -= frame % MidiSong::kBlockFrames;
  if (frame == pos_) return true;
  pos_ = -1;  // until the state is replayed
  const qint64 start = preRollStart(frame, cancel);
  if (start < 0 || !replayStateBefore(start, cancel)) return false;
  pos_ = start;
  // The effects' modulation cannot be replayed anyway: they only take in
  // the last moments before the target, which saves a third of the time.
  qint64 effectsFrom = frame - qint64(kEffectsSeconds * MidiSong::kSampleRate);
  effectsFrom = std::max(start, effectsFrom - effectsFrom % MidiSong::kBlockFrames);
  setEffects(false);
  while (pos_ < frame) {
    if (pos_ >= effectsFrom) setEffects(song_->effects());
    const qint64 until = pos_ < effectsFrom ? effectsFrom : frame;
    const qint64 n = render(nullptr, std::min(until - pos_, kStepFrames), cancel);
    if (n <= 0) {
      pos_ = -1;  // somewhere in between: the next seek starts over
      return false;
    }
  }
  setEffects(song_->effects());
  return true;
}

bool MidiSynthesis::stopped(const std::atomic<bool>& cancel) {
  if (!cancel.load(std::memory_order_relaxed) && !song_->abandoned()) return false;
  error_ = QStringLiteral("cancelled");
  return true;
}

void MidiSynthesis::setEffects(bool on) {
  fluid_synth_reverb_on(synth_->synth, -1, on);
  fluid_synth_chorus_on(synth_->synth, -1, on);
}

qint64 MidiSynthesis::render(qint16* out, qint64 count, const std::atomic<bool>& cancel) {
  if (pos_ < 0 && !seek(0, cancel)) return -1;
  count -= count % MidiSong::kBlockFrames;
  const qint64 end = std::min(pos_ + count, song_->frames());
  qint64 done = 0;
  while (pos_ < end) {
    if (stopped(cancel)) return -1;
    // A block takes a bounded number of events; more (only a broken or
    // hostile file has them) wait for the next blocks.
    for (int sent = 0; pendingFrame_ >= 0 && pendingFrame_ <= pos_ && sent < kMaxEventsPerBlock;
         ++sent, fetchEvent())
      send(pending_);
    qint64 until = std::min(end, pos_ + kStepFrames);
    if (pendingFrame_ >= 0)
      until = std::min(until, std::max(pendingFrame_, pos_ + MidiSong::kBlockFrames));
    const int n = int(until - pos_);
    if (fluid_synth_write_float(synth_->synth, n, left_.data(), 0, 1, right_.data(), 0, 1) !=
        FLUID_OK) {
      error_ = QStringLiteral("the synthesiser failed");
      return -1;
    }
    if (out) {
      qint16* at = out + 2 * done;
      for (int i = 0; i < n; ++i) {
        at[2 * i] = qint16(std::clamp(std::lrint(left_[size_t(i)] * 32767.0f), -32768L, 32767L));
        at[2 * i + 1] =
            qint16(std::clamp(std::lrint(right_[size_t(i)] * 32767.0f), -32768L, 32767L));
      }
    }
    pos_ = until;
    done += n;
    song_->countRendered(n);
  }
  return done;
}

}  // namespace scenova::platform
