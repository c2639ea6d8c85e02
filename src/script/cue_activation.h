#pragma once

// Firing cues with the mouse: a click in the script finds the cue around
// the caret and carries its command out or loads its file; a double-click
// then also starts the loaded audio or video; the right button opens the
// Edit menu.

#include "script/cue_context.h"

#include <optional>

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

class Interpreter;
class MediaLoader;

// Where the content of the cue around a caret lies, in editor positions
// (from 0): the characters [start, end).
struct CueSpan {
  int start = 0;
  int end = 0;
};

// The forward search gives up on a closing pair that begins more than this
// many characters after the caret.
constexpr int kCueSearchAhead = 256;

// The cue around the caret: back from the caret to the nearest "[[" (a "]]"
// met first means the caret is outside any cue), forward at most 256
// characters to "]]" (a "[[" met first means no cue). Reads the script in
// pieces, never the whole text.
std::optional<CueSpan> findCueAround(const platform::RTB& editor, int caret);

class CueActivation {
 public:
  CueActivation(CueContext context, platform::RTB& editor, Interpreter& interpreter,
                MediaLoader& loader);

  void RTB_Click();
  void RTB_DblClick();
  // Button 2 (right) opens the Edit menu at the pointer (x, y in twips).
  void RTB_MouseDown(int button, int shift, int x, int y);

  // The cue the last click fired (as it read when the click found it);
  // none when the click was beside every cue.
  std::optional<CueSpan> firedCue() const { return fired_; }

 private:
  void loadMedia();
  void notFound();

  CueContext c_;
  platform::RTB& editor_;
  Interpreter& interpreter_;
  MediaLoader& loader_;
  std::optional<CueSpan> fired_;
};

}  // namespace scenova::script
