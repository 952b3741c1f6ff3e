#pragma once

#include "eeprom_image.h"

#include <QAbstractTableModel>

#include <vector>

namespace kestrel {

// One table model over the image, shared by the hex grid and the character grid.
// Model row r is data row r + 1, model column c is hex column c + 1 and character column c;
// the entry of (r, c) is r * 16 + c + 1. The hex text is the display role, the one-character
// text is CharTextRole. Vertical header: address labels; horizontal header: "00" to "0F".
// Entries found different from the chip by a verify are marked (MarkedRole) until the entries
// next change: every refresh, refreshEntry and syncLayout drops the marks.
class EepromModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role
    {
        CharTextRole = Qt::UserRole + 1,
        EntryRole,  // the entry number of a cell
        MarkedRole, // true where the entry differs from the chip at the last verify
    };
    static constexpr int Columns = 16;

    explicit EepromModel(ImageState& state, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index,
                                int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    [[nodiscard]] ImageState& state() { return m_state; }
    [[nodiscard]] const ImageState& state() const { return m_state; }

    // Takes over a new EepromSize (row count) and EepromBase (labels), then refreshes all cells.
    void syncLayout();
    // Tells the views that entries changed: every cell and label is shown again.
    void refresh();
    // Tells the views that one entry changed.
    void refreshEntry(int entry);

    // Marks the given entries (1..2047), dropping earlier marks.
    void setMarkedEntries(const std::vector<int>& entries);
    void clearMarks();
    [[nodiscard]] bool isMarked(int entry) const;
    [[nodiscard]] int markedCount() const { return m_markedCount; }
    // The first marked entry after `entry` (forward) or before it, going round the other end
    // once; 0 when nothing is marked.
    [[nodiscard]] int adjacentMark(int entry, bool forward) const;
    // How many marked entries lie at or before `entry` (k of "k of N").
    [[nodiscard]] int markOrdinal(int entry) const;

private:
    // Drops the marks without telling the views; true if there were any.
    bool dropMarks();
    void emitAllChanged(const QList<int>& roles);

    ImageState& m_state;
    int m_rows = 0;
    std::vector<bool> m_marked = std::vector<bool>(EepromEntries, false);
    int m_markedCount = 0;
};

} // namespace kestrel
