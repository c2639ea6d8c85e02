#include "mci_command.h"

#include <QList>
#include <QStringView>

#include <limits>

namespace scenova::platform {

namespace {

bool isBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

struct Word {
  QString text;
  bool quoted = false;
};

// Splits at runs of blanks. A word that starts with a double quote runs to the
// next double quote, which must end the word. Returns false on bad quoting.
bool splitWords(const QString& text, QList<Word>& words) {
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    while (i < n && isBlank(text[i])) ++i;
    if (i >= n) break;
    if (text[i] == QLatin1Char('"')) {
      const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
      if (close < 0) return false;
      if (close + 1 < n && !isBlank(text[close + 1])) return false;
      words.append({text.mid(i + 1, close - i - 1), true});
      i = close + 1;
      continue;
    }
    const qsizetype start = i;
    while (i < n && !isBlank(text[i])) {
      if (text[i] == QLatin1Char('"')) return false;
      ++i;
    }
    words.append({text.mid(start, i - start), false});
  }
  return true;
}

bool startsWithOpen(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  const QStringView rest = QStringView(text).mid(i);
  return rest.startsWith(QLatin1StringView("open"), Qt::CaseInsensitive) &&
         (rest.size() == 4 || isBlank(rest[4]));
}

bool is(const Word& w, const char* keyword) {
  return !w.quoted && w.text.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
}

// A whole number of milliseconds: digits only; too many digits saturate.
bool readMilliseconds(const Word& w, qint64& out) {
  if (w.quoted || w.text.isEmpty()) return false;
  for (QChar c : w.text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  }
  bool ok = false;
  out = w.text.toLongLong(&ok);
  if (!ok) out = std::numeric_limits<qint64>::max();
  return true;
}

MciCommand invalid(MciError e) {
  MciCommand c;
  c.error = e;
  return c;
}

MciCommand withAlias(MciCommand::Verb verb, const Word& alias) {
  if (alias.quoted || alias.text.isEmpty()) return invalid(MciError::BadParameter);
  MciCommand c;
  c.verb = verb;
  c.alias = alias.text;
  return c;
}

MciCommand parseOpen(const QList<Word>& w) {
  if (w.size() != 4 || !is(w[2], "alias")) return invalid(MciError::BadParameter);
  MciCommand c = withAlias(MciCommand::Verb::Open, w[3]);
  if (c.isValid()) c.path = w[1].text;
  return c;
}

MciCommand parsePlay(const QList<Word>& w) {
  if (w.size() == 2) return withAlias(MciCommand::Verb::Play, w[1]);
  if (w.size() < 3 || w.size() > 4 || !is(w[2], "from")) return invalid(MciError::BadParameter);
  qint64 ms = 0;
  if (w.size() == 3 || !readMilliseconds(w[3], ms)) return invalid(MciError::MissingPosition);
  MciCommand c = withAlias(MciCommand::Verb::PlayFrom, w[1]);
  c.from = ms;
  return c;
}

MciCommand parseStatus(const QList<Word>& w) {
  if (w.size() != 3) return invalid(MciError::BadParameter);
  if (is(w[2], "position")) return withAlias(MciCommand::Verb::Position, w[1]);
  if (is(w[2], "length")) return withAlias(MciCommand::Verb::Length, w[1]);
  return invalid(MciError::BadParameter);
}

}  // namespace

MciCommand MciCommand::parse(const QString& text) {
  QList<Word> w;
  if (!splitWords(text, w)) {
    // Bad quoting in an open command is a bad file name; elsewhere it is noise.
    return invalid(startsWithOpen(text) ? MciError::BadPath : MciError::UnknownCommand);
  }
  if (w.isEmpty()) return invalid(MciError::UnknownCommand);
  const Word& verb = w[0];
  if (is(verb, "close")) {
    if (w.size() == 2 && is(w[1], "all")) {
      MciCommand c;
      c.verb = Verb::CloseAll;
      return c;
    }
    return invalid(MciError::BadParameter);
  }
  if (is(verb, "open")) return parseOpen(w);
  if (is(verb, "play")) return parsePlay(w);
  if (is(verb, "stop")) {
    return w.size() == 2 ? withAlias(Verb::Stop, w[1]) : invalid(MciError::BadParameter);
  }
  if (is(verb, "seek")) {
    if (w.size() == 4 && is(w[2], "to") && is(w[3], "start")) {
      return withAlias(Verb::SeekStart, w[1]);
    }
    return invalid(MciError::BadParameter);
  }
  if (is(verb, "status")) return parseStatus(w);
  return invalid(MciError::UnknownCommand);
}

QString mciErrorText(quint32 code) {
  switch (static_cast<MciError>(code)) {
    case MciError::None:
      return QStringLiteral("The command completed successfully.");
    case MciError::UnknownCommand:
      return QStringLiteral("Unknown command.");
    case MciError::BadParameter:
      return QStringLiteral("The command has a missing or invalid parameter.");
    case MciError::MissingPosition:
      return QStringLiteral("A whole number of milliseconds must follow \"from\".");
    case MciError::BadPath:
      return QStringLiteral(
          "The file name must be enclosed in double quotes and cannot contain a double quote.");
    case MciError::FileNotFound:
      return QStringLiteral("The specified file was not found.");
    case MciError::IsFolder:
      return QStringLiteral("The specified path is a folder, not a file.");
    case MciError::Unreadable:
      return QStringLiteral("The file cannot be read: access is denied.");
    case MciError::EmptyFile:
      return QStringLiteral("The file is empty.");
    case MciError::UnsupportedFormat:
      return QStringLiteral("The file cannot be played: it is not a supported audio format.");
    case MciError::NoSuchAlias:
      return QStringLiteral("No device is open under that alias.");
    case MciError::AliasInUse:
      return QStringLiteral("A device is already open; close it first.");
    case MciError::OutOfRange:
      return QStringLiteral("The position is beyond the end of the media.");
    case MciError::DeviceFailed:
      return QStringLiteral("The sound device failed or is not available.");
    case MciError::Timeout:
      return QStringLiteral("The sound device did not respond in time.");
    case MciError::MediaLost:
      return QStringLiteral("The open file can no longer be played.");
  }
  return QStringLiteral("Unknown error code.");
}

}  // namespace scenova::platform
