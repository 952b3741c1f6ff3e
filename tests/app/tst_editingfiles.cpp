// Hex entry, loading and saving through the main window: keys typed into the hex grid, the
// toolbar buttons and menu commands with scripted dialogs.

#include "buffer_history.h"
#include "chip_table.h"
#include "image_commands.h"
#include "main_window.h"

#include "../image/file_helpers.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <memory>

using namespace kestrel;
using namespace testing;

namespace {

const QString DotAbove = QString(QChar(0x02D9));
constexpr int ChipB32 = 8; // 768 bytes
constexpr int ChipD60 = 9; // 1024 bytes

// Answers the window's dialogs from a script and records what was asked and shown.
class ScriptedDialogs : public UserDialogs
{
public:
    QList<std::optional<QString>> openAnswers;
    QList<std::optional<QString>> saveAnswers;
    QList<bool> okCancelAnswers;
    std::optional<ImageFormat> openFormat; // the format of the file type chosen

    int openAsked = 0;
    QStringList saveSuggestions;
    QStringList questions;
    QStringList messages;

    std::optional<QString> askOpenFile() override
    {
        ++openAsked;
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.takeFirst();
    }
    std::optional<OpenChoice> askOpenImage() override
    {
        const std::optional<QString> path = askOpenFile();
        if (!path)
            return std::nullopt;
        return OpenChoice{*path, openFormat};
    }
    std::optional<QString> askSaveFile(const QString& suggested) override
    {
        saveSuggestions << suggested;
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    void showMessage(const QString& text) override { messages << text; }
    bool askOkCancel(const QString& text) override
    {
        questions << text;
        return !okCancelAnswers.isEmpty() && okCancelAnswers.takeFirst();
    }
};

struct Window
{
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
    ScriptedDialogs dialogs;

    Window()
    {
        form->setDialogs(&dialogs);
        form->show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(form.get());
        form->StringGrid1->setFocus();
    }
    ~Window() { form->setDialogs(nullptr); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    TForm1& operator*() { return *form; }
    TForm1* operator->() { return form.get(); }
};

QString hexCell(TForm1& form, int col, int row)
{
    return form.StringGrid1->model()->index(row - 1, col - 1).data().toString();
}

QString charCell(TForm1& form, int col, int row)
{
    return form.StringGrid2->model()
        ->index(row - 1, col - 1)
        .data(EepromModel::CharTextRole)
        .toString();
}

std::int32_t entry(TForm1& form, int col, int row)
{
    return form.image().EepromBuffer[static_cast<std::size_t>(entryOf(col, row))];
}

// The buffer is `image`, and both grids show it over the chip's rows.
bool showsImage(TForm1& form, const EepromBufferType& image)
{
    for (int e = 1; e <= form.image().EepromSize; ++e) {
        const QModelIndex cell = form.model().index((e - 1) / 16, (e - 1) % 16);
        if (cell.data().toString() != hexText(image[e]) ||
            cell.data(EepromModel::CharTextRole).toString() != charText(image[e]))
            return false;
    }
    return form.image().EepromBuffer == image;
}

// Clicks a data cell of the hex grid, scrolling it into view first.
void clickCell(TForm1& form, int col, int row)
{
    GridView& hex = *form.StringGrid1;
    const QModelIndex index = hex.model()->index(row - 1, col - 1);
    hex.scrollTo(index);
    QTest::mouseClick(hex.viewport(), Qt::LeftButton, {}, hex.visualRect(index).center());
}

// The hex grid's selection is exactly this one cell, and it is the current cell.
bool selectedAlone(TForm1& form, int col, int row)
{
    GridView& hex = *form.StringGrid1;
    const QModelIndex index = hex.model()->index(row - 1, col - 1);
    const QModelIndexList selected = hex.selectionModel()->selectedIndexes();
    return hex.currentIndex() == index && selected.size() == 1 && selected.front() == index;
}

void selectChip(TForm1& form, int index)
{
    if (form.ComboBox2->currentIndex() == index)
        form.ComboBox2->setCurrentIndex((index + 1) % ChipCount);
    form.ComboBox2->setCurrentIndex(index);
}

// Sends one key press whose text is the given character, as a keyboard layout would.
void typeCharacter(QWidget* widget, QChar ch)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &release);
}

// Runs one of the two load or save commands as the user would start it.
void runCommand(TForm1& form, const QString& how)
{
    if (how == QLatin1String("toolbar load"))
        QTest::mouseClick(form.SpeedButton1, Qt::LeftButton);
    else if (how == QLatin1String("menu load"))
        form.Wczytajzdysku2->trigger();
    else if (how == QLatin1String("toolbar save"))
        QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
    else if (how == QLatin1String("menu save"))
        form.Zapissznadysk1->trigger();
    else
        QFAIL("unknown command");
}

// The model told the views that every data cell of both grids changed.
bool wholeImageRefreshed(const QSignalSpy& spy, int rows)
{
    for (const QList<QVariant>& args : spy) {
        const auto from = args.at(0).value<QModelIndex>();
        const auto to = args.at(1).value<QModelIndex>();
        const auto roles = args.at(2).value<QList<int>>();
        const bool bothTexts = roles.isEmpty() || (roles.contains(Qt::DisplayRole) &&
                                                   roles.contains(EepromModel::CharTextRole));
        if (from.row() == 0 && from.column() == 0 && to.row() == rows - 1 && to.column() == 15 &&
            bothTexts)
            return true;
    }
    return false;
}

// Drags a file over the hex grid and drops it there, as a file manager would. Gives whether the
// window took the drag and the drop.
std::pair<bool, bool> dropFile(TForm1& form, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QWidget* target = form.StringGrid1->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

// S-records written by hand for the 68HC12B32: 01 02 03 04 at 0D00, 11 22 at 1000 (flash).
const QByteArray HandS19 = "S00600004844521B\r\nS1070D0001020304E1\r\nS10510001122B7\r\n"
                           "S5030002FA\r\nS9030000FC\r\n";
// Intel HEX written by hand: BE EF at 0C00.
const QByteArray HandHex = ":020C0000BEEF45\n:00000001FF\n";

} // namespace

class TestEditingFiles : public QObject
{
    Q_OBJECT
private slots:
    void typedKeys_data();
    void typedKeys();
    void nonDigitsKeepPendingDigit();
    void keypadDigits();
    void upperBytesChangeNothing();
    void textOfSeveralCharactersChangesNothing();
    void digitThenClickElsewhere();
    void digitAfterFillStaysByte();
    void scrollRuleMovesAllThree();
    void lastRowOfChip();
    void clickOnCurrentCellMovesCursor_data();
    void clickOnCurrentCellMovesCursor();
    void clickOnCurrentCellDropsPendingDigit();
    void pastLastRowNoFocusFrameArrowsFromLastCell_data();
    void pastLastRowNoFocusFrameArrowsFromLastCell();
    void arrowsStillNavigate();
    void keysRefusedDuringTransfer();

