#pragma once

// Show mode: the script turns read-only and the keyboard runs the show.
//
//   Space, keypad Enter    GO: fire the next cue as a click inside it would,
//                          with the cues joined to it by "+" (a cue group)
//   Up / Page Up           mark the cue before the next cue
//   Down / Page Down       mark the cue after it
//   Home                   mark the first cue
//   Escape                 Stop all: audio and video stop, a fade ends where
//                          it stands, the groups' pending waits are dropped;
//                          the program stays open
//
// These keys work whichever of the program's windows has the focus: the
// main window, the projector or the picture window (whose own Escape, which
// hides it, is not used in show mode). Every other key aimed at them is
// swallowed before any widget sees it; menu shortcuts still work, and the commands that change the
// script (undo, cut, paste, insertions, replace, formatting) are disabled.
// A coloured frame round the editor and a word in the title say the mode is
// on. Clicks on cues fire them as always. Outside show mode nothing of this
// acts, except the broken-cue marks, which also follow opening and editing.

#include "platform/osc/host_lookups.h"
#include "script/broken_cues.h"
#include "script/cue_marks.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;

namespace scenova::script {
class CueEngine;
}
namespace scenova::video {
class VideoOperations;
}
namespace scenova::audio {
class LayerOperations;
class VolumeOperations;
}  // namespace scenova::audio

namespace scenova::app {

class Form1;

class ShowMode : public QObject {
  Q_OBJECT
 public:
  ShowMode(Form1& form, script::CueEngine& cues, video::VideoOperations& video,
           audio::VolumeOperations& volume, audio::LayerOperations& layers);
  ~ShowMode() override;

  bool isOn() const { return on_; }
  void setOn(bool on);

  // GO: false (and the end-of-cues notice) when no cue is left.
  bool go();
  void stopAll();
  // The menu command: marks the broken cues and says how many there are.
  void checkCues();
  // After a save (DocumentCommands::documentSaved): relative cues may
  // resolve differently in a new folder, so the marks are checked again a
  // moment later.
  void scriptSaved();

  script::NextCue& nextCue() { return next_; }
  script::BrokenCues& brokenCues() { return broken_; }
  script::ScriptMarks& marks() { return marks_; }

  // Whether a cue with this content is a media cue whose file cannot be
  // found, a [[Wait s]] whose time cannot be used, or a network cue whose
  // host name is known not to resolve: the one place that looks cue files
  // and hosts up for the marks. A host not yet known is looked up away
  // from the window; its answer checks the marks again.
  bool isMissing(QStringView content) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void handleKey(const QKeyEvent& key);
  void lockEditing(bool lock);
  void applyTitleWord();
  void announce(int cues, int broken, bool announce);
  void hostAnswered(bool resolves, bool changed);
  void checkAll();
  QString text(int index) const;
  QString scriptFolder() const;

  Form1& form_;
  script::CueEngine& cues_;
  video::VideoOperations& video_;
  audio::VolumeOperations& volume_;
  audio::LayerOperations& layers_;
  bool on_ = false;
  bool explicitCheck_ = false;  // the operator asked for the check
  // Host answers are a cache that the const check fills.
  mutable platform::HostLookups hosts_;
  script::ScriptMarks marks_;
  script::NextCue next_;
  script::BrokenCues broken_;
  QString checkedFolder_;  // the script folder of the last check
  QString frameStyle_;     // the editor frame's look outside show mode
  QList<QPointer<QObject>> locked_;
};

}  // namespace scenova::app
