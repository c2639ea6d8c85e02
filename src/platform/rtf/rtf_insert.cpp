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

QTextListFormat::Style listStyle(ListKind kind, const QString& marker) {
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
      break;
  }
  const char16_t c = marker.isEmpty() ? u'\x2022' : marker.front().unicode();
  if (c == u'o' || c == 0x25E6 || c == 0x25CB) return QTextListFormat::ListCircle;
  if (c == 0x25AA || c == 0x25A0 || c == u'\xA7' || c == 0xF0A7) return QTextListFormat::ListSquare;
  return QTextListFormat::ListDisc;
}

// The largest list group of the document, so that pasted lists get groups
// of their own.
int maxListGroup(const QTextDocument& doc) {
  int most = 0;
  for (const QTextFormat& f : doc.allFormats())
    if (f.isListFormat()) most = std::max(most, f.intProperty(kListGroupProperty));
  return most;
}

// Turns the model's RTF-level formats into Qt formats, each once.
class Resolver {
 public:
  Resolver(const Model& m, const QTextDocument& doc) : m_(m), indentWidth_(doc.indentWidth()) {
    const auto it = m.fonts.constFind(m.defaultFont);
    if (it != m.fonts.cend()) {
      defaultFamily_ = it->name;
      defaultSymbol_ = it->symbol;
    }
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
    const bool named = font != m_.fonts.cend() && !font->name.isEmpty();
    const QString family = named ? font->name : defaultFamily_;
    if (named ? font->symbol : defaultSymbol_) f.setProperty(kSymbolCharsetProperty, true);
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
    if (!p.tabs.empty()) {
      QList<QTextOption::Tab> tabs;
      QString leaders;
      for (const TabStop& t : p.tabs) {
        static constexpr QTextOption::TabType types[] = {
            QTextOption::LeftTab, QTextOption::RightTab, QTextOption::CenterTab,
            QTextOption::DelimiterTab};
        const auto type = types[static_cast<int>(t.kind) & 3];
        tabs.append({t.pos / kTwipsPerPixel, type,
                     type == QTextOption::DelimiterTab ? QChar(u'.') : QChar()});
        leaders += QChar(kTabLeaderChars[static_cast<int>(t.leader)]);
      }
      f.setTabPositions(tabs);
      if (leaders.trimmed().size() > 0) f.setProperty(kTabLeadersProperty, leaders);
    }
    return f;
  }

  // The list format of a paragraph's level; group: the document-wide group
  // of its RTF list (0 for none).
  QTextListFormat listFormat(const ParaProps& p, int group) const {
    LevelDef def;
    def.kind = p.list;
    const auto it = m_.lists.constFind(p.listKey);
    if (it != m_.lists.cend() && !it->empty())
      def = (*it)[std::min<size_t>(p.level, it->size() - 1)];
    QTextListFormat f;
    f.setStyle(listStyle(def.kind, def.text));
    f.setIndent(p.level + 1);
    if (def.start != 1) f.setProperty(kListStartProperty, def.start);
    if (!def.text.isEmpty()) f.setProperty(kListMarkerProperty, def.text);
    const auto font = def.font < 0 ? m_.fonts.cend() : m_.fonts.constFind(def.font);
    if (font != m_.fonts.cend() && !font->name.isEmpty())
      f.setProperty(kListMarkerFontProperty, font->name);
    if (group > 0) f.setProperty(kListGroupProperty, group);
    if (def.kind != ListKind::Bullet && !def.text.isEmpty()) {
      // What Qt can show of the marker: the text around the last number.
      const auto isNumber = [](QChar ch) { return ch.unicode() < 9; };
      const auto last = std::find_if(def.text.crbegin(), def.text.crend(), isNumber);
      if (last != def.text.crend()) {
        const qsizetype at = def.text.crend() - last - 1;
        const QString before = def.text.left(at);
        f.setNumberPrefix(std::any_of(before.cbegin(), before.cend(), isNumber) ? QString()
                                                                                : before);
        f.setNumberSuffix(def.text.mid(at + 1));
      }
    }
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
  bool defaultSymbol_ = false;
  std::vector<std::pair<bool, QTextCharFormat>> chars_;  // (resolved yet, format)
  std::vector<std::pair<bool, QTextBlockFormat>> blocks_;
};

// The paragraphs of one list level share a QTextList: those of an \ls list
// for as long as no item of a higher level comes between them, those of a
// \pn numbering while they follow each other.
class ListTracker {
 public:
  ListTracker(Resolver& formats, int groupBase) : formats_(formats), nextGroup_(groupBase + 1) {}

  void apply(QTextCursor& c, const ParaProps* p) {
    if (!p || p->list == ListKind::None) {
      pn_.fill({});
      return;
    }
    Levels& open = p->listKey > 0 ? ls_[p->listKey] : pn_;
    Open& o = open[p->level];
    if (!o.list || o.key != p->listKey) {
      int group = 0;
      if (p->listKey > 0) {
        auto g = groups_.find(p->listKey);
        if (g == groups_.end()) g = groups_.insert(p->listKey, nextGroup_++);
        group = *g;
      }
      o = {c.createList(formats_.listFormat(*p, group)), p->listKey};
    } else {
      o.list->add(c.block());
    }
    std::fill(open.begin() + p->level + 1, open.end(), Open{});
  }

 private:
  struct Open {
    QTextList* list = nullptr;
    int key = 0;
  };
  using Levels = std::array<Open, 9>;
  Resolver& formats_;
  Levels pn_{};
  QHash<int, Levels> ls_;
  QHash<int, int> groups_;  // \ls number -> list group
  int nextGroup_;
};

}  // namespace

void insertModel(const Model& m, QTextCursor& c, bool wholeDocument, std::atomic<int>* permille) {
  Resolver formats(m, *c.document());
  ListTracker lists(formats, maxListGroup(*c.document()));
  c.beginEditBlock();
  c.removeSelectedText();
  const QTextCharFormat insertion = c.charFormat();
  const QTextBlockFormat tailBlock = c.blockFormat();
  const QTextCharFormat tailMark = c.blockCharFormat();
  size_t span = 0;
  int start = 0;
  const size_t count = m.paragraphs.size();
  for (size_t i = 0; i < count; ++i) {
    if (permille && i % 4096 == 0) permille->store(500 + static_cast<int>(i * 500 / count));
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
