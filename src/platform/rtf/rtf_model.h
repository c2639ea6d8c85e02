#pragma once

// The reader's result before it goes into a QTextDocument: all text in one
// string, the character runs and the paragraphs as index ranges into it, and
// the (deduplicated) formats they use. Keeping it flat keeps a large file's
// load linear and its memory small.

#include <QByteArrayView>
#include <QColor>
#include <QHash>
#include <QString>
#include <QTextCursor>

#include <atomic>
#include <cstdint>
#include <vector>

namespace scenova::platform::rtf::detail {

// Character properties as RTF states them (font number, half-points, colour
// table indices); resolved into QTextCharFormat only when inserted.
struct CharProps {
  int font = -1;  // RTF font number; -1 is the document's default font
  int halfPoints = 24;
  int fg = 0;  // colour table index; 0 = automatic
  int bg = 0;  // highlight / background colour table index; 0 = none
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike = false;
  std::int8_t vpos = 0;  // 1 superscript, -1 subscript
  bool operator==(const CharProps&) const = default;
};

enum class ListKind : std::uint8_t {
  None,
  Bullet,
  Decimal,
  LowerAlpha,
  UpperAlpha,
  LowerRoman,
  UpperRoman
};

// One level of a numbered or bulleted list: how its marker is made.
struct LevelDef {
  ListKind kind = ListKind::Decimal;
  int start = 1;
  // The marker: characters U+0000 to U+0008 stand for the numbers of levels
  // 1 to 9 (for a bullet, the bullet itself).
  QString text;
  int font = -1;  // RTF font number of the marker; -1: the paragraph's
  bool operator==(const LevelDef&) const = default;
};

enum class TabKind : std::uint8_t { Left, Right, Centre, Decimal };
// Tab leaders, in the order of the reader's and writer's tables.
enum class TabLeader : std::uint8_t { None, Dots, Hyphens, Underline, ThickLine, Equals };

struct TabStop {
  int pos = 0;  // twips
  TabKind kind = TabKind::Left;
  TabLeader leader = TabLeader::None;
  bool operator==(const TabStop&) const = default;
};

struct ParaProps {
  std::uint8_t align = 0;  // 0 left, 1 right, 2 centre, 3 justify
  ListKind list = ListKind::None;
  std::uint8_t level = 0;
  // Model::lists key: the \ls number + 1 (> 0), or a \pn numbering (< 0).
  int listKey = 0;
  int li = 0;  // twips
  int ri = 0;
  int fi = 0;
  std::vector<TabStop> tabs;
  bool operator==(const ParaProps&) const = default;
};

size_t qHash(const CharProps& p, size_t seed = 0);
size_t qHash(const ParaProps& p, size_t seed = 0);

struct Span {
  int start;   // index into Model::text
  int format;  // index into Model::charFormats, -1 = the insertion format
};

struct Paragraph {
  int end;         // index into Model::text, one past the paragraph's text
  int format;      // index into Model::paraFormats, -1 = keep the existing one
  int markFormat;  // char format of the paragraph mark (-1 = insertion format)
  bool ended;      // closed by a paragraph break (only the last may be open)
};

struct FontEntry {
  QString name;
  int codePage = 0;     // 0 = the document's code page
  bool symbol = false;  // \fcharset2
};

struct Model {
  QString text;
  std::vector<Span> spans;
  std::vector<Paragraph> paragraphs;
  std::vector<CharProps> charFormats;
  std::vector<ParaProps> paraFormats;
  QHash<int, FontEntry> fonts;
  std::vector<QColor> colours;  // \colortbl entries; invalid = automatic
  // List definitions by ParaProps::listKey, one entry per level.
  QHash<int, std::vector<LevelDef>> lists;
  int defaultFont = 0;
  bool isRtf = false;
};

// Parses RTF bytes. Never fails: malformed input gives what could be read.
// permille (when given) follows the reading from 0 to 500 (the first half
// of reading a file; the insertion is the second).
Model parseRtf(QByteArrayView bytes, std::atomic<int>* permille = nullptr);

// Splits plain text into paragraphs (CR LF, CR or LF breaks) in the
// insertion format. Returns false when the bytes are not text (binary data).
bool parsePlainText(QByteArrayView bytes, Model& model);

// Inserts the model at the cursor in place of its selection. wholeDocument:
// every paragraph takes its own format (the cursor is in an empty document);
// otherwise the first paragraph takes its format only when it is ended, and
// the text after the cursor keeps the format of its paragraph.
// permille (when given) follows it from 500 to 1000.
void insertModel(const Model& model, QTextCursor& cursor, bool wholeDocument,
                 std::atomic<int>* permille = nullptr);

// RTF \fcharset values as Windows code pages (0 when the charset does not
// name one).
int charsetCodePage(int charset);

}  // namespace scenova::platform::rtf::detail

namespace scenova::platform::rtf::detail {

// Appends text and paragraphs to a model, deduplicating formats. Characters a
// QTextDocument treats specially (block and frame separators, object
// markers) and control characters other than tab are filtered out here.
class ModelBuilder {
 public:
  explicit ModelBuilder(Model& model) : model_(model) {}

  // props == nullptr: the text takes the insertion format.
  void append(QStringView text, const CharProps* props);
  void append(char16_t ch, const CharProps* props) { append(QStringView(&ch, 1), props); }
  void endParagraph(bool ended, const ParaProps* para, const CharProps* mark);
  bool paragraphEmpty() const { return paragraphStart() == model_.text.size(); }
  // Removes a tab that ends the current paragraph (a table row's last cell).
  void chopTrailingTab();

 private:
  int paragraphStart() const {
    return model_.paragraphs.empty() ? 0 : model_.paragraphs.back().end;
  }
  int charFormatId(const CharProps& props);
  void startSpan(int format);

  Model& model_;
  QHash<CharProps, int> charIds_;
  QHash<ParaProps, int> paraIds_;
  CharProps lastProps_;
  int lastId_ = -2;
};

}  // namespace scenova::platform::rtf::detail
