#pragma once

// Form3, the Add Command dialog: the author picks one of 19 commands (three
// of them with a number) and Add inserts its cue, blue and in Arial, after
// the editor's selection, followed by a blank in the formatting that was in
// force before.

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace scenova::platform {
class RTB;
}
namespace scenova::ui {
class LanguageTable;
}

namespace scenova::script {

class Form3 : public QDialog {
  Q_OBJECT
 public:
  Form3(platform::RTB& editor, const ui::LanguageTable& lang, QWidget* parent = nullptr);

  std::array<QRadioButton*, 19> Option1{};
  QLineEdit *Text1 = nullptr, *Text2 = nullptr, *Text3 = nullptr;
  QPushButton *Command1 = nullptr, *Command2 = nullptr;
  QLabel *lblWMP1 = nullptr, *Label1 = nullptr, *Label2 = nullptr;

  // The cue Add inserts for the selected option (empty with none).
  QString commandText() const;
  void Command1_Click();
  void Text1_LostFocus();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();

  platform::RTB& editor_;
};

}  // namespace scenova::script
