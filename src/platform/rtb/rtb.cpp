#include "platform/rtb/rtb.h"

#include "platform/rtb/script_file.h"
#include "platform/rtb/script_layout.h"
#include "platform/rtf/rtf.h"

#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>

namespace scenova::platform {

namespace {

// Clipboard and drag-and-drop formats that carry RTF.
const QString& rtfMimeType() {
  static const QString type = QStringLiteral("text/rtf");
  return type;
}
const QStringList& rtfMimeTypes() {
  static const QStringList types{QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                                 QStringLiteral("text/richtext")};
  return types;
}

bool isWordCharacter(QChar c) {
  return c.isLetterOrNumber() || c == u'_';
}

bool isWholeWord(QStringView text, qsizetype at, qsizetype length) {
  if (at > 0 && isWordCharacter(text.at(at - 1))) return false;
  const qsizetype after = at + length;
  return after >= text.size() || !isWordCharacter(text.at(after));
}

}  // namespace

QString toDocumentText(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
      out += QChar::ParagraphSeparator;
    } else if (c == u'\v') {
      out += QChar::LineSeparator;
    } else {
      out += c;
    }
  }
  return out;
}

RTB::RTB(QWidget* parent)
    : QTextEdit(parent),
      clipboard_(
          new ClipboardReader(rtfMimeTypes() + QStringList{QStringLiteral("text/plain")}, this)) {
  setContextMenuPolicy(Qt::PreventContextMenu);
  connect(clipboard_, &ClipboardReader::received, this, &RTB::pasteContent);
  connect(clipboard_, &ClipboardReader::refused, this, &RTB::PasteRefused);
  setUndoRedoEnabled(false);
  installLayout(document());
  adoptDocument(document());
}

RTB::~RTB() {
  text_.attach(nullptr);
}

// Qt's own layout moves every paragraph after an edit: typing in a long
// script would cost time in proportion to its length (see script_layout.h).
void RTB::installLayout(QTextDocument* doc) {
  auto* layout = new ScriptLayout(doc);
  layout->setPaintDevice(viewport());
  doc->setDocumentLayout(layout);
}

void RTB::adoptDocument(QTextDocument* doc) {
  doc->setUndoRedoEnabled(false);
  text_.attach(doc);
  connect(doc, &QTextDocument::contentsChanged, this, &RTB::documentContentsChanged);
}

void RTB::documentContentsChanged() {
  if (muted_ > 0) {
    changedWhileMuted_ = true;
    return;
  }
  Q_EMIT Change();
}

// Runs a change made of several document edits and raises Change once.
template <typename F>
void RTB::asOneChange(F&& change) {
  ++muted_;
  change();
  if (--muted_ == 0 && changedWhileMuted_) {
    changedWhileMuted_ = false;
    Q_EMIT Change();
  }
}

// --- Text and positions ------------------------------------------------------

QString RTB::Text() const {
  return text_.text();
}

void RTB::SetText(const QString& text) {
  asOneChange([&] {
    document()->clear();
    if (!text.isEmpty()) QTextCursor(document()).insertText(toDocumentText(text));
    setTextCursor(QTextCursor(document()));
    setCurrentCharFormat(QTextCharFormat());
  });
}

int RTB::TextLength() const {
  return text_.length();
}

QString RTB::Mid(int position, int count) const {
  return text_.mid(position, count);
}

int RTB::SelStart() const {
  return text_.toProgram(textCursor().selectionStart());
}

void RTB::SetSelStart(int position) {
  Select(position, 0);
}

int RTB::SelLength() const {
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) return 0;
  return text_.toProgram(c.selectionEnd()) - text_.toProgram(c.selectionStart());
}

void RTB::SetSelLength(int length) {
  Select(SelStart(), length);
}

void RTB::Select(int start, int length) {
  start = std::clamp(start, 0, TextLength());
  const int end =
      static_cast<int>(std::min<qint64>(qint64{start} + std::max(length, 0), TextLength()));
  QTextCursor c = textCursor();
  c.setPosition(text_.toDocument(start, ScriptText::Round::Down));
  if (end > start)
    c.setPosition(text_.toDocument(end, ScriptText::Round::Up), QTextCursor::KeepAnchor);
  setTextCursor(c);
}

QString RTB::SelText() const {
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) return {};
  const int from = text_.toProgram(c.selectionStart());
  return text_.mid(from, text_.toProgram(c.selectionEnd()) - from);
}

void RTB::SetSelText(const QString& text) {
  QTextCursor c = textCursor();
  c.insertText(toDocumentText(text));
  setTextCursor(c);
}

QByteArray RTB::SelRTF() const {
  const QTextCursor c = textCursor();
  return rtf::writeRange(*document(), c.selectionStart(), c.selectionEnd());
}

bool RTB::SetSelRTF(QByteArrayView bytes) {
  QTextCursor c = textCursor();
  if (bytes.isEmpty()) {
    c.removeSelectedText();
  } else if (!rtf::insertRtf(c, bytes)) {
    return false;
  }
  setTextCursor(c);
  return true;
}

