#pragma once

#include "dialogs.h"
#include "environment.h"
#include "instance_guard.h"
#include "system_services.h"

#include <QLockFile>
#include <functional>
#include <memory>
#include <optional>

namespace scenova::platform {

// Real dialogs, built on Qt's own. The print dialog is the program's own
// (Qt's asks the print system on the window's thread): the layer that
// builds it hands it in.
class QtDialogs final : public Dialogs {
 public:
  using PrintDialogFn = std::function<bool(QWidget* owner, PrintChoice& choice)>;
  explicit QtDialogs(PrintDialogFn printDialog) : print_(std::move(printDialog)) {}
  MsgAnswer messageBox(QWidget* owner, const QString& text, const QString& title, MsgIcon icon,
                       MsgButtons buttons) override;
  QString fileDialog(const FileDialogRequest& request) override;
  bool printDialog(QWidget* owner, PrintChoice& choice) override;
  std::optional<QColor> colorDialog(QWidget* owner, const QColor& initial,
                                    QList<QColor>& customColors) override;
  std::optional<int> choiceDialog(QWidget* owner, const QString& title, const QString& prompt,
                                  const QStringList& items, int current) override;

 private:
  PrintDialogFn print_;
};

class LinuxEnvironment final : public Environment {
 public:
  // programFolder: empty means the program layout of the running
  // executable's folder.
  explicit LinuxEnvironment(QString programFolder = {});
  QString programFolder() const override;
  QString countryCode() const override;
  QStringList fontFamilies() const override;
  QString userConfigFolder() const override;
  bool installed() const override;

 private:
  const ProgramLayout& layout() const;
  QString folder_;
  mutable std::optional<ProgramLayout> layout_;
};

// A lock file in the user's runtime folder, one per program folder, so that
// two installations do not see each other. QLockFile notices locks whose
// owner process is gone and takes them over.
class LockFileInstanceGuard final : public InstanceGuard {
 public:
  explicit LockFileInstanceGuard(const QString& programFolder);
  ~LockFileInstanceGuard() override;
  bool previousInstanceRunning() override;
  QString lockPath() const { return path_; }

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  bool checked_ = false;
  bool previous_ = false;
};

class LinuxSystemServices final : public SystemServices {
 public:
  bool startDetached(const QString& program, const QStringList& arguments) override;
  bool isInstalled(const QString& program) const override;
  bool openDocument(const QString& pathOrUrl) override;
  void registerScriptType(const QString& programFolder) override;
};

}  // namespace scenova::platform
