#pragma once

// The About box: the product's name and release, and a panel of credits
// that scrolls upwards in a loop, pausing once its end has come into view.
// The main window is hidden while the box is open.

#include "ui/controls.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QFrame;

namespace scenova::ui {
class LanguageTable;
}

namespace scenova::tools {

// "1.3.0.1": major, minor, 0 and revision of the program's version.
QString releaseNumber();
// "Rel. 1.3.0.1", as the About box shows it.
QString releaseText();

class FrmInfo : public QWidget {
  Q_OBJECT
 public:
  static constexpr double kStartTop = 2200;  // twips: just above the viewport's bottom
  static constexpr double kStep = 10;
  static constexpr int kPauseTicks = 120;

  // showMain: brings the main window back when the box goes.
  FrmInfo(const QString& programFolder, std::function<void()> showMain, QWidget* parent = nullptr);

  QTimer Timer1;
  QWidget* Picture1 = nullptr;  // the viewport
  QWidget* Picture2 = nullptr;  // the credits panel inside it
  ui::Control *lblHomePageCap = nullptr, *Image1 = nullptr, *lblCopyright = nullptr,
              *lblHomePage = nullptr, *lblDescription = nullptr, *lblVersion = nullptr,
              *lblTitle = nullptr, *imgTitle = nullptr;
  QFrame* Frame1 = nullptr;

  void Form_Load();
  // Captions from the language table, the release, the title.
  void setTexts(const ui::LanguageTable& lang);
  void Timer1_Timer();
  void Form_Click();
  void Picture1_KeyDown(int keyCode, int shift);
  void Form_Unload();
  qint16 pauseCount() const { return pause_; }

 Q_SIGNALS:
  void homePageClicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> showMain_;
  qint16 pause_ = 0;
  bool unloaded_ = false;
};

}  // namespace scenova::tools
