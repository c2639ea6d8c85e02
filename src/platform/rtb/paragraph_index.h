#pragma once

// Paragraph index of a QTextDocument for the script editor's positions.
//
// The program counts a paragraph break as the two characters CR LF, the
// document as one character. A program position p inside paragraph b is
// therefore the document position p - b. The index keeps the paragraphs in a
// BlockTree, updated from QTextDocument::contentsChange, so that the
// paragraph holding a program position is found in O(log n).
//
// The index only speeds look-ups up: every answer is checked against the
// document's own block tree (two O(log n) queries), and a mismatch rebuilds
// the index before answering. A missed or odd change notification therefore
// costs time, never a wrong position. (QTextDocument::clear() reports its
// change oddly and costs a rebuild of the then tiny index.)

#include "platform/rtb/block_tree.h"

class QTextBlock;
class QTextDocument;

namespace scenova::platform {

class ParagraphIndex {
 public:
  using Paragraph = BlockTree::Paragraph;

  explicit ParagraphIndex(const QTextDocument* doc = nullptr);

  // Attaches to another document and rebuilds. The caller forwards the
  // document's contentsChange to documentChanged(), which returns false when
  // it had to rebuild instead of following the change.
  void setDocument(const QTextDocument* doc);
  bool documentChanged(int position, int charsRemoved, int charsAdded);

  // The program position of document position q as the index last saw the
  // document: while a change is being reported, before documentChanged(),
  // that is the document before the change. Unchecked.
  int programPositionBefore(int q) const;
  void rebuild() const;

  // The paragraph holding program position p (0 <= p <= program length; a
  // position on the CR or between CR and LF belongs to the paragraph the
  // break ends), and its block when asked for.
  Paragraph atProgram(int p, QTextBlock* block = nullptr) const;
  // The paragraph holding document position q.
  Paragraph atDocument(int q) const;

  // Number of full rebuilds so far (tests check that ordinary edits never
  // need one).
  int rebuildCount() const { return rebuilds_; }

 private:
  Paragraph checked(int pos, bool program, QTextBlock* block) const;

  // The tree is a cache of the document: look-ups that find it stale
  // rebuild it, so it may change under const member functions.
  const QTextDocument* doc_ = nullptr;
  mutable BlockTree tree_;
  mutable int rebuilds_ = 0;
};

}  // namespace scenova::platform
