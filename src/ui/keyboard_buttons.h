#pragma once

// Picture buttons (labels that act on a click) that the keyboard reaches and
// presses as well: focusFirst() (a shortcut's work) takes the keyboard into
// the row, Tab and Shift+Tab, Left and Right (Home, End) go along it, Space
// or Enter presses the focused button, and Escape hands the focus back. What a button does, its
// accessible name and its tooltip are its owner's.

#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace scenova::ui {

class Control;

class KeyboardButtons : public QObject {
  Q_OBJECT
 public:
  // buttons: the row in its order (the Tab order is set to it); back: where
  // Escape returns the focus.
  KeyboardButtons(std::vector<Control*> buttons, QWidget* back, QObject* parent = nullptr);

  // Focuses the row's first enabled button; false when none is enabled.
  bool focusFirst();

 Q_SIGNALS:
  // A button of the row took the focus (its index in the row).
  void focused(int index);
  // The focus left the row.
  void left();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int indexOf(const QObject* o) const;
  bool focusFrom(int index, int step);
  void press(int index);
  void arm(bool on);

  std::vector<Control*> buttons_;
  QPointer<QWidget> back_;
};

}  // namespace scenova::ui
