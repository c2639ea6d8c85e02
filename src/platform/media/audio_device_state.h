#pragma once

#include <QtGlobal>

namespace scenova::platform {

namespace audio_device_state {

// What the open file of the audio device is doing, and the inputs that move
// it from state to state. The whole list of changes is the table in
// audio_device_state.cpp; every change of MpvAudioDevice goes through next().
enum class State : quint8 {
  Closed,    // no file open
  Loading,   // a file given to the engine, its load not ended
  LoadPlay,  // ... and a start asked for meanwhile
  Stopped,   // loaded, silent at pausedMs_
  Starting,  // loaded, a start waiting for the event loop or the output
  Playing,   // loaded, the engine told to sound
  AtEnd,     // loaded, played or sought to its end, silent there
  LostLoad,  // lost while its load goes on (a load that ends is reported)
  Lost,      // loaded and lost: the engine gave it up or its output went
  Failed,    // its load failed after "open" had returned
};
enum class Input : quint8 {
  Open,        // "open": a file given to the engine
  Loaded,      // the engine has the file and its length
  OpenFailed,  // the load failed before "open" returned
  LoadFailed,  // ... or after it
  Play,        // a start asked for
  Sound,       // the start reaches the engine (event loop turned, output filled)
  Stop,        // silent where it is
  Seek,        // a seek sent: the file no longer stands at its end
  ToEnd,       // "play ... from" the length: nothing left to play
  Ended,       // the sound played to its end
  Lost,        // the engine gave the file up, or its output went away
  CloseAll,    // "close all"
};

inline constexpr int kStates = int(State::Failed) + 1;
inline constexpr int kInputs = int(Input::CloseAll) + 1;

// The state that `input` moves `state` to (see the table in the source).
State next(State state, Input input);

}  // namespace audio_device_state

}  // namespace scenova::platform
