// The main window at start-up and its controls: geometry, menus, button hints, the port panel,
// the chip selector and the commands a transfer disables.

#include "buffer_history.h"
#include "main_window_checks.h"

#include <QScopeGuard>
#include <QTranslator>

using namespace kestrel;
using namespace kestrel::windowtest;

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startUpGrids();
    void startUpControls();
    void controlGeometry_data();
    void controlGeometry();
    void menuItems_data();
    void menuItems();
    void eepromMenuOrder();
    void speedButtonHints_data();
    void speedButtonHints();
    void portPanelFollowsPortSelector();
    void chosenPortShowsFromStart();
    void chips_data();
    void chips();
    void wheelOverSelectorNeedsFocus_data();
    void wheelOverSelectorNeedsFocus();
    void selectorListsShowWholeNames();
    void transferActiveDisablesCommands();
    void keysReachSelectors();
    void englishWindow();
};

void TestMainWindow::initTestCase()
{
    // As the program's start-up: "SYMULATOR" in the port list.
    sim::registerSimulatorTransport();
}

void TestMainWindow::startUpGrids()
{
    auto form = shownForm();
    QCOMPARE(form->objectName(), QStringLiteral("Form1"));
    // The title's place for the changed mark; the window shows no mark at start.
    QCOMPARE(form->windowTitle(), QStringLiteral("KESTREL v1.0[*]"));
    QCOMPARE(form->windowHandle()->title(), QStringLiteral("KESTREL v1.0"));
    QCOMPARE(form->StringGrid1->model(), form->StringGrid2->model());
    QCOMPARE(form->StringGrid1->model()->rowCount(), 32);
    QCOMPARE(rowLabel(*form, 1), QStringLiteral("B600"));
    QCOMPARE(rowLabel(*form, 2), QStringLiteral("B610"));
    QCOMPARE(rowLabel(*form, 32), QStringLiteral("B7F0"));
    for (int col = 1; col <= 16; ++col)
        QCOMPARE(form->StringGrid1->model()->headerData(col - 1, Qt::Horizontal).toString(),
                 QStringLiteral("%1").arg(col - 1, 2, 16, QLatin1Char('0')).toUpper());
    QVERIFY(allCellsFF(*form, 32));
    const ImageState& image = form->image();
    QCOMPARE(image.EepromSize, 512);
    QCOMPARE(image.EepromBase, 0xB600);
    QCOMPARE(image.CursorCol, 1);
    QCOMPARE(image.CursorRow, 1);
    QCOMPARE(image.NibbleCount, 0);
    // The hex grid keeps the keyboard focus on its first data cell.
    QCOMPARE(form->focusWidget(), form->StringGrid1);
    QCOMPARE(form->StringGrid1->currentIndex(), form->model().index(0, 0));
}

void TestMainWindow::startUpControls()
{
    auto form = shownForm();
    QCOMPARE(form->ComboBox1->currentText(), QStringLiteral("COM1"));
    QCOMPARE(form->ComboBox1->count(), 4);
    QCOMPARE(form->ComboBox1->itemText(1), QStringLiteral("COM2"));
    QCOMPARE(form->ComboBox1->itemText(2), QString());
    QCOMPARE(form->ComboBox1->itemText(3), QStringLiteral("SYMULATOR"));
    QVERIFY(form->ComboBox1->isEditable());
    QCOMPARE(form->ComboBox2->currentText(), QStringLiteral("68HCP11E1VFN"));
    QCOMPARE(form->ComboBox2->count(), ChipCount);
    QVERIFY(!form->ComboBox2->isEditable());
    QCOMPARE(form->ChipIndex(), 0);

    QCOMPARE(form->statusPanelText(0), QStringLiteral("COM1"));
    QCOMPARE(form->statusPanelText(1), QStringLiteral("12800"));
    QCOMPARE(form->statusPanelText(2), QStringLiteral("-----Oczekiwanie-----"));
    QCOMPARE(form->statusText(), QStringLiteral("-----Oczekiwanie-----"));
    auto* panel2 = form->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
    QVERIFY(panel2 != nullptr);
    QVERIFY(panel2->contentsRect().width() >=
            panel2->fontMetrics().horizontalAdvance(panel2->text()));
    form->setStatusText(QStringLiteral("Gotowe"));
    QCOMPARE(form->statusText(), QStringLiteral("Gotowe"));

    QCOMPARE(form->ScrollBar1->minimum(), 1);
    QCOMPARE(form->ScrollBar1->maximum(), 20);
    QCOMPARE(form->ScrollBar1->value(), 1);
    QCOMPARE(form->CGauge1->GetPercentDone(), 0);
    QCOMPARE(form->CGauge1->BackColor(), TColor(12566400));
    QCOMPARE(form->GroupBox1->title(), QStringLiteral("BUFOR"));
    QCOMPARE(form->Label1->text(), QStringLiteral("Plik"));
    QVERIFY(!form->windowIcon().isNull());
    QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(form->StatusBar1->isSizeGripEnabled());
}

