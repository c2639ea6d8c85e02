// The RTF writer: Windows-1252 text with \uN? for everything else, one
// \pard paragraph per block, one group per formatted run, lists as
// \listtable lists (\ls, \ilvl) with the \pntext/\pn form that older
// readers know.

#include "platform/rtf/rtf_writer.h"

#include "platform/rtf/rtf.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <utility>

namespace scenova::platform::rtf::detail {

namespace {

constexpr double kTwipsPerPixel = 15.0;  // layout pixels at 96 dpi
constexpr int kBulletHang = 360;         // twips between a bullet and its text

// Windows-1252 bytes 0x80-0x9F (0 where the code page has no character).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a character, or 0 when it has none.
unsigned char cp1252Byte(char16_t c) {
  if (c >= 0xA0 && c <= 0xFF) return static_cast<unsigned char>(c);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
  return 0;
}

void appendHex(QByteArray& out, unsigned char b) {
  static const char digits[] = "0123456789abcdef";
  out.append("\\'");
  out.append(digits[b >> 4]);
  out.append(digits[b & 15]);
}

bool isSymbolFont(const QString& family) {
  return family.compare(QLatin1StringView("Symbol"), Qt::CaseInsensitive) == 0 ||
         family.startsWith(QLatin1StringView("Wingdings"), Qt::CaseInsensitive) ||
         family.compare(QLatin1StringView("Webdings"), Qt::CaseInsensitive) == 0;
}

}  // namespace

void appendEscaped(QByteArray& out, QStringView text) {
  for (const QChar qc : text) {
    const char16_t c = qc.unicode();
    if (c >= 0x20 && c < 0x80) {
      if (c == u'\\' || c == u'{' || c == u'}') out.append('\\');
      out.append(static_cast<char>(c));
    } else if (c == u'\t') {
      out.append("\\tab ");
    } else if (c == 0x2028) {
      out.append("\\line ");
    } else if (c == 0xA0) {
      out.append("\\~");
    } else if (c == 0xAD) {
      out.append("\\-");
    } else if (c == 0x2011) {
      out.append("\\_");
    } else if (c < 0x20 || c == 0xFFFC || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) {
      // control characters and the document's own markers carry no text
    } else if (const unsigned char b = cp1252Byte(c)) {
      appendHex(out, b);
    } else {
      out.append("\\u");  // RTF numbers are signed 16-bit: above 32767 counts down from 0
      out.append(QByteArray::number(c > 32767 ? static_cast<int>(c) - 65536 : static_cast<int>(c)));
      out.append('?');
    }
  }
}

Writer::Writer(const QTextDocument& doc)
    : doc_(doc),
      lists_([this](const QString& family) { return fontIndex(family, isSymbolFont(family)); }) {
  const QFont font = doc.defaultFont();
  defaultFamily_ = font.family();
  defaultHalfPoints_ =
      font.pointSizeF() > 0 ? static_cast<int>(std::lround(font.pointSizeF() * 2)) : 24;
  fontIndex(defaultFamily_, false);
}

int Writer::fontIndex(const QString& family, bool symbol) {
  const QString key = symbol ? u'\x01' + family : family;
  const auto it = fonts_.constFind(key);
  if (it != fonts_.cend()) return *it;
  const int index = static_cast<int>(fontNames_.size());
  fonts_.insert(key, index);
  fontNames_.emplace_back(family, symbol);
  return index;
}

int Writer::colourIndex(const QColor& colour) {
  const QRgb rgb = colour.rgb();
  const auto it = colours_.constFind(rgb);
  if (it != colours_.cend()) return *it;
  const int index = static_cast<int>(colourList_.size()) + 1;  // 0 is "automatic"
  colours_.insert(rgb, index);
  colourList_.push_back(rgb);
  return index;
}

// The control words of a character format, relative to \plain. Empty for the
// default format.
QByteArray Writer::charProps(const QTextCharFormat& f) {
  QByteArray out;
  const QStringList families = f.fontFamilies().toStringList();
  const QString family = families.isEmpty()
                             ? f.stringProperty(QTextFormat::FontFamily)  // set by setFont
                             : families.first();
  const int font =
      fontIndex(family.isEmpty() ? defaultFamily_ : family, f.boolProperty(kSymbolCharsetProperty));
  if (font != 0) out += "\\f" + QByteArray::number(font);
  const int halfPoints = f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0
                             ? static_cast<int>(std::lround(f.fontPointSize() * 2))
                             : defaultHalfPoints_;
  if (halfPoints != 24) out += "\\fs" + QByteArray::number(halfPoints);
  if (f.fontWeight() > QFont::Medium) out += "\\b";
  if (f.fontItalic()) out += "\\i";
  if (f.fontUnderline()) out += "\\ul";
  if (f.fontStrikeOut()) out += "\\strike";
  if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript) out += "\\super";
  if (f.verticalAlignment() == QTextCharFormat::AlignSubScript) out += "\\sub";
  if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
    out += "\\cf" + QByteArray::number(colourIndex(f.foreground().color()));
  if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
    out += "\\highlight" + QByteArray::number(colourIndex(f.background().color()));
  return out;
}

