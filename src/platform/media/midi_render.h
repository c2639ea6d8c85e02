#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

#include "midi_file.h"

namespace scenova::platform {

struct FluidInstance;

// A MIDI file ready to be synthesised: its bytes, its timing and the soundfont
// to play it with. The player and the streams it opens share one.
class MidiSong {
 public:
  static constexpr int kSampleRate = 44100;
  // FluidSynth renders in blocks of this many frames; events and seeks are
  // placed on this grid so that every rendering of a moment is the same.
  static constexpr int kBlockFrames = 64;
  // Trailing time after the last event, so that held notes can ring out.
  static constexpr double kTailSeconds = 1.0;
  // The longest song played (a 16-bit stereo WAV stream holds 6.7 hours).
  static constexpr double kMaxSeconds = 6 * 3600;

  // Null when the song is longer than kMaxSeconds. Without effects the
  // synthesiser's reverb and chorus are off.
  static std::shared_ptr<MidiSong> make(QByteArray smf, const MidiTiming& timing, QString soundFont,
                                        bool effects = true);

  const QByteArray& smf() const { return smf_; }
  const MidiTiming& timing() const { return timing_; }
  const QString& soundFont() const { return soundFont_; }
  bool effects() const { return effects_; }
  // The length of the rendering, tail included (a whole number of blocks).
  qint64 frames() const { return frames_; }
  // The block-aligned frame at which an event at tick is played.
  qint64 frameAt(qint64 tick) const;

  // Every frame synthesised for this song so far, heard or not.
  qint64 framesRendered() const { return rendered_.load(std::memory_order_relaxed); }
  void countRendered(qint64 frames) { rendered_.fetch_add(frames, std::memory_order_relaxed); }
  // The song is being let go: renderings stop at their next block.
  void abandon() { abandoned_ = true; }
  bool abandoned() const { return abandoned_.load(std::memory_order_relaxed); }

 private:
  MidiSong(QByteArray smf, const MidiTiming& timing, QString soundFont, qint64 frames)
      : smf_(std::move(smf)), timing_(timing), soundFont_(std::move(soundFont)), frames_(frames) {}

  QByteArray smf_;
  MidiTiming timing_;
  QString soundFont_;
  qint64 frames_ = 0;
  bool effects_ = true;
  std::atomic<qint64> rendered_{0};
  std::atomic<bool> abandoned_{false};
};

// Renders a song through FluidSynth, a few blocks at a time, from any point.
// Only the synthesiser's state and one block of samples are held, whatever
// the song's length.
//
// A seek cannot restore the synthesiser's voices, so it is replayed: from a
// start point a little before the target the song is rendered silently, with
// every controller, program, pitch bend and system exclusive message sent
// before that point applied first. The start point lies kSettleSeconds before
// the target, or earlier to take in every note still sounding at the target
// or released in those seconds (at most kMaxPreRollSeconds before it; a note
// held longer is struck again there). Without reverb and chorus the samples
// after a seek thus equal an uninterrupted rendering (to within what recycled
// voices leave, -60 dB); the effects' own modulation runs on from wherever
// the synthesiser started, so with them the sound is the same but not the
// samples.
//
// Not thread-safe: one thread renders (mpv's stream reader); cancel flags may
// be set from any thread.
class MidiSynthesis {
 public:
  static constexpr double kSettleSeconds = 2;
  static constexpr double kMaxPreRollSeconds = 12;
  // The effects run in this last part of the silent rendering only.
  static constexpr double kEffectsSeconds = 1.5;

  explicit MidiSynthesis(std::shared_ptr<MidiSong> song);
  ~MidiSynthesis();  // the synthesiser is kept for the next song

  MidiSynthesis(const MidiSynthesis&) = delete;
  MidiSynthesis& operator=(const MidiSynthesis&) = delete;

  const MidiSong& song() const { return *song_; }
  // The next frame render() gives; -1 before the first seek.
  qint64 position() const { return pos_; }
  // Moves to frame (rounded down to a block). False on failure or cancel.
  bool seek(qint64 frame, const std::atomic<bool>& cancel);
  // Renders up to count frames (a whole number of blocks) of 16-bit stereo
  // into out (null: silently) from the position. Returns the frames given,
  // 0 at the end, -1 on failure or cancel.
  qint64 render(qint16* out, qint64 count, const std::atomic<bool>& cancel);
  QString errorString() const { return error_; }

 private:
  bool ensureSynth();
  // -1 when cancelled.
  qint64 preRollStart(qint64 target, const std::atomic<bool>& cancel);
  bool replayStateBefore(qint64 start, const std::atomic<bool>& cancel);
  bool stopped(const std::atomic<bool>& cancel);
  void fetchEvent();
  void send(const MidiEventReader::Event& e);
  void setEffects(bool on);

  std::shared_ptr<MidiSong> song_;
  std::unique_ptr<FluidInstance> synth_;
  MidiEventReader events_;
  MidiEventReader::Event pending_;
  qint64 pendingFrame_ = -1;  // -1: no more events
  qint64 pos_ = -1;
  QString error_;
  std::vector<float> left_, right_;
};

// The standard General MIDI soundfont of the system.
QString defaultSoundFont();

}  // namespace scenova::platform
