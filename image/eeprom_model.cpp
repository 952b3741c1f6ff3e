#include "eeprom_model.h"

#include <algorithm>

namespace kestrel {

EepromModel::EepromModel(ImageState& state, QObject* parent)
    : QAbstractTableModel(parent), m_state(state), m_rows(state.rows())
{
}

int EepromModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int EepromModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant EepromModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= Columns)
        return {};
    const int entry = entryOf(index.column() + 1, index.row() + 1);
    if (entry > EepromLastEntry)
        return {};
    const std::int32_t value = m_state.EepromBuffer[static_cast<std::size_t>(entry)];
    switch (role) {
    case Qt::DisplayRole:
        return hexText(value);
    case CharTextRole:
        return charText(value);
    case EntryRole:
        return entry;
    case MarkedRole:
        return isMarked(entry);
    default:
        return {};
    }
}

QVariant EepromModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < Columns ? QVariant(hexText(section)) : QVariant();
    if (section >= m_rows)
        return {};
    return addressLabel(m_state.EepromBase + 16 * section);
}

Qt::ItemFlags EepromModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void EepromModel::syncLayout()
{
    const int rows = m_state.rows();
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    refresh();
}

void EepromModel::refresh()
{
    QList<int> roles{Qt::DisplayRole, CharTextRole};
    if (dropMarks())
        roles << MarkedRole;
    if (m_rows > 0) {
        emitAllChanged(roles);
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
}

void EepromModel::refreshEntry(int entry)
{
    if (dropMarks())
        emitAllChanged({MarkedRole});
    if (entry < 1 || entry > m_rows * Columns)
        return;
    const QModelIndex cell = index((entry - 1) / Columns, (entry - 1) % Columns);
    emit dataChanged(cell, cell, {Qt::DisplayRole, CharTextRole});
}

void EepromModel::setMarkedEntries(const std::vector<int>& entries)
{
    dropMarks();
    for (const int entry : entries) {
        if (entry < 1 || entry > EepromLastEntry || m_marked[static_cast<std::size_t>(entry)])
            continue;
        m_marked[static_cast<std::size_t>(entry)] = true;
        ++m_markedCount;
    }
    emitAllChanged({MarkedRole});
}

void EepromModel::clearMarks()
{
    if (dropMarks())
        emitAllChanged({MarkedRole});
}

bool EepromModel::isMarked(int entry) const
{
    return entry >= 1 && entry <= EepromLastEntry && m_marked[static_cast<std::size_t>(entry)];
}

int EepromModel::adjacentMark(int entry, bool forward) const
{
    if (m_markedCount == 0)
        return 0;
    const int step = forward ? 1 : -1;
    int at = std::clamp(entry, 0, EepromLastEntry + 1);
    for (int n = 0; n <= EepromLastEntry + 1; ++n) {
        at += step;
        if (at > EepromLastEntry)
            at = 1;
        else if (at < 1)
            at = EepromLastEntry;
        if (m_marked[static_cast<std::size_t>(at)])
            return at;
    }
    return 0;
}

int EepromModel::markOrdinal(int entry) const
{
    const int last = std::clamp(entry, 0, EepromLastEntry);
    return static_cast<int>(std::count(m_marked.begin() + 1, m_marked.begin() + last + 1, true));
}

bool EepromModel::dropMarks()
{
    if (m_markedCount == 0)
        return false;
    std::fill(m_marked.begin(), m_marked.end(), false);
    m_markedCount = 0;
    return true;
}

void EepromModel::emitAllChanged(const QList<int>& roles)
{
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, Columns - 1), roles);
}

} // namespace kestrel
