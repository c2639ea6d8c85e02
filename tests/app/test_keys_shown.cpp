// The window's keys in a shown window, through Qt's own shortcut handling:
// each function key opens its tool once, whatever the editor does with the
// key, the Find dialog's access keys win over the main window's menus, and
// the toolbar's commands are reached and pressed with keys alone.

#include "platform/rtb/rtb.h"
#include "support/form_fixture.h"
#include "tools/frm_find.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

using namespace scenova;
using test::FormFixture;

class TestKeysShown : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void functionKeysRunOnce() {
    FormFixture f;
    f.system.installed = {QStringLiteral("pavucontrol")};
    f.folder.write(QStringLiteral("Help/") + f.text(24) + QStringLiteral(".html"), "<p>help</p>");
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.form->activateWindow();  // no window manager on the test server
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    QWidget* editor = f.form->editor();
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    int about = 0;
    connect(f.form->ui().mnuInfo, &QAction::triggered, this, [&about] { ++about; });

    QTest::keyClick(editor, Qt::Key_F1);
    QTRY_COMPARE(f.system.opened.size(), 1);
    QTest::keyClick(editor, Qt::Key_F9);
    QTRY_COMPARE(f.system.started.size(), 1);
    // Anything a key left queued has had its turn by the time the next one
    // has been handled.
    QTest::keyClick(editor, Qt::Key_F9);
    QTRY_COMPARE(f.system.started.size(), 2);
    QTest::keyClick(editor, Qt::Key_F1);
    QTRY_COMPARE(f.system.opened.size(), 2);
    QTest::keyClick(editor, Qt::Key_F1, Qt::ControlModifier);  // About, not help
    QTRY_COMPARE(about, 1);
    QCoreApplication::processEvents();
    QCOMPARE(f.system.opened.size(), 2);
    QCOMPARE(f.system.started.size(), 2);
  }

  // The Find dialog is a tool window over the main window, whose menus keep
  // their Alt keys: while the dialog is active, its own access keys win.
  void findDialogAccessKeysWin() {
    FormFixture f;
    f.rtb().SetText(QStringLiteral("To be or not to be"));
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.form->ui().mnuTrova->trigger();
    tools::frmFind* find = nullptr;
    QTRY_VERIFY((find = qobject_cast<tools::frmFind*>(QApplication::activeWindow())));
    find->cboFind->setEditText(QStringLiteral("not"));
    const QKeySequence findKey = QKeySequence::mnemonic(find->cmdFind->text());
    QCOMPARE(findKey, QKeySequence(Qt::ALT | Qt::Key_F));  // also the File menu's key
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
    QTRY_COMPARE(f.rtb().SelText(), QStringLiteral("not"));
    QCOMPARE(QApplication::activePopupWidget(), nullptr);  // no menu opened
    QCOMPARE(QApplication::activeWindow(), find);
    // Whole word by its access key, from wherever the focus is.
    const QKeySequence wholeWord = QKeySequence::mnemonic(find->chkWholeWord->text());
    QVERIFY(!wholeWord.isEmpty());
    QVERIFY(!find->chkWholeWord->isChecked());
    QTest::keyClick(QApplication::focusWidget(), wholeWord[0].key(), Qt::AltModifier);
    QTRY_VERIFY(find->chkWholeWord->isChecked());
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
  }

  // F10 takes the focus to the toolbar; Tab and the arrows go along it and
  // on to the font boxes; Space and Enter press the focused button; Escape
  // goes back to the script. Each button has its name for screen readers.
  void toolbarByKeyboard() {
    FormFixture f;
    f.rtb().SetText(QStringLiteral("To be or not to be"));
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    f.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    // Until the keyboard goes to the toolbar its buttons take no focus: the
    // window's first focus stays where it was (the font box).
    QTRY_VERIFY(QApplication::focusWidget());
    for (ui::Control* b : f.form->ui().Label2) QVERIFY(QApplication::focusWidget() != b);
    platform::RTB& rtb = f.rtb();
    rtb.setFocus();
    QTRY_VERIFY(rtb.hasFocus());
    rtb.Select(0, 5);
    const auto& buttons = f.form->ui().Label2;
    for (size_t i = 0; i < buttons.size(); ++i) {
      QVERIFY2(!buttons[i]->accessibleName().isEmpty(), QByteArray::number(int(i)).constData());
      QVERIFY(!buttons[i]->toolTip().trimmed().isEmpty());
      QCOMPARE(buttons[i]->accessibleName(), buttons[i]->toolTip().trimmed());
    }
    QCOMPARE(buttons[7]->accessibleName(), f.text(103));  // Strikethrough
    QCOMPARE(f.form->ui().Combo1->accessibleName(), f.text(111));
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
      QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    const auto focused = [&](size_t i) { return QApplication::focusWidget() == buttons[i]; };

    key(Qt::Key_F10);
    QTRY_VERIFY(focused(0));
    for (int i = 0; i < 7; ++i) key(Qt::Key_Right);
    QTRY_VERIFY(focused(7));
    key(Qt::Key_Space);  // strikethrough
    QTRY_COMPARE(rtb.SelStrikeThru(), std::optional<bool>(true));
    key(Qt::Key_Tab);  // Tab goes on along the row
    QTRY_VERIFY(focused(8));
    key(Qt::Key_Right);
    key(Qt::Key_Return);  // centre
    QTRY_COMPARE(rtb.SelAlignment(), std::optional<int>(platform::RTB::AlignCenterCode));
    key(Qt::Key_Left);
    key(Qt::Key_Tab, Qt::ShiftModifier);  // back along the row
    QTRY_VERIFY(focused(7));
    const qreal size = rtb.SelFontSize().value_or(0);
    for (int i = 0; i < 4; ++i) key(Qt::Key_Right);
    QTRY_VERIFY(focused(11));
    key(Qt::Key_Enter, Qt::KeypadModifier);  // font growth
    QTRY_VERIFY(rtb.SelFontSize().value_or(0) > size);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    f.dialogs.colorAnswers = {QColor(0, 0, 255)};
    key(Qt::Key_Space);  // the text colour, through its dialog
    QTRY_COMPARE(f.dialogs.colorInitials.size(), 1);
    QTRY_COMPARE(rtb.SelColor().value_or(QColor()).rgb(), QColor(0, 0, 255).rgb());
    key(Qt::Key_Right);
    key(Qt::Key_Space);  // bullets
    QTRY_COMPARE(rtb.SelBullet(), std::optional<bool>(true));
    // From the last button on to the font name and size boxes.
    key(Qt::Key_End);
    QTRY_VERIFY(focused(buttons.size() - 1));
    key(Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), f.form->ui().Combo1);
    key(Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), f.form->ui().Combo2);
    // Escape on a button goes back to the script, the selection kept; the
    // window stays.
    key(Qt::Key_F10);
    QTRY_VERIFY(focused(0));
    // The hover frame marks the focused button, and goes with the focus.
    QTRY_VERIFY(f.form->ui().Shape5->isVisible());
    QCOMPARE(f.form->ui().Shape5->geometry().center(), buttons[0]->geometry().center());
    key(Qt::Key_Escape);
    QTRY_VERIFY(rtb.hasFocus());
    QTRY_VERIFY(!f.form->ui().Shape5->isVisible());
    QVERIFY(f.form->isVisible());
    QCOMPARE(rtb.SelText(), QStringLiteral("To be"));
  }
};

QTEST_MAIN(TestKeysShown)
#include "test_keys_shown.moc"
