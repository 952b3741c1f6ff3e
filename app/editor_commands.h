#pragma once

#include "byte_selection.h"
#include "user_dialogs.h"

#include <QByteArray>
#include <QObject>

class QAction;
class QMenu;
class QMimeData;

namespace kestrel {

class TForm1;

// Texts of the editor's steps and messages.
[[nodiscard]] QString pasteStep();
[[nodiscard]] QString fillSelectionStep();
[[nodiscard]] QString typedCharStep();
[[nodiscard]] QString fileEqualMessage();
[[nodiscard]] QString fileDifferentMessage(int count, int address, int fileByte, int bufferByte);

// What a paste takes from the clipboard: the raw bytes when it has them, else hex text; else
// nothing and the reason.
struct ClipboardBytes
{
    QByteArray bytes;
    QString refusal; // empty when bytes were found
};
[[nodiscard]] ClipboardBytes clipboardBytes(const QMimeData* mime);
// The clipboard data of a copy: hex text and the raw bytes.
[[nodiscard]] QMimeData* copiedBytes(const QByteArray& bytes);

// The hex editor's commands of the menu "BUFOR": go to, find, selection and clipboard, filling
// the selection, comparing with a file and moving between marked differences. Each change of
// the buffer is one step of its history.
class EditorCommands final : public QObject
{
    Q_OBJECT
public:
    EditorCommands(TForm1& form, ByteSelection& selection);

    // Adds the commands, with their shortcuts, at the end of menu.
    void addTo(QMenu& menu);
    // While a transfer runs, the commands that change or mark the buffer, or report in the
    // status panel, are disabled.
    void setTransferActive(bool active);

    void gotoAddress();
    void find();
    void findAgain(bool forward);
    void selectAll();
    void copy();
    void paste();
    void fillSelection();
    void compareWithFile();
    void moveToDifference(bool forward);

    QAction* GotoAddress = nullptr;
    QAction* Find = nullptr;
    QAction* FindNext = nullptr;
    QAction* FindPrevious = nullptr;
    QAction* SelectAll = nullptr;
    QAction* Copy = nullptr;
    QAction* Paste = nullptr;
    QAction* FillSelection = nullptr;
    QAction* CompareFile = nullptr;
    QAction* NextDifference = nullptr;
    QAction* PreviousDifference = nullptr;

private:
    [[nodiscard]] int size() const;
    [[nodiscard]] int cursorOffset() const;
    // Cursor on offset, bytes first..last selected, the row in view.
    void showRange(ByteRange range, int cursor);
    void search(int from, bool forward);

    TForm1& m_form;
    ByteSelection& m_selection;
    FindQuestion m_lastFind;
    QByteArray m_needle;
};

} // namespace kestrel
