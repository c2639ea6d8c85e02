#pragma once

// The hover look of the eight transport buttons (four audio, four video):
// each button shows its highlighted picture while the pointer is over it,
// and only one button of a group is lit at a time. The play buttons show
// what their next press does: the play pictures while the track is not
// playing, the pause pictures while it plays. This class is the one place
// that swaps the buttons' pictures, for the hover look and for the presses
// of the transports alike.

#include "ui/main_controls.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

namespace scenova::ui {
class Control;
class LanguageTable;
}  // namespace scenova::ui

namespace scenova::audio {

class TransportButtons : public QObject {
  Q_OBJECT
 public:
  // Each group in the order it is walked: play, back, forward, stop.
  enum Button { Play = 0, Bac, For, Stop, PlayV, BacV, ForV, StopV };
  static constexpr int kCount = 8;

  // Decodes every button picture once and gives the buttons their normal
  // pictures. The controls and the language table must outlive this object.
  TransportButtons(const ui::TransportControls& ui, const ui::LanguageTable& lang,
                   QString programFolder, QObject* parent = nullptr);

  // Pointer moves over a button (the arguments are not used). The audio play
  // button's handler is also run with zeros by Stop, by the media loader and
  // by a double-click that starts audio, to refresh its look.
  void cmdPlayA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdBacA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdForA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdStopA_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdPlayV_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  // Also gives the screen back its default pointer (the video player shows
  // a busy pointer while a video starts).
  void cmdBacV_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdForV_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  void cmdStopV_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);

  // The pointer on the window's background: the toolbar's hover frame goes,
  // and every lit transport button goes back to its normal picture.
  void Form_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  // The pointer on the frame around the editor: as on the background.
  void Label1_MouseMove(int button = 0, int shift = 0, double x = 0, double y = 0);
  // Every lit button back to normal (Form_MouseMove without the toolbar).
  void unlightAll();

  // A play button was pressed (the pointer is on it): shows the highlighted
  // picture for its marker now. The hover marks are not touched.
  void showPressed(Button play);

  bool isLit(Button b) const { return marks_[static_cast<size_t>(b)] != 0; }

  // "\Files\play.jpg" and the like, as a path below the program folder.
  QString picture(const char* name) const;

  // Clears the toolbar's hover frame; run first by Form_MouseMove.
  void setToolbarHoverClear(std::function<void()> clear) { clearToolbar_ = std::move(clear); }
  // Restores the default pointer; the default clears Qt's override cursors.
  void setDefaultPointer(std::function<void()> restore) { defaultPointer_ = std::move(restore); }

  // Connects the eight buttons' mouse moves to the handlers above.
  void connectControls();

 private:
  enum class Look : signed char { None, Normal, Highlighted };
  void hover(Button b);
  void show(Button b, bool highlighted);
  ui::Control* control(Button b) const;
  bool playing(Button play) const;

  const ui::TransportControls ui_;
  const ui::LanguageTable& lang_;
  QString folder_;
  std::array<qint16, kCount> marks_{};
  // What each button shows, so a lit play button follows its marker.
  std::array<Look, kCount> look_{};
  std::array<bool, kCount> lookPlaying_{};
  std::function<void()> clearToolbar_;
  std::function<void()> defaultPointer_;
};

}  // namespace scenova::audio
