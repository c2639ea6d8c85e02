#include "platform/rtb/paragraph_index.h"

#include <QTextBlock>
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

ParagraphIndex::Paragraph ParagraphIndex::atProgram(int p, QTextBlock* block) const {
  return checked(p, true, block);
}

ParagraphIndex::Paragraph ParagraphIndex::atDocument(int q) const {
  return checked(q, false, nullptr);
}

// Finds in the tree, then checks against the document (rebuilding first
// when they disagree).
ParagraphIndex::Paragraph ParagraphIndex::checked(int pos, bool program, QTextBlock* block) const {
  if (!doc_) return {};
  const auto find = [&] { return program ? tree_.atProgram(pos) : tree_.atDocument(pos); };
  Paragraph para = find();
  QTextBlock b = BlockTree::matching(*doc_, para);
  if (!b.isValid()) {
    rebuild();
    para = find();
    b = doc_->findBlockByNumber(para.number);
  }
  if (block) *block = b;
  return para;
}

}  // namespace scenova::platform
