#pragma once

// The hover look of the audio panel's transport buttons: each button shows
// its highlighted picture while the pointer is over it, and only one button
// of the group is lit at a time.

#include <QObject>
#include <QString>

#include <array>

namespace scenova::ui {
class Control;
struct MainControls;
class LanguageTable;
}  // namespace scenova::ui

namespace scenova::audio {

class TransportButtons : public QObject {
  Q_OBJECT
 public:
  // In the order the group is walked.
  enum Button { Play = 0, Bac = 1, For = 2, Stop = 3 };

  // Gives the four buttons their normal pictures. The controls and the
  // language table must outlive this object.
  TransportButtons(ui::MainControls& ui, const ui::LanguageTable& lang, QString programFolder,
                   QObject* parent = nullptr);

  // Pointer moves over a button (the arguments are not used). The play
  // button's handler is also run with zeros by Stop, by the media loader and
  // by a double-click that starts audio, to refresh its look.
  void cmdPlayA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdBacA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdForA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdStopA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);

  // The pointer reached the window's background: every lit audio button
  // goes back to its normal picture (the audio part of Form_MouseMove).
  void unlightAll();

  bool isLit(Button b) const { return marks_[static_cast<size_t>(b)] != 0; }

  // "\Files\play.jpg" and the like, as a path below the program folder.
  QString picture(const char* name) const;

  // Connects the buttons' mouse moves to the handlers above.
  void connectControls();

 private:
  void hover(Button b);
  void showPicture(Button b, bool highlighted);
  ui::Control* control(Button b) const;

  ui::MainControls& ui_;
  const ui::LanguageTable& lang_;
  QString folder_;
  std::array<qint16, 4> marks_{};
};

}  // namespace scenova::audio