// --- Files, search, printing ---------------------------------------------------

bool RTB::LoadFile(const QString& path, QString* error) {
  QPointer<QTextDocument> old = document();
  auto* fresh = new QTextDocument(this);
  fresh->setDefaultFont(old->defaultFont());
  fresh->setUndoRedoEnabled(false);
  if (!readScriptFile(path, *fresh, error)) {
    delete fresh;
    return false;
  }
  fresh->setParent(nullptr);
  ReplaceDocument(std::unique_ptr<QTextDocument>(fresh));
  return true;
}

void RTB::ReplaceDocument(std::unique_ptr<QTextDocument> owned) {
  QPointer<QTextDocument> old = document();
  QTextDocument* fresh = owned.release();
  fresh->setParent(this);
  fresh->setUndoRedoEnabled(false);
  asOneChange([&] {
    text_.attach(nullptr);
    disconnect(old, &QTextDocument::contentsChanged, this, &RTB::documentContentsChanged);
    installLayout(fresh);
    // Marks over the old script's text (extra selections) go with it.
    setExtraSelections({});
    setDocument(fresh);
    adoptDocument(fresh);
    changedWhileMuted_ = true;
    // The editor deletes its own first document itself; later ones are ours
    // (a long script takes a while to take apart: in a later turn, so that
    // the window paints the new one first).
    if (old && old->parent() == this) old->deleteLater();
    setTextCursor(QTextCursor(fresh));
  });
}

bool RTB::SaveFile(const QString& path, QString* error) const {
  return writeScriptFile(path, *document(), error);
}

int RTB::Find(const QString& what, std::optional<int> start, std::optional<int> end,
              FindOptions options) {
  if (what.isEmpty()) return -1;
  const int length = TextLength();
  int from = start.value_or(0);
  int to = end.value_or(length);
  if (!start && !end && textCursor().hasSelection()) {
    from = SelStart();
    to = from + SelLength();
  }
  from = std::clamp(from, 0, length);
  to = std::clamp(to, from, length);
  const QString text = Text();
  const QStringView range = QStringView(text).first(to);
  const Qt::CaseSensitivity cs =
      options.testFlag(FindMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (qsizetype at = range.indexOf(what, from, cs); at >= 0;
       at = range.indexOf(what, at + 1, cs)) {
    if (options.testFlag(FindWholeWord) && !isWholeWord(text, at, what.size())) continue;
    Select(static_cast<int>(at), static_cast<int>(what.size()));
    return static_cast<int>(at);
  }
  return -1;
}

void RTB::SelPrint(QPrinter& printer) const {
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) {
    document()->print(&printer);
    return;
  }
  QTextDocument selection;
  selection.setDefaultFont(document()->defaultFont());
  QTextCursor(&selection).insertFragment(c.selection());
  selection.print(&printer);
}

void RTB::SetFocus() {
  setFocus(Qt::OtherFocusReason);
}

// --- Clipboard and drag and drop ----------------------------------------------
// Only RTF and plain text come in, through the same reader as files, so that
// the script never holds anything the RTF writer cannot save.

bool RTB::canInsertFromMimeData(const QMimeData* source) const {
  if (isReadOnly()) return false;
  return source->hasText() || std::any_of(rtfMimeTypes().begin(), rtfMimeTypes().end(),
                                          [&](const QString& t) { return source->hasFormat(t); });
}

void RTB::insertFromMimeData(const QMimeData* source) {
  // Pasting and dropping go through here, also when called from outside the
  // control's own key handling: a read-only script takes nothing in.
  if (isReadOnly()) return;
  for (const QString& type : rtfMimeTypes()) {
    const QByteArray rtf = source->data(type);
    if (!rtf.isEmpty() && SetSelRTF(rtf)) {
      ensureCursorVisible();
      return;
    }
  }
  if (source->hasText() && !source->text().isEmpty()) {
    SetSelText(source->text());
    ensureCursorVisible();
  }
}

void RTB::Paste(bool selection) {
  if (isReadOnly()) return;
  clipboard_->read(selection ? QClipboard::Selection : QClipboard::Clipboard);
}

bool RTB::pastePending() const {
  return clipboard_->pending();
}

void RTB::pasteContent(const QMimeData& content) {
  // The script may have turned read-only while the owner answered.
  if (isReadOnly() || !canInsertFromMimeData(&content)) return;
  insertFromMimeData(&content);
}

QMimeData* RTB::createMimeDataFromSelection() const {
  auto* data = new QMimeData;
  // Both names under which Linux programs offer and look for RTF.
  const QByteArray rtf = SelRTF();
  data->setData(rtfMimeType(), rtf);
  data->setData(QStringLiteral("application/rtf"), rtf);
  QString plain = SelText();
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(u'\v', u'\n');
  data->setText(plain);
  return data;
}

}  // namespace scenova::platform
