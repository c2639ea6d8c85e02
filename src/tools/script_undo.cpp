#include "tools/script_undo.h"

#include "platform/rtb/rtb.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace scenova::tools {

void applyEditsToEditor(platform::RTB& editor, const std::vector<TextEdit>& edits) {
  if (edits.empty()) return;
  QTextCursor c(editor.document());
  c.beginEditBlock();
  // From the last to the first, so that the positions still to come keep
  // their meaning while the document defers its bookkeeping to the end.
  for (auto e = edits.rbegin(); e != edits.rend(); ++e) {
    c.setPosition(editor.toDocumentPosition(e->position));
    c.setPosition(editor.toDocumentPosition(e->position + static_cast<int>(e->removed.size())),
                  QTextCursor::KeepAnchor);
    c.insertText(platform::toDocumentText(e->inserted));
  }
  c.endEditBlock();
}

ScriptUndo::ScriptUndo(platform::RTB& editor, QObject* parent)
    : QObject(parent), editor_(editor), history_(*this) {
  follow(editor_.document());
  connect(&editor_, &platform::RTB::Change, this, &ScriptUndo::change);
}

void ScriptUndo::follow(QTextDocument* doc) {
  disconnect(connection_);
  doc_ = doc;
  connection_ = connect(doc, &QTextDocument::contentsChange, this, &ScriptUndo::contentsChange);
}

// Runs after the editor's own position index has taken the change in.
void ScriptUndo::contentsChange(int position, int, int added) {
  const int chars = std::max(0, doc_->characterCount() - 1);
  const int head = editor_.toProgramPosition(std::clamp(position, 0, chars));
  const int end = std::clamp(position + added, 0, chars);
  history_.noteEdit(head, editor_.TextLength() - editor_.toProgramPosition(end));
}

void ScriptUndo::change() {
  if (editor_.document() != doc_) {
    // A script was loaded (into a new document): its history starts here,
    // so no step of the previous script can reach it.
    follow(editor_.document());
    if (history_.started()) history_.reset();
    return;
  }
  history_.recordChange();
}

void ScriptUndo::resetHistory() {
  if (editor_.document() != doc_) follow(editor_.document());
  history_.reset();
}

void ScriptUndo::Undo() {
  history_.Undo();
}

void ScriptUndo::Redo() {
  history_.Redo();
}

int ScriptUndo::length() const {
  return editor_.TextLength();
}

QString ScriptUndo::mid(int position, int count) const {
  return editor_.Mid(position, count);
}

int ScriptUndo::selStart() const {
  return editor_.SelStart();
}

void ScriptUndo::select(int start, int count) {
  editor_.Select(start, count);
}

void ScriptUndo::replaceSelection(const QString& text) {
  editor_.SetSelText(text);
}

void ScriptUndo::focus() {
  editor_.SetFocus();
}

void ScriptUndo::applyEdits(const std::vector<TextEdit>& edits) {
  applyEditsToEditor(editor_, edits);
}

}  // namespace scenova::tools
