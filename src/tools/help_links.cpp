#include "tools/help_links.h"

#include "platform/system_services.h"
#include "ui/language_table.h"

#include <QFileInfo>

namespace scenova::tools {

const char kSiteAddress[] = SCENOVA_SITE_ADDRESS;

QString siteUrl(const char* path) {
  return QLatin1StringView(kSiteAddress) + QLatin1StringView(path);
}

HelpLinks::HelpLinks(ui::LanguageTable& lang, platform::SystemServices& shell,
                     QString programFolder, std::function<void(const QString&)> notice)
    : lang_(lang), shell_(shell), folder_(std::move(programFolder)), notice_(std::move(notice)) {}

bool HelpLinks::open(const QString& target) {
  if (shell_.openDocument(target)) return true;
  if (notice_) notice_(lang_[174] + QLatin1Char(' ') + target);
  return false;
}

void HelpLinks::mnuGuida_Click() {
  auto page = [this]() -> QString {
    return folder_ + QStringLiteral("/Help/") + lang_[24] + u".html";
  };
  if (!QFileInfo(page()).isFile()) lang_.setText(24, QStringLiteral("Guida"));
  open(page());
}

void HelpLinks::mnuVersioni_Click() {
  open(folder_ + QStringLiteral("/Versioni.txt"));
}

void HelpLinks::mnuAggiornamenti_Click() {
  open(siteUrl("scenova.html"));
}

void HelpLinks::mnuAggLingua_Click() {
  open(siteUrl("lingue--languages.html"));
}

void HelpLinks::mnuFaiDonazione_Click() {
  open(siteUrl("donazioni--donation.html"));
}

void HelpLinks::lblHomePage_Click() {
  open(siteUrl());
}

}  // namespace scenova::tools
