#pragma once

// RunCommand, the interpreter of command cues: it recognises the content of
// one cue, carries the command out when asked to, and rewrites the cue in
// the script into its canonical form, coloured blue.

#include "script/cue_context.h"
#include "script/layer_cues.h"
#include "script/markup.h"

#include <QString>

#include <memory>

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

class NetworkCues;

// The text a recognised command's cue is given when it is only typed: the
// canonical form, with a negative seek position written as 0. Volumes are
// not clamped here; that happens when the command is carried out.
QString typedCanonical(const RecognisedCommand& command);

class Interpreter {
 public:
  // Recognised cues are rewritten in editor, the script's editor.
  Interpreter(CueContext context, platform::RTB& editor);
  ~Interpreter();

  // text: the cue content trimmed of blanks; on return the canonical form
  // when it was a command, else its lower case. start: position (from 1) of
  // the first character after "[["; end: position (from 1) of the first
  // closing "]". Returns whether the text was a command; CommandDone is set
  // (never cleared) when it was one and execute is true.
  bool RunCommand(QString& text, int start, int end, bool execute);

 private:
  void carryOut(const RecognisedCommand& command, QString& text, bool execute);
  void fireLayerCue(const LayerCue& cue);
  void sayLayerResult(int result, bool fileFound);
  void setVolume(QString& text);
  void placeKnob(double percent);
  void rewriteCue(const QString& text, int start, int end);
  bool runNetworkCue(QString& text, int start, int end, bool execute);

  CueContext c_;
  platform::RTB& editor_;
  std::unique_ptr<NetworkCues> network_;  // [[OSC host:port /address ...]]
};

}  // namespace scenova::script
