#pragma once

#include "ui/language_table.h"

#include <QString>

#include <functional>
#include <memory>

namespace scenova::platform {
class Dialogs;
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
  bool installed = false;  // the desktop knows the program from its installed files
  platform::InstanceGuard* guard = nullptr;
  platform::SystemServices* system = nullptr;
};

struct StartupResult {
  bool portable = false;          // the portable marker skipped the checks
  bool previousInstance = false;  // another copy runs: say so and stop
  QString error;                  // not empty: the "Reg Error" stop
  QString languageFile;
  LanguageTable table;
  QString notice;  // not empty: said once the window is up (e.g. English in
                   // place of a saved language file that has gone)
};

// The checks made before the main window exists: portable mode, the first
// settings line, the language by country, the language file, a previous
// running copy and the file-type registration.
StartupResult startupChecks(const StartupInputs& in);

// Makes the dialogs the window asks its questions through.
using DialogsFactory = std::function<std::unique_ptr<platform::Dialogs>()>;

// Called once the main window is shown and the event loop has handled its
// first events (the test program reports it for the start-up benchmark).
using ShownHook = std::function<void()>;

// The process entry: headless commands, then the start-up sequence and the
// event loop. Returns the process exit status. Without a factory the
// window uses the system's own dialogs.
int Main(int argc, char** argv, const DialogsFactory& makeDialogs = {},
         const ShownHook& whenShown = {});

}  // namespace scenova::app
