#include "byte_selection.h"

#include <algorithm>
#include <climits>

namespace kestrel {

namespace {

constexpr int Columns = 16;

int offsetOf(const QModelIndex& cell)
{
    return cell.row() * Columns + cell.column();
}

} // namespace

ByteSelection::ByteSelection(QItemSelectionModel& model, QObject* parent)
    : QObject(parent), m_model(model)
{
}

QModelIndex ByteSelection::cellOf(int offset) const
{
    return m_model.model()->index(offset / Columns, offset % Columns);
}

void ByteSelection::selectRun(ByteRange range)
{
    const int firstRow = range.first / Columns;
    const int lastRow = range.last / Columns;
    auto rowPart = [this](int row, int from, int to) {
        const QAbstractItemModel* model = m_model.model();
        return QItemSelectionRange(model->index(row, from), model->index(row, to));
    };
    QItemSelection selection;
    if (firstRow == lastRow) {
        selection.append(rowPart(firstRow, range.first % Columns, range.last % Columns));
    } else {
        selection.append(rowPart(firstRow, range.first % Columns, Columns - 1));
        if (lastRow > firstRow + 1)
            selection.append(QItemSelectionRange(m_model.model()->index(firstRow + 1, 0),
                                                 m_model.model()->index(lastRow - 1, Columns - 1)));
        selection.append(rowPart(lastRow, 0, range.last % Columns));
    }
    m_model.select(selection, QItemSelectionModel::ClearAndSelect);
}

void ByteSelection::moveTo(const QModelIndex& cell, bool extend)
{
    if (!cell.isValid())
        return;
    const int offset = offsetOf(cell);
    if (!extend)
        m_anchor = offset;
    if (m_model.currentIndex() != cell)
        m_model.setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    const int rows = m_model.model()->rowCount();
    const int anchor = std::min(m_anchor, rows * Columns - 1);
    selectRun({std::min(anchor, offset), std::max(anchor, offset)});
}

void ByteSelection::select(ByteRange range, int cursor)
{
    const QModelIndex cell = cellOf(cursor);
    if (!cell.isValid() || !cellOf(range.first).isValid() || !cellOf(range.last).isValid())
        return;
    m_anchor = cursor == range.first ? range.last : range.first;
    if (m_model.currentIndex() != cell)
        m_model.setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    selectRun(range);
}

void ByteSelection::clear()
{
    m_model.clearSelection();
}

std::optional<ByteRange> ByteSelection::range() const
{
    const QModelIndexList cells = m_model.selectedIndexes();
    if (cells.isEmpty())
        return std::nullopt;
    ByteRange range{INT_MAX, INT_MIN};
    for (const QModelIndex& cell : cells) {
        range.first = std::min(range.first, offsetOf(cell));
        range.last = std::max(range.last, offsetOf(cell));
    }
    return range;
}

} // namespace kestrel
