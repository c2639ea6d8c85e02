#pragma once

// Every control of the main window, by the names the handlers use.

#include "controls.h"

#include <QPointer>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QMainWindow;
class QMenu;
class QTextEdit;
class QWidget;

namespace scenova::ui {

// The window's controls come in views, one per part of the window; a
// subsystem takes only the views it works on. MainControls holds them all.

// The menus that belong to no panel.
struct MenuControls {
  QMenu* mnuFile = nullptr;
  QAction *mnuNuovo = nullptr, *mnuApri = nullptr, *mnuSalva = nullptr, *mnuSalvaConNome = nullptr,
          *mnuStampa = nullptr, *mnuEsci = nullptr;
  QMenu* mnuModifica = nullptr;
  QAction *mnuAnnulla = nullptr, *mnuRipeti = nullptr, *mnuTaglia = nullptr, *mnuCopia = nullptr,
          *mnuIncolla = nullptr, *mnuAggiungiMultimedia = nullptr, *mnuAddCommand = nullptr,
          *mnuAddImg = nullptr, *mnuSelezionaTutto = nullptr, *mnuTrova = nullptr,
          *mnuSostituisci = nullptr;
  QMenu* mnuStrumenti = nullptr;
  QAction* mnuOrtografia = nullptr;
  QMenu* mnuOpzioni = nullptr;
  QAction *mnuImpostaAudio = nullptr, *mnuMonitorSettings = nullptr, *mnuScreenSaver = nullptr,
          *mnuLingua = nullptr, *mnuAggLingua = nullptr, *mnuShowMode = nullptr,
          *mnuCheckCues = nullptr;
  QMenu* mnuDonazioni = nullptr;
  QAction* mnuFaiDonazione = nullptr;
  QMenu* mnuHelp = nullptr;
  QAction *mnuGuida = nullptr, *mnuEsempio = nullptr, *mnuVersioni = nullptr,
          *mnuAggiornamenti = nullptr, *mnuInfo = nullptr;
};

// Toolbar: seventeen buttons, the letters over buttons 4 to 7, the hover
// frame and the two font boxes. Label2(15).Tag holds the current cue.
struct ToolbarControls {
  std::array<Control*, 17> Label2{};
  std::array<Control*, 4> Label3{};
  Control* Shape5 = nullptr;
  QComboBox* Combo1 = nullptr;  // font name
  QComboBox* Combo2 = nullptr;  // font size
  QFrame* Line1 = nullptr;
  QFrame* Line2 = nullptr;
};

// The editor with its frame, the notice label over it and the window's
// client area. RTB is the script editor widget.
struct EditorControls {
  Control* Label1 = nullptr;
  QWidget* RTB = nullptr;
  Control* Label11 = nullptr;  // notice label
  QWidget* central = nullptr;
};

// Audio panel with the volume slider and the fade buttons, and the Audio
// menu.
struct AudioPanelControls {
  QMenu* mnuAudio = nullptr;
  QAction *mnuPlayAudio = nullptr, *mnuStopAudio = nullptr, *mnuBacAudio = nullptr,
          *mnuForAudio = nullptr;
  QFrame* Picture2 = nullptr;
  Control *lblWMP1 = nullptr, *cmdPlayA = nullptr, *cmdStopA = nullptr, *cmdForA = nullptr,
          *cmdBacA = nullptr, *lblContatore = nullptr, *Shape1 = nullptr, *Shape2 = nullptr,
          *Shape9 = nullptr, *Label4 = nullptr;
  Control *Image2 = nullptr, *Image3 = nullptr, *Label6 = nullptr, *Label7 = nullptr,
          *Label9 = nullptr;
  std::array<Control*, 6> fadeButtons{};  // Image4 .. Image9
};

// Video panel, the main window's media player and picture preview below it,
// and the Video menu.
struct VideoPanelControls {
  QMenu* mnuVideo = nullptr;
  QAction *mnuPlayVideo = nullptr, *mnuStopVideo = nullptr, *mnuBacVideo = nullptr,
          *mnuForVideo = nullptr;
  QFrame* Picture3 = nullptr;
  Control *Label8 = nullptr, *cmdPlayV = nullptr, *cmdStopV = nullptr, *cmdForV = nullptr,
          *cmdBacV = nullptr, *lblContatoreV = nullptr, *Shape7 = nullptr, *Shape8 = nullptr,
          *Shape6 = nullptr, *Label5 = nullptr;
  QCheckBox* Check1 = nullptr;
  QWidget* WMP2 = nullptr;  // the main window's media player widget
  Control* imgZoom = nullptr;
};

// The two transport panels, whose buttons share one hover look.
struct TransportControls {
  AudioPanelControls& audio;
  VideoPanelControls& video;
  Control* Label1;  // leaving the panels over the editor frame clears the look
};

struct MainControls : MenuControls,
                      ToolbarControls,
                      EditorControls,
                      AudioPanelControls,
                      VideoPanelControls {
  AudioPanelControls& audio() { return *this; }
  VideoPanelControls& video() { return *this; }
  ToolbarControls& toolbar() { return *this; }
  EditorControls& editor() { return *this; }
  TransportControls transport() { return {*this, *this, Label1}; }
};

// Builds every control on the window with its design geometry (twips) and
// its built-in Italian captions. The editor widget and the player widget are
// created by the caller and passed in.
MainControls buildMainControls(QMainWindow* window, QWidget* editor, QWidget* player);

// Design constants the handlers share.
namespace design {
constexpr double kMinWidth = 11340, kMinHeight = 8535;
constexpr double kPanelWidth = 3195;
constexpr double kVideoPreviewOffset = 1695 + 90;  // WMP2 and imgZoom below the video panel
}  // namespace design

}  // namespace scenova::ui
