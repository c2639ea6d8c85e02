#include "numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include <locale.h>
#include <stdlib.h>

namespace scenova::ui {

namespace {

bool ignorable(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// Numbers in cues and dialog fields use a point whatever the user's locale
// (a German or French locale would otherwise stop "0.5" at the point).
double readCNumber(const std::string& number) {
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
  return c ? strtod_l(number.c_str(), nullptr, c) : std::strtod(number.c_str(), nullptr);
}

// printf's "%.{precision}g" or "%.{precision}f", always with a point.
QString cNumberText(double value, std::chars_format format, int precision) {
  char buf[400];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value, format, precision);
  return r.ec == std::errc() ? QString::fromLatin1(buf, r.ptr - buf) : QStringLiteral("0");
}

int digitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return 99;
}

}  // namespace

double ReadNumber(QStringView text) {
  // Collect the characters that matter, skipping ignorable ones.
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skip = [&] {
    while (i < n && ignorable(text[i])) ++i;
  };
  auto peek = [&]() -> QChar {
    skip();
    return i < n ? text[i] : QChar();
  };

  if (peek() == QLatin1Char('&')) {
    ++i;
    const QChar base = peek();
    int radix = 0;
    if (base == QLatin1Char('h') || base == QLatin1Char('H')) radix = 16;
    if (base == QLatin1Char('o') || base == QLatin1Char('O')) radix = 8;
    if (radix == 0) return 0;
    ++i;
    double value = 0;
    for (;;) {
      const QChar c = peek();
      const int d = c.isNull() ? 99 : digitValue(c);
      if (d >= radix) break;
      value = value * radix + d;
      ++i;
    }
    return value;
  }

  std::string number;
  QChar c = peek();
  if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
    number += static_cast<char>(c.unicode());
    ++i;
  }
  bool digits = false, point = false;
  for (;;) {
    c = peek();
    if (c.isDigit() && c.unicode() < 128) {
      number += static_cast<char>(c.unicode());
      digits = true;
      ++i;
    } else if (c == QLatin1Char('.') && !point) {
      number += '.';
      point = true;
      ++i;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  c = peek();
  if (c == QLatin1Char('e') || c == QLatin1Char('E') || c == QLatin1Char('d') ||
      c == QLatin1Char('D')) {
    const qsizetype save = i;
    ++i;
    std::string exponent = "e";
    QChar s = peek();
    if (s == QLatin1Char('+') || s == QLatin1Char('-')) {
      exponent += static_cast<char>(s.unicode());
      ++i;
    }
    bool expDigits = false;
    while (true) {
      const QChar d = peek();
      if (!(d.isDigit() && d.unicode() < 128)) break;
      exponent += static_cast<char>(d.unicode());
      expDigits = true;
      ++i;
    }
    if (expDigits)
      number += exponent;
    else
      i = save;
  }
  return readCNumber(number);
}

QString signedDecimal(double value) {
  if (!std::isfinite(value)) return QStringLiteral(" 0");
  // Up to 15 significant digits, no exponent for values of media size.
  QString digits = cNumberText(std::fabs(value), std::chars_format::general, 15);
  if (digits.contains(QLatin1Char('e'))) {
    digits = cNumberText(std::fabs(value), std::chars_format::fixed, 6);
    while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    if (digits.endsWith(QLatin1Char('.'))) digits.chop(1);
  }
  if (digits.startsWith(QStringLiteral("0."))) digits.remove(0, 1);
  if (digits.isEmpty()) digits = QStringLiteral("0");
  return (value < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

}  // namespace scenova::ui
