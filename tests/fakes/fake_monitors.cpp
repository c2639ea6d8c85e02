#include "fakes/fake_monitors.h"

#include <QWidget>

namespace scenova::platform {

FakeMonitorSystem::FakeMonitorSystem(QList<QRect> rects) {
  for (const QRect& r : rects) monitors.append({r, r});
}

int FakeMonitorSystem::monitorCount() const {
  return reportedCount >= 0 ? reportedCount : int(monitors.size());
}

QRect FakeMonitorSystem::virtualDesktop() const {
  QRect all;
  for (const Monitor& m : monitors) all = all.united(m.rect);
  return all;
}

QSize FakeMonitorSystem::primarySize() const {
  return monitors.isEmpty() ? QSize(1024, 768) : monitors.first().rect.size();
}

qint64 FakeMonitorSystem::monitorAt(QPoint point, bool orPrimary) const {
  for (int i = 0; i < monitors.size(); ++i)
    if (monitors[i].rect.contains(point)) return handleOf(i);
  return orPrimary && !monitors.isEmpty() ? handleOf(0) : 0;
}

qint64 FakeMonitorSystem::monitorOfWindow(const QWidget* window, bool orPrimary) const {
  return monitorAt(window ? window->geometry().center() : QPoint(), orPrimary);
}

std::optional<MonitorRects> FakeMonitorSystem::monitorInfo(qint64 handle) const {
  const qint64 i = handle - 101;
  if (i < 0 || i >= monitors.size()) return std::nullopt;
  return MonitorRects{monitors[i].rect, monitors[i].work};
}

qint64 FakeMonitorSystem::primaryMonitor() const {
  return monitors.isEmpty() ? 0 : handleOf(0);
}

}  // namespace scenova::platform