void TestMainWindow::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    const QString client = QStringLiteral("ClientArea");
    QTest::newRow("CGauge1") << "CGauge1" << client << QRect(8, 424, 657, 20);
    QTest::newRow("GroupBox1") << "GroupBox1" << client << QRect(8, 48, 660, 369);
    QTest::newRow("Label1") << "Label1"
                            << "GroupBox1" << QRect(16, 350, 27, 16);
    QTest::newRow("StringGrid1") << "StringGrid1"
                                 << "GroupBox1" << QRect(12, 22, 455, 325);
    QTest::newRow("StringGrid2") << "StringGrid2"
                                 << "GroupBox1" << QRect(464, 22, 164, 325);
    QTest::newRow("ScrollBar1") << "ScrollBar1"
                                << "GroupBox1" << QRect(630, 22, 16, 325);
    QTest::newRow("Panel1") << "Panel1" << client << QRect(6, 8, 659, 34);
    QTest::newRow("SpeedButton1") << "SpeedButton1"
                                  << "Panel1" << QRect(8, 3, 28, 28);
    QTest::newRow("SpeedButton2") << "SpeedButton2"
                                  << "Panel1" << QRect(40, 3, 28, 28);
    QTest::newRow("SpeedButton3") << "SpeedButton3"
                                  << "Panel1" << QRect(72, 3, 28, 28);
    QTest::newRow("Panel3") << "Panel3"
                            << "Panel1" << QRect(112, 3, 2, 28);
    QTest::newRow("SpeedButton5") << "SpeedButton5"
                                  << "Panel1" << QRect(128, 3, 28, 28);
    QTest::newRow("SpeedButton4") << "SpeedButton4"
                                  << "Panel1" << QRect(160, 3, 28, 28);
    QTest::newRow("Panel2") << "Panel2"
                            << "Panel1" << QRect(200, 3, 2, 28);
    QTest::newRow("SpeedButton6") << "SpeedButton6"
                                  << "Panel1" << QRect(216, 3, 28, 28);
    QTest::newRow("Panel4") << "Panel4"
                            << "Panel1" << QRect(440, 3, 2, 28);
    QTest::newRow("ComboBox2") << "ComboBox2"
                               << "Panel1" << QRect(456, 6, 105, 21);
    QTest::newRow("ComboBox1") << "ComboBox1"
                               << "Panel1" << QRect(568, 6, 65, 21);
}

void TestMainWindow::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    auto form = shownForm();
    auto* control = form->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), geometry);
    // Every control stays put when the window grows.
    form->resize(form->width() + 120, form->height() + 90);
    QCoreApplication::processEvents();
    QCOMPARE(control->geometry(), geometry);
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuTitle");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::newRow("load") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Wczytajzdysku2"
                          << "Wczytaj z dysku";
    QTest::newRow("save") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Zapissznadysk1"
                          << "Zapisz na dysk";
    QTest::newRow("fill") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Wype1"
                          << "Wypełnij FF";
    QTest::newRow("separator") << "Wczytajzdysku1"
                               << "BUFOR"
                               << "N1"
                               << "";
    QTest::newRow("read") << "Pami1"
                          << "EEPROM"
                          << "Czytaj1"
                          << "Czytaj";
    QTest::newRow("program") << "Pami1"
                             << "EEPROM"
                             << "Zapisz1"
                             << "Zapisz";
    QTest::newRow("verify") << "Pami1"
                            << "EEPROM"
                            << "Weryfikuj1"
                            << "Weryfikuj";
    QTest::newRow("program and verify") << "Pami1"
                                        << "EEPROM"
                                        << "ZapiszWeryfikuj1"
                                        << "Zapisz i weryfikuj";
    QTest::newRow("backup, program and verify") << "Pami1"
                                                << "EEPROM"
                                                << "KopiaProgramujWeryfikuj1"
                                                << "Kopia, programowanie i weryfikacja";
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QString, menuTitle);
    QFETCH(QString, item);
    QFETCH(QString, text);
    TForm1 form;
    QCOMPARE(form.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    auto* owner = form.findChild<QMenu*>(menu);
    QVERIFY(owner != nullptr);
    // The title reads as ever; its first letter, with Alt, opens the menu.
    QCOMPARE(QString(owner->title()).remove(u'&'), menuTitle);
    QCOMPARE(QKeySequence::mnemonic(owner->title()),
             QKeySequence(Qt::ALT | QKeySequence(menuTitle.left(1))[0].key()));
    QAction* action = nullptr;
    for (QAction* a : owner->actions())
        if (a->objectName() == item)
            action = a;
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isSeparator(), text.isEmpty());
}

