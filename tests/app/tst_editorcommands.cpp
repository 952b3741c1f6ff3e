// The hex editor's commands in the window: go to, find, selection and clipboard, typing in the
// character grid, the fourth status panel and comparing with a file.

#include "buffer_history.h"
#include "byte_selection.h"
#include "editor_commands.h"
#include "image_crc.h"
#include "image_file.h"
#include "main_window.h"
#include "widget_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kestrel;

namespace {

constexpr int ChipB32 = 8; // 0x0D00, 768 bytes
constexpr int ChipD60 = 9; // 0x0C00, 1024 bytes

// Answers the text and find dialogs as a user who types the given lines: a refused line is
// kept with its reason and the dialog cancelled. With real set, the text dialogs are the
// window's own.
class EditorDialogs final : public UserDialogs
{
public:
    QStringList lines;
    FindQuestion findAnswer;
    QString openPath;
    QStringList refusals;
    QStringList messages;
    UserDialogs* real = nullptr;

    std::optional<QString> askOpenFile() override { return openPath; }
    std::optional<QString> askSaveFile(const QString&) override { return std::nullopt; }
    void showMessage(const QString& text) override { messages << text; }
    bool askOkCancel(const QString&) override { return true; }
    std::optional<QString> askText(const TextQuestion& question) override
    {
        if (real)
            return real->askText(question);
        const QString line = lines.isEmpty() ? QString() : lines.takeFirst();
        if (const QString reason = question.check(line); !reason.isEmpty()) {
            refusals << reason;
            return std::nullopt;
        }
        return line;
    }
    std::optional<FindQuestion>
    askFind(const FindQuestion&, const std::function<QString(const FindQuestion&)>& check) override
    {
        if (const QString reason = check(findAnswer); !reason.isEmpty()) {
            refusals << reason;
            return std::nullopt;
        }
        return findAnswer;
    }
};

// Types text as key presses that carry it, whatever keys it would take.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Key presses as the keyboard sends them: to the window, which hands them to its focus widget
// and runs its shortcuts only while it is the active window.
void typeInto(QWindow* window, const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

// Types the line into the modal dialog once it shows, then Enter; waits a second at most.
void answerModal(const QString& line, int tries = 100)
{
    QTimer::singleShot(10, [line, tries] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->windowHandle()) {
            if (tries > 1)
                answerModal(line, tries - 1);
            return;
        }
        typeInto(dialog->windowHandle(), line);
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
    });
}

} // namespace

class TestEditorCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void gotoAddress_data();
    void gotoAddress();
    void find_data();
    void find();
    void clipboard_data();
    void clipboard();
    void shiftSelectsInAddressOrder();
    void typingInCharacterGrid();
    void cursorPanel();
    void compareWithFile_data();
    void compareWithFile();

private:
    void setBytes(int offset, const QByteArray& bytes);
    [[nodiscard]] QByteArray bytes() const { return imageFileBytes(m_form->image()); }
    [[nodiscard]] int cursor() const
    {
        return entryOf(m_form->image().CursorCol, m_form->image().CursorRow) - 1;
    }
    [[nodiscard]] std::optional<ByteRange> selected() const
    {
        return m_form->selection().range();
    }

    std::unique_ptr<TForm1> m_form;
    EditorDialogs m_dialogs;
};

void TestEditorCommands::init()
{
    m_form = std::make_unique<TForm1>();
    m_dialogs = {};
    m_form->setDialogs(&m_dialogs);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->ComboBox2->setCurrentIndex(ChipB32);
}

void TestEditorCommands::cleanup()
{
    m_form.reset();
}

void TestEditorCommands::setBytes(int offset, const QByteArray& values)
{
    std::vector<std::int32_t> entries;
    for (const char b : values)
        entries.push_back(static_cast<std::uint8_t>(b));
    (void)m_form->history().change(offset + 1, entries, QStringLiteral("test"));
}

