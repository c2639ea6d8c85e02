#pragma once

// The script editor's page layout.
//
// Qt's own document layout moves every paragraph after an edit, so each
// keystroke in the middle of a long script costs time in proportion to the
// rest of the script. This layout lays out each paragraph on its own with
// QTextLayout (wrapped to the page width, aligned, indented, with its list
// marker) and stacks the paragraphs by the running sum of their heights, kept
// in a BlockTree: an edit lays out only the paragraphs it touched, and
// finding the paragraph at a height or the height of a paragraph is
// O(log n). Paragraphs not laid out yet (after loading, or after the page
// width changed) carry an estimated height; everything down to what is shown
// or asked for is laid out first, the rest in the background in short steps.
//
// What it shows: paragraph alignment, left/right margins, first-line indent,
// indent levels and lists (disc, circle and square bullets; numbers), space
// before and after paragraphs, line height, tab positions, paragraph
// backgrounds; character formatting is QTextLayout's. Tables are shown as
// their cells' paragraphs one below the other (scripts hold none: the RTF
// reader turns tables into text). Printing uses Qt's paginating layout on a
// copy of the document.

#include "platform/rtb/block_tree.h"

#include <QAbstractTextDocumentLayout>
#include <QTimer>

#include <limits>

class QTextBlock;
class QTextBlockFormat;

namespace scenova::platform {

class ScriptLayout : public QAbstractTextDocumentLayout {
  Q_OBJECT

 public:
  explicit ScriptLayout(QTextDocument* doc);

  void draw(QPainter* painter, const PaintContext& context) override;
  int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
  int pageCount() const override { return 1; }
  QSizeF documentSize() const override;
  QRectF frameBoundingRect(QTextFrame* frame) const override;
  QRectF blockBoundingRect(const QTextBlock& block) const override;

  // Lays out every paragraph whose top lies above y now.
  void layoutUpTo(qreal y) const;
  // Lays out everything still waiting.
  void layoutAll() const { layoutUpTo(std::numeric_limits<qreal>::max()); }
  bool layoutPending() const { return pendingFrom_ >= 0; }
  // Paragraphs laid out so far (tests: an edit lays out only what it touched).
  int paragraphsLaidOut() const { return laidOut_; }

 protected:
  void documentChanged(int from, int charsRemoved, int charsAdded) override;

 private:
  BlockTree::Paragraph ensure(const QTextBlock& block, int number) const;
  void layoutThrough(int number) const;
  qreal layoutParagraph(const QTextBlock& block) const;
  qreal topSpacing(const QTextBlock& block) const;
  qreal blockIndent(const QTextBlock& block, const QTextBlockFormat& format) const;
  qreal scale() const;
  qreal margin() const;
  qreal pageWidth() const;
  qreal columnWidth() const;
  qreal estimate(int docLength) const;
  void refreshEstimate();
  void heightsChanged(qreal fromY) const;
  void announce();
  void backgroundStep();
  void drawParagraph(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                     qreal top) const;
  void drawMarker(QPainter* painter, const QTextBlock& block, const QColor& color) const;

  mutable BlockTree tree_;
  int generation_ = 0;
  // Every paragraph before this one is laid out; -1: all are.
  mutable int pendingFrom_ = -1;
  // Heights changed from this height down, not yet announced; -1: none.
  mutable qreal changedFrom_ = -1;
  mutable bool painting_ = false;
  mutable int laidOut_ = 0;
  mutable qreal widest_ = 0;
  qreal estimatedLine_ = 16;
  qreal estimatedCharsPerLine_ = 80;
  QTimer background_;
  mutable QTimer announcer_;
};

}  // namespace scenova::platform
