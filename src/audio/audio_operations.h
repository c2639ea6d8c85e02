#pragma once

namespace scenova::audio {

// What cues and the media loader ask of the audio side: the audio panel's
// transport. AudioTransport implements it; the cue code knows only this.
class AudioOperations {
 public:
  virtual ~AudioOperations() = default;

  virtual void cmdPlayA_Click() = 0;
  virtual void cmdStopA_Click() = 0;
  // Moves to the milliseconds in lblContatore.Tag, keeping the play state.
  virtual void lblContatore_Click() = 0;
  // The counter's tick: the position and length shown again.
  virtual void Timer1_Timer() = 0;
  // Leaves a file just opened stopped at its start, nothing of it sounding.
  virtual void settleNewFile() = 0;
  // The play button's picture follows the play state (and the pointer).
  virtual void refreshPlayButton() = 0;
};

}  // namespace scenova::audio
