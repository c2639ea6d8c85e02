#include "language_table.h"

#include "platform/media/mci_command.h"
#include "platform/safe_read.h"
#include "platform/text_codec.h"

#include <QFile>
#include <QRegularExpression>

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
  if (!checkLanguageBytes(bytes, error)) return false;
  LanguageTable fresh;
  fresh.loadBytes(bytes);
  fresh.fillBlanksFrom(builtInEnglish());
  *this = std::move(fresh);
  return true;
}

const LanguageTable& LanguageTable::builtInEnglish() {
  static const LanguageTable english = [] {
    LanguageTable t;
    QFile file(QStringLiteral(":/scenova/English.lng"));
    if (file.open(QIODevice::ReadOnly)) t.loadBytes(file.readAll());
    return t;
  }();
  return english;
}

void LanguageTable::fillBlanksFrom(const LanguageTable& other) {
  for (qsizetype i = 0; i < texts_.size(); ++i)
    if (texts_[i].trimmed().isEmpty()) texts_[i] = other.text(static_cast<int>(i));
}

bool checkLanguageBytes(QByteArrayView bytes, QString* why) {
  auto refuse = [why](const char* reason) {
    if (why) *why = QString::fromUtf8(reason);
    return false;
  };
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t' && u != '\r' && u != '\n') || u == 0x7f)
      return refuse("It is not a text file: it holds control characters.");
  }
  const QString content = platform::decodeUtf8OrCp1252(bytes);
  bool anyText = false;
  for (QStringView line :
       QStringView(content).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
    if (line.trimmed().isEmpty()) continue;
    if (!line[0].isDigit())
      return refuse("It is not a language file: a line does not start with its number.");
    if (!line.mid(3).trimmed().isEmpty()) anyText = true;
  }
  if (!anyText) return refuse("It is not a language file: it holds no text.");
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

QString deviceErrorText(const LanguageTable& lang, quint32 code, const QString& deviceText) {
  using platform::MciError;
  struct Entry {
    MciError error;
    int text;
  };
  static constexpr Entry kTexts[] = {
      {MciError::FileNotFound, 223},      {MciError::IsFolder, 224},
      {MciError::Unreadable, 225},        {MciError::EmptyFile, 226},
      {MciError::UnsupportedFormat, 227}, {MciError::OutOfRange, 228},
      {MciError::DeviceFailed, 229},      {MciError::Timeout, 230},
      {MciError::MediaLost, 231}};
  for (const Entry& e : kTexts) {
    if (platform::code(e.error) != code) continue;
    const QString text = lang.text(e.text);
    return text.isEmpty() ? deviceText : text;
  }
  return deviceText;
}

}  // namespace scenova::ui
