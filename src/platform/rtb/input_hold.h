#pragma once

// Holds the input that would edit a script while the script is being
// written or replaced, so that what the file gets and what the editor shows
// is always one whole version of the script. Keys, input-method text and
// middle-button pastes aimed at the editor are kept and handed to it again
// when the hold ends (or thrown away with drop(), when they were meant for a
// script that has since been replaced); drops are refused. Everything else
// (painting, scrolling, clicks on cues, the rest of the window) goes on. A
// read-only editor (show mode) is not held: its keys fire cues.

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QTextEdit;

namespace scenova::platform {

class InputHold : public QObject {
 public:
  explicit InputHold(QTextEdit& editor);
  ~InputHold() override;
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

  // What was held is thrown away instead of handed on.
  void drop() { held_.clear(); }
  int heldCount() const { return static_cast<int>(held_.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QTextEdit> editor_;
  QPointer<QObject> viewport_;
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

}  // namespace scenova::platform
