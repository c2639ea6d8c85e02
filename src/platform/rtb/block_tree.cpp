#include "platform/rtb/block_tree.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace scenova::platform {

void BlockTree::fillHeights(std::vector<qreal>& heights, const std::vector<int>& lengths,
                            const Estimate& estimate) {
  const std::size_t known = std::min(heights.size(), lengths.size());
  heights.resize(lengths.size());
  for (std::size_t i = known; i < lengths.size(); ++i) {
    heights[i] = estimate ? estimate(lengths[i]) : 0;
  }
}

void BlockTree::rebuild(const QTextDocument& doc, const Estimate& estimate) {
  std::vector<qreal> heights;
  collectHeights(root_, heights);
  nodes_.clear();
  free_.clear();
  std::vector<int> lengths;
  lengths.reserve(static_cast<std::size_t>(doc.blockCount()));
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) lengths.push_back(b.length());
  fillHeights(heights, lengths, estimate);
  nodes_.reserve(lengths.size());
  root_ = build(lengths, heights);
}

BlockTree::Change BlockTree::follow(const QTextDocument& doc, int position, int charsRemoved,
                                    int charsAdded, const Estimate& estimate) {
  const int oldCount = count();
  const auto rebuilt = [&] {
    rebuild(doc, estimate);
    return Change{0, oldCount, count(), true};
  };
  if (root_ < 0 || position < 0 || charsRemoved < 0 || charsAdded < 0) return rebuilt();
  // The paragraphs that held [position, position + charsRemoved] before the
  // change give way to those that hold [position, position + charsAdded] now.
  const int oldTotal = sum(root_);
  const Paragraph first = find(std::min(position, oldTotal - 1), Key::Document);
  const Paragraph last = find(
      static_cast<int>(std::min<qint64>(qint64{position} + charsRemoved, qint64{oldTotal} - 1)),
      Key::Document);
  const int newTotal = doc.characterCount();
  const QTextBlock newFirst = doc.findBlock(std::min(position, newTotal - 1));
  const QTextBlock newLast = doc.findBlock(
      static_cast<int>(std::min<qint64>(qint64{position} + charsAdded, qint64{newTotal} - 1)));
  if (!newFirst.isValid() || !newLast.isValid() || newFirst.blockNumber() != first.number ||
      newFirst.position() != first.docStart) {
    return rebuilt();
  }
  std::vector<int> lengths;
  for (QTextBlock b = newFirst; b.isValid(); b = b.next()) {
    lengths.push_back(b.length());
    if (b == newLast) break;
  }
  std::vector<qreal> heights;
  int before = -1, rest = -1, middle = -1, after = -1;
  split(root_, first.number, before, rest);
  split(rest, last.number - first.number + 1, middle, after);
  collectHeights(middle, heights);
  freeTree(middle);
  fillHeights(heights, lengths, estimate);
  root_ = merge(merge(before, build(lengths, heights)), after);
  if (count() != doc.blockCount() || totalLength() != newTotal) return rebuilt();
  return Change{first.number, last.number - first.number + 1, static_cast<int>(lengths.size()),
                false};
}

// Walks down the tree. In program counting every paragraph but the last is
// one longer than in document counting (CR LF against one break); the last
// paragraph's extra character is the document's closing break, which the
// program does not count, so positions past the end land in the last
// paragraph either way.
BlockTree::Paragraph BlockTree::find(int pos, Key key) const {
  const bool program = key == Key::Program;
  Paragraph result;
  int t = root_;
  while (t >= 0) {
    const Node& n = node(t);
    const int leftWeight = sum(n.left) + (program ? count(n.left) : 0);
    if (pos < leftWeight) {
      t = n.left;
      continue;
    }
    pos -= leftWeight;
    result.number += count(n.left);
    result.docStart += sum(n.left);
    result.y += heightSum(n.left);
    const int weight = n.length + (program ? 1 : 0);
    if (pos < weight || n.right < 0) {
      result.docLength = n.length;
      result.height = n.height;
      result.generation = n.generation;
      return result;
    }
    pos -= weight;
    result.number += 1;
    result.docStart += n.length;
    result.y += n.height;
    t = n.right;
  }
  return {};
}

BlockTree::Paragraph BlockTree::atHeight(qreal y) const {
  Paragraph result;
  int t = root_;
  while (t >= 0) {
    const Node& n = node(t);
    if (y < heightSum(n.left)) {
      t = n.left;
      continue;
    }
    y -= heightSum(n.left);
    result.number += count(n.left);
    result.docStart += sum(n.left);
    result.y += heightSum(n.left);
    if (y < n.height || n.right < 0) {
      result.docLength = n.length;
      result.height = n.height;
      result.generation = n.generation;
      return result;
    }
    y -= n.height;
    result.number += 1;
    result.docStart += n.length;
    result.y += n.height;
    t = n.right;
  }
  return {};
}

