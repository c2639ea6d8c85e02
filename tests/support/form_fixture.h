#pragma once

// A main window on fake dialogs, environment and system services, with its
// own program folder, for tests of the window's commands.

#include "app/form1.h"
#include "app/subsystems.h"
#include "fakes/fakes.h"
#include "platform/rtb/rtb.h"
#include "support/program_folder.h"

#include <functional>
#include <memory>

namespace scenova::test {

struct FormFixture;

// How the window is made, where a test needs more than the defaults.
struct FormSetup {
  QString commandLine;
  QString country = QStringLiteral("gb");
  QByteArray settings;  // written as the settings file first, when not empty
  bool load = true;     // Form_Load, as the program does at start-up
  // The test's own services (audio device, mixer, players) and files,
  // before the window is made.
  std::function<void(FormFixture&, app::Services&)> services;
  // After the window is made, before Form_Load.
  std::function<void(FormFixture&)> beforeLoad;
};

struct FormFixture {
  ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  std::unique_ptr<app::Form1> form;

  explicit FormFixture(const FormSetup& setup) {
    env.folder = folder.path();
    env.country = setup.country;
    if (!setup.settings.isEmpty()) folder.writeSettings(setup.settings);
    app::Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.settingsPath = folder.settingsPath();
    s.commandLine = setup.commandLine;
    if (setup.services) setup.services(*this, s);
    form = std::make_unique<app::Form1>(s, ui::LanguageTable());
    if (setup.beforeLoad) setup.beforeLoad(*this);
    if (setup.load) form->Form_Load();
  }
  explicit FormFixture(const QString& commandLine = {}, platform::ScreenSaver* saver = nullptr,
                       const QString& recoveryFolder = {}, bool load = true,
                       const QString& country = QStringLiteral("gb"))
      : FormFixture(FormSetup{commandLine,
                              country,
                              {},
                              load,
                              [saver, recoveryFolder](FormFixture&, app::Services& s) {
                                s.screenSaver = saver;
                                s.recoveryFolder = recoveryFolder;
                              },
                              {}}) {}
  platform::RTB& rtb() const { return *form->editor(); }
  QString text(int index) const { return form->lang()[index]; }
};

}  // namespace scenova::test
