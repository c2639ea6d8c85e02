#pragma once

// What the projector window and the picture window share: a frameless black
// top-level window without a pointer that is placed over one whole monitor.

#include <QWidget>

namespace scenova::video {

class ShowWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShowWindow(const QString& name, QWidget* parent = nullptr);

  // Normal state, moved onto the monitor, then full size there. The window
  // covers exactly the monitor's rectangle, with or without a window manager.
  void place(const QRect& monitor);

 Q_SIGNALS:
  // Escape was pressed in the window (or in a child that passes it on).
  void escapePressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace scenova::video
