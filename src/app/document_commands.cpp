#include "document_commands.h"

#include "comm_dlgs.h"
#include "form1.h"
#include "platform/dialogs.h"
#include "platform/rtb/input_hold.h"
#include "platform/rtb/rtb.h"
#include "platform/rtb/script_file_async.h"
#include "script/cue_insertion.h"
#include "show_mode.h"

#include <QTextDocument>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <memory>

namespace scenova::app {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

DocumentCommands::DocumentCommands(Form1& form, const ShowMode& show)
    : QObject(&form), form_(form), show_(show) {}

QString DocumentCommands::untitledName() const {
  return form_.doc().UntitledName + QString::number(form_.doc().UntitledCount);
}

QString DocumentCommands::initialFolder() const {
  const QString last = form_.doc().LastFolder;
  return last.trimmed().isEmpty() ? QDir::currentPath() : last;
}

void DocumentCommands::rememberFolderOf(const QString& path) {
  // Relative cues and the next dialog start from the script's folder.
  const QString folder = QFileInfo(path).absolutePath();
  QDir::setCurrent(folder);
  form_.doc().LastFolder = folder;
}

bool DocumentCommands::askSaveQuestion() {
  if (form_.editor()->TextLength() == 0 || form_.doc().Modified != 1) return true;
  const MsgAnswer a = form_.services().dialogs->messageBox(
      &form_, form_.lang()[123], form_.lang()[1], MsgIcon::Exclamation, MsgButtons::YesNoCancel);
  if (a == MsgAnswer::Cancel) return false;
  if (a == MsgAnswer::Yes) {
    Save();
    return form_.doc().Modified != 1;
  }
  return true;
}

void DocumentCommands::New() {
  if (busy_ || !askSaveQuestion()) return;
  DocumentState& doc = form_.doc();
  if (doc.UntitledCount < 32767) ++doc.UntitledCount;
  form_.editor()->SetText(QString());
  doc.DocumentPath.clear();
  doc.DocumentName.clear();
  form_.updateTitle();
  doc.Modified = 0;
  Q_EMIT documentCleared();
}

void DocumentCommands::Open() {
  if (busy_ || !askSaveQuestion()) return;
  const QString chosen =
      chooseFile(52, scriptFilter(), QStringLiteral("snv"), initialFolder(), true);
  if (chosen.trimmed().isEmpty()) return;
  openScript(chosen);
}

void DocumentCommands::reportLoadFailure(const QString& reason) {
  form_.services().dialogs->messageBox(&form_, form_.lang()[151] + QStringLiteral("\n\n") + reason,
                                       form_.lang()[1], MsgIcon::Critical, MsgButtons::Ok);
}

bool DocumentCommands::openScript(const QString& path) {
  if (busy_) return false;
  QString error;
  std::unique_ptr<QTextDocument> loaded;
  {
    // The window goes on while the file is read; what is typed meanwhile
    // was meant for the old script and goes with it.
    const Busy busy(busy_);
    platform::RTB& rtb = *form_.editor();
    platform::InputHold hold(rtb);
    loaded = platform::readScriptFileInBackground(path, rtb.document()->defaultFont(), &error,
                                                  progressNotice(234));
    if (loaded) hold.drop();
  }
  if (!loaded) {
    reportLoadFailure(error);
    return false;
  }
  // The new script's folder is known before its cues are checked (at the
  // replacement): relative cues are looked up beside it, not beside the old.
  const QString absolute = QFileInfo(path).absoluteFilePath();
  form_.doc().DocumentPath = absolute;
  form_.editor()->ReplaceDocument(std::move(loaded));
  stamp_ = stampOf(absolute);
  rememberFolderOf(absolute);
  ShowFileTitle(absolute);
  form_.doc().Modified = 0;
  Q_EMIT documentLoaded(absolute);
  return true;
}

void DocumentCommands::openCommandLine(const QString& path) {
  const QFileInfo info(path);
  if (info.exists() || info.isSymLink()) {
    openScript(path);
    return;
  }
  // A new script under the name given: Save creates the file.
  form_.doc().DocumentPath = info.absoluteFilePath();
  stamp_ = stampOf(form_.doc().DocumentPath);
  ShowFileTitle(form_.doc().DocumentPath);
  if (info.dir().exists()) QDir::setCurrent(info.absolutePath());
}

void DocumentCommands::openHandedOver(const QString& path) {
  if (busy_) {
    QTimer::singleShot(100, this, [this, path] { openHandedOver(path); });
    return;
  }
  if (form_.isMinimized()) form_.showNormal();
  form_.show();
  form_.raise();
  form_.activateWindow();
  // During a performance the script on stage is never swapped unasked.
  if (show_.isOn() && form_.services().dialogs->messageBox(
                          &form_, form_.lang()[260] + QStringLiteral("\n\n") + path,
                          form_.lang()[1], MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
    return;
  if (!askSaveQuestion()) return;
  openCommandLine(path);
}

void DocumentCommands::openExample() {
  if (busy_ || !askSaveQuestion()) return;
  openScript(form_.programFolder() + QStringLiteral("/Examples/Example.snv"));
}

// Opens and saves of long scripts say how far they have come, once they
// have taken a second.
std::function<void(int)> DocumentCommands::progressNotice(int textIndex) {
  auto since = std::make_shared<QElapsedTimer>();
  since->start();
  return [this, textIndex, since](int percent) {
    if (since->elapsed() >= kQuietProgressMs)
      form_.ShowNotice(form_.lang()[textIndex].arg(percent));
  };
}

bool DocumentCommands::writeTo(const QString& path, bool* changedMeanwhile) {
  QString error;
  bool written = false;
  {
    // The window goes on while the file is written; typing waits until the
    // copy is complete, so the file holds one whole version of the script.
    const Busy busy(busy_);
    platform::InputHold hold(*form_.editor());
    written = platform::writeScriptFileInBackground(path, *form_.editor()->document(), &error,
                                                    changedMeanwhile, progressNotice(235));
  }
  if (written) {
    stamp_ = stampOf(path);
    return true;
  }
  form_.services().dialogs->messageBox(&form_, form_.lang()[150] + QStringLiteral("\n\n") + error,
                                       form_.lang()[1], MsgIcon::Critical, MsgButtons::Ok);
  return false;
}

DocumentCommands::FileStamp DocumentCommands::stampOf(const QString& path) {
  const QFileInfo info(path);  // the file at the end of any links
  FileStamp s;
  s.path = path;
  // Only a file is written over: anything else is refused by the write.
  s.exists = info.isFile();
  if (s.exists) {
    s.size = info.size();
    s.modifiedMs = info.lastModified().toMSecsSinceEpoch();
  }
  return s;
}

DocumentCommands::Overwrite DocumentCommands::askIfChangedOnDisk(const QString& path) {
  // Never read or written here (a restored copy): nothing to compare with.
  if (stamp_.path != path) return Overwrite::Yes;
  const FileStamp now = stampOf(path);
  // A file that is gone is written anew.
  if (!now.exists || now == stamp_) return Overwrite::Yes;
  const QString question = form_.lang()[246] + QStringLiteral("\n\n") + path +
                           QStringLiteral("\n\n") + form_.lang()[247];
  switch (form_.services().dialogs->messageBox(&form_, question, form_.lang()[1],
                                               MsgIcon::Exclamation, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes:
      return Overwrite::Yes;
    case MsgAnswer::No:
      return Overwrite::SaveAs;
    default:
      return Overwrite::Cancel;
  }
}

void DocumentCommands::Save() {
  if (busy_) return;
  DocumentState& doc = form_.doc();
  if (doc.DocumentPath.isEmpty()) {
    if (doc.Modified == 1) mnuSalvaConNome_Click();
    return;
  }
  // Written even when unmodified: the file may have been deleted since.
  switch (askIfChangedOnDisk(doc.DocumentPath)) {
    case Overwrite::Yes:
      break;
    case Overwrite::SaveAs:
      mnuSalvaConNome_Click();
      return;
    case Overwrite::Cancel:
      return;
  }
  bool changedMeanwhile = false;
  if (!writeTo(doc.DocumentPath, &changedMeanwhile)) {
    doc.Modified = 1;  // the script in the editor is in no file: closing asks
    return;
  }
  if (!changedMeanwhile) doc.Modified = 0;
  Q_EMIT documentSaved(doc.DocumentPath);
  form_.ShowNotice(form_.lang()[148], 5000);
}

void DocumentCommands::mnuSalvaConNome_Click() {
  if (busy_) return;
  const QString chosen =
      chooseFile(55, scriptFilter(), QStringLiteral("snv"), initialFolder(), false, untitledName());
  if (chosen.isEmpty()) {
    saveAsCancelled_ = true;
    return;
  }
  const QFileInfo target(chosen);
  if (target.exists()) {
    const QString question = form_.lang()[53] + QStringLiteral("\r\r") + form_.lang()[54];
    if (form_.services().dialogs->messageBox(&form_, question, form_.lang()[1],
                                             MsgIcon::Exclamation,
                                             MsgButtons::YesNo) != MsgAnswer::Yes)
      return;
  }
  const QString absolute = target.absoluteFilePath();
  bool changedMeanwhile = false;
  if (!writeTo(absolute, &changedMeanwhile)) return;
  rememberFolderOf(absolute);
  form_.doc().DocumentPath = absolute;
  if (!changedMeanwhile) form_.doc().Modified = 0;
  saveAsCancelled_ = false;
  ShowFileTitle(absolute);
  Q_EMIT documentSaved(absolute);
}

bool DocumentCommands::askOnClose() {
  if (busy_) return false;  // a file is being read or written: not now
  DocumentState& doc = form_.doc();
  const bool untitled = doc.DocumentPath.isEmpty();
  if (!untitled) ShowFileTitle(doc.DocumentPath);
  const QString name = untitled ? untitledName() : doc.DocumentName;
  const MsgAnswer a = form_.services().dialogs->messageBox(
      &form_, form_.lang()[75] + QLatin1Char(' ') + name + QLatin1Char('?'), QString(),
      MsgIcon::Exclamation, MsgButtons::YesNoCancel);
  if (a == MsgAnswer::Cancel) return false;
  if (a == MsgAnswer::No) return true;
  if (untitled) {
    mnuSalvaConNome_Click();
    return !saveAsCancelled_ && doc.Modified < 1;
  }
  Save();
  // A write that failed keeps the window open: closing would lose the script.
  return doc.Modified < 1;
}

void DocumentCommands::ShowFileTitle(const QString& path) {
  const qsizetype cut =
      std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  if (cut < 0) return;
  const QString name = path.mid(cut + 1);
  form_.setScriptTitle(QStringLiteral("Scenova - ") + name);
  form_.doc().DocumentName = name;
}

QString DocumentCommands::mediaReference(const QString& chosen, const QString& programFolder) {
  const QString prefix = programFolder + QLatin1Char('/');
  if (chosen.startsWith(prefix, Qt::CaseInsensitive)) return chosen.mid(prefix.size());
  return chosen;
}

QString DocumentCommands::chooseFile(int title, const QList<platform::FileFilter>& filter,
                                     const QString& extension, const QString& folder, bool forOpen,
                                     const QString& fileName) const {
  FileDialogArgs a;
  a.owner = &form_;
  a.title = form_.lang()[title];
  a.filter = filter;
  a.defaultExtension = extension;
  a.fileName = fileName;
  a.initialFolder = folder;
  a.forOpen = forOpen;
  return ShowFileDialog(*form_.services().dialogs, a);
}

void DocumentCommands::InsertMediaReference() {
  const QString chosen =
      chooseFile(25, mediaFilter(form_.lang()), QStringLiteral("wav"), QDir::currentPath(), true);
  if (chosen.trimmed().isEmpty()) return;
  script::insertCueKeepingFormat(
      *form_.editor(),
      QStringLiteral("[[") + mediaReference(chosen, form_.programFolder()) + QStringLiteral("]]"),
      QColor(255, 0, 0));
}

}  // namespace scenova::app
