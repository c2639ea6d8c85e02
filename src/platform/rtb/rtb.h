#pragma once

// RTB, the script editor: a rich-text edit control whose text, caret,
// selection, formatting, files, search, printing and events are what the cue,
// editing and file code of the program works with.
//
// Positions. Every position the control takes or gives counts a paragraph
// break as the two characters CR LF, as Text() shows it, and a line break
// inside a paragraph as one VT (0x0B); a position between CR and LF stands
// for the end of the paragraph (see script_text.h for the full rules).
// Written text may break paragraphs with CR LF, CR or LF. Look-ups are
// O(log n); TextLength() and Mid() read the script without building Text().
//
// Formatting reads. Over a selection whose characters differ, a read reports
// "mixed" as std::nullopt. With nothing selected, reads and writes concern the
// insertion format (what typing at the caret would use).
//
// Events are Qt signals, raised on the GUI thread. KeyDown and KeyPress hand
// out a reference the handler may change; connect them directly (same thread,
// the default connection), never queued.
//
// The control keeps no undo of its own (the program records its own) and has
// no context menu of its own (MouseDown with button 2 is the program's cue).
// Use the members below rather than QTextEdit's document-replacing calls:
// LoadFile installs a new QTextDocument, so do not keep document() pointers
// across it.

#include "platform/clipboard_reader.h"
#include "platform/rtb/script_text.h"

#include <QColor>
#include <QPoint>
#include <QTextEdit>

#include <memory>
#include <optional>

class QPrinter;
class QTextBlock;
class QTextCharFormat;

namespace scenova::platform {

class RTB : public QTextEdit {
  Q_OBJECT

 public:
  // Options of Find.
  enum FindOption { FindWholeWord = 2, FindMatchCase = 4 };
  Q_DECLARE_FLAGS(FindOptions, FindOption)

  // Paragraph alignment codes.
  enum { AlignLeftCode = 0, AlignRightCode = 1, AlignCenterCode = 2 };

  explicit RTB(QWidget* parent = nullptr);
  ~RTB() override;

  // --- Text and positions -------------------------------------------------
  QString Text() const;
  // Replaces the whole content by plain text in the default format (an empty
  // text empties the editor). Raises Change once.
  void SetText(const QString& text);
  int TextLength() const;
  // Text().mid(position, count), without building Text().
  QString Mid(int position, int count) const;

  int SelStart() const;
  // Moves the caret (clamped to 0..TextLength()) and ends any selection.
  void SetSelStart(int position);
  int SelLength() const;
  // Selects that many characters from SelStart (negative counts as 0).
  void SetSelLength(int length);
  // SetSelStart(start) then SetSelLength(length). A selection end between CR
  // and LF takes the whole break.
  void Select(int start, int length);

  QString SelText() const;
  // Replaces the selection by plain text in the insertion format and leaves
  // the caret after it; raises Change.
  void SetSelText(const QString& text);
  QByteArray SelRTF() const;
  // Replaces the selection by RTF (empty bytes delete the selection). Returns
  // false, changing nothing, when the bytes hold nothing readable.
  bool SetSelRTF(QByteArrayView bytes);

  // Conversions for code that works on document() directly.
  int toDocumentPosition(int position) const { return text_.toDocument(position); }
  int toProgramPosition(int docPosition) const { return text_.toProgram(docPosition); }

  // --- Selection formatting ----------------------------------------------
  std::optional<QColor> SelColor() const;
  void SetSelColor(const QColor& color);
  std::optional<QString> SelFontName() const;
  void SetSelFontName(const QString& family);
  std::optional<qreal> SelFontSize() const;  // points
  void SetSelFontSize(qreal points);         // ignored unless > 0
  std::optional<bool> SelBold() const;
  void SetSelBold(bool on);
  std::optional<bool> SelItalic() const;
  void SetSelItalic(bool on);
  std::optional<bool> SelUnderline() const;
  void SetSelUnderline(bool on);
  std::optional<bool> SelStrikeThru() const;
  void SetSelStrikeThru(bool on);
  // Of the paragraphs the selection touches: 0 left, 1 right, 2 centre.
  std::optional<int> SelAlignment() const;
  void SetSelAlignment(int code);  // other codes are ignored
  // Whether the selected paragraphs are list items.
  std::optional<bool> SelBullet() const;
  void SetSelBullet(bool on);

