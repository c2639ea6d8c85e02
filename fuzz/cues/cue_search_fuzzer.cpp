// The cue searches on any script text: they never read outside it, never
// loop, and agree with a plain reading of the rules at every position (the
// first positions, the last ones and a spread in between).

#include "script/cue_search.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

using scenova::script::CueBounds;

namespace {

std::vector<CueBounds> reference(const QString& text) {
  std::vector<CueBounds> cues;
  int open = -1;
  for (int i = 0; i + 1 < text.size(); ++i) {
    const QStringView pair = QStringView(text).mid(i, 2);
    if (pair == u"]]" && open >= 0) {
      cues.push_back({open, i});
      open = -1;
    } else if (pair == u"[[") {
      open = i;
    }
  }
  return cues;
}

void check(const QString& text, const std::vector<CueBounds>& cues, int p) {
  const scenova::script::StringSource source(text);
  std::optional<CueBounds> after, before;
  for (const CueBounds& c : cues) {
    if (!after && c.close >= p) after = c;
    if (c.end() <= p) before = c;
  }
  if (scenova::script::cueAtOrAfter(source, p) != after) std::abort();
  if (scenova::script::cueEndingBy(source, p) != before) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::vector<CueBounds> cues = reference(text);
  const int n = static_cast<int>(text.size());
  const int step = std::max(1, n / 64);
  for (int p = -1; p <= n + 1; p += (p < 8 || p > n - 8) ? 1 : step) check(text, cues, p);
  return 0;
}
