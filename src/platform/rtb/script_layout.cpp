#include "platform/rtb/script_layout.h"

#include "platform/rtf/rtf.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>

#include <cmath>

namespace scenova::platform {

namespace {

// Edits touching more paragraphs than this are laid out like a load: what is
// shown first, the rest in the background.
constexpr int kLayoutNowLimit = 64;
// Longest stretch of background layout between two events.
constexpr int kStepMilliseconds = 8;
constexpr qreal kFar = 1e9;

// How a line adds to the paragraph's height, as Qt's own layout counts it.
struct LineHeights {
  qreal advance = 0;     // to the next line
  qreal bottom = 0;      // bottom of this line
  qreal adjustment = 0;  // upward shift of the line inside its space
};

LineHeights lineHeights(const QTextBlockFormat& format, const QTextLine& line, qreal scaling) {
  LineHeights h;
  const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
  h.advance = format.lineHeight(raw, scaling);
  h.bottom = format.lineHeight(line.height(), scaling);
  if (format.lineHeightType() == QTextBlockFormat::FixedHeight) {
    h.adjustment = line.ascent() + qMax(line.leading(), qreal(0)) - h.advance * 4 / 5;
  } else if (format.lineHeightType() == QTextBlockFormat::MinimumHeight) {
    h.adjustment = line.height() - h.advance;
  }
  return h;
}

}  // namespace

ScriptLayout::ScriptLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {
  background_.setInterval(0);
  connect(&background_, &QTimer::timeout, this, &ScriptLayout::backgroundStep);
  announcer_.setSingleShot(true);
  announcer_.setInterval(0);
  connect(&announcer_, &QTimer::timeout, this, &ScriptLayout::announce);
}

// --- Geometry ------------------------------------------------------------------

qreal ScriptLayout::scale() const {
  const QPaintDevice* device = paintDevice();
  return device ? device->logicalDpiY() / 96.0 : 1.0;
}

qreal ScriptLayout::margin() const {
  return document()->documentMargin();
}

qreal ScriptLayout::pageWidth() const {
  return document()->pageSize().width();
}

// Width of the text column; 0 when lines are not wrapped.
qreal ScriptLayout::columnWidth() const {
  const qreal width = pageWidth();
  return width > 0 ? qMax<qreal>(0, width - 2 * margin()) : 0;
}

// The space between a paragraph and the one before: the larger of its space
// before and the other's space after.
qreal ScriptLayout::topSpacing(const QTextBlock& block) const {
  const QTextBlock previous = block.previous();
  if (!previous.isValid()) return 0;
  const qreal space = qMax(block.blockFormat().topMargin(), previous.blockFormat().bottomMargin());
  return space > 0 ? space * scale() : 0;
}

qreal ScriptLayout::blockIndent(const QTextBlock& block, const QTextBlockFormat& format) const {
  qreal levels = format.indent();
  if (const QTextList* list = block.textList()) levels += list->format().indent();
  return levels * document()->indentWidth() * scale();
}

void ScriptLayout::refreshEstimate() {
  const QFontMetricsF metrics(document()->defaultFont(), paintDevice());
  estimatedLine_ = std::ceil(metrics.lineSpacing());
  const qreal width = columnWidth();
  estimatedCharsPerLine_ = width > 0 ? qMax<qreal>(1, width / metrics.averageCharWidth()) : kFar;
}

qreal ScriptLayout::estimate(int docLength) const {
  const qreal lines = std::ceil(qMax(0, docLength - 1) / estimatedCharsPerLine_);
  return estimatedLine_ * qMax<qreal>(1, lines);
}

// --- Laying out -------------------------------------------------------------------

// Lays the paragraph's lines out and returns the height it takes on the page,
// the space above it included.
qreal ScriptLayout::layoutParagraph(const QTextBlock& block) const {
  QTextLayout* layout = block.layout();
  const QTextBlockFormat format = block.blockFormat();
  const Qt::LayoutDirection direction = block.textDirection();
  QTextOption option = document()->defaultTextOption();
  option.setTextDirection(direction);
  option.setTabs(format.tabPositions());
  const Qt::Alignment alignment =
      format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment();
  option.setAlignment(QStyle::visualAlignment(direction, alignment));
  const qreal width = columnWidth();
  if (format.nonBreakableLines() || width <= 0) option.setWrapMode(QTextOption::ManualWrap);
  layout->setTextOption(option);

  const qreal scaling = scale();
  const qreal indent = blockIndent(block, format);
  const bool leftToRight = direction != Qt::RightToLeft;
  const qreal left = format.leftMargin() + (leftToRight ? indent : 0);
  const qreal right = format.rightMargin() + (leftToRight ? 0 : indent);
  qreal y = 0, bottom = 0;
  layout->beginLayout();
  for (bool first = true;; first = false) {
    QTextLine line = layout->createLine();
    if (!line.isValid()) break;
    line.setLeadingIncluded(true);
    const qreal textIndent = first ? format.textIndent() : 0;
    line.setLineWidth(qMax<qreal>(0, width - left - right - textIndent));
    const LineHeights h = lineHeights(format, line, scaling);
    line.setPosition(QPointF(left + (leftToRight ? textIndent : 0), y - h.adjustment));
    bottom = y + h.bottom;
    y += h.advance;
    widest_ = qMax(widest_, left + textIndent + line.naturalTextWidth() + right);
  }
  layout->endLayout();
  ++laidOut_;
  return topSpacing(block) + qMax(y, bottom);
}

// The paragraph, laid out for the current page.
BlockTree::Paragraph ScriptLayout::ensure(const QTextBlock& block, int number) const {
  BlockTree::Paragraph para = tree_.at(number);
  if (para.generation == generation_ && block.layout()->lineCount() > 0) return para;
  const qreal height = layoutParagraph(block);
  tree_.setHeight(number, height, generation_);
  if (height != para.height) heightsChanged(para.y);
  para.height = height;
  para.generation = generation_;
  return para;
}

void ScriptLayout::layoutUpTo(qreal y) const {
  if (pendingFrom_ < 0) return;
  QTextBlock block = document()->findBlockByNumber(pendingFrom_);
  for (; block.isValid(); block = block.next()) {
    const BlockTree::Paragraph para = tree_.at(pendingFrom_);
    if (margin() + para.y > y) return;
    ensure(block, pendingFrom_++);
  }
  pendingFrom_ = -1;
}

void ScriptLayout::layoutThrough(int number) const {
  if (pendingFrom_ < 0 || pendingFrom_ > number) return;
  layoutUpTo(margin() + tree_.at(number).y);
}

void ScriptLayout::backgroundStep() {
  QElapsedTimer clock;
  clock.start();
  while (pendingFrom_ >= 0 && clock.elapsed() < kStepMilliseconds) {
    layoutUpTo(margin() + tree_.at(pendingFrom_).y + 1);
  }
  if (pendingFrom_ < 0) background_.stop();
  announce();
}

void ScriptLayout::heightsChanged(qreal fromY) const {
  changedFrom_ = changedFrom_ < 0 ? fromY : qMin(changedFrom_, fromY);
  announcer_.start();
}

// Tells the editor what moved: a repaint from the first changed paragraph
// down (not while painting, which already shows the new heights) and the new
// size for its scroll bars.
void ScriptLayout::announce() {
  if (changedFrom_ < 0) return;
  if (!painting_) Q_EMIT update(QRectF(0, margin() + changedFrom_, kFar, kFar));
  changedFrom_ = -1;
  Q_EMIT documentSizeChanged(documentSize());
}

void ScriptLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
  const QTextDocument& doc = *document();
  refreshEstimate();
  const auto estimator = [this](int length) { return estimate(length); };
  // Measured before the tree follows the change: following it already drops
  // the heights of paragraphs taken away and adds estimates for new ones.
  const qreal heightBefore = tree_.totalHeight();
  const bool everything = from == 0 && charsRemoved == 0 && charsAdded == doc.characterCount() &&
                          tree_.count() == doc.blockCount() &&
                          tree_.totalLength() == doc.characterCount();
  const BlockTree::Change change =
      everything ? BlockTree::Change{0, tree_.count(), tree_.count(), true}
                 : tree_.follow(doc, from, charsRemoved, charsAdded, estimator);
  if (change.rebuilt) {
    // A new page width, new defaults, or a change too odd to follow: every
    // paragraph is laid out again; their old heights serve as estimates.
    ++generation_;
    pendingFrom_ = 0;
    background_.start();
    Q_EMIT update();
    Q_EMIT documentSizeChanged(documentSize());
    return;
  }
  // Paragraphs still waiting keep their place in the order.
  if (pendingFrom_ >= change.first + change.removed) {
    pendingFrom_ += change.added - change.removed;
  } else if (pendingFrom_ > change.first) {
    pendingFrom_ = change.first;
  }
  // The changed paragraphs, and the one after them (its spacing depends on the
  // one before it).
  const int first = change.first;
  const int last = qMin(first + change.added, tree_.count() - 1);
  const qreal top = tree_.at(first).y;
  if (last - first < kLayoutNowLimit) {
    QTextBlock block = doc.findBlockByNumber(first);
    for (int n = first; n <= last && block.isValid(); ++n, block = block.next()) {
      tree_.setHeight(n, layoutParagraph(block), generation_);
    }
  } else {
    pendingFrom_ = pendingFrom_ < 0 ? first : qMin(pendingFrom_, first);
    background_.start();
  }
  const BlockTree::Paragraph end = tree_.at(last);
  if (tree_.totalHeight() != heightBefore) {
    // Everything below the change moved: repainted from the change down (or
    // from a change not yet announced above it).
    const qreal moved = changedFrom_ < 0 ? top : qMin(changedFrom_, top);
    changedFrom_ = -1;
    Q_EMIT update(QRectF(0, margin() + moved, kFar, kFar));
    Q_EMIT documentSizeChanged(documentSize());
  } else {
    Q_EMIT update(QRectF(0, margin() + top, kFar, end.y + end.height - top));
  }
}

