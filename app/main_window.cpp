#include "main_window.h"
#include "trace_panel.h"

#include "buffer_history.h"
#include "byte_selection.h"
#include "chip_table.h"
#include "cursor_text.h"
#include "editor_commands.h"
#include "image_crc.h"
#include "image_file.h"
#include "image_search.h"
#include "hex_entry.h"
#include "image_commands.h"
#include "port_selector.h"
#include "transfer_dispatch.h"
#include "widget_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

#include <span>
#include <utility>

namespace kestrel {

int TForm1::ChipIndex() const
{
    return ComboBox2->currentIndex();
}

void TForm1::refreshGrids()
{
    m_model->refresh();
}

void TForm1::refreshEntry(int entry)
{
    m_model->refreshEntry(entry);
}

void TForm1::markDifferences(const std::vector<int>& offsets)
{
    std::vector<int> entries;
    entries.reserve(offsets.size());
    for (const int offset : offsets)
        entries.push_back(offset + 1);
    m_model->setMarkedEntries(entries);
    if (!entries.empty())
        showEntry(entries.front());
}

void TForm1::showEntry(int entry)
{
    // The scroll chain takes both grids along.
    const int row = (entry - 1) / EepromModel::Columns + 1;
    const int top = StringGrid1->topRow();
    if (row < top || row >= top + StringGrid1->visibleRows())
        ScrollBar1->setValue(row);
}

void TForm1::selectHexCellQuietly(int ACol, int ARow)
{
    const QModelIndex cell = m_model->index(ARow - 1, ACol - 1);
    m_quietSelection = true;
    // A new current cell would otherwise scroll the grids to show it.
    const bool autoScroll = StringGrid1->hasAutoScroll();
    StringGrid1->setAutoScroll(false);
    StringGrid2->setAutoScroll(false);
    if (cell.isValid())
        m_selection->moveTo(cell, false);
    else
        m_selection->clear();
    StringGrid1->setAutoScroll(autoScroll);
    StringGrid2->setAutoScroll(autoScroll);
    m_quietSelection = false;
}

void TForm1::setTransferActive(bool active)
{
    m_transferActive = active;
    Panel1->setEnabled(!active);
    for (QAction* command : {Wczytajzdysku2, Wype1, Czytaj1, Zapisz1, Weryfikuj1, ZapiszWeryfikuj1,
                             KopiaProgramujWeryfikuj1, TestAdaptera1})
        command->setEnabled(!active);
    m_editor->setTransferActive(active);
    updateUndoCommands();
}

void TForm1::updateUndoCommands()
{
    Cofnij1->setEnabled(!m_transferActive && m_history->canUndo());
    Ponow1->setEnabled(!m_transferActive && m_history->canRedo());
}

void TForm1::setStatusText(const QString& text)
{
    m_statusIsVerdict = false;
    m_statusPanels[2]->setText(text);
    emit statusTextChanged(text);
}

QString TForm1::statusText() const
{
    return m_statusPanels[2]->text();
}

QString TForm1::statusPanelText(int index) const
{
    return index >= 0 && index < 4 ? m_statusPanels[index]->text() : QString();
}

void TForm1::updateCursorPanel()
{
    const QByteArray bytes = imageFileBytes(m_image);
    const std::optional<ByteRange> selected = m_selection->range();
    const int length = selected && selected->length() > 1 ? selected->length() : 0;
    m_statusPanels[3]->setText(cursorText(bytes, m_image.EepromBase,
                                          entryOf(m_image.CursorCol, m_image.CursorRow) - 1,
                                          length, crc32Of(bytes)));
}

void TForm1::setFileLabel(const QString& text)
{
    Label1->setText(text);
    Label1->adjustSize();
}

void TForm1::setDialogs(UserDialogs* dialogs)
{
    m_dialogs = dialogs ? dialogs : m_widgetDialogs.get();
}

void TForm1::loadImage()
{
    runLoad([this](ImageState& into) { return loadImageCommand(into, *m_dialogs); });
}

void TForm1::loadImageFrom(const QString& path)
{
    runLoad([this, &path](ImageState& into) { return loadImagePath(into, *m_dialogs, path); });
}

void TForm1::runLoad(const std::function<LoadCommandResult(ImageState&)>& load)
{
    // The buffer belongs to a running transfer, or to the load already under way.
    if (m_transferActive || m_loading)
        return;
    m_loading = true;
    if (!settleUnsaved(loadOverChangesQuestion())) {
        m_loading = false;
        return;
    }
    // Read into a copy: the buffer takes the file as one step of its history.
    ImageState loaded = m_image;
    const LoadCommandResult result = load(loaded);
    m_loading = false;
    showLoaded(result, loaded);
}

void TForm1::showLoaded(const LoadCommandResult& result, const ImageState& loaded)
{
    if (result.outcome != LoadOutcome::Loaded)
        return;
    setFileLabel(result.path);
    m_imageName = result.path;
    m_history->change(1, std::span(loaded.EepromBuffer).subspan(1), loadStep());
    m_history->markSaved();
    if (!result.notice.isEmpty())
        m_dialogs->showMessage(result.notice);
}

namespace {

// The one local file a drag carries, or nothing.
QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().front().isLocalFile())
        return {};
    return mime->urls().front().toLocalFile();
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_transferActive && !m_loading && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (m_transferActive || m_loading || path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Loaded once the drop has returned: its messages must not hold up the dragging program.
    QMetaObject::invokeMethod(
        this, [this, path] { loadImageFrom(path); }, Qt::QueuedConnection);
}

bool TForm1::saveImage()
{
    const SaveCommandResult result = saveImageCommand(m_image, *m_dialogs);
    if (result.outcome != SaveOutcome::Saved)
        return false;
    m_imageName = result.path;
    m_history->markSaved();
    return true;
}

bool TForm1::settleUnsaved(const QString& question)
{
    if (!m_history->changed())
        return true;
    switch (m_dialogs->askSaveDiscardCancel(question)) {
    case UnsavedAnswer::Discard:
        return true;
    case UnsavedAnswer::Cancel:
        return false;
    case UnsavedAnswer::Save:
        break;
    }
    // Saved under its own name when that names a format the buffer is written in; else the
    // save dialog asks for one. A failed or cancelled save loses nothing and goes back.
    const std::optional<ImageFormat> named = formatNamedBy(m_imageName);
    if (!named || *named == ImageFormat::Elf)
        return saveImage();
    if (saveImageToPath(m_image, *m_dialogs, m_imageName).outcome != SaveOutcome::Saved)
        return false;
    m_history->markSaved();
    return true;
}

void TForm1::ComboBox2Change()
{
    const int index = ChipIndex();
    // Back on the chip applied: a change refused below, shown again.
    if (index == m_appliedChip)
        return;
    if (!settleUnsaved(chipChangeQuestion())) {
        ComboBox2->setCurrentIndex(m_appliedChip);
        return;
    }
    m_appliedChip = index;
    m_imageName.clear();
    if (index >= 0 && index < ChipCount) {
        m_image.EepromSize = ChipTable[static_cast<std::size_t>(index)].EepromSize;
        m_image.EepromBase = ChipTable[static_cast<std::size_t>(index)].EepromBase;
    } else {
        m_image.EepromBase = 0x0000;
    }
    ScrollBar1->setMaximum(m_image.rows() - 12);
    m_image.fillFF(1, EepromLastEntry);
    // Rows going away may move the grid's current cell; that is no selection by the user.
    m_quietSelection = true;
    m_model->syncLayout();
    m_quietSelection = false;
    StringGrid1->doItemsLayout();
    StringGrid2->doItemsLayout();
    // A new buffer: the steps of the old one no longer fit it.
    m_history->clear();
}

void TForm1::fillStepFF(int last)
{
    const std::vector<std::int32_t> bytes(static_cast<std::size_t>(last), 0xFF);
    m_history->change(1, bytes, fillStep());
}

void TForm1::Wype1Click()
{
    fillStepFF(std::max(512, m_image.EepromSize));
}

void TForm1::SpeedButton3Click()
{
    fillStepFF(EepromLastEntry);
}

void TForm1::Cofnij1Click()
{
    if (m_transferActive || m_loading)
        return;
    // The entry under the cursor may change: the next digit starts a new byte.
    m_image.NibbleCount = 0;
    m_history->undo();
}

void TForm1::Ponow1Click()
{
    if (m_transferActive || m_loading)
        return;
    m_image.NibbleCount = 0;
    m_history->redo();
}

void TForm1::StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect)
{
    m_image.CursorCol = ACol;
    m_image.CursorRow = ARow;
    m_image.NibbleCount = 0;
    CanSelect = true;
}

