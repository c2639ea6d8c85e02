#include "settings_panels.h"

#include "platform/system_services.h"

namespace scenova::app {

QList<SettingsTool> soundSettingsTools() {
  return {{QStringLiteral("pavucontrol"), {}},
          {QStringLiteral("pavucontrol-qt"), {}},
          {QStringLiteral("gnome-control-center"), {QStringLiteral("sound")}},
          {QStringLiteral("systemsettings"), {QStringLiteral("kcm_pulseaudio")}},
          {QStringLiteral("cinnamon-settings"), {QStringLiteral("sound")}},
          {QStringLiteral("mate-volume-control"), {}}};
}

QList<SettingsTool> displaySettingsTools() {
  return {{QStringLiteral("arandr"), {}},
          {QStringLiteral("gnome-control-center"), {QStringLiteral("display")}},
          {QStringLiteral("systemsettings"), {QStringLiteral("kcm_kscreen")}},
          {QStringLiteral("xfce4-display-settings"), {}},
          {QStringLiteral("cinnamon-settings"), {QStringLiteral("display")}},
          {QStringLiteral("mate-display-properties"), {}},
          {QStringLiteral("lxrandr"), {}}};
}

QString startFirstInstalled(platform::SystemServices& system, const QList<SettingsTool>& tools,
                            const std::function<void()>& notice) {
  for (const SettingsTool& t : tools) {
    if (system.isInstalled(t.program) && system.startDetached(t.program, t.arguments))
      return t.program;
  }
  if (notice) notice();
  return {};
}

}  // namespace scenova::app
