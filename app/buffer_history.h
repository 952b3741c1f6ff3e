#pragma once

#include "buffer_edit.h"
#include "fixed_text.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <span>

namespace kestrel {

class EepromModel;

// Texts of the steps and of the questions asked before unsaved changes would be lost.
inline constexpr FixedText typedByteStep{"app", QT_TRANSLATE_NOOP("app", "Wpisanie bajtu")};
inline constexpr FixedText fillStep{"app", QT_TRANSLATE_NOOP("app", "Wypełnij FF")};
inline constexpr FixedText loadStep{"app", QT_TRANSLATE_NOOP("app", "Wczytanie pliku")};
inline constexpr FixedText readStep{"app", QT_TRANSLATE_NOOP("app", "Odczyt EEPROM")};
inline constexpr FixedText chipChangeQuestion{
    "app",
    QT_TRANSLATE_NOOP("app", "Bufor zawiera niezapisane zmiany. Zmienić układ i wyczyścić bufor?")};
inline constexpr FixedText readOverChangesQuestion{
    "app", QT_TRANSLATE_NOOP("app", "Odczyt zastąpi niezapisane zmiany w buforze. Kontynuować?")};
inline constexpr FixedText loadOverChangesQuestion{
    "app",
    QT_TRANSLATE_NOOP("app", "Wczytanie pliku zastąpi niezapisane zmiany w buforze. Kontynuować?")};
inline constexpr FixedText closeWithChangesQuestion{
    "app", QT_TRANSLATE_NOOP("app", "Bufor zawiera niezapisane zmiany. Zamknąć program?")};

// The one undo history of the buffer and whether the buffer is saved: it is after a load, a save,
// a read and a programming that ended "Gotowe" (markSaved), and again whenever undo or redo
// returns to such a state; every other step leaves it changed.
class BufferHistory final : public QObject
{
    Q_OBJECT
public:
    explicit BufferHistory(EepromModel& model, QObject* parent = nullptr);
    // The stack empties itself when it goes: its window may be half gone by then, so it tells
    // no one.
    ~BufferHistory() override { m_stack.blockSignals(true); }

    // Makes entries first.. (1..2047) hold values, as one step named text. A change that
    // changes nothing adds no step; the entries are shown again all the same. Returns whether a
    // step was added or joined to the last.
    bool change(int first, std::span<const std::int32_t> values, const QString& text,
                BufferEdit::Join join = BufferEdit::Join::None);

    // The buffer now equals a file or the chip.
    void markSaved() { m_stack.setClean(); }
    // A new buffer (a chip change): no steps, saved.
    void clear() { m_stack.clear(); }
    [[nodiscard]] bool changed() const { return !m_stack.isClean(); }


    void undo() { m_stack.undo(); }
    void redo() { m_stack.redo(); }
    [[nodiscard]] bool canUndo() const { return m_stack.canUndo(); }
    [[nodiscard]] bool canRedo() const { return m_stack.canRedo(); }

signals:
    // changed() took a new value.
    void changedStateChanged(bool changed);
    // canUndo() or canRedo() may have changed.
    void stepsChanged();

private:
    EepromModel& m_model;
    QUndoStack m_stack;
};

} // namespace kestrel