    void loadCommands_data();
    void loadCommands();
    void loadRefused_data();
    void loadRefused();
    void loadSizeFollowsSelectedChip();
    void loadRefusedDuringTransfer();

    void saveCommands_data();
    void saveCommands();
    void overwriteCancelThenOk();
    void failedSaveKeepsDisk_data();
    void failedSaveKeepsDisk();
    void saveAllowedDuringTransfer();

    void loadRecordFiles_data();
    void loadRecordFiles();
    void recordFileRefused_data();
    void recordFileRefused();
    void saveFormats_data();
    void saveFormats();
    void dropRefusedDuringTransfer();
    void shortcuts();
    void bufferSteps_data();
    void bufferSteps();
};

void TestEditingFiles::typedKeys_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("chr");
    QTest::addColumn<int>("nextCol");
    QTest::addColumn<int>("nextRow");

    QTest::newRow("column 16 of row 5") << 16 << 5 << "A5"
                                        << "A5"
                                        << "Ą" << 1 << 6;
    QTest::newRow("lower case") << 3 << 2 << "c3"
                                << "C3"
                                << "Ă" << 4 << 2;
    QTest::newRow("upper case") << 3 << 2 << "C3"
                                << "C3"
                                << "Ă" << 4 << 2;
    QTest::newRow("zero byte") << 1 << 1 << "00"
                               << "00" << QString(QChar(0)) << 2 << 1;
    QTest::newRow("letter") << 8 << 3 << "41"
                            << "41"
                            << "A" << 9 << 3;
}

void TestEditingFiles::typedKeys()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(QString, hex);
    QFETCH(QString, chr);
    QFETCH(int, nextCol);
    QFETCH(int, nextRow);

    Window w;
    clickCell(*w, col, row);
    QVERIFY(selectedAlone(*w, col, row));

    // After the first digit both grids show the entry holding that digit.
    QTest::keyClick(w->StringGrid1, keys.at(0).toLatin1());
    QCOMPARE(hexCell(*w, col, row), QStringLiteral("0") + keys.at(0).toUpper());
    QCOMPARE(charCell(*w, col, row), charText(QString(keys.at(0)).toInt(nullptr, 16)));
    QVERIFY(selectedAlone(*w, col, row));

    QTest::keyClick(w->StringGrid1, keys.at(1).toLatin1());
    QCOMPARE(hexCell(*w, col, row), hex);
    QCOMPARE(charCell(*w, col, row), chr);
    QCOMPARE(entry(*w, col, row), hex.toInt(nullptr, 16));
    QVERIFY(selectedAlone(*w, nextCol, nextRow));
    QCOMPARE(w->image().CursorCol, nextCol);
    QCOMPARE(w->image().CursorRow, nextRow);
    QCOMPARE(w->image().NibbleCount, 0);
}

void TestEditingFiles::nonDigitsKeepPendingDigit()
{
    Window w;
    clickCell(*w, 2, 4);
    QTest::keyClick(w->StringGrid1, '9');
    const EepromBufferType pending = w->image().EepromBuffer;
    QTest::keyClick(w->StringGrid1, 'G');
    QTest::keyClick(w->StringGrid1, ' ');
    QTest::keyClick(w->StringGrid1, Qt::Key_Backspace);
    QTest::keyClick(w->StringGrid1, Qt::Key_Return);
    QTest::keyClick(w->StringGrid1, Qt::Key_Enter);
    QVERIFY(w->image().EepromBuffer == pending);
    QCOMPARE(hexCell(*w, 2, 4), QStringLiteral("09"));
    QVERIFY(selectedAlone(*w, 2, 4));
    QCOMPARE(w->image().NibbleCount, 1);

    QTest::keyClick(w->StringGrid1, 'e');
    QCOMPARE(hexCell(*w, 2, 4), QStringLiteral("9E"));
    QVERIFY(selectedAlone(*w, 3, 4));
}

void TestEditingFiles::keypadDigits()
{
    Window w;
    clickCell(*w, 5, 1);
    QTest::keyClick(w->StringGrid1, Qt::Key_4, Qt::KeypadModifier);
    QTest::keyClick(w->StringGrid1, Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(hexCell(*w, 5, 1), QStringLiteral("42"));
    QVERIFY(selectedAlone(*w, 6, 1));
}

void TestEditingFiles::upperBytesChangeNothing()
{
    // Characters of the upper half of the code page, and other non-ASCII digits, are no digits.
    Window w;
    clickCell(*w, 1, 2);
    QTest::keyClick(w->StringGrid1, '3');
    const EepromBufferType pending = w->image().EepromBuffer;
    for (const char16_t code : {u'\u00B9', u'\u0105', u'\u00BC', u'\u00FF', u'\u0661', u'\uFF11'})
        typeCharacter(w->StringGrid1, QChar(code));
    QVERIFY(w->image().EepromBuffer == pending);
    QCOMPARE(w->image().NibbleCount, 1);
    QVERIFY(selectedAlone(*w, 1, 2));

    // The same path delivers a digit.
    typeCharacter(w->StringGrid1, QChar(u'b'));
    QCOMPARE(hexCell(*w, 1, 2), QStringLiteral("3B"));
}

void TestEditingFiles::textOfSeveralCharactersChangesNothing()
{
    Window w;
    clickCell(*w, 1, 5);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("12"));
    clickCell(*w, 1, 1);
    QTest::keyClick(w->StringGrid1, '3');
    const EepromBufferType pending = w->image().EepromBuffer;

    // Neither stored nor searched for among the cells.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("12"));
    QApplication::sendEvent(w->StringGrid1, &press);
    QVERIFY(w->image().EepromBuffer == pending);
    QVERIFY(selectedAlone(*w, 1, 1));
    QCOMPARE(w->image().CursorCol, 1);
    QCOMPARE(w->image().NibbleCount, 1);
}

