#include "midi_render.h"

#include <QFile>
#include <QtEndian>

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
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

void writeHeader(char* out, qint64 dataBytes) {
  const auto le32 = [](char* at, quint32 v) { qToLittleEndian<quint32>(v, at); };
  const auto le16 = [](char* at, quint16 v) { qToLittleEndian<quint16>(v, at); };
  std::memcpy(out, "RIFF", 4);
  le32(out + 4, quint32(36 + dataBytes));
  std::memcpy(out + 8, "WAVEfmt ", 8);
  le32(out + 16, 16);
  le16(out + 20, 1);  // PCM
  le16(out + 22, 2);  // channels
  le32(out + 24, PcmBuffer::kSampleRate);
  le32(out + 28, PcmBuffer::kSampleRate * PcmBuffer::kBytesPerFrame);
  le16(out + 32, PcmBuffer::kBytesPerFrame);
  le16(out + 34, 16);  // bits per sample
  std::memcpy(out + 36, "data", 4);
  le32(out + 40, quint32(dataBytes));
}

// A synthesiser with its soundfont loaded. Reading the font's preset table
// takes 40-70 ms, so the last one used is kept for the next song.
struct Synth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  QString soundFont;
  ~Synth() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

std::unique_ptr<Synth> makeSynth(const QString& soundFont) {
  auto s = std::make_unique<Synth>();
  s->soundFont = soundFont;
  s->settings = new_fluid_settings();
  if (!s->settings) return nullptr;
  // The player advances with the rendered samples, not the wall clock.
  fluid_settings_setstr(s->settings, "player.timing-source", "sample");
  fluid_settings_setnum(s->settings, "synth.sample-rate", PcmBuffer::kSampleRate);
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
std::unique_ptr<Synth> spare;  // an idle synthesiser, ready for the next song

std::unique_ptr<Synth> takeSynth(const QString& soundFont) {
  {
    std::lock_guard lock(spareMutex);
    if (spare && spare->soundFont == soundFont) return std::move(spare);
  }
  return makeSynth(soundFont);
}

void giveBack(std::unique_ptr<Synth> s) {
  fluid_synth_system_reset(s->synth);
  std::lock_guard lock(spareMutex);
  spare = std::move(s);
}

// A song's player on a borrowed synthesiser; deleted before it is given back.
struct Player {
  fluid_player_t* player = nullptr;
  ~Player() {
    if (!player) return;
    fluid_player_stop(player);
    delete_fluid_player(player);
  }
};

bool startPlayer(Player& p, fluid_synth_t* synth, const QByteArray& smf) {
  p.player = new_fluid_player(synth);
  if (!p.player) return false;
  if (fluid_player_add_mem(p.player, smf.constData(), size_t(smf.size())) != FLUID_OK) return false;
  return fluid_player_play(p.player) == FLUID_OK;
}

}  // namespace

QString defaultSoundFont() {
  return QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
}

// ---------------------------------------------------------------------------

PcmBuffer::PcmBuffer(qint64 frames)
    : data_(std::make_unique_for_overwrite<char[]>(size_t(kHeaderBytes + frames * kBytesPerFrame))),
      size_(kHeaderBytes + frames * kBytesPerFrame) {
  writeHeader(data_.get(), frames * kBytesPerFrame);
  written_ = kHeaderBytes;
}

qint64 PcmBuffer::written() const {
  return written_.load(std::memory_order_acquire);
}

void PcmBuffer::publish(qint64 bytes) {
  {
    std::lock_guard lock(mutex_);
    written_.store(std::min(size_, written_.load(std::memory_order_relaxed) + bytes),
                   std::memory_order_release);
  }
  cond_.notify_all();
}

void PcmBuffer::fail() {
  {
    std::lock_guard lock(mutex_);
    failed_ = true;
  }
  cond_.notify_all();
}

void PcmBuffer::wakeReaders() {
  { std::lock_guard lock(mutex_); }
  cond_.notify_all();
}

qint64 PcmBuffer::read(qint64 pos, char* out, qint64 max, const std::atomic<bool>& cancelled) {
  if (pos < 0 || max <= 0) return -1;
  if (pos >= size_) return 0;
  qint64 available = 0;
  {
    std::unique_lock lock(mutex_);
    cond_.wait(lock, [&] {
      return written_.load(std::memory_order_relaxed) > pos || failed_ || cancelled.load();
    });
    available = written_.load(std::memory_order_relaxed) - pos;
    if (available <= 0) return -1;  // failed or cancelled before the bytes came
  }
  const qint64 n = std::min(max, available);
  std::memcpy(out, data_.get() + pos, size_t(n));
  return n;
}

bool PcmBuffer::waitComplete(int timeoutMs) const {
  std::unique_lock lock(mutex_);
  cond_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                 [&] { return written_.load(std::memory_order_relaxed) >= size_ || failed_; });
  return written_.load(std::memory_order_relaxed) >= size_;
}

// ---------------------------------------------------------------------------

std::unique_ptr<MidiRender> MidiRender::start(const QByteArray& smf, const MidiTiming& timing,
                                              const QString& soundFont) {
  const double seconds = timing.durationSeconds() + kTailSeconds;
  if (!(seconds <= kMaxSeconds)) return nullptr;
  setUpLogging();
  std::unique_ptr<MidiRender> render(new MidiRender);
  render->buffer_ =
      std::make_shared<PcmBuffer>(qint64(std::ceil(seconds * PcmBuffer::kSampleRate)));
  render->thread_ = std::thread(&MidiRender::run, render.get(), smf, soundFont);
  return render;
}

MidiRender::~MidiRender() {
  abort();
  if (thread_.joinable()) thread_.join();
}

void MidiRender::abort() {
  stop_ = true;
  if (buffer_ && buffer_->written() < buffer_->size()) buffer_->fail();
}

bool MidiRender::waitFinished(int timeoutMs) {
  return buffer_->waitComplete(timeoutMs);
}

void MidiRender::run(QByteArray smf, QString soundFont) {
  PcmBuffer& out = *buffer_;
  std::unique_ptr<Synth> s = takeSynth(soundFont);
  if (!s) {
    out.fail();
    return;
  }
  bool ok = false;
  {
    Player p;
    ok = startPlayer(p, s->synth, smf) && renderInto(s->synth, out);
  }
  if (!ok) out.fail();
  giveBack(std::move(s));
}

bool MidiRender::renderInto(fluid_synth_t* synth, PcmBuffer& out) {
  constexpr qint64 kBlock = 1024;  // frames per step
  qint64 left = out.frames();
  while (left > 0 && !stop_.load(std::memory_order_relaxed)) {
    const qint64 n = std::min(kBlock, left);
    char* at = out.writePointer();
    if (fluid_synth_write_s16(synth, int(n), at, 0, 2, at, 1, 2) != FLUID_OK) return false;
    out.publish(n * PcmBuffer::kBytesPerFrame);
    left -= n;
  }
  return true;
}

}  // namespace scenova::platform
