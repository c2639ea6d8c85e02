#pragma once

// Paragraph index of a QTextDocument for the script editor's positions.
//
// The program counts a paragraph break as the two characters CR LF, the
// document as one character. A program position p inside paragraph b is
// therefore the document position p - b. This index keeps the length of every
// paragraph in an implicit treap (a balanced tree ordered by paragraph
// number) so that the paragraph holding a program position is found in
// O(log n). It is updated from QTextDocument::contentsChange in
// O(log n + paragraphs touched).
//
// The index only speeds look-ups up: every answer is checked against the
// document's own block tree (two O(log n) queries), and a mismatch rebuilds
// the index before answering. A missed or odd change notification therefore
// costs time, never a wrong position.

#include <QtGlobal>

#include <cstdint>
#include <vector>

class QTextDocument;

namespace scenova::platform {

class ParagraphIndex {
 public:
  // A paragraph as the document sees it: its number, its first document
  // position and its length including its break (the last paragraph's length
  // includes the document's closing break, as QTextBlock::length() does).
  struct Paragraph {
    int number = 0;
    int docStart = 0;
    int docLength = 1;
    int programStart() const { return docStart + number; }
    int textLength() const { return docLength - 1; }
  };

  explicit ParagraphIndex(const QTextDocument* doc = nullptr);

  // Attaches to another document and rebuilds. The caller forwards the
  // document's contentsChange to documentChanged().
  void setDocument(const QTextDocument* doc);
  void documentChanged(int position, int charsRemoved, int charsAdded);
  void rebuild() const;

  // The paragraph holding program position p (0 <= p <= program length; a
  // position on the CR or between CR and LF belongs to the paragraph the
  // break ends).
  Paragraph atProgram(int p) const;
  // The paragraph holding document position q.
  Paragraph atDocument(int q) const;

  // Number of full rebuilds so far (tests check that ordinary edits never
  // need one).
  int rebuildCount() const { return rebuilds_; }

 private:
  struct Node {
    int left = -1;
    int right = -1;
    std::uint32_t priority = 0;
    int length = 0;  // document length of this paragraph
    int sum = 0;     // document length of the subtree
    int count = 1;   // paragraphs in the subtree
  };

  Paragraph find(int pos, bool program) const;
  bool matchesDocument(const Paragraph& para) const;
  void replace(int first, int last, const std::vector<int>& lengths) const;

  int newNode(int length) const;
  void freeTree(int t) const;
  void update(int t) const;
  int sum(int t) const { return t < 0 ? 0 : nodes_[t].sum; }
  int count(int t) const { return t < 0 ? 0 : nodes_[t].count; }
  void split(int t, int k, int& left, int& right) const;
  int merge(int a, int b) const;
  int build(const std::vector<int>& lengths) const;
  std::uint32_t nextPriority() const;

  // The tree is a cache of the document: look-ups that find it stale
  // rebuild it, so it may change under const member functions.
  const QTextDocument* doc_ = nullptr;
  mutable std::vector<Node> nodes_;
  mutable std::vector<int> free_;
  mutable int root_ = -1;
  mutable int rebuilds_ = 0;
  mutable std::uint32_t seed_ = 0x9e3779b9u;
};

}  // namespace scenova::platform
