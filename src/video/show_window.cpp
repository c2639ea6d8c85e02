#include "video/show_window.h"

#include <QKeyEvent>

namespace scenova::video {

ShowWindow::ShowWindow(const QString& name, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName(name);
  setWindowTitle(QStringLiteral("Scenova"));
  // Black from the first frame: no white flash while the window maps.
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  setAttribute(Qt::WA_NoSystemBackground, false);
  setCursor(Qt::BlankCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void ShowWindow::place(const QRect& monitor) {
  // Already there: placing again would only make the window flicker.
  if (geometry() == monitor && (windowState() & Qt::WindowFullScreen)) return;
  setWindowState(Qt::WindowNoState);
  setGeometry(monitor);
  // Full screen rather than maximised: a window manager's panels on the
  // projector would otherwise stay in front of the picture.
  setWindowState(Qt::WindowFullScreen);
  if (geometry() != monitor) setGeometry(monitor);
}

void ShowWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Q_EMIT escapePressed();
    return;
  }
  event->ignore();
}

}  // namespace scenova::video
