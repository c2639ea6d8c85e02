#pragma once

#include <QString>
#include <QStringList>

namespace scenova::platform {

// Facts about the machine and the user that the program asks for at start-up.
class Environment {
 public:
  virtual ~Environment() = default;

  // Folder of the executable, without a trailing separator.
  virtual QString programFolder() const = 0;

  // Two-letter country code of the user's locale, lower case ("it", "de");
  // empty when unknown.
  virtual QString countryCode() const = 0;

  // Font families the screen offers, in the platform's order.
  virtual QStringList fontFamilies() const = 0;

  // Per-user configuration folder used when the program folder is not
  // writable ($XDG_CONFIG_HOME/scenova).
  virtual QString userConfigFolder() const = 0;

  // True when the program's data comes from an installation prefix (see
  // programLayout): its settings then live in userConfigFolder() and the
  // desktop knows it from the installed files.
  virtual bool installed() const = 0;
};

// Where the program's data (Lang/, Files/, Help/, the version history, the
// default Scenova.ini) lies for an executable in executableFolder.
struct ProgramLayout {
  QString folder;
  bool installed = false;
};

// Beside the executable (a build folder or a copied program folder) when
// its Lang folder is there; else executableFolder/../share/scenova, where
// an installation puts it, when that has a Lang folder; else beside the
// executable.
ProgramLayout programLayout(const QString& executableFolder);

// Country code from a POSIX locale name such as "it_IT.UTF-8" or "pt_BR@euro";
// empty for "C", "POSIX" and names without a territory.
QString countryFromLocaleName(const QString& localeName);

}  // namespace scenova::platform
