#include "screen_saver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace scenova::platform {

namespace {

QDBusMessage call(const char* method) {
  return QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
      QStringLiteral("org.freedesktop.ScreenSaver"), QLatin1StringView(method));
}

constexpr int kShutdownWaitMs = 200;

}  // namespace

DBusScreenSaver::DBusScreenSaver(QString applicationName, QObject* parent)
    : QObject(parent), app_(std::move(applicationName)) {}

DBusScreenSaver::~DBusScreenSaver() {
  if (cookie_ == 0) return;
  QDBusMessage m = call("UnInhibit");
  m << cookie_;
  QDBusConnection::sessionBus().call(m, QDBus::Block, kShutdownWaitMs);
}

void DBusScreenSaver::setInhibited(bool on) {
  if (on == wanted_) return;
  wanted_ = on;
  if (on)
    request();
  else
    release();
}

void DBusScreenSaver::request() {
  if (pending_ || cookie_ != 0) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage m = call("Inhibit");
  m << app_ << QStringLiteral("A show is running");
  pending_ = true;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(m), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    pending_ = false;
    const QDBusPendingReply<uint> reply = *w;
    if (!reply.isError()) cookie_ = reply.value();
    // The option may have gone off while the call was on its way.
    if (!wanted_) release();
    Q_EMIT answered();
  });
}

void DBusScreenSaver::release() {
  if (pending_ || cookie_ == 0) return;  // a pending answer releases itself
  QDBusMessage m = call("UnInhibit");
  m << cookie_;
  cookie_ = 0;
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(m), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (wanted_) request();  // turned on again meanwhile
    Q_EMIT answered();
  });
}

void DBusScreenSaver::pokeActivity() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) bus.asyncCall(call("SimulateUserActivity"));
}

}  // namespace scenova::platform
