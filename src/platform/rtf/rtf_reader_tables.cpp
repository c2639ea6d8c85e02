// The reader's control words for destinations, the header, the font,
// colour and list tables, and character and paragraph formatting.

#include "platform/rtf/rtf_parser.h"
#include "platform/text_codec.h"

#include <algorithm>
#include <utility>

namespace scenova::platform::rtf::detail {

namespace {

ListKind nfcKind(int nfc) {
  switch (nfc) {
    case 0:
      return ListKind::Decimal;
    case 1:
      return ListKind::UpperRoman;
    case 2:
      return ListKind::LowerRoman;
    case 3:
      return ListKind::UpperAlpha;
    case 4:
      return ListKind::LowerAlpha;
    default:
      return ListKind::Bullet;
  }
}

}  // namespace

bool Parser::destinationWord(Kw kw) {
  switch (kw) {
    case Kw::FontTable:
      cur_.dest = Dest::FontTable;
      curFont_ = -1;
      fontName_.clear();
      break;
    case Kw::ColourTable:
      cur_.dest = Dest::ColourTable;
      break;
    case Kw::ListTable:
      cur_.dest = Dest::ListTable;
      break;
    case Kw::ListOverrideTable:
      cur_.dest = Dest::Overrides;
      break;
    case Kw::List:
      if (cur_.dest != Dest::ListTable) return false;
      curList_ = {};
      cur_.ownsList = true;
      break;
    case Kw::ListOverride:
      if (cur_.dest != Dest::Overrides) return false;
      overrideLs_ = overrideList_ = 0;
      cur_.ownsOverride = true;
      break;
    case Kw::Pn:
      if (cur_.dest != Dest::Body) return false;
      cur_.dest = Dest::Pn;
      cur_.para.list = ListKind::Decimal;
      pnBefore_.clear();
      pnAfter_.clear();
      pnStart_ = 1;
      pnFont_ = -1;
      break;
    case Kw::PnTxtA:
    case Kw::PnTxtB:
      if (cur_.dest != Dest::Pn) {
        cur_.dest = Dest::Skip;
        break;
      }
      flush();
      collected_.clear();
      cur_.dest = kw == Kw::PnTxtA ? Dest::PnTextAfter : Dest::PnTextBefore;
      break;
    case Kw::LevelText:
      if (cur_.dest != Dest::ListTable || curList_.levels.empty()) {
        cur_.dest = Dest::Skip;
        break;
      }
      flush();
      collected_.clear();
      cur_.dest = Dest::LevelText;
      break;
    case Kw::FieldInst:
      cur_.dest = Dest::Skip;
      break;
    case Kw::Shown:
      break;  // e.g. a field's result: shown as ordinary text
    case Kw::Skip:
      cur_.dest = Dest::Skip;
      break;
    case Kw::Upr:
      cur_.uprOuter = cur_.dest;
      cur_.dest = Dest::Upr;
      break;
    case Kw::Ud:
      if (cur_.dest == Dest::Upr) cur_.dest = cur_.uprOuter;
      break;
    default:
      return false;
  }
  return true;
}

// Words of the header and the tables; the Kw enumeration keeps each kind
// together (\u and \bin, between them, are handled before).
void Parser::tableWord(Kw kw, bool hasParam, int param) {
  if (kw <= Kw::Uc) {
    headerWord(kw, hasParam, param);
  } else if (kw <= Kw::Blue) {
    fontOrColourWord(kw, param);
  } else if (kw <= Kw::Ilvl) {
    listWord(kw, param);
  } else if (cur_.dest != Dest::Pn) {
    return;
  } else if (kw == Kw::PnStart) {
    pnStart_ = std::clamp(param, 0, kMaxListStart);
  } else if (kw == Kw::PnF) {
    pnFont_ = cur_.chr.font = param;  // the marker text's code page is its font's
  } else {                            // the numbering of an old-style \pn paragraph
    static constexpr std::pair<Kw, ListKind> kinds[] = {
        {Kw::PnLvlBlt, ListKind::Bullet},    {Kw::PnLvlCont, ListKind::None},
        {Kw::PnDec, ListKind::Decimal},      {Kw::PnUcLtr, ListKind::UpperAlpha},
        {Kw::PnLcLtr, ListKind::LowerAlpha}, {Kw::PnUcRm, ListKind::UpperRoman},
        {Kw::PnLcRm, ListKind::LowerRoman}};
    for (const auto& [word, kind] : kinds)
      if (word == kw) cur_.para.list = kind;
  }
}

void Parser::headerWord(Kw kw, bool hasParam, int param) {
  switch (kw) {
    case Kw::Ansi:
      if (!cpgSeen_) docCp_ = 1252;
      break;
    case Kw::Mac:
      if (!cpgSeen_) docCp_ = 10000;
      break;
    case Kw::Pc:
      if (!cpgSeen_) docCp_ = 437;
      break;
    case Kw::Pca:
      if (!cpgSeen_) docCp_ = 850;
      break;
    case Kw::AnsiCpg:
      if (isCodePageSupported(param)) {
        docCp_ = param;
        cpgSeen_ = true;
      }
      break;
    case Kw::Deff:
      m_.defaultFont = param;
      break;
    default:
      cur_.uc = hasParam ? std::clamp(param, 0, kMaxUcSkip) : 1;
      break;
  }
}

void Parser::fontOrColourWord(Kw kw, int param) {
  const bool inFonts = cur_.dest == Dest::FontTable;
  if (kw == Kw::F && !inFonts) {
    cur_.chr.font = param;
    if (cur_.dest == Dest::ListTable && !curList_.levels.empty())
      curList_.levels.back().font = param;
  } else if (kw == Kw::F) {
    if (!fontName_.isEmpty()) finishFontName();
    curFont_ = param;
    m_.fonts[param].codePage = 0;
  } else if (kw == Kw::FCharset && inFonts && m_.fonts.contains(curFont_)) {
    m_.fonts[curFont_].codePage = charsetCodePage(param);
  } else if (kw == Kw::Cpg && inFonts && m_.fonts.contains(curFont_)) {
    if (isCodePageSupported(param)) m_.fonts[curFont_].codePage = param;
  } else if (cur_.dest == Dest::ColourTable && kw != Kw::FCharset && kw != Kw::Cpg) {
    rgb_[kw == Kw::Red ? 0 : kw == Kw::Green ? 1 : 2] = std::clamp(param, 0, 255);
  }
}

void Parser::listWord(Kw kw, int param) {
  const Dest d = cur_.dest;
  if (kw == Kw::ListId && d == Dest::ListTable) {
    curList_.id = param;
  } else if (kw == Kw::ListId && d == Dest::Overrides) {
    overrideList_ = param;
  } else if (kw == Kw::ListLevel && d == Dest::ListTable && curList_.levels.size() < 9) {
    curList_.levels.emplace_back();
  } else if (kw == Kw::LevelNfc && d == Dest::ListTable && !curList_.levels.empty()) {
    curList_.levels.back().kind = nfcKind(param);
  } else if (kw == Kw::LevelStartAt && d == Dest::ListTable && !curList_.levels.empty()) {
    curList_.levels.back().start = std::clamp(param, 0, kMaxListStart);
  } else if (kw == Kw::Ls && d == Dest::Overrides) {
    overrideLs_ = param;
  } else if (kw == Kw::Ls && d == Dest::Body) {
    cur_.para.listKey = std::max(param, 0);
  } else if (kw == Kw::Ilvl && d == Dest::Body) {
    cur_.para.level = static_cast<std::uint8_t>(std::clamp(param, 0, 8));
  }
}

bool Parser::formatWord(Kw kw, bool hasParam, int param) {
  CharProps& c = cur_.chr;
  ParaProps& p = cur_.para;
  const bool on = !hasParam || param != 0;
  switch (kw) {
    case Kw::Plain:
      c = CharProps{};
      break;
    case Kw::Fs:
      c.halfPoints = hasParam && param > 0 ? std::min(param, kMaxHalfPoints) : 24;
      break;
    case Kw::B:
      c.bold = on;
      break;
    case Kw::I:
      c.italic = on;
      break;
    case Kw::Ul:
      c.underline = on;
      break;
    case Kw::UlNone:
      c.underline = false;
      break;
    case Kw::Strike:
      c.strike = on;
      break;
    case Kw::Hidden:
      break;  // hidden text is shown: the editor has no hidden text, and must not lose it
    case Kw::Cf:
      c.fg = std::max(param, 0);
      break;
    case Kw::Cb:
    case Kw::Highlight:
      c.bg = std::max(param, 0);
      break;
    case Kw::Super:
      c.vpos = 1;
      break;
    case Kw::Sub:
      c.vpos = -1;
      break;
    case Kw::NoSuperSub:
      c.vpos = 0;
      break;
    case Kw::Pard:
      p = ParaProps{};
      break;
    case Kw::Ql:
      p.align = 0;
      break;
    case Kw::Qr:
      p.align = 1;
      break;
    case Kw::Qc:
      p.align = 2;
      break;
    case Kw::Qj:
      p.align = 3;
      break;
    case Kw::Li:
      p.li = std::clamp(param, -kMaxIndent, kMaxIndent);
      break;
    case Kw::Ri:
      p.ri = std::clamp(param, -kMaxIndent, kMaxIndent);
      break;
    case Kw::Fi:
      p.fi = std::clamp(param, -kMaxIndent, kMaxIndent);
      break;
    default:
      if (kw < Kw::Tx || kw > Kw::Tleq) return false;
      tabWord(kw, param);
      break;
  }
  return true;
}

// Tab stops: the kind and leader words come before the \tx they belong to.
void Parser::tabWord(Kw kw, int param) {
  switch (kw) {
    case Kw::Tx:
      if (cur_.para.tabs.size() < kMaxTabs) {
        pendingTab_.pos = std::clamp(param, 0, kMaxIndent);
        cur_.para.tabs.push_back(pendingTab_);
      }
      pendingTab_ = {};
      break;
    case Kw::Tqr:
      pendingTab_.kind = TabKind::Right;
      break;
    case Kw::Tqc:
      pendingTab_.kind = TabKind::Centre;
      break;
    case Kw::Tqdec:
      pendingTab_.kind = TabKind::Decimal;
      break;
    default:
      pendingTab_.leader = static_cast<TabLeader>(
          static_cast<int>(kw) - static_cast<int>(Kw::Tldot) + static_cast<int>(TabLeader::Dots));
      break;
  }
}

// \leveltext holds its length, then the marker with the level numbers as
// values 0 to 8.
void Parser::finishLevelText() {
  if (curList_.levels.empty() || collected_.isEmpty()) return;
  const int length = collected_.front().unicode();
  QString text = collected_.mid(1, length);
  if (text.endsWith(u';') && text.size() > length) text.chop(1);
  curList_.levels.back().text = text;
  collected_.clear();
}

void Parser::finishPn(const State& inner) {
  LevelDef def;
  def.kind = inner.para.list;
  if (def.kind == ListKind::None) {  // \pnlvlcont: a paragraph of the item before, no marker
    cur_.para.list = ListKind::None;
    return;
  }
  def.start = pnStart_;
  def.font = pnFont_;
  def.text = def.kind == ListKind::Bullet ? pnBefore_ : pnBefore_ + QChar(0) + pnAfter_;
  auto it = std::find(pnDefs_.begin(), pnDefs_.end(), def);
  if (it == pnDefs_.end()) {
    pnDefs_.push_back(def);
    it = pnDefs_.end() - 1;
  }
  const int key = -static_cast<int>(it - pnDefs_.begin()) - 1;
  m_.lists.insert(key, {def});
  cur_.para.list = def.kind;
  cur_.para.level = 0;
  if (cur_.para.listKey <= 0) cur_.para.listKey = key;  // \ls, when present, wins
}

void Parser::finishFontName() {
  flush();
  QString name = fontName_.trimmed();
  fontName_.clear();
  if (m_.fonts.contains(curFont_)) m_.fonts[curFont_].name = name;
}

void Parser::finishColour() {
  QColor c;
  if (rgb_[0] >= 0 || rgb_[1] >= 0 || rgb_[2] >= 0)
    c = QColor(std::max(rgb_[0], 0), std::max(rgb_[1], 0), std::max(rgb_[2], 0));
  m_.colours.push_back(c);  // an entry without components is "automatic"
  rgb_[0] = rgb_[1] = rgb_[2] = -1;
}

}  // namespace scenova::platform::rtf::detail
