#pragma once

// Comparing texts extracted from RTF files: line ends, trailing blanks and
// empty lines, soft breaks, non-breaking spaces and the byte-order mark do
// not count.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

inline QString normalisedText(QString text) {
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
  text.replace(u'\r', u'\n');
  text.replace(QChar(0x2028), u'\n');
  text.replace(QChar(0x0B), u'\n');
  text.replace(QChar(0x2029), u'\n');
  text.replace(QChar(0xA0), u' ');
  text.replace(QChar(0x202F), u' ');
  QStringList lines = text.split(u'\n');
  static const QRegularExpression trailing(QStringLiteral("[ \\t]+$"));
  for (QString& line : lines) line.remove(trailing);
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines.join(u'\n');
}