const QByteArray& Writer::cachedCharProps(int formatIndex, const QTextCharFormat& f) {
  auto it = charCache_.find(formatIndex);
  if (it == charCache_.end()) it = charCache_.insert(formatIndex, charProps(f));
  return *it;
}

void Writer::writeParagraphStart(const QTextBlock& block) {
  const QTextBlockFormat f = block.blockFormat();
  body_ += "\\pard";
  const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
  if (align & Qt::AlignRight)
    body_ += "\\qr";
  else if (align & Qt::AlignHCenter)
    body_ += "\\qc";
  else if (align & Qt::AlignJustify)
    body_ += "\\qj";
  const QTextList* list = block.textList();
  double left = f.leftMargin() + f.indent() * doc_.indentWidth();
  if (list) left += list->format().indent() * doc_.indentWidth();
  const int li = static_cast<int>(std::lround(left * kTwipsPerPixel));
  const int fi = list ? -std::min(kBulletHang, std::max(li, 0))
                      : static_cast<int>(std::lround(f.textIndent() * kTwipsPerPixel));
  if (fi != 0) body_ += "\\fi" + QByteArray::number(fi);
  if (li != 0) body_ += "\\li" + QByteArray::number(li);
  if (const int ri = static_cast<int>(std::lround(f.rightMargin() * kTwipsPerPixel)); ri != 0)
    body_ += "\\ri" + QByteArray::number(ri);
  writeTabs(f);
  if (list) writeListMarker(lists_.item(*list, block));
  body_ += "\\plain ";
}

void Writer::writeTabs(const QTextBlockFormat& f) {
  const QList<QTextOption::Tab> tabs = f.tabPositions();
  const QString leaders = f.stringProperty(kTabLeadersProperty);
  static const char* const leaderWords[] = {"",       "\\tldot", "\\tlhyph",
                                            "\\tlul", "\\tlth",  "\\tleq"};
  for (qsizetype i = 0; i < tabs.size(); ++i) {
    const QTextOption::Tab& t = tabs[i];
    if (i < leaders.size()) {
      const qsizetype leader = QStringView(kTabLeaderChars).indexOf(leaders[i]);
      if (leader > 0 && leader < 6) body_ += leaderWords[leader];
    }
    if (t.type == QTextOption::RightTab)
      body_ += "\\tqr";
    else if (t.type == QTextOption::CenterTab)
      body_ += "\\tqc";
    else if (t.type == QTextOption::DelimiterTab)
      body_ += "\\tqdec";
    const int pos = static_cast<int>(std::lround(t.position * kTwipsPerPixel));
    body_ += "\\tx" + QByteArray::number(std::clamp(pos, 0, 31680));
  }
}

// \pntext (the marker as text) and \pn for older readers, then \ls and
// \ilvl for readers of list tables (after \pn: some readers let the
// later one win).
void Writer::writeListMarker(const ListItem& item) {
  const OutLevel& def = *item.def;
  const QByteArray font = def.font >= 0 ? "\\f" + QByteArray::number(def.font) : QByteArray();
  body_ += "{\\pntext" + font + ' ';
  appendEscaped(body_, item.marker);
  body_ += "\\tab}{\\*\\pn";
  if (def.nfc == 23) {
    body_ += "\\pnlvlblt" +
             (def.font >= 0 ? "\\pnf" + QByteArray::number(def.font) : QByteArray()) +
             "\\pnindent0{\\pntxtb ";
    appendEscaped(body_, def.text);
    body_ += "}}";
  } else {
    writeNumbering(item);
  }
  body_ += "\\ls" + QByteArray::number(item.ls) + "\\ilvl" + QByteArray::number(item.level);
}

