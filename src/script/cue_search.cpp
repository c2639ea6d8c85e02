#include "script/cue_search.h"

#include <algorithm>

namespace scenova::script {

namespace {

// Searches read pieces that grow from this size, so that the usual short way
// to the next bracket pair reads little and a long way few times.
constexpr int kFirstPiece = 64;
constexpr int kLargestPiece = 1 << 16;

int grow(int piece) {
  return std::min(piece * 4, kLargestPiece);
}

// Visits the pairs that start at positions last, last - 1, ... 0 (each with
// the character after it) until visit returns true; returns that position
// or -1.
template <typename Visit>
int backwardPairs(const ScriptSource& source, int last, Visit visit) {
  int piece = kFirstPiece;
  for (int j = last; j >= 0;) {
    const int from = std::max(0, j - piece + 1);
    const QString s = source.read(from, j + 2 - from);
    for (int k = j; k >= from; --k)
      if (visit(QStringView(s), k - from, k)) return k;
    j = from - 1;
    piece = grow(piece);
  }
  return -1;
}

}  // namespace

QString StringSource::read(int position, int count) const {
  if (position < 0 || count <= 0 || position >= text_.size()) return {};
  return text_.mid(position, count).toString();
}

bool isBracketPair(QStringView s, qsizetype at, char bracket) {
  return at >= 0 && at + 1 < s.size() && s[at] == QLatin1Char(bracket) &&
         s[at + 1] == QLatin1Char(bracket);
}

int openingBefore(const ScriptSource& source, int position) {
  position = std::clamp(position, 0, source.length());
  int found = -1;
  backwardPairs(source, position - 1, [&found](QStringView s, qsizetype at, int k) {
    if (isBracketPair(s, at, ']')) return true;
    if (!isBracketPair(s, at, '[')) return false;
    found = k;
    return true;
  });
  return found;
}

std::optional<CueBounds> cueAtOrAfter(const ScriptSource& source, int from) {
  const int length = source.length();
  from = std::clamp(from, 0, length);
  // The state the pairs before from leave: the opening pair a cue that
  // closes from here on would belong to.
  int open = openingBefore(source, from);
  int piece = kFirstPiece;
  for (int i = from; i + 1 < length;) {
    const QString s = source.read(i, piece + 1);
    const qsizetype pairs = std::min<qsizetype>(piece, s.size() - 1);
    if (pairs <= 0) break;
    for (qsizetype k = 0; k < pairs; ++k) {
      if (isBracketPair(s, k, ']')) {
        if (open >= 0) return CueBounds{open, i + static_cast<int>(k)};
      } else if (isBracketPair(s, k, '[')) {
        open = i + static_cast<int>(k);
      }
    }
    i += static_cast<int>(pairs);
    piece = grow(piece);
  }
  return std::nullopt;
}

std::optional<CueBounds> cueEndingBy(const ScriptSource& source, int limit) {
  limit = std::clamp(limit, 0, source.length());
  std::optional<CueBounds> cue;
  // A closing pair closes a cue when the pairs before it leave an opening
  // pair waiting; a stray one does not.
  backwardPairs(source, limit - 2, [&](QStringView s, qsizetype at, int k) {
    if (!isBracketPair(s, at, ']')) return false;
    const int open = openingBefore(source, k);
    if (open < 0) return false;
    cue = CueBounds{open, k};
    return true;
  });
  return cue;
}

}  // namespace scenova::script
