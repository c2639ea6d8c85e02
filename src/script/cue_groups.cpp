#include "script/cue_groups.h"

#include <QLocale>

#include <cmath>

namespace scenova::script {

namespace {

// The most characters between two joined cues: the blanks and the "+".
constexpr int kLongestJoin = 64;

bool isBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0x00a0);
}

// Whether text is blanks, one "+", blanks.
bool isJoin(QStringView text) {
  qsizetype plus = -1;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('+') && plus < 0)
      plus = i;
    else if (!isBlank(text[i]))
      return false;
  }
  return plus >= 0;
}

}  // namespace

std::optional<CueBounds> joinedAfter(const ScriptSource& source, const CueBounds& cue) {
  const QString ahead = source.read(cue.end(), kLongestJoin + 2);
  const qsizetype open = ahead.indexOf(QStringLiteral("[["));
  if (open < 0 || !isJoin(QStringView(ahead).left(open))) return std::nullopt;
  const int at = cue.end() + static_cast<int>(open);
  const std::optional<CueBounds> next = cueAtOrAfter(source, at);
  if (!next || next->open != at) return std::nullopt;
  return next;
}

std::optional<CueBounds> joinedBefore(const ScriptSource& source, const CueBounds& cue) {
  const std::optional<CueBounds> before = cueEndingBy(source, cue.open);
  if (!before) return std::nullopt;
  const int gap = cue.open - before->end();
  if (gap <= 0 || gap > kLongestJoin) return std::nullopt;
  if (!isJoin(source.read(before->end(), gap))) return std::nullopt;
  return before;
}

QList<CueBounds> groupFrom(const ScriptSource& source, const CueBounds& first) {
  QList<CueBounds> group{first};
  while (group.size() < kMostInGroup) {
    const std::optional<CueBounds> next = joinedAfter(source, group.constLast());
    if (!next) break;
    group.append(*next);
  }
  return group;
}

CueBounds groupStartOf(const ScriptSource& source, const CueBounds& cue) {
  CueBounds start = cue;
  for (int steps = 1; steps < kMostInGroup; ++steps) {
    const std::optional<CueBounds> before = joinedBefore(source, start);
    if (!before) break;
    start = *before;
  }
  return start;
}

std::optional<int> waitMs(QStringView argument) {
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double seconds = c.toDouble(argument.trimmed(), &ok);
  if (!ok || !std::isfinite(seconds) || seconds < kShortestWait || seconds > kLongestWait)
    return std::nullopt;
  return static_cast<int>(std::lround(seconds * 1000));
}

}  // namespace scenova::script