void TestEditorCommands::gotoAddress_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("offset");  // -1: refused
    QTest::addColumn<QString>("range"); // shown when refused
    QTest::newRow("B32 address") << ChipB32 << "0FF0" << 0x2F0 << "";
    QTest::newRow("B32 offset, last byte") << ChipB32 << "+0x2FF" << 0x2FF << "";
    QTest::newRow("B32 below its EEPROM") << ChipB32 << "0C00" << -1 << "0D00-0FFF";
    QTest::newRow("B32 past its end") << ChipB32 << "+300" << -1 << "0D00-0FFF";
    QTest::newRow("D60 address with 0x") << ChipD60 << "0x0FFF" << 0x3FF << "";
    QTest::newRow("D60 past its end") << ChipD60 << "1000" << -1 << "0C00-0FFF";
}

void TestEditorCommands::gotoAddress()
{
    QFETCH(int, chip);
    QFETCH(QString, typed);
    QFETCH(int, offset);
    QFETCH(QString, range);
    m_form->ComboBox2->setCurrentIndex(chip);
    m_form->ComboBox2->setFocus(); // started from the chip selector (Alt+U, then Ctrl+G)
    m_dialogs.lines = {typed};
    m_form->editor().GotoAddress->trigger();
    if (offset < 0) {
        QCOMPARE(m_dialogs.refusals.size(), 1);
        QVERIFY2(m_dialogs.refusals.front().contains(range), qPrintable(m_dialogs.refusals.front()));
        QCOMPARE(cursor(), 0);
        return;
    }
    QVERIFY(m_dialogs.refusals.isEmpty());
    QCOMPARE(cursor(), offset);
    QCOMPARE(QApplication::focusWidget(), m_form->StringGrid1); // typing goes on there
    QCOMPARE(selected()->first, offset);
    // The cursor's row is in view in both grids.
    const int row = offset / 16 + 1;
    QVERIFY(row >= m_form->StringGrid1->topRow());
    QVERIFY(row < m_form->StringGrid1->topRow() + m_form->StringGrid1->visibleRows());
    QCOMPARE(m_form->StringGrid2->topRow(), m_form->StringGrid1->topRow());
}

void TestEditorCommands::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asText");
    QTest::addColumn<int>("from");
    QTest::addColumn<QStringList>("keys"); // after the dialog: "next", "previous"
    QTest::addColumn<int>("found");        // first byte selected, -1: none
    QTest::addColumn<QString>("note");
    // The image holds DE AD BE EF at 0x40 and at 0x200, and the text "KESTREL" at 0x100.
    QTest::newRow("hex, spaces optional") << "deAD be EF" << false << 0 << QStringList{} << 0x40
                                          << "";
    QTest::newRow("text") << "KESTREL" << true << 0 << QStringList{} << 0x100 << "";
    QTest::newRow("next") << "DEADBEEF" << false << 0 << QStringList{"next"} << 0x200 << "";
    QTest::newRow("next wraps") << "DEADBEEF" << false << 0x100 << QStringList{"next"} << 0x40
                                << "Przeszukano cały bufor";
    QTest::newRow("previous wraps") << "DEADBEEF" << false << 0 << QStringList{"previous"}
                                    << 0x200 << "Przeszukano cały bufor";
    QTest::newRow("not found") << "CAFE" << false << 0 << QStringList{} << -1 << "Nie znaleziono";
    QTest::newRow("odd digits refused") << "DEA" << false << 0 << QStringList{} << -1 << "";
}

