// The RTF reader: a single forward pass over the bytes with an explicit group
// stack (no recursion), building a Model.

#include "platform/rtf/rtf_parser.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>

namespace scenova::platform::rtf::detail {

namespace {

const std::array<bool, 256>& textStops() {
  static const std::array<bool, 256> stops = [] {
    std::array<bool, 256> s{};
    for (unsigned char c : {'\\', '{', '}', '\r', '\n', '\t', '\0'}) s[c] = true;
    return s;
  }();
  return stops;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

void Parser::report() {
  nextReport_ = p_ + (1 << 20);
  if (permille_) permille_->store(static_cast<int>((p_ - begin_) * 500 / (end_ - begin_)));
}

Model Parser::run() {
  m_.isRtf = true;
  while (p_ < end_ && *p_ != '{') ++p_;  // blanks or a byte-order mark before "{\rtf"
  const auto& stops = textStops();
  while (p_ < end_ && !done_) {
    if (p_ >= nextReport_) report();
    const char c = *p_;
    switch (c) {
      case '{':
        openGroup();
        ++p_;
        break;
      case '}':
        closeGroup();
        ++p_;
        break;
      case '\\':
        parseControl();
        break;
      case '\r':
      case '\n':
      case '\0':
        ++p_;
        break;
      case '\t':
        ++p_;
        if (ucSkip_ > 0)
          --ucSkip_;
        else
          textWord({Kw::Tab});
        break;
      default: {
        const char* b = p_;
        while (p_ < end_ && !stops[static_cast<unsigned char>(*p_)]) ++p_;
        textBytes(b, p_);
      }
    }
  }
  flush();
  emitUnit(0);  // settles a dangling high surrogate
  if (!out_.paragraphEmpty()) endParagraph(false);
  return std::move(m_);
}

void Parser::parseControl() {
  ++p_;  // the backslash
  if (p_ >= end_) return;
  const char c = *p_;
  if (!isLetter(c)) {
    ++p_;
    if (c == '\'') {
      const int hi = p_ < end_ ? hexValue(*p_) : -1;
      const int lo = hi >= 0 && p_ + 1 < end_ ? hexValue(p_[1]) : -1;
      if (hi < 0) return;  // "\'" without hex digits: nothing
      p_ += lo >= 0 ? 2 : 1;
      if (ucSkip_ > 0)
        --ucSkip_;
      else
        hexByte(static_cast<char>(lo >= 0 ? hi * 16 + lo : hi));
      return;
    }
    if (ucSkip_ > 0) {
      --ucSkip_;
      return;
    }
    symbol(c);
    return;
  }
  const char* start = p_;
  while (p_ < end_ && isLetter(*p_)) ++p_;
  const std::string_view w(start,
                           std::min<size_t>(static_cast<size_t>(p_ - start), kMaxWordLength));
  bool hasParam = false;
  long long value = 0;
  const bool negative = p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1]);
  if (negative) ++p_;
  int digits = 0;
  while (p_ < end_ && isDigit(*p_)) {
    hasParam = true;
    if (++digits <= 10) value = value * 10 + (*p_ - '0');
    ++p_;
  }
  value = std::min<long long>(value, INT_MAX);
  const int param = static_cast<int>(negative ? -value : value);
  if (p_ < end_ && *p_ == ' ') ++p_;
  if (ucSkip_ > 0 && w != "bin") {
    --ucSkip_;
    return;
  }
  word(w, hasParam, param);
}

void Parser::textBytes(const char* b, const char* e) {
  if (ucSkip_ > 0) {
    const int skip = static_cast<int>(std::min<ptrdiff_t>(ucSkip_, e - b));
    b += skip;
    ucSkip_ -= skip;
  }
  if (b == e) return;
  star_ = false;
  switch (cur_.dest) {
    case Dest::Body:
    case Dest::LevelText:
    case Dest::PnTextBefore:
    case Dest::PnTextAfter:
      pending_.append(b, e - b);
      break;
    case Dest::FontTable:
    case Dest::ColourTable:
      for (const char* s = b; s < e; ++s) {
        if (*s != ';') {
          if (cur_.dest == Dest::FontTable) pending_.append(*s);
        } else if (cur_.dest == Dest::FontTable) {
          finishFontName();
        } else {
          finishColour();
        }
      }
      break;
    default:
      break;
  }
}

void Parser::hexByte(char byte) {
  star_ = false;
  if (cur_.dest == Dest::LevelText && static_cast<unsigned char>(byte) < 0x20) {
    flush();  // a length or a level number: a value, not a character
    collected_.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(byte))));
  } else if (inBody() || cur_.dest == Dest::FontTable || collecting()) {
    pending_.append(byte);
  }
}

