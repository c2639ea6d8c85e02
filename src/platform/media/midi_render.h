#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "midi_file.h"

struct _fluid_synth_t;
using fluid_synth_t = _fluid_synth_t;

namespace scenova::platform {

// A WAV image (16-bit stereo PCM) that is written front to back by one thread
// while others read it. A read of bytes not written yet waits for them.
class PcmBuffer {
 public:
  static constexpr int kSampleRate = 44100;
  static constexpr int kBytesPerFrame = 4;  // two 16-bit channels
  static constexpr int kHeaderBytes = 44;

  // Allocates the image for frames frames and writes its header. The sample
  // memory is only touched as it is written.
  explicit PcmBuffer(qint64 frames);

  qint64 size() const { return size_; }
  qint64 frames() const { return (size_ - kHeaderBytes) / kBytesPerFrame; }
  qint64 written() const;

  // Writer side: the next bytes to fill, then make them readable.
  char* writePointer() { return data_.get() + written_.load(std::memory_order_relaxed); }
  void publish(qint64 bytes);
  // The writer gave up: waiting and later reads of unwritten bytes fail.
  void fail();

  // Copies up to max bytes from pos. Returns the count, 0 at the end of the
  // image, -1 when the writer failed or cancelled() became true while waiting.
  qint64 read(qint64 pos, char* out, qint64 max, const std::atomic<bool>& cancelled);
  // Wakes readers so that they look at their cancel flags.
  void wakeReaders();
  // Waits until every byte is written (true) or the writer failed (false).
  bool waitComplete(int timeoutMs) const;

 private:
  std::unique_ptr<char[]> data_;
  qint64 size_ = 0;
  std::atomic<qint64> written_{0};
  bool failed_ = false;
  mutable std::mutex mutex_;
  mutable std::condition_variable cond_;
};

// Renders a MIDI file through FluidSynth into a PcmBuffer on a thread of its
// own, about 300 times faster than real time. The synthesiser's player runs
// on the sample clock, so the image is exact whatever the machine's load.
class MidiRender {
 public:
  // Trailing time after the last event, so that held notes can ring out.
  static constexpr double kTailSeconds = 1.0;
  // The longest song rendered (its image is kept in memory).
  static constexpr double kMaxSeconds = 3600;

  // Starts rendering; the soundfont is read on the render thread. Returns
  // null when the song is longer than kMaxSeconds.
  static std::unique_ptr<MidiRender> start(const QByteArray& smf, const MidiTiming& timing,
                                           const QString& soundFont);
  ~MidiRender();  // stops and joins the thread

  MidiRender(const MidiRender&) = delete;
  MidiRender& operator=(const MidiRender&) = delete;

  std::shared_ptr<PcmBuffer> buffer() const { return buffer_; }
  // Stops rendering; readers of unwritten bytes get an error.
  void abort();
  // Waits until the image is complete or failed; true when complete.
  bool waitFinished(int timeoutMs);

 private:
  MidiRender() = default;
  void run(QByteArray smf, QString soundFont);
  bool renderInto(fluid_synth_t* synth, PcmBuffer& out);

  std::shared_ptr<PcmBuffer> buffer_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The standard General MIDI soundfont of the system.
QString defaultSoundFont();

}  // namespace scenova::platform
