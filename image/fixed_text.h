#pragma once

#include <QString>

namespace kestrel {

// A text of the user interface that never changes, declared once in a header and given as a
// QString by calling it: `inline constexpr FixedText notElf{u"..."};` reads notElf().
struct FixedText
{
    const char16_t* text;

    [[nodiscard]] QString operator()() const { return QString::fromUtf16(text); }
};

} // namespace kestrel