// --- Queries -------------------------------------------------------------------

QSizeF ScriptLayout::documentSize() const {
  const qreal width = pageWidth() > 0 ? pageWidth() : widest_ + 2 * margin();
  return QSizeF(width, tree_.totalHeight() + 2 * margin());
}

QRectF ScriptLayout::blockBoundingRect(const QTextBlock& block) const {
  if (!block.isValid() || block.document() != document()) return {};
  const int number = block.blockNumber();
  layoutThrough(number);
  const BlockTree::Paragraph para = ensure(block, number);
  const qreal space = topSpacing(block);
  const QPointF origin(margin(), margin() + para.y + space);
  block.layout()->setPosition(origin);
  return QRectF(origin, QSizeF(qMax(columnWidth(), widest_), para.height - space));
}

QRectF ScriptLayout::frameBoundingRect(QTextFrame* frame) const {
  if (!frame || frame == document()->rootFrame()) return QRectF(QPointF(), documentSize());
  const QRectF first = blockBoundingRect(document()->findBlock(frame->firstPosition()));
  const QRectF last = blockBoundingRect(document()->findBlock(frame->lastPosition()));
  return first.united(last);
}

int ScriptLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
  if (tree_.count() == 0) return accuracy == Qt::ExactHit ? -1 : 0;
  layoutUpTo(point.y());
  const int number = tree_.atHeight(qMax<qreal>(0, point.y() - margin())).number;
  const QTextBlock block = document()->findBlockByNumber(number);
  const QRectF rect = blockBoundingRect(block);
  const QTextLayout* layout = block.layout();
  const QPointF local = point - rect.topLeft();
  QTextLine line;
  for (int i = 0; i < layout->lineCount(); ++i) {
    line = layout->lineAt(i);
    if (local.y() < line.y() + line.height()) break;
  }
  if (!line.isValid()) return accuracy == Qt::ExactHit ? -1 : block.position();
  if (accuracy == Qt::ExactHit &&
      (local.y() < line.y() || local.y() > line.y() + line.height() || local.x() < line.x() ||
       local.x() > line.x() + line.naturalTextWidth())) {
    return -1;
  }
  return block.position() + line.xToCursor(local.x());
}

