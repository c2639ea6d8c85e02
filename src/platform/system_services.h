#pragma once

#include <QString>
#include <QStringList>

namespace scenova::platform {

// Starting outside programs and documents. Nothing here waits for the
// started program.
class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Starts a program detached; false when it could not be started.
  virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;

  // Whether a program of that name can be started (found on the PATH).
  virtual bool isInstalled(const QString& program) const = 0;

  // Opens a document or web address with the user's preferred application.
  virtual bool openDocument(const QString& pathOrUrl) = 0;

  // Registers the script file type and its icon with the desktop so that
  // scripts open with this program. Failures are not reported.
  virtual void registerScriptType(const QString& programFolder) = 0;
};

}  // namespace scenova::platform
