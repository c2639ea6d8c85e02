#pragma once

#include <QString>

namespace scenova::ui {
class Control;
class LanguageTable;
struct MainControls;
}  // namespace scenova::ui

namespace scenova::app {

using ui::Control;
using ui::LanguageTable;
using ui::MainControls;

// Writes the language texts into every caption and tooltip of the main
// window. Returns the untitled-script stem (text 97 and one blank).
QString CambiaLingua2(MainControls& ui, const LanguageTable& lang);

// Which way the two play buttons go at their next press. Their markers
// (cmdPlayA.Tag, cmdPlayV.Tag) hold text 7 or 8 of the language they were
// set in: read them before a language change, write them after it, so
// that a press after the change still goes the right way.
struct PlayMarkers {
  bool audioPlaying = false;
  bool videoPlaying = false;
};
PlayMarkers readPlayMarkers(const MainControls& ui, const LanguageTable& lang);
void writePlayMarkers(MainControls& ui, const LanguageTable& lang, PlayMarkers markers);

// Language chosen by country at start-up (before the window exists) and by
// the window when the settings name none. Both return a file name ending in
// ".lng". The window variant falls back to English when the file is missing.
QString startupLanguageForCountry(const QString& country, const QString& programFolder);
QString windowLanguageForCountry(const QString& country, const QString& programFolder);

// The language file name taken from a path chosen in the language dialog:
// what follows the last "/Lang/" (or "\Lang\"), compared case-exactly;
// empty when the path has none.
QString languageFileFromChosenPath(const QString& path);

// Takes a file chosen in the language dialog when the program can read it
// from its own Lang folder, where the next start looks for it: the file (a
// link followed) must lie in that folder or below it and load into table.
// Returns its name relative to the Lang folder, or empty with the reason in
// *reason (the language texts 164 and 165, then the file) and table as it
// was.
QString acceptChosenLanguage(const QString& chosen, const QString& programFolder,
                             LanguageTable& table, QString* reason);

// The notice for a saved language file that cannot be used at start-up:
// text 270, the file and the reason.
QString languageGoneNotice(const LanguageTable& table, const QString& file, const QString& reason);

// The locale of Qt's own translations (standard buttons, file dialogs)
// for a language file: "it", "pt_BR"...; empty for English or a language
// Qt has none for.
QString qtTranslationLocale(const QString& languageFile);

// Puts Qt's own translations for the language file in place of the ones
// installed before (none for English), so that Yes/No/Cancel and the file
// dialogs speak the window's language. Returns whether one was installed.
bool installQtTranslations(const QString& languageFile);

// Path of a language file in the program's own Lang folder.
QString languagePath(const QString& programFolder, const QString& languageFile);

}  // namespace scenova::app
