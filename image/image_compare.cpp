#include "image_compare.h"

#include <algorithm>

namespace kestrel {

ImageComparison compareImages(const QByteArray& chip, const QByteArray& image)
{
    ImageComparison result;
    const qsizetype size = std::max(chip.size(), image.size());
    for (qsizetype k = 0; k < size; ++k) {
        if (k < chip.size() && k < image.size() && chip[k] == image[k])
            continue;
        result.offsets.push_back(static_cast<int>(k));
    }
    result.count = static_cast<int>(result.offsets.size());
    return result;
}

} // namespace kestrel
