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
// - Bullets: a bulleted paragraph belongs to a QTextList with style
//   QTextListFormat::ListDisc and indent 1 (\ls lists: indent \ilvl + 1;
//   numbered RTF lists come in as ListDecimal, ListLowerAlpha...). Lists are
//   written as \pntext + \pn (bullet: Symbol \'b7). The bullet text itself
//   is never part of the document text. Consecutive list paragraphs share
//   one QTextList. The list's own indent (indent x doc.indentWidth()) counts
//   towards RTF's \li: the block's leftMargin holds only the rest, and a list
//   paragraph's textIndent is not kept (the bullet hangs, \fi-360).
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
#include <QString>

class QTextCursor;
class QTextDocument;

namespace scenova::platform::rtf {

// A character format property (int) the reader adds only to coloured runs of
// documents with more than 64 colours: a hash of the run's colours. It has no
// meaning; it keeps such documents from loading in quadratic time, because
// QTextDocument's format collection does not hash brushes.
inline constexpr int kColourKeyProperty = 0x100000 + 0x7C0;  // QTextFormat::UserProperty + n

// Replaces the document's content with the RTF (or, when the bytes are not
// RTF, plain text: UTF-8, else Windows-1252). Returns false only when nothing
// usable could be read; the document is then left unchanged and *error (when
// given) says why. The load clears the document (and its undo history) and
// inserts the new content as one edit block.
bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* error = nullptr);

// Inserts RTF (or plain text) at the cursor, in place of its selection (used
// for SelRTF := and paste). The insertion is one undo step. The cursor ends
// after the inserted text. Returns false (and changes nothing) when nothing
// usable could be read.
bool insertRtf(QTextCursor& cursor, QByteArrayView bytes);

// Writes the whole document as RTF.
QByteArray writeDocument(const QTextDocument& doc);

// Writes the characters [from, to) (QTextDocument positions; clamped to the
// document) as RTF. A paragraph break inside the range is written as \par;
// the range's last paragraph gets no \par unless its break is in the range.
QByteArray writeRange(const QTextDocument& doc, int from, int to);

// True when the bytes start (after optional blanks / a UTF-8 byte-order
// mark) with "{\rtf".
bool looksLikeRtf(QByteArrayView bytes);

// The plain text of RTF bytes, paragraphs separated by '\n' (as the document
// text would be after readDocument, with U+2029 turned into '\n').
QString plainText(QByteArrayView bytes);

}  // namespace scenova::platform::rtf
