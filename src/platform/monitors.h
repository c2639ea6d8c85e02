#pragma once

// The monitors of the desktop, in pixels of the virtual desktop: what the
// monitor list, the projector and the picture window need to know.

#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace scenova::platform {

struct MonitorRects {
  QRect monitor;  // the whole monitor
  QRect work;     // without panels and task bars
};

class MonitorSystem {
 public:
  virtual ~MonitorSystem() = default;

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
};

// The monitors as Qt's screens see them: a screen's geometry and its
// available geometry. Handles are numbered per screen in the order the
// screens were first seen and never reused.
class QtMonitorSystem final : public MonitorSystem {
 public:
  int monitorCount() const override;
  QRect virtualDesktop() const override;
  QSize primarySize() const override;
  qint64 monitorAt(QPoint point, bool orPrimary) const override;
  qint64 monitorOfWindow(const QWidget* window, bool orPrimary) const override;
  std::optional<MonitorRects> monitorInfo(qint64 handle) const override;
};

}  // namespace scenova::platform
