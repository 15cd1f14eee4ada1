#include "badge/rendering.h"

#include <algorithm>

namespace glintag {

RowBytes clampRowBytes(const RowBytes &rendered)
{
    RowBytes clamped{};
    int offset = 0;
    for (int i = 0; i < kSlotCount; ++i) {
        // A negative count can only come from a fault upstream; send nothing.
        const int length = std::max(0, int(rendered[i]));
        clamped[i] = std::int16_t(offset + length > kRowLimit ? kRowLimit - offset : length);
        offset += clamped[i];
    }
    return clamped;
}

void Rendering::setLengths(const RowBytes &drawn)
{
    rendered = drawn;
    sent = clampRowBytes(drawn);
}

} // namespace glintag
