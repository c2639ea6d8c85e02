#include "script/cue_marks.h"

#include "platform/rtb/rtb.h"
#include "script/cue_activation.h"
#include "script/cue_groups.h"
#include "script/editor_source.h"

#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>

namespace scenova::script {

namespace {

QTextCharFormat nextCueFormat() {
  QTextCharFormat f;
  f.setBackground(QColor(0xff, 0xd5, 0x4f));
  return f;
}

// The cues GO fires with the next cue: the mark's colour, paler.
QTextCharFormat nextGroupFormat() {
  QTextCharFormat f;
  f.setBackground(QColor(0xff, 0xec, 0xb3));
  return f;
}

QTextCharFormat brokenCueFormat() {
  QTextCharFormat f;
  f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
  f.setUnderlineColor(QColor(0xe0, 0x00, 0x00));
  return f;
}

}  // namespace

// ---- ScriptMarks -------------------------------------------------------------

ScriptMarks::ScriptMarks(platform::RTB& editor) : editor_(editor) {}

QTextCursor ScriptMarks::cursorOver(const CueBounds& cue) const {
  QTextCursor c(editor_.document());
  c.setPosition(editor_.toDocumentPosition(cue.open));
  c.setPosition(editor_.toDocumentPosition(cue.end()), QTextCursor::KeepAnchor);
  return c;
}

std::optional<CueBounds> ScriptMarks::boundsOf(const QTextCursor& c) const {
  // A cursor of a document the editor no longer shows (Open, New) marks
  // nothing.
  if (c.isNull() || c.document() != editor_.document()) return std::nullopt;
  const int open = editor_.toProgramPosition(c.selectionStart());
  const int end = editor_.toProgramPosition(c.selectionEnd());
  return CueBounds{open, std::max(open, end - 2)};
}

void ScriptMarks::setNextCue(std::optional<CueBounds> cue, int groupEnd) {
  next_ = cue ? cursorOver(*cue) : QTextCursor();
  nextGroup_ = QTextCursor();
  if (cue && groupEnd > cue->end()) {
    nextGroup_ = QTextCursor(editor_.document());
    nextGroup_.setPosition(editor_.toDocumentPosition(cue->end()));
    nextGroup_.setPosition(editor_.toDocumentPosition(groupEnd), QTextCursor::KeepAnchor);
  }
  apply();
}

std::optional<CueBounds> ScriptMarks::nextCue() const {
  return boundsOf(next_);
}

void ScriptMarks::setBroken(const QList<CueBounds>& cues) {
  broken_.clear();
  const qsizetype marked = std::min(cues.size(), kMostBroken);
  broken_.reserve(marked);
  for (qsizetype i = 0; i < marked; ++i) broken_.append(cursorOver(cues[i]));
  apply();
}

QList<CueBounds> ScriptMarks::broken() const {
  QList<CueBounds> cues;
  for (const QTextCursor& c : broken_)
    if (const std::optional<CueBounds> cue = boundsOf(c); cue && cue->contentLength() >= 0)
      cues.append(*cue);
  return cues;
}

void ScriptMarks::apply() {
  QList<QTextEdit::ExtraSelection> selections;
  const QTextCharFormat wavy = brokenCueFormat();
  for (const QTextCursor& c : broken_)
    if (boundsOf(c)) selections.append({c, wavy});
  if (boundsOf(next_)) {
    selections.append({next_, nextCueFormat()});
    if (!nextGroup_.isNull() && nextGroup_.document() == editor_.document())
      selections.append({nextGroup_, nextGroupFormat()});
  }
  editor_.setExtraSelections(selections);
}

// ---- NextCue -----------------------------------------------------------------

NextCue::NextCue(platform::RTB& editor, ScriptMarks& marks, CueActivation& activation,
                 QObject* parent)
    : QObject(parent),
      editor_(editor),
      marks_(marks),
      activation_(activation),
      groups_([this](const GroupCue& cue) { return fireGroupCue(cue); }) {}

void NextCue::start() {
  if (active_) return;
  active_ = true;
  // After the click handling, which finds the cue the click fires.
  connections_ << connect(&editor_, &platform::RTB::Click, this, &NextCue::clicked)
               << connect(&editor_, &platform::RTB::Change, this, &NextCue::changed);
  document_ = editor_.document();
  place(cueAtOrAfter(EditorSource(editor_), editor_.SelStart()));
}

void NextCue::stop() {
  if (!active_) return;
  active_ = false;
  for (const QMetaObject::Connection& c : connections_) disconnect(c);
  connections_.clear();
  groups_.cancel();
  marks_.setNextCue(std::nullopt);
}

std::optional<CueBounds> NextCue::mark() const {
  return active_ ? marks_.nextCue() : std::nullopt;
}

void NextCue::place(std::optional<CueBounds> cue) {
  int groupEnd = -1;
  if (cue) groupEnd = groupFrom(EditorSource(editor_), *cue).constLast().end();
  marks_.setNextCue(cue, groupEnd);
  keepInView();
  Q_EMIT moved();
}

// Whether the cue is still where it was found: the mark and the click must
// agree on the cue.
bool NextCue::isCueAt(const CueBounds& cue) const {
  const std::optional<CueSpan> clicked = findCueAround(editor_, cue.close);
  return clicked && clicked->start == cue.contentStart() && clicked->end == cue.close;
}

bool NextCue::go() {
  const std::optional<CueBounds> cue = mark();
  if (!cue) return false;
  const EditorSource source(editor_);
  // A mark the script moved under is placed again rather than fired.
  if (!isCueAt(*cue)) {
    place(cueAtOrAfter(source, cue->open));
    return true;
  }
  const QList<CueBounds> group = groupFrom(source, *cue);
  if (group.size() > 1) {
    QList<GroupCue> cues;
    for (const CueBounds& b : group)
      cues.append({b, editor_.Mid(b.contentStart(), b.contentLength())});
    const qsizetype left = groups_.run(cues);
    place(left < group.size() ? std::optional(group[left])
                              : cueAtOrAfter(EditorSource(editor_), group.constLast().end()));
    return true;
  }
  editor_.SetSelStart(cue->close);
  Q_EMIT editor_.Click();
  // A click that fired nothing (a script too short to hold a cue the click
  // accepts) still moves the mark on.
  if (mark() == cue) place(cueAtOrAfter(EditorSource(editor_), cue->end()));
  return true;
}

// One cue of a group, as a click on it: only while the script still holds
// it as it read when the group was fired.
bool NextCue::fireGroupCue(const GroupCue& cue) {
  if (document_ != editor_.document() || !isCueAt(cue.at) ||
      editor_.Mid(cue.at.contentStart(), cue.at.contentLength()) != cue.content)
    return false;
  const QScopedValueRollback quiet(firingGroup_, true);
  editor_.SetSelStart(cue.at.close);
  Q_EMIT editor_.Click();
  return true;
}

void NextCue::clicked() {
  if (firingGroup_) return;
  const std::optional<CueSpan> fired = activation_.firedCue();
  if (!fired) return;  // a click beside the cues leaves the mark
  // The fired cue as it reads now (firing may have rewritten it), then the
  // one after it.
  const EditorSource source(editor_);
  const std::optional<CueBounds> self = cueAtOrAfter(source, fired->start);
  place(self ? cueAtOrAfter(source, self->end()) : std::nullopt);
}

void NextCue::changed() {
  const EditorSource source(editor_);
  if (document_ != editor_.document()) {
    // Another script (Open, New): start again from its caret; the waits of
    // the old script's groups go with it.
    document_ = editor_.document();
    groups_.cancel();
    place(cueAtOrAfter(source, editor_.SelStart()));
    return;
  }
  if (const std::optional<CueBounds> cue = marks_.nextCue()) place(cueAtOrAfter(source, cue->open));
}

void NextCue::previous() {
  if (!active_) return;
  const std::optional<CueBounds> cue = mark();
  const EditorSource source(editor_);
  if (const std::optional<CueBounds> before =
          cueEndingBy(source, cue ? cue->open : source.length()))
    place(groupStartOf(source, *before));
}

void NextCue::next() {
  if (!active_) return;
  const std::optional<CueBounds> cue = mark();
  if (!cue) return;
  const EditorSource source(editor_);
  if (const std::optional<CueBounds> after =
          cueAtOrAfter(source, groupFrom(source, *cue).constLast().end()))
    place(after);
}

void NextCue::first() {
  if (!active_) return;
  if (const std::optional<CueBounds> cue = cueAtOrAfter(EditorSource(editor_), 0)) place(cue);
}

void NextCue::keepInView() {
  const std::optional<CueBounds> cue = marks_.nextCue();
  if (!cue) return;
  QTextCursor at(editor_.document());
  at.setPosition(editor_.toDocumentPosition(cue->open));
  const QRect r = editor_.cursorRect(at);
  const int height = editor_.viewport()->height();
  if (r.top() >= 0 && r.bottom() <= height) return;
  // Out of view: bring it a third of the way down, with the lines before it
  // in sight.
  QScrollBar* bar = editor_.verticalScrollBar();
  bar->setValue(bar->value() + r.top() - height / 3);
}

}  // namespace scenova::script
