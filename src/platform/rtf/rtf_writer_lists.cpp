#include "platform/rtf/rtf_writer_lists.h"

#include "platform/rtf/rtf.h"
#include "platform/rtf/rtf_writer.h"

#include <QTextBlock>
#include <QTextList>

#include <algorithm>

namespace scenova::platform::rtf::detail {

namespace {

constexpr int kLevelIndent = 360;  // twips per list level, as word processors write

bool isNumber(QChar c) {
  return c.unicode() < 9;
}

QString roman(int n) {
  static constexpr std::pair<int, const char*> parts[] = {
      {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
      {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  QString out;
  for (const auto& [value, letters] : parts) {
    for (; n >= value; n -= value) out += QLatin1StringView(letters);
  }
  return out;
}

}  // namespace

int nfcOf(QTextListFormat::Style style) {
  switch (style) {
    case QTextListFormat::ListDecimal:
      return 0;
    case QTextListFormat::ListUpperRoman:
      return 1;
    case QTextListFormat::ListLowerRoman:
      return 2;
    case QTextListFormat::ListUpperAlpha:
      return 3;
    case QTextListFormat::ListLowerAlpha:
      return 4;
    default:
      return 23;
  }
}

QString listNumber(int n, int nfc) {
  if (nfc == 0 || n <= 0 || (nfc >= 1 && nfc <= 2 && n >= 4000)) return QString::number(n);
  if (nfc == 1 || nfc == 2) {
    const QString r = roman(n);
    return nfc == 1 ? r.toUpper() : r;
  }
  if (nfc == 3 || nfc == 4) {  // a..z, then aa..zz, as word processors count
    const QChar letter(static_cast<char16_t>((nfc == 3 ? u'A' : u'a') + (n - 1) % 26));
    return QString(std::min((n - 1) / 26 + 1, 64), letter);
  }
  return QString::number(n);
}

OutLevel ListWriter::levelOf(const QTextListFormat& f, int level) const {
  OutLevel out;
  out.nfc = nfcOf(f.style());
  out.start = f.hasProperty(kListStartProperty) ? f.intProperty(kListStartProperty) : 1;
  QString font = f.stringProperty(kListMarkerFontProperty);
  if (f.hasProperty(kListMarkerProperty)) {
    out.text = f.stringProperty(kListMarkerProperty);
  } else if (out.nfc != 23) {
    const QString suffix =
        f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QStringLiteral(".");
    out.text = f.numberPrefix() + QChar(static_cast<char16_t>(level)) + suffix;
  } else if (f.style() == QTextListFormat::ListCircle) {
    out.text = QStringLiteral("o");
    font = QStringLiteral("Courier New");
  } else if (f.style() == QTextListFormat::ListSquare) {
    out.text = QStringLiteral("\u00a7");
    font = QStringLiteral("Wingdings");
  } else {
    out.text = QStringLiteral("\u00b7");
    font = QStringLiteral("Symbol");
  }
  // A marker that names a level deeper than its own cannot be numbered.
  for (QChar& c : out.text)
    if (isNumber(c) && c.unicode() > level) c = QChar(static_cast<char16_t>(level));
  if (!font.isEmpty()) out.font = fontIndex_(font);
  return out;
}

// The entry of lists_ a QTextList belongs to: its group's, unless that has
// another definition of the level or the level is taken by another list
// (numbering that starts anew needs a list of its own).
int ListWriter::assign(const QTextList& list, int level) {
  const auto known = assigned_.constFind(&list);
  if (known != assigned_.cend()) return static_cast<int>(*known);
  const OutLevel def = levelOf(list.format(), level);
  const int group = std::max(list.format().intProperty(kListGroupProperty), 0);
  const auto g = byGroup_.constFind(group);
  const bool fits = g != byGroup_.cend() && lists_[*g].current[level] == nullptr &&
                    (!lists_[*g].defined[level] || lists_[*g].levels[level] == def);
  size_t index;
  if (fits) {
    index = *g;
  } else {
    lists_.emplace_back();
    index = lists_.size() - 1;
    byGroup_.insert(group, index);
  }
  lists_[index].levels[level] = def;
  lists_[index].defined[level] = true;
  assigned_.insert(&list, index);
  return static_cast<int>(index);
}

ListItem ListWriter::item(const QTextList& list, const QTextBlock& block) {
  const int level = std::clamp(list.format().indent() - 1, 0, 8);
  const int index = assign(list, level);
  OutList& o = lists_[static_cast<size_t>(index)];
  o.current[level] = &list;
  o.counters[level] = o.levels[level].start + std::max(list.itemNumber(block), 0);
  for (int deeper = level + 1; deeper < 9; ++deeper) {
    o.current[deeper] = nullptr;
    o.counters[deeper] = 0;
  }
  ListItem out{index + 1, level, QString(), &o.levels[level]};
  for (const QChar c : o.levels[level].text) {
    if (!isNumber(c)) {
      out.marker += c;
      continue;
    }
    const int k = c.unicode();
    out.marker +=
        listNumber(o.counters[k] > 0 ? o.counters[k] : 1, o.defined[k] ? o.levels[k].nfc : 0);
  }
  return out;
}

QByteArray ListWriter::tables() const {
  QByteArray out = "{\\*\\listtable";
  for (size_t i = 0; i < lists_.size(); ++i) {
    const QByteArray id = QByteArray::number(static_cast<int>(i) + 1);
    out += "\r\n{\\list\\listtemplateid" + id + "\\listsimple0";
    for (int level = 0; level < 9; ++level) {
      OutLevel def;
      if (lists_[i].defined[level])
        def = lists_[i].levels[level];
      else
        def.text = QString(QChar(static_cast<char16_t>(level))) + u'.';
      const QByteArray nfc = QByteArray::number(def.nfc);
      out += "{\\listlevel\\levelnfc" + nfc + "\\levelnfcn" + nfc +
             "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat" + QByteArray::number(def.start) +
             "{\\leveltext";
      const QString text = def.text.left(255);
      out += "\\'";
      out += QByteArray::number(text.size(), 16).rightJustified(2, '0');
      QByteArray numbers;
      for (qsizetype c = 0; c < text.size(); ++c) {
        if (isNumber(text[c])) {
          out += "\\'0" + QByteArray::number(text[c].unicode());
          numbers += "\\'" + QByteArray::number(c + 1, 16).rightJustified(2, '0');
        } else {
          appendEscaped(out, QStringView(text).sliced(c, 1));
        }
      }
      out += ";}{\\levelnumbers" + numbers + ";}";
      if (def.font >= 0) out += "\\f" + QByteArray::number(def.font);
      out += "\\fi-" + QByteArray::number(kLevelIndent) + "\\li" +
             QByteArray::number(kLevelIndent * (level + 1)) + '}';
    }
    out += "{\\listname ;}\\listid" + id + '}';
  }
  out += "}\r\n{\\*\\listoverridetable";
  for (size_t i = 0; i < lists_.size(); ++i) {
    const QByteArray id = QByteArray::number(static_cast<int>(i) + 1);
    out += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + '}';
  }
  out += "}\r\n";
  return out;
}

}  // namespace scenova::platform::rtf::detail
