#pragma once

#include <QUndoCommand>

#include <cstdint>
#include <vector>

namespace kestrel {

class EepromModel;

// One step of the buffer's history: entries first..first + n - 1 held `before` and hold `after`.
// Undo and redo write the entries and show them again in both grids, which drops the verify
// marks as every change of the buffer does.
class BufferEdit final : public QUndoCommand
{
public:
    // How a step joins the one before it: a byte's first digit opens a step, and its second
    // digit closes that step into one typed byte.
    enum class Join
    {
        None,
        Opens,  // waits for a closing step over the same entries
        Closes, // completes an open step over the same entries when that is the last step
    };

    BufferEdit(EepromModel& model, int first, std::vector<std::int32_t> before,
               std::vector<std::int32_t> after, const QString& text, Join join = Join::None);

    void undo() override;
    void redo() override;
    [[nodiscard]] int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    [[nodiscard]] int first() const { return m_first; }
    [[nodiscard]] const std::vector<std::int32_t>& before() const { return m_before; }
    [[nodiscard]] const std::vector<std::int32_t>& after() const { return m_after; }

private:
    void write(const std::vector<std::int32_t>& values);

    EepromModel& m_model;
    int m_first;
    std::vector<std::int32_t> m_before;
    std::vector<std::int32_t> m_after;
    Join m_join;
};

} // namespace kestrel
