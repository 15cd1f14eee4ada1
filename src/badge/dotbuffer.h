#pragma once

#include "badge/limits.h"

#include <array>
#include <cstdint>

namespace glintag {

constexpr int kSlotBytes = kRowCount * kRowByteCount; // 6,144
constexpr int kBufferBytes = kSlotCount * kSlotBytes; // 98,304

// The rendered slots: [slot][row][byte], byte fastest. Each byte holds eight
// adjacent dot columns of one row, bit 7 the leftmost, 1 = lit.
struct DotBuffer {
    std::array<std::uint8_t, kBufferBytes> bytes{};

    std::uint8_t *row(int slot, int r) { return bytes.data() + slot * kSlotBytes + r * kRowByteCount; }
    const std::uint8_t *row(int slot, int r) const { return bytes.data() + slot * kSlotBytes + r * kRowByteCount; }
    std::uint8_t *slot(int s) { return bytes.data() + s * kSlotBytes; }
    const std::uint8_t *slot(int s) const { return bytes.data() + s * kSlotBytes; }
    std::uint8_t at(int s, int r, int b) const { return row(s, r)[b]; }
};

// Per slot: how many leading bytes of each of its twelve rows carry its bitmap.
using RowBytes = std::array<std::int16_t, kSlotCount>;

} // namespace glintag
