#pragma once

// The toolbar's text formatting and the two font boxes. They act on the
// editor's selection, or with nothing selected on the insertion format.

#include <QString>

class QComboBox;

namespace scenova::platform {
class RTB;
}

namespace scenova::app {

class FormattingCommands {
 public:
  enum class Toggle { Bold, Italic, Underline, Strike, Bullet };

  explicit FormattingCommands(platform::RTB& editor) : rtb_(editor) {}

  // On where the whole selection has it, else (off or mixed) on; then
  // the editor takes the focus.
  void toggle(Toggle what);
  // The editor's codes: 0 left, 1 right, 2 centre; then the editor takes
  // the focus.
  void align(int code);
  // One point up or down; a selection of mixed sizes keeps its sizes.
  void stepSize(int points);

  // Combo1_Change: applies the font name only when the box's text is one
  // of its list entries.
  void Combo1_Change(const QComboBox& box);
  // Combo2_Change: applies a size that reads as a number above 0 (up to
  // the largest size a script file can hold).
  void Combo2_Change(const QComboBox& box);

  static constexpr double kLargestSize = 1638;

 private:
  platform::RTB& rtb_;
};

}  // namespace scenova::app