void TestEditingFiles::digitThenClickElsewhere()
{
    Window w;
    clickCell(*w, 4, 3);
    QTest::keyClick(w->StringGrid1, '7');
    clickCell(*w, 10, 6);
    QCOMPARE(entry(*w, 4, 3), 7);
    QCOMPARE(hexCell(*w, 4, 3), QStringLiteral("07"));
    QCOMPARE(charCell(*w, 4, 3), QString(QChar(7)));
    // The next digit starts a new byte in the clicked cell.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5"));
    QCOMPARE(hexCell(*w, 10, 6), QStringLiteral("05"));
    QCOMPARE(hexCell(*w, 4, 3), QStringLiteral("07"));
}

void TestEditingFiles::digitAfterFillStaysByte()
{
    Window w;
    clickCell(*w, 6, 2);
    QTest::keyClick(w->StringGrid1, '1');
    QTest::mouseClick(w->SpeedButton3, Qt::LeftButton);
    QCOMPARE(hexCell(*w, 6, 2), QStringLiteral("FF"));
    w->StringGrid1->setFocus();
    QTest::keyClick(w->StringGrid1, '5');
    QCOMPARE(entry(*w, 6, 2), 0xF5);
    QCOMPARE(hexCell(*w, 6, 2), QStringLiteral("F5"));
    QCOMPARE(charCell(*w, 6, 2), QString(QChar(0x0151))); // 0xF5 is ő in code page 1250
    QVERIFY(selectedAlone(*w, 7, 2));
}

void TestEditingFiles::scrollRuleMovesAllThree()
{
    Window w;
    clickCell(*w, 16, 13);
    QCOMPARE(w->StringGrid1->topRow(), 1);
    QSignalSpy bar(w->ScrollBar1, &QScrollBar::valueChanged);

    // Rows 14, 15 and 16 lie below the 13 rows on view; the view stays.
    for (int row = 14; row <= 16; ++row) {
        QTest::keyClicks(w->StringGrid1, QStringLiteral("12"));
        QVERIFY(selectedAlone(*w, 1, row));
        QTest::keyClicks(w->StringGrid1, QStringLiteral("34").repeated(15));
        QVERIFY(selectedAlone(*w, 16, row));
        QCOMPARE(w->StringGrid1->topRow(), 1);
    }
    QCOMPARE(bar.size(), 0);

    // Entering row 17 moves all three one row down; the cursor stays out of view.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("AB"));
    QVERIFY(selectedAlone(*w, 1, 17));
    QCOMPARE(w->StringGrid1->topRow(), 2);
    QCOMPARE(w->StringGrid2->topRow(), 2);
    QCOMPARE(w->ScrollBar1->value(), 2);
    QCOMPARE(bar.size(), 1);
    QCOMPARE(hexCell(*w, 16, 16), QStringLiteral("AB"));

    // And each further row moves it once more.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("00").repeated(16));
    QVERIFY(selectedAlone(*w, 1, 18));
    QCOMPARE(w->StringGrid1->topRow(), 3);
    QCOMPARE(w->StringGrid2->topRow(), 3);
    QCOMPARE(w->ScrollBar1->value(), 3);
    QCOMPARE(bar.size(), 2);
}

void TestEditingFiles::lastRowOfChip()
{
    Window w;
    selectChip(*w, ChipB32); // 48 rows
    w->ScrollBar1->setValue(w->ScrollBar1->maximum());
    QCOMPARE(w->StringGrid1->topRow(), 36);
    clickCell(*w, 15, 48);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("1122"));
    QCOMPARE(hexCell(*w, 15, 48), QStringLiteral("11"));
    QCOMPARE(hexCell(*w, 16, 48), QStringLiteral("22"));

    // The cursor left the grid: no cell selected, the view stays.
    QVERIFY(!w->StringGrid1->selectionModel()->hasSelection());
    QCOMPARE(w->image().CursorCol, 1);
    QCOMPARE(w->image().CursorRow, 49);
    QCOMPARE(w->StringGrid1->topRow(), 36);
    QCOMPARE(w->ScrollBar1->value(), 36);

    // Further digits go to the entries after the chip's size, which no cell shows.
    const int rows = w->model().rowCount();
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5A"));
    QCOMPARE(w->image().EepromBuffer[769], 0x5A);
    QCOMPARE(w->model().rowCount(), rows);
    QCOMPARE(hexCell(*w, 16, 48), QStringLiteral("22"));
    QCOMPARE(w->StringGrid1->topRow(), 36);
}

void TestEditingFiles::clickOnCurrentCellMovesCursor_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cursor left the last row") << "last row";
    QTest::newRow("chip change removed the cursor's row") << "chip change";
}

void TestEditingFiles::clickOnCurrentCellMovesCursor()
{
    // The grid's current cell and the cursor part; a click on that cell still selects it.
    QFETCH(QString, how);
    Window w;
    if (how == QLatin1String("last row")) {
        selectChip(*w, ChipB32);
        clickCell(*w, 16, 48);
        QTest::keyClicks(w->StringGrid1, QStringLiteral("11"));
        QCOMPARE(w->image().CursorRow, 49);
    } else {
        selectChip(*w, ChipD60);
        clickCell(*w, 3, 60);
        selectChip(*w, Chip68HC05);
        QCOMPARE(w->image().CursorRow, 60);
    }
    const QModelIndex current = w->StringGrid1->currentIndex();
    QVERIFY(current.isValid());
    const int col = current.column() + 1;
    const int row = current.row() + 1;
    clickCell(*w, col, row);
    QCOMPARE(w->image().CursorCol, col);
    QCOMPARE(w->image().CursorRow, row);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("3C"));
    QCOMPARE(entry(*w, col, row), 0x3C);
    QCOMPARE(hexCell(*w, col, row), QStringLiteral("3C"));
}

