#pragma once

#include "buffer_edit.h"
#include "eeprom_image.h"
#include "eeprom_model.h"
#include "grid_view.h"
#include "tcgauge.h"
#include "user_dialogs.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollBar;
class QStatusBar;
class QToolButton;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;

namespace kestrel {

class BufferHistory;
class ByteSelection;
struct HexKeyEffect;
class EditorCommands;
class TracePanel;
class TransferDispatch;
class WidgetDialogs;
struct LoadCommandResult;

// The main window. Controls are reachable by their object names and through the members below;
// the window owns the one EEPROM image that both grids show.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    [[nodiscard]] ImageState& image() { return m_image; }
    [[nodiscard]] const ImageState& image() const { return m_image; }
    [[nodiscard]] EepromModel& model() { return *m_model; }
    // The selected entry of the chip selector, 0 to 9.
    [[nodiscard]] int ChipIndex() const;

    // Shows the buffer again in both grids; call after changing entries.
    void refreshGrids();
    // Shows one entry again in both grids.
    void refreshEntry(int entry);
    // Marks the bytes a verify found different (0-based offsets, ascending) in both grids and
    // scrolls the first of them into view. The marks go with the next change of the buffer.
    void markDifferences(const std::vector<int>& offsets);

    // Scrolls the row of entry into view, taking both grids and the scroll bar along.
    void showEntry(int entry);

    // Moves the hex grid's current cell and selection to data cell (ACol, ARow) without running
    // StringGrid1SelectCell. A cell past the last row leaves no cell selected.
    void selectHexCellQuietly(int ACol, int ARow);

    // While a transfer runs, the toolbar panel (buttons and both selectors) and the menu
    // commands that change the image or start a transfer are disabled.
    void setTransferActive(bool active);
    [[nodiscard]] bool transferActive() const { return m_transferActive; }
    // Starts and reports the read, program and verify transfers.
    [[nodiscard]] TransferDispatch& transfers() { return *m_transfers; }

    // The buffer's undo history and its saved state; every change of the buffer's bytes goes
    // through it as one step.
    [[nodiscard]] BufferHistory& history() { return *m_history; }

    // The selection both grids show, and the editor's commands.
    [[nodiscard]] ByteSelection& selection() { return *m_selection; }
    [[nodiscard]] EditorCommands& editor() { return *m_editor; }

    // The third status panel.
    void setStatusText(const QString& text);
    // Keeps the panel's text as a verdict on the buffer (a verify's, the place of a difference):
    // it goes away, back to the idle text, when the buffer next changes.
    void holdStatusAsVerdict() { m_statusIsVerdict = true; }
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] QString statusPanelText(int index) const;
    // The fourth panel: the cursor, the selection and the CRC-32 of the image.
    void updateCursorPanel();

    // The file-name label below the grids.
    void setFileLabel(const QString& text);

    // The file dialogs and message boxes of the load and save commands. The window's own are
    // used until others are set and again after nullptr; the window does not own the others.
    void setDialogs(UserDialogs* dialogs);
    [[nodiscard]] UserDialogs& dialogs() { return *m_dialogs; }
    // "Dziennik transmisji": the trace of the last transfers.
    [[nodiscard]] TracePanel& tracePanel() { return *m_tracePanel; }

    // Controls, named as their object names.
    TCGauge* CGauge1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    GridView* StringGrid1 = nullptr;
    GridView* StringGrid2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QFrame* Panel1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QFrame* Panel3 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QFrame* Panel2 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QFrame* Panel4 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* Wczytajzdysku1 = nullptr;
    QAction* Wczytajzdysku2 = nullptr;
    QAction* Zapissznadysk1 = nullptr;
    QAction* Wype1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Cofnij1 = nullptr;
    QAction* Ponow1 = nullptr;
    QMenu* Pami1 = nullptr;
    QAction* Czytaj1 = nullptr;
    QAction* Zapisz1 = nullptr;
    QAction* Weryfikuj1 = nullptr;
    QAction* ZapiszWeryfikuj1 = nullptr;
    QAction* KopiaProgramujWeryfikuj1 = nullptr;
    QAction* TestAdaptera1 = nullptr;
    QAction* DziennikTransmisji1 = nullptr;

    // Event handlers.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void ComboBox2Change();
    void Wczytajzdysku2Click();
    void Zapissznadysk1Click();
    void Wype1Click();
    void Czytaj1Click();
    void Zapisz1Click();
    void Weryfikuj1Click();
    void ZapiszWeryfikuj1Click();
    void KopiaProgramujWeryfikuj1Click();
    void TestAdaptera1Click();
    void showTracePanel();
    void Cofnij1Click();
    void Ponow1Click();
    void StringGrid1KeyPress(QChar key);
    void StringGrid2KeyPress(QChar key);
    void StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect);
    void StringGrid1DrawCell(CellCanvas& canvas, int ACol, int ARow, const QRect& Rect);
    void StringGrid1TopLeftChanged();
    void StringGrid2TopLeftChanged();
    void ScrollBar1Change();

    // Loads a file as the load commands do, without asking for its name (a file dropped on the
    // window). Refused while a transfer runs.
    void loadImageFrom(const QString& path);

signals:
    // The third status panel took a new text.
    void statusTextChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls(QWidget* client);
    // The group "BUFOR": the two grids, their scroll bar and the file label.
    void createBufferGroup(QWidget* client);
    // Panel1: the speed buttons and the chip and port selectors.
    void createToolbar(QWidget* client);
    void setUpSelectors();
    void createMenu();
    void setUpKeys();
    void createStatusBar();
    void setUpGrid(GridView& grid, bool hexView);
    void connectHandlers();
    void loadImage();
    // The save command: true once the buffer was written.
    bool saveImage();
    // Before unsaved changes would be lost: true when nothing unsaved is left to lose (none was,
    // the buffer was saved, or the user chose to discard it), false to do nothing.
    [[nodiscard]] bool settleUnsaved(const QString& question);
    void runLoad(const std::function<LoadCommandResult(ImageState&)>& load);
    void showLoaded(const LoadCommandResult& result, const ImageState& loaded);
    void fillStepFF(int last);
    void updateUndoCommands();
    void setUpSelection();
    // Hands a typed byte's change to the history as its step: the byte held before is put back
    // first, then the step writes the typed value.
    void commitTyped(const HexKeyEffect& effect, std::int32_t held, const QString& step,
                     BufferEdit::Join join);
    void readChip();

    ImageState m_image;
    EepromModel* m_model = nullptr;
    QLabel* m_statusPanels[4] = {};
    ByteSelection* m_selection = nullptr;
    EditorCommands* m_editor = nullptr;
    TracePanel* m_tracePanel = nullptr;
    bool m_transferActive = false;
    bool m_statusIsVerdict = false;
    TransferDispatch* m_transfers = nullptr;
    BufferHistory* m_history = nullptr;
    int m_appliedChip = 0; // the chip whose layout the buffer has
    bool m_quietSelection = false;
    bool m_loading = false; // a load command runs (its reading may let events through)
    // The file the buffer was loaded from or saved to last; empty after a read or a chip change.
    QString m_imageName;
    std::unique_ptr<WidgetDialogs> m_widgetDialogs;
    UserDialogs* m_dialogs = nullptr;
};

} // namespace kestrel
