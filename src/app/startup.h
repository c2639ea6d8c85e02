#pragma once

#include "ui/language_table.h"

#include <QString>

namespace scenova::platform {
class InstanceGuard;
class SystemServices;
}  // namespace scenova::platform

namespace scenova::app {
using ui::LanguageTable;
}  // namespace scenova::app

namespace scenova::app {

struct StartupInputs {
  QString programFolder;
  QString settingsPath;
  QString country;
  platform::InstanceGuard* guard = nullptr;
  platform::SystemServices* system = nullptr;
};

struct StartupResult {
  bool portable = false;          // the portable marker skipped the checks
  bool previousInstance = false;  // another copy runs: say so and stop
  QString error;                  // not empty: the "Reg Error" stop
  QString languageFile;
  LanguageTable table;
};

// The checks made before the main window exists: portable mode, the first
// settings line, the language by country, the language file, a previous
// running copy and the file-type registration.
StartupResult startupChecks(const StartupInputs& in);

// The process entry: headless commands, then the start-up sequence and the
// event loop. Returns the process exit status.
int Main(int argc, char** argv);

}  // namespace scenova::app
