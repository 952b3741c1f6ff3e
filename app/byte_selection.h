#pragma once

#include <QItemSelectionModel>
#include <QObject>

#include <optional>

namespace kestrel {

// A run of bytes, as 0-based offsets into the image, first <= last.
struct ByteRange
{
    int first = 0;
    int last = 0;
    [[nodiscard]] int length() const { return last - first + 1; }
};

// The selection both grids share: the bytes from an anchor to the cursor in address order,
// held in the one selection model of both grids (model cell (r, c) is offset r * 16 + c).
// Moving the cursor without extending makes the cursor's byte the selection and the anchor.
class ByteSelection final : public QObject
{
    Q_OBJECT
public:
    explicit ByteSelection(QItemSelectionModel& model, QObject* parent = nullptr);

    // The cursor moved to cell (by mouse or keyboard, already the current cell or about to
    // be): the selection runs from the anchor to it when extend, else it is the cell alone.
    void moveTo(const QModelIndex& cell, bool extend);
    // Selects offsets range.first..range.last with the cursor on offset cursor.
    void select(ByteRange range, int cursor);
    // No cell is current or selected (the cursor left the grid).
    void clear();

    // The selected bytes; nothing when no cell is selected.
    [[nodiscard]] std::optional<ByteRange> range() const;
    [[nodiscard]] QItemSelectionModel& model() { return m_model; }

private:
    [[nodiscard]] QModelIndex cellOf(int offset) const;
    void selectRun(ByteRange range);

    QItemSelectionModel& m_model;
    int m_anchor = 0;
};

} // namespace kestrel
