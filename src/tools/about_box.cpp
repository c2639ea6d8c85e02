#include "tools/about_box.h"

#include "ui/language_table.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>

#ifndef SCENOVA_VERSION_MAJOR
#error "the build defines the program's version"
#endif

namespace scenova::tools {

namespace tw = ui::twips;

QString releaseText() {
  return QStringLiteral("Rel. ") + releaseNumber();
}

QString releaseNumber() {
  return QStringLiteral("%1.%2.0.%3")
      .arg(SCENOVA_VERSION_MAJOR)
      .arg(SCENOVA_VERSION_MINOR)
      .arg(SCENOVA_VERSION_REVISION);
}

namespace {
ui::Control* label(QWidget* parent, const char* name, const QString& text, double l, double t,
                   double w, double h) {
  auto* c = new ui::Control(ui::Control::Kind::Label, QString::fromLatin1(name), parent);
  c->setCaption(text);
  c->setWordWrap(true);
  tw::setGeometry(c, l, t, w, h);
  return c;
}
ui::Control* image(QWidget* parent, const char* name, const QString& file, double l, double t,
                   double w, double h) {
  auto* c = new ui::Control(ui::Control::Kind::Image, QString::fromLatin1(name), parent);
  tw::setGeometry(c, l, t, w, h);
  c->setPicture(file);
  return c;
}
}  // namespace

FrmInfo::FrmInfo(const QString& programFolder, std::function<void()> showMain, QWidget* parent)
    : QWidget(parent, Qt::Window), showMain_(std::move(showMain)) {
  setObjectName(QStringLiteral("frmInfo"));
  setWindowTitle(QStringLiteral("About"));
  setAttribute(Qt::WA_DeleteOnClose);
  tw::setWidth(this, 6480);
  tw::setHeight(this, 3840);
  setFixedSize(size());
  Timer1.setTimerType(Qt::PreciseTimer);
  Timer1.setInterval(0);
  connect(&Timer1, &QTimer::timeout, this, &FrmInfo::Timer1_Timer);

  const QString logo = programFolder + QStringLiteral("/Files/scenova.png");
  Picture1 = new QWidget(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  tw::setGeometry(Picture1, 240, 1200, 5940, 2235);
  Picture1->setFocusPolicy(Qt::StrongFocus);
  Picture1->installEventFilter(this);
  Picture2 = new QWidget(Picture1);
  Picture2->setObjectName(QStringLiteral("Picture2"));
  tw::setGeometry(Picture2, 60, kStartTop, 5775, 4155);
  lblDescription =
      label(Picture2, "lblDescription", QStringLiteral("Descrizione"), 0, 0, 5775, 1100);
  Image1 = image(Picture2, "Image1", logo, 2347, 1250, 1080, 1080);
  lblCopyright = label(Picture2, "lblCopyright", QStringLiteral("© Scenova"), 0, 2500, 5775, 700);
  lblCopyright->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lblHomePageCap =
      label(Picture2, "lblHomePageCap", QStringLiteral("Home Page:"), 0, 3400, 5775, 300);
  lblHomePage = label(Picture2, "lblHomePage", QString(), 0, 3750, 5775, 300);
  lblHomePage->setStyleSheet(QStringLiteral("color: red;"));
  lblHomePage->setCursor(Qt::PointingHandCursor);
  connect(lblHomePage, &ui::Control::Click, this, &FrmInfo::homePageClicked);

  Frame1 = new QFrame(this);
  Frame1->setFrameShape(QFrame::HLine);
  tw::setGeometry(Frame1, 240, 1140, 5940, 30);
  imgTitle = image(this, "imgTitle", logo, 240, 180, 840, 840);
  lblTitle = label(this, "lblTitle", QStringLiteral("Scenova Free"), 1260, 360, 2400, 540);
  QFont big = lblTitle->font();
  big.setPointSize(20);
  big.setBold(true);
  lblTitle->setFont(big);
  lblTitle->setWordWrap(false);
  lblVersion = label(this, "lblVersion", QStringLiteral("Rel. 1.0"), 3800, 540, 2000, 360);
  lblVersion->setWordWrap(false);
}

void FrmInfo::Form_Load() {
  Timer1.setInterval(10);
  Timer1.start();
  tw::setTop(Picture2, kStartTop);
  pause_ = 0;
}

void FrmInfo::setTexts(const ui::LanguageTable& lang) {
  const QString about = lang[19];
  setWindowTitle(ui::StripAmpersands(about.left(std::max<qsizetype>(0, about.size() - 3))));
  lblTitle->setCaption(QStringLiteral("Scenova"));
  lblVersion->setCaption(releaseText());
  lblDescription->setCaption(lang[22]);
  lblCopyright->setCaption(lblCopyright->caption() + QStringLiteral(" - ") + lang[23]);
  lblHomePageCap->setCaption(lang[14] + QLatin1Char(':'));
  // The release follows the title, whatever the title's width in this font.
  tw::setWidth(lblTitle, lblTitle->sizeHint().width() * ui::kTwipsPerPixel);
  tw::setLeft(lblVersion, tw::left(lblTitle) + tw::width(lblTitle) + 100);
}

void FrmInfo::Timer1_Timer() {
  const double top = tw::top(Picture2);
  if (top > tw::height(Picture1) - tw::height(Picture2)) {
    tw::setTop(Picture2, top - kStep);
  } else {
    // The end is in view: hold it for a while, then scroll on.
    ++pause_;
    if (pause_ > kPauseTicks) tw::setTop(Picture2, top - kStep);
  }
  if (tw::top(Picture2) < -tw::height(Picture2)) {
    tw::setTop(Picture2, kStartTop);
    pause_ = 0;
  }
}

void FrmInfo::Form_Click() {
  Timer1.stop();
  Timer1.setInterval(0);
  close();
}

void FrmInfo::Picture1_KeyDown(int keyCode, int) {
  if (keyCode == 27) close();
}

void FrmInfo::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  Timer1.stop();
  Timer1.setInterval(0);
  if (showMain_) showMain_();
}

void FrmInfo::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  Form_Click();
}

void FrmInfo::closeEvent(QCloseEvent* e) {
  Form_Unload();
  e->accept();
}

bool FrmInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picture1 && event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Picture1_KeyDown(27, 0);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace scenova::tools
