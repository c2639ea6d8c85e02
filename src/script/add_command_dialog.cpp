#include "script/add_command_dialog.h"

#include "platform/rtb/rtb.h"
#include "script/cue_insertion.h"
#include "script/markup.h"
#include "ui/language_table.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace scenova::script {

namespace {

// The options of each column, top to bottom, with their captions; the
// three with a number field are written around it. Every option has an
// access key of its own ("&" before it), none shared with another option.
struct Option {
  int index;
  const char* caption;
};
constexpr Option kAudio[] = {{0, "[[&Stop Audio]]"},
                             {1, "[[&Play Audio]]"},
                             {13, "[[P&ause Audio]]"},
                             {11, "[[See&k Audio"}};
constexpr Option kVideo[] = {{2, "[[Stop &Video]]"},
                             {14, "[[Pla&y Video]]"},
                             {3, "[[Pause Vi&deo]]"},
                             {12, "[[S&eek Video"}};
constexpr Option kGeneral[] = {
    {10, "[[Vo&l"},           {4, "[[Fade&In]]"},        {5, "[[FadeIn &Fast]]"},
    {6, "[[FadeIn Slo&w]]"},  {7, "[[Fade&Out]]"},       {8, "[[FadeOut Fas&t]]"},
    {9, "[[FadeO&ut Slow]]"}, {15, "[[P&rojector On]]"}, {16, "[[Pro&jector Off]]"},
    {17, "[[I&mg On]]"},      {18, "[[Im&g Off]]"}};

const QColor kCueBlue(0, 0, 255);

}  // namespace

Form3::Form3(platform::RTB& editor, const ui::LanguageTable& lang, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setObjectName(QStringLiteral("Form3"));
  buildControls();
  if (parent) setWindowIcon(parent->windowIcon());
  setWindowTitle(ui::StripAmpersands(lang[147]));
  Command1->setText(lang[147]);
  // Text 21 is the Edit menu's Undo in most languages; 195 is Cancel.
  Command2->setText(lang[195].isEmpty() ? lang[21] : lang[195]);
  Text2->setToolTip(lang.tooltip(30));
  Text3->setToolTip(lang.tooltip(30));
}

void Form3::buildControls() {
  QFont arial(QStringLiteral("Arial"));
  setFont(arial);
  auto field = [this](const char* name) {
    auto* f = new QLineEdit(QStringLiteral("100"), this);
    f->setObjectName(QString::fromLatin1(name));
    f->setMaxLength(12);
    f->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    return f;
  };
  Text1 = field("Text1");
  Text2 = field("Text2");
  Text3 = field("Text3");
  Text1->installEventFilter(this);
  const auto fieldOf = [this](int index) -> QLineEdit* {
    return index == 10 ? Text1 : index == 11 ? Text2 : index == 12 ? Text3 : nullptr;
  };

  auto* columns = new QGridLayout;
  columns->setHorizontalSpacing(24);
  auto column = [&](int col, QLabel*& heading, const char* name, const char* title, auto& options) {
    heading = new QLabel(QString::fromLatin1(title), this);
    heading->setObjectName(QString::fromLatin1(name));
    QFont bold = arial;
    bold.setBold(true);
    heading->setFont(bold);
    columns->addWidget(heading, 0, col);
    int row = 1;
    for (const Option& o : options) {
      auto* b = new QRadioButton(QString::fromLatin1(o.caption), this);
      b->setObjectName(QStringLiteral("Option1(%1)").arg(o.index));
      Option1[static_cast<size_t>(o.index)] = b;
      if (QLineEdit* f = fieldOf(o.index)) {
        // The number sits inside the cue: "[[Vol" [field] "]]".
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        line->addWidget(b);
        line->addWidget(f);
        line->addWidget(new QLabel(QStringLiteral("]]"), this));
        line->addStretch();
        columns->addLayout(line, row++, col);
        connect(f, &QLineEdit::textChanged, b, [b] {
          if (!b->isChecked()) b->setChecked(true);
        });
      } else {
        columns->addWidget(b, row++, col);
      }
    }
  };
  column(0, lblWMP1, "lblWMP1", "Audio Player", kAudio);
  column(1, Label1, "Label1", "Video Player", kVideo);
  column(2, Label2, "Label2", "General", kGeneral);
  columns->setRowStretch(static_cast<int>(std::size(kGeneral)) + 1, 1);

  Command1 = new QPushButton(this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setDefault(true);
  Command2 = new QPushButton(this);
  Command2->setObjectName(QStringLiteral("Command2"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  auto* all = new QVBoxLayout(this);
  all->addLayout(columns);
  all->addSpacing(8);
  all->addLayout(buttons);
  all->setSizeConstraint(QLayout::SetFixedSize);

  // The keyboard starts on the first option, not in a number field; each
  // number field follows its option in the Tab order.
  Option1[0]->setFocus();
  for (int index : {10, 11, 12}) setTabOrder(Option1[static_cast<size_t>(index)], fieldOf(index));

  connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Text1 && event->type() == QEvent::FocusOut) Text1_LostFocus();
  return QDialog::eventFilter(watched, event);
}

void Form3::Text1_LostFocus() {
  if (ReadNumber(Text1->text()) > 100) Text1->setText(QStringLiteral("100"));
}

QString Form3::commandText() const {
  for (size_t i = 0; i < Option1.size(); ++i) {
    if (!Option1[i]->isChecked()) continue;
    switch (i) {
      case 10:
        return QStringLiteral("[[Vol ") + trimBlanks(Text1->text()) + QStringLiteral("]]");
      case 11:
        return QStringLiteral("[[Seek Audio ") + trimBlanks(Text2->text()) + QStringLiteral("]]");
      case 12:
        return QStringLiteral("[[Seek Video ") + trimBlanks(Text3->text()) + QStringLiteral("]]");
      default:
        return ui::StripAmpersands(Option1[i]->text());
    }
  }
  return {};
}

void Form3::Command1_Click() {
  insertCueKeepingFormat(editor_, commandText(), kCueBlue);
  accept();
}

}  // namespace scenova::script
