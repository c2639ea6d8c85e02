#pragma once

// Where the cues of a script lie: the one set of rules that the click, the
// GO key, the next-cue mark, the broken-cue marks and the pre-show check
// share.
//
// A cue is an opening pair "[[" and the first closing pair "]]" after it;
// of several opening pairs before a closing pair the nearest one counts
// ("[[a [[b]]" holds the cue "b"). A closing pair with no opening pair
// before it is plain text. Cues never nest or overlap, and every cue these
// rules find fires when clicked just before its closing pair.
//
// The searches read the script in pieces that grow as they go, never the
// whole text, so a search near the mark costs the same in a long script as
// in a short one. They need no widgets: script/editor_source.h reads the
// script in the editor.

#include <QString>
#include <QStringView>

#include <optional>

namespace scenova::script {

// Read access to a script's plain text (positions from 0).
class ScriptSource {
 public:
  virtual ~ScriptSource() = default;
  virtual int length() const = 0;
  // The text from position, at most count characters (fewer at the end).
  virtual QString read(int position, int count) const = 0;
};

// A script held as one string.
class StringSource final : public ScriptSource {
 public:
  explicit StringSource(QStringView text) : text_(text) {}
  int length() const override { return static_cast<int>(text_.size()); }
  QString read(int position, int count) const override;

 private:
  QStringView text_;
};

// One cue: its opening pair starts at open, its closing pair at close; the
// content is the characters [open + 2, close).
struct CueBounds {
  int open = 0;
  int close = 0;
  int contentStart() const { return open + 2; }
  int contentLength() const { return close - open - 2; }
  int end() const { return close + 2; }  // the position after the closing pair
  friend bool operator==(const CueBounds&, const CueBounds&) = default;
};

// Whether the two characters of s from at are the bracket twice.
bool isBracketPair(QStringView s, qsizetype at, char bracket);

// The opening pair a caret at position stands in: going back from the pair
// that holds the characters either side of the caret, the first "[[" before
// any "]]". -1 when a "]]" comes first or there is none.
int openingBefore(const ScriptSource& source, int position);

// The first cue whose closing pair starts at or after from: the cue the
// position is in, or else the next one. None when no cue closes there.
std::optional<CueBounds> cueAtOrAfter(const ScriptSource& source, int from);

// The last cue that ends (closing pair included) at or before limit.
std::optional<CueBounds> cueEndingBy(const ScriptSource& source, int limit);

}  // namespace scenova::script