BlockTree::Paragraph BlockTree::at(int number) const {
  Paragraph result;
  int t = root_;
  while (t >= 0) {
    const Node& n = node(t);
    if (number < count(n.left)) {
      t = n.left;
      continue;
    }
    number -= count(n.left);
    result.number += count(n.left);
    result.docStart += sum(n.left);
    result.y += heightSum(n.left);
    if (number == 0 || n.right < 0) {
      result.docLength = n.length;
      result.height = n.height;
      result.generation = n.generation;
      return result;
    }
    number -= 1;
    result.number += 1;
    result.docStart += n.length;
    result.y += n.height;
    t = n.right;
  }
  return {};
}

void BlockTree::setHeight(int number, qreal height, int generation) {
  if (number >= 0 && number < count()) setHeightAt(root_, number, height, generation);
}

void BlockTree::setHeightAt(int t, int index, qreal height, int generation) {
  Node& n = node(t);
  const int leftCount = count(n.left);
  if (index < leftCount) {
    setHeightAt(n.left, index, height, generation);
  } else if (index > leftCount) {
    setHeightAt(n.right, index - leftCount - 1, height, generation);
  } else {
    n.height = height;
    n.generation = generation;
  }
  update(t);
}

QTextBlock BlockTree::matching(const QTextDocument& doc, const Paragraph& para) {
  const QTextBlock b = doc.findBlockByNumber(para.number);
  return b.isValid() && b.position() == para.docStart && b.length() == para.docLength
             ? b
             : QTextBlock();
}

int BlockTree::newNode(int length, qreal height) {
  Node n;
  n.priority = nextPriority();
  n.length = n.sum = length;
  n.height = n.heightSum = height;
  if (!free_.empty()) {
    const int t = free_.back();
    free_.pop_back();
    node(t) = n;
    return t;
  }
  nodes_.push_back(n);
  return static_cast<int>(nodes_.size()) - 1;
}

void BlockTree::freeTree(int t) {
  if (t < 0) return;
  std::vector<int> stack{t};
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    free_.push_back(n);
    if (node(n).left >= 0) stack.push_back(node(n).left);
    if (node(n).right >= 0) stack.push_back(node(n).right);
  }
}

void BlockTree::collectHeights(int t, std::vector<qreal>& out) const {
  // In order, without recursion (the tree may be deep when unlucky).
  std::vector<int> stack;
  while (t >= 0 || !stack.empty()) {
    for (; t >= 0; t = node(t).left) stack.push_back(t);
    t = stack.back();
    stack.pop_back();
    out.push_back(node(t).height);
    t = node(t).right;
  }
}

void BlockTree::update(int t) {
  Node& n = node(t);
  n.sum = n.length + sum(n.left) + sum(n.right);
  n.count = 1 + count(n.left) + count(n.right);
  n.heightSum = n.height + heightSum(n.left) + heightSum(n.right);
}

// Splits tree t into its first k paragraphs and the rest.
void BlockTree::split(int t, int k, int& left, int& right) {
  if (t < 0) {
    left = right = -1;
    return;
  }
  Node& n = node(t);
  if (count(n.left) >= k) {
    split(n.left, k, left, n.left);
    right = t;
  } else {
    split(n.right, k - count(n.left) - 1, n.right, right);
    left = t;
  }
  update(t);
}

int BlockTree::merge(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  if (node(a).priority > node(b).priority) {
    const int right = merge(node(a).right, b);
    node(a).right = right;
    update(a);
    return a;
  }
  const int left = merge(a, node(b).left);
  node(b).left = left;
  update(b);
  return b;
}

// Builds a treap over the paragraphs in linear time (a Cartesian tree by
// priority, built on a stack holding the rightmost path).
int BlockTree::build(const std::vector<int>& lengths, const std::vector<qreal>& heights) {
  std::vector<int> path;
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    const int t = newNode(lengths[i], heights[i]);
    int lastPopped = -1;
    while (!path.empty() && node(path.back()).priority < node(t).priority) {
      lastPopped = path.back();
      update(lastPopped);
      path.pop_back();
    }
    node(t).left = lastPopped;
    if (!path.empty()) node(path.back()).right = t;
    path.push_back(t);
  }
  for (auto it = path.rbegin(); it != path.rend(); ++it) update(*it);
  return path.empty() ? -1 : path.front();
}

std::uint32_t BlockTree::nextPriority() {
  // xorshift32: cheap, and good enough to keep the treap balanced.
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

}  // namespace scenova::platform
