#include "script/editing_aids.h"

#include "platform/key_codes.h"
#include "platform/rtb/rtb.h"
#include "script/interpreter.h"
#include "script/markup.h"
#include "ui/main_controls.h"

#include <QKeyEvent>

namespace scenova::script {

namespace {

constexpr int kCtrl = 2;

// Chords whose key-up runs a command of the program; the editor must not act
// on their key-down itself.
bool swallowedChord(int keyCode) {
  switch (keyCode) {
    case 'C':
    case 'I':
    case 'V':
    case 'X':
    case 'Y':
    case 'Z':
      return true;
    default:
      return false;
  }
}

bool programChord(int keyCode) {
  return swallowedChord(keyCode) || keyCode == 'B' || keyCode == 'G' || keyCode == 'S' ||
         keyCode == 'U';
}

}  // namespace

EditingAids::EditingAids(platform::RTB& editor, Interpreter& interpreter, EditingCommands commands,
                         QObject* parent)
    : QObject(parent), editor_(editor), interpreter_(interpreter), commands_(std::move(commands)) {}

void EditingAids::connectEditor() {
  connect(&editor_, &platform::RTB::KeyPress, this, &EditingAids::RTB_KeyPress);
  connect(&editor_, &platform::RTB::KeyDown, this, &EditingAids::RTB_KeyDown);
  connect(&editor_, &platform::RTB::KeyUp, this, &EditingAids::RTB_KeyUp);
  editor_.installEventFilter(this);
}

// While the editor has the focus its chords reach it, not the menu's
// shortcuts: the key-up handler runs the command once.
bool EditingAids::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &editor_ && event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (platform::shiftState(key->modifiers()) == kCtrl &&
        programChord(platform::virtualKeyCode(*key))) {
      event->accept();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

int EditingAids::cueStart(int pos) const {
  // i and i + 1 (from 1) are the 0-based characters i - 1 and i; read the
  // script backwards in pieces so a long script is not copied per key.
  constexpr int kPiece = 4096;
  QString piece;
  int pieceFrom = pos + 1;                    // 0-based start of piece
  const QString right = editor_.Mid(pos, 1);  // the character after the caret
  QChar next = right.isEmpty() ? QChar() : right.at(0);
  for (int i = pos; i >= 1; --i) {
    const int zero = i - 1;
    if (zero < pieceFrom) {
      pieceFrom = std::max(0, zero - kPiece + 1);
      piece = editor_.Mid(pieceFrom, zero - pieceFrom + 1);
    }
    const QChar here = piece.at(zero - pieceFrom);
    if (here == u']' && next == u']') return 0;
    if (here == u'[' && next == u'[') return i + 2;
    next = here;
  }
  return -1;
}

void EditingAids::RTB_KeyPress(int& keyAscii) {
  if (keyAscii != ']') return;
  const int pos = editor_.SelStart();
  // A "]" typed over a selection or at the very start is just typed.
  if (pos == 0 || editor_.SelLength() > 0) return;
  editor_.Select(pos - 1, 1);
  if (editor_.SelText() != QStringLiteral("]")) {
    editor_.SetSelStart(pos);
    return;
  }
  const int start = cueStart(pos);
  if (start == 0) return;  // the selected "]" gives way to the typed one
  if (start < 0) {
    editor_.SetSelStart(pos);
    return;
  }
  QString text = trimBlanks(editor_.Mid(start - 1, pos - start));
  interpreter_.RunCommand(text, start, pos, false);
  editor_.SetSelStart(editor_.SelStart() + editor_.SelLength());
}

void EditingAids::RTB_KeyDown(int& keyCode, int shift) {
  if (shift == kCtrl && programChord(keyCode)) {
    chordKey_ = keyCode;
    if (swallowedChord(keyCode)) keyCode = 0;
  } else if (keyCode != platform::vk::Shift && keyCode != platform::vk::Control &&
             keyCode != platform::vk::Menu) {
    chordKey_ = 0;
  }
}

bool EditingAids::italian() const {
  return commands_.languageFile &&
         commands_.languageFile().toLower() == QStringLiteral("italiano.lng");
}

void EditingAids::RTB_KeyUp(int keyCode, int shift) {
  auto run = [](const std::function<void()>& f) {
    if (f) f();
  };
  auto button = [this](int index) {
    if (commands_.toolbar) commands_.toolbar(index);
  };
  // A chord counts when Ctrl was down with the key, even if Ctrl comes up
  // first (fingers, and some input tools, let go of it before the letter).
  const bool chord = shift == kCtrl || (keyCode != 0 && keyCode == chordKey_);
  if (keyCode == chordKey_) chordKey_ = 0;
  if (chord) {
    switch (keyCode) {
      case 'Z':
        return run(commands_.undo);
      case 'Y':
        return run(commands_.redo);
      case 'C':
        return run(commands_.copy);
      case 'V':
        return run(commands_.paste);
      case 'X':
        return run(commands_.cut);
      case 'I':
        return button(5);
      case 'G':
        if (italian()) button(4);
        return;
      case 'S':
        if (italian()) button(6);
        return;
      case 'B':
        if (!italian()) button(4);
        return;
      case 'U':
        if (!italian()) button(6);
        return;
      default:
        break;
    }
  }
  // F1 and F9 are the window's shortcuts, taken on the key press: handling
  // them here again would open help and the audio settings twice.
}

}  // namespace scenova::script
