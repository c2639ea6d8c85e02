// The window's keys in a shown window, through Qt's own shortcut handling:
// each function key opens its tool once, whatever the editor does with the
// key, and the Find dialog's access keys win over the main window's menus.

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
};

QTEST_MAIN(TestKeysShown)
#include "test_keys_shown.moc"
