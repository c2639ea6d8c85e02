#include "tools/find_replace.h"

#include <algorithm>

namespace scenova::tools {

namespace {

constexpr Qt::CaseSensitivity kIgnoreCase = Qt::CaseInsensitive;

int length(QStringView s) {
  return static_cast<int>(s.size());
}

// The new text as pieces of the original (origin >= 0) and inserted
// characters (origin -1), turned into edits of the original at the end.
class Output {
 public:
  Output(QStringView original, QStringView input, const std::vector<int>* inputOrigin)
      : original_(original), input_(input), inputOrigin_(inputOrigin) {
    text_.reserve(input.size());
    origin_.reserve(static_cast<size_t>(input.size()));
  }
  // Characters [from, to) of the input.
  void keep(qsizetype from, qsizetype to) {
    if (to <= from) return;
    text_ += input_.mid(from, to - from);
    for (qsizetype k = from; k < to; ++k)
      origin_.push_back(inputOrigin_ ? (*inputOrigin_)[static_cast<size_t>(k)]
                                     : static_cast<int>(k));
  }
  void insert(const QString& s) {
    text_ += s;
    origin_.insert(origin_.end(), static_cast<size_t>(s.size()), -1);
  }
  // Replaces [at, at + count) of the output, count reaching at most its end.
  void replace(qsizetype at, qsizetype count, const QString& s) {
    const qsizetype end = std::min(at + count, text_.size());
    const QString tail = text_.mid(end);
    const std::vector<int> tailOrigin(origin_.begin() + end, origin_.end());
    text_.truncate(at);
    origin_.resize(static_cast<size_t>(at));
    insert(s);
    text_ += tail;
    origin_.insert(origin_.end(), tailOrigin.begin(), tailOrigin.end());
  }
  const QString& text() const { return text_; }
  qsizetype size() const { return text_.size(); }

  std::vector<TextEdit> edits() const {
    std::vector<TextEdit> out;
    int expected = 0;  // next original character not yet accounted for
    QString inserted;
    auto flushTo = [&](int k) {
      if (k == expected && inserted.isEmpty()) return;
      out.push_back({expected, original_.mid(expected, k - expected).toString(), inserted});
      inserted.clear();
    };
    for (qsizetype j = 0; j < text_.size(); ++j) {
      const int k = origin_[static_cast<size_t>(j)];
      if (k < 0) {
        inserted += text_.at(j);
        continue;
      }
      flushTo(k);
      expected = k + 1;
    }
    flushTo(length(original_));
    return out;
  }

 private:
  QStringView original_;
  QStringView input_;
  const std::vector<int>* inputOrigin_;
  QString text_;
  std::vector<int> origin_;
};

// Left to right, once per occurrence in [from, to) of the input. Returns
// the output's size after the last replacement, or -1.
qsizetype replaceOnce(QStringView input, qsizetype from, qsizetype to, const QString& search,
                      const QString& replacement, Output& out, int& count) {
  const QStringView range = input.first(to);
  qsizetype done = from, lastEnd = -1;
  for (qsizetype at = range.indexOf(search, from, kIgnoreCase); at >= 0;
       at = range.indexOf(search, done, kIgnoreCase)) {
    out.keep(done, at);
    out.insert(replacement);
    lastEnd = out.size();
    ++count;
    done = at + search.size();
  }
  out.keep(done, to);
  return lastEnd;
}

// Replaces the first occurrence in the whole input again and again until
// there is none, as a search from the top after each replacement would.
// Only an occurrence that overlaps the text just inserted can start before
// the rest of the input: the output before k holds none.
// Returns false when the replacements go on feeding each other: more of them
// than four times the input's characters (plus 64), or a text grown beyond
// four times the input (plus 64 K). Such a chain may never end, or end only
// after a number of replacements that grows exponentially with the text
// ("ab" by "bba" in "aaa...ab").
bool replaceFromTheTop(QStringView input, const QString& search, const QString& replacement,
                       Output& out, int& count, qsizetype& lastEnd) {
  const qsizetype m = search.size();
  const qsizetype maxCount = 4 * input.size() + 64, maxSize = 4 * input.size() + 65536;
  qsizetype i = 0, k = 0;
  qsizetype next = input.indexOf(search, 0, kIgnoreCase);
  while (true) {
    if (count > maxCount || out.size() > maxSize) return false;
    qsizetype at = -1;
    if (k < out.size()) {
      const QString window = QStringView(out.text()).mid(k) + input.mid(i, m - 1);
      const qsizetype w = window.indexOf(search, 0, kIgnoreCase);
      if (w >= 0 && k + w < out.size()) at = k + w;
    }
    if (at >= 0) {
      // The rest of the input loses the occurrence's characters past the output.
      i += std::max<qsizetype>(0, at + m - out.size());
      out.replace(at, m, replacement);
    } else {
      if (next >= 0 && next < i) next = input.indexOf(search, i, kIgnoreCase);
      if (next < 0) break;
      out.keep(i, next);
      at = out.size();
      i = next + m;
      out.insert(replacement);
    }
    ++count;
    lastEnd = at + replacement.size();
    k = std::max<qsizetype>(0, at - m + 1);
  }
  out.keep(i, input.size());
  return true;
}

}  // namespace

QString editorLineBreaks(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator) {
      if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
      out += QStringLiteral("\r\n");
    } else if (c == QChar::LineSeparator) {
      out += u'\v';
    } else {
      out += c;
    }
  }
  return out;
}

