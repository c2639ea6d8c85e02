#include "language_table.h"

#include "platform/safe_read.h"
#include "platform/text_codec.h"

namespace scenova::ui {

LanguageTable::LanguageTable() {
  texts_.resize(kCapacity);
}

QString LanguageTable::text(int index) const {
  if (index < 0 || index >= texts_.size()) return {};
  return texts_.at(index);
}

void LanguageTable::setText(int index, const QString& text) {
  if (index >= 0 && index < texts_.size()) texts_[index] = text;
}

QString languageLineText(QStringView line) {
  if (line.size() <= 3) return {};
  return line.mid(3).toString();
}

bool LanguageTable::load(const QString& path, QString* error) {
  // Language files are small; a FIFO, a device or anything beyond the limit
  // is not one.
  QByteArray bytes;
  if (!platform::readRegularFile(path, platform::kMaxLanguageFileBytes, &bytes, error))
    return false;
  loadBytes(bytes);
  return true;
}

void LanguageTable::loadBytes(QByteArrayView bytes) {
  const QString content = platform::decodeUtf8OrCp1252(bytes);
  qsizetype index = 0, pos = 0;
  const qsizetype n = content.size();
  while (pos < n && index < texts_.size()) {
    qsizetype end = pos;
    while (end < n && content[end] != QLatin1Char('\r') && content[end] != QLatin1Char('\n')) ++end;
    texts_[index++] = languageLineText(QStringView(content).mid(pos, end - pos));
    if (end < n && content[end] == QLatin1Char('\r')) ++end;
    if (end < n && content[end] == QLatin1Char('\n')) ++end;
    pos = end;
  }
}

QString StripAmpersands(const QString& text) {
  QString out = text;
  out.remove(QLatin1Char('&'));
  return out;
}

}  // namespace scenova::ui
