// Keyboard and mouse events of the script editor.

#include "platform/key_codes.h"
#include "platform/rtb/rtb.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>

namespace scenova::platform {

namespace {

// The character code KeyPress reports for a key, 0 when the key types none.
int pressedCharacter(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Tab:
      return event.modifiers() & Qt::ControlModifier ? 0 : 9;
    default:
      break;
  }
  const Qt::KeyboardModifiers m = event.modifiers();
  if ((m & Qt::ControlModifier) && !(m & Qt::AltModifier)) {
    const int key = event.key();
    return key >= Qt::Key_A && key <= Qt::Key_Z ? key - Qt::Key_A + 1 : 0;
  }
  const QList<uint> chars = event.text().toUcs4();
  if (chars.size() != 1) return 0;
  const uint c = chars.first();
  return c >= 0x20 && c != 0x7F ? static_cast<int>(c) : 0;
}

bool isTypable(int c) {
  return c == 9 || c == 13 || (c >= 0x20 && c != 0x7F && c <= 0x10FFFF);
}

QString textOf(int c) {
  if (c == 13) return QString(QChar::ParagraphSeparator);
  const char32_t u = static_cast<char32_t>(c);
  return QString::fromUcs4(&u, 1);
}

}  // namespace

// Types a character the way typing does (replacing the selection).
bool RTB::typeCharacter(int character) {
  if (!isTypable(character)) return false;
  QTextCursor c = textCursor();
  c.insertText(textOf(character));
  setTextCursor(c);
  ensureCursorVisible();
  return true;
}

void RTB::keyPressEvent(QKeyEvent* event) {
  const int shift = shiftState(event->modifiers());
  if (int code = virtualKeyCode(*event)) {
    Q_EMIT KeyDown(code, shift);
    if (code == 0) {
      event->accept();
      return;
    }
  }
  if (const int original = pressedCharacter(*event)) {
    int character = original;
    Q_EMIT KeyPress(character);
    if (character == 0 || (character != original && typeCharacter(character))) {
      event->accept();
      return;
    }
  }
  if (event->matches(QKeySequence::Paste)) {
    // Asked for without holding the window (Qt's own paste waits for the
    // clipboard's owner).
    Paste();
    event->accept();
    return;
  }
  QTextEdit::keyPressEvent(event);
  // Keys typed into the editor are the editor's: the window around it never
  // sees them, whether or not the editor had a use for them.
  event->accept();
}

void RTB::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) {
    if (const int code = virtualKeyCode(*event)) Q_EMIT KeyUp(code, shiftState(event->modifiers()));
  }
  QTextEdit::keyReleaseEvent(event);
  event->accept();
}

// Characters composed by an input method are typed characters too.
void RTB::inputMethodEvent(QInputMethodEvent* event) {
  const QList<uint> chars = event->commitString().toUcs4();
  if (chars.size() != 1 || !event->preeditString().isEmpty() || event->replacementLength() != 0) {
    QTextEdit::inputMethodEvent(event);
    return;
  }
  const int original = static_cast<int>(chars.first());
  int character = original;
  Q_EMIT KeyPress(character);
  if (character == original) {
    QTextEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent rest(event->preeditString(), event->attributes());
  QTextEdit::inputMethodEvent(&rest);
  if (character != 0) typeCharacter(character);
  event->accept();
}

void RTB::mousePressEvent(QMouseEvent* event) {
  QTextEdit::mousePressEvent(event);
  buttonDown_ = true;
  pressPosition_ = event->position();
  clickArmed_ = event->button() == Qt::LeftButton;
  const QPointF at = event->position() + viewport()->pos();
  Q_EMIT MouseDown(mouseButtonCode(event->button()), shiftState(event->modifiers()),
                   qRound(at.x() * 15), qRound(at.y() * 15));
}

void RTB::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && !isReadOnly() &&
      QGuiApplication::clipboard()->supportsSelection()) {
    // The middle button pastes the primary selection where it was released,
    // once its owner has answered.
    setTextCursor(cursorForPosition(event->position().toPoint()));
    Paste(true);
    buttonDown_ = false;
    clickArmed_ = false;
    event->accept();
    return;
  }
  QTextEdit::mouseReleaseEvent(event);
  buttonDown_ = false;
  const bool click =
      clickArmed_ && event->button() == Qt::LeftButton &&
      (event->position() - pressPosition_).manhattanLength() < QApplication::startDragDistance();
  clickArmed_ = false;
  if (click) Q_EMIT Click();
}

// Qt delivers a double-click as press, release, double-click, release: the
// double-click stands for the second press. Should the second press come as
// well, it is not counted twice.
void RTB::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    // A quick second press of another button is just a press.
    if (!buttonDown_) mousePressEvent(event);
    return;
  }
  QTextEdit::mouseDoubleClickEvent(event);
  clickArmed_ = false;  // the release that follows is not another click
  Q_EMIT DblClick();
}

}  // namespace scenova::platform
