#pragma once

#include "platform/monitors.h"

#include <QList>

namespace scenova::platform {

// Monitors for tests: a list of rectangles, the first one primary. Handles
// are 101, 102, ... by position in the list. monitorCount can be set apart
// from the list (0 stands for a platform without multi-monitor support).
// After changing the list, notifyChanged() reports it as the system would.
class FakeMonitorSystem final : public MonitorSystem {
 public:
  struct Monitor {
    QRect rect, work;
  };
  QList<Monitor> monitors;
  int reportedCount = -1;  // -1: the size of the list

  FakeMonitorSystem() = default;
  explicit FakeMonitorSystem(QList<QRect> rects);
  static qint64 handleOf(int index) { return 101 + index; }

  int monitorCount() const override;
  QRect virtualDesktop() const override;
  QSize primarySize() const override;
  qint64 monitorAt(QPoint point, bool orPrimary) const override;
  qint64 monitorOfWindow(const QWidget* window, bool orPrimary) const override;
  std::optional<MonitorRects> monitorInfo(qint64 handle) const override;
  qint64 primaryMonitor() const override;
  void notifyChanged() { Q_EMIT changed(); }
};

}  // namespace scenova::platform
