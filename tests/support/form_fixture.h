#pragma once

// A main window on fake dialogs, environment and system services, with its
// own program folder, for tests of the window's commands.

#include "app/form1.h"
#include "app/subsystems.h"
#include "platform/fakes.h"
#include "platform/rtb/rtb.h"
#include "support/program_folder.h"

#include <memory>

namespace scenova::test {

struct FormFixture {
  ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  std::unique_ptr<app::Form1> form;

  explicit FormFixture(const QString& commandLine = {}, platform::ScreenSaver* saver = nullptr,
                       const QString& recoveryFolder = {}, bool load = true) {
    env.folder = folder.path();
    env.country = QStringLiteral("gb");
    app::Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.settingsPath = folder.settingsPath();
    s.commandLine = commandLine;
    s.screenSaver = saver;
    s.recoveryFolder = recoveryFolder;
    form = std::make_unique<app::Form1>(s, ui::LanguageTable());
    if (load) form->Form_Load();
  }
  platform::RTB& rtb() const { return *form->editor(); }
  QString text(int index) const { return form->lang()[index]; }
};

}  // namespace scenova::test
