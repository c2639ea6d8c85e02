#include "tools/frm_find.h"

#include "platform/dialogs.h"
#include "platform/rtb/rtb.h"
#include "tools/find_replace.h"
#include "tools/script_undo.h"
#include "ui/language_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace scenova::tools {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// Blanks (U+0020) only, as typed around a word.
QString trimBlanks(const QString& text) {
  qsizetype from = 0, to = text.size();
  while (from < to && text.at(from) == u' ') ++from;
  while (to > from && text.at(to - 1) == u' ') --to;
  return text.mid(from, to - from);
}

void addToHistory(QComboBox* box) {
  const QString text = box->currentText();
  if (box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) return;
  if (trimBlanks(text).isEmpty()) return;
  box->addItem(text);
}

}  // namespace

frmFind::frmFind(platform::RTB& editor, const ui::LanguageTable& lang, platform::Dialogs& dialogs,
                 ScriptUndo* undo, bool replaceMode, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      lang_(lang),
      dialogs_(dialogs),
      undo_(undo),
      replaceMode_(replaceMode) {
  setObjectName(QStringLiteral("frmFind"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();
  Form_Load();
}

void frmFind::buildControls() {
  auto combo = [this](const char* name) {
    auto* c = new QComboBox(this);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(28);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    c->lineEdit()->installEventFilter(this);
    c->installEventFilter(this);
    c->setAcceptDrops(true);
    return c;
  };
  auto button = [this](const char* name) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  cboFind = combo("cboFind");
  cboReplace = combo("cboReplace");
  lblFind = new QLabel(this);
  lblReplace = new QLabel(this);
  lblFind->setBuddy(cboFind);
  lblReplace->setBuddy(cboReplace);
  cmdFind = button("cmdFind");
  cmdFind->setDefault(true);
  cmdReplace = button("cmdReplace");
  cmdReplaceAll = button("cmdReplaceAll");
  cmdCancel = button("cmdCancel");
  Frame1 = new QGroupBox(this);
  chkWholeWord = new QCheckBox(Frame1);
  chkMatchCase = new QCheckBox(Frame1);
  auto* options = new QVBoxLayout(Frame1);
  options->addWidget(chkWholeWord);
  options->addWidget(chkMatchCase);

  auto* fields = new QGridLayout;
  fields->addWidget(lblFind, 0, 0);
  fields->addWidget(cboFind, 0, 1);
  fields->addWidget(lblReplace, 1, 0);
  fields->addWidget(cboReplace, 1, 1);
  fields->addWidget(Frame1, 2, 0, 1, 2);
  fields->setColumnStretch(1, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {cmdFind, cmdReplace, cmdReplaceAll, cmdCancel}) buttons->addWidget(b);
  buttons->addStretch();
  auto* all = new QHBoxLayout(this);
  all->addLayout(fields, 1);
  all->addLayout(buttons);

  connect(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
  connect(cmdReplace, &QPushButton::clicked, this, &frmFind::cmdReplace_Click);
  connect(cmdReplaceAll, &QPushButton::clicked, this, &frmFind::cmdReplaceAll_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
  // Choosing an earlier search makes the next search start at the top.
  connect(cboFind, &QComboBox::activated, this, [this] { editor_.SetSelStart(0); });
  // The access keys are checked wherever the focus is in the dialog.
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

// The control an Alt+key press stands for in this dialog, or null.
QWidget* frmFind::mnemonicTarget(int key) const {
  const int pressed = QKeyCombination(Qt::AltModifier, Qt::Key(key)).toCombined();
  auto matches = [pressed](const QWidget* w, const QString& text) {
    if (!w || !w->isVisible() || !w->isEnabled()) return false;
    const QKeySequence mnemonic = QKeySequence::mnemonic(text);
    return !mnemonic.isEmpty() && mnemonic[0].toCombined() == pressed;
  };
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
           cmdFind, cmdReplace, cmdReplaceAll, cmdCancel, chkWholeWord, chkMatchCase})
    if (matches(b, b->text())) return b;
  for (QLabel* l : {lblFind, lblReplace})
    if (matches(l, l->text()) && l->buddy()) return l->buddy();
  return nullptr;
}

// The dialog is a tool window, so the main window's menus keep their Alt
// keys while it is active; its own access keys win: the shortcut is
// overridden and the key press acts on the dialog's control.
bool frmFind::ownAccessKey(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::AltModifier) return false;
  QWidget* target = mnemonicTarget(key->key());
  if (!target) return false;
  event->accept();
  if (event->type() == QEvent::KeyPress) {
    target->setFocus(Qt::ShortcutFocusReason);
    if (auto* button = qobject_cast<QAbstractButton*>(target)) button->click();
  }
  return true;
}

void frmFind::Form_Load() {
  QString text = trimBlanks(editor_.SelText());
  lblFind->setText(lang_[56]);
  lblReplace->setText(lang_[60]);
  cmdFind->setText(QStringLiteral("&") + lang_[56]);
  cmdReplace->setText(lang_[59] + QStringLiteral("..."));
  cmdReplaceAll->setText(lang_[61]);
  // Text 21 is the Edit menu's Undo in most languages; 195 is Cancel.
  cmdCancel->setText(lang_[195].isEmpty() ? lang_[21] : lang_[195]);
  Frame1->setTitle(lang_[62]);
  chkWholeWord->setText(lang_[63]);
  chkMatchCase->setText(lang_[64]);
  if (const qsizetype cut = text.indexOf(kLineBreak); cut >= 0) {
    text.truncate(cut);
    cutAtLineBreak_ = true;
  }
  cboFind->setEditText(text);
  if (!text.isEmpty()) cboFind->addItem(text);
  for (QWidget* w :
       std::initializer_list<QWidget*>{cmdReplace, cmdReplaceAll, lblReplace, cboReplace})
    w->setEnabled(replaceMode_);
  setWindowTitle(
      ui::StripAmpersands((replaceMode_ ? lang_[59] : lang_[56]) + QStringLiteral("...")));
}

void frmFind::addToHistories() {
  addToHistory(cboFind);
  addToHistory(cboReplace);
}

int frmFind::options() const {
  platform::RTB::FindOptions o;
  if (chkWholeWord->isChecked()) o |= platform::RTB::FindWholeWord;
  if (chkMatchCase->isChecked()) o |= platform::RTB::FindMatchCase;
  return o.toInt();
}

void frmFind::message(int textIndex) {
  dialogs_.messageBox(this, lang_[textIndex], QStringLiteral("Scenova"), platform::MsgIcon::None,
                      platform::MsgButtons::Ok);
}

void frmFind::cmdFind_Click() {
  addToHistories();
  const auto o = platform::RTB::FindOptions::fromInt(options());
  const QString what = cboFind->currentText();
  if (!findNext_) {
    if (editor_.Find(what, 0, std::nullopt, o) < 0) {
      message(65);
    } else {
      editor_.SetFocus();
      findNext_ = true;
      cmdFind->setText(lang_[57]);
    }
  } else if (editor_.Find(what, editor_.SelStart() + editor_.SelLength(), std::nullopt, o) < 0) {
    message(66);
    findNext_ = false;
    cmdFind->setText(QStringLiteral("&") + lang_[56]);
  }
  activateWindow();
}

bool frmFind::refuseReadOnly() {
  // Show mode makes the script read-only: a window left open from before
  // must not change it behind the operator's back.
  if (!editor_.isReadOnly()) return false;
  message(kReadOnlyText);
  return true;
}

void frmFind::cmdReplace_Click() {
  addToHistories();
  if (refuseReadOnly()) return;
  const auto o = platform::RTB::FindOptions::fromInt(options());
  const QString what = cboFind->currentText();
  if (editor_.Find(what, editor_.SelStart(), std::nullopt, o) < 0) {
    message(65);
    return;
  }
  if (!replaceFound_) {
    replaceFound_ = true;
    cmdReplace->setText(lang_[59]);
    return;
  }
  if (!what.isEmpty()) {
    QString with = cboReplace->currentText();
    if (cutAtLineBreak_) {
      cutAtLineBreak_ = false;
      with += kLineBreak;
    }
    const int at = editor_.SelStart();
    const TextEdit edit{at, editor_.SelText(), editorLineBreaks(with)};
    if (undo_) {
      undo_->recordAsOneStep([&] {
        editor_.SetSelText(with);
        return std::vector<TextEdit>{edit};
      });
    } else {
      editor_.SetSelText(with);
    }
    if (editor_.Find(what, editor_.SelStart(), std::nullopt, o) < 0) {
      findNext_ = false;
      cmdFind->setText(QStringLiteral("&") + lang_[56]);
    }
  }
  activateWindow();
}

void frmFind::cmdReplaceAll_Click() {
  if (refuseReadOnly()) return;
  const QString what = trimBlanks(cboFind->currentText());
  const QString with = trimBlanks(cboReplace->currentText());
  const ReplaceAllResult r =
      replaceAll(editor_.Text(), editor_.SelStart(), editor_.SelLength(), what, with);
  if (!r.edits.empty()) {
    auto apply = [&] {
      applyEditsToEditor(editor_, r.edits);
      editor_.SetSelStart(r.caret);
      return r.edits;
    };
    if (undo_)
      undo_->recordAsOneStep(apply);
    else
      apply();
  }
  dialogs_.messageBox(
      this,
      lang_[67] + QStringLiteral(" \r\n") + QString::number(r.count) + QLatin1Char(' ') + lang_[68],
      QStringLiteral("Scenova"), platform::MsgIcon::None, platform::MsgButtons::Ok);
}

void frmFind::dropText(QComboBox* box, const QString& dropped) {
  QString text = dropped;
  if (const qsizetype cut = text.indexOf(kLineBreak); cut >= 0) {
    text.truncate(cut);
    if (box == cboFind) cutAtLineBreak_ = true;
  }
  box->setEditText(trimBlanks(text));
  addToHistories();
}

// Plain text dropped onto a box replaces its text.
bool frmFind::eventFilter(QObject* watched, QEvent* event) {
  if (ownAccessKey(event)) return true;
  QComboBox* box = nullptr;
  for (QComboBox* b : {cboFind, cboReplace})
    if (b && (watched == b || watched == b->lineEdit())) box = b;
  if (box) {
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* e = static_cast<QDropEvent*>(event);
      if (e->mimeData()->hasText()) {
        e->acceptProposedAction();
        return true;
      }
    } else if (event->type() == QEvent::Drop) {
      auto* e = static_cast<QDropEvent*>(event);
      if (e->mimeData()->hasText()) {
        QString text = e->mimeData()->text();
        // Other programs drop LF line ends.
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', kLineBreak);
        dropText(box, text);
        e->acceptProposedAction();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace scenova::tools
