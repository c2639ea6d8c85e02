#pragma once

// Stand-ins for the platform used by tests. They record what the program
// asked and answer from a script, never showing anything.

#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/instance_guard.h"
#include "platform/system_services.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace scenova::platform {

class FakeDialogs final : public Dialogs {
 public:
  struct MessageCall {
    QString text, title;
    MsgIcon icon;
    MsgButtons buttons;
  };

  // Answers are taken from the front of these queues; when a queue is empty
  // a message box answers Cancel (No for Yes/No boxes, Ok for Ok boxes), a
  // file dialog answers "" (cancelled), print and colour dialogs cancel.
  std::deque<MsgAnswer> messageAnswers;
  std::deque<QString> fileAnswers;
  std::deque<bool> printAnswers;
  std::deque<std::optional<QColor>> colorAnswers;
  // Choice dialogs pick the entry of this text (none: cancelled).
  std::deque<QString> choiceAnswers;

  QList<MessageCall> messages;
  QList<FileDialogRequest> fileRequests;
  int printCalls = 0;
  int colorCalls = 0;
  // What the operator does in a confirmed print dialog (chooses a printer,
  // a file, copies, pages); each choice as the dialog opened is recorded.
  std::function<void(PrintChoice&)> printChoice;
  QList<PrintChoice> printShown;
  QList<QColor> colorInitials;
  // The custom colours each colour dialog was shown with, and what the
  // operator leaves there in a confirmed dialog (when set).
  QList<QList<QColor>> customColorsShown;
  std::optional<QList<QColor>> customColorsChosen;
  // The entries each choice dialog listed.
  QList<QStringList> choicesShown;

  // When set, every call is also appended as one line to this file, so that
  // a test can watch a separate process.
  QString logFile;

  MsgAnswer messageBox(QWidget* owner, const QString& text, const QString& title, MsgIcon icon,
                       MsgButtons buttons) override;
  QString fileDialog(const FileDialogRequest& request) override;
  bool printDialog(QWidget* owner, PrintChoice& choice) override;
  std::optional<QColor> colorDialog(QWidget* owner, const QColor& initial,
                                    QList<QColor>& customColors) override;
  std::optional<int> choiceDialog(QWidget* owner, const QString& title, const QString& prompt,
                                  const QStringList& items, int current) override;

 private:
  void log(const QString& line) const;
};

class FakeEnvironment final : public Environment {
 public:
  QString folder;
  QString country;
  QStringList fonts{QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
  QString configFolder;
  bool underPrefix = false;

  QString programFolder() const override { return folder; }
  bool installed() const override { return underPrefix; }
  QString countryCode() const override { return country; }
  QStringList fontFamilies() const override { return fonts; }
  QString userConfigFolder() const override { return configFolder; }
};

class FakeInstanceGuard final : public InstanceGuard {
 public:
  bool running = false;
  int calls = 0;
  bool previousInstanceRunning() override {
    ++calls;
    return running;
  }
};

class FakeSystemServices final : public SystemServices {
 public:
  QList<QStringList> started;  // program first, then its arguments
  QStringList opened;
  QStringList registered;
  QStringList installed;  // programs isInstalled() finds
  bool startDetached(const QString& program, const QStringList& arguments) override {
    started.append(QStringList{program} + arguments);
    return true;
  }
  bool isInstalled(const QString& program) const override { return installed.contains(program); }
  bool openDocument(const QString& pathOrUrl) override {
    opened.append(pathOrUrl);
    return true;
  }
  void registerScriptType(const QString& programFolder) override {
    registered.append(programFolder);
  }
};

}  // namespace scenova::platform
