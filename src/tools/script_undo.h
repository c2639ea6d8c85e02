#pragma once

// Undo and redo of the script editor: the history over the real editor,
// fed by the editor's own change notifications.
//
//   ScriptUndo undo(rtb);      // recording starts with resetHistory()
//   undo.resetHistory();       // end of start-up, New, Open
//   undo.Undo(); undo.Redo();  // Ctrl+Z / Ctrl+Y, the Edit menu

#include "tools/undo_history.h"

#include <QObject>
#include <QPointer>

class QTextDocument;

namespace scenova::platform {
class RTB;
}

namespace scenova::tools {

// Applies edits to the editor as one change (one Change, one repaint): the
// edits' positions are ascending and count as the editor's Text() does.
void applyEditsToEditor(platform::RTB& editor, const std::vector<TextEdit>& edits);

class ScriptUndo : public QObject, private UndoEditor {
  Q_OBJECT
 public:
  explicit ScriptUndo(platform::RTB& editor, QObject* parent = nullptr);

  // Starts both lists afresh with the editor's text as the first state and
  // switches recording on.
  void resetHistory();
  void Undo();
  void Redo();

  // Runs change (which edits the editor with recording off) and records
  // the edits it returns as one exact step, the caret ending at caret.
  template <typename F>
  void recordAsOneStep(F&& change) {
    history_.adoptEditorText();
    const bool was = history_.tracking();
    history_.setTracking(false);
    const std::vector<TextEdit> edits = change();
    history_.setTracking(was);
    if (!edits.empty()) history_.recordExact(edits, selStart());
  }

  UndoHistory& history() { return history_; }

 private:
  void follow(QTextDocument* doc);
  void contentsChange(int position, int removed, int added);
  void change();

  // UndoEditor
  int length() const override;
  QString mid(int position, int count) const override;
  int selStart() const override;
  void select(int start, int count) override;
  void replaceSelection(const QString& text) override;
  void focus() override;
  void applyEdits(const std::vector<TextEdit>& edits) override;

  platform::RTB& editor_;
  UndoHistory history_;
  QPointer<QTextDocument> doc_;
  QMetaObject::Connection connection_;
};

}  // namespace scenova::tools