void TestEditingFiles::clickOnCurrentCellDropsPendingDigit()
{
    // A click on a cell always starts a new byte, whether or not it is the current cell.
    Window w;
    selectChip(*w, ChipB32);
    clickCell(*w, 5, 3);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("7"));
    QCOMPARE(w->image().NibbleCount, 1);
    clickCell(*w, 5, 3);
    QCOMPARE(w->image().NibbleCount, 0);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("A5"));
    QCOMPARE(entry(*w, 5, 3), 0xA5);
    // The byte is complete: the cursor went on to the next cell.
    QCOMPARE(w->image().CursorCol, 6);
    QCOMPARE(w->image().CursorRow, 3);
}

void TestEditingFiles::pastLastRowNoFocusFrameArrowsFromLastCell_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::newRow("left") << int(Qt::Key_Left) << 15 << 48;
    QTest::newRow("up") << int(Qt::Key_Up) << 16 << 47;
}

void TestEditingFiles::pastLastRowNoFocusFrameArrowsFromLastCell()
{
    QFETCH(int, key);
    QFETCH(int, col);
    QFETCH(int, row);
    Window w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    selectChip(*w, ChipB32);
    GridView& hex = *w->StringGrid1;
    clickCell(*w, 16, 48);
    hex.setFocus();
    QTest::keyClicks(&hex, QStringLiteral("11"));
    QCOMPARE(w->image().CursorRow, 49);

    // No cell shows the dotted focus frame: the bottom pixel rows of the last cell are as
    // those of its unfocused neighbour.
    const QImage shot = hex.viewport()->grab().toImage();
    auto bottomRows = [&](int c, int r) {
        const QRect rect = hex.visualRect(hex.model()->index(r - 1, c - 1));
        return shot.copy(QRect(rect.left(), rect.bottom() - 3, 12, 4));
    };
    QVERIFY(hex.hasFocus());
    QCOMPARE(bottomRows(16, 48), bottomRows(15, 48));

    // The arrow keys go on from the last cell.
    QTest::keyClick(&hex, Qt::Key(key));
    QCOMPARE(w->image().CursorCol, col);
    QCOMPARE(w->image().CursorRow, row);
}

void TestEditingFiles::arrowsStillNavigate()
{
    Window w;
    clickCell(*w, 3, 1);
    QTest::keyClick(w->StringGrid1, 'D');
    QTest::keyClick(w->StringGrid1, Qt::Key_Right);
    QCOMPARE(w->image().CursorCol, 4);
    QCOMPARE(w->image().NibbleCount, 0);
    QCOMPARE(entry(*w, 3, 1), 0xD);
    for (int i = 0; i < 13; ++i)
        QTest::keyClick(w->StringGrid1, Qt::Key_Down);
    QCOMPARE(w->image().CursorRow, 14);
    QCOMPARE(w->StringGrid1->topRow(), 2);
    QCOMPARE(w->ScrollBar1->value(), 2);
    QCOMPARE(w->StringGrid2->topRow(), 2);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("ee"));
    QCOMPARE(hexCell(*w, 4, 14), QStringLiteral("EE"));
}

void TestEditingFiles::keysRefusedDuringTransfer()
{
    Window w;
    clickCell(*w, 2, 2);
    QTest::keyClick(w->StringGrid1, '4');
    const EepromBufferType before = w->image().EepromBuffer;

    w->setTransferActive(true);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5678"));
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(hexCell(*w, 2, 2), QStringLiteral("04"));
    QCOMPARE(w->image().NibbleCount, 1);
    QVERIFY(selectedAlone(*w, 2, 2));
    // Navigation still works.
    QTest::keyClick(w->StringGrid1, Qt::Key_Down);
    QCOMPARE(w->image().CursorRow, 3);

    w->setTransferActive(false);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("9A"));
    QCOMPARE(hexCell(*w, 2, 3), QStringLiteral("9A"));
}

void TestEditingFiles::loadCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("fileSize");
    QTest::newRow("toolbar, 100 bytes") << "toolbar load" << 100;
    QTest::newRow("menu, 100 bytes") << "menu load" << 100;
    QTest::newRow("toolbar, empty") << "toolbar load" << 0;
    QTest::newRow("menu, whole chip") << "menu load" << 768;
}

void TestEditingFiles::loadCommands()
{
    QFETCH(QString, how);
    QFETCH(int, fileSize);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("obraz.bin"));
    const QByteArray bytes = pattern(fileSize, 5);
    QVERIFY(writeAll(path, bytes));

    Window w;
    selectChip(*w, ChipB32);
    clickCell(*w, 9, 7);
    QTest::keyClick(w->StringGrid1, '2');
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the typed digit is replaced
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);

    runCommand(*w, how);

    QCOMPARE(w.dialogs.openAsked, 1);
    QVERIFY(w.dialogs.messages.isEmpty());
    QCOMPARE(w->Label1->text(), path);
    QVERIFY(w->Label1->width() >= w->Label1->sizeHint().width());
    QVERIFY(wholeImageRefreshed(changed, 48));
    for (int i = 0; i < 768; ++i) {
        const int col = i % 16 + 1;
        const int row = i / 16 + 1;
        const int value = i < fileSize ? static_cast<unsigned char>(bytes[i]) : 0xFF;
        QCOMPARE(hexCell(*w, col, row), hexText(value));
        QCOMPARE(charCell(*w, col, row), charText(value));
    }
    // The cursor and its pending digit stay.
    QCOMPARE(w->image().CursorCol, 9);
    QCOMPARE(w->image().CursorRow, 7);
    QCOMPARE(w->image().NibbleCount, 1);
}

