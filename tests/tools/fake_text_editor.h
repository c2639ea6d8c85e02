#pragma once

// A plain-text editor for the undo tests: a string, a caret and a
// selection, reporting each edit and each change as the script editor does.

#include "tools/undo_history.h"

#include <algorithm>
#include <functional>

namespace scenova::tools::testing {

class FakeTextEditor : public UndoEditor {
 public:
  // Called after every edit with the unchanged head and tail lengths, then
  // the change notification.
  std::function<void(int head, int tail)> onEdit;
  std::function<void()> onChange;

  QString text;
  int start = 0;
  int selected = 0;

  int length() const override { return int(text.size()); }
  QString mid(int position, int count) const override { return text.mid(position, count); }
  int selStart() const override { return start; }
  void select(int s, int count) override {
    start = std::clamp(s, 0, length());
    selected = std::min(std::max(count, 0), length() - start);
  }
  void replaceSelection(const QString& t) override {
    const int tail = length() - start - selected;
    text.replace(start, selected, t);
    start += int(t.size());
    selected = 0;
    if (onEdit) onEdit(start - int(t.size()), tail);
    if (onChange) onChange();
  }
  void focus() override { ++focusCount; }
  int focusCount = 0;

  // Typing and keys, as the author uses them.
  void type(const QString& t) { replaceSelection(t); }
  void backspace() {
    if (selected == 0 && start > 0) {
      const int n = (start >= 2 && text.mid(start - 2, 2) == QStringLiteral("\r\n")) ? 2 : 1;
      select(start - n, n);
    }
    if (selected > 0) replaceSelection(QString());
  }
  void del() {
    if (selected == 0 && start < length()) {
      const int n = text.mid(start, 2) == QStringLiteral("\r\n") ? 2 : 1;
      select(start, n);
    }
    if (selected > 0) replaceSelection(QString());
  }
};

}  // namespace scenova::tools::testing
