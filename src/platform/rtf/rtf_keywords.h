#pragma once

// The RTF control words the reader acts on.

#include <cstdint>
#include <string_view>

namespace scenova::platform::rtf::detail {

// The order matters: the reader dispatches on ranges (destinations from
// FontTable to Ud, header words up to Uc, list words up to Ilvl, \\pn words up to PnF...).
enum class Kw : std::uint8_t {
  Unknown,
  // Destinations.
  FontTable,
  ColourTable,
  ListTable,
  ListOverrideTable,
  List,
  ListOverride,
  Pn,
  FieldInst,
  Shown,
  Skip,
  LevelText,
  PnTxtA,
  PnTxtB,
  Upr,
  Ud,
  // Document header.
  Ansi,
  Mac,
  Pc,
  Pca,
  AnsiCpg,
  Deff,
  Uc,
  U,
  Bin,
  // Font, colour and list tables.
  F,
  FCharset,
  Cpg,
  Red,
  Green,
  Blue,
  ListId,
  ListLevel,
  LevelNfc,
  LevelStartAt,
  Ls,
  Ilvl,
  // Old-style paragraph numbering (\pn).
  PnLvlBlt,
  PnLvlBody,
  PnLvlCont,
  PnLvl,
  PnDec,
  PnUcLtr,
  PnLcLtr,
  PnUcRm,
  PnLcRm,
  PnStart,
  PnF,
  // Character formatting.
  Plain,
  Fs,
  B,
  I,
  Ul,
  UlNone,
  Strike,
  Hidden,
  Cf,
  Cb,
  Highlight,
  Super,
  Sub,
  NoSuperSub,
  // Paragraph formatting.
  Pard,
  Ql,
  Qr,
  Qc,
  Qj,
  Li,
  Ri,
  Fi,
  Tx,
  Tqr,
  Tqc,
  Tqdec,
  Tldot,
  Tlhyph,
  Tlul,
  Tlth,
  Tleq,
  // Text.
  Par,
  Line,
  Tab,
  Page,
  Sect,
  Cell,
  Row,
  Char,
  Chftn,
};

struct Keyword {
  Kw kw = Kw::Unknown;
  char16_t ch = 0;  // the character of a Kw::Char word
};

Keyword lookupKeyword(std::string_view word);

}  // namespace scenova::platform::rtf::detail
