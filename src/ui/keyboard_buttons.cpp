#include "ui/keyboard_buttons.h"

#include "ui/controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace scenova::ui {

KeyboardButtons::KeyboardButtons(std::vector<Control*> buttons, QWidget* back, QObject* parent)
    : QObject(parent), buttons_(std::move(buttons)), back_(back) {
  Control* previous = nullptr;
  for (Control* b : buttons_) {
    // Focusable only while the keyboard is in the row (see arm()).
    b->setFocusPolicy(Qt::NoFocus);
    b->installEventFilter(this);
    if (previous) QWidget::setTabOrder(previous, b);
    previous = b;
  }
}

namespace {

bool ownKey(int key) {
  switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Escape:
      return true;
    default:
      return false;
  }
}

}  // namespace

int KeyboardButtons::indexOf(const QObject* o) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i] == o) return static_cast<int>(i);
  return -1;
}

// The next enabled, visible button from index on in the direction of step.
bool KeyboardButtons::focusFrom(int index, int step) {
  for (int i = index; i >= 0 && i < static_cast<int>(buttons_.size()); i += step) {
    Control* b = buttons_[static_cast<size_t>(i)];
    if (b->isEnabled() && b->isVisibleTo(b->window())) {
      b->setFocus(Qt::ShortcutFocusReason);
      return true;
    }
  }
  return false;
}

// A command pressed from the keyboard leaves the focus on its button (a
// command hands it to the script for the mouse's sake), so that the next
// key goes on along the row.
void KeyboardButtons::press(int index) {
  const QPointer<Control> b = buttons_[static_cast<size_t>(index)];
  Q_EMIT b->Click();
  if (b && b->isEnabled() && b->isVisible() && QApplication::activeWindow() == b->window())
    b->setFocus(Qt::OtherFocusReason);
}

// While the keyboard is in the row, Tab goes from button to button; out of
// it the buttons take no focus, so that the window's first focus and its
// Tab order stay as they were.
void KeyboardButtons::arm(bool on) {
  for (Control* b : buttons_) b->setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

bool KeyboardButtons::focusFirst() {
  arm(true);
  if (focusFrom(0, +1)) return true;
  arm(false);
  return false;
}

bool KeyboardButtons::eventFilter(QObject* watched, QEvent* event) {
  const int index = indexOf(watched);
  if (index < 0) return false;
  if (event->type() == QEvent::FocusIn) {
    arm(true);
    Q_EMIT focused(index);
    return false;
  }
  if (event->type() == QEvent::FocusOut) {
    // The new focus is already set when the old one hears of it.
    if (indexOf(QApplication::focusWidget()) < 0) {
      arm(false);
      Q_EMIT left();
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() & ~Qt::KeypadModifier) return false;
  if (event->type() == QEvent::ShortcutOverride) {
    // The row's own keys come to it, before any shortcut of the window
    // (Escape would otherwise close the window, not leave the row).
    if (!ownKey(key->key())) return false;
    key->accept();
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!key->isAutoRepeat()) press(index);
      return true;
    case Qt::Key_Left:
      focusFrom(index - 1, -1);
      return true;
    case Qt::Key_Right:
      focusFrom(index + 1, +1);
      return true;
    case Qt::Key_Home:
      focusFrom(0, +1);
      return true;
    case Qt::Key_End:
      focusFrom(static_cast<int>(buttons_.size()) - 1, -1);
      return true;
    case Qt::Key_Escape:
      if (back_) back_->setFocus(Qt::ShortcutFocusReason);
      return true;
    default:
      return false;
  }
}

}  // namespace scenova::ui
