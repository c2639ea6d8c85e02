#pragma once

// Marks over the script that are not part of it: the next-cue highlight and
// the red wavy underline of cues whose file is missing. They live in the
// editor's extra selections, so they are never saved, raise no change and
// leave no undo step; they follow the text through edits until they are
// placed again.
//
//   ScriptMarks marks(editor);
//   NextCue next(editor, marks);
//   next.start();        // marks the first cue from the caret on
//   next.go();           // fires it as a click would, marks the one after
//   next.previous();     // moves the mark back without firing
//
// GO on a cue that starts a cue group (script/cue_groups.h) fires the whole
// group and marks the cue after it; the mark keys step group by group.

#include "script/cue_search.h"
#include "script/group_runner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextCursor>

#include <optional>

class QTextDocument;

namespace scenova::platform {
class RTB;
}

namespace scenova::script {

class CueActivation;

class ScriptMarks {
 public:
  explicit ScriptMarks(platform::RTB& editor);

  // The next cue; groupEnd, when past the cue, the end of the cues joined
  // after it (its group), which are drawn in a paler shade.
  void setNextCue(std::optional<CueBounds> cue, int groupEnd = -1);
  // Where the next-cue mark stands now (edits since it was placed move it).
  std::optional<CueBounds> nextCue() const;

  // Marks the first kMostBroken of these cues (in script order): every mark
  // is a cursor the editor moves on each edit and draws on each paint, and
  // a script with more missing files than that needs its folder fixed, not
  // more marks.
  void setBroken(const QList<CueBounds>& cues);
  QList<CueBounds> broken() const;
  static constexpr qsizetype kMostBroken = 1000;

 private:
  void apply();
  QTextCursor cursorOver(const CueBounds& cue) const;
  std::optional<CueBounds> boundsOf(const QTextCursor& c) const;

  platform::RTB& editor_;
  QTextCursor next_;
  QTextCursor nextGroup_;  // the rest of the next cue's group
  QList<QTextCursor> broken_;
};

// The next-cue mark of show mode and the GO that fires it.
class NextCue : public QObject {
  Q_OBJECT
 public:
  // activation: the click handling whose fired cues the mark follows.
  NextCue(platform::RTB& editor, ScriptMarks& marks, CueActivation& activation,
          QObject* parent = nullptr);

  // Marks the first cue from the caret on (the cue the caret stands in, or
  // the next one) and follows clicks and changes until stop().
  void start();
  void stop();
  bool active() const { return active_; }

  // The marked cue; none past the last cue or outside show mode.
  std::optional<CueBounds> mark() const;

  // Fires the marked cue exactly as a single click inside it does (the
  // editor's Click), then marks the cue after it. When cues are joined to
  // it by "+", fires them too, each as a click, and marks the cue after the
  // group at once (a Wait among them fires the rest later). False, firing
  // nothing, when no cue is marked.
  bool go();
  // Move the mark without firing: to the first cue of the group before it
  // (from past the end: of the last group), the cue after its group, the
  // first cue. A move with nowhere to go leaves the mark.
  void previous();
  void next();
  void first();

  // The waits of groups fired by GO. stop() and another script cancel
  // them; cancelWaits() too (Stop all), returning how many it dropped.
  CueGroupRunner& groups() { return groups_; }
  int cancelWaits() { return groups_.cancel(); }

 Q_SIGNALS:
  // The mark was placed (on a cue, or on none).
  void moved();

 private:
  void clicked();
  void changed();
  void place(std::optional<CueBounds> cue);
  void keepInView();
  bool isCueAt(const CueBounds& cue) const;
  bool fireGroupCue(const GroupCue& cue);

  platform::RTB& editor_;
  ScriptMarks& marks_;
  CueActivation& activation_;
  bool active_ = false;
  bool firingGroup_ = false;  // the clicks of a group leave the mark alone
  QPointer<QTextDocument> document_;
  CueGroupRunner groups_;
  QList<QMetaObject::Connection> connections_;
};

}  // namespace scenova::script