ReplaceAllResult replaceAll(QStringView text, int selStart, int selLength, const QString& search,
                            const QString& rawReplacement) {
  ReplaceAllResult result;
  if (search.isEmpty() || search.startsWith(u'\n') || search.endsWith(u'\r')) return result;
  const QString replacement = editorLineBreaks(rawReplacement);
  const qsizetype n = text.size(), m = search.size();

  // The first occurrence: inside the selection, if there is one.
  qsizetype first;
  if (selLength > 0) {
    const qsizetype from = std::clamp<qsizetype>(selStart, 0, n);
    const qsizetype to = std::clamp<qsizetype>(qsizetype{selStart} + selLength, from, n);
    first = text.first(to).indexOf(search, from, kIgnoreCase);
  } else {
    first = text.indexOf(search, 0, kIgnoreCase);
  }
  if (first < 0) return result;

  int count = 0;
  qsizetype lastEnd = 0;
  const auto eachOnce = [&] {
    // Replacing from the top would never end: each occurrence once.
    count = 0;
    Output out(text, text, nullptr);
    replaceOnce(text, 0, first, search, replacement, out, count);
    out.insert(replacement);
    ++count;
    lastEnd = out.size();
    const qsizetype after = replaceOnce(text, first + m, n, search, replacement, out, count);
    if (after >= 0) lastEnd = after;
    result.edits = out.edits();
  };
  if (replacement.contains(search, kIgnoreCase)) {
    eachOnce();
  } else if (selLength > 0) {
    // The first replacement inside the selection, then from the top.
    QString input = text.first(first) + replacement + text.mid(first + m);
    std::vector<int> origin(static_cast<size_t>(input.size()), -1);
    for (qsizetype k = 0; k < first; ++k) origin[static_cast<size_t>(k)] = static_cast<int>(k);
    const qsizetype shift = replacement.size() - m;
    for (qsizetype k = first + m; k < n; ++k)
      origin[static_cast<size_t>(k + shift)] = static_cast<int>(k);
    Output out(text, input, &origin);
    count = 1;
    lastEnd = first + replacement.size();
    if (replaceFromTheTop(input, search, replacement, out, count, lastEnd))
      result.edits = out.edits();
    else
      eachOnce();
  } else {
    Output out(text, text, nullptr);
    if (replaceFromTheTop(text, search, replacement, out, count, lastEnd))
      result.edits = out.edits();
    else
      eachOnce();
  }
  result.count = count;
  result.caret = static_cast<int>(lastEnd);
  return result;
}

}  // namespace scenova::tools
