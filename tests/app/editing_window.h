#pragma once

// The main window with scripted dialogs and what the editing and file tests look at in it.

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

namespace kestrel::editingtest {

using namespace testing;

inline const QString DotAbove = QString(QChar(0x02D9));
inline constexpr int ChipB32 = 8; // 768 bytes
inline constexpr int ChipD60 = 9; // 1024 bytes

// Answers the window's dialogs from a script and records what was asked and shown.
class ScriptedDialogs : public UserDialogs
{
public:
    QList<std::optional<QString>> openAnswers;
    QList<std::optional<QString>> saveAnswers;
    QList<bool> okCancelAnswers;
    // The unsaved-change questions' answers; while there are none, OK and Cancel answer them.
    QList<UnsavedAnswer> unsavedAnswers;
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
    UnsavedAnswer askSaveDiscardCancel(const QString& text) override
    {
        if (unsavedAnswers.isEmpty())
            return UserDialogs::askSaveDiscardCancel(text);
        questions << text;
        return unsavedAnswers.takeFirst();
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

inline QString hexCell(TForm1& form, int col, int row)
{
    return form.StringGrid1->model()->index(row - 1, col - 1).data().toString();
}

inline QString charCell(TForm1& form, int col, int row)
{
    return form.StringGrid2->model()
        ->index(row - 1, col - 1)
        .data(EepromModel::CharTextRole)
        .toString();
}

inline std::int32_t entry(TForm1& form, int col, int row)
{
    return form.image().EepromBuffer[static_cast<std::size_t>(entryOf(col, row))];
}

// The buffer is `image`, and both grids show it over the chip's rows.
inline bool showsImage(TForm1& form, const EepromBufferType& image)
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
inline void clickCell(TForm1& form, int col, int row)
{
    GridView& hex = *form.StringGrid1;
    const QModelIndex index = hex.model()->index(row - 1, col - 1);
    hex.scrollTo(index);
    QTest::mouseClick(hex.viewport(), Qt::LeftButton, {}, hex.visualRect(index).center());
}

// The hex grid's selection is exactly this one cell, and it is the current cell.
inline bool selectedAlone(TForm1& form, int col, int row)
{
    GridView& hex = *form.StringGrid1;
    const QModelIndex index = hex.model()->index(row - 1, col - 1);
    const QModelIndexList selected = hex.selectionModel()->selectedIndexes();
    return hex.currentIndex() == index && selected.size() == 1 && selected.front() == index;
}

inline void selectChip(TForm1& form, int index)
{
    if (form.ComboBox2->currentIndex() == index)
        form.ComboBox2->setCurrentIndex((index + 1) % ChipCount);
    form.ComboBox2->setCurrentIndex(index);
}

// Sends one key press whose text is the given character, as a keyboard layout would.
inline void typeCharacter(QWidget* widget, QChar ch)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(widget, &release);
}

// Runs one of the two load or save commands as the user would start it.
inline void runCommand(TForm1& form, const QString& how)
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
inline bool wholeImageRefreshed(const QSignalSpy& spy, int rows)
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
inline std::pair<bool, bool> dropFile(TForm1& form, const QString& path)
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
inline const QByteArray HandS19 = "S00600004844521B\r\nS1070D0001020304E1\r\nS10510001122B7\r\n"
                                  "S5030002FA\r\nS9030000FC\r\n";
// Intel HEX written by hand: BE EF at 0C00.
inline const QByteArray HandHex = ":020C0000BEEF45\n:00000001FF\n";

} // namespace kestrel::editingtest
