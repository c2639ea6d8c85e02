#pragma once

#include <QByteArray>
#include <QHash>

#include <memory>
#include <mutex>

#include <mpv/stream_cb.h>

namespace scenova::platform {

class PcmBuffer;

// Lets one mpv core read rendered MIDI images as "scenova-midi://N" streams.
// The registry must outlive the core it is installed in (destroy the core
// first); open streams keep their image alive on their own.
class MidiStreams {
 public:
  static constexpr const char* kProtocol = "scenova-midi";

  // Registers the protocol with the core; false when mpv refused it.
  bool install(mpv_handle* mpv);
  // Publishes an image and returns the address mpv should load.
  QByteArray add(std::shared_ptr<PcmBuffer> image);
  void remove(const QByteArray& url);

 private:
  static int open(void* self, char* uri, mpv_stream_cb_info* info);

  std::mutex mutex_;
  QHash<QByteArray, std::shared_ptr<PcmBuffer>> images_;
  quint64 next_ = 1;
};

}  // namespace scenova::platform
