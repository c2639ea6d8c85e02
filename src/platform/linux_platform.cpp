#include "linux_platform.h"

#include "platform/file_association.h"
#include "platform/safe_read.h"
#include "platform/safe_write.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>
#include <cerrno>
#include <clocale>
#include <csignal>

namespace scenova::platform {

QString countryFromLocaleName(const QString& localeName) {
  // language[_territory][.codeset][@modifier]
  QString name = localeName;
  const qsizetype cut = name.indexOf(QLatin1Char('.'));
  if (cut >= 0) name.truncate(cut);
  const qsizetype at = name.indexOf(QLatin1Char('@'));
  if (at >= 0) name.truncate(at);
  const qsizetype sep = name.indexOf(QLatin1Char('_'));
  if (sep < 0) return {};
  const QString territory = name.mid(sep + 1);
  if (territory.size() != 2) return {};
  return territory.toLower();
}

// --- dialogs ---------------------------------------------------------------

MsgAnswer QtDialogs::messageBox(QWidget* owner, const QString& text, const QString& title,
                                MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(owner);
  box.setText(text);
  box.setWindowTitle(title.isEmpty() ? QCoreApplication::applicationName() : title);
  switch (icon) {
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::None:
      break;
  }
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  const int r = box.exec();
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  switch (r) {
    case QMessageBox::Ok:
      return MsgAnswer::Ok;
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    default:
      return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
  }
}

QString QtDialogs::fileDialog(const FileDialogRequest& request) {
  QStringList filters;
  for (const FileFilter& f : request.filters) {
    QString patterns = f.patterns;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    filters << f.description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  QFileDialog dialog(request.owner, request.title,
                     request.initialFolder.isEmpty() ? QDir::currentPath() : request.initialFolder);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters.at(request.filterIndex - 1));
  dialog.setDefaultSuffix(request.defaultExtension);
  dialog.setAcceptMode(request.forOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.forOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // The callers ask about overwriting themselves.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool QtDialogs::printDialog(QWidget* owner, PrintChoice& choice) {
  return print_ && print_(owner, choice);
}

std::optional<QColor> QtDialogs::colorDialog(QWidget* owner, const QColor& initial,
                                             QList<QColor>& customColors) {
  // Qt keeps one set of custom colours for the whole program: each dialog
  // gets exactly the caller's (the slots beyond them empty).
  const int slots = QColorDialog::customCount();
  for (int i = 0; i < slots; ++i)
    QColorDialog::setCustomColor(i, i < customColors.size() ? customColors[i] : QColor(Qt::white));
  const QColor c = QColorDialog::getColor(initial, owner);
  if (!c.isValid()) return std::nullopt;
  customColors.clear();
  for (int i = 0; i < slots; ++i) customColors.append(QColorDialog::customColor(i));
  return c;
}

std::optional<int> QtDialogs::choiceDialog(QWidget* owner, const QString& title,
                                           const QString& prompt, const QStringList& items,
                                           int current) {
  QInputDialog dialog(owner);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setComboBoxItems(items);
  dialog.setComboBoxEditable(false);
  // A list shows every entry at once, as the operator looks for one.
  dialog.setOption(QInputDialog::UseListViewForComboBoxItems, true);
  if (current >= 0 && current < items.size()) dialog.setTextValue(items.at(current));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const qsizetype at = items.indexOf(dialog.textValue());
  if (at < 0) return std::nullopt;
  return static_cast<int>(at);
}

// --- environment -----------------------------------------------------------

ProgramLayout programLayout(const QString& executableFolder) {
  const QString beside = QDir::cleanPath(executableFolder);
  if (QFileInfo(beside + QStringLiteral("/Lang")).isDir()) return {beside, false};
  const QString shared = QDir::cleanPath(beside + QStringLiteral("/../share/scenova"));
  if (QFileInfo(shared + QStringLiteral("/Lang")).isDir()) return {shared, true};
  return {beside, false};
}

LinuxEnvironment::LinuxEnvironment(QString programFolder) : folder_(std::move(programFolder)) {}

const ProgramLayout& LinuxEnvironment::layout() const {
  if (!layout_) {
    layout_ = folder_.isEmpty() ? programLayout(QCoreApplication::applicationDirPath())
                                : ProgramLayout{folder_, false};
  }
  return *layout_;
}

QString LinuxEnvironment::programFolder() const {
  return layout().folder;
}

bool LinuxEnvironment::installed() const {
  return layout().installed;
}

QString LinuxEnvironment::countryCode() const {
  // The same order of precedence as the C library: LC_ALL, LC_MESSAGES, LANG.
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QString value = qEnvironmentVariable(var);
    if (!value.isEmpty()) return countryFromLocaleName(value);
  }
  return {};
}

QStringList LinuxEnvironment::fontFamilies() const {
  return QFontDatabase::families();
}

QString LinuxEnvironment::userConfigFolder() const {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/scenova");
}

// --- previous instance -----------------------------------------------------

static QString lockFolder() {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QFileInfo(dir).isWritable()) dir = QDir::tempPath();
  return dir;
}

LockFileInstanceGuard::LockFileInstanceGuard(const QString& programFolder) {
  const QByteArray key = QCryptographicHash::hash(QDir(programFolder).canonicalPath().toUtf8(),
                                                  QCryptographicHash::Sha1)
                             .toHex()
                             .left(16);
  path_ = lockFolder() + QStringLiteral("/scenova-") + QString::number(getuid()) +
          QLatin1Char('-') + QString::fromLatin1(key) + QStringLiteral(".lock");
}

LockFileInstanceGuard::~LockFileInstanceGuard() = default;

bool LockFileInstanceGuard::previousInstanceRunning() {
  if (checked_) return previous_;
  checked_ = true;
  lock_ = std::make_unique<QLockFile>(path_);
  lock_->setStaleLockTime(0);  // only a dead owner makes a lock stale
  previous_ = !lock_->tryLock(0);
  if (previous_) {
    // A lock whose owner is gone is stale whatever its age: take it over.
    qint64 pid = 0;
    QString host, app;
    if (lock_->getLockInfo(&pid, &host, &app) && pid > 0 &&
        ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      lock_->removeStaleLockFile();
      previous_ = !lock_->tryLock(0);
    }
  }
  return previous_;
}

// --- system services -------------------------------------------------------

bool LinuxSystemServices::startDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool LinuxSystemServices::isInstalled(const QString& program) const {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

bool LinuxSystemServices::openDocument(const QString& pathOrUrl) {
  const QUrl url = QUrl::fromUserInput(pathOrUrl, QDir::currentPath(), QUrl::AssumeLocalFile);
  return QDesktopServices::openUrl(url);
}

void LinuxSystemServices::registerScriptType(const QString& programFolder) {
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  registerScriptFileType(programFolder, data, config);
}

}  // namespace scenova::platform
