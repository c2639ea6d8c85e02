#pragma once

// The RTF reader's parser state (shared by its two source files).

#include "platform/rtf/rtf_keywords.h"
#include "platform/rtf/rtf_model.h"

#include <string_view>
#include <vector>

namespace scenova::platform::rtf::detail {

// Groups nested deeper than this are read flatly: their formatting leaks into
// the enclosing group instead of the stack growing without bound.
constexpr size_t kMaxDepth = 1000;
// Control words are at most 32 letters; longer ones are cut (and unknown).
constexpr size_t kMaxWordLength = 32;
constexpr int kMaxUcSkip = 16;
constexpr int kMaxIndent = 31680;  // 22 inches in twips
constexpr int kMaxHalfPoints = 3276;
constexpr size_t kMaxTabs = 64;
constexpr int kMaxListStart = 32767;
constexpr int kMaxListNumber = 1 << 30;

enum class Dest : std::uint8_t {
  Body,
  Skip,
  FontTable,
  ColourTable,
  ListTable,
  Overrides,
  Pn,
  PnTextBefore,  // \pntxtb
  PnTextAfter,   // \pntxta
  LevelText,
  Upr
};

struct State {
  CharProps chr;
  ParaProps para;
  Dest dest = Dest::Body;
  Dest uprOuter = Dest::Body;  // where \ud inside \upr sends its text
  int uc = 1;
  bool ownsList = false;      // this group is a \list definition
  bool ownsOverride = false;  // this group is a \listoverride
};

struct ListDef {
  int id = 0;
  std::vector<LevelDef> levels;
};

// One pass over RTF bytes; see parseRtf.
class Parser {
 public:
  explicit Parser(QByteArrayView in, std::atomic<int>* permille = nullptr)
      : p_(in.data()), end_(in.data() + in.size()), out_(m_), begin_(p_), permille_(permille) {}
  Model run();

 private:
  void parseControl();
  void textBytes(const char* b, const char* e);
  void hexByte(char byte);
  void openGroup();
  void closeGroup();
  void leaving(const State& inner);
  void word(std::string_view w, bool hasParam, int param);
  void symbol(char c);
  bool destinationWord(Kw kw);
  void tableWord(Kw kw, bool hasParam, int param);
  void headerWord(Kw kw, bool hasParam, int param);
  void fontOrColourWord(Kw kw, int param);
  void listWord(Kw kw, int param);
  bool formatWord(Kw kw, bool hasParam, int param);
  void textWord(const Keyword& k);
  void unicode(int value);
  void emitUnit(char16_t u);
  void emit(QStringView s);
  void flush();
  void endParagraph(bool ended);
  void finishFontName();
  void finishColour();
  void finishLevelText();
  void finishPn(const State& inner);
  void tabWord(Kw kw, int param);
  bool collecting() const;
  int codePage() const;
  bool inBody() const { return cur_.dest == Dest::Body; }
  void report();

  const char* p_;
  const char* end_;
  Model m_;
  ModelBuilder out_;
  const char* begin_;
  std::atomic<int>* permille_;
  const char* nextReport_ = nullptr;  // where report() runs next
  State cur_;
  std::vector<State> stack_;
  size_t flat_ = 0;
  bool done_ = false;
  bool star_ = false;
  int ucSkip_ = 0;
  QByteArray pending_;
  char16_t high_ = 0;
  int docCp_ = 1252;
  bool cpgSeen_ = false;
  int curFont_ = -1;
  QString fontName_;
  int rgb_[3] = {-1, -1, -1};
  ListDef curList_;
  QHash<int, std::vector<LevelDef>> lists_;  // by \listid
  QString collected_;                        // the text of \leveltext, \pntxtb or \pntxta
  QString pnBefore_;
  QString pnAfter_;
  int pnStart_ = 1;
  int pnFont_ = -1;
  std::vector<LevelDef> pnDefs_;  // distinct \pn numberings; key -(index + 1)
  TabStop pendingTab_;
  int overrideLs_ = -1;
  int overrideList_ = 0;
  QHash<int, int> overrides_;
  int footnotes_ = 0;
};

}  // namespace scenova::platform::rtf::detail
