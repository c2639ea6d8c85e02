#pragma once

// frmFind, the Find and Replace window: modeless over the script editor.
// Find looks from the top, then Find Next from the end of the selection, and
// says so when it reaches the end (it never wraps by itself). Replace finds
// first and replaces on the next press. Replace All replaces every
// occurrence (case ignored) as one undoable step. Neither changes a
// read-only script: they say so instead.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace scenova::platform {
class Dialogs;
class RTB;
}  // namespace scenova::platform
namespace scenova::ui {
class LanguageTable;
}

namespace scenova::tools {

class ScriptUndo;

class frmFind : public QDialog {
  Q_OBJECT
 public:
  // undo may be null (Replace All is then not undoable as one step).
  frmFind(platform::RTB& editor, const ui::LanguageTable& lang, platform::Dialogs& dialogs,
          ScriptUndo* undo, bool replaceMode, QWidget* parent = nullptr);

  QComboBox* cboFind = nullptr;
  QComboBox* cboReplace = nullptr;
  QLabel *lblFind = nullptr, *lblReplace = nullptr;
  QPushButton *cmdFind = nullptr, *cmdReplace = nullptr, *cmdReplaceAll = nullptr,
              *cmdCancel = nullptr;
  QGroupBox* Frame1 = nullptr;
  QCheckBox *chkWholeWord = nullptr, *chkMatchCase = nullptr;

  void cmdFind_Click();
  void cmdReplace_Click();
  void cmdReplaceAll_Click();
  // Text dropped onto one of the two boxes.
  void dropText(QComboBox* box, const QString& text);
  bool cutAtLineBreak() const { return cutAtLineBreak_; }
  bool replaceMode() const { return replaceMode_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void Form_Load();
  void addToHistories();
  int options() const;
  void message(int textIndex);
  // True (and a message) when the script is read-only.
  bool refuseReadOnly();
  static constexpr int kReadOnlyText = 202;
  QWidget* mnemonicTarget(int key) const;
  bool ownAccessKey(QEvent* event);

  platform::RTB& editor_;
  const ui::LanguageTable& lang_;
  platform::Dialogs& dialogs_;
  ScriptUndo* undo_;
  bool replaceMode_;
  bool findNext_ = false;      // cmdFind reads Find Next
  bool replaceFound_ = false;  // cmdReplace has found a first occurrence
  bool cutAtLineBreak_ = false;
};

}  // namespace scenova::tools
