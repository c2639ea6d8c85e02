#include "video/monitor_list.h"

#include "platform/monitors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace scenova::video {

namespace {

constexpr int kCellWidth = 640, kCellHeight = 480;

}  // namespace

clsMonitors::clsMonitors(const platform::MonitorSystem& system) : system_(system) {
  Refresh();
}

const clsMonitor* clsMonitors::Item(const QString& key) const {
  for (const clsMonitor& m : monitors_)
    if (clsMonitors::key(m) == key) return &m;
  return nullptr;
}

int clsMonitors::SafeSystemMetric(int value, int fallback) const {
  return system_.monitorCount() != 0 ? value : fallback;
}

int clsMonitors::DesktopLeft() const {
  return SafeSystemMetric(system_.virtualDesktop().left(), 0);
}

int clsMonitors::DesktopTop() const {
  return SafeSystemMetric(system_.virtualDesktop().top(), 0);
}

int clsMonitors::DesktopWidth() const {
  return SafeSystemMetric(system_.virtualDesktop().width(), system_.primarySize().width());
}

int clsMonitors::DesktopHeight() const {
  return SafeSystemMetric(system_.virtualDesktop().height(), system_.primarySize().height());
}

void clsMonitors::Refresh() {
  monitors_.clear();
  if (system_.monitorCount() == 0) {
    const QSize primary = system_.primarySize();
    clsMonitor m;
    m.Right = m.WorkRight = m.Width = primary.width();
    m.Bottom = m.WorkBottom = m.Height = primary.height();
    monitors_.append(m);
    return;
  }
  // The loops run to the desktop's width and height themselves: with the
  // primary monitor at the origin the left and top are zero or negative, so
  // the whole desktop is covered.
  const int left = DesktopLeft(), top = DesktopTop();
  const int width = DesktopWidth(), height = DesktopHeight();
  for (qint64 y = top; y <= height; y += kCellHeight) {
    for (qint64 x = left; x <= width; x += kCellWidth) {
      const qint64 handle =
          GetMonitorFromXYPoint(int(x + kCellWidth / 2), int(y + kCellHeight / 2), 0);
      if (handle <= 0 || Item(QString::number(handle))) continue;  // none, or listed already
      clsMonitor m;
      if (!FillMonitorInfo(handle, m)) return;
      monitors_.append(m);
    }
  }
}

const clsMonitor* clsMonitors::ProjectorMonitor() const {
  if (system_.monitorCount() == 0) return nullptr;  // one entry: the primary
  const qint64 primaryHandle = system_.primaryMonitor();
  const clsMonitor* primary = Item(QString::number(primaryHandle));
  const clsMonitor* first = nullptr;
  for (const clsMonitor& m : monitors_) {
    if (m.Handle == primaryHandle) continue;
    if (primary && m.Left >= primary->Right) return &m;
    if (!first) first = &m;
  }
  return first;
}

qint64 clsMonitors::GetMonitorFromXYPoint(int x, int y, int flags) const {
  return system_.monitorAt(QPoint(x, y), flags == 1);
}

qint64 clsMonitors::GetMonitorFromWindow(const QWidget* window, int flags) const {
  return system_.monitorOfWindow(window, flags == 1);
}

bool clsMonitors::FillMonitorInfo(qint64 handle, clsMonitor& m) const {
  const auto info = system_.monitorInfo(handle);
  if (!info) return false;
  m.Handle = handle;
  // Right and Bottom lie just outside the monitor, as in a rectangle record.
  m.Left = info->monitor.left();
  m.Top = info->monitor.top();
  m.Right = info->monitor.left() + info->monitor.width();
  m.Bottom = info->monitor.top() + info->monitor.height();
  m.WorkLeft = info->work.left();
  m.WorkTop = info->work.top();
  m.WorkRight = info->work.left() + info->work.width();
  m.WorkBottom = info->work.top() + info->work.height();
  m.Height = m.Bottom - m.Top;
  m.Width = m.Right - m.Left;
  return true;
}

void clsMonitors::CenterFormOnMonitor(QWidget* form, const QWidget* reference) const {
  if (!form) return;
  const qint64 handle =
      reference ? GetMonitorFromWindow(reference, 1) : GetMonitorFromXYPoint(1, 1, 1);
  const QSize size = form->frameGeometry().size();
  if (handle <= 0) {
    const QSize primary = system_.primarySize();
    form->move((primary.width() - size.width()) / 2, (primary.height() - size.height()) / 2);
    return;
  }
  clsMonitor m;
  if (!FillMonitorInfo(handle, m)) return;
  const int workWidth = m.WorkRight - m.WorkLeft, workHeight = m.WorkBottom - m.WorkTop;
  form->move(m.Left + (workWidth - size.width()) / 2, m.Top + (workHeight - size.height()) / 2);
}

}  // namespace scenova::video