void Writer::writeNumbering(const ListItem& item) {
  const OutLevel& def = *item.def;
  static const char* const styles[] = {"\\pndec", "\\pnucrm", "\\pnlcrm", "\\pnucltr", "\\pnlcltr"};
  body_ += "\\pnlvlbody\\pnindent0";
  body_ += styles[std::clamp(def.nfc, 0, 4)];
  body_ += "\\pnstart" + QByteArray::number(def.start);
  // The text around the item's own number.
  const qsizetype own = def.text.indexOf(QChar(static_cast<char16_t>(item.level)));
  if (own > 0) {
    body_ += "{\\pntxtb ";
    appendEscaped(body_, def.text.left(own));
    body_ += '}';
  }
  body_ += "{\\pntxta ";
  if (own >= 0) appendEscaped(body_, def.text.mid(own + 1));
  body_ += "}}";
}

void Writer::writeBlock(const QTextBlock& block, int from, int to, bool withBreak) {
  writeParagraphStart(block);
  for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment frag = it.fragment();
    const int fs = std::max(frag.position(), from);
    const int fe = std::min(frag.position() + frag.length(), to);
    if (fs >= fe) continue;
    const QByteArray& props = cachedCharProps(frag.charFormatIndex(), frag.charFormat());
    const QString text = frag.text();
    const QStringView part = QStringView(text).sliced(fs - frag.position(), fe - fs);
    if (props.isEmpty()) {
      appendEscaped(body_, part);
    } else {
      body_ += '{' + props + ' ';
      appendEscaped(body_, part);
      body_ += '}';
    }
  }
  if (!withBreak) return;
  body_ += cachedCharProps(-1 - block.charFormatIndex(), block.charFormat());
  body_ += "\\par\r\n";
}

QByteArray Writer::write(int from, int to, bool wholeDocument) {
  const int last = std::max(doc_.characterCount() - 1, 0);
  from = std::clamp(from, 0, last);
  to = std::clamp(to, from, last);
  body_.reserve((to - from) * 2 + 64);
  for (QTextBlock b = doc_.findBlock(from); b.isValid(); b = b.next()) {
    const int breakPos = b.position() + b.length() - 1;
    const bool withBreak = wholeDocument || to > breakPos;
    writeBlock(b, std::max(from, b.position()), std::min(to, breakPos), withBreak);
    if (!withBreak) break;
  }
  return finish();
}

bool Writer::writeSome(const QDeadlineTimer& deadline) {
  if (!started_) {
    started_ = true;
    next_ = doc_.begin();
    body_.reserve(doc_.characterCount() * 2 + 64);
  }
  while (next_.isValid()) {
    writeBlock(next_, next_.position(), next_.position() + next_.length() - 1, true);
    next_ = next_.next();
    if (deadline.hasExpired()) break;
  }
  return !next_.isValid();
}

QByteArray Writer::finish() {
  // The header goes in front of the body where the body lies (its room was
  // reserved at the start): a second copy of a long script would take as
  // much memory again at the end of a save.
  const QByteArray head = header();
  body_.reserve(body_.size() + head.size() + 4);
  body_.prepend(head);
  body_ += "}\r\n";
  return std::exchange(body_, QByteArray());
}

int Writer::permille() const {
  if (!started_) return 0;
  if (!next_.isValid()) return 1000;
  return static_cast<int>(qint64{next_.position()} * 1000 / std::max(1, doc_.characterCount()));
}

QByteArray Writer::header() const {
  QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
  for (size_t i = 0; i < fontNames_.size(); ++i) {
    out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset" +
           (fontNames_[i].second ? "2 " : "0 ");
    appendEscaped(out, QString(fontNames_[i].first).remove(u';'));  // ';' ends the entry
    out += ";}";
  }
  out += "}\r\n{\\colortbl ;";
  for (const QRgb rgb : colourList_) {
    out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) +
           "\\blue" + QByteArray::number(qBlue(rgb)) + ';';
  }
  out += "}\r\n";
  if (!lists_.empty()) out += lists_.tables();
  // \dntblnsbdb: spaces are plain spaces (without it some readers turn runs
  // of spaces into narrower ones).
  out += "\\dntblnsbdb\\viewkind4\\uc1\r\n";
  return out;
}

}  // namespace scenova::platform::rtf::detail
