#pragma once

#include <QString>
#include <QStringList>

namespace scenova::audio {

// What layer cues ask of the sound layers: files that play side by side,
// each at its own level, beside the audio panel's transport. Paths are the
// files as found (absolute); a file that can no longer be found is named as
// written, and matches the layer whose path ends with it.
class LayerOperations {
 public:
  enum class Result {
    Done,
    TooMany,      // every layer is taken
    NotPlaying,   // no layer plays that file
    Failed,       // the engine could not start it (the notice says why)
    Unavailable,  // the program has no sound layers
  };

  virtual ~LayerOperations() = default;

  // Starts the file at once on a layer of its own, repeating it without a
  // gap when loop is set. A file that already plays starts again from its
  // start.
  virtual Result play(const QString& path, bool loop) = 0;
  virtual Result stop(const QString& path) = 0;
  // Takes the layer's own level to silence over the seconds, then stops it.
  virtual Result fade(const QString& path, double seconds) = 0;
  // Moves the layer's own level to percent (0..100) over kLevelSeconds.
  virtual Result level(const QString& path, double percent) = 0;
  // Stops every layer (the transport goes on).
  virtual void stopAll() = 0;
  // The files of the layer cues likely to come, the likeliest first: the
  // first few are loaded ahead so that their cues sound at once.
  virtual void prepare(const QStringList& paths) = 0;

  static constexpr double kLevelSeconds = 2.0;
  static constexpr double kFadeSeconds = 2.0;
};

// For a program without sound layers: every cue is refused as unavailable.
class NullLayers final : public LayerOperations {
 public:
  Result play(const QString&, bool) override { return Result::Unavailable; }
  Result stop(const QString&) override { return Result::Unavailable; }
  Result fade(const QString&, double) override { return Result::Unavailable; }
  Result level(const QString&, double) override { return Result::Unavailable; }
  void stopAll() override {}
  void prepare(const QStringList&) override {}
};

}  // namespace scenova::audio
