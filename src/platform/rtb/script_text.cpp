#include "platform/rtb/script_text.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace scenova::platform {

namespace {

// Paragraphs up to this length are read whole (one copy); in longer ones only
// the characters asked for are fetched, each in O(log n).
constexpr int kWholeParagraphLimit = 4096;

// Changes up to this many characters patch the cached text.
constexpr int kPatchLimit = 4096;

// The characters that end a paragraph in a QTextDocument: the paragraph
// separator and the frame (table) delimiters.
bool endsParagraph(char16_t u) {
  return u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}

// A line break inside a paragraph reads as a vertical tab.
QChar readable(QChar c) {
  return c.unicode() == 0x2028 ? QChar(u'\v') : c;
}

}  // namespace

QString programText(const QTextDocument& doc) {
  const QString raw = doc.toRawText();
  QString out;
  out.reserve(raw.size() + doc.blockCount());
  const QChar* run = raw.constData();
  const QChar* const end = run + raw.size();
  for (const QChar* c = run; c != end; ++c) {
    const char16_t u = c->unicode();
    if (u < 0x2028) continue;
    if (u == 0x2028) {
      out.append(run, c - run);
      out += u'\v';
      run = c + 1;
    } else if (endsParagraph(u)) {
      out.append(run, c - run);
      out += QStringLiteral("\r\n");
      run = c + 1;
    }
  }
  out.append(run, end - run);
  return out;
}

ScriptText::~ScriptText() {
  QObject::disconnect(connection_);
}

void ScriptText::attach(QTextDocument* doc) {
  QObject::disconnect(connection_);
  doc_ = doc;
  text_ = QString();
  textValid_ = false;
  if (doc_) {
    // A document reports its changes only once it has a layout.
    doc_->documentLayout();
    connection_ = QObject::connect(doc_, &QTextDocument::contentsChange,
                                   [this](int position, int removed, int added) {
                                     documentChanged(position, removed, added);
                                   });
  }
  index_.setDocument(doc_);
}

// A change of a few characters patches the cached text instead of dropping
// it: the program reads the whole text after every keystroke (undo
// snapshots), and building it anew costs milliseconds in a long script.
void ScriptText::documentChanged(int position, int removed, int added) {
  const bool patch = textValid_ && qMax(removed, added) <= kPatchLimit;
  const int oldFrom = patch ? index_.programPositionBefore(position) : 0;
  const int oldTo = patch ? index_.programPositionBefore(position + removed) : 0;
  if (index_.documentChanged(position, removed, added) && patch) {
    const int from = toProgram(position);
    const int to = toProgram(position + added);
    if (from == oldFrom && oldTo >= oldFrom && oldTo <= text_.size() && to >= from) {
      QString replacement;
      replacement.reserve(to - from);
      if (to > from) appendParagraphs(replacement, from, to - from);
      text_.replace(oldFrom, oldTo - oldFrom, replacement);
      if (text_.size() == length()) return;
    }
  }
  text_ = QString();
  textValid_ = false;
}

int ScriptText::length() const {
  if (!doc_) return 0;
  return doc_->characterCount() - 1 + doc_->blockCount() - 1;
}

QString ScriptText::text() const {
  if (!textValid_) {
    text_ = doc_ ? programText(*doc_) : QString();
    textValid_ = true;
  }
  return text_;
}

QString ScriptText::mid(int position, int count) const {
  const int total = length();
  position = std::clamp(position, 0, total);
  count = std::min(count, total - position);
  if (count <= 0) return {};
  if (textValid_) return text_.mid(position, count);
  QString out;
  out.reserve(count);
  appendParagraphs(out, position, count);
  return out;
}

void ScriptText::appendParagraphs(QString& out, int position, int count) const {
  QTextBlock block;
  const ParagraphIndex::Paragraph para = index_.atProgram(position, &block);
  int offset = position - para.programStart();
  while (out.size() < count && block.isValid()) {
    const int textLength = block.length() - 1;
    if (offset < textLength) {
      const int n = std::min(textLength - offset, count - static_cast<int>(out.size()));
      if (textLength <= kWholeParagraphLimit) {
        const QString t = block.text();
        for (int i = offset; i < offset + n; ++i) out += readable(t.at(i));
      } else {
        const int base = block.position() + offset;
        for (int i = 0; i < n; ++i) out += readable(doc_->characterAt(base + i));
      }
      offset += n;
      continue;
    }
    if (!block.next().isValid()) break;
    if (offset == textLength) {
      out += u'\r';
      ++offset;
      continue;
    }
    out += u'\n';
    block = block.next();
    offset = 0;
  }
}

int ScriptText::toProgram(int docPosition) const {
  if (!doc_) return 0;
  const int q = std::clamp(docPosition, 0, doc_->characterCount() - 1);
  return q + doc_->findBlock(q).blockNumber();
}

int ScriptText::toDocument(int position, Round round) const {
  if (!doc_) return 0;
  const int p = std::clamp(position, 0, length());
  const ParagraphIndex::Paragraph para = index_.atProgram(p);
  const int offset = p - para.programStart();
  if (offset <= para.textLength()) return para.docStart + offset;
  if (round == Round::Down) return para.docStart + para.textLength();
  return std::min(para.docStart + para.docLength, doc_->characterCount() - 1);
}

}  // namespace scenova::platform
