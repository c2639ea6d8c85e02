#pragma once

#include <QByteArray>
#include <QHash>

#include <memory>
#include <mutex>

#include <mpv/stream_cb.h>

namespace scenova::platform {

class MidiSong;

// Lets one mpv core play MIDI songs as "scenova-midi://N" streams: each is a
// WAV image (16-bit stereo) of the whole song whose samples are synthesised
// only when mpv reads them, a block at a time, on mpv's reading thread. A
// read elsewhere than where the synthesiser stands is a seek (see
// MidiSynthesis); the last few blocks read are kept so that mpv's small steps
// back cost nothing. The registry must outlive the core it is installed in
// (destroy the core first); open streams keep their song alive on their own.
class MidiStreams {
 public:
  static constexpr const char* kProtocol = "scenova-midi";
  static constexpr int kHeaderBytes = 44;
  static constexpr int kBytesPerFrame = 4;  // two 16-bit channels
  // Frames synthesised at a time, and how many such chunks are kept.
  static constexpr int kChunkFrames = 16384;
  static constexpr int kKeptChunks = 4;

  // Registers the protocol with the core; false when mpv refused it.
  bool install(mpv_handle* mpv);
  // Publishes a song and returns the address mpv should load.
  QByteArray add(std::shared_ptr<MidiSong> song);
  void remove(const QByteArray& url);

  // The WAV image's size in bytes and its 44-byte header.
  static qint64 imageSize(const MidiSong& song);
  static QByteArray wavHeader(const MidiSong& song);

  // A stream of the image outside mpv (for tests and benchmarks): the
  // mpv callbacks' cookie and its read, seek and close.
  static void* openImage(std::shared_ptr<MidiSong> song);
  static qint64 readImage(void* image, char* out, qint64 max);
  static bool seekImage(void* image, qint64 offset);
  static void closeImage(void* image);

 private:
  static int open(void* self, char* uri, mpv_stream_cb_info* info);

  std::mutex mutex_;
  QHash<QByteArray, std::shared_ptr<MidiSong>> songs_;
  quint64 next_ = 1;
};

}  // namespace scenova::platform
