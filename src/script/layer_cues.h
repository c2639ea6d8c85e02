#pragma once

// Layer cues: sounds that play side by side, each at its own level.
//
//   [[Sound rain.wav]]       start the file at once on a layer of its own
//   [[Loop rain.wav]]        the same, repeating without a gap until stopped
//   [[Stop rain.wav]]        stop that layer
//   [[Stop Sounds]]          stop every layer (the audio panel plays on)
//   [[Fade rain.wav]]        that layer to silence over 2 s, then stopped
//   [[Fade rain.wav 8]]      ... over 8 s (0.1 to 600)
//   [[Level rain.wav 40]]    that layer's own level to 40 (0 to 100) over 2 s
//
// Recognised in any case, and only when the argument names a media file by
// its ending, so that "Stop Audio" and the other commands keep their
// meaning whether their panel is shown or not.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace scenova::script {

enum class LayerVerb { Sound, Loop, Stop, StopAll, Fade, Level };

struct LayerCue {
  LayerVerb verb = LayerVerb::Sound;
  bool recognised = false;
  QString file;       // as written
  QString number;     // as written; empty when none was
  QString canonical;  // what the cue is rewritten to
  explicit operator bool() const { return recognised; }

  // The fade's seconds or the level's percent; false when the number is
  // missing (a level), not a number, or out of its range.
  bool value(double* out) const;
};

// Whether the name ends like a sound, MIDI or video file.
bool namesMediaFile(QStringView name);

// Recognises trimmed cue content as a layer cue.
LayerCue recogniseLayerCue(QStringView content);

class ScriptSource;

// The files the layer cues that start a sound ([[Sound f]], [[Loop f]]) name,
// from the cue at or after position from to the end of the script, then from
// its start: each once, as resolve finds it (empty: left out), at most limit.
QStringList layerFilesAhead(const ScriptSource& source, int from,
                            const std::function<QString(const QString& file)>& resolve, int limit);

// The file the first plain file cue ([[rain.wav]], not a layer cue) at or
// after position from names, as resolve finds it (empty: passed over), then
// from the script's start; empty when there is none.
QString fileCueAhead(const ScriptSource& source, int from,
                     const std::function<QString(const QString& file)>& resolve);

inline constexpr double kLeastFadeSeconds = 0.1;
inline constexpr double kLongestFadeSeconds = 600;

}  // namespace scenova::script
