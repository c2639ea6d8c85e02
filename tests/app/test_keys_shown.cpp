// The window's function keys in a shown window, through Qt's own shortcut
// handling: each opens its tool once, whatever the editor does with the key.

#include "support/form_fixture.h"

#include <QAction>
#include <QApplication>
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
    connect(f.form->ui.mnuInfo, &QAction::triggered, this, [&about] { ++about; });

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
};

QTEST_MAIN(TestKeysShown)
#include "test_keys_shown.moc"
