#pragma once

// Cue groups: cues joined by a "+" with nothing but blanks around it,
// within one paragraph,
//
//   [[door.wav]] + [[Vol 40]] + [[Play Audio]]
//
// are fired by one GO of show mode, in order. A [[Wait 1.5]] among them
// fires the cues after it that many seconds later. Outside show mode the
// "+" means nothing: a click fires the one cue it lands in.
//
// Like the cue search these read the script in small pieces and need no
// widgets.

#include "script/cue_search.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace scenova::script {

// The most cues one GO fires: a longer chain of "+" goes on at the next GO,
// so that a key press never holds the window for a whole script.
constexpr int kMostInGroup = 64;

// The cue joined to this one by a "+" after it, if any.
std::optional<CueBounds> joinedAfter(const ScriptSource& source, const CueBounds& cue);

// The cue this one is joined to by a "+" before it, if any.
std::optional<CueBounds> joinedBefore(const ScriptSource& source, const CueBounds& cue);

// The cues one GO on this cue fires: it and the cues joined after it (at
// most kMostInGroup).
QList<CueBounds> groupFrom(const ScriptSource& source, const CueBounds& first);

// The first cue of the group this cue belongs to (the cue itself when
// nothing is joined before it).
CueBounds groupStartOf(const ScriptSource& source, const CueBounds& cue);

// The shortest and longest wait, in seconds.
constexpr double kShortestWait = 0.1;
constexpr double kLongestWait = 600;

// The wait a [[Wait s]] cue asks for, in milliseconds: none when the time is
// not a plain number from 0.1 to 600 (read with a point, as every number in
// a cue).
std::optional<int> waitMs(QStringView argument);

}  // namespace scenova::script
