#pragma once

// One running copy takes the scripts: a second start with a script path
// hands the path to the copy already running over the session bus, instead
// of dropping it. Each program folder has a bus name of its own, as it has
// its own lock (two installations do not see each other).

#include <QObject>
#include <QString>

namespace scenova::platform {

// The bus name of the copy running from programFolder.
QString handoffBusName(const QString& programFolder);

// The running copy's side: owns the bus name and announces each script
// handed over. Without a session bus it does nothing.
class ScriptHandoffReceiver final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.scenova.Scenova.Scripts")
 public:
  // Claims the name without waiting for the bus's answer.
  explicit ScriptHandoffReceiver(const QString& programFolder, QObject* parent = nullptr);
  ~ScriptHandoffReceiver() override;

 public Q_SLOTS:
  // Called over the bus; answers at once, the script opens afterwards.
  void OpenScript(const QString& path);

 Q_SIGNALS:
  void scriptHandedOver(const QString& path);

 private:
  QString name_;
  bool registered_ = false;
};

// The second start's side: true when the running copy took the path (it
// answered within timeoutMs); false without a session bus or an answer.
bool handScriptToRunningCopy(const QString& programFolder, const QString& path,
                             int timeoutMs = 3000);

}  // namespace scenova::platform
