#include "file_association.h"

#include "platform/safe_write.h"
#include "platform/script_mime_package.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace scenova::platform {

namespace {

constexpr qint64 kMaxListBytes = 1024 * 1024;

// Writes a small file only when its content differs, so that a normal start
// touches nothing.
bool writeIfChanged(const QString& path, const QByteArray& content) {
  QFile existing(path);
  if (checkReadableRegularFile(path, kMaxListBytes) && existing.open(QIODevice::ReadOnly) &&
      existing.readAll() == content)
    return false;
  existing.close();
  QDir().mkpath(QFileInfo(path).absolutePath());
  return writeFileAtomically(path, content);
}

// A string value of a desktop entry: backslashes doubled.
QString entryString(QString value) {
  return value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

// A "type=handlers" line of the script type (blanks allowed around '=').
bool namesType(const QByteArray& line) {
  const qsizetype equals = line.indexOf('=');
  return equals > 0 && line.left(equals).trimmed() == kScriptMimeType;
}

void refresh(const char* tool, const QString& folder) {
  const QString program = QString::fromLatin1(tool);
  if (!QStandardPaths::findExecutable(program).isEmpty())
    QProcess::startDetached(program, {folder});
}

}  // namespace

QByteArray scriptMimePackage() {
  // The file an installation puts in share/mime/packages, built in.
  return QByteArray(kScriptMimePackage);
}

QString quoteExecArgument(const QString& argument) {
  QString quoted;
  for (const QChar c : argument) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
  }
  // A field code is written %%, whatever the quoting.
  quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray scriptDesktopEntry(const QString& programFolder) {
  if (programFolder.contains(QLatin1Char('\n')) || programFolder.contains(QLatin1Char('\r')))
    return {};
  const QString exec = entryString(quoteExecArgument(programFolder + QStringLiteral("/scenova")));
  const QString icon = entryString(programFolder + QStringLiteral("/Files/scenova.png"));
  return QStringLiteral(
             "[Desktop Entry]\nType=Application\nName=Scenova\n"
             "Comment=Theatre scripts with sound, video and picture cues\n"
             "Exec=%1 %f\nIcon=%2\nMimeType=application/x-scenova-script;\n"
             "Categories=AudioVideo;\nNoDisplay=false\n")
      .arg(exec, icon)
      .toUtf8();
}

QByteArray withDefaultHandler(const QByteArray& mimeappsList) {
  const QByteArray line = QByteArray(kScriptMimeType) + '=' + kDesktopEntryName + ';';
  QList<QByteArray> lines = mimeappsList.split('\n');
  if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
  qsizetype section = -1;
  bool inDefaults = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray trimmed = lines[i].trimmed();
    if (trimmed.startsWith('[')) {
      inDefaults = trimmed == "[Default Applications]";
      if (inDefaults) section = i;
    } else if (inDefaults && namesType(trimmed) &&
               !trimmed.mid(trimmed.indexOf('=') + 1).trimmed().isEmpty()) {
      return mimeappsList;  // the user's choice, or ours from an earlier start, stays
    }
  }
  if (section < 0) {
    lines << "[Default Applications]" << line;
  } else {
    // An empty value names no handler: it is replaced.
    qsizetype i = section + 1;
    for (; i < lines.size() && !lines[i].trimmed().startsWith('['); ++i) {
      if (namesType(lines[i].trimmed())) lines.remove(i--);
    }
    lines.insert(section + 1, line);
  }
  return lines.join('\n') + '\n';
}

bool registerScriptFileType(const QString& programFolder, const QString& dataHome,
                            const QString& configHome) {
  const QByteArray entry = scriptDesktopEntry(programFolder);
  if (entry.isEmpty()) return false;
  const bool mimeChanged =
      writeIfChanged(dataHome + QStringLiteral("/mime/packages/scenova.xml"), scriptMimePackage());
  const bool entryChanged = writeIfChanged(
      dataHome + QStringLiteral("/applications/") + QLatin1StringView(kDesktopEntryName), entry);
  const QString listPath = configHome + QStringLiteral("/mimeapps.list");
  QByteArray list;
  QFile f(listPath);
  if (checkReadableRegularFile(listPath, kMaxListBytes) && f.open(QIODevice::ReadOnly))
    list = f.readAll();
  f.close();
  const bool listChanged = writeIfChanged(listPath, withDefaultHandler(list));
  if (mimeChanged) refresh("update-mime-database", dataHome + QStringLiteral("/mime"));
  if (entryChanged) refresh("update-desktop-database", dataHome + QStringLiteral("/applications"));
  return mimeChanged || entryChanged || listChanged;
}

}  // namespace scenova::platform
