#include "buffer_history.h"

#include "eeprom_model.h"

#include <algorithm>

namespace kestrel {

BufferHistory::BufferHistory(EepromModel& model, QObject* parent) : QObject(parent), m_model(model)
{
    connect(&m_stack, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit changedStateChanged(!clean); });
    connect(&m_stack, &QUndoStack::indexChanged, this, &BufferHistory::stepsChanged);
    connect(&m_stack, &QUndoStack::canUndoChanged, this, &BufferHistory::stepsChanged);
    connect(&m_stack, &QUndoStack::canRedoChanged, this, &BufferHistory::stepsChanged);
}

bool BufferHistory::change(int first, std::span<const std::int32_t> values, const QString& text,
                           BufferEdit::Join join)
{
    const int last = std::min<int>(first + static_cast<int>(values.size()) - 1, EepromLastEntry);
    if (first < 1 || last < first)
        return false;
    values = values.first(static_cast<std::size_t>(last - first + 1));
    const EepromBufferType& buffer = m_model.state().EepromBuffer;
    const auto from = buffer.begin() + first;
    std::vector<std::int32_t> before(from, from + static_cast<std::ptrdiff_t>(values.size()));
    if (std::equal(values.begin(), values.end(), before.begin())) {
        if (values.size() == 1)
            m_model.refreshEntry(first);
        else
            m_model.refresh();
        return false;
    }
    // The stack runs redo, which writes the entries and shows them.
    m_stack.push(new BufferEdit(m_model, first, std::move(before),
                                std::vector<std::int32_t>(values.begin(), values.end()), text,
                                join));
    return true;
}

} // namespace kestrel
