// What the editor shows after edits is the document as it is, and a click
// lands on the character shown under the pointer: line breaks made and
// taken away above, inside and below the shown part of the script, by keys
// and by the program, with and without the event loop running in between.
// The screen must hold what a fresh paint of the editor gives (no lines
// left where they were before the edit), and that paint must show the
// document's paragraphs in order, as an editor that never saw an edit does.

#include "platform/rtb/rtb.h"

#include <QApplication>
#include <QFile>
#include <QPaintEngine>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <map>
#include <memory>

using scenova::platform::RTB;

namespace {

// A paint device that keeps the text painted on it and where.
class TextRecorder : public QPaintDevice {
 public:
  struct Item {
    QPointF at;  // baseline start, in the painter's device coordinates
    QString text;
  };

  explicit TextRecorder(QSize size) : size_(size), engine_(this) {}
  QPaintEngine* paintEngine() const override { return const_cast<Engine*>(&engine_); }
  const std::vector<Item>& items() const { return items_; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return reference_.metric(m);
    }
  }

 private:
  class Engine : public QPaintEngine {
   public:
    explicit Engine(TextRecorder* owner) : QPaintEngine(AllFeatures), owner_(owner) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& state) override {
      if (state.state() & DirtyTransform) transform_ = state.transform();
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
      owner_->items_.push_back({transform_.map(p), item.text()});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}

   private:
    TextRecorder* owner_;
    QTransform transform_;
  };

  // Answers the metrics a device of this size answers.
  class Reference : public QImage {
   public:
    Reference() : QImage(1, 1, QImage::Format_ARGB32) {}
    using QImage::metric;
  };

  QSize size_;
  Engine engine_;
  Reference reference_;
  std::vector<Item> items_;
};

// One painted line: its baseline in the document's coordinates and its
// text, without white space (a line's pieces are painted separately).
struct PaintedLine {
  int baseline = 0;
  qreal x = 0;
  QString text;
  bool operator==(const PaintedLine& o) const { return baseline == o.baseline && text == o.text; }
};

QString withoutSpaces(QString s) {
  s.remove(QRegularExpression(QStringLiteral("\\s")));
  return s;
}

// What the editor paints now, line by line from the top.
std::vector<PaintedLine> paintedLines(RTB& rtb) {
  QWidget* view = rtb.viewport();
  TextRecorder recorder(view->size());
  view->render(&recorder, QPoint(), QRegion(), QWidget::DrawChildren);
  const int scrolled = rtb.verticalScrollBar()->value();
  std::map<int, std::vector<TextRecorder::Item>> byLine;
  for (const TextRecorder::Item& item : recorder.items())
    byLine[qRound(item.at.y()) + scrolled].push_back(item);
  std::vector<PaintedLine> lines;
  for (auto& [baseline, items] : byLine) {
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return a.at.x() < b.at.x(); });
    PaintedLine line{baseline, items.front().at.x(), {}};
    for (const auto& item : items) line.text += item.text;
    line.text = withoutSpaces(line.text);
    if (!line.text.isEmpty()) lines.push_back(line);
  }
  return lines;
}

QString describe(const std::vector<PaintedLine>& lines) {
  QStringList out;
  for (const PaintedLine& l : lines) out << QStringLiteral("%1:%2").arg(l.baseline).arg(l.text);
  return out.join(QStringLiteral(" | "));
}

// The paragraphs of the document that are not empty, white space removed.
QStringList documentLines(const QTextDocument& doc) {
  QStringList out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    const QString text = withoutSpaces(b.text());
    if (!text.isEmpty()) out << text;
  }
  return out;
}

// A fresh editor of the same size, scrolled as far, holding a copy of the
// document: it has never seen an edit.
std::vector<PaintedLine> paintedByAFreshEditor(RTB& rtb) {
  RTB fresh;
  // The editor under test keeps the focus, and with it its caret.
  fresh.setAttribute(Qt::WA_DontShowOnScreen);
  fresh.setLineWrapMode(rtb.lineWrapMode());
  fresh.resize(rtb.size());
  fresh.ReplaceDocument(std::unique_ptr<QTextDocument>(rtb.document()->clone()));
  fresh.show();
  fresh.verticalScrollBar()->setValue(rtb.verticalScrollBar()->value());
  return paintedLines(fresh);
}

// The editor's view as the screen shows it.
QImage onScreen(RTB& rtb) {
  QCoreApplication::processEvents();
  QWidget* view = rtb.viewport();
  const QPoint at = view->mapTo(view->window(), QPoint(0, 0));
  return view->screen()
      ->grabWindow(view->window()->winId(), at.x(), at.y(), view->width(), view->height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// Whether the pixels on the screen are those a fresh paint of the editor
// gives now (nothing left over from before an edit).
QString checkScreen(RTB& rtb) {
  const QImage shown = onScreen(rtb);
  const QImage painted = rtb.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (shown.size() != painted.size())
    return QStringLiteral("the screen shows a view of another size");
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if (shown.pixel(x, y) != painted.pixel(x, y)) {
        return QStringLiteral("the screen differs from a fresh paint at %1,%2").arg(x).arg(y);
      }
    }
  }
  return {};
}

