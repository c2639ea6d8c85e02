#include "midi_stream.h"

#include <QtEndian>

#include <mpv/stream_cb.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include "midi_render.h"

namespace scenova::platform {

namespace {

// One open stream: its own synthesiser, read position, kept chunks and
// cancel flag. mpv calls these from its demuxer thread (cancel from
// another); none may call into mpv.
struct Stream {
  struct Chunk {
    qint64 index = -1;
    qint64 frames = 0;
    quint64 used = 0;  // for dropping the least recently used
    std::vector<qint16> samples;
  };

  explicit Stream(std::shared_ptr<MidiSong> s)
      : synthesis(s), header(MidiStreams::wavHeader(*s)), size(MidiStreams::imageSize(*s)) {}

  const Chunk* chunk(qint64 index);

  MidiSynthesis synthesis;
  QByteArray header;
  qint64 size = 0;
  qint64 pos = 0;
  quint64 reads = 0;
  std::array<Chunk, MidiStreams::kKeptChunks> chunks;
  std::atomic<bool> cancelled{false};
};

const Stream::Chunk* Stream::chunk(qint64 index) {
  ++reads;
  Chunk* slot = &chunks[0];
  for (Chunk& c : chunks) {
    if (c.index == index) {
      c.used = reads;
      return &c;
    }
    if (c.used < slot->used) slot = &c;
  }
  const qint64 first = index * MidiStreams::kChunkFrames;
  slot->index = -1;
  slot->samples.resize(size_t(MidiStreams::kChunkFrames) * 2);
  if (synthesis.position() != first && !synthesis.seek(first, cancelled)) return nullptr;
  const qint64 n = synthesis.render(slot->samples.data(), MidiStreams::kChunkFrames, cancelled);
  if (n <= 0) return nullptr;
  slot->index = index;
  slot->frames = n;
  slot->used = reads;
  return slot;
}

int64_t readStream(void* cookie, char* buf, uint64_t nbytes) {
  auto* s = static_cast<Stream*>(cookie);
  if (s->cancelled.load() || s->synthesis.song().abandoned()) return -1;
  if (s->pos >= s->size || nbytes == 0) return 0;
  qint64 n = 0;
  if (s->pos < MidiStreams::kHeaderBytes) {
    n = std::min<qint64>(qint64(nbytes), MidiStreams::kHeaderBytes - s->pos);
    std::memcpy(buf, s->header.constData() + s->pos, size_t(n));
  } else {
    const qint64 offset = s->pos - MidiStreams::kHeaderBytes;
    const qint64 chunkBytes = qint64(MidiStreams::kChunkFrames) * MidiStreams::kBytesPerFrame;
    const Stream::Chunk* c = s->chunk(offset / chunkBytes);
    if (!c) return -1;
    const qint64 within = offset % chunkBytes;
    n = std::min<qint64>(qint64(nbytes), c->frames * MidiStreams::kBytesPerFrame - within);
    if (n <= 0) return 0;
    std::memcpy(buf, reinterpret_cast<const char*>(c->samples.data()) + within, size_t(n));
  }
  s->pos += n;
  return n;
}

int64_t seekStream(void* cookie, int64_t offset) {
  auto* s = static_cast<Stream*>(cookie);
  if (offset < 0 || offset > s->size) return MPV_ERROR_GENERIC;
  s->pos = offset;
  return offset;
}

int64_t sizeStream(void* cookie) {
  return static_cast<Stream*>(cookie)->size;
}

void closeStream(void* cookie) {
  delete static_cast<Stream*>(cookie);
}

void cancelStream(void* cookie) {
  static_cast<Stream*>(cookie)->cancelled = true;
}

}  // namespace

qint64 MidiStreams::imageSize(const MidiSong& song) {
  return kHeaderBytes + song.frames() * kBytesPerFrame;
}

QByteArray MidiStreams::wavHeader(const MidiSong& song) {
  const quint32 dataBytes = quint32(song.frames() * kBytesPerFrame);
  QByteArray out(kHeaderBytes, '\0');
  char* at = out.data();
  const auto le32 = [](char* p, quint32 v) { qToLittleEndian<quint32>(v, p); };
  const auto le16 = [](char* p, quint16 v) { qToLittleEndian<quint16>(v, p); };
  std::memcpy(at, "RIFF", 4);
  le32(at + 4, 36 + dataBytes);
  std::memcpy(at + 8, "WAVEfmt ", 8);
  le32(at + 16, 16);
  le16(at + 20, 1);  // PCM
  le16(at + 22, 2);  // channels
  le32(at + 24, MidiSong::kSampleRate);
  le32(at + 28, MidiSong::kSampleRate * kBytesPerFrame);
  le16(at + 32, kBytesPerFrame);
  le16(at + 34, 16);  // bits per sample
  std::memcpy(at + 36, "data", 4);
  le32(at + 40, dataBytes);
  return out;
}

void* MidiStreams::openImage(std::shared_ptr<MidiSong> song) {
  return new Stream(std::move(song));
}

qint64 MidiStreams::readImage(void* image, char* out, qint64 max) {
  return readStream(image, out, uint64_t(std::max<qint64>(max, 0)));
}

bool MidiStreams::seekImage(void* image, qint64 offset) {
  return seekStream(image, offset) == offset;
}

void MidiStreams::closeImage(void* image) {
  closeStream(image);
}

bool MidiStreams::install(mpv_handle* mpv) {
  return mpv && mpv_stream_cb_add_ro(mpv, kProtocol, this, &MidiStreams::open) >= 0;
}

QByteArray MidiStreams::add(std::shared_ptr<MidiSong> song) {
  std::lock_guard lock(mutex_);
  const QByteArray url = QByteArray(kProtocol) + "://" + QByteArray::number(next_++);
  songs_.insert(url, std::move(song));
  return url;
}

void MidiStreams::remove(const QByteArray& url) {
  std::lock_guard lock(mutex_);
  songs_.remove(url);
}

int MidiStreams::open(void* self, char* uri, mpv_stream_cb_info* info) {
  auto* streams = static_cast<MidiStreams*>(self);
  std::shared_ptr<MidiSong> song;
  {
    std::lock_guard lock(streams->mutex_);
    song = streams->songs_.value(QByteArray(uri));
  }
  if (!song) return MPV_ERROR_LOADING_FAILED;
  info->cookie = new Stream(std::move(song));
  info->read_fn = &readStream;
  info->seek_fn = &seekStream;
  info->size_fn = &sizeStream;
  info->close_fn = &closeStream;
  info->cancel_fn = &cancelStream;
  return 0;
}

}  // namespace scenova::platform
