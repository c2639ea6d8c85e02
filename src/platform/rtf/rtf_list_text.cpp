// The text of a list paragraph's marker, as other word processors show it.

#include "platform/rtf/rtf.h"
#include "platform/rtf/rtf_writer_lists.h"

#include <QTextBlock>
#include <QTextList>

#include <algorithm>

namespace scenova::platform::rtf {

namespace {

// How far back a marker looks for the items of higher levels it names.
constexpr int kMaxLookBack = 2000;

int levelOf(const QTextList& list) {
  return std::clamp(list.format().indent() - 1, 0, 8);
}

int numberOf(const QTextList& list, const QTextBlock& block) {
  const QTextListFormat f = list.format();
  const int start = f.hasProperty(kListStartProperty) ? f.intProperty(kListStartProperty) : 1;
  return start + std::max(list.itemNumber(block), 0);
}

// The item of level `level` that the block belongs under: the nearest
// earlier paragraph of the same list group at that level.
QString higherNumber(const QTextBlock& block, int group, int level) {
  QTextBlock b = block.previous();
  for (int n = 0; b.isValid() && n < kMaxLookBack; b = b.previous(), ++n) {
    const QTextList* l = b.textList();
    if (!l || l->format().intProperty(kListGroupProperty) != group) continue;
    const int at = levelOf(*l);
    if (at == level) return detail::listNumber(numberOf(*l, b), detail::nfcOf(l->format().style()));
    if (at < level) break;
  }
  return QStringLiteral("1");
}

}  // namespace

QString listItemText(const QTextBlock& block) {
  const QTextList* list = block.textList();
  if (!list) return {};
  const QTextListFormat f = list->format();
  const QTextListFormat::Style style = f.style();
  const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                      style == QTextListFormat::ListSquare;
  if (!f.hasProperty(kListMarkerProperty)) {
    if (bullet) return QStringLiteral("\u2022");
    const QString suffix =
        f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QStringLiteral(".");
    return f.numberPrefix() + detail::listNumber(numberOf(*list, block), detail::nfcOf(style)) + suffix;
  }
  const QString marker = f.stringProperty(kListMarkerProperty);
  const int level = levelOf(*list);
  const int group = f.intProperty(kListGroupProperty);
  QString out;
  for (const QChar c : marker) {
    const int k = c.unicode();
    if (k >= 9 || bullet)
      out += c;
    else if (k >= level || group <= 0)
      out += detail::listNumber(numberOf(*list, block), detail::nfcOf(style));
    else
      out += higherNumber(block, group, k);
  }
  return out;
}

}  // namespace scenova::platform::rtf