void TestMainWindow::eepromMenuOrder()
{
    TForm1 form;
    QStringList names;
    for (const QAction* a : form.Pami1->actions())
        names << a->objectName();
    QCOMPARE(names, (QStringList{QStringLiteral("Czytaj1"), QStringLiteral("Zapisz1"),
                                 QStringLiteral("Weryfikuj1"), QStringLiteral("ZapiszWeryfikuj1"),
                                 QStringLiteral("KopiaProgramujWeryfikuj1"), QString(),
                                 QStringLiteral("TestAdaptera1"),
                                 QStringLiteral("DziennikTransmisji1")}));
}

void TestMainWindow::speedButtonHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("1") << "SpeedButton1"
                       << "Wczytaj do bufora";
    QTest::newRow("2") << "SpeedButton2"
                       << "Zapisz bufor";
    QTest::newRow("3") << "SpeedButton3"
                       << "Wypełnij bufor FF";
    QTest::newRow("5") << "SpeedButton5"
                       << "Programuj EEPROM (F6)";
    QTest::newRow("4") << "SpeedButton4"
                       << "Czytaj EEPROM (F5)";
    QTest::newRow("6") << "SpeedButton6"
                       << "Weryfikuj EEPROM (F7)";
}

void TestMainWindow::speedButtonHints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    TForm1 form;
    auto* button = form.findChild<QToolButton*>(name);
    QVERIFY(button != nullptr);
    QCOMPARE(button->toolTip(), hint);
    QVERIFY(!button->icon().isNull());
    QVERIFY(!button->icon().pixmap(24, 24).isNull());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

void TestMainWindow::portPanelFollowsPortSelector()
{
    TForm1 form;
    form.ComboBox1->setCurrentIndex(1);
    QCOMPARE(form.statusPanelText(0), QStringLiteral("COM2"));
    form.ComboBox1->setEditText(QStringLiteral("COM7"));
    QCOMPARE(form.statusPanelText(0), QStringLiteral("COM7"));
    QCOMPARE(form.statusPanelText(1), QStringLiteral("12800"));
}

void TestMainWindow::chosenPortShowsFromStart()
{
    auto form = shownForm();
    QComboBox& port = *form->ComboBox1;
    port.setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&port, Qt::Key_Down);
    QCOMPARE(port.currentText(), QStringLiteral("SYMULATOR"));
    QCOMPARE(form->statusPanelText(0), QStringLiteral("SYMULATOR"));
    // The field is narrower than the name: its first letter is on view.
    QVERIFY(port.lineEdit()->width() <
            port.lineEdit()->fontMetrics().horizontalAdvance(port.currentText()));
    QCOMPARE(port.lineEdit()->cursorPosition(), 0);
    QVERIFY(port.lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() <= 3);
}

void TestMainWindow::chips_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("firstLabel");
    QTest::addColumn<QString>("lastLabel");
    QTest::addColumn<int>("scrollMax");
    QTest::addColumn<bool>("supported");

    QTest::newRow("0") << 0 << "68HCP11E1VFN" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("1") << 1 << "68HC11E9" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("2") << 2 << "68HCP11A1" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("3") << 3 << "68HC11K4" << 640 << "0D80"
                       << "0FF0" << 28 << false;
    QTest::newRow("4") << 4 << "68HC05" << 256 << "0100"
                       << "01F0" << 4 << false;
    QTest::newRow("5") << 5 << "68HC08AB32" << 512 << "0800"
                       << "09F0" << 20 << false;
    QTest::newRow("6") << 6 << "68HC08AS20" << 512 << "0800"
                       << "09F0" << 20 << false;
    QTest::newRow("7") << 7 << "68HC908AS60" << 1024 << "0600"
                       << "09F0" << 52 << false;
    QTest::newRow("8") << 8 << "68HC12B32" << 768 << "0D00"
                       << "0FF0" << 36 << true;
    QTest::newRow("9") << 9 << "68HC12D60" << 1024 << "0C00"
                       << "0FF0" << 52 << true;
}

