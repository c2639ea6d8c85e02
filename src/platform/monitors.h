#pragma once

// The monitors of the desktop, in pixels of the virtual desktop: what the
// monitor list, the projector and the picture window need to know.

#include <QObject>
#include <QRect>
#include <QSize>

#include <optional>

class QScreen;
class QWidget;

namespace scenova::platform {

struct MonitorRects {
  QRect monitor;  // the whole monitor
  QRect work;     // without panels and task bars
};

class MonitorSystem : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~MonitorSystem() override = default;

  // How many monitors the platform reports; 0 when it cannot tell them
  // apart (no multi-monitor support).
  virtual int monitorCount() const = 0;
  // The rectangle that holds every monitor.
  virtual QRect virtualDesktop() const = 0;
  // The primary monitor's size.
  virtual QSize primarySize() const = 0;
  // A stable, non-zero number for the monitor that contains the point; with
  // orPrimary the primary monitor's when none does, else 0.
  virtual qint64 monitorAt(QPoint point, bool orPrimary) const = 0;
  // The monitor that holds most of the window (see monitorAt).
  virtual qint64 monitorOfWindow(const QWidget* window, bool orPrimary) const = 0;
  // The rectangles of a monitor; nothing for an unknown handle.
  virtual std::optional<MonitorRects> monitorInfo(qint64 handle) const = 0;
  // The primary monitor's handle (see monitorAt); 0 when there is none.
  virtual qint64 primaryMonitor() const = 0;

 Q_SIGNALS:
  // A monitor was added or removed, or one moved or changed its size. Sent
  // while the change happens: a monitor that went away is no longer
  // reported, and windows on it have not been moved anywhere yet.
  void changed();
};

// The monitors as Qt's screens see them: a screen's geometry and its
// available geometry. Handles are numbered per screen in the order the
// screens were first seen and never reused.
class QtMonitorSystem final : public MonitorSystem {
  Q_OBJECT
 public:
  // Follows the screens Qt reports (added, removed, geometry changed).
  explicit QtMonitorSystem(QObject* parent = nullptr);
  int monitorCount() const override;
  QRect virtualDesktop() const override;
  QSize primarySize() const override;
  qint64 monitorAt(QPoint point, bool orPrimary) const override;
  qint64 monitorOfWindow(const QWidget* window, bool orPrimary) const override;
  std::optional<MonitorRects> monitorInfo(qint64 handle) const override;
  qint64 primaryMonitor() const override;

 private:
  void watch(QScreen* screen);
};

}  // namespace scenova::platform