// Checks what is painted against the document and against a fresh editor,
// and that a click on each painted line lands in the paragraph painted
// there. Returns an empty string or what is wrong.
QString checkView(RTB& rtb) {
  if (const QString wrong = checkScreen(rtb); !wrong.isEmpty()) return wrong;
  const std::vector<PaintedLine> lines = paintedLines(rtb);
  if (lines.empty()) return QStringLiteral("nothing painted");
  // The painted lines are consecutive paragraphs of the document.
  const QStringList doc = documentLines(*rtb.document());
  const qsizetype first = doc.indexOf(lines.front().text);
  if (first < 0) return QStringLiteral("painted \"%1\" is in no paragraph").arg(lines.front().text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const qsizetype at = first + static_cast<qsizetype>(i);
    if (at >= doc.size() || doc.at(at) != lines[i].text) {
      return QStringLiteral("line %1 painted \"%2\", the document has \"%3\" there: %4")
          .arg(i)
          .arg(lines[i].text, at < doc.size() ? doc.at(at) : QStringLiteral("(end)"),
               describe(lines));
    }
  }
  const std::vector<PaintedLine> fresh = paintedByAFreshEditor(rtb);
  if (lines != fresh) {
    return QStringLiteral("painted %1; a fresh editor paints %2")
        .arg(describe(lines), describe(fresh));
  }
  // A click just right of a line's first character selects a place in the
  // paragraph painted there.
  const int scrolled = rtb.verticalScrollBar()->value();
  const int lineHeight = rtb.fontMetrics().height();
  for (const PaintedLine& line : lines) {
    const QPoint point(qRound(line.x) + 2, line.baseline - scrolled - lineHeight / 3);
    if (!rtb.viewport()->rect().contains(point)) continue;
    const QTextBlock hit = rtb.cursorForPosition(point).block();
    if (withoutSpaces(hit.text()) != line.text) {
      return QStringLiteral("a click on \"%1\" lands in \"%2\"").arg(line.text, hit.text());
    }
  }
  return {};
}

const QStringList kSixLines{
    QStringLiteral("ACT ONE"),          QStringLiteral("HAMLET: To be or not to be."),
    QStringLiteral("[[Vol 60]] music"), QStringLiteral("OPHELIA: Good my lord."),
    QStringLiteral("[[FadeOut Fast]]"), QStringLiteral("END be")};

// Where the screen shows the line that starts with `text` (found by its
// pixels as a fresh paint draws them): a point on its first character.
std::optional<QPoint> pointOnScreen(RTB& rtb, const QString& text) {
  const QImage shown = onScreen(rtb);
  const QImage painted = rtb.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QFontMetrics metrics = rtb.fontMetrics();
  for (const PaintedLine& line : paintedLines(rtb)) {
    if (!line.text.startsWith(withoutSpaces(text))) continue;
    const int top = line.baseline - rtb.verticalScrollBar()->value() - metrics.ascent();
    const QRect strip(0, top, painted.width(), metrics.height());
    const QImage word = painted.copy(strip);
    for (int y = 0; y + strip.height() <= shown.height(); ++y) {
      if (shown.copy(0, y, strip.width(), strip.height()) == word)
        return QPoint(qRound(line.x) + 2, y + metrics.ascent() * 2 / 3);
    }
    return std::nullopt;
  }
  return std::nullopt;
}

// The point a click on the first character of the painted line with text
// `text` goes to, in the viewport.
std::optional<QPoint> pointOn(RTB& rtb, const QString& text) {
  for (const PaintedLine& line : paintedLines(rtb)) {
    if (line.text.startsWith(withoutSpaces(text))) {
      return QPoint(qRound(line.x) + 2, line.baseline - rtb.verticalScrollBar()->value() -
                                            rtb.fontMetrics().height() / 3);
    }
  }
  return std::nullopt;
}

}  // namespace

class TestView : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // A blinking caret would make the screen and a fresh paint differ.
  void initTestCase() { QApplication::setCursorFlashTime(0); }
  void enterAtTheEndOfTheFirstLine();
  void randomLineBreaksAboveInsideAndBelowTheView();
};