void TestMainWindow::chips()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, firstLabel);
    QFETCH(QString, lastLabel);
    QFETCH(int, scrollMax);
    QFETCH(bool, supported);

    auto form = shownForm();
    ImageState& image = form->image();
    form->setFileLabel(QStringLiteral("obraz.bin"));
    selectChip(*form, (index + 3) % ChipCount);
    image.EepromBuffer.fill(0x12);
    form->refreshGrids();

    form->ComboBox2->setCurrentIndex(index);
    QCOMPARE(form->ComboBox2->currentText(), name);
    QCOMPARE(form->ChipIndex(), index);
    const int rows = size / 16;
    QCOMPARE(image.EepromSize, size);
    QCOMPARE(form->StringGrid1->model()->rowCount(), rows);
    QCOMPARE(form->StringGrid2->model()->rowCount(), rows);
    QCOMPARE(rowLabel(*form, 1), firstLabel);
    QCOMPARE(rowLabel(*form, rows), lastLabel);
    QCOMPARE(form->ScrollBar1->maximum(), scrollMax);
    for (int entry = 1; entry <= EepromLastEntry; ++entry)
        QCOMPARE(image.EepromBuffer[static_cast<std::size_t>(entry)], 0xFF);
    QVERIFY(allCellsFF(*form, rows));
    QCOMPARE(form->Label1->text(), QStringLiteral("obraz.bin"));

    const ChipRow& chip = ChipTable[static_cast<std::size_t>(index)];
    QCOMPARE(QString::fromLatin1(chip.name), name);
    QCOMPARE(link::chipSupported(chip), supported);
    for (const auto operation : {link::Operation::Read, link::Operation::Program,
                                 link::Operation::Verify, link::Operation::ProgramVerify})
        QCOMPARE(link::workerFor(chip, operation) != &link::NotSupportedWorker, supported);
    QVERIFY(link::workerFor(chip, link::Operation::Program) !=
                link::workerFor(chip, link::Operation::Read) ||
            !supported);
}

void TestMainWindow::wheelOverSelectorNeedsFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("chip selector") << "ComboBox2";
    QTest::newRow("port selector") << "ComboBox1";
}

