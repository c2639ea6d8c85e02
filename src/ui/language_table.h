#pragma once

#include <QString>
#include <QStringList>

namespace scenova::ui {

// The interface texts of the current language, indexed from 0. A language
// file fills it line by line: line k gives text k, the first three
// characters of each line being a label that is skipped.
class LanguageTable {
 public:
  static constexpr int kCapacity = 400;  // the program uses up to 149

  LanguageTable();

  // Text k, or an empty text for an index that was never filled or lies
  // outside the table.
  QString text(int index) const;
  QString operator[](int index) const { return text(index); }
  void setText(int index, const QString& text);

  // Reads a language file into the table from index 0 upward. Entries past
  // the last line keep what they held; lines past the capacity are ignored.
  // UTF-8, else Windows-1252; CR LF, LF or CR line ends. Returns false, with
  // the reason in *error, when the file cannot be read, is not a regular
  // file or is larger than platform::kMaxLanguageFileBytes (the table is
  // then unchanged).
  //
  // A file accepted here must be a language file (checkLanguageBytes); the
  // table then holds its texts, and every index it leaves blank or does not
  // reach takes the built-in English text, so no caption or question is
  // ever empty.
  bool load(const QString& path, QString* error = nullptr);

  // The English texts built into the program (the shipped English file).
  static const LanguageTable& builtInEnglish();

  // Fills every blank entry with the text of `other` at the same index.
  void fillBlanksFrom(const LanguageTable& other);

  // Fills the table from file content (the part of load() after reading).
  void loadBytes(QByteArrayView bytes);

  // A tooltip: the text with one blank on each side.
  QString tooltip(int index) const { return QLatin1Char(' ') + text(index) + QLatin1Char(' '); }

 private:
  QStringList texts_;
};

// Whether file content is a language file: text without control
// characters other than tab and line ends, every non-blank line starting
// with its number, and at least one text. Random bytes, a
// picture or a script are refused with the reason in *why (English; the
// caller puts its own text in front).
bool checkLanguageBytes(QByteArrayView bytes, QString* why = nullptr);

// The text of one language-file line: everything from the fourth character.
QString languageLineText(QStringView line);

// What the operator reads when the audio device reports error `code`: the
// language's text for the errors a show can meet (a file missing, unreadable
// or in no audio format, a failing or silent sound device), the device's own
// text for the rest and where the language has none.
QString deviceErrorText(const LanguageTable& lang, quint32 code, const QString& deviceText);

// Removes every "&" (menu captions turned into titles and button captions).
QString StripAmpersands(const QString& text);

}  // namespace scenova::ui
