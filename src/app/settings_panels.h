#pragma once

// mnuImpostaAudio (and F9) and mnuMonitorSettings: the desktop's sound and
// display settings, started without waiting.

#include <QStringList>
#include <functional>

namespace scenova::platform {
class SystemServices;
}

namespace scenova::app {

struct SettingsTool {
  QString program;
  QStringList arguments;
};

// Well-known settings programs, the most specific first.
QList<SettingsTool> soundSettingsTools();
QList<SettingsTool> displaySettingsTools();

// Starts the first installed tool of the list. When none is installed or
// none starts, calls notice (the operator learns that nothing opened).
// Returns the tool started, or an empty program name.
QString startFirstInstalled(platform::SystemServices& system, const QList<SettingsTool>& tools,
                            const std::function<void()>& notice);

}  // namespace scenova::app
