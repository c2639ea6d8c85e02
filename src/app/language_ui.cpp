#include "language_ui.h"

#include "ui/language_table.h"
#include "ui/main_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QTranslator>

namespace scenova::app {

namespace {

// A text the language file does not hold keeps the caption there is: an
// empty menu entry could not be found or read.
void caption(QAction* a, const QString& text) {
  if (a && !text.isEmpty() && text != QStringLiteral("...")) a->setText(text);
}
void caption(QMenu* m, const QString& text) {
  if (m && !text.isEmpty()) m->setTitle(text);
}
void caption(Control* c, const QString& text) {
  if (c && !text.isEmpty()) c->setCaption(text);
}

}  // namespace

QString CambiaLingua2(MainControls& ui, const LanguageTable& L) {
  // Menus.
  caption(ui.mnuFile, L[2]);
  caption(ui.mnuAggiungiMultimedia, L[3] + QStringLiteral("..."));
  caption(ui.mnuOpzioni, L[13]);
  caption(ui.mnuLingua, L[15]);
  caption(ui.mnuGuida, L[16]);
  caption(ui.mnuFaiDonazione, L[17]);
  caption(ui.mnuAggiornamenti, L[18]);
  caption(ui.mnuInfo, L[19]);
  caption(ui.mnuAnnulla, L[21]);
  caption(ui.mnuNuovo, L[42]);
  caption(ui.mnuApri, L[43]);
  caption(ui.mnuSalva, L[44]);
  caption(ui.mnuSalvaConNome, L[45]);
  caption(ui.mnuStampa, L[46]);
  caption(ui.mnuModifica, L[47]);
  caption(ui.mnuTaglia, L[48]);
  caption(ui.mnuCopia, L[49]);
  caption(ui.mnuIncolla, L[50]);
  caption(ui.mnuSelezionaTutto, L[51]);
  caption(ui.mnuTrova, L[56]);
  caption(ui.mnuSostituisci, L[59]);
  caption(ui.mnuStrumenti, L[71]);
  if (ui.mnuStrumenti) ui.mnuStrumenti->menuAction()->setVisible(false);
  caption(ui.mnuOrtografia, L[72]);
  caption(ui.mnuDonazioni, L[74]);
  caption(ui.mnuImpostaAudio, L[81]);
  caption(ui.mnuRipeti, L[82]);
  caption(ui.mnuEsci, L[119]);
  caption(ui.mnuScreenSaver, L[128]);
  caption(ui.mnuAggLingua, L[129]);
  caption(ui.mnuShowMode, L[180]);
  caption(ui.mnuCheckCues, L[185]);
  caption(ui.mnuVersioni, L[131]);
  caption(ui.mnuEsempio, L[261]);
  caption(ui.mnuMonitorSettings, L[132]);
  caption(ui.mnuAddCommand, L[147] + QStringLiteral("..."));
  caption(ui.mnuAddImg, L[149] + QStringLiteral("..."));

  // Toolbar tooltips: 0 -> 98, 1 -> 52, 2 -> 55, 3..14 -> 96 + index,
  // 15 -> 3, 16 -> 147.
  // The same text names the button for screen readers.
  auto tip = [&](int button, int text) {
    if (Control* b = ui.Label2[static_cast<size_t>(button)]) {
      b->setToolTip(L.tooltip(text));
      b->setAccessibleName(L[text].trimmed());
    }
  };
  tip(0, 98);
  tip(1, 52);
  tip(2, 55);
  for (int i = 3; i <= 14; ++i) tip(i, 96 + i);
  tip(15, 3);
  tip(16, 147);

  // Panel labels, font boxes, fade buttons, letters.
  caption(ui.Label9, L[135]);
  caption(ui.Label7, L[141]);
  caption(ui.lblWMP1, L[142]);
  caption(ui.Label8, L[143]);
  caption(ui.Label5, L[146]);
  if (ui.Combo1) {
    ui.Combo1->setToolTip(L.tooltip(111));
    ui.Combo1->setAccessibleName(L[111].trimmed());
  }
  if (ui.Combo2) {
    ui.Combo2->setToolTip(L.tooltip(112));
    ui.Combo2->setAccessibleName(L[112].trimmed());
  }
  for (int i = 0; i < 6; ++i)
    if (Control* b = ui.fadeButtons[static_cast<size_t>(i)]) b->setToolTip(L.tooltip(113 + i));
  caption(ui.Label3[0], L[90]);
  caption(ui.Label3[2], L[91]);
  caption(ui.Label3[3], L[92]);

  // Video transport tooltips, notice label, projector switch.
  if (ui.cmdStopV) ui.cmdStopV->setToolTip(L.tooltip(121));
  if (ui.cmdForV) ui.cmdForV->setToolTip(L.tooltip(125));
  if (ui.cmdBacV) ui.cmdBacV->setToolTip(L.tooltip(126));
  caption(ui.Label11, L[127]);
  if (ui.Label5) ui.Label5->setToolTip(L.tooltip(133));
  if (ui.Check1) ui.Check1->setToolTip(L.tooltip(133));

  return L[97] + QLatin1Char(' ');
}

PlayMarkers readPlayMarkers(const MainControls& ui, const LanguageTable& L) {
  // As the buttons read them: anything but text 7 takes the pause branch.
  return {ui.cmdPlayA->Tag != L[7], ui.cmdPlayV->Tag != L[7]};
}

void writePlayMarkers(MainControls& ui, const LanguageTable& L, PlayMarkers markers) {
  ui.cmdPlayA->Tag = L[markers.audioPlaying ? 8 : 7];
  ui.cmdPlayV->Tag = L[markers.videoPlaying ? 8 : 7];
  if (ui.mnuPlayAudio) ui.mnuPlayAudio->setText(ui.cmdPlayA->Tag);
  if (ui.mnuPlayVideo) ui.mnuPlayVideo->setText(ui.cmdPlayV->Tag);
}

QString languagePath(const QString& programFolder, const QString& languageFile) {
  return programFolder + QStringLiteral("/Lang/") + languageFile;
}

static bool exists(const QString& programFolder, const QString& name) {
  return QFileInfo(languagePath(programFolder, name)).isFile();
}

QString startupLanguageForCountry(const QString& country, const QString& programFolder) {
  QString name = QStringLiteral("English");
  if (country == QStringLiteral("bg"))
    name = QStringLiteral("Bulgarian");
  else if (country == QStringLiteral("br"))
    name = QStringLiteral("Brazilian");
  else if (country == QStringLiteral("fr")) {
    if (exists(programFolder, QString::fromUtf8("Français.lng")))
      name = QString::fromUtf8("Français");
    else if (exists(programFolder, QStringLiteral("French.lng")))
      name = QStringLiteral("French");
  } else if (country == QStringLiteral("it"))
    name = QStringLiteral("Italiano");
  else if (country == QStringLiteral("de"))
    name = QStringLiteral("Deutsch");
  else if (country == QStringLiteral("ru"))
    name = QStringLiteral("Russian");
  return name + QStringLiteral(".lng");
}

QString windowLanguageForCountry(const QString& country, const QString& programFolder) {
  QString name = QStringLiteral("English");
  if (country == QStringLiteral("bg"))
    name = QStringLiteral("Bulgarian");
  else if (country == QStringLiteral("br") || country == QStringLiteral("pt"))
    name = QStringLiteral("Brazilian");
  else if (country == QStringLiteral("fr"))
    name = QString::fromUtf8("Français");
  else if (country == QStringLiteral("it"))
    name = QStringLiteral("Italiano");
  else if (country == QStringLiteral("de"))
    name = QStringLiteral("Deutsch");
  else if (country == QStringLiteral("ru"))
    name = QStringLiteral("Russian");
  const QString file = name + QStringLiteral(".lng");
  return exists(programFolder, file) ? file : QStringLiteral("English.lng");
}

namespace {

// A language text, or the English one while no language file is loaded.
QString textOr(const LanguageTable& table, int index, const char* english) {
  const QString text = table[index];
  return text.isEmpty() ? QString::fromUtf8(english) : text;
}

}  // namespace

QString acceptChosenLanguage(const QString& chosen, const QString& programFolder,
                             LanguageTable& table, QString* reason) {
  const QString folder = QDir(programFolder + QStringLiteral("/Lang")).canonicalPath();
  const QString file = QFileInfo(chosen).canonicalFilePath();
  const QString prefix = folder + QLatin1Char('/');
  if (folder.isEmpty() || file.isEmpty() || !file.startsWith(prefix)) {
    if (reason) {
      *reason = textOr(table, 164,
                       "This language file is not in the program's Lang folder, so it cannot be "
                       "used. The language stays as it was.") +
                QStringLiteral("\n\n") + chosen;
    }
    return {};
  }
  const QString name = file.mid(prefix.size());
  QString error;
  if (!table.load(languagePath(programFolder, name), &error)) {
    if (reason) {
      *reason =
          textOr(table, 165, "This language file cannot be read. The language stays as it was.") +
          QStringLiteral("\n\n") + error;
    }
    return {};
  }
  return name;
}

QString languageGoneNotice(const LanguageTable& table, const QString& file, const QString& reason) {
  return textOr(table, 270,
                "The saved language file cannot be used any more, so the program starts in "
                "English. Choose a language under Options, Language.") +
         QStringLiteral("\n\n") + file + QStringLiteral("\n") + reason;
}

QString qtTranslationLocale(const QString& languageFile) {
  const QString name = QFileInfo(languageFile).completeBaseName().toLower();
  if (name == QStringLiteral("italiano") || name == QStringLiteral("italian"))
    return QStringLiteral("it");
  if (name == QStringLiteral("deutsch") || name == QStringLiteral("german"))
    return QStringLiteral("de");
  if (name == QString::fromUtf8("français") || name == QStringLiteral("french"))
    return QStringLiteral("fr");
  if (name == QStringLiteral("brazilian")) return QStringLiteral("pt_BR");
  if (name == QStringLiteral("bulgarian")) return QStringLiteral("bg");
  if (name == QStringLiteral("russian")) return QStringLiteral("ru");
  return {};
}

bool installQtTranslations(const QString& languageFile) {
  static QPointer<QTranslator> installed;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  const QString locale = qtTranslationLocale(languageFile);
  if (locale.isEmpty()) return false;
  auto* translator = new QTranslator(app);
  if (!translator->load(QStringLiteral("qtbase_") + locale,
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}

QString languageFileFromChosenPath(const QString& path) {
  // Paths arrive with "/" here; a "\Lang\" typed by hand counts the same.
  QString p = path;
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString marker = QStringLiteral("/Lang/");
  const qsizetype at = p.lastIndexOf(marker);
  if (at < 0) return {};
  return p.mid(at + marker.size());
}

}  // namespace scenova::app
