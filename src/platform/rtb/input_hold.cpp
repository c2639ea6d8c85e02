#include "platform/rtb/input_hold.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTextEdit>

namespace scenova::platform {

InputHold::InputHold(QTextEdit& editor) : editor_(&editor), viewport_(editor.viewport()) {
  editor.installEventFilter(this);
  editor.viewport()->installEventFilter(this);
}

InputHold::~InputHold() {
  if (editor_) editor_->removeEventFilter(this);
  if (viewport_) viewport_->removeEventFilter(this);
  for (auto& [target, event] : held_)
    if (target) QCoreApplication::postEvent(target, event.release());
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
  if (!editor_ || editor_->isReadOnly()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      // The middle button pastes the X selection; other clicks only move
      // the caret or fire cues.
      if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton) return false;
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      event->ignore();
      return true;
    default:
      return false;
  }
  held_.emplace_back(watched, event->clone());
  return true;
}

}  // namespace scenova::platform