void TestEditingFiles::loadRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("answer"); // cancel, missing, folder, large
    QTest::addColumn<bool>("message");
    for (const QString& how : {QStringLiteral("toolbar load"), QStringLiteral("menu load")}) {
        const QByteArray h = how.toLatin1();
        QTest::newRow(h + ", cancelled") << how << "cancel" << false;
        QTest::newRow(h + ", no such file") << how << "missing" << false;
        QTest::newRow(h + ", folder") << how << "folder" << false;
        QTest::newRow(h + ", one byte too large") << how << "large" << true;
    }
}

void TestEditingFiles::loadRefused()
{
    QFETCH(QString, how);
    QFETCH(QString, answer);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    QVERIFY(writeAll(first, pattern(512, 9)));

    Window w;
    w.dialogs.openAnswers << first;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w->Label1->text(), first);
    const EepromBufferType before = w->image().EepromBuffer;

    if (answer == QLatin1String("cancel")) {
        w.dialogs.openAnswers << std::nullopt;
    } else if (answer == QLatin1String("missing")) {
        w.dialogs.openAnswers << dir.filePath(QStringLiteral("brak.bin"));
    } else if (answer == QLatin1String("folder")) {
        w.dialogs.openAnswers << dir.path();
    } else {
        const QString large = dir.filePath(QStringLiteral("duzy.bin"));
        QVERIFY(writeAll(large, pattern(513, 1)));
        w.dialogs.openAnswers << large;
    }
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);
    runCommand(*w, how);

    QCOMPARE(w.dialogs.openAsked, 2);
    QCOMPARE(w->Label1->text(), first);
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(changed.size(), 0);
    if (message)
        QCOMPARE(w.dialogs.messages, QStringList{fileTooLargeMessage()});
    else
        QVERIFY(w.dialogs.messages.isEmpty());
}

void TestEditingFiles::loadSizeFollowsSelectedChip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("d60.bin"));
    const QByteArray bytes = pattern(1024, 3);

    Window w;
    selectChip(*w, ChipD60);
    for (int i = 0; i < 1024; ++i)
        w->image().EepromBuffer[static_cast<std::size_t>(i + 1)] =
            static_cast<unsigned char>(bytes[i]);
    w.dialogs.saveAnswers << path;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(readAll(path), bytes);

    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << path;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w.dialogs.messages, QStringList{fileTooLargeMessage()});
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    selectChip(*w, ChipD60);
    w.dialogs.openAnswers << path;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w.dialogs.messages.size(), 1);
    QCOMPARE(w->Label1->text(), path);
    QCOMPARE(hexCell(*w, 1, 1), hexText(static_cast<unsigned char>(bytes[0])));
    QCOMPARE(hexCell(*w, 16, 64), hexText(static_cast<unsigned char>(bytes[1023])));
}

void TestEditingFiles::loadRefusedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("obraz.bin"));
    QVERIFY(writeAll(path, pattern(100, 2)));

    Window w;
    w->setTransferActive(true);
    w.dialogs.openAnswers << path << path;
    // The commands are disabled; even when run they ask for no file.
    w->SpeedButton1Click();
    w->Wczytajzdysku2Click();
    QCOMPARE(w.dialogs.openAsked, 0);
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    w->setTransferActive(false);
    runCommand(*w, QStringLiteral("menu load"));
    QCOMPARE(w.dialogs.openAsked, 1);
    QCOMPARE(w->Label1->text(), path);
}

void TestEditingFiles::saveCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("chip");
    QTest::addColumn<int>("size");
    QTest::newRow("toolbar, 68HC12B32") << "toolbar save" << int(ChipB32) << 768;
    QTest::newRow("menu, 68HC12B32") << "menu save" << int(ChipB32) << 768;
    QTest::newRow("toolbar, 68HC12D60") << "toolbar save" << int(ChipD60) << 1024;
    QTest::newRow("menu, 68HC05") << "menu save" << int(Chip68HC05) << 256;
}

void TestEditingFiles::saveCommands()
{
    QFETCH(QString, how);
    QFETCH(int, chip);
    QFETCH(int, size);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zapis.bin"));

    Window w;
    selectChip(*w, chip);
    const int rows = size / 16;
    // First and last byte typed into the grid.
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5a"));
    clickCell(*w, 16, rows);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("C3"));
    w->image().EepromBuffer[static_cast<std::size_t>(size + 1)] = 0x11; // past the chip
    w->setFileLabel(QStringLiteral("poprzedni.bin"));
    const EepromBufferType before = w->image().EepromBuffer;

    w.dialogs.saveAnswers << path;
    runCommand(*w, how);

    const QByteArray saved = readAll(path);
    QCOMPARE(saved.size(), size);
    QCOMPARE(static_cast<unsigned char>(saved.front()), 0x5A);
    QCOMPARE(static_cast<unsigned char>(saved.back()), 0xC3);
    QCOMPARE(saved.count(char(0xFF)), size - 2);
    QVERIFY(w.dialogs.questions.isEmpty());
    QVERIFY(w.dialogs.messages.isEmpty());
    QCOMPARE(w->Label1->text(), QStringLiteral("poprzedni.bin"));
    QVERIFY(w->image().EepromBuffer == before);

    // Loading it back gives the same image.
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("00"));
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the typed byte is replaced
    runCommand(*w, QStringLiteral("menu load"));
    for (int i = 1; i <= size; ++i)
        QCOMPARE(w->image().EepromBuffer[static_cast<std::size_t>(i)],
                 before[static_cast<std::size_t>(i)]);
}

