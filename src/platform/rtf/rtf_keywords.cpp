#include "platform/rtf/rtf_keywords.h"

#include <algorithm>
#include <unordered_map>

namespace scenova::platform::rtf::detail {

namespace {

using Map = std::unordered_map<std::string_view, Keyword>;

void addDestinations(Map& m) {
  m["fonttbl"] = {Kw::FontTable};
  m["colortbl"] = {Kw::ColourTable};
  m["listtable"] = {Kw::ListTable};
  m["listoverridetable"] = {Kw::ListOverrideTable};
  m["list"] = {Kw::List};
  m["listoverride"] = {Kw::ListOverride};
  m["pn"] = {Kw::Pn};
  m["fldinst"] = {Kw::FieldInst};
  m["fldrslt"] = {Kw::Shown};
  // Written with \* by some programs around cell text that must stay visible.
  m["nesttableprops"] = {Kw::Shown};
  m["leveltext"] = {Kw::LevelText};
  m["pntxta"] = {Kw::PnTxtA};
  m["pntxtb"] = {Kw::PnTxtB};
  m["upr"] = {Kw::Upr};
  m["ud"] = {Kw::Ud};
  // Destinations whose content is not part of the body text.
  static constexpr std::string_view skipped =
      "stylesheet info revtbl rsidtbl filetbl pict object header headerl headerr headerf footer "
      "footerl footerr footerf footnote annotation atnid atnauthor atndate atnref atrfstart "
      "atrfend pntext listtext pnseclvl themedata colorschememapping datastore "
      "latentstyles xmlnstbl generator mmathPr pgdsctbl shp shpinst shprslt nonshppict shppict "
      "do background bkmkstart bkmkend xe tc tcn txe template userprops docvar ftnsep ftnsepc "
      "ftncn aftnsep aftnsepc aftncn falt panose fname levelnumbers listname "
      "listpicture protusertbl passwordhash wgrffmtfilter author operator title subject keywords "
      "comment doccomm company category manager hlinkbase creatim revtim printim buptim objdata "
      "objclass objname result fontemb fontfile file private macc nonesttables blipuid sp sn sv "
      "formfield datafield ffdeftext ffname ffentrymcr ffexitmcr ffformat ffhelptext ffstattext "
      "ffl fftitle oleclsid";
  for (size_t from = 0; from < skipped.size();) {
    const size_t to = std::min(skipped.find(' ', from), skipped.size());
    m[skipped.substr(from, to - from)] = {Kw::Skip};
    from = to + 1;
  }
}

void addHeaderAndTables(Map& m) {
  m["ansi"] = {Kw::Ansi};
  m["mac"] = {Kw::Mac};
  m["pc"] = {Kw::Pc};
  m["pca"] = {Kw::Pca};
  m["ansicpg"] = {Kw::AnsiCpg};
  m["deff"] = {Kw::Deff};
  m["uc"] = {Kw::Uc};
  m["u"] = {Kw::U};
  m["bin"] = {Kw::Bin};
  m["f"] = {Kw::F};
  m["fcharset"] = {Kw::FCharset};
  m["cpg"] = {Kw::Cpg};
  m["red"] = {Kw::Red};
  m["green"] = {Kw::Green};
  m["blue"] = {Kw::Blue};
  m["listid"] = {Kw::ListId};
  m["listlevel"] = {Kw::ListLevel};
  m["levelnfc"] = {Kw::LevelNfc};
  m["levelstartat"] = {Kw::LevelStartAt};
  m["ls"] = {Kw::Ls};
  m["ilvl"] = {Kw::Ilvl};
  m["pnlvlblt"] = {Kw::PnLvlBlt};
  m["pnlvlbody"] = {Kw::PnLvlBody};
  m["pnlvlcont"] = {Kw::PnLvlCont};
  m["pnlvl"] = {Kw::PnLvl};
  m["pndec"] = {Kw::PnDec};
  m["pnucltr"] = {Kw::PnUcLtr};
  m["pnlcltr"] = {Kw::PnLcLtr};
  m["pnucrm"] = {Kw::PnUcRm};
  m["pnlcrm"] = {Kw::PnLcRm};
  m["pnstart"] = {Kw::PnStart};
  m["pnf"] = {Kw::PnF};
}

void addFormatting(Map& m) {
  m["plain"] = {Kw::Plain};
  m["fs"] = {Kw::Fs};
  m["b"] = {Kw::B};
  m["i"] = {Kw::I};
  for (std::string_view w :
       {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth", "ulthd",
        "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
    m[w] = {Kw::Ul};
  }
  m["ulnone"] = {Kw::UlNone};
  m["strike"] = {Kw::Strike};
  m["striked"] = {Kw::Strike};
  m["v"] = {Kw::Hidden};
  m["cf"] = {Kw::Cf};
  m["cb"] = {Kw::Cb};
  m["chcbpat"] = {Kw::Cb};
  m["highlight"] = {Kw::Highlight};
  m["super"] = {Kw::Super};
  m["sub"] = {Kw::Sub};
  m["nosupersub"] = {Kw::NoSuperSub};
  m["pard"] = {Kw::Pard};
  m["ql"] = {Kw::Ql};
  m["qr"] = {Kw::Qr};
  m["qc"] = {Kw::Qc};
  m["qj"] = {Kw::Qj};
  m["li"] = {Kw::Li};
  m["ri"] = {Kw::Ri};
  m["fi"] = {Kw::Fi};
  m["tx"] = {Kw::Tx};
  m["tqr"] = {Kw::Tqr};
  m["tqc"] = {Kw::Tqc};
  m["tqdec"] = {Kw::Tqdec};
  m["tldot"] = {Kw::Tldot};
  m["tlmdot"] = {Kw::Tldot};
  m["tlhyph"] = {Kw::Tlhyph};
  m["tlul"] = {Kw::Tlul};
  m["tlth"] = {Kw::Tlth};
  m["tleq"] = {Kw::Tleq};
}

void addText(Map& m) {
  m["par"] = {Kw::Par};
  m["line"] = {Kw::Line};
  m["tab"] = {Kw::Tab};
  m["page"] = {Kw::Page};
  m["sect"] = {Kw::Sect};
  m["cell"] = {Kw::Cell};
  m["nestcell"] = {Kw::Cell};
  m["row"] = {Kw::Row};
  m["nestrow"] = {Kw::Row};
  m["chftn"] = {Kw::Chftn};
  const std::pair<std::string_view, char16_t> chars[] = {
      {"emdash", 0x2014},    {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
      {"qmspace", 0x2005},   {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D},     {"zwnj", 0x200C},
      {"zwbo", 0x200B},      {"ltrmark", 0x200E},   {"rtlmark", 0x200F}};
  for (const auto& [word, ch] : chars) m[word] = {Kw::Char, ch};
}

const Map& keywords() {
  static const Map map = [] {
    Map m;
    addDestinations(m);
    addHeaderAndTables(m);
    addFormatting(m);
    addText(m);
    return m;
  }();
  return map;
}

}  // namespace

Keyword lookupKeyword(std::string_view word) {
  const Map& m = keywords();
  const auto it = m.find(word);
  return it == m.end() ? Keyword{} : it->second;
}

}  // namespace scenova::platform::rtf::detail