// The author clicks at the end of the first line and presses Enter: every
// line is still painted, and a click on OPHELIA lands in OPHELIA's line.
void TestView::enterAtTheEndOfTheFirstLine() {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("six.txt"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(kSixLines.join(QStringLiteral("\r\n")).toUtf8());
  file.close();
  RTB rtb;
  rtb.resize(400, 300);
  QVERIFY(rtb.LoadFile(path));
  rtb.show();
  rtb.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&rtb));
  QVERIFY2(checkView(rtb).isEmpty(), qPrintable(checkView(rtb)));

  const std::optional<QPoint> act = pointOn(rtb, kSixLines.at(0));
  QVERIFY(act);
  QTest::mouseClick(rtb.viewport(), Qt::LeftButton, {}, *act);
  QTest::keyClick(&rtb, Qt::Key_End);
  QTest::keyClick(&rtb, Qt::Key_Return);
  QCOMPARE(rtb.Text(), kSixLines.at(0) + QStringLiteral("\r\n\r\n") +
                           kSixLines.mid(1).join(QStringLiteral("\r\n")));
  // A click where the screen shows OPHELIA lands in OPHELIA's line (not in
  // the cue line painted there before the Enter).
  const std::optional<QPoint> ophelia = pointOnScreen(rtb, kSixLines.at(3));
  QVERIFY(ophelia);
  QTest::mouseClick(rtb.viewport(), Qt::LeftButton, {}, *ophelia);
  const QString clicked = rtb.Mid(rtb.SelStart() - 2, 10);
  QVERIFY2(clicked.contains(QStringLiteral("OPH")), qPrintable(clicked));
  QVERIFY2(checkView(rtb).isEmpty(), qPrintable(checkView(rtb)));
}

// Random line breaks made and taken away above, inside and below the shown
// part of a long script (fixed seeds): after each, the view is checked.
void TestView::randomLineBreaksAboveInsideAndBelowTheView() {
  for (quint32 seed = 1; seed <= 3; ++seed) {
    QRandomGenerator rng(seed);
    RTB rtb;
    rtb.setLineWrapMode(QTextEdit::NoWrap);
    rtb.resize(400, 300);
    QStringList lines;
    for (int i = 0; i < 2000; ++i) {
      lines << (i % 7 == 3 ? QStringLiteral("[[Vol %1]] cue%1").arg(i)
                           : QStringLiteral("Line%1 of the play").arg(i));
    }
    rtb.SetText(lines.join(QStringLiteral("\r\n")));
    rtb.show();
    rtb.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&rtb));
    QScrollBar* bar = rtb.verticalScrollBar();
    bar->setValue(bar->maximum() / 3);
    QCoreApplication::processEvents();
    int added = 0;
    for (int step = 0; step < 40; ++step) {
      QTextDocument* doc = rtb.document();
      const int top = rtb.cursorForPosition(QPoint(0, 0)).block().blockNumber();
      const int bottom =
          rtb.cursorForPosition(QPoint(0, rtb.viewport()->height() - 1)).block().blockNumber();
      // Above, inside or below what is shown.
      const int where = rng.bounded(3);
      int paragraph = where == 0   ? rng.bounded(std::max(1, top))
                      : where == 1 ? top + rng.bounded(bottom - top + 1)
                                   : bottom + 1 + rng.bounded(doc->blockCount() - bottom);
      paragraph = std::clamp(paragraph, 1, doc->blockCount() - 1);
      const QTextBlock block = doc->findBlockByNumber(paragraph);
      QTextCursor c(doc);
      const int kind = rng.bounded(5);
      if (kind == 0) {  // a break inside the paragraph
        c.setPosition(block.position() + rng.bounded(block.length()));
        c.insertBlock();
      } else if (kind == 1) {  // a new line of text before the paragraph
        c.setPosition(block.position());
        c.insertText(QStringLiteral("Added%1 line").arg(++added));
        c.insertBlock();
      } else if (kind == 2) {  // the break before the paragraph taken away
        c.setPosition(block.position() - 1);
        c.deleteChar();
      } else if (kind == 3) {  // the paragraph's break and the next line's
        c.setPosition(block.position() - 1);
        c.setPosition(std::min(block.position() + block.length(), doc->characterCount() - 1),
                      QTextCursor::KeepAnchor);
        c.removeSelectedText();
      } else if (where == 1) {  // keys where the author clicked in the view
        rtb.setTextCursor(QTextCursor(block));
        QTest::keyClick(&rtb, Qt::Key_End);
        QTest::keyClick(&rtb, rng.bounded(2) ? Qt::Key_Return : Qt::Key_Delete);
      }
      if (rng.bounded(2)) QCoreApplication::processEvents();
      if (rng.bounded(8) == 0) bar->setValue(rng.bounded(bar->maximum() + 1));
      const QString wrong = checkView(rtb);
      if (!wrong.isEmpty()) {
        QFAIL(qPrintable(
            QStringLiteral("seed %1 step %2 (kind %3, paragraph %4 of %5 shown %6-%7): %8")
                .arg(seed)
                .arg(step)
                .arg(kind)
                .arg(paragraph)
                .arg(doc->blockCount())
                .arg(top)
                .arg(bottom)
                .arg(wrong)));
      }
    }
  }
}

QTEST_MAIN(TestView)
#include "test_view.moc"
