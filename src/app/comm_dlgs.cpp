#include "comm_dlgs.h"

#include "ui/language_table.h"

namespace scenova::app {

QString TrimAtNul(const QString& text) {
  const qsizetype nul = text.indexOf(QChar(0));
  return nul < 0 ? text : text.left(nul);
}

QString ShowFileDialog(platform::Dialogs& dialogs, const FileDialogArgs& args) {
  platform::FileDialogRequest r;
  r.owner = args.owner;
  r.title = args.title;
  r.filters = args.filter;
  r.filterIndex = args.filterIndex < 1 ? 1 : args.filterIndex;
  r.defaultExtension = args.defaultExtension;
  // The name proposed is cut where the system would cut it.
  r.fileName = TrimAtNul(args.fileName).left(256);
  r.initialFolder = args.initialFolder;
  r.forOpen = args.forOpen;
  return TrimAtNul(dialogs.fileDialog(r));
}

QList<platform::FileFilter> scriptFilter() {
  return {{QStringLiteral("File SNV (Scenova File)"), QStringLiteral("*.snv")},
          {QStringLiteral("File RTF"), QStringLiteral("*.rtf")},
          {QStringLiteral("File TXT"), QStringLiteral("*.txt")}};
}

QList<platform::FileFilter> mediaFilter(const ui::LanguageTable& lang) {
  return {{lang[41], QStringLiteral("*.avi;*.kar;*.mid;*.mp3;*.mpg;*.mpeg;*.ogv;*.wav;*.wma;*.wmv;"
                                    "*.flv;*.mp4;*.mts;*.mkv;*.mka;*.wav;*.bmp;*.jpg")},
          {lang[26], QStringLiteral("*.*")}};
}

}  // namespace scenova::app