void TForm1::StringGrid1DrawCell(CellCanvas& canvas, int ACol, int ARow, const QRect& Rect)
{
    if (ChipIndex() != Chip68HC05 || ARow != 1)
        return;
    if (ACol == 1)
        canvas.brush = QColor(255, 0, 0);
    canvas.painter.fillRect(Rect, canvas.brush);
    const QString text = StringGrid1->model()->index(ARow - 1, ACol - 1).data().toString();
    canvas.painter.setPen(canvas.textColor);
    canvas.painter.drawText(Rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void TForm1::ScrollBar1Change()
{
    StringGrid1->setTopRow(ScrollBar1->value());
    StringGrid2->setTopRow(ScrollBar1->value());
}

void TForm1::StringGrid1TopLeftChanged()
{
    ScrollBar1->setValue(StringGrid1->topRow());
}

void TForm1::StringGrid2TopLeftChanged()
{
    ScrollBar1->setValue(StringGrid2->topRow());
}

void TForm1::SpeedButton1Click()
{
    loadImage();
}

void TForm1::SpeedButton2Click()
{
    saveImage();
}

void TForm1::Wczytajzdysku2Click()
{
    loadImage();
}

void TForm1::Zapissznadysk1Click()
{
    saveImage();
}

void TForm1::readChip()
{
    if (m_transferActive || !settleUnsaved(readOverChangesQuestion()))
        return;
    m_imageName.clear();
    m_transfers->startRead();
}

void TForm1::SpeedButton4Click()
{
    readChip();
}

void TForm1::SpeedButton5Click()
{
    m_transfers->startProgram();
}

void TForm1::Czytaj1Click()
{
    readChip();
}

void TForm1::Zapisz1Click()
{
    m_transfers->startProgram();
}

void TForm1::SpeedButton6Click()
{
    m_transfers->startVerify();
}

void TForm1::Weryfikuj1Click()
{
    m_transfers->startVerify();
}

void TForm1::ZapiszWeryfikuj1Click()
{
    m_transfers->startProgramVerify();
}

void TForm1::KopiaProgramujWeryfikuj1Click()
{
    m_transfers->startBackupProgramVerify();
}

void TForm1::showTracePanel()
{
    m_tracePanel->show();
    m_tracePanel->raise();
    m_tracePanel->activateWindow();
}

void TForm1::TestAdaptera1Click()
{
    m_transfers->startCheck();
}

void TForm1::StringGrid1KeyPress(QChar key)
{
    // The buffer belongs to a running transfer.
    if (m_transferActive)
        return;
    // The digit is applied, then handed to the history as the step that writes it: the first
    // digit opens a typed byte's step, the second closes it.
    const bool secondDigit = m_image.NibbleCount == 1;
    const int cursorEntry = entryOf(m_image.CursorCol, m_image.CursorRow);
    const std::int32_t held = cursorEntry >= 1 && cursorEntry <= EepromLastEntry
                                  ? m_image.EepromBuffer[static_cast<std::size_t>(cursorEntry)]
                                  : 0;
    const HexKeyEffect effect = applyHexKeyText(m_image, QStringView(&key, 1),
                                                StringGrid1->topRow(), m_model->rowCount() + 1);
    commitTyped(effect, held, typedByteStep(),
                secondDigit ? BufferEdit::Join::Closes : BufferEdit::Join::Opens);
}

void TForm1::StringGrid2KeyPress(QChar key)
{
    if (m_transferActive || !key.isPrint())
        return;
    // The byte of the character as the grid shows it; characters without one change nothing.
    const std::optional<QByteArray> byte = textBytes(QStringView(&key, 1));
    if (!byte)
        return;
    const int cursorEntry = entryOf(m_image.CursorCol, m_image.CursorRow);
    const std::int32_t held = cursorEntry >= 1 && cursorEntry <= EepromLastEntry
                                  ? m_image.EepromBuffer[static_cast<std::size_t>(cursorEntry)]
                                  : 0;
    const HexKeyEffect effect =
        applyByteKey(m_image, static_cast<std::uint8_t>(byte->front()), StringGrid1->topRow(),
                     m_model->rowCount() + 1);
    commitTyped(effect, held, typedCharStep(), BufferEdit::Join::None);
}

void TForm1::commitTyped(const HexKeyEffect& effect, std::int32_t held, const QString& step,
                         BufferEdit::Join join)
{
    if (!effect.changed())
        return;
    const std::int32_t typed =
        std::exchange(m_image.EepromBuffer[static_cast<std::size_t>(effect.changedEntry)], held);
    m_history->change(effect.changedEntry, std::span(&typed, 1), step, join);
    // The scroll chain takes the scroll bar and the character grid along.
    if (effect.newTopRow)
        StringGrid1->setTopRow(*effect.newTopRow);
    if (effect.selectionMoved)
        selectHexCellQuietly(effect.selectCol, effect.selectRow);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_transfers->running() && !m_dialogs->askStop(m_transfers->stopQuestion())) {
        event->ignore();
        return;
    }
    if (!settleUnsaved(closeWithChangesQuestion())) {
        event->ignore();
        return;
    }
    if (m_transfers->running()) {
        // The worker stops at its next frame boundary, ends the session and closes the port.
        if (!m_transfers->stopAndWait(900))
            (void)m_transfers->waitFinished(5000);
    }
    event->accept();
}

} // namespace kestrel
