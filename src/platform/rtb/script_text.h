#pragma once

// The script's text as the program reads it, over a QTextDocument.
//
// Counting rules (every position the editor takes or gives follows them):
// - A paragraph break reads as CR LF and counts as two characters; the
//   document holds it as one. Positions count characters from 0, before the
//   first character; the text has no break after its last paragraph.
// - A position between the CR and the LF of a break stands for the end of
//   the paragraph the break ends. Where a range is meant (a selection's end)
//   it may be rounded up instead, to just after the break, so that a range
//   holding half a break holds all of it (see Round).
// - A line break inside a paragraph (U+2028, from RTF \line or Shift+Enter)
//   reads as a vertical tab (VT, 0x0B, as word processors give it) and counts
//   as one character. Writing text turns CR LF, a lone CR and a lone LF into
//   paragraph breaks and VT into such a line break, so that text read from
//   the editor goes back in unchanged.
//
// Costs: length() is O(log n); the position look-ups are O(log n) (see
// ParagraphIndex); mid() is O(count + log n) for ordinary paragraphs;
// text() builds the whole text once per change and then returns the cached
// copy.

#include "platform/rtb/paragraph_index.h"

#include <QMetaObject>
#include <QString>

class QTextDocument;

namespace scenova::platform {

// The text of a whole document under the counting rules above.
QString programText(const QTextDocument& doc);

class ScriptText {
 public:
  enum class Round { Down, Up };

  ScriptText() = default;
  ~ScriptText();
  ScriptText(const ScriptText&) = delete;
  ScriptText& operator=(const ScriptText&) = delete;

  // Follows the document's changes from now on (nullptr detaches).
  void attach(QTextDocument* doc);

  int length() const;
  QString text() const;
  QString mid(int position, int count) const;

  // Document position -> program position.
  int toProgram(int docPosition) const;
  // Program position (clamped to 0..length()) -> document position. A
  // position between CR and LF goes to the end of the paragraph (Down) or to
  // the start of the next one (Up).
  int toDocument(int position, Round round = Round::Down) const;

  const ParagraphIndex& index() const { return index_; }

 private:
  void documentChanged(int position, int removed, int added);
  void appendParagraphs(QString& out, int position, int count) const;

  QTextDocument* doc_ = nullptr;
  ParagraphIndex index_;
  QMetaObject::Connection connection_;
  mutable QString text_;
  mutable bool textValid_ = false;
};

}  // namespace scenova::platform
