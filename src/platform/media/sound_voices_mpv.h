#pragma once

#include "sound_voices.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace scenova::platform {

class MpvSession;
class MidiStreams;

// Voices played by libmpv, one engine core per voice, so that every voice
// has its own level (the core's volume), its own loop (a file repeated by
// the core itself, sample-continuous at the loop point) and its own end.
// MIDI files play through the same synthesiser as in the video player.
//
// A core takes a while to start, so one is kept ready ahead of the next
// start; and loading a file takes a while more, so the files named by
// prepare() wait loaded and paused at their start on cores of their own
// (up to kMaxReady): starting one of them is only an unpause.
//
// Stopping must not click. A level change made through the core's volume
// applies to a whole block of samples at once (a step), so a stop fades
// inside the core's filters instead, sample by sample over kRampMs. The
// filters work ahead of what is heard by everything the core and the sound
// server hold (kStopLeadMs): the fade is placed that far after what is heard
// when the stop is asked for, is heard then, and the core is ended once it
// has played out, on a thread of its own: the window never waits for the
// engine or the sound server.
class MpvSoundVoices final : public QObject, public SoundVoices {
  Q_OBJECT
 public:
  static constexpr int kRampMs = 8;
  // The output's buffer: how long a level change takes to be heard.
  static constexpr int kBufferMs = 100;
  // How far the core's filters work ahead of what is heard: the output's
  // buffer, the core's own (kEngineBufferMs) and a block of samples, with a
  // margin (measured at about 255 ms with these buffers).
  static constexpr int kEngineBufferMs = 50;
  static constexpr int kStopLeadMs = 300;
  // A stopping core that does not answer within this is ended at once.
  static constexpr int kStopGiveUpMs = 2000;
  // How often the voices' positions are asked for (the core is not asked
  // to report every change: that woke the window for every block).
  static constexpr int kPositionMs = 200;
  // How long after a start the next core is made ready.
  static constexpr int kSpareDelayMs = 250;
  // How many files are kept loaded ahead of their start, and the pause
  // between making two of them ready (each takes the processor a moment).
  static constexpr int kMaxReady = 6;
  static constexpr int kReadyGapMs = 40;
  // MIDI files larger than this are refused.
  static constexpr qint64 kMaxMidiBytes = 16 << 20;

  explicit MpvSoundVoices(QObject* parent = nullptr);
  ~MpvSoundVoices() override;

  int start(const QString& path, bool loop, double level, QString* why) override;
  void setLevel(int voice, double level) override;
  void stop(int voice) override;
  Status status(int voice) const override;
  void prepare(const QStringList& paths) override;
  void setOutput(const QString& device) override;

  // How many voices play (for tests and benchmarks).
  int playing() const { return static_cast<int>(voices_.size()); }
  // How many files wait loaded, ready to start (for tests).
  int readyCount() const;

 private:
  struct Voice;
  struct Ready;

  std::unique_ptr<MpvSession> takeSpare();
  std::unique_ptr<MpvSession> takeReady(const QString& path);
  void makeReady();
  void prepareSpare();
  QByteArray midiTarget(Voice& v, const QString& path, QString* why);
  void onEnded(int voice, int reason, int error);
  void askPositions();
  void fadeOut(const std::shared_ptr<Voice>& v);
  void placeFade(const std::shared_ptr<Voice>& v, double heard);
  void stepDown(const std::shared_ptr<Voice>& v);
  void end(const std::shared_ptr<Voice>& v);

  QHash<int, std::shared_ptr<Voice>> voices_;
  QHash<int, std::shared_ptr<Voice>> stopping_;  // fading out, by their number
  std::unique_ptr<MpvSession> spare_;
  std::vector<std::unique_ptr<Ready>> ready_;
  QStringList wanted_;  // the files to keep ready, the likeliest first
  QTimer* readying_ = nullptr;
  QByteArray output_;
  QTimer* positions_ = nullptr;
  int next_ = 1;
};

}  // namespace scenova::platform
