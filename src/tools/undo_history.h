#pragma once

// The script's undo and redo.
//
// Behaviour. After every recorded change the history notes the caret and the
// text; Undo and Redo compare the last two states by their lengths and put
// back only the difference at the recorded caret, so that the formatting of
// the rest of the script stays as it is:
// - Undo of a change that made the text longer removes that many characters
//   before the caret the change left. Otherwise it inserts, at that caret,
//   the characters the earlier text held there, and selects them (a single
//   character or a line break is not selected: the caret goes after it).
// - Redo of a change that made the text shorter removes that many characters
//   from the recorded caret; otherwise it inserts the characters the later
//   text held before its caret, selected in the same way.
// - A change that taking back by its length would not give back exactly
//   (typing or pasting over a selection, or a caret left away from the
//   edit) is undone and redone exactly: undo puts back the characters the
//   change removed where it removed them, shown as above; redo makes the
//   change again and shows what it inserted the same way.
// - A new change empties the redo list. Undo and redo switch recording off
//   while they edit, so their own edits are not recorded. Undo never goes
//   back beyond the first state (the text at start-up, New or Open).
// - Only characters come back, never formatting, and only a change of the
//   characters is a step: a change of formatting alone (bold, a colour) is
//   none and leaves the redo list alone.
//
// Memory. The history keeps one copy of the text of its last state and,
// per step, the caret, the length and the characters that changed (a
// keystroke costs a few dozen bytes whatever the size of the script). The
// behaviour is that of a history holding a full copy of the text per step.
//
// Steps made by the program with several separate edits (Replace All) are
// recorded as one exact step: its undo restores the text exactly.

#include <QList>
#include <QString>

#include <climits>
#include <vector>

namespace scenova::tools {

// One replacement in a multi-part edit: at position (of the text before the
// edit) removed characters gave way to inserted ones.
struct TextEdit {
  int position = 0;
  QString removed;
  QString inserted;
};

// What the history needs of the editor. Positions count characters from 0
// as the editor's text reads.
class UndoEditor {
 public:
  virtual ~UndoEditor() = default;
  virtual int length() const = 0;
  virtual QString mid(int position, int count) const = 0;
  virtual int selStart() const = 0;
  // Selects count characters from start, both clamped to the text.
  virtual void select(int start, int count) = 0;
  // Replaces the selection by text and leaves the caret after it.
  virtual void replaceSelection(const QString& text) = 0;
  virtual void focus() = 0;
  // Applies edits (ascending positions in the current text, not
  // overlapping) as one change; the default goes from the last to the first
  // with select and replaceSelection.
  virtual void applyEdits(const std::vector<TextEdit>& edits);
};

class UndoHistory {
 public:
  explicit UndoHistory(UndoEditor& editor);

  // Forgets every step and takes the editor's current text as the first
  // state; recording is on from now on.
  void reset();
  bool tracking() const { return tracking_; }
  void setTracking(bool on) { tracking_ = on; }

  // What an editor change kept: the first head and the last tail characters
  // of the text are the same as before it. Every change of the editor's
  // text must be reported so (or as unknownEdit) before recordChange.
  void noteEdit(int head, int tail);
  void unknownEdit() { noteEdit(0, 0); }

  // The editor's change notification: records a step when recording is on
  // and the history has been started.
  void recordChange();

  // Records a change the caller made as the given edits (positions in the
  // text before the edit, ascending, not overlapping), to be undone and
  // redone exactly as one step. The caller has already applied them to the
  // editor, with recording off.
  void recordExact(const std::vector<TextEdit>& edits, int selStart);
  // Takes the editor's text as the text of the last state without
  // recording a step (before a change recorded with recordExact).
  void adoptEditorText();

  void Undo();
  void Redo();

  bool started() const { return started_; }
  // Steps that can be undone and redone.
  int undoCount() const { return static_cast<int>(undo_.size()); }
  int redoCount() const { return static_cast<int>(redo_.size()); }
  // Bytes held by the steps (not the one copy of the current state's text).
  qsizetype stepBytes() const;
  // The text of the last state (for tests).
  const QString& stateText() const { return state_; }

 private:
  struct Step {
    int selStart = 0;
    int textLength = 0;           // after the step
    std::vector<TextEdit> edits;  // positions in the text before the step
    bool exact = false;
    // A change of the editor undone exactly: what comes back is shown as
    // undo by length shows it.
    bool typed = false;
    int lengthBefore() const;
  };

  void synchronise();
  QChar longerAt(const TextEdit& e, int i) const;
  bool byLengthGivesBack(const Step& step) const;
  void slideToFirstDifference(TextEdit& e) const;
  void applyToState(const std::vector<TextEdit>& edits);
  static std::vector<TextEdit> inverse(const std::vector<TextEdit>& edits);
  void undoByLength(const Step& cur);
  void redoByLength(const Step& rec);
  void finish();

  UndoEditor& editor_;
  QString state_;
  std::vector<TextEdit> pending_;
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  bool tracking_ = false;
  bool started_ = false;
  // The editor's text and state_ agree on their first head_ and last tail_
  // characters.
  int head_ = INT_MAX;
  int tail_ = INT_MAX;
};

// text with the edits (ascending positions in text) applied, in one pass.
QString applyEdits(const QString& text, const std::vector<TextEdit>& edits);

}  // namespace scenova::tools
