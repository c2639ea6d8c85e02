#include "main_controls.h"

#include "toolbar_icons.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace scenova::ui {

namespace {

using K = Control::Kind;

Control* make(K kind, const char* name, QWidget* parent, double l, double t, double w, double h,
              const QString& caption = {}) {
  auto* c = new Control(kind, QString::fromLatin1(name), parent);
  twips::setGeometry(c, l, t, w, h);
  if (!caption.isEmpty()) c->setCaption(caption);
  return c;
}

Control* shape(const char* name, QWidget* parent, double l, double t, double w, double h,
               const QColor& fill, const QColor& border = {}) {
  Control* c = make(K::Shape, name, parent, l, t, w, h);
  c->setShapeColors(fill, border);
  return c;
}

QAction* item(QMenu* menu, const char* name, const QString& caption,
              const QKeySequence& shortcut = {}) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  return a;
}

QMenu* menu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* m = bar->addMenu(caption);
  m->setObjectName(QString::fromLatin1(name));
  return m;
}

QString s(const char* utf8) {
  return QString::fromUtf8(utf8);
}

void buildMenus(QMainWindow* window, MainControls& c) {
  QMenuBar* bar = window->menuBar();
  c.mnuFile = menu(bar, "mnuFile", s("&File"));
  c.mnuNuovo = item(c.mnuFile, "mnuNuovo", s("&Nuovo"));
  c.mnuFile->addSeparator()->setObjectName(s("Riga1"));
  c.mnuApri = item(c.mnuFile, "mnuApri", s("&Apri..."));
  c.mnuSalva = item(c.mnuFile, "mnuSalva", s("Sa&lva"), QKeySequence(Qt::CTRL | Qt::Key_L));
  c.mnuSalvaConNome =
      item(c.mnuFile, "mnuSalvaConNome", s("Salva con &nome"), QKeySequence(Qt::CTRL | Qt::Key_N));
  c.mnuFile->addSeparator()->setObjectName(s("riga3"));
  c.mnuStampa = item(c.mnuFile, "mnuStampa", s("Stam&pa..."), QKeySequence(Qt::CTRL | Qt::Key_P));
  c.mnuFile->addSeparator()->setObjectName(s("rf"));
  c.mnuEsci = item(c.mnuFile, "mnuEsci", s("&Esci"));

  c.mnuModifica = menu(bar, "mnuModifica", s("&Modifica"));
  c.mnuAnnulla =
      item(c.mnuModifica, "mnuAnnulla", s("Annulla"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  c.mnuRipeti = item(c.mnuModifica, "mnuRipeti", s("&Ripeti"), QKeySequence(Qt::CTRL | Qt::Key_Y));
  c.mnuModifica->addSeparator()->setObjectName(s("riga4"));
  c.mnuTaglia = item(c.mnuModifica, "mnuTaglia", s("&Taglia"), QKeySequence(Qt::CTRL | Qt::Key_X));
  c.mnuCopia = item(c.mnuModifica, "mnuCopia", s("&Copia"), QKeySequence(Qt::CTRL | Qt::Key_C));
  c.mnuIncolla = item(c.mnuModifica, "mnuIncolla", s("I&ncolla"));
  c.mnuModifica->addSeparator()->setObjectName(s("ra"));
  c.mnuAggiungiMultimedia = item(c.mnuModifica, "mnuAggiungiMultimedia",
                                 s("Aggiungi file multimediale"), QKeySequence(Qt::Key_F5));
  c.mnuAddCommand =
      item(c.mnuModifica, "mnuAddCommand", s("Aggiungi comando"), QKeySequence(Qt::Key_F6));
  c.mnuAddImg = item(c.mnuModifica, "mnuAddImg", s("Aggiungi immagine"), QKeySequence(Qt::Key_F7));
  c.mnuModifica->addSeparator()->setObjectName(s("riga2"));
  c.mnuSelezionaTutto = item(c.mnuModifica, "mnuSelezionaTutto", s("&Seleziona tutto"),
                             QKeySequence(Qt::CTRL | Qt::Key_A));
  c.mnuTrova = item(c.mnuModifica, "mnuTrova", s("Tro&va..."), QKeySequence(Qt::Key_F3));
  c.mnuSostituisci =
      item(c.mnuModifica, "mnuSostituisci", s("S&ostituisci"), QKeySequence(Qt::CTRL | Qt::Key_H));

  c.mnuAudio = menu(bar, "mnuAudio", s("&Audio"));
  c.mnuPlayAudio = item(c.mnuAudio, "mnuPlayAudio", s("Play"));
  c.mnuStopAudio = item(c.mnuAudio, "mnuStopAudio", s("Stop"));
  c.mnuBacAudio = item(c.mnuAudio, "mnuBacAudio", s("<<"));
  c.mnuForAudio = item(c.mnuAudio, "mnuForAudio", s(">>"));
  c.mnuAudio->menuAction()->setVisible(false);  // shown by the first audio cue

  c.mnuVideo = menu(bar, "mnuVideo", s("&Video"));
  c.mnuPlayVideo = item(c.mnuVideo, "mnuPlayVideo", s("Play"));
  c.mnuStopVideo = item(c.mnuVideo, "mnuStopVideo", s("Stop"));
  c.mnuBacVideo = item(c.mnuVideo, "mnuBacVideo", s("<<"));
  c.mnuForVideo = item(c.mnuVideo, "mnuForVideo", s(">>"));
  c.mnuVideo->menuAction()->setVisible(false);  // shown by the first video cue

  c.mnuStrumenti = menu(bar, "mnuStrumenti", s("&Strumenti"));
  c.mnuOrtografia =
      item(c.mnuStrumenti, "mnuOrtografia", s("Controllo ortografico e grammaticale"));

  c.mnuOpzioni = menu(bar, "mnuOpzioni", s("&Opzioni"));
  c.mnuImpostaAudio = item(c.mnuOpzioni, "mnuImpostaAudio", s("Proprietà &Audio..."));
  c.mnuMonitorSettings = item(c.mnuOpzioni, "mnuMonitorSettings", s("Proprietà &Monitor"));
  c.mnuOpzioni->addSeparator()->setObjectName(s("r54"));
  c.mnuScreenSaver = item(c.mnuOpzioni, "mnuScreenSaver", s("Disabilita Screen Saver"));
  c.mnuScreenSaver->setCheckable(true);
  c.mnuOpzioni->addSeparator()->setObjectName(s("rO"));
  c.mnuLingua = item(c.mnuOpzioni, "mnuLingua", s("Lingua..."));
  c.mnuAggLingua = item(c.mnuOpzioni, "mnuAggLingua", s("Aggiungi Lingua..."));
  c.mnuOpzioni->addSeparator()->setObjectName(s("rShow"));
  c.mnuShowMode =
      item(c.mnuOpzioni, "mnuShowMode", s("Modalità spettacolo"), QKeySequence(Qt::Key_F12));
  c.mnuShowMode->setCheckable(true);
  c.mnuCheckCues = item(c.mnuOpzioni, "mnuCheckCues", s("Controlla i file dei cue"));

  c.mnuDonazioni = menu(bar, "mnuDonazioni", s("&Donazioni"));
  c.mnuFaiDonazione = item(c.mnuDonazioni, "mnuFaiDonazione", s("&Fai una donazione"));

  c.mnuHelp = menu(bar, "mnuHelp", s("&?"));
  c.mnuGuida = item(c.mnuHelp, "mnuGuida", s("&Guida..."), QKeySequence(Qt::Key_F1));
  c.mnuEsempio = item(c.mnuHelp, "mnuEsempio", s("Spettacolo di &esempio"));
  c.mnuHelp->addSeparator()->setObjectName(s("rG"));
  c.mnuVersioni = item(c.mnuHelp, "mnuVersioni", s("Versioni"));
  c.mnuAggiornamenti = item(c.mnuHelp, "mnuAggiornamenti", s("&Controlla aggiornamenti..."));
  c.mnuHelp->addSeparator()->setObjectName(s("rO2"));
  c.mnuInfo = item(c.mnuHelp, "mnuInfo", s("&Informazioni sul programma..."),
                   QKeySequence(Qt::CTRL | Qt::Key_F1));
}

void buildToolbar(QWidget* w, MainControls& c) {
  constexpr double kTop = 75, kSize = 390, kStep = 420;
  // Small gaps between the groups: file, style, alignment, size and colour, cues.
  const double gapAfter[17] = {0, 0, 0, 150, 0, 0, 0, 150, 0, 0, 150, 0, 0, 0, 150, 0, 150};
  double x = 120;
  const qreal dpr = w->devicePixelRatioF();
  // Under a dark desktop palette the toolbar is dark: light ink.
  const bool onDark = w->palette().color(QPalette::Window).lightness() < 128;
  for (int i = 0; i < 17; ++i) {
    const QByteArray name = "Label2(" + QByteArray::number(i) + ')';
    Control* b = make(K::Label, name.constData(), w, x, kTop, kSize, kSize);
    b->setAlignment(Qt::AlignCenter);
    if (i < 4 || i > 7) b->setPixmap(toolbarIcon(i, 20, dpr, onDark));
    b->setCursor(Qt::PointingHandCursor);
    c.Label2[static_cast<size_t>(i)] = b;
    x += kStep + gapAfter[i];
  }
  const char* letters[] = {"G", "i", "S", "b"};
  for (int i = 0; i < 4; ++i) {
    const QByteArray name = "Label3(" + QByteArray::number(i) + ')';
    Control* l = make(K::Label, name.constData(), w, 0, 0, kSize, 300, s(letters[i]));
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont f = l->font();
    f.setPixelSize(15);
    f.setBold(i == 0);
    f.setItalic(i == 1);
    f.setUnderline(i == 2);
    f.setStrikeOut(i == 3);
    l->setFont(f);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    c.Label3[static_cast<size_t>(i)] = l;
  }
  c.Shape5 = shape("Shape5", w, 0, 0, kSize, kSize, QColor(), QColor(0x1e, 0x6f, 0xd9));
  c.Shape5->setAttribute(Qt::WA_TransparentForMouseEvents);
  c.Shape5->hide();

  c.Combo1 = new QComboBox(w);
  c.Combo1->setObjectName(s("Combo1"));
  c.Combo1->setEditable(true);
  c.Combo1->setInsertPolicy(QComboBox::NoInsert);
  twips::setGeometry(c.Combo1, x + 60, 75, 2100, 390);
  c.Combo2 = new QComboBox(w);
  c.Combo2->setObjectName(s("Combo2"));
  c.Combo2->setEditable(true);
  c.Combo2->setInsertPolicy(QComboBox::NoInsert);
  twips::setGeometry(c.Combo2, x + 2220, 75, 840, 390);

  auto line = [&](const char* name, double top) {
    auto* f = new QFrame(w);
    f->setObjectName(s(name));
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    twips::setGeometry(f, 0, top, design::kMinWidth, 30);
    return f;
  };
  c.Line1 = line("Line1", 0);
  c.Line2 = line("Line2", 525);
}

QFrame* panel(QWidget* parent, const char* name, double l, double t, double w, double h) {
  auto* f = new QFrame(parent);
  f->setObjectName(s(name));
  f->setFrameShape(QFrame::StyledPanel);
  f->setAutoFillBackground(true);
  twips::setGeometry(f, l, t, w, h);
  return f;
}

Control* title(const char* name, QWidget* parent, double l, double t, double w, double h,
               const QString& caption) {
  Control* c = make(K::Label, name, parent, l, t, w, h, caption);
  QFont f = c->font();
  f.setBold(true);
  c->setFont(f);
  return c;
}

// The counters lie on a light fill of their own: dark text whatever the
// desktop palette says (a dark one would make it white on light grey).
void counterInk(Control* counter) {
  QPalette pal = counter->palette();
  pal.setColor(QPalette::WindowText, QColor(0x1f, 0x29, 0x33));
  counter->setPalette(pal);
}

void buildAudioPanel(QWidget* w, MainControls& c) {
  QFrame* p = c.Picture2 = panel(w, "Picture2", 0, 600, design::kPanelWidth, 3150);

  // Volume slider and fades.
  c.Label7 = title("Label7", p, 120, 210, 960, 225, s("Volume"));
  c.Image3 = make(K::Image, "Image3", p, 1125, 255, 90, 1200);
  c.Image3->setShapeColors(QColor(0xc9, 0xd1, 0xdb), QColor(0x8a, 0x96, 0xa5));
  c.Image2 = make(K::Image, "Image2", p, 990, 1125, 375, 195);
  c.Image2->setShapeColors(QColor(0x3b, 0x4a, 0x5c), QColor(0x22, 0x2b, 0x36));
  c.Image2->setToolTip(s(" Volume "));
  c.Label6 = make(K::Label, "Label6", p, 285, 600, 525, 330, s("100"));
  c.Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  c.Label9 = title("Label9", p, 1740, 210, 1300, 225, s("Fade"));
  const char* fadeNames[] = {"Image4", "Image5", "Image6", "Image7", "Image8", "Image9"};
  const char* fadeTips[] = {" Alza Velocemente ",    " Alza Normalmente ",
                            " Alza Lentamente ",     " Abbassa Velocemente ",
                            " Abbassa Normalmente ", " Abbassa Lentamente "};
  for (int i = 0; i < 6; ++i) {
    const double l = i < 3 ? 1740 : 2400, t = 480 + (i % 3) * 360;
    Control* b = make(K::Image, fadeNames[i], p, l, t, 570, 330);
    b->setToolTip(s(fadeTips[i]));
    b->setCursor(Qt::PointingHandCursor);
    c.fadeButtons[static_cast<size_t>(i)] = b;
  }

  // Audio transport.
  c.Shape9 = shape("Shape9", p, 60, 1560, design::kPanelWidth - 120, 1530, QColor(),
                   QColor(0xb8, 0xc2, 0xce));
  c.Shape9->hide();
  c.lblWMP1 = title("lblWMP1", p, 150, 1620, 2700, 255, s("Audio Player"));
  c.lblWMP1->hide();
  c.Label4 = make(K::Label, "Label4", p, 2880, 1620, 180, 255, s("+"));
  c.Label4->hide();
  const char* buttons[] = {"cmdBacA", "cmdPlayA", "cmdStopA", "cmdForA"};
  Control** slots[] = {&c.cmdBacA, &c.cmdPlayA, &c.cmdStopA, &c.cmdForA};
  for (int i = 0; i < 4; ++i) {
    Control* b = make(K::Image, buttons[i], p, 330 + i * 660, 1980, 540, 540);
    b->setEnabled(false);
    b->hide();
    b->setCursor(Qt::PointingHandCursor);
    *slots[i] = b;
  }
  c.Shape2 = shape("Shape2", p, 150, 2640, design::kPanelWidth - 300, 300, QColor(0xe6, 0xea, 0xef),
                   QColor(0xa9, 0xb4, 0xc1));
  c.Shape2->hide();
  c.Shape1 = shape("Shape1", p, 150, 2640, 1, 300, QColor(0x7f, 0xb2, 0xf0));
  c.Shape1->hide();
  c.lblContatore = make(K::Label, "lblContatore", p, 150, 2640, design::kPanelWidth - 300, 300);
  c.lblContatore->setAlignment(Qt::AlignCenter);
  counterInk(c.lblContatore);
}

void buildVideoPanel(QWidget* w, MainControls& c) {
  QFrame* p = c.Picture3 = panel(w, "Picture3", 0, 3840, design::kPanelWidth, 1695);
  p->hide();  // shown by the first video or MIDI cue
  c.Label8 = title("Label8", p, 150, 30, design::kPanelWidth - 300, 240, s("Video Player"));
  c.Shape6 = shape("Shape6", p, 60, 240, design::kPanelWidth - 120, 1425, QColor(),
                   QColor(0xb8, 0xc2, 0xce));
  const char* buttons[] = {"cmdBacV", "cmdPlayV", "cmdStopV", "cmdForV"};
  Control** slots[] = {&c.cmdBacV, &c.cmdPlayV, &c.cmdStopV, &c.cmdForV};
  for (int i = 0; i < 4; ++i) {
    Control* b = make(K::Image, buttons[i], p, 390 + i * 660, 330, 480, 480);
    b->setCursor(Qt::PointingHandCursor);
    *slots[i] = b;
  }
  c.Shape8 = shape("Shape8", p, 150, 915, design::kPanelWidth - 300, 285, QColor(0xe6, 0xea, 0xef),
                   QColor(0xa9, 0xb4, 0xc1));
  c.Shape8->hide();
  c.Shape7 = shape("Shape7", p, 150, 915, 1, 285, QColor(0x7f, 0xb2, 0xf0));
  c.lblContatoreV = make(K::Label, "lblContatoreV", p, 150, 915, design::kPanelWidth - 300, 285,
                         s("00:00 / 00:00"));
  c.lblContatoreV->setAlignment(Qt::AlignCenter);
  counterInk(c.lblContatoreV);
  c.Check1 = new QCheckBox(p);
  c.Check1->setObjectName(s("Check1"));
  twips::setGeometry(c.Check1, 180, 1305, 285, 285);
  c.Label5 = make(K::Label, "Label5", p, 510, 1305, 2500, 285, s("Visualizza su proiettore"));
}

}  // namespace

MainControls buildMainControls(QMainWindow* window, QWidget* editor, QWidget* player) {
  MainControls c;
  buildMenus(window, c);
  auto* central = new QWidget(window);
  central->setObjectName(s("central"));
  central->setMouseTracking(true);
  window->setCentralWidget(central);
  c.central = central;
  buildToolbar(central, c);

  c.Label1 = make(K::Label, "Label1", central, 120, 630, 6000, 5000);
  c.Label1->setFrameShape(QFrame::StyledPanel);
  c.RTB = editor;
  editor->setParent(central);
  editor->setObjectName(s("RTB"));
  twips::setGeometry(editor, 180, 690, 5880, 4880);

  buildAudioPanel(central, c);
  buildVideoPanel(central, c);

  c.WMP2 = player;
  player->setParent(central);
  player->setObjectName(s("WMP2"));
  twips::setGeometry(player, 0, 3840 + design::kVideoPreviewOffset, design::kPanelWidth, 2100);
  player->hide();

  c.imgZoom = make(K::Image, "imgZoom", central, 0, 0, 1, 1);
  c.imgZoom->setScaledContents(true);
  c.imgZoom->hide();

  c.Label11 = make(K::Label, "Label11", central, 120, 0, 6000, 360);
  c.Label11->setStyleSheet(
      s("background: #fff4c2; color: #5a4300; border: 1px solid #e0c25a; padding-left: 6px;"));
  c.Label11->hide();
  return c;
}

}  // namespace scenova::ui
