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
  nodes_.clear();
  free_.clear();
  root_ = -1;
  ++rebuilds_;
  if (!doc_) return;
  std::vector<int> lengths;
  lengths.reserve(static_cast<std::size_t>(doc_->blockCount()));
  for (QTextBlock b = doc_->begin(); b.isValid(); b = b.next()) lengths.push_back(b.length());
  nodes_.reserve(lengths.size());
  root_ = build(lengths);
}

void ParagraphIndex::documentChanged(int position, int charsRemoved, int charsAdded) {
  if (!doc_) return;
  if (root_ < 0 || position < 0 || charsRemoved < 0 || charsAdded < 0) {
    rebuild();
    return;
  }
  // The paragraphs that held [position, position + charsRemoved] before the
  // change give way to those that hold [position, position + charsAdded] now.
  const int oldTotal = sum(root_);
  const int from = std::min(position, oldTotal - 1);
  const int oldTo =
      static_cast<int>(std::min<qint64>(qint64{position} + charsRemoved, qint64{oldTotal} - 1));
  const Paragraph first = find(from, false);
  const Paragraph last = find(oldTo, false);

  const int newTotal = doc_->characterCount();
  const QTextBlock newFirst = doc_->findBlock(std::min(position, newTotal - 1));
  const QTextBlock newLast = doc_->findBlock(
      static_cast<int>(std::min<qint64>(qint64{position} + charsAdded, qint64{newTotal} - 1)));
  if (!newFirst.isValid() || !newLast.isValid() || newFirst.blockNumber() != first.number ||
      newFirst.position() != first.docStart) {
    rebuild();
    return;
  }
  std::vector<int> lengths;
  for (QTextBlock b = newFirst; b.isValid(); b = b.next()) {
    lengths.push_back(b.length());
    if (b == newLast) break;
  }
  replace(first.number, last.number, lengths);
  if (count(root_) != doc_->blockCount() || sum(root_) != newTotal) rebuild();
}

ParagraphIndex::Paragraph ParagraphIndex::atProgram(int p) const {
  Paragraph para = find(p, true);
  if (!matchesDocument(para)) {
    rebuild();
    para = find(p, true);
  }
  return para;
}

ParagraphIndex::Paragraph ParagraphIndex::atDocument(int q) const {
  Paragraph para = find(q, false);
  if (!matchesDocument(para)) {
    rebuild();
    para = find(q, false);
  }
  return para;
}

// Walks down the tree. In program counting every paragraph but the last is
// one longer than in document counting (CR LF against one break); the last
// paragraph's extra character is the document's closing break, which the
// program does not count, so positions past the end land in the last
// paragraph either way.
ParagraphIndex::Paragraph ParagraphIndex::find(int pos, bool program) const {
  Paragraph result;
  int t = root_;
  while (t >= 0) {
    const Node& n = nodes_[static_cast<std::size_t>(t)];
    const int leftWeight = sum(n.left) + (program ? count(n.left) : 0);
    if (pos < leftWeight) {
      t = n.left;
      continue;
    }
    pos -= leftWeight;
    result.number += count(n.left);
    result.docStart += sum(n.left);
    const int weight = n.length + (program ? 1 : 0);
    if (pos < weight || n.right < 0) {
      result.docLength = n.length;
      return result;
    }
    pos -= weight;
    result.number += 1;
    result.docStart += n.length;
    t = n.right;
  }
  return {};
}

bool ParagraphIndex::matchesDocument(const Paragraph& para) const {
  if (!doc_) return true;
  const QTextBlock b = doc_->findBlockByNumber(para.number);
  return b.isValid() && b.position() == para.docStart && b.length() == para.docLength;
}

void ParagraphIndex::replace(int first, int last, const std::vector<int>& lengths) const {
  int before = -1, rest = -1, middle = -1, after = -1;
  split(root_, first, before, rest);
  split(rest, last - first + 1, middle, after);
  freeTree(middle);
  root_ = merge(merge(before, build(lengths)), after);
}

int ParagraphIndex::newNode(int length) const {
  Node n;
  n.priority = nextPriority();
  n.length = length;
  n.sum = length;
  if (!free_.empty()) {
    const int t = free_.back();
    free_.pop_back();
    nodes_[static_cast<std::size_t>(t)] = n;
    return t;
  }
  nodes_.push_back(n);
  return static_cast<int>(nodes_.size()) - 1;
}

void ParagraphIndex::freeTree(int t) const {
  if (t < 0) return;
  std::vector<int> stack{t};
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    free_.push_back(n);
    const Node& node = nodes_[static_cast<std::size_t>(n)];
    if (node.left >= 0) stack.push_back(node.left);
    if (node.right >= 0) stack.push_back(node.right);
  }
}

void ParagraphIndex::update(int t) const {
  Node& n = nodes_[static_cast<std::size_t>(t)];
  n.sum = n.length + sum(n.left) + sum(n.right);
  n.count = 1 + count(n.left) + count(n.right);
}

// Splits tree t into its first k paragraphs and the rest.
void ParagraphIndex::split(int t, int k, int& left, int& right) const {
  if (t < 0) {
    left = right = -1;
    return;
  }
  Node& n = nodes_[static_cast<std::size_t>(t)];
  if (count(n.left) >= k) {
    split(n.left, k, left, n.left);
    right = t;
  } else {
    split(n.right, k - count(n.left) - 1, n.right, right);
    left = t;
  }
  update(t);
}

int ParagraphIndex::merge(int a, int b) const {
  if (a < 0) return b;
  if (b < 0) return a;
  if (nodes_[static_cast<std::size_t>(a)].priority > nodes_[static_cast<std::size_t>(b)].priority) {
    const int right = merge(nodes_[static_cast<std::size_t>(a)].right, b);
    nodes_[static_cast<std::size_t>(a)].right = right;
    update(a);
    return a;
  }
  const int left = merge(a, nodes_[static_cast<std::size_t>(b)].left);
  nodes_[static_cast<std::size_t>(b)].left = left;
  update(b);
  return b;
}

// Builds a treap over the lengths in linear time (Cartesian tree by
// priority, kept on a stack of the rightmost path).
int ParagraphIndex::build(const std::vector<int>& lengths) const {
  std::vector<int> path;
  for (const int length : lengths) {
    const int t = newNode(length);
    int lastPopped = -1;
    while (!path.empty() && nodes_[static_cast<std::size_t>(path.back())].priority <
                                nodes_[static_cast<std::size_t>(t)].priority) {
      lastPopped = path.back();
      update(lastPopped);
      path.pop_back();
    }
    nodes_[static_cast<std::size_t>(t)].left = lastPopped;
    if (!path.empty()) nodes_[static_cast<std::size_t>(path.back())].right = t;
    path.push_back(t);
  }
  for (auto it = path.rbegin(); it != path.rend(); ++it) update(*it);
  return path.empty() ? -1 : path.front();
}

std::uint32_t ParagraphIndex::nextPriority() const {
  // xorshift32: cheap, and good enough to keep the treap balanced.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

}  // namespace scenova::platform
