#include "midi_stream.h"

#include <mpv/stream_cb.h>

#include <algorithm>
#include <atomic>

#include "midi_render.h"

namespace scenova::platform {

namespace {

// One open stream: its own read position and cancel flag. mpv calls these
// from its demuxer thread (cancel from another); none may call into mpv.
struct Stream {
  std::shared_ptr<PcmBuffer> image;
  qint64 pos = 0;
  std::atomic<bool> cancelled{false};
};

int64_t readStream(void* cookie, char* buf, uint64_t nbytes) {
  auto* s = static_cast<Stream*>(cookie);
  const qint64 n =
      s->image->read(s->pos, buf, qint64(std::min<uint64_t>(nbytes, 1 << 20)), s->cancelled);
  if (n > 0) s->pos += n;
  return n;
}

int64_t seekStream(void* cookie, int64_t offset) {
  auto* s = static_cast<Stream*>(cookie);
  if (offset < 0 || offset > s->image->size()) return MPV_ERROR_GENERIC;
  s->pos = offset;
  return offset;
}

int64_t sizeStream(void* cookie) {
  return static_cast<Stream*>(cookie)->image->size();
}

void closeStream(void* cookie) {
  delete static_cast<Stream*>(cookie);
}

void cancelStream(void* cookie) {
  auto* s = static_cast<Stream*>(cookie);
  s->cancelled = true;
  s->image->wakeReaders();
}

}  // namespace

bool MidiStreams::install(mpv_handle* mpv) {
  return mpv && mpv_stream_cb_add_ro(mpv, kProtocol, this, &MidiStreams::open) >= 0;
}

QByteArray MidiStreams::add(std::shared_ptr<PcmBuffer> image) {
  std::lock_guard lock(mutex_);
  const QByteArray url = QByteArray(kProtocol) + "://" + QByteArray::number(next_++);
  images_.insert(url, std::move(image));
  return url;
}

void MidiStreams::remove(const QByteArray& url) {
  std::lock_guard lock(mutex_);
  images_.remove(url);
}

int MidiStreams::open(void* self, char* uri, mpv_stream_cb_info* info) {
  auto* streams = static_cast<MidiStreams*>(self);
  std::shared_ptr<PcmBuffer> image;
  {
    std::lock_guard lock(streams->mutex_);
    image = streams->images_.value(QByteArray(uri));
  }
  if (!image) return MPV_ERROR_LOADING_FAILED;
  auto* s = new Stream;
  s->image = std::move(image);
  info->cookie = s;
  info->read_fn = &readStream;
  info->seek_fn = &seekStream;
  info->size_fn = &sizeStream;
  info->close_fn = &closeStream;
  info->cancel_fn = &cancelStream;
  return 0;
}

}  // namespace scenova::platform
