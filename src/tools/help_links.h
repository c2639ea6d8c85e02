#pragma once

// The help menu's targets and the web links, handed to the desktop's shell
// (it opens them with the associated program and is not waited for).

#include <QString>

#include <functional>

namespace scenova::ui {
class LanguageTable;
}
namespace scenova::platform {
class SystemServices;
}

namespace scenova::tools {

// The product's web site (the project's home page, set where the build
// sets the version): every web link is built from this one address.
extern const char kSiteAddress[];

// kSiteAddress followed by path ("" for the home page).
QString siteUrl(const char* path = "");

class HelpLinks {
 public:
  // notice: shows a short text when the shell could not open a target (no
  // browser, no xdg-open); may be empty.
  HelpLinks(ui::LanguageTable& lang, platform::SystemServices& shell, QString programFolder,
            std::function<void(const QString&)> notice = {});

  // Help/<text 24>.html; when that page is missing, text 24 becomes "Guida"
  // (until the language is loaded again) and that page opens.
  void mnuGuida_Click();
  void mnuVersioni_Click();
  void mnuAggiornamenti_Click();
  void mnuAggLingua_Click();
  void mnuFaiDonazione_Click();
  void lblHomePage_Click();

  // Opens a path or address; false (after the notice) when the shell failed.
  bool open(const QString& target);

 private:
  ui::LanguageTable& lang_;
  platform::SystemServices& shell_;
  QString folder_;
  std::function<void(const QString&)> notice_;
};

}  // namespace scenova::tools
