#pragma once

// The colour chooser for the script's text. A fresh object opens on black
// with sixteen empty custom colours; after ShowColor() the outcome is read
// from ColorAnnulla (true when the operator cancelled), RGBResult and
// CustomColors (the dialog's custom colours after a choice; a cancel keeps
// them as they were).

#include <QByteArray>
#include <QColor>
#include <QList>

#include <functional>

class QWidget;

namespace scenova::platform {
class Dialogs;
}

namespace scenova::tools {

class ShowColor {
 public:
  explicit ShowColor(platform::Dialogs& dialogs);

  // 0x00BBGGRR: red in the lowest byte.
  qint32 RGBResult = 0;
  bool ColorAnnulla() const { return annulla_; }
  QWidget* hOwner = nullptr;
  // Sixteen colours of four bytes each (0x00BBGGRR, lowest byte first).
  QByteArray CustomColors() const { return custom_; }
  // Padded with zero bytes or cut to 64.
  void setCustomColors(const QByteArray& block);

  void showColor();

  static QColor toColor(qint32 bgr);
  static qint32 fromColor(const QColor& c);

 private:
  // The block as the dialog's colours, and back (unused slots black).
  QList<QColor> customList() const;
  void setCustomList(const QList<QColor>& colors);

  platform::Dialogs& dialogs_;
  bool annulla_ = false;
  QByteArray custom_;
};

// The toolbar's text-colour command: a fresh chooser each time, owned by
// the window; the chosen colour goes onto the selection, cancel changes
// nothing. Returns whether a colour was applied.
bool chooseSelectionColor(platform::Dialogs& dialogs, QWidget* owner,
                          const std::function<void(const QColor&)>& apply);

}  // namespace scenova::tools
