#pragma once

#include "badge/badgesetup.h"
#include "badge/rendering.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace glintag {

constexpr int kUploadHeaderSize = 95;
inline constexpr char kPreamble[] = "HellD";
constexpr int kPreambleSize = 5;

// A copy of what is to be sent, taken right after the last rendering, so that
// edits made while the upload waits on the line never reach the wire. The
// rendering must be the setup's.
struct UploadSnapshot {
    BadgeSetup setup;
    Rendering rendering;
};

// The numeric value of a box's text: leading blanks skipped, an optional
// sign, then digits; no digits gives 0. Values beyond a few billion saturate.
qint64 numericValue(const QString &text);

// (speed - 1) * 16 + flash * 8 + loop lamp * 128, kept only when it fits a
// byte (otherwise 0), plus the move mode's code (0 for none).
std::uint8_t slotOptionByte(const SlotSetup &slot);

// The two low bits of 4 - brightness value: "4" -> 0, "1" -> 3, "5" -> 3.
std::uint8_t brightnessByte(const QString &text);

// The 95-byte header of a setup rendered as `rendering`: the slots' runs
// are its sent lengths, but the first slot's length in sixes is taken from
// what was drawn, before the row limit cut it (an Animation slot padded to
// 516 bytes says 86, though only 512 go out).
QByteArray buildUploadHeader(const BadgeSetup &setup, const Rendering &rendering);

// Row `row` (0..11) of every slot with a sent length, concatenated.
QByteArray buildRowPacket(const DotBuffer &dots, const RowBytes &sent, int row);

// The whole stream: "HellD", the header and twelve packets.
QByteArray uploadStream(const UploadSnapshot &snapshot);

} // namespace glintag