bool Parser::collecting() const {
  return cur_.dest == Dest::LevelText || cur_.dest == Dest::PnTextBefore ||
         cur_.dest == Dest::PnTextAfter;
}

void Parser::openGroup() {
  flush();
  star_ = false;
  ucSkip_ = 0;
  if (stack_.size() >= kMaxDepth) {
    ++flat_;
    return;
  }
  stack_.push_back(cur_);
  cur_.ownsList = cur_.ownsOverride = false;
}

void Parser::closeGroup() {
  flush();
  star_ = false;
  ucSkip_ = 0;
  if (flat_ > 0) {
    --flat_;
    return;
  }
  if (stack_.empty()) return;  // a stray '}' before the document's group
  const State inner = cur_;
  cur_ = stack_.back();
  stack_.pop_back();
  leaving(inner);
  if (stack_.empty()) done_ = true;  // what follows the document's group is not RTF
}

void Parser::leaving(const State& inner) {
  if (inner.dest == Dest::FontTable && !fontName_.isEmpty()) finishFontName();
  if (inner.dest == Dest::LevelText && cur_.dest != Dest::LevelText) finishLevelText();
  if (inner.dest == Dest::PnTextBefore && cur_.dest != Dest::PnTextBefore) pnBefore_ = collected_;
  if (inner.dest == Dest::PnTextAfter && cur_.dest != Dest::PnTextAfter) pnAfter_ = collected_;
  if (inner.dest == Dest::Pn && cur_.dest != Dest::Pn) finishPn(inner);
  if (inner.ownsList) {
    if (curList_.id != 0) lists_[curList_.id] = curList_.levels;
    curList_ = {};
  }
  if (inner.ownsOverride && overrideLs_ >= 0) overrides_[overrideLs_] = overrideList_;
}

void Parser::symbol(char c) {
  switch (c) {
    case '\\':
    case '{':
    case '}':
      textBytes(&c, &c + 1);
      return;
    case '*':
      star_ = true;
      return;
    case '~':
      textWord({Kw::Char, 0x00A0});
      return;
    case '-':
      textWord({Kw::Char, 0x00AD});
      return;
    case '_':
      textWord({Kw::Char, 0x2011});
      return;
    case '\r':
    case '\n':
      textWord({Kw::Par});
      return;
    default:
      star_ = false;
      return;  // \| \: and unknown symbols
  }
}

void Parser::word(std::string_view w, bool hasParam, int param) {
  const Keyword k = lookupKeyword(w);
  if (star_) {
    star_ = false;
    if (k.kw > Kw::Ud || k.kw == Kw::Unknown) {  // an ignorable destination we do not know
      if (cur_.dest != Dest::Skip) flush();
      cur_.dest = Dest::Skip;
      return;
    }
  }
  if (k.kw == Kw::Bin) {
    const ptrdiff_t n = hasParam ? std::max(param, 0) : 0;
    p_ += std::min(n, end_ - p_);
    return;
  }
  if (cur_.dest == Dest::Skip || k.kw == Kw::Unknown) return;
  flush();
  if (k.kw <= Kw::Ud) {
    destinationWord(k.kw);
  } else if (k.kw == Kw::U) {
    if (hasParam) unicode(param);
  } else if (k.kw <= Kw::PnF) {
    tableWord(k.kw, hasParam, param);
  } else if (!formatWord(k.kw, hasParam, param)) {
    textWord(k);
  }
}

