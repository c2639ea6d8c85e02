#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace scenova::platform {

// Sounds that play side by side, each on a voice of its own with its own
// level, beside the audio command device and the media players.
//
//   const int voice = voices.start(u"/show/rain.wav"_s, true, 80, &why);
//   voices.setLevel(voice, 40);
//   voices.stop(voice);
//
// Levels are percentages on the master volume's curve (the sound server's
// cubic volume scale). Every call returns at once: nothing waits for the
// engine or the sound server.
class SoundVoices {
 public:
  struct Status {
    double positionSeconds = 0;
    double lengthSeconds = 0;  // 0 while not yet known
  };
  // voice, and why it ended when it failed (empty at the end of its file).
  using EndHandler = std::function<void(int voice, const QString& why)>;

  virtual ~SoundVoices() = default;

  // Starts the file at once on a new voice, repeating without a gap when
  // loop is set. Returns the voice (above 0), or 0 with *why saying why not.
  virtual int start(const QString& path, bool loop, double level, QString* why) = 0;
  // The voice's own level, 0..100, heard from the next block of sound on.
  virtual void setLevel(int voice, double level) = 0;
  // Takes the voice down to silence within a few milliseconds and ends it.
  virtual void stop(int voice) = 0;
  virtual Status status(int voice) const = 0;
  // Files likely to start soon, the likeliest first (absolute paths). The
  // first few are kept loaded, paused at their start, so that starting one
  // only lets it play; a file started this way is made ready again. Each
  // call replaces the list; files no longer on it are let go.
  virtual void prepare(const QStringList& paths) = 0;
  // The output every voice plays to from now on, the running ones too
  // (the engine's audio device name; empty: the sound server's default).
  virtual void setOutput(const QString& device) = 0;

  // Told (on the GUI thread) when a voice ends on its own or fails; not for
  // voices stopped with stop().
  void setEndHandler(EndHandler handler) { ended_ = std::move(handler); }

 protected:
  void ended(int voice, const QString& why) const {
    if (ended_) ended_(voice, why);
  }

 private:
  EndHandler ended_;
};

// For a program without a media engine: every start is refused.
class NullSoundVoices final : public SoundVoices {
 public:
  int start(const QString&, bool, double, QString* why) override {
    if (why) *why = QStringLiteral("no media engine");
    return 0;
  }
  void setLevel(int, double) override {}
  void stop(int) override {}
  Status status(int) const override { return {}; }
  void prepare(const QStringList&) override {}
  void setOutput(const QString&) override {}
};

}  // namespace scenova::platform
