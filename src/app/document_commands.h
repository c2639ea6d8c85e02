#pragma once

// The script as a file: New, Open, Save, Save As, the questions about
// unsaved changes, the window title and the media cue inserted from a file
// dialog. A failed write or load is reported and changes nothing: the
// script stays modified, the old file stays as it was, and a script that
// failed to load never takes the place of the one in the editor. Save
// always writes, modified or not (the file may have gone since), and asks
// before it writes over a file that another program changed since it was
// read or last written here.

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace scenova::platform {
struct FileFilter;
}

namespace scenova::app {

class Form1;
class ShowMode;

class DocumentCommands : public QObject {
  Q_OBJECT
 public:
  // show: a script handed over during a show asks before it takes the
  // place of the one on stage.
  DocumentCommands(Form1& form, const ShowMode& show);

  void New();                    // toolbar 0, mnuNuovo
  void Open();                   // toolbar 1, mnuApri
  void Save();                   // toolbar 2, mnuSalva, Ctrl+L
  void mnuSalvaConNome_Click();  // Save As, Ctrl+N
  void InsertMediaReference();   // toolbar 15, mnuAggiungiMultimedia, F5

  // Loads the script at path and makes it the current document. On failure
  // a message says why and nothing changes. Returns whether it loaded.
  bool openScript(const QString& path);
  // The script named on the command line. A name that does not exist yet
  // becomes the name of a new, empty script; one that exists but cannot be
  // read is reported and the window stays untitled.
  void openCommandLine(const QString& path);
  // A script handed over by a second start of the program: the question
  // about unsaved changes, then it opens as from the command line, and the
  // window comes to the front. Waits while a file is being read or written.
  void openHandedOver(const QString& path);
  // Help > Example show: the example script shipped in Examples/, after the
  // question about unsaved changes.
  void openExample();

  // The question asked when the window closes with unsaved changes; true
  // when closing may go on (answered No, or the script was saved).
  bool askOnClose();

  // Sets the window title and DocumentName from the part of path after its
  // last separator ("/" or "\"); a path without one changes nothing.
  void ShowFileTitle(const QString& path);

  // A file is being read or written.
  bool busy() const { return busy_; }

  // True after a cancelled Save As dialog, false after a successful Save As.
  bool saveAsCancelled() const { return saveAsCancelled_; }

  // The cue text InsertMediaReference writes for a chosen file: relative
  // below the program folder, the full path anywhere else.
  static QString mediaReference(const QString& chosen, const QString& programFolder);

 Q_SIGNALS:
  // A script was read into the editor from path (Open, the command line or
  // a recovery), or written to it (Save, Save As); New emptied the editor.
  void documentLoaded(const QString& path);
  void documentSaved(const QString& path);
  void documentCleared();

 private:
  // The question before New and Open; true when the command may go on.
  bool askSaveQuestion();
  // Writes the editor to path; false, after saying why, when it failed.
  bool writeTo(const QString& path, bool* changedMeanwhile);
  // A progress display for a long open or save: the notice of that text
  // (its %1 the percentage) once the work has taken kQuietProgressMs.
  std::function<void(int)> progressNotice(int textIndex);
  static constexpr int kQuietProgressMs = 1000;

  // What a file was like when it was read or last written here.
  struct FileStamp {
    QString path;
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
  };
  static FileStamp stampOf(const QString& path);
  enum class Overwrite { Yes, SaveAs, Cancel };
  // Before Save writes over path: asks when another program changed it.
  Overwrite askIfChangedOnDisk(const QString& path);
  void reportLoadFailure(const QString& reason);
  QString untitledName() const;
  QString initialFolder() const;
  // Asks for a file through the dialogs, titled with language line
  // `title`; the chosen path, or empty when the user cancelled.
  QString chooseFile(int title, const QList<platform::FileFilter>& filter, const QString& extension,
                     const QString& folder, bool forOpen, const QString& fileName = {}) const;
  // The chosen file's folder becomes the current directory and LastFolder.
  void rememberFolderOf(const QString& path);

  // Set while a file is read or written (the window's events go on
  // meanwhile): the file commands wait their turn by doing nothing.
  struct Busy {
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    bool& flag_;
  };

  Form1& form_;
  const ShowMode& show_;
  FileStamp stamp_;  // of the script's file
  bool saveAsCancelled_ = false;
  bool busy_ = false;
};

}  // namespace scenova::app