void Parser::textWord(const Keyword& k) {
  if (k.kw == Kw::Char && collecting()) {
    emit(QStringView(&k.ch, 1));
    return;
  }
  if (cur_.dest != Dest::Body) return;
  flush();
  switch (k.kw) {
    case Kw::Par:
      endParagraph(true);
      return;
    case Kw::Page:
    case Kw::Sect:
      if (!out_.paragraphEmpty()) endParagraph(true);
      return;
    case Kw::Row:
      out_.chopTrailingTab();
      endParagraph(true);
      return;
    default:
      break;
  }
  emitUnit(0);
  switch (k.kw) {
    case Kw::Line:
      out_.append(u'\x2028', &cur_.chr);
      break;
    case Kw::Tab:
    case Kw::Cell:
      out_.append(u'\t', &cur_.chr);
      break;
    case Kw::Char:
      out_.append(k.ch, &cur_.chr);
      break;
    case Kw::Chftn:
      out_.append(QString::number(++footnotes_), &cur_.chr);
      break;
    default:
      break;
  }
}

void Parser::unicode(int value) {
  if (value < 0) value += 65536;
  if (value >= 0x10000 && value <= 0x10FFFF) {
    emitUnit(QChar::highSurrogate(static_cast<char32_t>(value)));
    emitUnit(QChar::lowSurrogate(static_cast<char32_t>(value)));
  } else {
    emitUnit(value > 0 && value < 0x10000 ? static_cast<char16_t>(value) : char16_t{0xFFFD});
  }
  ucSkip_ = cur_.uc;
}

// Text from \u arrives one UTF-16 unit at a time; a surrogate pair is only
// emitted whole, and a lone surrogate becomes U+FFFD. emitUnit(0) settles a
// waiting high surrogate before other text.
void Parser::emitUnit(char16_t u) {
  if (high_ != 0) {
    const char16_t high = high_;
    high_ = 0;
    if (QChar::isLowSurrogate(u)) {
      const char16_t pair[2] = {high, u};
      emit(QStringView(pair, 2));
      return;
    }
    emit(u"\uFFFD");
  }
  if (u == 0) return;
  if (QChar::isHighSurrogate(u))
    high_ = u;
  else
    emit(QChar::isLowSurrogate(u) ? QStringView(u"\uFFFD") : QStringView(&u, 1));
}

void Parser::emit(QStringView s) {
  if (cur_.dest == Dest::FontTable)
    fontName_.append(s);
  else if (collecting())
    collected_.append(s);
  else if (inBody())
    out_.append(s, &cur_.chr);
}

void Parser::flush() {
  if (pending_.isEmpty()) return;
  emitUnit(0);
  const bool ascii = std::all_of(pending_.cbegin(), pending_.cend(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const int cp = codePage();
  emit(ascii && cp != 65001 ? QString::fromLatin1(pending_) : decodeCodePage(pending_, cp));
  pending_.clear();
}

int Parser::codePage() const {
  const int font = cur_.dest == Dest::FontTable ? curFont_
                   : cur_.chr.font < 0          ? m_.defaultFont
                                                : cur_.chr.font;
  const auto it = m_.fonts.constFind(font);
  return it != m_.fonts.cend() && it->codePage != 0 ? it->codePage : docCp_;
}

void Parser::endParagraph(bool ended) {
  emitUnit(0);
  ParaProps para = cur_.para;
  if (para.listKey > 0) {
    // A list of the list table. A paragraph that names a list the file does
    // not define has no numbering (its \pn fallback is ignored too), as in
    // other word processors.
    const auto o = overrides_.constFind(para.listKey - 1);
    const auto l = o != overrides_.cend() ? lists_.constFind(*o) : lists_.cend();
    if (l != lists_.cend() && !l->empty()) {
      para.level = static_cast<std::uint8_t>(std::min<size_t>(para.level, l->size() - 1));
      para.list = (*l)[para.level].kind;
      if (!m_.lists.contains(para.listKey)) m_.lists.insert(para.listKey, *l);
    } else {
      para.list = ListKind::None;
    }
  } else {
    para.level = 0;
  }
  if (para.list == ListKind::None) para.listKey = para.level = 0;
  out_.endParagraph(ended, &para, &cur_.chr);
}

Model parseRtf(QByteArrayView bytes, std::atomic<int>* permille) {
  return Parser(bytes, permille).run();
}

}  // namespace scenova::platform::rtf::detail
