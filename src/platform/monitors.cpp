#include "monitors.h"

#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace scenova::platform {

namespace {

// Screen objects get stable numbers the first time they are asked about. A
// screen that goes away keeps its number; a new one gets a new number.
struct Handles {
  QList<QPair<QPointer<QScreen>, qint64>> known;
  qint64 next = 1;

  qint64 of(QScreen* screen) {
    if (!screen) return 0;
    for (const auto& [s, h] : known)
      if (s == screen) return h;
    known.append({QPointer<QScreen>(screen), next});
    return next++;
  }
  QScreen* screen(qint64 handle) const {
    for (const auto& [s, h] : known)
      if (h == handle) return s.data();
    return nullptr;
  }
};

Handles& handles() {
  static Handles h;
  return h;
}

}  // namespace

QtMonitorSystem::QtMonitorSystem(QObject* parent) : MonitorSystem(parent) {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return;
  for (QScreen* s : QGuiApplication::screens()) watch(s);
  connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
    watch(s);
    Q_EMIT changed();
  });
  // Qt sends this after taking the screen out of its list and before it
  // moves the windows on it to the primary screen.
  connect(app, &QGuiApplication::screenRemoved, this, [this] { Q_EMIT changed(); });
  connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { Q_EMIT changed(); });
}

void QtMonitorSystem::watch(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, [this] { Q_EMIT changed(); });
}

qint64 QtMonitorSystem::primaryMonitor() const {
  return handles().of(QGuiApplication::primaryScreen());
}

int QtMonitorSystem::monitorCount() const {
  return int(QGuiApplication::screens().size());
}

QRect QtMonitorSystem::virtualDesktop() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->virtualGeometry() : QRect();
}

QSize QtMonitorSystem::primarySize() const {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->geometry().size() : QSize();
}

qint64 QtMonitorSystem::monitorAt(QPoint point, bool orPrimary) const {
  for (QScreen* s : QGuiApplication::screens())
    if (s->geometry().contains(point)) return handles().of(s);
  return orPrimary ? handles().of(QGuiApplication::primaryScreen()) : 0;
}

qint64 QtMonitorSystem::monitorOfWindow(const QWidget* window, bool orPrimary) const {
  if (!window) return orPrimary ? handles().of(QGuiApplication::primaryScreen()) : 0;
  const QRect frame = window->frameGeometry();
  QScreen* best = nullptr;
  qint64 bestArea = 0;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect common = s->geometry().intersected(frame);
    const qint64 area = qint64(common.width()) * common.height();
    if (area > bestArea) {
      best = s;
      bestArea = area;
    }
  }
  if (best) return handles().of(best);
  return orPrimary ? handles().of(QGuiApplication::primaryScreen()) : 0;
}

std::optional<MonitorRects> QtMonitorSystem::monitorInfo(qint64 handle) const {
  QScreen* s = handles().screen(handle);
  if (!s || !QGuiApplication::screens().contains(s)) return std::nullopt;
  return MonitorRects{s->geometry(), s->availableGeometry()};
}

}  // namespace scenova::platform
