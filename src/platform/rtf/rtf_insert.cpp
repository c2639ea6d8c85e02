// Putting a parsed Model into a QTextDocument with few cursor calls: one
// insertText per run, one insertBlock per paragraph.

#include "platform/rtf/rtf.h"
#include "platform/rtf/rtf_model.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <array>

namespace scenova::platform::rtf::detail {

namespace {

constexpr qreal kTwipsPerPixel = 15.0;  // layout pixels at 96 dpi
constexpr size_t kColourKeyThreshold = 64;
static_assert(kColourKeyProperty > QTextFormat::UserProperty);

QTextListFormat::Style listStyle(ListKind kind) {
  switch (kind) {
    case ListKind::Decimal:
      return QTextListFormat::ListDecimal;
    case ListKind::LowerAlpha:
      return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha:
      return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
      return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
      return QTextListFormat::ListUpperRoman;
    default:
      return QTextListFormat::ListDisc;
  }
}

// Turns the model's RTF-level formats into Qt formats, each once.
class Resolver {
 public:
  Resolver(const Model& m, const QTextDocument& doc) : m_(m), indentWidth_(doc.indentWidth()) {
    const auto it = m.fonts.constFind(m.defaultFont);
    if (it != m.fonts.cend()) defaultFamily_ = it->name;
    chars_.resize(m.charFormats.size());
    blocks_.resize(m.paraFormats.size());
  }

  const QTextCharFormat& charFormat(int id, const QTextCharFormat& insertion) {
    if (id < 0) return insertion;
    auto& [done, f] = chars_[static_cast<size_t>(id)];
    if (done) return f;
    done = true;
    const CharProps& p = m_.charFormats[static_cast<size_t>(id)];
    const auto font = p.font < 0 ? m_.fonts.cend() : m_.fonts.constFind(p.font);
    const QString family =
        font != m_.fonts.cend() && !font->name.isEmpty() ? font->name : defaultFamily_;
    if (!family.isEmpty()) {
      f.setFontFamilies(QStringList{family});
      // Qt's format collection does not hash a family list, so formats that
      // differ only in it collide; the single-family property keeps many
      // fonts linear.
      f.setProperty(QTextFormat::FontFamily, family);
    }
    f.setFontPointSize(p.halfPoints / 2.0);
    if (p.bold) f.setFontWeight(QFont::Bold);
    if (p.italic) f.setFontItalic(true);
    if (p.underline) f.setFontUnderline(true);
    if (p.strike) f.setFontStrikeOut(true);
    if (p.vpos != 0)
      f.setVerticalAlignment(p.vpos > 0 ? QTextCharFormat::AlignSuperScript
                                        : QTextCharFormat::AlignSubScript);
    const QColor fg = colour(p.fg), bg = colour(p.bg);
    if (fg.isValid()) f.setForeground(fg);
    if (bg.isValid()) f.setBackground(bg);
    // Qt's format collection does not hash brushes either: with many colours
    // a hashable key keeps the insertion linear (see kColourKeyProperty).
    if (m_.colours.size() > kColourKeyThreshold && (fg.isValid() || bg.isValid()))
      f.setProperty(kColourKeyProperty, static_cast<int>(qHashMulti(0, fg.rgba(), bg.rgba())));
    return f;
  }

  const QTextBlockFormat& blockFormat(int id) {
    auto& [done, f] = blocks_[static_cast<size_t>(id)];
    if (done) return f;
    done = true;
    const ParaProps& p = m_.paraFormats[static_cast<size_t>(id)];
    static constexpr Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                               Qt::AlignJustify};
    f.setAlignment(aligns[p.align & 3]);
    qreal left = p.li / kTwipsPerPixel;
    if (p.list != ListKind::None)
      left = std::max<qreal>(0, left - indentWidth_ * (p.level + 1));
    else if (p.fi != 0)
      f.setTextIndent(p.fi / kTwipsPerPixel);
    if (left != 0) f.setLeftMargin(left);
    if (p.ri != 0) f.setRightMargin(p.ri / kTwipsPerPixel);
    return f;
  }

 private:
  QColor colour(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_.colours.size()
               ? m_.colours[static_cast<size_t>(index)]
               : QColor();
  }

  const Model& m_;
  qreal indentWidth_;
  QString defaultFamily_;
  std::vector<std::pair<bool, QTextCharFormat>> chars_;  // (resolved yet, format)
  std::vector<std::pair<bool, QTextBlockFormat>> blocks_;
};

// Consecutive list paragraphs share their QTextList, one per nesting level.
class ListTracker {
 public:
  void apply(QTextCursor& c, const ParaProps* p) {
    if (!p || p->list == ListKind::None) {
      open_.fill({});
      return;
    }
    Open& o = open_[p->level];
    if (!o.list || o.kind != p->list || o.key != p->listKey) {
      QTextListFormat f;
      f.setStyle(listStyle(p->list));
      f.setIndent(p->level + 1);
      o = {c.createList(f), p->list, p->listKey};
    } else {
      o.list->add(c.block());
    }
    std::fill(open_.begin() + p->level + 1, open_.end(), Open{});
  }

 private:
  struct Open {
    QTextList* list = nullptr;
    ListKind kind = ListKind::None;
    int key = 0;
  };
  std::array<Open, 9> open_{};
};

}  // namespace

void insertModel(const Model& m, QTextCursor& c, bool wholeDocument) {
  Resolver formats(m, *c.document());
  ListTracker lists;
  c.beginEditBlock();
  c.removeSelectedText();
  const QTextCharFormat insertion = c.charFormat();
  const QTextBlockFormat tailBlock = c.blockFormat();
  const QTextCharFormat tailMark = c.blockCharFormat();
  size_t span = 0;
  int start = 0;
  const size_t count = m.paragraphs.size();
  for (size_t i = 0; i < count; ++i) {
    const Paragraph& para = m.paragraphs[i];
    const bool own = (wholeDocument || para.ended) && para.format >= 0;
    const ParaProps* props = own ? &m.paraFormats[static_cast<size_t>(para.format)] : nullptr;
    if (i == 0) {
      if (own) {
        c.setBlockFormat(formats.blockFormat(para.format));
        c.setBlockCharFormat(formats.charFormat(para.markFormat, insertion));
      }
    } else if (own) {
      c.insertBlock(formats.blockFormat(para.format),
                    formats.charFormat(para.markFormat, insertion));
    } else {
      c.insertBlock(tailBlock, tailMark);
    }
    if (own) lists.apply(c, props);
    while (span < m.spans.size() && start < para.end) {
      const int next = span + 1 < m.spans.size() ? m.spans[span + 1].start : m.text.size();
      const int end = std::min(next, para.end);
      if (end > start)
        c.insertText(m.text.sliced(start, end - start),
                     formats.charFormat(m.spans[span].format, insertion));
      start = end;
      if (end == next) ++span;
    }
    start = para.end;
  }
  if (!wholeDocument && count > 0 && m.paragraphs.back().ended) c.insertBlock(tailBlock, tailMark);
  c.endEditBlock();
}

}  // namespace scenova::platform::rtf::detail
