// The whole job from the keyboard: the menus' mnemonics, the transfers' keys (shown in the menus
// and in the toolbar's tool tips) and the way to the chip and port selectors.

#include "main_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>

namespace kestrel {

namespace {

// The menu's title as it reads, its first letter the mnemonic (Alt and that letter).
void giveMnemonic(QMenu& menu)
{
    if (!menu.title().startsWith(u'&'))
        menu.setTitle(u'&' + menu.title());
}

void showKeyInToolTip(QToolButton& button, const QAction& command)
{
    button.setToolTip(QStringLiteral("%1 (%2)").arg(
        button.toolTip(), command.shortcut().toString(QKeySequence::NativeText)));
}

// A key that puts the keyboard focus on the selector; its tool tip tells the key.
void keyToSelector(QWidget& window, QComboBox& selector, const QString& what, QKeySequence key)
{
    auto* shortcut = new QShortcut(key, &window);
    QObject::connect(shortcut, &QShortcut::activated, &selector, [&selector] {
        if (selector.isEnabled())
            selector.setFocus(Qt::ShortcutFocusReason);
    });
    selector.setToolTip(
        QStringLiteral("%1 (%2)").arg(what, key.toString(QKeySequence::NativeText)));
}

} // namespace

void TForm1::setUpKeys()
{
    giveMnemonic(*Wczytajzdysku1);
    giveMnemonic(*Pami1);
    // Clear of the editor's keys: F3 finds, F8 goes to a difference.
    Czytaj1->setShortcut(QKeySequence(Qt::Key_F5));
    Zapisz1->setShortcut(QKeySequence(Qt::Key_F6));
    Weryfikuj1->setShortcut(QKeySequence(Qt::Key_F7));
    ZapiszWeryfikuj1->setShortcut(QKeySequence(Qt::Key_F9));
    KopiaProgramujWeryfikuj1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    showKeyInToolTip(*SpeedButton4, *Czytaj1);
    showKeyInToolTip(*SpeedButton5, *Zapisz1);
    showKeyInToolTip(*SpeedButton6, *Weryfikuj1);
    keyToSelector(*this, *ComboBox2, QCoreApplication::translate("app", "Układ"),
                  QKeySequence(Qt::ALT | Qt::Key_U));
    keyToSelector(*this, *ComboBox1, QStringLiteral("Port"), QKeySequence(Qt::ALT | Qt::Key_P));
    // The scroll bar shows no focus: Tab goes from the character grid to the selectors.
    ScrollBar1->setFocusPolicy(Qt::NoFocus);
    setTabOrder(StringGrid1, StringGrid2);
    setTabOrder(StringGrid2, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
}

} // namespace kestrel