void TestMainWindow::wheelOverSelectorNeedsFocus()
{
    // A stray wheel turn over a selector must not change the chip (which refills the image).
    QFETCH(QString, name);
    auto form = shownForm();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    auto* selector = form->findChild<QComboBox*>(name);
    QVERIFY(selector != nullptr);
    form->image().EepromBuffer[1] = 0x12;
    form->StringGrid1->setFocus();
    const int index = selector->currentIndex();

    QWheelEvent wheel(QPointF(10, 10), selector->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(selector, &wheel);
    QCOMPARE(selector->currentIndex(), index);
    QCOMPARE(form->ChipIndex(), 0);
    QCOMPARE(form->image().EepromBuffer[1], 0x12);
    QVERIFY(form->StringGrid1->hasFocus());

    // With the focus, the wheel turns it as usual.
    selector->setFocus();
    QWheelEvent focused(QPointF(10, 10), selector->mapToGlobal(QPointF(10, 10)), QPoint(),
                        QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(selector, &focused);
    QCOMPARE(selector->currentIndex(), index + 1);
}

void TestMainWindow::selectorListsShowWholeNames()
{
    auto form = shownForm();
    for (QComboBox* selector : {form->ComboBox2, form->ComboBox1}) {
        const QFontMetrics metrics(selector->view()->font());
        for (int i = 0; i < selector->count(); ++i)
            QVERIFY2(selector->view()->minimumWidth() >
                         metrics.horizontalAdvance(selector->itemText(i)),
                     qPrintable(selector->itemText(i)));
    }
}

void TestMainWindow::transferActiveDisablesCommands()
{
    TForm1 form;
    // Undo and redo, after the fill in "BUFOR": greyed with nothing to undo or redo, and during
    // a transfer.
    QCOMPARE(form.Wczytajzdysku1->actions().mid(4, 2),
             (QList<QAction*>{form.Cofnij1, form.Ponow1}));
    QCOMPARE(form.Cofnij1->text(), QStringLiteral("Cofnij"));
    QCOMPARE(form.Ponow1->text(), QStringLiteral("Ponów"));
    form.StringGrid1KeyPress(u'f');
    form.StringGrid1KeyPress(u'f'); // typed as it was: no step
    form.Wype1->trigger();          // FF already
    QVERIFY(!form.Cofnij1->isEnabled() && !form.Ponow1->isEnabled() && !form.isWindowModified());
    form.StringGrid1KeyPress(u'1');
    form.Cofnij1->trigger();
    QVERIFY(!form.Cofnij1->isEnabled() && form.Ponow1->isEnabled());
    form.StringGrid1KeyPress(u'2'); // a new step drops what could be redone
    QVERIFY(form.Cofnij1->isEnabled() && !form.Ponow1->isEnabled());
    form.setTransferActive(true);
    form.Cofnij1->trigger();
    QVERIFY(!form.Cofnij1->isEnabled());
    QCOMPARE(form.image().EepromBuffer[2], 2);
    form.setTransferActive(false);
    QVERIFY(form.Cofnij1->isEnabled());
    form.setTransferActive(true);
    QVERIFY(form.transferActive());
    QVERIFY(!form.Panel1->isEnabled());
    QVERIFY(!form.ComboBox1->isEnabled());
    QVERIFY(!form.ComboBox2->isEnabled());
    QVERIFY(!form.SpeedButton3->isEnabled());
    QVERIFY(!form.Wype1->isEnabled());
    QVERIFY(!form.Wczytajzdysku2->isEnabled());
    QVERIFY(!form.Czytaj1->isEnabled());
    QVERIFY(!form.Zapisz1->isEnabled());
    QVERIFY(form.Zapissznadysk1->isEnabled());
    QVERIFY(form.StringGrid1->isEnabled());
    QVERIFY(form.ScrollBar1->isEnabled());
    form.setTransferActive(false);
    QVERIFY(form.Panel1->isEnabled());
    QVERIFY(form.ComboBox2->isEnabled());
    QVERIFY(form.Wype1->isEnabled());
    QVERIFY(form.Zapisz1->isEnabled());
}

// Tab runs grids, port, chip with no stop that shows nothing; Alt+P and Alt+U reach the
// selectors from anywhere.
void TestMainWindow::keysReachSelectors()
{
    auto form = shownForm();
    form->StringGrid1->setFocus();
    QStringList chain;
    for (int i = 0; i < 4; ++i) {
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr);
        chain << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    QCOMPARE(chain, (QStringList{"StringGrid1", "StringGrid2", "ComboBox1", "ComboBox2"}));
    form->StringGrid1->setFocus();
    QTest::keyClick(form->StringGrid1, Qt::Key_U, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), form->ComboBox2);
    QTest::keyClick(form->ComboBox2, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), form->ComboBox1);
    QCOMPARE(form->ComboBox2->toolTip(), QStringLiteral("Układ (Alt+U)"));
}

void TestMainWindow::englishWindow()
{
    // The window as an English system starts it, with the catalogue built into the program.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/i18n/kestrel_en.qm")));
    QVERIFY(QCoreApplication::installTranslator(&english));
    const auto polishAgain = qScopeGuard([&] { QCoreApplication::removeTranslator(&english); });
    TForm1 form;
    auto* buffer = form.findChild<QMenu*>(QStringLiteral("Wczytajzdysku1"));
    QVERIFY(buffer != nullptr);
    QCOMPARE(buffer->title(), QStringLiteral("&BUFFER")); // Alt+B, as in Polish
    auto* program = form.findChild<QAction*>(QStringLiteral("Zapisz1"));
    QVERIFY(program != nullptr);
    QCOMPARE(program->text(), QStringLiteral("Program"));
    QCOMPARE(form.GroupBox1->title(), QStringLiteral("BUFFER"));
    QCOMPARE(closeWithChangesQuestion(),
             QStringLiteral("The buffer has unsaved changes. Quit the program?"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
