// Events of the script editor: key codes, swallowing and changing keys, the
// order of mouse events, Change on every kind of change.

#include "platform/rtb/rtb.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

using scenova::platform::RTB;

namespace {

// A window around the editor that notes every key that reaches it.
class Window : public QWidget {
 public:
  QList<int> keys;

 protected:
  void keyPressEvent(QKeyEvent* e) override { keys.append(e->key()); }
};

}  // namespace

class TestEvents : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();
  void keyCodes_data();
  void keyCodes();
  void keyDownSwallows();
  void keyPressRunsBeforeTheCharacter();
  void keyPressChangesOrSwallows();
  void keysStayInTheEditor();
  void clickReportsTheCaret();
  void doubleClickFollowsClick();
  void dragIsNoClick();
  void mouseDown();
  void changeOnEveryKindOfChange();

 private:
  QPoint pointOf(int position) const;

  Window* window_ = nullptr;
  RTB* rtb_ = nullptr;
  QStringList log_;
};

void TestEvents::init() {
  window_ = new Window;
  rtb_ = new RTB(window_);
  rtb_->setGeometry(0, 0, 400, 300);
  window_->resize(400, 300);
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
  rtb_->SetFocus();
  log_.clear();
  connect(rtb_, &RTB::Click, this,
          [this] { log_ << QStringLiteral("click %1").arg(rtb_->SelStart()); });
  connect(rtb_, &RTB::DblClick, this, [this] { log_ << QStringLiteral("dblclick"); });
  connect(rtb_, &RTB::MouseDown, this, [this](int button, int shift, int, int) {
    log_ << QStringLiteral("down %1 %2").arg(button).arg(shift);
  });
}

void TestEvents::cleanup() {
  delete window_;
  window_ = nullptr;
}

// A viewport point just right of the caret place of a program position.
QPoint TestEvents::pointOf(int position) const {
  QTextCursor c(rtb_->document());
  c.setPosition(rtb_->toDocumentPosition(position));
  const QRect r = rtb_->cursorRect(c);
  return QPoint(r.x() + 1, r.center().y());
}

void TestEvents::keyCodes_data() {
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<int>("code");
  QTest::addColumn<int>("shift");
  const int none = Qt::NoModifier;
  QTest::newRow("letter") << int(Qt::Key_A) << none << 65 << 0;
  QTest::newRow("shifted letter") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 65 << 1;
  QTest::newRow("ctrl letter") << int(Qt::Key_C) << int(Qt::ControlModifier) << 67 << 2;
  QTest::newRow("ctrl alt letter")
      << int(Qt::Key_X) << int(Qt::ControlModifier | Qt::AltModifier) << 88 << 6;
  QTest::newRow("digit") << int(Qt::Key_7) << none << int('7') << 0;
  QTest::newRow("F1") << int(Qt::Key_F1) << none << 112 << 0;
  QTest::newRow("F9") << int(Qt::Key_F9) << none << 120 << 0;
  QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 27 << 0;
  QTest::newRow("Enter") << int(Qt::Key_Return) << none << 13 << 0;
  QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 46 << 0;
  QTest::newRow("Left") << int(Qt::Key_Left) << none << 37 << 0;
  QTest::newRow("Down") << int(Qt::Key_Down) << none << 40 << 0;
  QTest::newRow("closing bracket") << int(Qt::Key_BracketRight) << none << 221 << 0;
  QTest::newRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 101 << 0;
}