void TestEditingFiles::overwriteCancelThenOk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("istniejacy.bin"));
    const QByteArray old = pattern(2000, 7);
    QVERIFY(writeAll(path, old));

    Window w;
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("77"));

    // Cancel reopens the save dialog with the name chosen; cancelling that ends the command.
    w.dialogs.saveAnswers << path << std::nullopt;
    w.dialogs.okCancelAnswers << false;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(w.dialogs.questions, QStringList{overwriteQuestion()});
    QCOMPARE(w.dialogs.saveSuggestions, QStringList({QString(), path}));
    QCOMPARE(readAll(path), old);

    // Cancel, the same name again, OK: the file is replaced by exactly the chip's bytes.
    w.dialogs.questions.clear();
    w.dialogs.saveSuggestions.clear();
    w.dialogs.saveAnswers << path << path;
    w.dialogs.okCancelAnswers << false << true;
    runCommand(*w, QStringLiteral("toolbar save"));
    QCOMPARE(w.dialogs.questions, QStringList({overwriteQuestion(), overwriteQuestion()}));
    QCOMPARE(w.dialogs.saveSuggestions, QStringList({QString(), path}));
    const QByteArray saved = readAll(path);
    QCOMPARE(saved.size(), 512);
    QCOMPARE(static_cast<unsigned char>(saved.front()), 0x77);
    QCOMPARE(saved.mid(1), QByteArray(511, char(0xFF)));
    QVERIFY(w.dialogs.messages.isEmpty());
}

void TestEditingFiles::failedSaveKeepsDisk_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("missing folder") << "brak/plik.bin";
    QTest::newRow("below a regular file") << "plik.txt/plik.bin";
    QTest::newRow("a folder of that name") << "katalog";
}

void TestEditingFiles::failedSaveKeepsDisk()
{
    QFETCH(QString, target);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plik.txt")), pattern(40, 1)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("katalog")));
    const QStringList before = listing(dir.path());
    const QString path = dir.filePath(target);

    Window w;
    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    runCommand(*w, QStringLiteral("toolbar save"));

    QCOMPARE(w.dialogs.messages.size(), 1);
    const QStringList lines = w.dialogs.messages.front().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Nie można zapisać pliku:"));
    QCOMPARE(lines.at(1), path);
    QVERIFY(!lines.at(2).isEmpty());
    QCOMPARE(listing(dir.path()), before);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("plik.txt"))), pattern(40, 1));
}

void TestEditingFiles::saveAllowedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("w_trakcie.bin"));
    const QByteArray old = pattern(300, 4);
    QVERIFY(writeAll(path, old));

    Window w;
    w->setTransferActive(true);
    QVERIFY(w->Zapissznadysk1->isEnabled());

    // A disk that fills up: the existing file survives the failed save byte for byte.
    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    {
        FileSizeLimit limit(100);
        QVERIFY(limit.ok());
        runCommand(*w, QStringLiteral("menu save"));
    }
    QCOMPARE(w.dialogs.messages.size(), 1);
    QVERIFY(w.dialogs.messages.front().startsWith(QStringLiteral("Nie można zapisać pliku:\n")));
    QCOMPARE(readAll(path), old);

    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(readAll(path), QByteArray(512, char(0xFF)));
    QCOMPARE(w.dialogs.messages.size(), 1);
}

void TestEditingFiles::loadRecordFiles_data()
{
    QTest::addColumn<QString>("how"); // a load command, "drop" or "Ctrl+O"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("chip");
    QTest::addColumn<QByteArray>("firstBytes"); // row 1 of the chip's image
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("filter"); // the format of the file type chosen, -1 for none
    const QString skipped = QStringLiteral("Pominięto 2 bajtów spoza EEPROM (0D00-0FFF)");
    const QByteArray s19Row = QByteArray::fromHex("01020304") + QByteArray(12, char(0xFF));
    const QByteArray hexRow = QByteArray::fromHex("BEEF") + QByteArray(14, char(0xFF));
    QTest::newRow("S-record, toolbar")
        << "toolbar load"
        << "fw.s19" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("S-record by content, menu")
        << "menu load"
        << "fw.txt" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("S-record, dropped")
        << "drop"
        << "fw.mot" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("Intel HEX, Ctrl+O")
        << "Ctrl+O"
        << "fw.hex" << HandHex << int(ChipD60) << hexRow << QStringList() << -1;
    QTest::newRow("Intel HEX, dropped")
        << "drop"
        << "fw.ihx" << HandHex << int(ChipD60) << hexRow << QStringList() << -1;
    QTest::newRow("raw, dropped") << "drop"
                                  << "fw.bin" << HandHex << int(ChipD60) << HandHex.left(16)
                                  << QStringList() << -1;
    // Raw images that start like text load as raw, whatever their names.
    for (const auto& [how, name, head] : {std::tuple{"menu load", "serial.eep", "S20231105"},
                                          {"toolbar load", "colon.img", ":10A"},
                                          {"drop", "dump", "S9AB"},
                                          {"Ctrl+O", "nl.dat", "\nS1FF"}}) {
        const QByteArray raw = startingWith(head, 768, 3);
        QTest::addRow("raw %s, %s", name, how)
            << how << name << raw << int(ChipB32) << raw.left(16) << QStringList() << -1;
    }
    // The file type chosen decides the format.
    QTest::newRow("S-record file opened as raw")
        << "menu load"
        << "fw.s19" << HandS19 << int(ChipB32) << HandS19.left(16) << QStringList()
        << int(ImageFormat::Raw);
    QTest::newRow("file named .bin opened as S-record")
        << "toolbar load"
        << "fw.bin" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped}
        << int(ImageFormat::SRecord);
}

