#include "eeprom_model.h"

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
    if (m_rows > 0) {
        emit dataChanged(index(0, 0), index(m_rows - 1, Columns - 1),
                         {Qt::DisplayRole, CharTextRole});
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
}

void EepromModel::refreshEntry(int entry)
{
    if (entry < 1 || entry > m_rows * Columns)
        return;
    const QModelIndex cell = index((entry - 1) / Columns, (entry - 1) % Columns);
    emit dataChanged(cell, cell, {Qt::DisplayRole, CharTextRole});
}

} // namespace kestrel
