#pragma once

// The paragraphs of a QTextDocument in an implicit treap (a balanced tree
// ordered by paragraph number): per paragraph its document length and its
// height on screen, with subtree sums, so that the paragraph at a document
// position, at a program position (breaks counted as CR LF) or at a height is
// found in O(log n), and a change of the document is followed in
// O(log n + paragraphs touched).

#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <vector>

class QTextBlock;
class QTextDocument;

namespace scenova::platform {

class BlockTree {
 public:
  // One paragraph: its number, first document position, document length
  // (QTextBlock::length(), break included), top and height, and the layout
  // generation its height was measured in (-1: an estimate).
  struct Paragraph {
    int number = 0;
    int docStart = 0;
    int docLength = 1;
    qreal y = 0;
    qreal height = 0;
    int generation = -1;
    int programStart() const { return docStart + number; }
    int textLength() const { return docLength - 1; }
  };

  // What follow() changed: paragraphs [first, first + removed) gave way to
  // [first, first + added); or everything was rebuilt.
  struct Change {
    int first = 0;
    int removed = 0;
    int added = 0;
    bool rebuilt = false;
  };

  // Guesses the height of a paragraph never laid out from its length.
  using Estimate = std::function<qreal(int docLength)>;

  // Rebuilds from the document's paragraphs; heights become estimates (the
  // old heights, paragraph by paragraph, as far as there were any).
  void rebuild(const QTextDocument& doc, const Estimate& estimate = {});
  // Follows QTextDocument::contentsChange (or a layout's documentChanged).
  // New paragraphs keep the heights of those they replace, as estimates.
  Change follow(const QTextDocument& doc, int position, int charsRemoved, int charsAdded,
                const Estimate& estimate = {});

  int count() const { return count(root_); }
  int totalLength() const { return sum(root_); }
  qreal totalHeight() const { return heightSum(root_); }

  Paragraph atDocument(int q) const { return find(q, Key::Document); }
  Paragraph atProgram(int p) const { return find(p, Key::Program); }
  Paragraph atHeight(qreal y) const;
  Paragraph at(int number) const;

  void setHeight(int number, qreal height, int generation);

  // The document's block for a paragraph as found, or an invalid block when
  // the two disagree.
  static QTextBlock matching(const QTextDocument& doc, const Paragraph& para);

 private:
  enum class Key { Document, Program };
  struct Node {
    int left = -1;
    int right = -1;
    std::uint32_t priority = 0;
    int length = 0;
    int sum = 0;
    int count = 1;
    int generation = -1;
    qreal height = 0;
    qreal heightSum = 0;
  };

  Paragraph find(int pos, Key key) const;

  Node& node(int t) { return nodes_[static_cast<std::size_t>(t)]; }
  const Node& node(int t) const { return nodes_[static_cast<std::size_t>(t)]; }
  int sum(int t) const { return t < 0 ? 0 : node(t).sum; }
  int count(int t) const { return t < 0 ? 0 : node(t).count; }
  qreal heightSum(int t) const { return t < 0 ? 0 : node(t).heightSum; }
  int newNode(int length, qreal height);
  void freeTree(int t);
  void update(int t);
  void split(int t, int k, int& left, int& right);
  int merge(int a, int b);
  int build(const std::vector<int>& lengths, const std::vector<qreal>& heights);
  void collectHeights(int t, std::vector<qreal>& out) const;
  static void fillHeights(std::vector<qreal>& heights, const std::vector<int>& lengths,
                          const Estimate& estimate);
  void setHeightAt(int t, int index, qreal height, int generation);
  std::uint32_t nextPriority();

  std::vector<Node> nodes_;
  std::vector<int> free_;
  int root_ = -1;
  std::uint32_t seed_ = 0x9e3779b9u;
};

}  // namespace scenova::platform
