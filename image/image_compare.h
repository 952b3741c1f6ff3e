#pragma once

#include <QByteArray>

#include <vector>

namespace kestrel {

// Where two images of one chip differ.
struct ImageComparison
{
    int count = 0;            // differing bytes
    std::vector<int> offsets; // every differing offset, ascending
};

// Compares the first min(size) bytes of the chip's content with the image's; bytes past the
// shorter of the two count as differing.
[[nodiscard]] ImageComparison compareImages(const QByteArray& chip, const QByteArray& image);

} // namespace kestrel
