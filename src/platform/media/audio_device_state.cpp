#include "audio_device_state.h"

namespace scenova::platform::audio_device_state {

// The open file's states and what moves it between them. Each line is one
// change: in this state, on this input, into that state. An input that no
// line names for a state leaves it where it is, and "close all" closes the
// file whatever its state.
//
// The commands as inputs: "open" is Open; "play" is Play (nothing at the
// end); "play ... from" is Seek then Play, or Seek, Stop and ToEnd for the
// length itself (while loading: Play, the seek kept for Loaded); "stop" is
// Stop; "seek ... to start" is Stop then Seek. A lost or failed file refuses
// every command but "close all" before it becomes an input.
namespace {

struct Change {
  State from;
  Input input;
  State to;
};

// clang-format off
constexpr Change kChanges[] = {
    {State::Closed,   Input::Open,       State::Loading},
    {State::Loading,  Input::Loaded,     State::Stopped},
    {State::Loading,  Input::OpenFailed, State::Closed},
    {State::Loading,  Input::LoadFailed, State::Failed},
    {State::Loading,  Input::Play,       State::LoadPlay},
    {State::Loading,  Input::Lost,       State::LostLoad},
    {State::LoadPlay, Input::Loaded,     State::Starting},
    {State::LoadPlay, Input::OpenFailed, State::Closed},
    {State::LoadPlay, Input::LoadFailed, State::Failed},
    {State::LoadPlay, Input::Stop,       State::Loading},
    {State::LoadPlay, Input::Lost,       State::LostLoad},
    {State::Stopped,  Input::Play,       State::Starting},
    {State::Stopped,  Input::ToEnd,      State::AtEnd},
    {State::Stopped,  Input::Lost,       State::Lost},
    {State::Starting, Input::Sound,      State::Playing},
    {State::Starting, Input::Stop,       State::Stopped},
    {State::Starting, Input::ToEnd,      State::AtEnd},
    {State::Starting, Input::Lost,       State::Lost},
    {State::Playing,  Input::Stop,       State::Stopped},
    {State::Playing,  Input::ToEnd,      State::AtEnd},
    {State::Playing,  Input::Ended,      State::AtEnd},
    {State::Playing,  Input::Lost,       State::Lost},
    {State::AtEnd,    Input::Seek,       State::Stopped},
    {State::AtEnd,    Input::Lost,       State::Lost},
    {State::LostLoad, Input::Loaded,     State::Lost},
    {State::LostLoad, Input::OpenFailed, State::Closed},
    {State::LostLoad, Input::LoadFailed, State::Failed},
};
// clang-format on

// The changes as a lookup table, made by the compiler.
struct Table {
  State next[kStates][kInputs];
};

constexpr Table makeTable() {
  Table t{};
  for (int s = 0; s < kStates; ++s) {
    for (int i = 0; i < kInputs; ++i) t.next[s][i] = State(s);
    t.next[s][int(Input::CloseAll)] = State::Closed;
  }
  for (const Change& c : kChanges) t.next[int(c.from)][int(c.input)] = c.to;
  return t;
}

constexpr Table kTable = makeTable();

// Each state and input named at most once, and never "close all" (which
// closes from every state).
constexpr bool eachChangeOnce() {
  for (const Change& a : kChanges) {
    int seen = 0;
    for (const Change& b : kChanges) seen += a.from == b.from && a.input == b.input;
    if (seen != 1 || a.input == Input::CloseAll) return false;
  }
  return true;
}
static_assert(eachChangeOnce());

}  // namespace

State next(State state, Input input) {
  return kTable.next[int(state)][int(input)];
}

}  // namespace scenova::platform::audio_device_state