// --- Painting ------------------------------------------------------------------

void ScriptLayout::draw(QPainter* painter, const PaintContext& context) {
  const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, kFar, kFar);
  painting_ = true;
  layoutUpTo(clip.bottom());
  const BlockTree::Paragraph start = tree_.atHeight(qMax<qreal>(0, clip.top() - margin()));
  qreal y = margin() + start.y;
  int number = start.number;
  for (QTextBlock block = document()->findBlockByNumber(number);
       block.isValid() && y <= clip.bottom(); block = block.next(), ++number) {
    const BlockTree::Paragraph para = ensure(block, number);
    drawParagraph(painter, context, block, y + topSpacing(block));
    y += para.height;
  }
  painting_ = false;
}

void ScriptLayout::drawParagraph(QPainter* painter, const PaintContext& context,
                                 const QTextBlock& block, qreal top) const {
  QTextLayout* layout = block.layout();
  layout->setPosition(QPointF(margin(), top));
  const QTextBlockFormat format = block.blockFormat();
  const QBrush background = format.background();
  if (background.style() != Qt::NoBrush) {
    painter->fillRect(
        QRectF(QPointF(margin(), top), QSizeF(columnWidth(), layout->boundingRect().height())),
        background);
  }
  // Selections, as Qt's layout marks them (a selection through the end of
  // the paragraph takes its break along).
  const int position = block.position();
  const int length = block.length();
  QList<QTextLayout::FormatRange> selections;
  for (const Selection& s : context.selections) {
    const int start = s.cursor.selectionStart() - position;
    const int end = s.cursor.selectionEnd() - position;
    if (start < length && end > 0 && end > start) {
      selections.append({start, end - start, s.format});
    } else if (!s.cursor.hasSelection() && s.format.hasProperty(QTextFormat::FullWidthSelection) &&
               block.contains(s.cursor.position())) {
      const QTextLine line = layout->lineForTextPosition(s.cursor.position() - position);
      QTextLayout::FormatRange range{line.textStart(), line.textLength(), s.format};
      if (range.start + range.length == length - 1) ++range.length;
      selections.append(range);
    }
  }
  const QColor text = context.palette.color(QPalette::Text);
  painter->setPen(text);
  layout->draw(painter, QPointF(), selections, context.clip);
  if (block.textList()) drawMarker(painter, block, text);

  int cursor = context.cursorPosition;
  const bool cursorHere = cursor >= position && cursor < position + length;
  const bool preedit = cursor < -1 && !layout->preeditAreaText().isEmpty();
  if (cursorHere || preedit) {
    cursor = preedit ? layout->preeditAreaPosition() - (cursor + 2) : cursor - position;
    painter->setPen(text);
    layout->drawCursor(painter, QPointF(), cursor, qMax(1, property("cursorWidth").toInt()));
  }
}

