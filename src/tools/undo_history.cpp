#include "tools/undo_history.h"

#include <algorithm>

namespace scenova::tools {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// count characters from `from` of the text `base` would be with its
// characters [at, at + replaced) replaced by x. Out-of-range parts are cut.
QString viewMid(const QString& base, int at, int replaced, const QString& x, int from, int count) {
  const int viewLength = static_cast<int>(base.size()) - replaced + static_cast<int>(x.size());
  from = std::clamp(from, 0, viewLength);
  const int end = from + std::clamp(count, 0, viewLength - from);
  const int xEnd = at + static_cast<int>(x.size());
  QString out;
  out.reserve(end - from);
  if (from < at) out += QStringView(base).mid(from, std::min(end, at) - from);
  if (end > at && from < xEnd) {
    const int a = std::max(from, at), b = std::min(end, xEnd);
    out += QStringView(x).mid(a - at, b - a);
  }
  if (end > xEnd) {
    const int a = std::max(from, xEnd);
    out += QStringView(base).mid(a - xEnd + at + replaced, end - a);
  }
  return out;
}

int size(const QString& s) {
  return static_cast<int>(s.size());
}

// Selects text that undo or redo put at `at`, or leaves the caret after it
// when it is one character or a line break.
void showPutBack(UndoEditor& editor, int at, const QString& s) {
  editor.select(at, 0);
  if (s != kLineBreak && s.size() > 1)
    editor.select(at, size(s));
  else
    editor.select(at + size(s), 0);
}

// Puts text at the caret and shows it.
void insertAt(UndoEditor& editor, int at, const QString& s) {
  editor.select(at, 0);
  editor.replaceSelection(s);
  showPutBack(editor, at, s);
}

}  // namespace

QString applyEdits(const QString& text, const std::vector<TextEdit>& edits) {
  qsizetype length = text.size();
  for (const TextEdit& e : edits) length += e.inserted.size() - e.removed.size();
  QString out;
  out.reserve(std::max<qsizetype>(length, 0));
  qsizetype done = 0;
  for (const TextEdit& e : edits) {
    const qsizetype at = std::clamp<qsizetype>(e.position, done, text.size());
    out += QStringView(text).mid(done, at - done);
    out += e.inserted;
    done = std::min(text.size(), at + e.removed.size());
  }
  out += QStringView(text).mid(done);
  return out;
}

int UndoHistory::Step::lengthBefore() const {
  int length = textLength;
  for (const TextEdit& e : edits) length += size(e.removed) - size(e.inserted);
  return length;
}

UndoHistory::UndoHistory(UndoEditor& editor) : editor_(editor) {}

void UndoHistory::reset() {
  undo_.clear();
  redo_.clear();
  state_ = editor_.mid(0, editor_.length());
  head_ = tail_ = INT_MAX;
  started_ = true;
  tracking_ = true;
}

void UndoHistory::noteEdit(int head, int tail) {
  head_ = std::min(head_, std::max(head, 0));
  tail_ = std::min(tail_, std::max(tail, 0));
}

// Makes state_ the editor's text again, as one edit that it returns through
// the step (empty when the text is the same).
void UndoHistory::synchronise() {
  const int n = size(state_), m = editor_.length();
  const int h = std::min({head_, n, m});
  const int t = std::min(tail_, std::min(n, m) - h);
  head_ = tail_ = INT_MAX;
  const QStringView was = QStringView(state_).mid(h, n - t - h);
  const QString now = editor_.mid(h, m - t - h);
  qsizetype pre = 0;
  const qsizetype shorter = std::min(was.size(), now.size());
  while (pre < shorter && was[pre] == now[pre]) ++pre;
  qsizetype suf = 0;
  while (suf < shorter - pre && was[was.size() - 1 - suf] == now[now.size() - 1 - suf]) ++suf;
  if (pre == was.size() && pre == now.size()) return;
  TextEdit e;
  e.position = h + static_cast<int>(pre);
  e.removed = was.mid(pre, was.size() - pre - suf).toString();
  e.inserted = now.mid(pre, now.size() - pre - suf);
  state_.replace(e.position, e.removed.size(), e.inserted);
  pending_.push_back(std::move(e));
}

