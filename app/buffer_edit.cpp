#include "buffer_edit.h"

#include "eeprom_model.h"

namespace kestrel {

namespace {
constexpr int BufferEditId = 0x4B42; // every step of the buffer's history
} // namespace

BufferEdit::BufferEdit(EepromModel& model, int first, std::vector<std::int32_t> before,
                       std::vector<std::int32_t> after, const QString& text, Join join)
    : QUndoCommand(text), m_model(model), m_first(first), m_before(std::move(before)),
      m_after(std::move(after)), m_join(join)
{
}

void BufferEdit::undo()
{
    write(m_before);
}

void BufferEdit::redo()
{
    write(m_after);
}

int BufferEdit::id() const
{
    return BufferEditId;
}

bool BufferEdit::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const BufferEdit*>(other);
    if (!next || m_join != Join::Opens || next->m_join != Join::Closes ||
        next->m_first != m_first || next->m_after.size() != m_after.size())
        return false;
    m_after = next->m_after;
    m_join = Join::None;
    // A byte typed back to what it was is no step.
    setObsolete(m_after == m_before);
    return true;
}

void BufferEdit::write(const std::vector<std::int32_t>& values)
{
    EepromBufferType& buffer = m_model.state().EepromBuffer;
    for (std::size_t k = 0; k < values.size(); ++k)
        buffer[static_cast<std::size_t>(m_first) + k] = values[k];
    if (values.size() == 1)
        m_model.refreshEntry(m_first);
    else
        m_model.refresh();
}

} // namespace kestrel
