#pragma once

#include <QString>
#include <optional>

namespace scenova::app {

// The eight-line settings file. Lines that are missing keep their defaults,
// so each value read is optional; an empty volume line (2 or 3) is missing.
// Values the eight lines have no place for follow them as "Key=value"
// lines, which a program that knows only the eight lines never reads.
struct SettingsValues {
  std::optional<QString> languageFile;  // line 1
  std::optional<QString> knobValue;     // line 2, the volume in mixer units
  std::optional<double> knobTop;        // line 3, twips
  std::optional<bool> screenSaverOff;   // line 4
  std::optional<QString> lastFolder;    // line 7
  std::optional<bool> hidden;           // line 8 (read, not used)
  // Kept after the eight lines as "AudioOutput=NAME": the sound server's
  // output chosen under Options, Audio output (missing: the default).
  std::optional<QString> audioOutput;
};

// What SaveSettings writes, in full.
struct SettingsToWrite {
  QString languageFile;
  // Nothing: the volume lines are written empty, and the next start keeps
  // the shipped default (a session that never had a mixer has no volume).
  std::optional<QString> knobValue;
  std::optional<double> knobTop;
  bool screenSaverOff = false;
  QString lastFolder;
  bool windowVisible = true;
  QString audioOutput;  // empty: the default output, and no line for it
};

class SettingsFile {
 public:
  // Chooses where the settings live: the program folder when it can be
  // written, else the user's configuration folder, seeded on first use
  // from the program folder's copy. An installed program (its data under an
  // installation prefix) always keeps them in the user's folder, never in
  // the shared one.
  static QString locate(const QString& programFolder, const QString& userConfigFolder,
                        bool installed = false);

  // First line only, as start-up reads it. nullopt when the file cannot be
  // read; an empty text for an empty first line.
  static std::optional<QString> readFirstLine(const QString& path);

  // All values; a file that cannot be read gives no values at all.
  static SettingsValues read(const QString& path, bool* ok = nullptr);
  static SettingsValues parse(QByteArrayView bytes);

  // Writes the eight lines with CR LF through a temporary file renamed into
  // place, so a failed write leaves the old file intact. False on failure.
  static bool write(const QString& path, const SettingsToWrite& values, QString* error = nullptr);
  static QByteArray format(const SettingsToWrite& values);

  // The knob position as written in line 3: a point as decimal mark, no
  // blanks, no exponent ("1125", "1031.5").
  static QString formatNumber(double value);
};

// Reads a number from the start of a text up to the first character that
// cannot continue it; empty or non-numeric text reads 0.
double leadingNumber(QStringView text);

}  // namespace scenova::app