  // --- Methods ------------------------------------------------------------
  // Replaces the content by the script file at path. A file that cannot be
  // read leaves the editor as it was and returns false (*error says why).
  bool LoadFile(const QString& path, QString* error = nullptr);
  // Replaces the content by a document read elsewhere (see
  // script_file_async.h); the editor takes it over. Raises Change once.
  void ReplaceDocument(std::unique_ptr<QTextDocument> fresh);
  // Writes the content as RTF through a temporary file renamed over path;
  // on failure the old file stays as it was.
  bool SaveFile(const QString& path, QString* error = nullptr) const;
  // Finds text between start and end (end exclusive; no start: 0; no end:
  // the end of the script; neither: inside the selection when there is one,
  // else the whole script). Selects the first match and returns its
  // position, or returns -1 and leaves the selection alone.
  int Find(const QString& text, std::optional<int> start = std::nullopt,
           std::optional<int> end = std::nullopt, FindOptions options = {});
  // Prints the selection, or the whole script when nothing is selected.
  void SelPrint(QPrinter& printer) const;
  void SetFocus();
  // Pastes the clipboard (selection: the primary selection, as the middle
  // button does) at the caret, once its owner has answered: the window goes
  // on meanwhile. An owner that does not answer, or content above
  // ClipboardReader::kLargestPaste, pastes nothing and raises PasteRefused.
  void Paste(bool selection = false);
  bool pastePending() const;

  // Full rebuilds of the position index (for tests: edits never need one).
  int indexRebuildCount() const { return text_.index().rebuildCount(); }

 Q_SIGNALS:
  // After every change of the text or of its formatting, typed or made by
  // the program.
  void Change();
  // A left-button click (press and release without dragging); the caret is
  // already where the user clicked.
  void Click();
  // A left-button double-click, after the Click of its first press.
  void DblClick();
  // Button 1 left, 2 right, 4 middle; shift as for keys; x and y in twips
  // (15 per pixel) from the control's top left corner. Raised after the
  // control has handled the press.
  void MouseDown(int button, int shift, int x, int y);
  // Before the control acts on a key. Setting keyCode to 0 swallows the key.
  void KeyDown(int& keyCode, int shift);
  // Before a typed character goes in (printable characters, and Tab 9,
  // Enter 13, Backspace 8, Escape 27, Ctrl+letter 1..26). The handler may
  // move the selection the character will replace; setting the character to
  // 0 swallows it; changing it to another printable character, Tab or Enter
  // types that instead.
  void KeyPress(int& character);
  void KeyUp(int keyCode, int shift);
  // A paste that took nothing: why (ClipboardReader::Refusal).
  void PasteRefused(scenova::platform::ClipboardReader::Refusal why);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  QMimeData* createMimeDataFromSelection() const override;

 private:
  void adoptDocument(QTextDocument* doc);
  void pasteContent(const QMimeData& content);
  void installLayout(QTextDocument* doc);
  void documentContentsChanged();
  template <typename F>
  void asOneChange(F&& change);

  void mergeFormat(const QTextCharFormat& format);
  template <typename T, typename Read>
  std::optional<T> uniformChars(Read read) const;
  template <typename T, typename Read>
  std::optional<T> uniformBlocks(Read read) const;

  bool typeCharacter(int character);

  ScriptText text_;
  int muted_ = 0;
  bool changedWhileMuted_ = false;
  QPointF pressPosition_;
  bool clickArmed_ = false;
  bool buttonDown_ = false;
  ClipboardReader* clipboard_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(RTB::FindOptions)

// Program text -> document text: CR LF, a lone CR and a lone LF become
// paragraph breaks, VT a line break inside the paragraph.
QString toDocumentText(const QString& text);

}  // namespace scenova::platform