void TestEditorCommands::find()
{
    QFETCH(QString, text);
    QFETCH(bool, asText);
    QFETCH(int, from);
    QFETCH(QStringList, keys);
    QFETCH(int, found);
    QFETCH(QString, note);
    const QByteArray needle = QByteArray::fromHex("DEADBEEF");
    setBytes(0x40, needle);
    setBytes(0x200, needle);
    setBytes(0x100, "KESTREL");
    m_form->selection().select({from, from}, from);
    m_dialogs.findAnswer = {text, asText};
    m_form->editor().Find->trigger();
    for (const QString& key : keys)
        QTest::keyClick(m_form->StringGrid1, Qt::Key_F3,
                        key == QLatin1String("next") ? Qt::NoModifier : Qt::ShiftModifier);
    if (found < 0) {
        QCOMPARE(cursor(), from);
        QCOMPARE(m_dialogs.refusals.isEmpty(), !note.isEmpty());
    } else {
        QCOMPARE(cursor(), found);
        QCOMPARE(selected()->first, found);
        QCOMPARE(selected()->length(), asText ? int(text.size()) : 4);
    }
    if (!note.isEmpty())
        QCOMPARE(m_form->statusText(), note);
}

void TestEditorCommands::clipboard_data()
{
    QTest::addColumn<QString>("clipboardText"); // empty: copy bytes 0x10..0x13 first
    QTest::addColumn<int>("pasteAt");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("message");
    // Typed into the window's go-to dialog, then "AB" typed in the grid: the keys reach the
    // window, not a widget. Empty: the cursor is put at pasteAt.
    QTest::addColumn<QString>("goTo");
    QTest::newRow("copy, paste round trip") << "" << 0x80 << QByteArray::fromHex("01020304") << ""
                                            << "";
    QTest::newRow("hex text with odd spacing")
        << " de\tAD \n be  ef " << 0x80 << QByteArray::fromHex("DEADBEEF") << "" << "";
    QTest::newRow("past the end is cut") << "11 22 33 44 55" << 0x2FD << QByteArray::fromHex("112233")
                                         << "2 bajtów nie zmieściło się" << "";
    QTest::newRow("not bytes") << "hello" << 0x80 << QByteArray() << "\"hello\"" << "";
    QTest::newRow("keys after the go-to dialog")
        << "01 02 03" << 0x80 << QByteArray::fromHex("AB010203") << "" << "0D80";
}

