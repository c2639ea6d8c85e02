#pragma once

// Reading and writing rich text (RTF) into and out of a QTextDocument.
//
// How the document model maps to RTF:
// - Every QTextBlock is one paragraph. \par, \page and \sect end a paragraph;
//   \line (a soft break) becomes U+2028 inside the block; \tab becomes '\t'.
//   writeDocument ends every paragraph with \par, the last one included, as
//   word processors do; readDocument therefore drops one empty paragraph
//   after a final \par (so a save/load round trip keeps the block count).
//   insertRtf keeps such a final break: a range written with its paragraph
//   break pastes back with it.
// - Paragraph format: alignment (Qt::AlignLeft/Right/HCenter/Justify, without
//   Qt::AlignAbsolute), leftMargin/rightMargin/textIndent in layout pixels at
//   96 dpi (RTF twips / 15).
// - Lists: a numbered or bulleted paragraph belongs to a QTextList with the
//   style of its level (ListDecimal, ListLowerAlpha..., bullets ListDisc,
//   ListCircle or ListSquare) and indent \ilvl + 1. The marker is never part
//   of the document text; the list format keeps how it is made (the
//   kList... properties below, and numberPrefix/numberSuffix for display).
//   All paragraphs of one RTF list level share one QTextList, also across
//   paragraphs between them (so numbering goes on); an item of a higher
//   level starts the deeper levels anew. \pn numbering restarts after an
//   unnumbered paragraph. A paragraph naming a list the file does not define
//   is not numbered. Lists are written as \listtable + \listoverridetable
//   with \ls and \ilvl on each paragraph, plus \pntext and \pn for readers
//   that know only those. The list's own indent (indent x doc.indentWidth())
//   counts towards RTF's \li: the block's leftMargin holds only the rest,
//   and a list paragraph's textIndent is not kept (the marker hangs).
// - Tab stops: QTextBlockFormat::tabPositions (left, right, centre, and
//   decimal as a '.' delimiter tab), with their leaders in
//   kTabLeadersProperty.
// - Character format: the reader always sets fontFamilies (one entry, from
//   \f or the default font; left unset only when the RTF has no font table;
//   the same name also goes into the QTextFormat::FontFamily property, which
//   Qt hashes when it looks formats up, unlike the family list)
//   and fontPointSize (from \fs, 12 pt by default). Only when
//   switched on: fontWeight QFont::Bold, fontItalic, fontUnderline,
//   fontStrikeOut, verticalAlignment super/subscript, foreground (a solid
//   brush, when the RTF names a colour other than "auto"), background (from
//   \highlight, \cb or \chcbpat). The writer writes a run's font only when
//   it differs from doc.defaultFont() (which becomes \f0) and its size only
//   when it is not 12 pt; a run without a point size has the default font's.
// - Tables come in as text: cells separated by tabs, each row ends a
//   paragraph. Field results and hidden text are shown; field instructions,
//   pictures, objects, headers, footers, footnotes and comments are left out
//   (a footnote leaves its number in the text).

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QString>

#include <atomic>
#include <memory>

class QTextBlock;
class QTextCursor;
class QTextDocument;

namespace scenova::platform::rtf {

namespace detail {
class Writer;
}

// A character format property (int) the reader adds only to coloured runs of
// documents with more than 64 colours: a hash of the run's colours. It has no
// meaning; it keeps such documents from loading in quadratic time, because
// QTextDocument's format collection does not hash brushes.
inline constexpr int kColourKeyProperty = 0x100000 + 0x7C0;  // QTextFormat::UserProperty + n

// List format properties (QTextListFormat).
// int: the number of the list's first item (1 when absent).
inline constexpr int kListStartProperty = 0x100000 + 0x7C1;
// QString: the marker, where characters U+0000 to U+0008 stand for the
// numbers of levels 1 to 9 ("\u0000." is "1.", "\u0000.\u0001" is "1.1");
// for a bullet, the bullet. Absent: made from the style and numberPrefix /
// numberSuffix.
inline constexpr int kListMarkerProperty = 0x100000 + 0x7C2;
// QString: the font family of the marker (absent: the paragraph's).
inline constexpr int kListMarkerFontProperty = 0x100000 + 0x7C3;
// int: lists with the same group (> 0) are the levels of one multi-level list.
inline constexpr int kListGroupProperty = 0x100000 + 0x7C4;
// Block format property. QString: the leader of each tab position, in order:
// ' ' none, '.' dots, '-' hyphens, '_' underline, '#' thick line, '=' double.
inline constexpr int kTabLeadersProperty = 0x100000 + 0x7C5;
inline constexpr char16_t kTabLeaderChars[] = u" .-_#=";
// Character format property. bool: the run's font uses the symbol character
// set (RTF \\fcharset2): its text is the font's own codes, written back so.
inline constexpr int kSymbolCharsetProperty = 0x100000 + 0x7C6;

// Replaces the document's content with the RTF (or, when the bytes are not
// RTF, plain text: UTF-8, else Windows-1252). Returns false only when nothing
// usable could be read; the document is then left unchanged and *error (when
// given) says why. The load clears the document (and its undo history) and
// inserts the new content as one edit block.
// permille (when given) follows the reading from 0 to 1000, for a progress
// display on another thread.
bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* error = nullptr,
                  std::atomic<int>* permille = nullptr);

// Inserts RTF (or plain text) at the cursor, in place of its selection (used
// for SelRTF := and paste). The insertion is one undo step. The cursor ends
// after the inserted text. Returns false (and changes nothing) when nothing
// usable could be read.
bool insertRtf(QTextCursor& cursor, QByteArrayView bytes);

// Writes the whole document as RTF.
QByteArray writeDocument(const QTextDocument& doc);

// Writes a whole document as RTF a few paragraphs at a time, so that the
// thread that owns a long document can write it between its other work
// (the result is the same bytes as writeDocument). The document must not
// change while it is being written: stale() tells when it did (or when it
// was destroyed), and the writer is then of no further use.
class DocumentWriter {
 public:
  explicit DocumentWriter(const QTextDocument& doc);
  ~DocumentWriter();
  DocumentWriter(const DocumentWriter&) = delete;
  DocumentWriter& operator=(const DocumentWriter&) = delete;

  // Writes whole paragraphs until the deadline has passed (at least one).
  // Returns true once the whole document is written.
  bool step(const QDeadlineTimer& deadline);
  bool stale() const { return stale_; }
  // How far the writing has come, in thousandths of the document.
  int permille() const;
  // The RTF, once step() returned true.
  QByteArray take();

 private:
  std::unique_ptr<detail::Writer> writer_;
  QMetaObject::Connection changed_, destroyed_;
  bool stale_ = false;
  bool done_ = false;
};

// Writes the characters [from, to) (QTextDocument positions; clamped to the
// document) as RTF. A paragraph break inside the range is written as \par;
// the range's last paragraph gets no \par unless its break is in the range.
QByteArray writeRange(const QTextDocument& doc, int from, int to);

// The marker of a list paragraph as word processors show it: its number
// counted from the list's start, in the list's style, with the numbers of
// higher levels where the marker names them ("2.1."), or its bullet. Empty
// for a paragraph outside lists.
QString listItemText(const QTextBlock& block);

// True when the bytes start (after optional blanks / a UTF-8 byte-order
// mark) with "{\rtf".
bool looksLikeRtf(QByteArrayView bytes);

// The plain text of RTF bytes, paragraphs separated by '\n' (as the document
// text would be after readDocument, with U+2029 turned into '\n').
QString plainText(QByteArrayView bytes);

}  // namespace scenova::platform::rtf
