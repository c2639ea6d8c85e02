#include "script_handoff.h"

#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace scenova::platform {

namespace {

constexpr char kObjectPath[] = "/org/scenova/Scenova";
constexpr char kInterface[] = "org.scenova.Scenova.Scripts";
constexpr uint kDoNotQueue = 4;  // RequestName: fail at once when the name is taken

}  // namespace

QString handoffBusName(const QString& programFolder) {
  const QByteArray key = QCryptographicHash::hash(QDir(programFolder).canonicalPath().toUtf8(),
                                                  QCryptographicHash::Sha1)
                             .toHex()
                             .left(16);
  return QStringLiteral("org.scenova.Scenova.f") + QString::fromLatin1(key);
}

ScriptHandoffReceiver::ScriptHandoffReceiver(const QString& programFolder, QObject* parent)
    : QObject(parent), name_(handoffBusName(programFolder)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  registered_ =
      bus.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAllSlots);
  if (!registered_) return;
  QDBusMessage request = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
  request << name_ << kDoNotQueue;
  bus.send(request);
}

ScriptHandoffReceiver::~ScriptHandoffReceiver() {
  if (!registered_) return;
  // The bus releases the name when the process ends.
  QDBusConnection::sessionBus().unregisterObject(QString::fromLatin1(kObjectPath));
}

void ScriptHandoffReceiver::OpenScript(const QString& path) {
  // The caller is answered first; questions about the current script come after.
  QTimer::singleShot(0, this, [this, path] { Q_EMIT scriptHandedOver(path); });
}

bool handScriptToRunningCopy(const QString& programFolder, const QString& path, int timeoutMs) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      handoffBusName(programFolder), QString::fromLatin1(kObjectPath),
      QString::fromLatin1(kInterface), QStringLiteral("OpenScript"));
  // The running copy may have another working folder.
  call << QFileInfo(path).absoluteFilePath();
  const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace scenova::platform