void TestEvents::keyCodes() {
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QList<QPair<int, int>> downs, ups;
  // The modifier keys themselves (Shift 16, Ctrl 17, Alt 18) come and go too.
  const auto isModifier = [](int code) { return code >= 16 && code <= 18; };
  connect(rtb_, &RTB::KeyDown, this, [&](int& code, int shift) {
    if (!isModifier(code)) downs.append({code, shift});
  });
  connect(rtb_, &RTB::KeyUp, this, [&](int code, int shift) {
    if (!isModifier(code)) ups.append({code, shift});
  });
  QTest::keyClick(rtb_, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  QFETCH(int, code);
  QFETCH(int, shift);
  QCOMPARE(downs, (QList<QPair<int, int>>{{code, shift}}));
  QCOMPARE(ups, (QList<QPair<int, int>>{{code, shift}}));
}

void TestEvents::keyDownSwallows() {
  rtb_->SetText(QStringLiteral("text"));
  rtb_->SetSelStart(2);
  int presses = 0;
  connect(rtb_, &RTB::KeyPress, this, [&](int&) { ++presses; });
  connect(rtb_, &RTB::KeyDown, this, [](int& code, int shift) {
    if (code == 'Q' || (shift == 2 && code == 'A')) code = 0;
  });
  QTest::keyClicks(rtb_, QStringLiteral("qz"));
  QCOMPARE(rtb_->Text(), QStringLiteral("tezxt"));
  QCOMPARE(presses, 1);
  QTest::keyClick(rtb_, Qt::Key_A, Qt::ControlModifier);  // select all, swallowed
  QCOMPARE(rtb_->SelLength(), 0);
}

// Typing "]" right after "]]": the handler selects the "]" before the caret,
// so the typed one replaces it and the text stays as it was.
void TestEvents::keyPressRunsBeforeTheCharacter() {
  rtb_->SetText(QStringLiteral("[[Stop Audio]] x"));
  rtb_->SetSelStart(14);
  QStringList seen;
  connect(rtb_, &RTB::KeyPress, this, [&](int& character) {
    seen << rtb_->Text();
    if (character == ']' && rtb_->Mid(rtb_->SelStart() - 1, 1) == QStringLiteral("]")) {
      rtb_->Select(rtb_->SelStart() - 1, 1);
    }
  });
  QTest::keyClick(rtb_, ']');
  QCOMPARE(seen, QStringList{QStringLiteral("[[Stop Audio]] x")});
  QCOMPARE(rtb_->Text(), QStringLiteral("[[Stop Audio]] x"));
  QCOMPARE(rtb_->SelStart(), 14);
}

void TestEvents::keyPressChangesOrSwallows() {
  connect(rtb_, &RTB::KeyPress, this, [](int& character) {
    if (character == 'a') character = 'b';
    if (character == 'x' || character == 13) character = 0;
  });
  QTest::keyClicks(rtb_, QStringLiteral("axc"));
  QTest::keyClick(rtb_, Qt::Key_Return);
  QCOMPARE(rtb_->Text(), QStringLiteral("bc"));
}

// Keys typed into the editor never reach the window (Escape there would end
// the program).
void TestEvents::keysStayInTheEditor() {
  QTest::keyClick(rtb_, Qt::Key_Escape);
  QTest::keyClick(rtb_, Qt::Key_F5);
  QTest::keyClick(rtb_, 'k');
  QCOMPARE(window_->keys, QList<int>());
}

void TestEvents::clickReportsTheCaret() {
  rtb_->SetText(QStringLiteral("first line\r\nsecond [[cue]] line"));
  QTest::mouseClick(rtb_->viewport(), Qt::LeftButton, {}, pointOf(21));
  QTest::mouseClick(rtb_->viewport(), Qt::LeftButton, {}, pointOf(3));
  QCOMPARE(log_, (QStringList{QStringLiteral("down 1 0"), QStringLiteral("click 21"),
                              QStringLiteral("down 1 0"), QStringLiteral("click 3")}));
}

// Through the window, as the window system delivers it (press, release,
// double-click, release): the double-click comes after exactly one Click,
// which reported the caret where the user clicked.
void TestEvents::doubleClickFollowsClick() {
  rtb_->SetText(QStringLiteral("[[Play Audio]]"));
  const QPoint at = rtb_->viewport()->mapTo(window_, pointOf(8));
  QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, at, 1000);
  log_.clear();
  QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, {}, at);
  QCOMPARE(log_, (QStringList{QStringLiteral("down 1 0"), QStringLiteral("click 8"),
                              QStringLiteral("dblclick")}));
  log_.clear();
  QTest::mouseDClick(window_->windowHandle(), Qt::RightButton, {}, at, 1000);
  QCOMPARE(log_, (QStringList{QStringLiteral("down 2 0"), QStringLiteral("down 2 0")}));
}

void TestEvents::dragIsNoClick() {
  rtb_->SetText(QStringLiteral("select these words by dragging"));
  QTest::mousePress(rtb_->viewport(), Qt::LeftButton, {}, pointOf(2));
  QTest::mouseMove(rtb_->viewport(), pointOf(20));
  QTest::mouseRelease(rtb_->viewport(), Qt::LeftButton, {}, pointOf(20));
  QCOMPARE(log_, QStringList{QStringLiteral("down 1 0")});
}

void TestEvents::mouseDown() {
  QList<QList<int>> downs;
  connect(rtb_, &RTB::MouseDown, this, [&](int button, int shift, int x, int y) {
    downs.append({button, shift, x, y});
  });
  const QPoint at(10, 20);
  const QPoint inEditor = at + rtb_->viewport()->pos();
  QTest::mouseClick(rtb_->viewport(), Qt::RightButton, Qt::ShiftModifier, at);
  QTest::mouseClick(rtb_->viewport(), Qt::MiddleButton, Qt::ControlModifier, at);
  QCOMPARE(downs, (QList<QList<int>>{{2, 1, inEditor.x() * 15, inEditor.y() * 15},
                                     {4, 2, inEditor.x() * 15, inEditor.y() * 15}}));
  QCOMPARE(log_.filter(QStringLiteral("click")), QStringList());  // only the left button clicks
}

void TestEvents::changeOnEveryKindOfChange() {
  rtb_->SetText(QStringLiteral("some text"));
  QSignalSpy changes(rtb_, &RTB::Change);
  QTest::keyClick(rtb_, 'a');
  QCOMPARE(changes.count(), 1);
  QTest::keyClick(rtb_, Qt::Key_Backspace);
  QCOMPARE(changes.count(), 2);
  rtb_->Select(0, 4);
  rtb_->SetSelItalic(true);
  QCOMPARE(changes.count(), 3);
  rtb_->SetSelStart(2);  // moving the caret is no change
  QCOMPARE(changes.count(), 3);
}

QTEST_MAIN(TestEvents)
#include "test_events.moc"
