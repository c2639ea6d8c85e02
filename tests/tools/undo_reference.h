#pragma once

// A history that keeps a full copy of the text per step and compares two
// copies by their lengths: the behaviour the script's undo must have, kept
// here in its plainest form to check the real history against. Where
// comparing by length would not give the earlier text back (typing or
// pasting over a selection), it puts back the earlier copy's differing
// characters exactly. A change that leaves the text as it was (formatting)
// is no step.

#include "tools/undo_history.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace scenova::tools::testing {

class FullSnapshotHistory {
 public:
  explicit FullSnapshotHistory(UndoEditor& editor) : editor_(editor) {}

  void reset() {
    undo_.clear();
    redo_.clear();
    tracking_ = true;
    record();
  }

  void change() {
    if (tracking_) record();
  }

  void Undo() {
    if (undo_.size() >= 2 && tracking_) {
      tracking_ = false;
      const Snapshot prev = undo_.at(undo_.size() - 2);
      const Snapshot cur = undo_.last();
      if (cur.exact) {
        replaceDifference(cur.text, prev.text);
      } else if (prev.text.size() < cur.text.size()) {
        const int d = int(cur.text.size() - prev.text.size());
        editor_.select(std::max(0, cur.selStart - d), d);
        editor_.replaceSelection(QString());
      } else {
        const int d = int(prev.text.size() - cur.text.size());
        insertAt(cur.selStart, changedText(prev.text, cur.text, cur.selStart + 1 + d));
      }
      redo_.append(cur);
      undo_.removeLast();
    }
    tracking_ = true;
    editor_.focus();
  }

  void Redo() {
    if (!redo_.isEmpty() && tracking_) {
      tracking_ = false;
      const Snapshot rec = redo_.last();
      const int length = editor_.length();
      if (rec.exact) {
        replaceDifference(editor_.mid(0, length), rec.text);
      } else if (rec.text.size() < length) {
        editor_.select(rec.selStart, length - int(rec.text.size()));
        editor_.replaceSelection(QString());
      } else {
        const QString current = editor_.mid(0, length);
        const int d = int(rec.text.size()) - length;
        // A span that would start before the text starts at its first
        // character.
        const int from = std::max(0, rec.selStart - d);
        insertAt(from, changedText(current, rec.text, from + d + 1));
      }
      undo_.append(rec);
      redo_.removeLast();
    }
    tracking_ = true;
    editor_.focus();
  }

 private:
  struct Snapshot {
    int selStart;
    QString text;
    bool exact = false;  // comparing by length would not give the earlier text back
  };

  // What undo by length makes of text `cur` (caret selStart) given the
  // earlier text `prev`.
  static QString undoneByLength(const QString& prev, const QString& cur, int selStart) {
    QString out = cur;
    if (prev.size() < cur.size()) {
      const int d = int(cur.size() - prev.size());
      out.remove(std::max(0, selStart - d), d);
    } else {
      out.insert(selStart, changedText(prev, cur, selStart + 1 + int(prev.size() - cur.size())));
    }
    return out;
  }

  // Turns text `from` (the editor's) into `to` by replacing the characters
  // between their common start and common end, then shows what came in.
  void replaceDifference(const QString& from, const QString& to) {
    int pre = 0;
    const int shorter = int(std::min(from.size(), to.size()));
    while (pre < shorter && from.at(pre) == to.at(pre)) ++pre;
    int suf = 0;
    while (suf < shorter - pre && from.at(from.size() - 1 - suf) == to.at(to.size() - 1 - suf))
      ++suf;
    const QString in = to.mid(pre, to.size() - pre - suf);
    editor_.select(pre, int(from.size()) - pre - suf);
    editor_.replaceSelection(in);
    if (in != QStringLiteral("\r\n") && in.size() > 1)
      editor_.select(pre, int(in.size()));
    else
      editor_.select(pre + int(in.size()), 0);
  }

  // The d characters of the longer string that end before position pos
  // (counted from 1).
  static QString changedText(const QString& a, const QString& b, int pos) {
    const QString& longer = b.size() < a.size() ? a : b;
    const int d = int(std::abs(a.size() - b.size()));
    if (d == 0) return {};
    return longer.mid(pos - 1 - d, d);
  }

  void insertAt(int at, const QString& s) {
    editor_.select(at, 0);
    editor_.replaceSelection(s);
    editor_.select(at, 0);
    if (s != QStringLiteral("\r\n") && s.size() > 1)
      editor_.select(at, int(s.size()));
    else
      editor_.select(at + int(s.size()), 0);
  }

  void record() {
    Snapshot now{editor_.selStart(), editor_.mid(0, editor_.length())};
    if (!undo_.isEmpty()) {
      if (now.text == undo_.last().text) return;
      now.exact = undoneByLength(undo_.last().text, now.text, now.selStart) != undo_.last().text;
    }
    redo_.clear();
    undo_.append(now);
  }

  UndoEditor& editor_;
  QList<Snapshot> undo_, redo_;
  bool tracking_ = false;
};

}  // namespace scenova::tools::testing