void TestEditorCommands::clipboard()
{
    QFETCH(QString, clipboardText);
    QFETCH(int, pasteAt);
    QFETCH(QByteArray, written);
    QFETCH(QString, message);
    QFETCH(QString, goTo);
    setBytes(0x10, QByteArray::fromHex("01020304"));
    m_form->history().markSaved();
    const QByteArray before = bytes();
    if (clipboardText.isEmpty()) {
        m_form->selection().select({0x10, 0x13}, 0x10);
        QTest::keyClick(m_form->StringGrid1, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QStringLiteral("01 02 03 04"));
        QCOMPARE(copied->data(QStringLiteral("application/octet-stream")),
                 QByteArray::fromHex("01020304"));
    } else {
        QGuiApplication::clipboard()->setText(clipboardText);
    }
    WidgetDialogs real(m_form.get());
    if (goTo.isEmpty()) {
        m_form->selection().select({pasteAt, pasteAt}, pasteAt);
        QTest::keyClick(m_form->StringGrid2, Qt::Key_V, Qt::ControlModifier);
    } else {
        m_dialogs.real = &real;
        QWindow* window = m_form->windowHandle();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        answerModal(goTo);
        QTest::keyClick(window, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(cursor(), pasteAt);
        typeInto(window, QStringLiteral("AB"));
        QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
    }
    QByteArray expected = before;
    expected.replace(pasteAt, written.size(), written);
    QCOMPARE(bytes(), expected);
    QCOMPARE(m_dialogs.messages.join(u'|').contains(message), true);
    QCOMPARE(m_dialogs.messages.isEmpty(), message.isEmpty());
    // One step, undone whole (the typed byte is a step of its own).
    QCOMPARE(m_form->history().changed(), !written.isEmpty());
    if (!written.isEmpty())
        m_form->Cofnij1->trigger();
    if (!goTo.isEmpty())
        m_form->Cofnij1->trigger();
    QCOMPARE(bytes(), before);
    m_dialogs.real = nullptr;

    // Filling a selection is one step as well.
    m_form->selection().select({0x20, 0x2F}, 0x20);
    m_dialogs.lines = {QStringLiteral("0x5a")};
    m_form->editor().FillSelection->trigger();
    QCOMPARE(bytes().mid(0x1F, 18), QByteArray(1, char(0xFF)) + QByteArray(16, 0x5A) +
                                        QByteArray(1, char(0xFF)));
    m_form->Cofnij1->trigger();
    QCOMPARE(bytes(), before);
}

void TestEditorCommands::shiftSelectsInAddressOrder()
{
    // From the last column of row 1, three Shift+Right reach into row 2: a run, not a block.
    m_form->StringGrid2->setFocus();
    QTest::mouseClick(m_form->StringGrid2->viewport(), Qt::LeftButton, {},
                      m_form->StringGrid2->visualRect(m_form->model().index(0, 14)).center());
    QCOMPARE(cursor(), 14);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_form->StringGrid2, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(selected()->first, 14);
    QCOMPARE(selected()->last, 17);
    QCOMPARE(cursor(), 17);
    // Both grids show it; a Shift+click in the hex grid extends it back over row 1.
    QVERIFY(m_form->StringGrid1->selectionModel()->isSelected(m_form->model().index(1, 1)));
    QVERIFY(!m_form->StringGrid1->selectionModel()->isSelected(m_form->model().index(1, 2)));
    QTest::mouseClick(m_form->StringGrid1->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      m_form->StringGrid1->visualRect(m_form->model().index(0, 3)).center());
    QCOMPARE(selected()->first, 3);
    QCOMPARE(selected()->last, 14);
    // A drag with the button held selects from where it was pressed, in either direction.
    QWidget* port = m_form->StringGrid1->viewport();
    const auto at = [this](int row, int column) {
        return m_form->StringGrid1->visualRect(m_form->model().index(row, column)).center();
    };
    QTest::mousePress(port, Qt::LeftButton, {}, at(2, 5));
    QMouseEvent drag(QEvent::MouseMove, at(1, 9), port->mapToGlobal(at(1, 9)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &drag);
    QTest::mouseRelease(port, Qt::LeftButton, {}, at(1, 9));
    QCOMPARE(selected()->first, 0x19);
    QCOMPARE(selected()->last, 0x25);
    QTest::keyClick(m_form->StringGrid1, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(selected()->length(), 768);
}

void TestEditorCommands::typingInCharacterGrid()
{
    m_form->selection().select({0x2E, 0x2E}, 0x2E);
    m_form->StringGrid2->setFocus();
    typeText(m_form->StringGrid2, QStringLiteral("Aż "));
    QCOMPARE(bytes().mid(0x2E, 4), QByteArray::fromHex("41BF20FF"));
    QCOMPARE(cursor(), 0x31);
    // Both grids show the typed byte at the cell the model ties to it.
    const QModelIndex cell = m_form->model().index(0x2F / 16, 0x2F % 16);
    QCOMPARE(cell.data().toString(), QStringLiteral("BF"));
    QCOMPARE(cell.data(EepromModel::CharTextRole).toString(), QStringLiteral("ż"));
    QVERIFY(m_form->StringGrid1->selectionModel()->isSelected(m_form->model().index(3, 1)));
    // Alt with a letter is a command, not a character.
    QTest::keyClick(m_form->StringGrid2, Qt::Key_B, Qt::AltModifier);
    QCOMPARE(cursor(), 0x31);
    // A character without a byte in the grid's code page writes nothing; each one is a step.
    typeText(m_form->StringGrid2, QStringLiteral("€"));
    QCOMPARE(bytes().at(0x31), char(0x80));
    typeText(m_form->StringGrid2, QString(QChar(0x263A)));
    QCOMPARE(cursor(), 0x32);
    m_form->Cofnij1->trigger();
    m_form->Cofnij1->trigger();
    QCOMPARE(bytes().mid(0x2E, 4), QByteArray::fromHex("41BFFFFF"));
}

void TestEditorCommands::cursorPanel()
{
    setBytes(0x10, QByteArray::fromHex("5AA5"));
    m_form->selection().select({0x10, 0x10}, 0x10);
    const QString crc = crc32Text(crc32Of(bytes()));
    QCOMPARE(m_form->statusPanelText(3),
             QStringLiteral("0D10: 5A = 90  słowo 5AA5  CRC-32 ") + crc);
    QTest::keyClick(m_form->StringGrid1, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(m_form->statusPanelText(3).contains(QStringLiteral("zaznaczono 2 B")));
    // Every change of the buffer gives a new CRC-32.
    QTest::keyClicks(m_form->StringGrid1, QStringLiteral("00"));
    QVERIFY(!m_form->statusPanelText(3).contains(crc));
    QVERIFY(m_form->statusPanelText(3).endsWith(crc32Text(crc32Of(bytes()))));
}

void TestEditorCommands::compareWithFile_data()
{
    QTest::addColumn<QList<int>>("changed"); // offsets where the file differs
    QTest::addColumn<QString>("message");
    QTest::newRow("equal") << QList<int>{} << "Plik zgodny z buforem";
    QTest::newRow("one byte") << QList<int>{0x123}
                              << "Plik różni się od bufora w 1 bajtach. Pierwszy pod adresem "
                                 "0E23: w pliku 00, w buforze FF";
    QList<int> all(768);
    std::iota(all.begin(), all.end(), 0);
    QTest::newRow("every byte") << all
                                << "Plik różni się od bufora w 768 bajtach. Pierwszy pod adresem "
                                   "0D00: w pliku 00, w buforze FF";
    QTest::newRow("three, F8 order") << QList<int>{0x30, 0x31, 0x2A0}
                                     << "Plik różni się od bufora w 3 bajtach";
}

void TestEditorCommands::compareWithFile()
{
    QFETCH(QList<int>, changed);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QByteArray file(768, char(0xFF));
    for (const int offset : changed)
        file[offset] = 0;
    m_dialogs.openPath = dir.filePath(QStringLiteral("other.bin"));
    QFile out(m_dialogs.openPath);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    const QByteArray before = bytes();
    m_form->editor().CompareFile->trigger();
    QCOMPARE(m_dialogs.messages.size(), 1);
    QVERIFY2(m_dialogs.messages.front().startsWith(message), qPrintable(m_dialogs.messages.front()));
    QCOMPARE(bytes(), before);
    QCOMPARE(m_form->model().markedCount(), int(changed.size()));
    QCOMPARE(m_form->history().changed(), false);
    if (changed.size() == 3) {
        // F8 goes through the marks in address order and round; Shift+F8 back.
        const QStringList keys{"F8", "F8", "F8", "F8", "S-F8", "S-F8"};
        const QList<int> at{0x30, 0x31, 0x2A0, 0x30, 0x2A0, 0x31};
        const QList<int> k{1, 2, 3, 1, 3, 2};
        for (int i = 0; i < keys.size(); ++i) {
            QTest::keyClick(m_form->StringGrid1, Qt::Key_F8,
                            keys[i].startsWith(u'S') ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(cursor(), at[i]);
            QCOMPARE(m_form->statusText(), QStringLiteral("Różnica %1 z 3").arg(k[i]));
        }
        // As after a verify, the marks go with the next change.
        QTest::keyClicks(m_form->StringGrid1, QStringLiteral("1"));
        QCOMPARE(m_form->model().markedCount(), 0);
    }
}

QTEST_MAIN(TestEditorCommands)
#include "tst_editorcommands.moc"
