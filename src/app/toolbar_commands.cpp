#include "toolbar_commands.h"

#include "document_commands.h"
#include "editing_tools.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "print_help_commands.h"

namespace scenova::app {

ToolbarCommands::ToolbarCommands(Form1& form, DocumentCommands& documents,
                                 FormattingCommands& formatting, EditingTools& editing,
                                 PrintHelpCommands& printHelp)
    : QObject(&form),
      form_(form),
      documents_(documents),
      formatting_(formatting),
      editing_(editing),
      printHelp_(printHelp) {}

void ToolbarCommands::Label2_Click(int index) {
  using T = FormattingCommands::Toggle;
  switch (index) {
    case 0:
      documents_.New();
      break;
    case 1:
      documents_.Open();
      break;
    case 2:
      documents_.Save();
      break;
    case 3:
      printHelp_.print();
      break;
    case 4:
      formatting_.toggle(T::Bold);
      break;
    case 5:
      formatting_.toggle(T::Italic);
      break;
    case 6:
      formatting_.toggle(T::Underline);
      break;
    case 7:
      formatting_.toggle(T::Strike);
      break;
    case 8:
      formatting_.align(platform::RTB::AlignLeftCode);
      break;
    case 9:
      formatting_.align(platform::RTB::AlignCenterCode);
      break;
    case 10:
      formatting_.align(platform::RTB::AlignRightCode);
      break;
    case 11:
      formatting_.stepSize(+1);
      break;
    case 12:
      formatting_.stepSize(-1);
      break;
    case 13:
      printHelp_.color();
      break;
    case 14:
      formatting_.toggle(T::Bullet);
      break;
    case 15:
      documents_.InsertMediaReference();
      break;
    case 16:
      editing_.mnuAddCommand_Click();
      break;
    default:
      break;
  }
}

void ToolbarCommands::Label2_MouseMove(int index) {
  if (index < 0 || index >= static_cast<int>(form_.ui().Label2.size()) || index == hovered_) return;
  hovered_ = index;
  const Control* button = form_.ui().Label2[static_cast<size_t>(index)];
  twips::setGeometry(form_.ui().Shape5, twips::left(button), twips::top(button),
                     twips::width(button), twips::height(button));
  form_.ui().Shape5->show();
  form_.ui().Shape5->raise();
}

void ToolbarCommands::ClearToolbarHover() {
  hovered_ = -1;
  form_.ui().Shape5->hide();
}

}  // namespace scenova::app