void UndoHistory::recordChange() {
  if (!started_ || !tracking_) return;
  pending_.clear();
  synchronise();
  // A change of formatting alone leaves the text as it was: not a step.
  if (pending_.empty()) return;
  Step step;
  step.selStart = editor_.selStart();
  step.textLength = size(state_);
  step.edits = std::move(pending_);
  pending_.clear();
  if (!byLengthGivesBack(step)) {
    step.exact = step.typed = true;
    slideToFirstDifference(step.edits.front());
  }
  redo_.clear();
  undo_.push_back(std::move(step));
}

// The character at i of the text that holds a one-edit step's d characters:
// the later text for an insertion, the earlier one for a deletion (the
// later text, state_, with the removed characters put back).
QChar UndoHistory::longerAt(const TextEdit& e, int i) const {
  if (e.removed.isEmpty() || i < e.position) return state_.at(i);
  const int d = size(e.removed);
  return i < e.position + d ? e.removed.at(i - e.position) : state_.at(i - d);
}

// Whether taking a one-edit step back by its length at its caret gives the
// earlier text back: undo removes the d characters before the caret (an
// insertion) or puts back the d characters the earlier text held from the
// caret on (a deletion). Removing d characters at x or at y > x from one text
// gives the same text exactly when every character in [x, y) equals the one d
// further on, so only the characters between the edit and the caret count.
bool UndoHistory::byLengthGivesBack(const Step& step) const {
  const TextEdit& e = step.edits.front();
  if (!e.removed.isEmpty() && !e.inserted.isEmpty()) return false;  // over a selection
  const int d = size(e.removed) + size(e.inserted);
  const int longer = size(state_) + size(e.removed);
  const int at = e.removed.isEmpty() ? std::max(0, step.selStart - d) : step.selStart;
  if (at + d > longer) return false;
  for (int i = std::min(at, e.position); i < std::max(at, e.position); ++i) {
    if (longerAt(e, i) != longerAt(e, i + d)) return false;
  }
  return true;
}

// An insertion or a deletion inside a run of repeats can be told at several
// places; an exact step keeps the last one, where the earlier and the later
// text first differ.
void UndoHistory::slideToFirstDifference(TextEdit& e) const {
  if (!e.removed.isEmpty() && !e.inserted.isEmpty()) return;
  const int d = size(e.removed) + size(e.inserted);
  const int longer = size(state_) + size(e.removed);
  int p = e.position;
  while (p + d < longer && longerAt(e, p) == longerAt(e, p + d)) ++p;
  if (p == e.position) return;
  QString moved;
  moved.reserve(d);
  for (int i = p; i < p + d; ++i) moved += longerAt(e, i);
  (e.removed.isEmpty() ? e.inserted : e.removed) = moved;
  e.position = p;
}

void UndoHistory::adoptEditorText() {
  if (!started_) return;
  pending_.clear();
  synchronise();
  pending_.clear();
}

void UndoHistory::recordExact(const std::vector<TextEdit>& edits, int selStart) {
  if (!started_) return;
  applyToState(edits);
  Step step;
  step.selStart = selStart;
  step.textLength = size(state_);
  step.edits = edits;
  step.exact = true;
  redo_.clear();
  undo_.push_back(std::move(step));
}

void UndoHistory::applyToState(const std::vector<TextEdit>& edits) {
  if (edits.empty()) return;
  const int n = size(state_);
  const TextEdit& last = edits.back();
  head_ = std::min(head_, edits.front().position);
  tail_ = std::min(tail_, std::max(0, n - last.position - size(last.removed)));
  if (edits.size() == 1)
    state_.replace(last.position, last.removed.size(), last.inserted);
  else
    state_ = applyEdits(state_, edits);
}

