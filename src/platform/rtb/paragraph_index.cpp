#include "platform/rtb/paragraph_index.h"

#include <QTextDocument>

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

void ParagraphIndex::documentChanged(int position, int charsRemoved, int charsAdded) {
  if (doc_ && tree_.follow(*doc_, position, charsRemoved, charsAdded).rebuilt) ++rebuilds_;
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
