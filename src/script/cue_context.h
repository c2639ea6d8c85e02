#pragma once

// What the cue code (interpreter, activation, media loader) shares: the
// window's controls and texts, the cue state and the parts of the window it
// reaches through CueHost.

#include <QString>
#include <QtGlobal>

class QMenu;

namespace scenova::ui {
struct AudioPanelControls;
struct VideoPanelControls;
struct ToolbarControls;
struct EditorControls;
class LanguageTable;
}  // namespace scenova::ui
namespace scenova::audio {
class AudioOperations;
class LayerOperations;
class VolumeOperations;
}  // namespace scenova::audio
namespace scenova::video {
class VideoOperations;
}
namespace scenova::platform {
class AudioDevice;
class MediaPlayer;
}  // namespace scenova::platform

namespace scenova::script {

// The parts of the main window the cue code asks for, each always there (a
// null object where the window lacks one).
class CueHost {
 public:
  virtual ~CueHost() = default;

  // Label11 with the text, hidden again after 6 seconds (a newer notice
  // restarts them).
  virtual void ShowNotice(const QString& text) = 0;
  // The folder of the executable, without a trailing separator.
  virtual QString programFolder() const = 0;
  // The folder of the open script, where its relative cues are looked up
  // first; empty for an untitled script.
  virtual QString scriptFolder() const { return {}; }
  virtual platform::AudioDevice& audioDevice() const = 0;
  virtual audio::VolumeOperations& volume() const = 0;
  virtual video::VideoOperations& video() const = 0;
  virtual platform::MediaPlayer& mainPlayer() const = 0;  // WMP2
  // The sound layers; a program without them answers every layer cue as
  // unavailable.
  virtual audio::LayerOperations& layers() const;
};

// The cue state of the main window. CurrentCue lives in the tag of the
// toolbar label Label2(15).
struct CueState {
  bool CommandDone = false;  // the interpreter carried a command out during this click
  bool CueHasMedia = false;  // the last click loaded audio or video (a double-click starts it)
  qint16 MediaKind = 0;      // 1 audio, 2 video or MIDI
  QString LoadedKind;        // "A" audio, "V" video or MIDI, "I" picture
};

struct CueContext {
  // The parts of the window the cues drive.
  ui::AudioPanelControls& audio;
  ui::VideoPanelControls& video;
  ui::ToolbarControls& toolbar;  // Label2(15).Tag: the current cue
  ui::EditorControls& editor;    // Label11: the notice label
  QMenu* mnuModifica;            // the editor's context menu
  const ui::LanguageTable& lang;
  CueHost& host;
  CueState& state;
  audio::AudioOperations& transport;  // the audio panel's transport
};

}  // namespace scenova::script
