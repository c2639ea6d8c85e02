#pragma once

// What the projector window and the picture window share: a frameless black
// top-level window without a pointer that is placed over one whole monitor.

#include <QWidget>

#include <optional>

namespace scenova::platform {
class MonitorSystem;
}

namespace scenova::video {

// The monitor right of the primary one: the one that holds the point just
// past the primary screen's width at the top. Nothing when no monitor is
// there (e.g. it was unplugged), so that nothing lands on the operator's
// screen instead.
std::optional<QRect> projectorMonitor(const platform::MonitorSystem& monitors);

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
