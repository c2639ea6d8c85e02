#pragma once

// The monitor list: built at start-up by probing the virtual desktop, and
// built again by its owner whenever the system reports a monitor added,
// removed or moved. Callers mostly ask how many monitors there are; a count
// above one enables the projector, which goes to ProjectorMonitor().

#include <QList>
#include <QString>

class QWidget;

namespace scenova::platform {
class MonitorSystem;
}

namespace scenova::video {

// One monitor, in pixels of the virtual desktop.
struct clsMonitor {
  qint64 Handle = 0;
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width = 0, Height = 0;
  int WorkLeft = 0, WorkTop = 0, WorkRight = 0, WorkBottom = 0;
};

class clsMonitors {
 public:
  // Builds the list at once (Refresh).
  explicit clsMonitors(const platform::MonitorSystem& system);

  // The entries in probe order; key() gives an entry's key.
  const QList<clsMonitor>& Monitors() const { return monitors_; }
  int Count() const { return int(monitors_.size()); }
  // The entry under a key (the decimal text of its handle); null if none.
  const clsMonitor* Item(const QString& key) const;
  static QString key(const clsMonitor& m) { return QString::number(m.Handle); }

  int DesktopLeft() const;
  int DesktopTop() const;
  int DesktopWidth() const;
  int DesktopHeight() const;

  // Rebuilds the list: one entry per monitor that contains the centre of a
  // 640x480 cell of the virtual desktop, rows top to bottom, left to right.
  void Refresh();

  // The monitor the show windows go to: the first entry that is not the
  // primary monitor, an entry wholly right of the primary (its left edge at
  // or past the primary's right edge) before any other. Left of, above,
  // below or bottom-aligned beside the primary all work. Null when the list
  // holds only the primary.
  const clsMonitor* ProjectorMonitor() const;

  // -1 when the look-up cannot be made; 0 when no monitor matches and
  // flags is 0 (flags 1: the primary monitor then).
  qint64 GetMonitorFromXYPoint(int x, int y, int flags) const;
  qint64 GetMonitorFromWindow(const QWidget* window, int flags) const;

  // Centres form within the work area's size placed at the top-left corner
  // of the monitor of reference (or of the point (1, 1) without one).
  void CenterFormOnMonitor(QWidget* form, const QWidget* reference = nullptr) const;

 private:
  bool FillMonitorInfo(qint64 handle, clsMonitor& entry) const;
  int SafeSystemMetric(int value, int fallback) const;

  const platform::MonitorSystem& system_;
  QList<clsMonitor> monitors_;
};

}  // namespace scenova::video
