#pragma once

#include <QCoreApplication>
#include <QString>

namespace kestrel {

// A text of the user interface declared once in a header and translated where it is shown:
// `inline constexpr FixedText notElf{"image", QT_TRANSLATE_NOOP("image", "...")};` reads
// notElf(). The context is given twice so that lupdate finds the text.
struct FixedText
{
    const char* context;
    const char* text;

    [[nodiscard]] QString operator()() const { return QCoreApplication::translate(context, text); }
};

} // namespace kestrel