// The bullet or number in front of a list paragraph's first line.
void ScriptLayout::drawMarker(QPainter* painter, const QTextBlock& block,
                              const QColor& color) const {
  const QTextLayout* layout = block.layout();
  if (layout->lineCount() == 0) return;
  const QTextLine line = layout->lineAt(0);
  const QTextList* list = block.textList();
  const QTextCharFormat charFormat = block.charFormat();
  const QFont font(charFormat.font().resolve(document()->defaultFont()), paintDevice());
  const QFontMetricsF metrics(font);
  const bool leftToRight = block.textDirection() != Qt::RightToLeft;
  const QPointF origin = layout->position() + line.position();
  const qreal baseline = origin.y() + line.ascent();
  const qreal gap = metrics.horizontalAdvance(u' ');
  const QColor ink =
      charFormat.foreground().style() == Qt::NoBrush ? color : charFormat.foreground().color();
  painter->save();
  const QTextListFormat::Style style = list->format().style();
  if (style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
      style == QTextListFormat::ListSquare) {
    const qreal size = qMax<qreal>(3, std::round(metrics.ascent() / 3));
    const qreal x =
        leftToRight ? origin.x() - gap - size : origin.x() + line.naturalTextWidth() + gap;
    const QRectF mark(x, baseline - metrics.xHeight() / 2 - size / 2, size, size);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(ink);
    painter->setBrush(style == QTextListFormat::ListCircle ? Qt::NoBrush : QBrush(ink));
    if (style == QTextListFormat::ListSquare) {
      painter->fillRect(mark, ink);
    } else {
      painter->drawEllipse(mark);
    }
  } else {
    const QString text = rtf::listItemText(block);
    const qreal width = metrics.horizontalAdvance(text);
    const qreal x =
        leftToRight ? origin.x() - gap - width : origin.x() + line.naturalTextWidth() + gap;
    painter->setFont(font);
    painter->setPen(ink);
    painter->drawText(QPointF(x, baseline), text);
  }
  painter->restore();
}

}  // namespace scenova::platform