void TestEditingFiles::loadRecordFiles()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, chip);
    QFETCH(QByteArray, firstBytes);
    QFETCH(QStringList, messages);
    QFETCH(int, filter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));

    Window w;
    selectChip(*w, chip);
    clickCell(*w, 5, 3);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("77"));
    // The notice comes once the grids show the new image.
    QString cellAtNotice;
    struct NoticeDialogs : ScriptedDialogs
    {
        std::function<void()> onMessage;
        void showMessage(const QString& text) override
        {
            ScriptedDialogs::showMessage(text);
            onMessage();
        }
    } dialogs;
    dialogs.onMessage = [&] { cellAtNotice = hexCell(*w, 1, 1); };
    dialogs.okCancelAnswers << true; // the typed byte is replaced
    if (filter >= 0)
        dialogs.openFormat = ImageFormat(filter);
    w->setDialogs(&dialogs);

    if (how == QLatin1String("drop")) {
        QCOMPARE(dropFile(*w, path), std::make_pair(true, true));
        QTRY_COMPARE(w->Label1->text(), path);
    } else if (how == QLatin1String("Ctrl+O")) {
        dialogs.openAnswers << path;
        QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.openAsked, 1);
    } else {
        dialogs.openAnswers << path;
        runCommand(*w, how);
    }
    w->setDialogs(&w.dialogs);

    QCOMPARE(w->Label1->text(), path);
    QCOMPARE(dialogs.messages, messages);
    if (!messages.isEmpty())
        QCOMPARE(cellAtNotice, hexText(static_cast<unsigned char>(firstBytes[0])));
    for (int col = 1; col <= 16; ++col)
        QCOMPARE(hexCell(*w, col, 1), hexText(static_cast<unsigned char>(firstBytes[col - 1])));
    // The byte typed before was replaced. Past row 1 the image holds the rest of a raw file (whose
    // row 1 is its first 16 bytes) or is erased.
    const QByteArray rest = firstBytes == content.left(16) ? content.mid(16) : QByteArray();
    for (int i = 16; i < w->image().EepromSize; ++i) {
        const int value = i - 16 < rest.size() ? static_cast<unsigned char>(rest[i - 16]) : 0xFF;
        QCOMPARE(hexCell(*w, i % 16 + 1, i / 16 + 1), hexText(value));
    }
}

void TestEditingFiles::recordFileRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("checksum, menu")
        << "menu load"
        << "zly.s19" << QByteArray("S1070D0001020304E1\r\n\r\nS1050FFEAA55EF\r\n")
        << "Błąd w pliku, wiersz 3: zła suma kontrolna";
    QTest::newRow("nothing for the EEPROM, dropped")
        << "drop"
        << "zly.rec" << QByteArray("S10510001122B7\nS9030000FC\n")
        << "Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)";
    QTest::newRow("data after the end, toolbar")
        << "toolbar load"
        << "zly.rec" << QByteArray(":020D0000BEEF44\n:00000001FF\n:020D0000BEEF44\n")
        << "Błąd w pliku, wiersz 3: dane po rekordzie końca";
    // Not records throughout and no record name: a raw image, too large for the chip.
    QTest::newRow("one bad line among 40 records, menu")
        << "menu load"
        << "zly.rec" << QByteArray("S1070D0001020304E1\r\n").repeated(40) + "S1050FFEAA55EF\r\n"
        << fileTooLargeMessage();
}

void TestEditingFiles::recordFileRefused()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    QVERIFY(writeAll(first, pattern(512, 9)));
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));

    Window w;
    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << first;
    runCommand(*w, QStringLiteral("menu load"));
    const EepromBufferType before = w->image().EepromBuffer;
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);

    if (how == QLatin1String("drop")) {
        QVERIFY(dropFile(*w, path).second);
        QTRY_COMPARE(w.dialogs.messages.size(), 1);
    } else {
        w.dialogs.openAnswers << path;
        runCommand(*w, how);
    }
    QCOMPARE(w.dialogs.messages, QStringList{message});
    QCOMPARE(w->Label1->text(), first);
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(changed.size(), 0);
}

void TestEditingFiles::saveFormats_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("firstLines"); // the file's start
    QTest::addColumn<int>("lineCount");
    for (const int chip : {int(ChipB32), int(ChipD60)}) {
        const QByteArray chipName = chip == ChipB32 ? "68HC12B32" : "68HC12D60";
        const int rows = chip == ChipB32 ? 48 : 64;
        const QByteArray first = chip == ChipB32 ? "0D00" : "0C00";
        QTest::newRow(chipName + ", raw") << chip << "obraz.bin" << QByteArray("\x5A", 1) << 0;
        // Header, 16-byte data records at the EEPROM's addresses, count and end.
        QTest::newRow(chipName + ", S-record")
            << chip << "obraz.s19"
            << "S00A00004B45535452454CDB\r\nS113" + first + "5AFFFFFF" << rows + 3;
        QTest::newRow(chipName + ", Intel HEX") << chip << "obraz.HEX"
                                                << ":10" + first + "005AFFFFFF" << rows + 1;
    }
}

void TestEditingFiles::saveFormats()
{
    QFETCH(int, chip);
    QFETCH(QString, name);
    QFETCH(QByteArray, firstLines);
    QFETCH(int, lineCount);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);

    Window w;
    selectChip(*w, chip);
    const int size = w->image().EepromSize;
    for (int i = 1; i <= size; ++i)
        w->image().EepromBuffer[static_cast<std::size_t>(i)] = (i * 7 + 3) & 0xFF;
    w->image().EepromBuffer[1] = 0x5A;
    w->image().EepromBuffer[2] = w->image().EepromBuffer[3] = w->image().EepromBuffer[4] = 0xFF;
    const EepromBufferType saved = w->image().EepromBuffer;
    w.dialogs.saveAnswers << path;
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 1);
    QVERIFY(w.dialogs.messages.isEmpty());

    const QByteArray file = readAll(path);
    QVERIFY2(file.startsWith(firstLines), file.left(80).constData());
    if (lineCount > 0) {
        QCOMPARE(file.count("\r\n"), lineCount);
        QCOMPARE(file.count('\n'), lineCount);
        QVERIFY(file.endsWith("\r\n"));
    } else {
        QCOMPARE(file.size(), size);
    }

    // Loaded back from an erased image: the same bytes, no notice.
    w->SpeedButton3Click();
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the fill is replaced
    runCommand(*w, QStringLiteral("toolbar load"));
    QVERIFY(w.dialogs.messages.isEmpty());
    for (int i = 1; i <= size; ++i)
        QCOMPARE(w->image().EepromBuffer[static_cast<std::size_t>(i)],
                 saved[static_cast<std::size_t>(i)]);
}

