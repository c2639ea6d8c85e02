#include "platform/rtb/paragraph_index.h"

#include <QTextDocument>

#include <algorithm>

namespace scenova::platform {

ParagraphIndex::ParagraphIndex(const QTextDocument* doc) {
  setDocument(doc);
}

void ParagraphIndex::setDocument(const QTextDocument* doc) {
  doc_ = doc;
  rebuild();
}

void ParagraphIndex::rebuild() const {
  ++rebuilds_;
  tree_ = BlockTree();
  if (doc_) tree_.rebuild(*doc_);
}

bool ParagraphIndex::documentChanged(int position, int charsRemoved, int charsAdded) {
  if (!doc_ || !tree_.follow(*doc_, position, charsRemoved, charsAdded).rebuilt) return true;
  ++rebuilds_;
  return false;
}

int ParagraphIndex::programPositionBefore(int q) const {
  const int total = tree_.totalLength();
  if (total <= 0) return 0;
  q = std::clamp(q, 0, total - 1);
  return q + tree_.atDocument(q).number;
}

ParagraphIndex::Paragraph ParagraphIndex::atProgram(int p) const {
  if (!doc_) return {};
  Paragraph para = tree_.atProgram(p);
  if (!BlockTree::matches(*doc_, para)) {
    rebuild();
    para = tree_.atProgram(p);
  }
  return para;
}

ParagraphIndex::Paragraph ParagraphIndex::atDocument(int q) const {
  if (!doc_) return {};
  Paragraph para = tree_.atDocument(q);
  if (!BlockTree::matches(*doc_, para)) {
    rebuild();
    para = tree_.atDocument(q);
  }
  return para;
}

}  // namespace scenova::platform
