#include "comm_dlgs.h"

#include "ui/language_table.h"

#include <QImageReader>

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
  QString patterns = QStringLiteral(
      "*.avi;*.kar;*.mid;*.mp3;*.mpg;*.mpeg;*.ogv;*.wav;*.wma;*.wmv;*.flv;*.mp4;*.mts;*.mkv;"
      "*.mka;*.mov;*.vob;*.flac;*.ogg;*.opus;*.m4a");
  // Every picture a cue can show: the formats the image reader reads here.
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    patterns += QStringLiteral(";*.") + QString::fromLatin1(format);
  return {{lang[41], patterns}, {lang[26], QStringLiteral("*.*")}};
}

}  // namespace scenova::app