void TestEditingFiles::dropRefusedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("fw.s19"));
    QVERIFY(writeAll(path, HandS19));

    Window w;
    selectChip(*w, ChipB32);
    w->setTransferActive(true);
    QCOMPARE(dropFile(*w, path), std::make_pair(false, false));
    // A drop that was queued before the transfer started is refused too.
    w->loadImageFrom(path);
    QTest::qWait(20);
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
    QVERIFY(w.dialogs.messages.isEmpty());

    w->setTransferActive(false);
    QCOMPARE(dropFile(*w, path), std::make_pair(true, true));
    QTRY_COMPARE(w->Label1->text(), path);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("01"));
    QCOMPARE(w.dialogs.openAsked, 0);
}

void TestEditingFiles::shortcuts()
{
    Window w;
    QCOMPARE(w->Wczytajzdysku2->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(w->Zapissznadysk1->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));

    // With the hex grid focused, the keys run the commands and type nothing.
    clickCell(*w, 1, 1);
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.dialogs.openAsked, 1);
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 1);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
    QCOMPARE(w->image().NibbleCount, 0);

    QCOMPARE(w->Cofnij1->shortcuts(), QList<QKeySequence>{QKeySequence::fromString("Ctrl+Z")});
    QCOMPARE(w->Ponow1->shortcuts(), QKeySequence::listFromString("Ctrl+Y; Ctrl+Shift+Z"));
    QTest::keyClicks(w->StringGrid1, QStringLiteral("3c"));
    QTest::keyClick(w.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    // During a transfer the load is refused; saving stays allowed.
    w->setTransferActive(true);
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.dialogs.openAsked, 1);
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 2);
}

void TestEditingFiles::bufferSteps_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("typedBefore"); // a byte typed after the first file was loaded
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // what the step asks over a changed buffer
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<bool>("changedAfterUndo");
    const QString load = loadOverChangesQuestion();
    const QString chip = chipChangeQuestion();
    const QString close = closeWithChangesQuestion();
    QTest::newRow("typed byte") << "5c" << false << false << "" << true << false;
    QTest::newRow("first digit only") << "7" << false << false << "" << true << false;
    QTest::newRow("toolbar fill") << "toolbar fill" << false << false << "" << true << false;
    QTest::newRow("menu fill, changed") << "menu fill" << true << false << "" << true << true;
    // Undone, the buffer no longer equals the file loaded last.
    QTest::newRow("toolbar load") << "toolbar load" << false << false << load << false << true;
    QTest::newRow("menu load, changed, OK") << "menu load" << true << true << load << false << true;
    QTest::newRow("drop, changed, OK") << "drop" << true << true << load << false << true;
    QTest::newRow("toolbar load, changed, Cancel")
        << "toolbar load" << true << false << load << false << false;
    QTest::newRow("drop, changed, Cancel") << "drop" << true << false << load << false << false;
    QTest::newRow("chip change") << "chip change" << false << false << chip << false << false;
    QTest::newRow("chip change, changed, OK")
        << "chip change" << true << true << chip << false << false;
    QTest::newRow("chip change, changed, Cancel")
        << "chip change" << true << false << chip << false << false;
    QTest::newRow("close") << "close" << false << false << close << false << false;
    QTest::newRow("close, changed, OK") << "close" << true << true << close << false << false;
    QTest::newRow("close, changed, Cancel") << "close" << true << false << close << false << false;
}

void TestEditingFiles::bufferSteps()
{
    QFETCH(QString, step);
    QFETCH(bool, typedBefore);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(bool, changedAfter);
    QFETCH(bool, changedAfterUndo);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    const QString second = dir.filePath(QStringLiteral("drugi.bin"));
    QVERIFY(writeAll(first, pattern(768, 4)) && writeAll(second, pattern(700, 8)));
    Window w;
    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << first << second;
    runCommand(*w, QStringLiteral("toolbar load"));
    if (typedBefore)
        QTest::keyClicks(w->StringGrid1, QStringLiteral("99"));
    const EepromBufferType before = w->image().EepromBuffer;

    w.dialogs.okCancelAnswers << answer;
    clickCell(*w, 3, 2);
    bool closed = false;
    if (step == QLatin1String("toolbar fill"))
        w->SpeedButton3->click();
    else if (step == QLatin1String("menu fill"))
        w->Wype1->trigger();
    else if (step == QLatin1String("drop"))
        QVERIFY(dropFile(*w, second).second);
    else if (step == QLatin1String("chip change"))
        w->ComboBox2->setCurrentIndex(ChipD60);
    else if (step == QLatin1String("close"))
        closed = w->close();
    else if (step.endsWith(QLatin1String("load")))
        runCommand(*w, step);
    else
        QTest::keyClicks(w->StringGrid1, step);
    QCoreApplication::processEvents(); // a dropped file loads once the drop has returned
    const bool asked = typedBefore && !question.isEmpty();
    QCOMPARE(w.dialogs.questions, asked ? QStringList{question} : QStringList());
    if (asked && !answer) {
        // Nothing happened: no file asked for, the chip shown again without reshaping.
        QCOMPARE(w.dialogs.openAsked, 1);
        QCOMPARE(w->ComboBox2->currentIndex(), ChipB32);
        QCOMPARE(w->model().rowCount(), 48);
        QVERIFY(showsImage(*w, before));
        QVERIFY(w->isWindowModified() && !closed);
        return;
    }
    if (step == QLatin1String("close")) {
        QVERIFY(closed);
        return;
    }
    if (step == QLatin1String("chip change")) {
        // A new buffer with an empty history.
        QCOMPARE(w->model().rowCount(), 64);
        QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
        QVERIFY(!w->Cofnij1->isEnabled() && !w->isWindowModified());
        return;
    }
    const EepromBufferType after = w->image().EepromBuffer;
    QVERIFY(after != before);
    QCOMPARE(w->windowHandle()->title(),
             changedAfter ? QStringLiteral("KESTREL v1.0*") : QStringLiteral("KESTREL v1.0"));
    w->Cofnij1->trigger();
    QVERIFY(showsImage(*w, before));
    QCOMPARE(w->isWindowModified(), changedAfterUndo);
    w->Ponow1->trigger();
    QVERIFY(showsImage(*w, after));
    QCOMPARE(w->isWindowModified(), changedAfter);
}

QTEST_MAIN(TestEditingFiles)
#include "tst_editingfiles.moc"
