#include "settings_file.h"

#include "platform/safe_read.h"
#include "platform/safe_write.h"

#include "platform/text_codec.h"
#include "script/markup.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace scenova::app {

namespace {
// Eight short lines; anything far larger is not a settings file.
constexpr qint64 kMaxSettingsBytes = 1024 * 1024;
// The eight lines, then at most this many "Key=value" lines.
constexpr int kMaxLines = 8 + 32;
const QString kAudioOutputKey = QStringLiteral("AudioOutput=");
}  // namespace

double leadingNumber(QStringView text) {
  return script::ReadNumber(text);
}

QString SettingsFile::locate(const QString& programFolder, const QString& userConfigFolder,
                             bool installed) {
  const QString inProgram = programFolder + QStringLiteral("/Scenova.ini");
  const QFileInfo folder(programFolder);
  const QFileInfo file(inProgram);
  if (!installed && folder.isWritable() && (!file.exists() || file.isWritable())) return inProgram;
  if (userConfigFolder.isEmpty()) return inProgram;
  const QString inUser = userConfigFolder + QStringLiteral("/Scenova.ini");
  if (!QFileInfo::exists(inUser)) {
    QDir().mkpath(userConfigFolder);
    QByteArray seed;
    if (file.exists() &&
        platform::readRegularFile(inProgram, platform::kMaxSettingsFileBytes, &seed))
      platform::writeFileAtomically(inUser, seed);
  }
  return QFileInfo::exists(inUser) || !file.exists() ? inUser : inProgram;
}

static QStringList splitLines(QByteArrayView bytes) {
  const QString content = platform::decodeUtf8OrCp1252(bytes);
  QStringList lines;
  qsizetype pos = 0;
  const qsizetype n = content.size();
  while (pos < n) {
    qsizetype end = pos;
    while (end < n && content[end] != QLatin1Char('\r') && content[end] != QLatin1Char('\n')) ++end;
    lines << content.mid(pos, end - pos);
    if (end < n && content[end] == QLatin1Char('\r')) ++end;
    if (end < n && content[end] == QLatin1Char('\n')) ++end;
    pos = end;
    if (lines.size() >= kMaxLines) break;
  }
  return lines;
}

static QString value(const QString& line) {
  return script::trimBlanks(line);
}

std::optional<QString> SettingsFile::readFirstLine(const QString& path) {
  QByteArray bytes;
  if (!platform::readRegularFile(path, platform::kMaxSettingsFileBytes, &bytes)) {
    return std::nullopt;
  }
  const QStringList lines = splitLines(bytes);
  return lines.isEmpty() ? QString() : value(lines.first());
}

SettingsValues SettingsFile::parse(QByteArrayView bytes) {
  const QStringList lines = splitLines(bytes);
  SettingsValues v;
  auto has = [&](int line) { return lines.size() >= line; };
  if (has(1)) v.languageFile = value(lines[0]);
  if (has(2) && !value(lines[1]).isEmpty()) v.knobValue = value(lines[1]);
  if (has(3) && !value(lines[2]).isEmpty()) v.knobTop = leadingNumber(value(lines[2]));
  if (has(4)) v.screenSaverOff = leadingNumber(value(lines[3])) != 0;
  if (has(7)) v.lastFolder = value(lines[6]);
  if (has(8)) v.hidden = leadingNumber(value(lines[7])) != 0;
  for (qsizetype i = 8; i < lines.size(); ++i) {
    const QString line = value(lines[i]);
    if (line.startsWith(kAudioOutputKey, Qt::CaseInsensitive))
      v.audioOutput = line.mid(kAudioOutputKey.size());
  }
  return v;
}

SettingsValues SettingsFile::read(const QString& path, bool* ok) {
  QByteArray bytes;
  const bool read = platform::readRegularFile(path, platform::kMaxSettingsFileBytes, &bytes);
  if (ok) *ok = read;
  return read ? parse(bytes) : SettingsValues{};
}

QString SettingsFile::formatNumber(double value) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  QString s = QString::number(value, 'f', 6);
  while (s.contains(QLatin1Char('.')) &&
         (s.endsWith(QLatin1Char('0')) || s.endsWith(QLatin1Char('.'))))
    s.chop(1);
  if (s == QStringLiteral("-0")) s = QStringLiteral("0");
  return s;
}

QByteArray SettingsFile::format(const SettingsToWrite& v) {
  const QStringList lines{v.languageFile,
                          v.knobValue.value_or(QString()),
                          v.knobTop ? formatNumber(*v.knobTop) : QString(),
                          v.screenSaverOff ? QStringLiteral("1") : QStringLiteral("0"),
                          QStringLiteral("0"),
                          QStringLiteral("1"),
                          v.lastFolder,
                          v.windowVisible ? QStringLiteral("0") : QStringLiteral("1")};
  QStringList extra;
  if (!v.audioOutput.isEmpty()) extra << kAudioOutputKey + v.audioOutput;
  QByteArray out;
  for (const QString& line : lines + extra) {
    // A line break inside a value would shift every later line.
    QString clean = line;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    out += clean.toUtf8() + "\r\n";
  }
  return out;
}

bool SettingsFile::write(const QString& path, const SettingsToWrite& values, QString* error) {
  return platform::writeFileAtomically(path, format(values), error);
}

}  // namespace scenova::app