std::vector<TextEdit> UndoHistory::inverse(const std::vector<TextEdit>& edits) {
  std::vector<TextEdit> out;
  out.reserve(edits.size());
  int shift = 0;
  for (const TextEdit& e : edits) {
    out.push_back({e.position + shift, e.inserted, e.removed});
    shift += size(e.inserted) - size(e.removed);
  }
  return out;
}

void UndoHistory::Undo() {
  if (started_ && tracking_ && !undo_.empty()) {
    tracking_ = false;
    Step cur = std::move(undo_.back());
    undo_.pop_back();
    if (cur.exact) {
      const std::vector<TextEdit> back = inverse(cur.edits);
      editor_.applyEdits(back);
      if (cur.typed)
        showPutBack(editor_, back.front().position, back.front().inserted);
      else
        editor_.select(back.front().position, 0);
      applyToState(back);
    } else {
      undoByLength(cur);
    }
    redo_.push_back(std::move(cur));
  }
  finish();
}

void UndoHistory::undoByLength(const Step& cur) {
  const int before = cur.lengthBefore();
  if (before < cur.textLength) {
    const int d = cur.textLength - before;
    editor_.select(std::max(0, cur.selStart - d), d);
    editor_.replaceSelection(QString());
  } else {
    const int d = before - cur.textLength;
    // The earlier text's characters from the caret on.
    QString s;
    if (cur.edits.empty()) {
      s = state_.mid(cur.selStart, d);
    } else {
      const TextEdit& e = cur.edits.front();
      s = viewMid(state_, e.position, size(e.inserted), e.removed, cur.selStart, d);
    }
    insertAt(editor_, cur.selStart, s);
  }
  applyToState(inverse(cur.edits));
}

void UndoHistory::Redo() {
  if (started_ && tracking_ && !redo_.empty()) {
    tracking_ = false;
    Step rec = std::move(redo_.back());
    redo_.pop_back();
    if (rec.exact) {
      editor_.applyEdits(rec.edits);
      const std::vector<TextEdit> back = inverse(rec.edits);
      const TextEdit& last = back.back();
      if (rec.typed)
        showPutBack(editor_, last.position, last.removed);
      else
        editor_.select(last.position + size(last.removed), 0);
      applyToState(rec.edits);
    } else {
      redoByLength(rec);
    }
    undo_.push_back(std::move(rec));
  }
  finish();
}

void UndoHistory::redoByLength(const Step& rec) {
  const int current = editor_.length();
  if (rec.textLength < current) {
    editor_.select(rec.selStart, current - rec.textLength);
    editor_.replaceSelection(QString());
  } else {
    const int d = rec.textLength - current;
    // The characters the change left before its caret. A caret the change
    // left before the end of what it added gives the span from the start.
    const int from = std::max(0, rec.selStart - d);
    QString s;
    if (rec.edits.empty()) {
      s = state_.mid(from, d);
    } else {
      const TextEdit& e = rec.edits.front();
      s = viewMid(state_, e.position, size(e.removed), e.inserted, from, d);
    }
    insertAt(editor_, from, s);
  }
  applyToState(rec.edits);
}

void UndoHistory::finish() {
  tracking_ = true;
  editor_.focus();
}

qsizetype UndoHistory::stepBytes() const {
  qsizetype bytes = 0;
  for (const auto* list : {&undo_, &redo_}) {
    bytes += static_cast<qsizetype>(list->capacity() * sizeof(Step));
    for (const Step& s : *list) {
      bytes += static_cast<qsizetype>(s.edits.capacity() * sizeof(TextEdit));
      for (const TextEdit& e : s.edits)
        bytes += (e.removed.capacity() + e.inserted.capacity()) * qsizetype{sizeof(QChar)};
    }
  }
  return bytes;
}

void UndoEditor::applyEdits(const std::vector<TextEdit>& edits) {
  for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
    select(e->position, size(e->removed));
    replaceSelection(e->inserted);
  }
}

}  // namespace scenova::tools
